#pragma once
// The drop-down list of a grid cell: a popup menu of lines. Enter or a
// click on a line chooses it, Escape closes the list without a choice, and
// a printable key closes the list without a choice and is kept, so that the
// grid types it into the cell the list belongs to. No key typed while the
// list is open reaches another cell.

#include <QMenu>
#include <QString>

class KvChoiceMenu : public QMenu {
  Q_OBJECT
 public:
  explicit KvChoiceMenu(QWidget* parent = nullptr);

  // The key that closed the list: its text (empty when none was typed),
  // its code and modifiers.
  QString TypedText() const { return m_typedText; }
  int TypedKey() const { return m_nTypedKey; }
  Qt::KeyboardModifiers TypedModifiers() const { return m_typedModifiers; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QString m_typedText;
  int m_nTypedKey = 0;
  Qt::KeyboardModifiers m_typedModifiers;
};
