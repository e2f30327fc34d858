#include "ui/CKvTreeComboTree.h"

#include "ui/CKvTreeCombo.h"

#include <QKeyEvent>
#include <QMouseEvent>

CKvTreeComboTree::CKvTreeComboTree(CKvTreeCombo* combo)
    : QTreeWidget(combo), m_combo(combo) {
  setObjectName(QStringLiteral("tree"));
  // A window of its own that may lie outside the dialog.
  setWindowFlags(Qt::Popup);
  // A click outside only closes the tree: the picker's button under it must
  // not open it again at once.
  setAttribute(Qt::WA_NoMouseReplay);
  setHeaderHidden(true);
  setColumnCount(1);
  setRootIsDecorated(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
}

bool CKvTreeComboTree::event(QEvent* event) {
  // Tab belongs to the picker, not to the tree's focus chain.
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
      const bool back = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
      m_combo->takeAndTab(!back);
      return true;
    }
  }
  return QTreeWidget::event(event);
}

void CKvTreeComboTree::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: m_combo->takeSelection(); return;
    case Qt::Key_Escape: m_combo->cancelDropDown(); return;
    default: QTreeWidget::keyPressEvent(event);
  }
}

void CKvTreeComboTree::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeWidgetItem* item = itemAt(event->position().toPoint());
  if (!item) {
    QTreeWidget::mouseDoubleClickEvent(event);
    return;
  }
  setCurrentItem(item);
  m_combo->takeSelection();
}

void CKvTreeComboTree::hideEvent(QHideEvent* event) {
  QTreeWidget::hideEvent(event);
  // Closed from outside (a click elsewhere): nothing was chosen.
  if (m_combo->IsDroppedDown())
    m_combo->cancelDropDown();
}
