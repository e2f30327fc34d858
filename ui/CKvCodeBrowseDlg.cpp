#include "ui/CKvCodeBrowseDlg.h"

#include "core/CKvDb.h"
#include "core/KvMessage.h"
#include "ui/CKvCodeBrowseList.h"
#include "ui/CKvProgressWnd.h"
#include "ui/CKvWaitWnd.h"
#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"
#include "ui/KvRowClipboard.h"

CKvCodeBrowseDlg::CKvCodeBrowseDlg(unsigned idd, int listId, CKvDb* db, int mode, QWidget* parent,
                                   const QString& separator)
    : CKvZrvDlg(idd, db, parent, KV_ICON_APP),
      m_nMode(mode),
      m_strSeparator(separator),
      m_pList(KvSetControlId(new CKvCodeBrowseList(this, this), listId)) {}

// --- Hooks ---

bool CKvCodeBrowseDlg::OnListCommand(int) { return true; }
void CKvCodeBrowseDlg::GetIconIds(QList<int>*) const {}
int CKvCodeBrowseDlg::GetColumnFormat(int) const { return CKvListCtrl::LVCFMT_LEFT; }
unsigned CKvCodeBrowseDlg::GetClipboardFormat() const { return KV_ROW_CLIPBOARD_FORMAT; }
void CKvCodeBrowseDlg::OnChoose() { CKvZrvDlg::OnOK(); }
bool CKvCodeBrowseDlg::CanStartAt(const QString&) { return true; }
bool CKvCodeBrowseDlg::IsCodeUsed(const QString&) { return true; }
bool CKvCodeBrowseDlg::IsSelectable(const QString&) { return true; }
bool CKvCodeBrowseDlg::CanDrillDown(const QString&) { return true; }

QString CKvCodeBrowseDlg::GetParentCode(const QString& code) {
  if (m_strSeparator.isEmpty())
    return QString();
  const qsizetype at = code.lastIndexOf(m_strSeparator);
  return at < 0 ? QString() : code.left(at);
}

bool CKvCodeBrowseDlg::EditCode(QString*, bool) { return false; }
bool CKvCodeBrowseDlg::DeleteCode(const QString&) { return false; }
void CKvCodeBrowseDlg::OnCodeDeleted(const QString&) {}

int CKvCodeBrowseDlg::GetSelectedCodes(QStringList* codes) const {
  return m_pList->CKvListCtrl::GetSelectedTexts(codes);
}

QString CKvCodeBrowseDlg::GetPasteCode(const QString& rowCode, const QString&) { return rowCode; }
bool CKvCodeBrowseDlg::PasteCode(const QString&, const QString&, bool) { return false; }
bool CKvCodeBrowseDlg::CanCutInto() { return true; }

// --- Setting up ---

void CKvCodeBrowseDlg::OnInitDialog() {
  CKvWaitWnd wait;
  wait.Show(parentWidget());
  CKvZrvDlg::OnInitDialog();
  OnInitBrowse();
  m_pList->SetDb(Db());
  m_pList->InitList();
  m_pList->SetExStyle(CKvListCtrl::LVS_EX_GRIDLINES | CKvListCtrl::LVS_EX_FULLROWSELECT);
  InitColumns();
  const QString& start = m_strSelectedCode;
  const bool startThere = !start.isEmpty() && CanStartAt(start);
  // A code to pick a leaf under opens on what lies below it.
  const bool below = startThere && m_nMode == 1 && !IsSelectable(start);
  m_strParentCode = below ? start : startThere ? GetParentCode(start) : QString();
  FillList();
  if (below || !m_pList->SelectOnlyCode(start))
    m_pList->SelectOnlyRow(0);
}

// --- Commands ---

QString CKvCodeBrowseDlg::firstSelectedCode() const {
  const int row = m_pList->GetFirstSelected();
  return row < 0 ? QString() : m_pList->GetItemText(row, 0);
}

void CKvCodeBrowseDlg::refillAt(const QString& code) {
  FillList();
  m_pList->SelectOnlyCode(code);
}

void CKvCodeBrowseDlg::OnOK() {
  if (OnListCommand(KV_CMD_OPEN))
    OpenCode();
}

