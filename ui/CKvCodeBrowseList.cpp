#include "ui/CKvCodeBrowseList.h"

#include "ui/CKvCodeBrowseDlg.h"
#include "ui/CKvCommandRegistry.h"
#include "ui/KvCommands.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTreeView>

CKvCodeBrowseList::CKvCodeBrowseList(CKvCodeBrowseDlg* dialog, QWidget* parent)
    : CKvListCtrl(parent), m_pDialog(dialog) {}

bool CKvCodeBrowseList::offer(int id) const { return m_pDialog->OnListCommand(id); }

// --- Selection ---

bool CKvCodeBrowseList::SelectOnlyRow(int row) {
  QItemSelectionModel* selection = DetailsView()->selectionModel();
  selection->clearSelection();
  if (row < 0 || row >= GetItemCount())
    return false;
  const QModelIndex index = DetailsView()->model()->index(row, 0);
  View()->scrollTo(index);
  selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  return true;
}

bool CKvCodeBrowseList::SelectOnlyCode(const QString& code) {
  DetailsView()->selectionModel()->clearSelection();
  return FindAndSelect(code) >= 0;
}

int CKvCodeBrowseList::SelectOnlyCodes(const QStringList& codes) {
  DetailsView()->selectionModel()->clearSelection();
  return SelectTexts(codes);
}

// --- Enabling ---

bool CKvCodeBrowseList::IsCmdEnabled(int id) {
  const qsizetype selected = GetSelectedRows().size();
  switch (id) {
    case KV_CMD_OPEN:
    case KV_CMD_DELETE: return selected > 0;
    case KV_CMD_MODIFY: return selected == 1;
    case KV_CMD_VIEW_LARGE_ICONS:
    case KV_CMD_VIEW_SMALL_ICONS:
    case KV_CMD_VIEW_LIST:
    case KV_CMD_VIEW_DETAILS: return true;
    case KV_CMD_BACK: return !m_pDialog->ParentCode().isEmpty();
    case KV_CMD_FORWARD:
      return selected == 1 && m_pDialog->CanDrillDown(GetItemText(GetFirstSelected(), 0));
    default: return CKvListCtrl::IsCmdEnabled(id);
  }
}

bool CKvCodeBrowseList::IsCmdAllowed(int id) { return m_pDialog->IsCmdAllowed(id); }

// --- The dialog's hooks ---

unsigned CKvCodeBrowseList::GetClipboardFormat() const { return m_pDialog->GetClipboardFormat(); }

int CKvCodeBrowseList::GetColumnFormat(int column) const {
  return m_pDialog->GetColumnFormat(column);
}

void CKvCodeBrowseList::GetIconIds(QList<int>* ids) const { m_pDialog->GetIconIds(ids); }

int CKvCodeBrowseList::GetCopyTexts(QStringList* texts) const {
  return m_pDialog->GetSelectedCodes(texts);
}

void CKvCodeBrowseList::PasteItems(const QStringList& texts, bool bCut, bool bSameFile,
                                   const CKvDbInfo& from) {
  m_pDialog->PasteRows(texts, bCut, bSameFile, from);
}

void CKvCodeBrowseList::OnPrepareContextMenu(QMenu* popup) {
  QAction* cut = nullptr;
  for (QAction* action : popup->actions()) {
    if (KvActionCommandId(action) == KV_CMD_EDIT_CUT) {
      cut = action;
      break;
    }
  }
  const CKvCommandRegistry& registry = CKvCommandRegistry::Instance();
  popup->insertAction(cut, registry.CreateAction(KV_CMD_BACK, popup));
  popup->insertAction(cut, registry.CreateAction(KV_CMD_FORWARD, popup));
  popup->insertSeparator(cut);
  m_pDialog->OnPrepareContextMenu(popup);
}

// --- Commands: each offered to the dialog first ---

void CKvCodeBrowseList::ExecuteCmd(int id) {
  switch (id) {
    // These end in the operations below, which offer them.
    case KV_CMD_NEW:
    case KV_CMD_OPEN:
    case KV_CMD_MODIFY:
    case KV_CMD_DELETE:
    case KV_CMD_EDIT_COPY:
    case KV_CMD_EDIT_CUT:
    case KV_CMD_EDIT_PASTE:
    case KV_CMD_BACK:
    case KV_CMD_FORWARD: CKvListCtrl::ExecuteCmd(id); break;
    default:
      if (offer(id))
        CKvListCtrl::ExecuteCmd(id);
      break;
  }
}

void CKvCodeBrowseList::OnNew() {
  if (offer(KV_CMD_NEW))
    m_pDialog->NewCode();
}

void CKvCodeBrowseList::OnOpen() {
  if (offer(KV_CMD_OPEN))
    m_pDialog->OpenCode();
}

void CKvCodeBrowseList::OnModify() {
  if (offer(KV_CMD_MODIFY))
    m_pDialog->ModifyCode();
}

void CKvCodeBrowseList::OnDelete() {
  if (offer(KV_CMD_DELETE))
    m_pDialog->DeleteCodes();
}

void CKvCodeBrowseList::OnCopy() {
  if (offer(KV_CMD_EDIT_COPY))
    CKvListCtrl::OnCopy();
}

void CKvCodeBrowseList::OnCut() {
  if (offer(KV_CMD_EDIT_CUT))
    CKvListCtrl::OnCut();
}

void CKvCodeBrowseList::OnPaste() {
  if (offer(KV_CMD_EDIT_PASTE))
    CKvListCtrl::OnPaste();
}

void CKvCodeBrowseList::OnMoveLeft() {
  if (offer(KV_CMD_BACK))
    m_pDialog->GoBack();
}

void CKvCodeBrowseList::OnMoveRight() {
  if (offer(KV_CMD_FORWARD))
    m_pDialog->DrillDown();
}
