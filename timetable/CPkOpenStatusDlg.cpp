#include "timetable/CPkOpenStatusDlg.h"

#include "app/CKvApp.h"
#include "core/KvDate.h"
#include "core/KvMessage.h"
#include "timetable/CWkjhRec.h"
#include "timetable/KvPkYearTermBoxes.h"
#include "ui/KvComboHelpers.h"
#include "ui/KvObjectNames.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

QString KvPkPlanDateText(const QString& date) {
  return QStringLiteral("%1.%2.%3").arg(date.left(4), date.mid(4, 2), date.mid(6));
}

QString KvPkPlanDateFromText(const QString& text) { return text.left(4) + text.mid(5, 2) + text.mid(8, 2); }

CPkOpenStatusDlg::CPkOpenStatusDlg(QWidget* parent)
    : CKvZrvDlg(IDD, nullptr, parent),
      m_pYear(KvSetControlId(new QComboBox(this), IDC_YEAR)),
      m_pTerm(KvSetControlId(new QComboBox(this), IDC_TERM)),
      m_pPlan(KvSetControlId(new QComboBox(this), IDC_PLAN)),
      m_pWeekday(KvSetControlId(new QComboBox(this), IDC_WEEKDAY)) {
  setWindowTitle(QStringLiteral("打开教学情况表"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("&Y.年度："), m_pYear);
  form->addRow(QStringLiteral("&Q.学期："), m_pTerm);
  form->addRow(QStringLiteral("&G.计划："), m_pPlan);
  form->addRow(QStringLiteral("&T.时间："), m_pWeekday);
  layout->addLayout(form);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(KvSetControlId(new QPushButton(QStringLiteral("&O.打开"), this), KV_IDOK));
  buttons->addWidget(KvSetControlId(new QPushButton(QStringLiteral("&X.取消"), this), KV_IDCANCEL));
  layout->addLayout(buttons);
  m_pPlan->setMinimumWidth(140);
  connect(m_pYear, &QComboBox::activated, this, [this] { RefillPlanList(); });
  connect(m_pTerm, &QComboBox::activated, this, [this] { RefillPlanList(); });
}

void CPkOpenStatusDlg::OnInitDialog() {
  CKvZrvDlg::OnInitDialog();
  static const char* const titles[3] = {"打开教师排课情况表", "打开公用教室排课情况表", "打开班级排课情况表"};
  if (m_nKind >= 0 && m_nKind <= 2)
    setWindowTitle(QString::fromUtf8(titles[m_nKind]));
  const int year = KvGetApp() ? KvGetApp()->GetDataFile().GetYear() : 0;
  for (QComboBox* combo : {m_pYear, m_pTerm, m_pPlan, m_pWeekday})
    KvSetComboExtendedUi(combo);
  for (int y = year - 1; y <= year + 1; ++y)
    m_pYear->addItem(QString::number(y));
  m_pYear->setCurrentIndex(Y.isEmpty() ? -1 : m_pYear->findText(Y, Qt::MatchStartsWith));
  m_pTerm->addItems({QStringLiteral("春季学期"), QStringLiteral("秋季学期")});
  m_pTerm->setCurrentIndex(QC == 1 ? 1 : 0);
  for (int d = 0; d < 7; ++d)
    m_pWeekday->addItem(KvWeekdayName(d));
  m_pWeekday->setCurrentIndex(m_nWeekday >= 0 && m_nWeekday < 7 ? m_nWeekday : -1);
  // The plan list is always filled at first.
  Y.clear();
  RefillPlanList();
}

void CPkOpenStatusDlg::RefillPlanList() {
  if (!KvPkTakeYearTerm(m_pYear, m_pTerm, &Y, &QC))
    return;
  m_pPlan->clear();
  QStringList dates;
  CWkjhRec::ListVersions(Y, QC, dates, Db());
  for (const QString& date : dates)
    m_pPlan->addItem(KvPkPlanDateText(date));
  m_pPlan->setCurrentIndex(T.isEmpty() ? -1 : m_pPlan->findText(KvPkPlanDateText(T), Qt::MatchStartsWith));
  m_pPlan->setEnabled(m_pPlan->count() > 0);
}

bool CPkOpenStatusDlg::SaveData() {
  const auto refuse = [](const QString& text) {
    KvMessageBox(text, KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  };
  // No plan listed because none could be read (the connection gone) is
  // not a term without a plan.
  if (m_pPlan->count() == 0 && !(Db() && Db()->IsOpen()))
    return false;
  if (m_pPlan->count() == 0)
    return refuse(QStringLiteral("此学期没有计划！"));
  if (m_pPlan->currentIndex() < 0)
    return refuse(QStringLiteral("未选择计划执行时间！"));
  T = KvPkPlanDateFromText(m_pPlan->currentText());
  if (m_pWeekday->currentIndex() < 0)
    return refuse(QStringLiteral("未选择星期！"));
  m_nWeekday = m_pWeekday->currentIndex();
  return true;
}
