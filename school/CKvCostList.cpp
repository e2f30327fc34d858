#include "school/CKvCostList.h"

#include "app/CKvApp.h"
#include "app/CKvOperation.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "school/CCost.h"
#include "school/CKvCostEditDlg.h"
#include "school/CXxDataType.h"
#include "school/KvSchoolDlgParts.h"
#include "ui/KvCommands.h"
#include "ui/KvModal.h"

#include <QAbstractItemView>

namespace {
constexpr int kIcon = 644;

bool hasCatalogueRight() { return KvHasRight(CXxDataType::kModule, QStringLiteral("01")); }
}  // namespace

CKvCostList::CKvCostList(CKvDb* pDb, QWidget* parent) : CKvListCtrl(parent) {
  if (pDb)
    m_pDb = pDb;
}

void CKvCostList::Fill() {
  DeleteAllItems();
  QList<CCost> items;
  CCost::SelectAll(&items, m_pDb);
  for (const CCost& item : items)
    AddRow({item.KNO, item.NA, item.NT}, 0);
}

void CKvCostList::OnPrepareContextMenu(QMenu* popup) {
  KvRemoveMenuCommands(popup, {KV_CMD_EDIT_CUT, KV_CMD_EDIT_COPY, KV_CMD_EDIT_PASTE, KV_CMD_EDIT_SELECT_ALL});
}

bool CKvCostList::IsCmdAllowed(int id) {
  switch (id) {
    case KV_CMD_NEW:
    case KV_CMD_OPEN:
      return hasCatalogueRight();
    case KV_CMD_MODIFY:
    case KV_CMD_DELETE:
      return GetSelectedRows().size() == 1 && hasCatalogueRight();
    case KV_CMD_EDIT_COPY:
    case KV_CMD_EDIT_CUT:
    case KV_CMD_EDIT_PASTE:
      return false;
    default:
      return true;
  }
}

void CKvCostList::GetIconIds(QList<int>* ids) const { ids->append(kIcon); }

void CKvCostList::OnNew() {
  if (!KvCmdEnabled(this, KV_CMD_NEW))
    return;
  CCost proposal;
  if (const int row = GetFirstSelected(); row >= 0)
    proposal.Load(GetItemText(row, 0), m_pDb);
  for (;;) {
    CKvCostEditDlg dlg(1, QString(), m_pDb, window());
    dlg.m_cost = proposal;
    if (KvExecDialog(&dlg) != QDialog::Accepted)
      return;
    proposal = dlg.m_cost;
    Fill();
    FindAndSelect(proposal.KNO);
  }
}

void CKvCostList::OnOpen() { OnModify(); }

void CKvCostList::OnModify() {
  const QList<int> rows = GetSelectedRows();
  if (rows.size() != 1 || !KvCmdEnabled(this, KV_CMD_MODIFY))
    return;
  CKvCostEditDlg dlg(0, GetItemText(rows.first(), 0), m_pDb, window());
  // An item that cannot be read is not offered for editing.
  if (!dlg.Load() || KvExecDialog(&dlg) != QDialog::Accepted)
    return;
  Fill();
  FindAndSelect(dlg.m_cost.KNO);
}

void CKvCostList::OnDelete() {
  const int row = GetFirstSelected();
  if (row < 0 || !KvCmdEnabled(this, KV_CMD_DELETE))
    return;
  const QString code = GetItemText(row, 0);
  // A refused statement, BEGIN or COMMIT has shown the connection's error,
  // which stands alone.
  const unsigned shown = KvMessageCount();
  bool referenced = false;
  if (!CCost::Delete(code, m_pDb, &referenced)) {
    if (referenced)
      KvMessageBox(QStringLiteral("该费用项目已被引用，不能删除！"), KV_MB_OK | KV_MB_ICONSTOP);
    else if (KvMessageCount() == shown)
      KvMessageBox(QStringLiteral("删除失败！"), KV_MB_OK | KV_MB_ICONSTOP);
    return;
  }
  Fill();
  const int count = GetItemCount();
  const int next = row >= count - 1 ? row - 1 : row;
  if (next >= 0) {
    FindAndSelect(GetItemText(next, 0));
    View()->setFocus();
  }
  CKvOperation(CXxDataType::kModule, 0, KvFormat(QStringLiteral("删除：%s"), code));
}
