#include "ui/CKvTreeView.h"

#include "ui/KvCommands.h"

namespace {
// Whether `above` is `item` or lies on its path to the top.
bool isOnPathOf(const QTreeWidgetItem* above, const QTreeWidgetItem* item) {
  for (; item; item = item->parent())
    if (item == above)
      return true;
  return false;
}
}  // namespace

CKvTreeView::CKvTreeView(QWidget* parent) : CKvTreeCtrl(parent) {
  connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current, QTreeWidgetItem* previous) {
    if (m_bSingleExpand)
      expandSingle(current, previous);
  });
}

void CKvTreeView::expandSingle(QTreeWidgetItem* current, QTreeWidgetItem* previous) {
  if (!current)
    return;
  if (previous && !isOnPathOf(current, previous))
    for (QTreeWidgetItem* item = previous; item && !isOnPathOf(item, current); item = item->parent())
      item->setExpanded(false);
  for (QTreeWidgetItem* item = current; item; item = item->parent())
    if (item->childCount() > 0)
      item->setExpanded(true);
}

void CKvTreeView::initialUpdate() { InitTree(); }

void CKvTreeView::InitImages() { CKvTreeCtrl::LoadImageLists(); }

QString CKvTreeView::GetCopyText() const { return GetPathText(); }

int CKvTreeView::GetItemPath(QStringList* path, QTreeWidgetItem* item) const {
  return CKvTreeCtrl::GetPathTexts(path, item);
}

int CKvTreeView::GetSelectedPath(QStringList* path) const { return GetItemPath(path, nullptr); }

int CKvTreeView::ReadClipboardRows(QStringList* texts, bool* bCut, bool* bSameFile, CKvDbInfo* from) {
  return KvRowControl::ReadClipboard(texts, bCut, bSameFile, from);
}

void CKvTreeView::PasteRows(const QStringList&, bool, bool, const CKvDbInfo&) {}

void CKvTreeView::OnCheckChanged(QTreeWidgetItem* item, bool checked) { SetCheckChildren(item, checked); }

void CKvTreeView::SetCheckChildren(QTreeWidgetItem* item, bool checked) {
  CKvTreeCtrl::CheckChildren(item, checked);
}

QString CKvTreeView::GetItemKey(const QString& text) const { return text; }

QTreeWidgetItem* CKvTreeView::findKeyText(QTreeWidgetItem* parent, const QString& joined,
                                          const QString& text) const {
  const QTreeWidgetItem* level = parent ? parent : invisibleRootItem();
  for (int i = 0; i < level->childCount(); ++i) {
    QTreeWidgetItem* child = level->child(i);
    const QString keys = joined + GetItemKey(child->text(0));
    if (!text.startsWith(keys))
      continue;
    if (keys.size() == text.size())
      return child;
    // A key that only begins the rest may lead nowhere: the next item of
    // this level is tried then.
    if (QTreeWidgetItem* below = findKeyText(child, keys, text))
      return below;
  }
  return nullptr;
}

QTreeWidgetItem* CKvTreeView::SelectByKeyText(const QString& text) {
  QTreeWidgetItem* item = findKeyText(nullptr, QString(), text);
  if (item)
    selectAndExpand(item);
  return item;
}

QTreeWidgetItem* CKvTreeView::SelectByPath(const QStringList& path) {
  QTreeWidgetItem* level = invisibleRootItem();
  QTreeWidgetItem* found = nullptr;
  for (const QString& key : path) {
    found = nullptr;
    for (int i = 0; i < level->childCount() && !found; ++i) {
      if (GetItemKey(level->child(i)->text(0)) == key)
        found = level->child(i);
    }
    if (!found)
      return nullptr;
    level = found;
  }
  if (found)
    selectAndExpand(found);
  return found;
}

void CKvTreeView::selectAndExpand(QTreeWidgetItem* item) {
  setCurrentItem(item);
  item->setExpanded(true);
  scrollToItem(item);
}

bool CKvTreeView::IsCmdEnabled(int id) {
  switch (id) {
    case KV_CMD_EDIT_FIND: return topLevelItemCount() > 0;
    case KV_CMD_EDIT_COPY:
    case KV_CMD_EDIT_CUT:
    case KV_CMD_OPEN:
    case KV_CMD_MODIFY:
    case KV_CMD_DELETE: return SelectedItem() != nullptr;
    case KV_CMD_EDIT_FIND_NEXT: return topLevelItemCount() > 0 && !m_find.Text().isEmpty();
    default: return true;
  }
}

void CKvTreeView::OnFind() {
  ResetFind();
  CKvTreeCtrl::OnFind();
}

bool CKvTreeView::HandlesCmd(int id) const { return KvRowControl::HandlesCmd(id); }
