#include "forms/CKvReplaceDlg.h"

#include "app/CKvApp.h"
#include "app/CKvDlgPos.h"
#include "core/CKvCsRec.h"
#include "core/KvDbTransaction.h"
#include "core/KvNumber.h"
#include "forms/CKvDoc.h"
#include "forms/CThirdView.h"
#include "ui/KvComboHelpers.h"
#include "ui/KvObjectNames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// The longest phrase the boxes take.
constexpr int kMaxPhrase = 200;

QComboBox* phraseCombo(QWidget* parent, int id) {
  auto* combo = KvSetControlId(new QComboBox(parent), id);
  // Phrases join the list through the history, not through Enter.
  KvSetComboEditable(combo);
  combo->setMinimumWidth(260);
  combo->lineEdit()->setMaxLength(kMaxPhrase);
  KvSetComboExtendedUi(combo);
  return combo;
}
}  // namespace

CKvReplaceDlg::CKvReplaceDlg(QWidget* parent, CThirdView* pOwner, int nMode)
    : CKvDlg(IDD, parent), m_pOwner(pOwner), m_nMode(nMode) {
  CKvDoc* pDoc = pOwner ? pOwner->GetDocument() : nullptr;
  m_pDb = pDoc && pDoc->m_pDb ? pDoc->m_pDb : KvGetAppDb();
  if (pOwner)
    m_strFind = pOwner->GetSelectedText();
  if (!isFindOnly())
    m_strReplace = m_strFind;

  setWindowTitle(isFindOnly() ? QStringLiteral("查找") : QStringLiteral("替换"));
  auto* findLabel = KvSetControlId(new QLabel(QStringLiteral("查找目标："), this), IDC_FIND_LABEL);
  m_find = phraseCombo(this, IDC_FIND);
  findLabel->setBuddy(m_find);
  m_replaceLabel = KvSetControlId(new QLabel(QStringLiteral("替 换 成："), this), IDC_REPLACE_LABEL);
  m_replace = phraseCombo(this, IDC_REPLACE);
  m_replaceLabel->setBuddy(m_replace);
  m_wholeMatch = KvSetControlId(new QCheckBox(QStringLiteral("全部匹配"), this), IDC_WHOLE_MATCH);
  auto* ok = KvSetControlId(new QPushButton(QStringLiteral("确认(&S)"), this), KV_IDOK);
  auto* cancel = KvSetControlId(new QPushButton(QStringLiteral("取消(&X)"), this), KV_IDCANCEL);

  auto* grid = new QGridLayout;
  grid->addWidget(findLabel, 0, 0);
  grid->addWidget(m_find, 0, 1);
  grid->addWidget(m_replaceLabel, 1, 0);
  grid->addWidget(m_replace, 1, 1);
  grid->addWidget(m_wholeMatch, 2, 1);
  grid->setColumnStretch(1, 1);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  buttons->addStretch(1);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(grid, 1);
  layout->addSpacing(8);
  layout->addLayout(buttons);
  // The dialog keeps the size of what it shows: without the replacement row
  // the check box and the buttons move up.
  layout->setSizeConstraint(QLayout::SetFixedSize);
  if (isFindOnly()) {
    m_replaceLabel->hide();
    m_replace->hide();
  }
}

void CKvReplaceDlg::fillCombo(QComboBox* combo, int cs, const QString& start) {
  combo->clear();
  if (m_pDb) {
    QList<CKvCsRec> rows;
    CKvCsRec(m_pDb).SelectByCs(cs, &rows);
    for (const CKvCsRec& row : rows)
      combo->addItem(row.CsVal);
  }
  if (start.isEmpty() && combo->count() > 0)
    combo->setCurrentIndex(0);
  else
    combo->setEditText(start);
}

void CKvReplaceDlg::OnInitDialog() {
  CKvDlg::OnInitDialog();
  if (isFindOnly()) {
    fillCombo(m_find, CS_FIND, m_strFind);
  } else {
    fillCombo(m_find, CS_REPLACE_FIND, m_strFind);
    fillCombo(m_replace, CS_REPLACE_WITH, m_strReplace);
  }
  if (m_pDb) {
    CKvCsRec option(m_pDb);
    if (option.Load(CS_WHOLE_MATCH, 0) > 0 && KvStrToInt(option.CsVal) != 0)
      m_wholeMatch->setChecked(true);
  }
  KvGetDlgPos().Restore(int(IDD), this);
  m_find->setFocus();
  m_find->lineEdit()->selectAll();
}

bool CKvReplaceDlg::DoDataExchange(bool bSaveAndValidate) {
  if (bSaveAndValidate) {
    m_strFind = m_find->currentText();
    m_strReplace = m_replace->currentText();
  } else {
    m_find->setEditText(m_strFind);
    if (!isFindOnly())
      m_replace->setEditText(m_strReplace);
  }
  return true;
}

bool CKvReplaceDlg::SaveHistory(int cs, const QString& phrase, const QComboBox* combo) {
  if (!m_pDb || phrase.isEmpty())
    return true;
  if (combo && combo->findText(phrase, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0)
    return true;
  CKvCsRec row(m_pDb);
  const QString category = QString::number(cs);
  if (!row.Execute(QStringLiteral("Update SysCsTab Set CsN=CsN+1 Where Cs=") + category) ||
      !row.DeleteWhere(QStringLiteral("Where Cs=%1 And CsN>%2").arg(category).arg(kMaxAge)))
    return false;
  row.Set(cs, 0, QString(), phrase, QString());
  return row.Insert();
}

bool CKvReplaceDlg::SaveData() {
  if (m_strFind.isEmpty()) {
    m_find->setFocus();
    return false;
  }
  const bool whole = m_wholeMatch->isChecked();
  if (m_pDb) {
    KvDbTransaction transaction(*m_pDb);
    bool ok = isFindOnly() ? SaveHistory(CS_FIND, m_strFind, m_find)
                           : SaveHistory(CS_REPLACE_FIND, m_strFind, m_find) &&
                                 SaveHistory(CS_REPLACE_WITH, m_strReplace, m_replace);
    CKvCsRec option(m_pDb);
    ok = ok && option.Delete(CS_WHOLE_MATCH, 0);
    option.Set(CS_WHOLE_MATCH, 0, QString(), whole ? QStringLiteral("1") : QStringLiteral("0"), QString());
    if (ok && option.Insert())
      transaction.Commit();
  }
  if (m_pOwner) {
    if (isFindOnly()) {
      m_pOwner->m_strFind = m_strFind;
    } else {
      m_pOwner->m_strReplaceFind = m_strFind;
      m_pOwner->m_strReplaceWith = m_strReplace;
    }
    m_pOwner->m_bWholeMatch = whole;
  }
  KvGetDlgPos().Remember(int(IDD), this);
  return true;
}
