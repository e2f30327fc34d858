#pragma once
// The drop-down list of a grid cell: a popup menu of lines. Enter or a
// click on a line chooses it, Escape closes the list without a choice, and
// a printable key closes the list without a choice and is kept, so that the
// grid types it into the cell the list belongs to. No key typed while the
// list is open reaches another cell. A command key (any key with Ctrl, F1,
// F3, F5 and F12) closes the list as Escape does and is kept too, so that
// the grid runs it as it would have with no list open: while the list holds
// the keyboard, the window's shortcuts cannot take it.

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
  // Whether that key is a command key rather than a character.
  bool ClosedByCommandKey() const { return m_bCommandKey; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QString m_typedText;
  int m_nTypedKey = 0;
  Qt::KeyboardModifiers m_typedModifiers;
  bool m_bCommandKey = false;
};
