#include "school/CXxRptOpenDlg1.h"

#include "core/KvFormat.h"
#include "school/CXxDataType.h"
#include "school/KvSchoolDlgParts.h"
#include "ui/CKvEdit.h"
#include "ui/KvObjectNames.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>

CXxRptOpenDlg1::CXxRptOpenDlg1(CKvDb* pDb, QWidget* parent)
    : CXxOpenDlg(IDD, pDb, parent),
      m_pYear(KvSetControlId(new CKvEdit(this), IDC_YEAR)),
      m_pSeasons{KvSetControlId(new QRadioButton(QStringLiteral("秋季学期"), this), IDC_AUTUMN),
                 KvSetControlId(new QRadioButton(QStringLiteral("春季学期"), this), IDC_SPRING)},
      m_pDepth(KvSetControlId(new QComboBox(this), IDC_DEPTH)) {
  m_pYear->SetInputType(QStringLiteral("STRING DIGIT"), 4);
  m_pYear->setFixedWidth(56);
  auto* form = new QFormLayout;
  KvAddFormRow(form, QStringLiteral("&Y.年度："), m_pYear);
  auto* seasons = new QGroupBox(QStringLiteral("&Q.学期"), this);
  auto* seasonRow = new QHBoxLayout(seasons);
  seasonRow->addWidget(m_pSeasons[0]);
  seasonRow->addWidget(m_pSeasons[1]);
  seasonRow->addStretch();
  form->addRow(seasons);
  AddFilterRows(form);
  // The depth follows the code it counts from.
  auto* depthLabel = new QLabel(QStringLiteral("&D.到："), this);
  depthLabel->setBuddy(m_pDepth);
  form->insertRow(3, depthLabel, m_pDepth);
  SetFormLayout(form);
}

QStringList CXxRptOpenDlg1::DepthNames() {
  QStringList names;
  for (int level = 1; level <= CXxDataType::MgmtLevelsRef(); ++level)
    names.append(KvFormat(QStringLiteral("%d级"), level));
  if (CXxDataType::MultiClassRef() != 0)
    names.append(QStringLiteral("年级"));
  names << QStringLiteral("班") << QStringLiteral("学生");
  return names;
}

void CXxRptOpenDlg1::OnInitDialog() {
  CXxOpenDlg::OnInitDialog();
  setWindowTitle(KvFormat(QStringLiteral("打开%s"), m_strTitle));
  ShowFilter();
  m_pYear->setText(m_strYear);
  m_pSeasons[m_nSeason == 1 ? 1 : 0]->setChecked(true);
  m_pDepth->addItems(DepthNames());
  m_pDepth->setCurrentIndex(m_nDepth >= 0 && m_nDepth < m_pDepth->count() ? m_nDepth : -1);
}

bool CXxRptOpenDlg1::SaveData() {
  const QString year = m_pYear->text().trimmed();
  // Compared as text, as the year has always been: "999" passes.
  if (year < QStringLiteral("1900"))
    return KvRefuseStop(QStringLiteral("年份太小!"), m_pYear);
  if (m_pDepth->currentIndex() < 0)
    return KvRefuseStop(QStringLiteral("未选择级次!"), m_pDepth);
  if (!TakeFilter())
    return false;
  m_strYear = year;
  m_nSeason = m_pSeasons[1]->isChecked() ? 1 : 0;
  m_nDepth = m_pDepth->currentIndex();
  return true;
}
