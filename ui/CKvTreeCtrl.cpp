#include "ui/CKvTreeCtrl.h"

#include "core/KvMessage.h"
#include "ui/CKvCommandRouter.h"
#include "ui/CKvDlg.h"
#include "ui/KvAppServices.h"
#include "ui/KvCalculatorHook.h"
#include "ui/KvCommands.h"
#include "ui/KvMenus.h"
#include "ui/KvRowClipboard.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeWidgetItemIterator>

#include <memory>

CKvTreeCtrl::CKvTreeCtrl(QWidget* parent)
    : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  connect(this, &QTreeWidget::itemSelectionChanged, this, [] { KvCommandsChanged(); });
}

void CKvTreeCtrl::OnCalculator() { KvRunCalculator(false, QString(), this, nullptr); }

void CKvTreeCtrl::InitTree() {
  m_nClipboardFormat = GetClipboardFormat();
  LoadImageLists();
}

void CKvTreeCtrl::LoadImageLists() {
  QList<int> itemIcons;
  QList<int> secondIcons;
  GetIconIds(&itemIcons, &secondIcons);
  if (itemIcons.isEmpty())
    return;
  m_icons.clear();
  for (int id : std::as_const(itemIcons))
    m_icons.append(KvLoadIcon(unsigned(id)));
}

void CKvTreeCtrl::GetIconIds(QList<int>*, QList<int>*) const {}

QTreeWidgetItem* CKvTreeCtrl::SelectedItem() const {
  const QList<QTreeWidgetItem*> items = selectedItems();
  return items.isEmpty() ? nullptr : items.first();
}

bool CKvTreeCtrl::IsCmdEnabled(int id) {
  switch (id) {
    case KV_CMD_EDIT_COPY:
    case KV_CMD_EDIT_CUT:
    case KV_CMD_OPEN:
    case KV_CMD_MODIFY:
    case KV_CMD_DELETE: return SelectedItem() != nullptr;
    case KV_CMD_FILE_SAVE_AS:
    case KV_CMD_FILE_PRINT_SETUP:
    case KV_CMD_FILE_PRINT: return false;
    case KV_CMD_EDIT_FIND: return topLevelItemCount() > 0;
    case KV_CMD_EDIT_FIND_NEXT: return topLevelItemCount() > 0 && !m_find.Text().isEmpty();
    case KV_CMD_EDIT_PASTE: return KvClipboardHasRows(m_nClipboardFormat);
    default: return true;
  }
}

QString CKvTreeCtrl::GetPathText(QTreeWidgetItem* item) const {
  QStringList texts;
  GetPathTexts(&texts, item);
  QString path;
  for (const QString& text : std::as_const(texts))
    path += FormatPathPart(text);
  return path;
}

int CKvTreeCtrl::GetPathTexts(QStringList* texts, QTreeWidgetItem* item) const {
  texts->clear();
  for (QTreeWidgetItem* level = item ? item : SelectedItem(); level; level = level->parent())
    texts->prepend(level->text(0));
  return int(texts->size());
}

bool CKvTreeCtrl::GetSelectedText(QString* text) const {
  const QTreeWidgetItem* item = SelectedItem();
  *text = item ? item->text(0) : QString();
  return item != nullptr;
}

int CKvTreeCtrl::GetCopyTexts(QStringList* texts) const { return GetPathTexts(texts); }

void CKvTreeCtrl::CheckItem(QTreeWidgetItem* item, bool checked) { CheckChildren(item, checked); }

void CKvTreeCtrl::CheckChildren(QTreeWidgetItem* item, bool checked) {
  if (!item)
    return;
  for (int i = 0; i < item->childCount(); ++i) {
    QTreeWidgetItem* child = item->child(i);
    child->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    CheckChildren(child, checked);
  }
}

QString CKvTreeCtrl::FormatPathPart(const QString& text) const { return text; }

QTreeWidgetItem* CKvTreeCtrl::FindChildText(QTreeWidgetItem* parent, const QString& text) {
  QTreeWidgetItem* root = parent ? parent : invisibleRootItem();
  for (int i = 0; i < root->childCount(); ++i) {
    QTreeWidgetItem* child = root->child(i);
    if (child->text(0) == text) {
      setCurrentItem(child);
      scrollToItem(child);
      return child;
    }
    if (QTreeWidgetItem* below = FindChildText(child, text))
      return below;
  }
  return nullptr;
}

