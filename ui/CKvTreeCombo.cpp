#include "ui/CKvTreeCombo.h"

#include "ui/CKvTreeComboEdit.h"
#include "ui/CKvTreeComboTree.h"
#include "ui/KvObjectNames.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QToolButton>

CKvTreeCombo::CKvTreeCombo(QWidget* parent)
    : QFrame(parent),
      m_edit(KvSetControlId(new CKvTreeComboEdit(this), IDC_EDIT)),
      m_button(KvSetControlId(new QToolButton(this), IDC_BUTTON)),
      m_tree(new CKvTreeComboTree(this)) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setFocusPolicy(Qt::StrongFocus);
  setFocusProxy(m_edit);
  m_button->setArrowType(Qt::DownArrow);
  m_button->setFocusPolicy(Qt::NoFocus);
  m_button->setAutoRaise(false);
  connect(m_button, &QToolButton::clicked, this, [this] { onButton(); });
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(m_edit, 1);
  layout->addWidget(m_button);
}

CKvTreeCombo::~CKvTreeCombo() {
  // The tree goes first, without a notice of its closing.
  m_bDropped = false;
  delete m_tree;
}

QTreeWidgetItem* CKvTreeCombo::AddPath(const QString& path) { return findPath(path, true); }

QTreeWidgetItem* CKvTreeCombo::findPath(const QString& path, bool add) const {
  if (path.isEmpty())
    return nullptr;
  QTreeWidgetItem* node = m_tree->invisibleRootItem();
  for (const QString& level : path.split(u'\n')) {
    QTreeWidgetItem* next = nullptr;
    for (int i = 0; i < node->childCount() && !next; ++i) {
      if (node->child(i)->text(0) == level)
        next = node->child(i);
    }
    if (!next && !add)
      return nullptr;
    node = next ? next : new QTreeWidgetItem(node, QStringList{level});
  }
  return node;
}

bool CKvTreeCombo::SelectText(const QString& path) {
  QTreeWidgetItem* item = findPath(path, false);
  if (!item)
    return false;
  m_tree->setCurrentItem(item);
  m_edit->setText(item->text(0));
  emit selChange();
  return true;
}

QString CKvTreeCombo::GetSelText() const { return m_edit->text(); }

void CKvTreeCombo::DeleteAll() {
  m_tree->clear();
  m_edit->clear();
}

QRect CKvTreeCombo::DropRect(const QRect& picker, const QSize& size, const QRect& screen) {
  QRect rect(QPoint(picker.left(), picker.bottom() + 1), size);
  if (rect.bottom() > screen.bottom())
    rect.moveBottom(picker.top() - 1);
  if (rect.right() > screen.right())
    rect.moveRight(picker.right());
  return rect;
}

void CKvTreeCombo::ShowDropDown() {
  if (m_bDropped)
    return;
  const QRect picker(mapToGlobal(QPoint(0, 0)), size());
  const QScreen* where = screen() ? screen() : QApplication::primaryScreen();
  m_tree->setGeometry(DropRect(picker, m_dropSize, where ? where->availableGeometry() : QRect()));
  m_selectedAtDrop = QPersistentModelIndex(m_tree->currentIndex());
  m_bDropped = true;
  m_tree->show();
  m_tree->raise();
  m_tree->activateWindow();
  m_tree->setFocus();
  emit dropDown();
}

bool CKvTreeCombo::HasPickerFocus() const {
  const QWidget* focus = QApplication::focusWidget();
  return focus && (focus == this || focus == m_edit || focus == m_tree ||
                   m_tree->isAncestorOf(focus));
}

void CKvTreeCombo::onButton() {
  if (m_bDropped)
    cancelDropDown();
  else
    ShowDropDown();
}

void CKvTreeCombo::takeSelection() {
  if (const QTreeWidgetItem* item = m_tree->currentItem())
    m_edit->setText(item->text(0));
  m_bDropped = false;
  m_tree->hide();
  m_edit->setFocus();
  emit closeUp();
}

void CKvTreeCombo::cancelDropDown() {
  m_bDropped = false;
  m_tree->hide();
  // The item chosen before the tree opened is selected again, quietly.
  const QSignalBlocker quiet(m_tree);
  m_tree->setCurrentIndex(m_selectedAtDrop);
  m_edit->setFocus();
  emit selEndCancel();
}

void CKvTreeCombo::takeAndTab(bool next) {
  takeSelection();
  focusNextPrevChild(next);
}
