#include "forms/CKvPublicPage3.h"

#include "forms/CKvDoc.h"
#include "forms/CKvHeadBlockDlg.h"
#include "forms/KvFormEntry.h"
#include "ui/KvCommands.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <QVBoxLayout>

namespace {
constexpr int kIcon = 627;
constexpr int kTextsPerRow = 3;

QString corner(int nCol, int nRow) { return QStringLiteral("(%1,%2)").arg(nCol).arg(nRow); }

// "column,row" into its two numbers (0 where there is none).
void readCorner(const QString& text, int& nCol, int& nRow) {
  const QStringList parts = text.split(u',');
  nCol = parts.value(0).trimmed().toInt();
  nRow = parts.value(1).trimmed().toInt();
}
}  // namespace

CKvPublicPage3::CKvPublicPage3(CKvDoc* pDoc, KvFormEntry* pEntry, QWidget* parent)
    : CKvPublicPage(855, pDoc, pEntry, parent),
      m_pList(KvSetControlId(new CKvPublicPageList(this, kIcon, this), IDC_LIST)) {
  m_pList->ModifyStyle(CKvListCtrl::LVS_TYPEMASK, CKvListCtrl::LVS_REPORT);
  m_pList->SetExStyle(CKvListCtrl::LVS_EX_GRIDLINES | CKvListCtrl::LVS_EX_FULLROWSELECT);
  m_pList->InitList();
  m_pList->SetPageColumns({QStringLiteral("单元块内文字"), QStringLiteral("左上角(栏,行)"),
                           QStringLiteral("右下角(栏,行)")},
                          {250, 100, 100});
  SetHelp(m_pList, QStringLiteral("栏头由若干单元块组成，每个单元块占据栏头中一个矩形区域，"
                                  "以（栏,行）表示其左上角和右下角；单元块不能重叠，"
                                  "并且要覆盖整个栏头。右击可新增、修改、删除单元块或取默认值。"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(m_pList);
}

QString CKvPublicPage3::Caption() const { return QStringLiteral("栏头属性"); }

void CKvPublicPage3::LoadControls() { Fill(); }

void CKvPublicPage3::Fill() {
  m_pList->DeleteAllItems();
  for (const KvTopWord& word : Entry().topWords)
    m_pList->AddRow({word.sWords, corner(word.nCol1, word.nRow1), corner(word.nCol2, word.nRow2)}, 0);
  m_pList->FitColumns();
}

bool CKvPublicPage3::IsListCmdEnabled(int id, bool bListRule) {
  switch (id) {
    case KV_CMD_OPEN:
    case KV_CMD_MODIFY:
    case KV_CMD_DELETE: return m_pList->GetSelectedRows().size() == 1;
    case KV_CMD_EDIT_CUT: return false;
    default: return bListRule;
  }
}

QList<int> CKvPublicPage3::HiddenMenuCommands() const { return {KV_CMD_OPEN, KV_CMD_EDIT_CUT}; }

void CKvPublicPage3::OnListNew() {
  CKvHeadBlockDlg dialog(this, &Entry(), true, -1);
  if (!dialog.FindFreeCell() || KvExecDialog(&dialog) != QDialog::Accepted)
    return;
  Fill();
  m_pList->SelectRows({m_pList->GetItemCount() - 1});
}

void CKvPublicPage3::OnListModify() {
  const QList<int> rows = m_pList->GetSelectedRows();
  if (rows.size() != 1)
    return;
  CKvHeadBlockDlg dialog(this, &Entry(), false, rows.first());
  if (KvExecDialog(&dialog) != QDialog::Accepted)
    return;
  Fill();
  m_pList->SelectRows({rows.first()});
}

void CKvPublicPage3::OnListDelete() {
  const QList<int> rows = m_pList->GetSelectedRows();
  if (rows.size() != 1 || rows.first() >= Entry().topWords.size())
    return;
  Entry().topWords.removeAt(rows.first());
  m_pList->DeleteItem(rows.first());
}

void CKvPublicPage3::OnListRestoreDefaults() {
  Entry().topWords.clear();
  Document()->BuildColumnHead(Entry());
  Fill();
}

void CKvPublicPage3::GetListCopyTexts(QStringList* texts) const {
  texts->clear();
  for (int row : m_pList->GetSelectedRows()) {
    const KvTopWord word = Entry().topWords.value(row);
    *texts << word.sWords << QStringLiteral("%1,%2").arg(word.nCol1).arg(word.nRow1)
           << QStringLiteral("%1,%2").arg(word.nCol2).arg(word.nRow2);
  }
}

void CKvPublicPage3::OnListPaste(const QStringList& texts) {
  QList<int> pasted;
  for (int i = 0; i + kTextsPerRow <= texts.size(); i += kTextsPerRow) {
    KvTopWord word;
    word.sWords = texts.at(i);
    readCorner(texts.at(i + 1), word.nCol1, word.nRow1);
    readCorner(texts.at(i + 2), word.nCol2, word.nRow2);
    pasted.append(int(Entry().topWords.size()));
    Entry().topWords.append(word);
  }
  Fill();
  m_pList->SelectRows(pasted);
}