void CKvCodeBrowseDlg::OpenCode() {
  if (m_pList->GetFirstSelected() < 0)
    return;
  const QString code = firstSelectedCode();
  if (m_nMode >= 2 || (m_nMode == 1 && IsSelectable(code))) {
    m_strSelectedCode = code;
    OnChoose();
  } else if (CanDrillDown(code)) {
    m_pList->ExecuteCmd(KV_CMD_FORWARD);
  }
}

void CKvCodeBrowseDlg::DrillDown() {
  if (m_pList->GetFirstSelected() < 0)
    return;
  m_strParentCode = firstSelectedCode();
  FillList();
  m_pList->SelectOnlyRow(0);
}

void CKvCodeBrowseDlg::GoBack() {
  const QString left = m_strParentCode;
  m_strParentCode = GetParentCode(left);
  if (m_strParentCode != left)
    refillAt(left);
}

void CKvCodeBrowseDlg::NewCode() {
  // The add dialog may add several codes one after another.
  QString code = firstSelectedCode();
  while (EditCode(&code, true))
    refillAt(code);
}

void CKvCodeBrowseDlg::ModifyCode() {
  QString code = firstSelectedCode();
  if (EditCode(&code, false))
    refillAt(code);
}

void CKvCodeBrowseDlg::DeleteCodes() {
  QStringList codes;
  for (int row : m_pList->GetSelectedRows())
    codes.append(m_pList->GetItemText(row, 0));
  if (codes.isEmpty())
    return;
  int index = m_pList->GetFirstSelected();
  if (KvMessageBox(QStringLiteral("真的要删除吗？"), KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) != KV_IDYES)
    return;
  int deleted = 0;
  for (qsizetype i = codes.size() - 1; i >= 0; --i) {
    const QString code = codes.at(i);
    if (!DeleteCode(code))
      continue;
    OnCodeDeleted(code);
    codes.removeAt(i);
    ++deleted;
  }
  if (deleted == 0)
    return;
  FillList();
  if (!codes.isEmpty()) {
    m_pList->SelectOnlyCodes(codes);
    return;
  }
  if (index >= m_pList->GetItemCount())
    --index;
  if (index >= 0) {
    m_pList->SelectOnlyRow(index);
  } else if (!m_strParentCode.isEmpty()) {
    // The level is empty now: go up to the code it belonged to.
    const QString left = m_strParentCode;
    m_strParentCode = GetParentCode(left);
    refillAt(left);
  }
}

void CKvCodeBrowseDlg::PasteRows(const QStringList& rows, bool cut, bool sameFile,
                                 const CKvDbInfo&) {
  const CKvDb* db = Db();
  if (!OnListCommand(KV_CMD_EDIT_PASTE) || !db || !db->IsOpen())
    return;
  if (!sameFile) {
    KvMessageBox(QStringLiteral("不能在不同数据文件之间粘贴！"), KV_MB_OK | KV_MB_ICONSTOP);
    return;
  }
  if (IsSelectable(m_strParentCode) && IsCodeUsed(m_strParentCode)) {
    KvMessageBox(QStringLiteral("该项为最低级且已被引用，不能在此粘贴！"), KV_MB_OK | KV_MB_ICONSTOP);
    return;
  }
  CKvProgressWnd progress;
  progress.Create(int(rows.size()), this);
  progress.Show();
  QStringList pasted;
  for (const QString& row : rows) {
    progress.Step();
    const QString newCode = GetPasteCode(row, m_strParentCode);
    if (newCode.isEmpty())
      continue;
    const QString full =
        m_strParentCode.isEmpty() ? newCode : m_strParentCode + m_strSeparator + newCode;
    // A code cannot be moved onto itself or into its own subtree.
    if (cut && CanCutInto() &&
        (full == row || m_strParentCode == row || m_strParentCode.startsWith(row + m_strSeparator))) {
      KvMessageBox(QStringLiteral("不能剪切：") + row, KV_MB_OK | KV_MB_ICONSTOP);
      continue;
    }
    if (PasteCode(row, full, cut))
      pasted.append(full);
  }
  progress.Hide();
  if (pasted.isEmpty())
    return;
  FillList();
  m_pList->SelectOnlyCodes(pasted);
}
