#include "forms/CKvHeadBlockDlg.h"

#include "forms/CKvDoc.h"
#include "forms/CKvPublicPage.h"
#include "forms/KvFormEntry.h"
#include "forms/KvSheetControls.h"
#include "print/KvPageSetupParts.h"
#include "ui/CKvEdit.h"
#include "ui/KvObjectNames.h"
#include "ui/KvUpDownEdit.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <utility>

namespace {
// The caption column is Char(100); the five characters are those no stored
// text may hold.
const QString kWordsType = QStringLiteral("STRING NOT |[]'\"");
constexpr int kWordsWidth = 100;

// A corner group: "栏：" and "行：" with their fields.
QGroupBox* cornerBox(const QString& title, KvUpDownEdit* col, KvUpDownEdit* row, QWidget* parent) {
  auto* box = new QGroupBox(title, parent);
  auto* layout = new QHBoxLayout(box);
  for (auto [text, edit] : {std::pair{QStringLiteral("栏："), col}, std::pair{QStringLiteral("行："), row}}) {
    layout->addWidget(KvNewBuddyLabel(text, edit, box));
    layout->addWidget(edit);
    layout->addSpacing(8);
  }
  layout->addStretch();
  return box;
}
}  // namespace

CKvHeadBlockDlg::CKvHeadBlockDlg(CKvPublicPage* pPage, KvFormEntry* pEntry, bool bNew, int nIndex)
    : CKvAppDlg(856, pPage->Document()->m_pDb, pPage),
      m_pEntry(pEntry),
      m_bNew(bNew),
      m_nIndex(bNew ? -1 : nIndex),
      m_nWidth(pEntry->ShownColumnCount()),
      m_nHeight(kKvHeadRows.Bound(pEntry->nTopNum)),
      m_pWords(KvSetControlId(new CKvEdit(this), IDC_WORDS)),
      m_pCol1(KvNewUpDown(this, IDC_COL1)),
      m_pRow1(KvNewUpDown(this, IDC_ROW1)),
      m_pCol2(KvNewUpDown(this, IDC_COL2)),
      m_pRow2(KvNewUpDown(this, IDC_ROW2)) {
  setWindowTitle(bNew ? QStringLiteral("新增栏头单元块") : QStringLiteral("修改栏头单元块属性"));
  m_pWords->SetInputType(kWordsType, kWordsWidth);
  m_pWords->setMinimumWidth(260);

  auto* caption = new QHBoxLayout;
  caption->addWidget(KvNewBuddyLabel(QStringLiteral("单元块内文字："), m_pWords, this));
  caption->addWidget(m_pWords, 1);
  auto* corners = new QHBoxLayout;
  corners->addWidget(cornerBox(QStringLiteral("左上角"), m_pCol1, m_pRow1, this));
  corners->addWidget(cornerBox(QStringLiteral("右下角"), m_pCol2, m_pRow2, this));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(caption);
  layout->addLayout(corners);
  KvAddOkCancelRow(this, layout);

  for (KvUpDownEdit* col : {m_pCol1, m_pCol2})
    col->SetRange(1, m_nWidth);
  for (KvUpDownEdit* row : {m_pRow1, m_pRow2}) {
    row->SetRange(1, m_nHeight);
    row->setEnabled(m_nHeight != 1);
  }
  const KvTopWord word = bNew ? KvTopWord{1, 1, 1, 1, QString()} : pEntry->topWords.value(nIndex);
  m_pWords->setText(word.sWords);
  m_pCol1->SetPos(word.nCol1);
  m_pRow1->SetPos(word.nRow1);
  m_pCol2->SetPos(word.nCol2);
  m_pRow2->SetPos(word.nRow2);
}

bool CKvHeadBlockDlg::isCovered(int nCol, int nRow) const {
  for (int i = 0; i < m_pEntry->topWords.size(); ++i) {
    const KvTopWord& word = m_pEntry->topWords.at(i);
    if (i != m_nIndex && word.nCol1 <= nCol && nCol <= word.nCol2 && word.nRow1 <= nRow &&
        nRow <= word.nRow2)
      return true;
  }
  return false;
}

bool CKvHeadBlockDlg::FindFreeCell() {
  if (!m_bNew)
    return true;
  for (int row = 1; row <= m_nHeight; ++row)
    for (int col = 1; col <= m_nWidth; ++col)
      if (!isCovered(col, row)) {
        m_pCol1->SetPos(col);
        m_pCol2->SetPos(col);
        m_pRow1->SetPos(row);
        m_pRow2->SetPos(row);
        return true;
      }
  KvMessageBox(QStringLiteral("栏头单元块已被定义完毕！"), KV_MB_OK);
  return false;
}

bool CKvHeadBlockDlg::SaveData() {
  if (!m_pCol1->InRange())
    return KvRefuseField(QStringLiteral("左上角栏坐标超界！"), m_pCol1);
  if (!m_pRow1->InRange())
    return KvRefuseField(QStringLiteral("左上角行坐标超界！"), m_pRow1);
  if (!m_pCol2->InRange())
    return KvRefuseField(QStringLiteral("右下角栏坐标超界！"), m_pCol2);
  if (!m_pRow2->InRange())
    return KvRefuseField(QStringLiteral("右下角行坐标超界！"), m_pRow2);
  KvTopWord word{m_pCol1->Pos(), m_pRow1->Pos(), m_pCol2->Pos(), m_pRow2->Pos(), m_pWords->text()};
  if (!m_bNew && m_pEntry->topWords.value(m_nIndex) == word)
    return true;
  if (word.nCol1 > word.nCol2 || word.nRow1 > word.nRow2) {
    KvMessageBox(QStringLiteral("单元块定义不合适！"), KV_MB_OK);
    return false;
  }
  word.sWords = word.sWords.trimmed();
  if (word.sWords.isEmpty())
    return KvRefuseField(QStringLiteral("栏名不能为空！"), m_pWords);
  for (int row = word.nRow1; row <= word.nRow2; ++row)
    for (int col = word.nCol1; col <= word.nCol2; ++col)
      if (isCovered(col, row)) {
        KvMessageBox(QStringLiteral("当前定义的单元块与已定义的重叠！"), KV_MB_OK);
        return false;
      }
  if (m_bNew)
    m_pEntry->topWords.append(word);
  else
    m_pEntry->topWords[m_nIndex] = word;
  return true;
}
