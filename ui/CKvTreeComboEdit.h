#pragma once
// The display field of the tree picker (CKvTreeCombo): it shows the chosen
// item's text and cannot be typed, pasted, cut or cleared into. While it has
// the focus its text is painted as selected, without a caret. A left click or
// the Down arrow opens the picker's tree; double clicks and the editing menu
// are swallowed.

#include <QLineEdit>

class CKvTreeCombo;

class CKvTreeComboEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit CKvTreeComboEdit(CKvTreeCombo* combo);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  CKvTreeCombo* m_combo;
};
