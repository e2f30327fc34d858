#include "school/CXxStdList.h"

#include "school/KvSchoolDlgParts.h"
#include "ui/CKvDlg.h"
#include "ui/KvCommands.h"

namespace {
const QList<int> kRemoved = {KV_CMD_NEW,       KV_CMD_MODIFY,     KV_CMD_DELETE,         KV_CMD_EDIT_CUT,
                             KV_CMD_EDIT_COPY, KV_CMD_EDIT_PASTE, KV_CMD_EDIT_SELECT_ALL};
}  // namespace

void CXxStdList::OnPrepareContextMenu(QMenu* popup) { KvRemoveMenuCommands(popup, kRemoved); }

bool CXxStdList::IsCmdAllowed(int id) {
  if (id == KV_CMD_OPEN)
    return GetSelectedRows().size() == 1;
  return !kRemoved.contains(id);
}

void CXxStdList::GetIconIds(QList<int>* ids) const { ids->append(651); }

void CXxStdList::OnOpen() {
  if (auto* dlg = qobject_cast<CKvDlg*>(window()))
    dlg->OnOK();
}
