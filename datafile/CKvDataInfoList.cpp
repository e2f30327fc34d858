#include "datafile/CKvDataInfoList.h"

#include "app/KvDataInfoItem.h"
#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTreeView>

CKvDataInfoList::CKvDataInfoList(QWidget* parent) : CKvListCtrl(parent) {
  KvSetControlId(this, IDC_LIST);
}

int CKvDataInfoList::CommandRow() const {
  const QList<int> rows = GetSelectedRows();
  if (rows.size() != 1 || !m_pItems || rows.first() >= m_pItems->size())
    return -1;
  const KvDataInfoItem& item = m_pItems->at(rows.first());
  if (item.nKind != 0 || !item.bHasCommand || item.strRightItem.isEmpty())
    return -1;
  return m_mayUse && m_mayUse(item.strRightItem) ? rows.first() : -1;
}

void CKvDataInfoList::SelectRow(int row) {
  QTreeView* view = DetailsView();
  const QModelIndex index = view->model()->index(row, 0);
  if (!index.isValid())
    return;
  view->selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  view->scrollTo(index);
  View()->setFocus();
}

void CKvDataInfoList::GetIconIds(QList<int>* ids) const { *ids = {700, 701, 703}; }

void CKvDataInfoList::OnPrepareContextMenu(QMenu* popup) {
  CKvListCtrl::OnPrepareContextMenu(popup);
  QAction* find = nullptr;
  for (QAction* action : popup->actions()) {
    if (!action->isSeparator() && action->data().toInt() == KV_CMD_EDIT_FIND) {
      find = action;
      break;
    }
    popup->removeAction(action);
    delete action;
  }
  const int row = CommandRow();
  if (row < 0)
    return;
  auto* open = new QAction(m_pItems->at(row).strCommand, popup);
  open->setData(int(KV_CMD_OPEN));
  open->setObjectName(KvCommandObjectName(KV_CMD_OPEN));
  popup->insertAction(find, open);
  popup->insertSeparator(find);
}

bool CKvDataInfoList::IsCmdEnabled(int id) {
  if (id == KV_CMD_OPEN)
    return CommandRow() >= 0;
  return CKvListCtrl::IsCmdEnabled(id);
}

void CKvDataInfoList::OnOpen() {
  const int row = CommandRow();
  if (row >= 0)
    emit openRequested(row);
}
