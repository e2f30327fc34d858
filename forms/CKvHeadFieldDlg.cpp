#include "forms/CKvHeadFieldDlg.h"

#include "forms/CKvDoc.h"
#include "forms/CKvPublicPage.h"
#include "forms/KvFormEntry.h"
#include "forms/KvSheetControls.h"
#include "print/KvPageSetupParts.h"
#include "ui/CKvEdit.h"
#include "ui/KvComboHelpers.h"
#include "ui/KvObjectNames.h"
#include "ui/KvUpDownEdit.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// The stored prompt is Char(20); the content is kept to 50.
constexpr int kNoteWidth = 20;
constexpr int kWordsWidth = 50;
constexpr int kMostRows = 15;
// The stored nColPecent is edit-box length × 100 + position, so a position
// of 100 would read back as position 0 with an edit box one longer: the
// right-most place a field can start at is 99.
constexpr int kMostPosition = 99;
constexpr int kNewLength = 10;
constexpr int kOpenLength = 50;

// The edit-box length a module allows its field of that prompt: its own
// default field's, else its first default field's; 0 without defaults.
int defaultLength(CKvDoc* pDoc, const QString& note, bool* found) {
  KvFormEntry defaults;
  pDoc->BuildHeadNotes(defaults);
  *found = !defaults.headNotes.isEmpty();
  for (const KvHeadNote& field : std::as_const(defaults.headNotes))
    if (field.sNote.trimmed() == note.trimmed())
      return field.EditLength();
  return *found ? defaults.headNotes.first().EditLength() : 0;
}
}  // namespace

CKvHeadFieldDlg::CKvHeadFieldDlg(CKvPublicPage* pPage, CKvDoc* pDoc, KvFormEntry* pEntry, bool bNew,
                                 int nIndex)
    : CKvAppDlg(858, pDoc->m_pDb, pPage),
      m_pEntry(pEntry),
      m_bNew(bNew),
      m_nIndex(bNew ? -1 : nIndex),
      m_pHead(KvSetControlId(new QRadioButton(QStringLiteral("表头"), this), IDC_HEAD)),
      m_pTail(KvSetControlId(new QRadioButton(QStringLiteral("表尾"), this), IDC_TAIL)),
      m_pRow(KvNewUpDown(this, IDC_ROW)),
      m_pPosition(KvNewUpDown(this, IDC_POSITION)),
      m_pOverlay(KvSetControlId(new QRadioButton(QStringLiteral("套打"), this), IDC_OVERLAY)),
      m_pNoOverlay(KvSetControlId(new QRadioButton(QStringLiteral("不套打"), this), IDC_NO_OVERLAY)),
      m_pLength(KvNewUpDown(this, IDC_LENGTH)),
      m_pNote(KvSetControlId(new CKvEdit(this), IDC_NOTE)),
      m_pWords(KvSetControlId(new QComboBox(this), IDC_WORDS)) {
  setWindowTitle(bNew ? QStringLiteral("新增表头表尾字域") : QStringLiteral("修改表头表尾字域属性"));
  m_pNote->SetInputType(QStringLiteral("STRING NOT |[]'"), kNoteWidth);
  auto* wordsEdit = new CKvEdit(m_pWords);
  wordsEdit->SetInputType(QStringLiteral("STRING"), kWordsWidth);
  KvSetComboEditable(m_pWords, wordsEdit);
  m_pWords->setMinimumWidth(260);
  for (const KvMacroRow& macro : std::as_const(pDoc->m_macros))
    m_pWords->addItem(QStringLiteral("%1 %2").arg(macro.sCaption, macro.sToken));

  auto* texts = new QGridLayout;
  texts->addWidget(KvNewBuddyLabel(QStringLiteral("字域提示："), m_pNote, this), 0, 0);
  texts->addWidget(m_pNote, 0, 1);
  texts->addWidget(KvNewBuddyLabel(QStringLiteral("显示内容："), m_pWords, this), 1, 0);
  texts->addWidget(m_pWords, 1, 1);
  texts->setColumnStretch(1, 1);

  auto* place = new QGroupBox(QStringLiteral("位置"), this);
  auto* placeLayout = new QGridLayout(place);
  auto* areaGroup = new QButtonGroup(this);
  areaGroup->addButton(m_pHead);
  areaGroup->addButton(m_pTail);
  placeLayout->addWidget(m_pHead, 0, 0);
  placeLayout->addWidget(m_pTail, 1, 0);
  placeLayout->setColumnMinimumWidth(1, 16);
  placeLayout->addWidget(KvNewBuddyLabel(QStringLiteral("行次："), m_pRow, place), 0, 2);
  placeLayout->addWidget(m_pRow, 0, 3);
  placeLayout->addWidget(KvNewBuddyLabel(QStringLiteral("栏位置："), m_pPosition, place), 1, 2);
  placeLayout->addWidget(m_pPosition, 1, 3);
  placeLayout->addWidget(new QLabel(QStringLiteral("％"), place), 1, 4);
  placeLayout->setColumnStretch(5, 1);

  auto* print = new QGroupBox(QStringLiteral("输出"), this);
  auto* printLayout = new QGridLayout(print);
  auto* overlayGroup = new QButtonGroup(this);
  overlayGroup->addButton(m_pOverlay);
  overlayGroup->addButton(m_pNoOverlay);
  printLayout->addWidget(m_pOverlay, 0, 0);
  printLayout->addWidget(m_pNoOverlay, 1, 0);
  printLayout->setColumnMinimumWidth(1, 16);
  printLayout->addWidget(KvNewBuddyLabel(QStringLiteral("编辑框长度："), m_pLength, print), 0, 2);
  printLayout->addWidget(m_pLength, 0, 3);
  printLayout->setColumnStretch(4, 1);

  auto* groups = new QHBoxLayout;
  groups->addWidget(place);
  groups->addWidget(print);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(texts);
  layout->addLayout(groups);
  KvAddOkCancelRow(this, layout);

  m_pRow->SetRange(1, kMostRows);
  m_pPosition->SetRange(0, kMostPosition);
  if (bNew) {
    m_pRow->SetPos(1);
    m_pPosition->SetPos(0);
    m_pLength->SetRange(0, kNewLength);
    m_pLength->SetPos(0);
    m_pLength->setEnabled(false);
    m_pHead->setChecked(true);
    m_pOverlay->setChecked(true);
    m_pWords->setEditText(QString());
    return;
  }
  const KvHeadNote field = pEntry->headNotes.value(nIndex);
  m_pNote->setText(field.sNote);
  m_pWords->setEditText(field.sWords);
  m_pRow->SetPos(field.nRow + 1);
  m_pPosition->SetPos(field.Position());
  m_pLength->SetPos(field.EditLength());
  (field.bIsTail ? m_pTail : m_pHead)->setChecked(true);
  (field.bIsUse ? m_pOverlay : m_pNoOverlay)->setChecked(true);
  if (field.bIsSystem == 0) {
    m_pLength->SetRange(0, kOpenLength);
    m_pLength->setEnabled(false);
    return;
  }
  // A module's field keeps its prompt and content.
  m_pNote->setEnabled(false);
  m_pWords->setEnabled(false);
  bool hasDefaults = false;
  const int most = defaultLength(pDoc, field.sNote, &hasDefaults);
  if (hasDefaults)
    m_pLength->SetRange(std::min(1, most), most);
  else
    m_pLength->SetRange(0, kOpenLength);
}

