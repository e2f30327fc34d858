#include "school/CXxOpenDlg.h"

#include "school/CCost.h"
#include "school/CXxDataType.h"
#include "school/KvSchoolDlgParts.h"
#include "school/KvStdPicker.h"
#include "ui/CKvEdit.h"
#include "ui/KvComboHelpers.h"
#include "ui/KvDateEdits.h"
#include "ui/KvObjectNames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CXxOpenDlg::CXxOpenDlg(unsigned idd, CKvDb* pDb, QWidget* parent) : CKvZrvDlg(idd, pDb, parent) {}

void CXxOpenDlg::FillCostCombo(QComboBox* combo, const QString& code, bool bWithEmpty) {
  KvSetComboExtendedUi(combo);
  combo->clear();
  if (bWithEmpty)
    combo->addItem(QString());
  QList<CCost> items;
  CCost::SelectAll(&items, Db());
  for (const CCost& item : items)
    combo->addItem(item.KNO + QLatin1Char(' ') + item.NA);
  // The item of exactly that code; an empty code (however the settings
  // gave it back) or one no longer listed is the first entry: the empty
  // one when there is one, which means every item.
  int index = 0;
  for (int i = 0; i < items.size() && !code.isEmpty(); ++i)
    if (items.at(i).KNO == code) {
      index = bWithEmpty ? i + 1 : i;
      break;
    }
  combo->setCurrentIndex(index);
}

bool CXxOpenDlg::GetCostCombo(QComboBox* combo, QString* code, bool bAllowEmpty) {
  *code = combo->currentIndex() < 0 ? QString() : combo->currentText().left(2).trimmed();
  if (!code->isEmpty() || bAllowEmpty)
    return true;
  return KvRefuseStop(QStringLiteral("未选择收费项目！"), combo);
}

void CXxOpenDlg::FillOperatorChoice(QComboBox* combo, const QString& code) {
  KvFillOperatorCombo(combo, Db());
  combo->insertItem(0, QString());
  combo->setCurrentIndex(0);
  if (code.isEmpty())
    return;
  for (int i = 1; i < combo->count(); ++i)
    if (combo->itemText(i).startsWith(code)) {
      combo->setCurrentIndex(i);
      break;
    }
}

QBoxLayout* CXxOpenDlg::AddDateFields(CKvEdit* fields[3], const int ids[3]) {
  auto* row = new QHBoxLayout;
  static const char* const units[] = {"年", "月", "日"};
  for (int i = 0; i < 3; ++i) {
    fields[i] = KvSetControlId(new CKvEdit(this), ids[i]);
    fields[i]->setFixedWidth(i == 0 ? 56 : 36);
    row->addWidget(fields[i]);
    row->addWidget(new QLabel(QString::fromUtf8(units[i]), this));
  }
  KvInitDateEdits(fields[0], fields[1], fields[2]);
  row->addStretch();
  return row;
}

void CXxOpenDlg::ShowDate(CKvEdit* const fields[3], const QString& date) {
  fields[0]->setText(date.left(4));
  fields[1]->setText(date.mid(4, 2));
  fields[2]->setText(date.mid(6, 2));
}

void CXxOpenDlg::AddFilterRows(QFormLayout* form) {
  m_pCode = KvSetControlId(new CKvEdit(this), IDC_CODE);
  m_pCode->SetInputType(QStringLiteral("STRING DIGIT"), CXxDataType::StudentCodeLen());
  QPushButton* pick = KvNewIdButton(QStringLiteral("&B"), IDC_PICK, this);
  pick->setAutoDefault(false);
  pick->setFixedWidth(32);
  connect(pick, &QPushButton::clicked, this, &CXxOpenDlg::onPickCode);
  auto* codeRow = new QHBoxLayout;
  codeRow->addWidget(m_pCode, 1);
  codeRow->addWidget(pick);
  KvAddFormRow(form, QStringLiteral("&J.机构、年级或学生："), m_pCode, codeRow);

  m_pCost = KvSetControlId(new QComboBox(this), IDC_COST);
  m_pMaker = KvSetControlId(new QComboBox(this), IDC_MAKER);
  m_pReviewer = KvSetControlId(new QComboBox(this), IDC_REVIEWER);
  const struct {
    const char* label;
    QComboBox* combo;
  } combos[] = {{"&C.收费项目：", m_pCost}, {"&Z.收 款 人：", m_pMaker}, {"&H.复 核 人：", m_pReviewer}};
  for (const auto& row : combos)
    KvAddFormRow(form, QString::fromUtf8(row.label), row.combo);
  m_pReviewChecks[0] = KvSetControlId(new QCheckBox(QStringLiteral("&W.未复核"), this), IDC_NOT_REVIEWED);
  m_pReviewChecks[1] = KvSetControlId(new QCheckBox(QStringLiteral("&V.已复核"), this), IDC_REVIEWED);
  auto* checks = new QHBoxLayout;
  checks->addWidget(m_pReviewChecks[0]);
  checks->addWidget(m_pReviewChecks[1]);
  checks->addStretch();
  form->addRow(QString(), checks);
}

void CXxOpenDlg::ShowFilter() {
  FillOperatorChoice(m_pMaker, m_filter.strOperators[0]);
  FillOperatorChoice(m_pReviewer, m_filter.strOperators[1]);
  FillCostCombo(m_pCost, m_filter.strCost, true);
  m_pCode->setText(m_filter.strStdPrefix);
  for (int i = 0; i < 2; ++i)
    m_pReviewChecks[i]->setChecked(m_filter.bReviewFlags[i]);
}

bool CXxOpenDlg::TakeFilter() {
  KvFeeFilter filter;
  if (!GetCostCombo(m_pCost, &filter.strCost, true) ||
      !KvGetOperatorCombo(m_pMaker, &filter.strOperators[0], true) ||
      !KvGetOperatorCombo(m_pReviewer, &filter.strOperators[1], true))
    return false;
  filter.strStdPrefix = m_pCode->text().trimmed();
  for (int i = 0; i < 2; ++i)
    filter.bReviewFlags[i] = m_pReviewChecks[i]->isChecked();
  m_filter = filter;
  return true;
}

void CXxOpenDlg::SetFormLayout(QFormLayout* form) {
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addSpacing(6);
  layout->addLayout(KvNewOkCancelRow(this, QStringLiteral("&O.打开")));
}

void CXxOpenDlg::onPickCode() {
  QString code = m_pCode->text().trimmed();
  if (!KvPickStdCode(this, Db(), 2, code))
    return;
  m_pCode->setText(code);
  m_pCode->setFocus();
}
