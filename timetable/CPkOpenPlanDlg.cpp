#include "timetable/CPkOpenPlanDlg.h"

#include "app/CKvApp.h"
#include "core/CKvDb.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "timetable/CPkDataType.h"
#include "timetable/CPkGrid.h"
#include "timetable/CWkjhRec.h"
#include "timetable/KvPkLog.h"
#include "timetable/KvPkYearTermBoxes.h"
#include "ui/CKvEdit.h"
#include "ui/KvDateEdits.h"
#include "ui/KvObjectNames.h"
#include "ui/KvWaitCursor.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kNewPlan = QStringLiteral("新计划");

// yyyy.mm.dd of a stored date and back.
QString dateItem(const QString& date) { return KvFormat("%s.%s.%s", date.left(4), date.mid(4, 2), date.mid(6)); }
QString itemDate(const QString& item) { return item.left(4) + item.mid(5, 2) + item.mid(8, 2); }

bool writesPlans() { return KvHasRight(CPkDataType::kModule, QStringLiteral("06")); }

int dataFileYear() {
  CKvApp* app = KvGetApp();
  return app ? app->GetDataFile().GetYear() : 0;
}
}  // namespace

CPkOpenPlanDlg::CPkOpenPlanDlg(int nKind, QWidget* parent) : CKvZrvDlg(IDD, nullptr, parent), m_nKind(nKind) {
  setWindowTitle(QStringLiteral("打开周教学计划"));
  m_pYear = KvSetControlId(new QComboBox(this), IDC_YEAR);
  m_pTerm = KvSetControlId(new QComboBox(this), IDC_TERM);
  m_pPlans = KvSetControlId(new QComboBox(this), IDC_PLANS);
  m_pDelete = KvSetControlId(new QPushButton(QStringLiteral("&D.删除"), this), IDC_DELETE);
  m_pOk = KvSetControlId(new QPushButton(QStringLiteral("&O.打开"), this), KV_IDOK);
  auto* cancel = KvSetControlId(new QPushButton(QStringLiteral("&X.取消"), this), KV_IDCANCEL);
  m_pOk->setDefault(true);

  auto* top = new QGridLayout;
  const auto addList = [&](const QString& caption, QComboBox* list, int row) {
    auto* label = new QLabel(caption, this);
    label->setBuddy(list);
    top->addWidget(label, row, 0);
    top->addWidget(list, row, 1);
  };
  addList(QStringLiteral("&Y.年度："), m_pYear, 0);
  addList(QStringLiteral("&Q.学期："), m_pTerm, 1);

  auto* dateBox = new QGroupBox(QStringLiteral("&T.计划执行时间"), this);
  auto* dateRow = new QHBoxLayout(dateBox);
  static const int ids[3] = {IDC_DATE_YEAR, IDC_DATE_MONTH, IDC_DATE_DAY};
  static const char* const units[3] = {"年", "月", "日"};
  for (int i = 0; i < 3; ++i) {
    m_pDate[i] = KvSetControlId(new CKvEdit(dateBox), ids[i]);
    m_pDate[i]->setFixedWidth(i == 0 ? 56 : 36);
    dateRow->addWidget(m_pDate[i]);
    dateRow->addWidget(new QLabel(QString::fromUtf8(units[i]), dateBox));
  }
  dateRow->addStretch();

  auto* planBox = new QGroupBox(QStringLiteral("&G.计划列表"), this);
  auto* planRow = new QHBoxLayout(planBox);
  planRow->addWidget(m_pPlans, 1);
  planRow->addWidget(m_pDelete);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(m_pOk);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(dateBox);
  layout->addWidget(planBox);
  layout->addLayout(buttons);
  setMinimumWidth(300);

  connect(m_pYear, &QComboBox::activated, this, &CPkOpenPlanDlg::RefillPlanList);
  connect(m_pTerm, &QComboBox::activated, this, &CPkOpenPlanDlg::RefillPlanList);
  connect(m_pPlans, &QComboBox::activated, this, &CPkOpenPlanDlg::OnPlanPicked);
  connect(m_pDelete, &QPushButton::clicked, this, &CPkOpenPlanDlg::OnDeletePlan);
}

void CPkOpenPlanDlg::OnInitDialog() {
  CKvZrvDlg::OnInitDialog();
  static const char* const titles[4] = {"打开班级教学计划", "打开班课表", "打开教师课表", "打开公用教室课表"};
  if (m_nKind >= 0 && m_nKind <= 3)
    setWindowTitle(QString::fromUtf8(titles[m_nKind]));
  KvInitDateEdits(m_pDate[0], m_pDate[1], m_pDate[2]);
  showDate(T);
  const int year = dataFileYear();
  for (int y = year - 1; y <= year + 1; ++y)
    m_pYear->addItem(KvFormat("%d", y));
  m_pYear->setCurrentIndex(-1);
  for (int i = 0; i < m_pYear->count(); ++i)
    if (!Y.isEmpty() && m_pYear->itemText(i).startsWith(Y)) {
      m_pYear->setCurrentIndex(i);
      break;
    }
  m_pTerm->addItem(QStringLiteral("春季学期"));
  m_pTerm->addItem(QStringLiteral("秋季学期"));
  m_pTerm->setCurrentIndex(QC == 0 || QC == 1 ? QC : -1);
  Y.clear();
  RefillPlanList();
}

void CPkOpenPlanDlg::RefillPlanList() {
  if (KvPkTakeYearTerm(m_pYear, m_pTerm, &Y, &QC))
    fillPlans();
}