bool CKvHeadFieldDlg::SaveData() {
  if (!m_pRow->InRange())
    return KvRefuseField(QStringLiteral("显示行次超界！"), m_pRow);
  if (!m_pPosition->InRange())
    return KvRefuseField(QStringLiteral("栏位置超界！"), m_pPosition);
  if (!m_pLength->InRange())
    return KvRefuseField(QStringLiteral("编辑框长度不合适！"), m_pLength);
  const QString note = m_pNote->text().trimmed();
  if (note.isEmpty())
    return KvRefuseField(QStringLiteral("字域提示不能为空，重输！"), m_pNote);
  const QString words = m_pWords->currentText().trimmed();
  if (words.isEmpty())
    return KvRefuseField(QStringLiteral("显示内容不能为空，重输！"), m_pWords);

  const int isTail = m_pTail->isChecked() ? 1 : 0;
  const int row = m_pRow->Pos() - 1;
  const int position = m_pPosition->Pos();
  const QList<KvHeadNote>& fields = m_pEntry->headNotes;
  for (int i = 0; i < fields.size(); ++i) {
    const KvHeadNote& other = fields.at(i);
    if (i != m_nIndex && (other.bIsTail != 0) == (isTail != 0) && other.nRow == row &&
        other.Position() == position)
      return KvRefuseField(QStringLiteral("该字域的位置已存在!"), m_pPosition);
  }
  for (int i = 0; i < fields.size(); ++i)
    if (i != m_nIndex && fields.at(i).sNote.trimmed() == note)
      return KvRefuseField(QStringLiteral("该字域提示已存在!"), m_pNote);

  const int colPecent = m_pLength->Pos() * 100 + position;
  const int isUse = m_pOverlay->isChecked() ? 1 : 0;
  if (m_bNew) {
    m_pEntry->AddHeadNote(isTail, row, colPecent, isUse, 0, note, words);
    return true;
  }
  KvHeadNote& field = m_pEntry->headNotes[m_nIndex];
  field.bIsTail = isTail;
  field.nRow = row;
  field.nColPecent = colPecent;
  field.bIsUse = isUse;
  if (field.bIsSystem == 0) {
    field.sNote = note;
    field.sWords = words;
  }
  return true;
}
