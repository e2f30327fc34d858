#pragma once
// The tree that the tree picker (CKvTreeCombo) opens: a popup window that
// closes on Enter, Tab, Escape, a double click or a click outside it, and
// tells the picker which of them closed it.

#include <QTreeWidget>

class CKvTreeCombo;

class CKvTreeComboTree : public QTreeWidget {
  Q_OBJECT
 public:
  explicit CKvTreeComboTree(CKvTreeCombo* combo);

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  CKvTreeCombo* m_combo;
};