void CKvTreeCtrl::OnFind() {
  if (m_find.Ask(this, -1))
    search();
}

void CKvTreeCtrl::OnFindNext() {
  if (!m_find.Text().isEmpty())
    search();
}

void CKvTreeCtrl::ResetFind() {
  m_find = KvFindText();
  m_nSearchStart = 0;
}

void CKvTreeCtrl::search() {
  const int start = m_nSearchStart;
  int position = 0;
  for (QTreeWidgetItemIterator it(this); *it; ++it, ++position) {
    if (position < start || !m_find.Matches((*it)->text(0)))
      continue;
    setCurrentItem(*it);
    scrollToItem(*it);
    m_nSearchStart = position + 1;
    return;
  }
  m_nSearchStart = 0;
  const QString text = QStringLiteral("没有查找到") +
                       (m_find.IsTypeAhead() ? QStringLiteral("首拼音") : QString()) +
                       QStringLiteral("含 “") + m_find.Text() + QStringLiteral("”的项！");
  if (start == 0)
    KvMessageBox(text, KV_MB_OK | KV_MB_ICONINFORMATION);
  else if (KvMessageBox(text + QStringLiteral("要再从头查找吗？"),
                        KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) == KV_IDYES)
    search();
}

bool CKvTreeCtrl::HandlesCmd(int id) const {
  // Printing and save as are refused while the tree has the focus.
  return id == KV_CMD_FILE_SAVE_AS || id == KV_CMD_FILE_PRINT_SETUP || id == KV_CMD_FILE_PRINT ||
         KvRowControl::HandlesCmd(id);
}

int CKvTreeCtrl::checkState(const QTreeWidgetItem* item) {
  if (!item)
    return -1;
  const QVariant state = item->data(0, Qt::CheckStateRole);
  return state.isValid() ? state.toInt() : -1;
}

bool CKvTreeCtrl::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride && SharedKeyCommand(static_cast<QKeyEvent*>(event)) != 0) {
    event->accept();
    return true;
  }
  return QTreeWidget::event(event);
}

void CKvTreeCtrl::keyPressEvent(QKeyEvent* event) {
  if (HandleSharedKey(event))
    return;
  // A letter searches the pinyin initials and is not passed on: the tree's
  // own search by first letters would move the selection again.
  if (m_find.TypeKey(event)) {
    search();
    return;
  }
  QTreeWidgetItem* item = SelectedItem();
  const int before = checkState(item);
  QTreeWidget::keyPressEvent(event);
  // The space bar toggles the selected item's box.
  if (item && item == SelectedItem() && checkState(item) != before && before >= 0)
    CheckItem(item, checkState(item) == Qt::Checked);
}

void CKvTreeCtrl::mouseReleaseEvent(QMouseEvent* event) {
  QTreeWidgetItem* item = itemAt(event->position().toPoint());
  const int before = checkState(item);
  QTreeWidget::mouseReleaseEvent(event);
  if (before >= 0 && checkState(item) != before)
    CheckItem(item, checkState(item) == Qt::Checked);
}

void CKvTreeCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeWidget::mouseDoubleClickEvent(event);
  const QTreeWidgetItem* item = SelectedItem();
  if (item && item->childCount() == 0 && KvCmdEnabled(this, KV_CMD_OPEN))
    OnOpen();
}

void CKvTreeCtrl::contextMenuEvent(QContextMenuEvent* event) {
  QPoint globalPos = event->globalPos();
  if (event->reason() == QContextMenuEvent::Mouse) {
    // The item under the mouse becomes the selected one first.
    if (QTreeWidgetItem* item = itemAt(event->pos()))
      setCurrentItem(item);
  } else if (const QTreeWidgetItem* item = SelectedItem()) {
    globalPos = viewport()->mapToGlobal(visualItemRect(item).center());
  }
  event->accept();
  std::unique_ptr<QMenu> menu(KvBuildPopupMenu(KV_MENU_TREE, this));
  OnPrepareContextMenu(menu.get());
  KvTrackPopupMenu(menu.get(), globalPos, this);
}
