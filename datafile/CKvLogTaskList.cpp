#include "datafile/CKvLogTaskList.h"

#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"

#include <QAction>
#include <QMenu>

namespace {
// The list's commands that have no meaning for tasks.
bool isUnused(int id) {
  switch (id) {
    case KV_CMD_NEW:
    case KV_CMD_OPEN:
    case KV_CMD_MODIFY:
    case KV_CMD_EDIT_CUT:
    case KV_CMD_EDIT_COPY:
    case KV_CMD_EDIT_PASTE: return true;
    default: return false;
  }
}
}  // namespace

CKvLogTaskList::CKvLogTaskList(QWidget* parent) : CKvListCtrl(parent) {
  KvSetControlId(this, IDC_LIST);
}

void CKvLogTaskList::GetIconIds(QList<int>* ids) const { *ids = {130}; }

bool CKvLogTaskList::GetPrintInfo(int* formId, QString* title) const {
  *formId = 859;
  *title = QStringLiteral("任务表");
  return true;
}

void CKvLogTaskList::OnPrepareContextMenu(QMenu* popup) {
  CKvListCtrl::OnPrepareContextMenu(popup);
  for (QAction* action : popup->actions()) {
    if (!action->isSeparator() && isUnused(action->data().toInt())) {
      popup->removeAction(action);
      delete action;
    }
  }
}

bool CKvLogTaskList::IsCmdEnabled(int id) {
  if (isUnused(id))
    return false;
  if (id == KV_CMD_DELETE)
    return !GetSelectedRows().isEmpty();
  return CKvListCtrl::IsCmdEnabled(id);
}

void CKvLogTaskList::OnDelete() {
  if (IsCmdEnabled(KV_CMD_DELETE))
    emit deleteRequested();
}