void CPkOpenPlanDlg::fillPlans() {
  m_pPlans->clear();
  if (m_nKind == 0 && writesPlans()) {
    // A new plan only in the term of the latest plan or a later one, and
    // only for an operator who may write plans: its date is typed.
    CWkjhRec latest;
    const int found = latest.GetLatest(Db());
    if (found == 0 || (found > 0 && KvFormat("%s%d", latest.Y, latest.QC) <= KvFormat("%s%d", Y, QC)))
      m_pPlans->addItem(kNewPlan);
  }
  QStringList dates;
  CWkjhRec::ListVersions(Y, QC, dates, Db());
  for (const QString& date : dates)
    m_pPlans->addItem(dateItem(date));
  const QString wanted = T.size() == 8 ? dateItem(T) : T;
  int pick = -1;
  for (int i = 0; i < m_pPlans->count() && !wanted.isEmpty(); ++i)
    if (m_pPlans->itemText(i).startsWith(wanted)) {
      pick = i;
      break;
    }
  m_pPlans->setCurrentIndex(pick);
  OnPlanPicked();
}

void CPkOpenPlanDlg::OnPlanPicked() {
  if (m_pPlans->currentIndex() < 0 && m_pPlans->count() > 0)
    m_pPlans->setCurrentIndex(0);
  const QString item = m_pPlans->currentIndex() < 0 ? QString() : m_pPlans->currentText();
  m_nNewPlan = 1;
  if (item.isEmpty()) {
    T.clear();
  } else if (item == kNewPlan) {
    T = Y;
  } else {
    T = itemDate(item);
    m_nNewPlan = 0;
  }
  const QString right = m_nKind == 0 ? QStringLiteral("06") : QStringLiteral("08");
  m_pDelete->setEnabled(T.size() == 8 && KvHasRight(CPkDataType::kModule, right));
  m_pOk->setEnabled(m_pPlans->count() > 0);
  m_pPlans->setEnabled(m_pPlans->count() > 0);
  showDate(T);
  // The dates re-date the latest plan or start a new one: they open only
  // for an operator who may write plans.
  bool datesOpen = false;
  if (m_nKind == 0 && writesPlans()) {
    CWkjhRec latest;
    const int found = latest.GetLatest(Db());
    datesOpen = found == 0 || T.size() == 4 || (found > 0 && T == latest.T);
  }
  for (CKvEdit* edit : m_pDate)
    edit->setEnabled(datesOpen);
}

void CPkOpenPlanDlg::showDate(const QString& date) {
  m_pDate[0]->setText(date.left(4));
  m_pDate[1]->setText(date.mid(4, 2));
  m_pDate[2]->setText(date.mid(6, 2));
}

bool CPkOpenPlanDlg::CheckBeforeOK() {
  if (m_pPlans->count() == 0) {
    // Without the right to write plans no new plan is offered: the term is
    // not past, it has no plan to open.
    KvMessageBox(m_nKind == 0 && !writesPlans() ? QStringLiteral("此学期没有计划！") : QStringLiteral("此学期已过！"),
                 KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  const QString previous = T;
  QString date;
  if (!KvGetDateEdits(m_pDate[0], m_pDate[1], m_pDate[2], &date))
    return false;
  if (m_nNewPlan == 0) {
    if (date == previous)
      return true;
    T = date;
    if (KvMessageBox(QStringLiteral("要修改计划执行时间吗？"), KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) == KV_IDYES) {
      // The move and its log entry go together; a failure keeps the
      // stored version and the dialog on the old date.
      // A refusal is shown once the locks are let go.
      KvDbTransaction trans(*Db());
      CWkjhRec rec;
      QString refusal;
      if (trans.IsActive() && rec.ChangeVersionDate(Y, QC, previous, date, Db(), &refusal) == 1 &&
          KvPkInsertLog(Db(), 3,
                        KvFormat("修改%s年%s季学期教学计划时间：%s-->%s", Y, KvPkSeason(QC), previous, date)) &&
          trans.Commit())
        return true;
      trans.Rollback();
      if (!refusal.isEmpty())
        KvMessageBox(refusal, KV_MB_OK | KV_MB_ICONSTOP);
    }
    T = previous;
    showDate(T);
    return false;
  }
  T = date;
  CWkjhRec latest;
  const int found = latest.GetLatest(Db());
  // A latest plan that cannot be read refuses with the connection's error.
  if (found < 0)
    return false;
  if (found == 0 || T > latest.T)
    return true;
  KvMessageBox(QStringLiteral("时间早于已有计划的时间！"), KV_MB_OK | KV_MB_ICONSTOP);
  return false;
}

void CPkOpenPlanDlg::OnDeletePlan() {
  // The list shows what is stored now, although year and term are the same.
  if (DeleteVersion() && m_nKind == 0)
    fillPlans();
}

bool CPkOpenPlanDlg::DeleteVersion() {
  if (m_nNewPlan != 0 || T.size() != 8)
    return false;
  const QString word = m_nKind == 0 ? QStringLiteral("教学计划及") : QString();
  if (KvMessageBox(KvFormat("真的要删除本学期全部%s课表吗？", word), KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) !=
      KV_IDYES)
    return false;
  KvWaitCursor wait;
  KvDbTransaction trans(*Db());
  CPkGrid grid(Y, QC, T);
  return trans.IsActive() &&
         (m_nKind == 0 ? CWkjhRec::DeleteVersion(Y, QC, T, Db()) == 1 : grid.DeleteVersionRows(Db())) &&
         KvPkInsertLog(Db(), m_nKind == 0 ? 3 : 4, KvFormat("删除%s年%s季学期(%s)%s课表", Y, KvPkSeason(QC), T, word)) &&
         trans.Commit();
}
