// The open dialog of the plan and timetable windows: its titles, the plan
// list ("新计划" only from the latest plan's term on), the refusals of OK,
// re-dating the latest plan and deleting a version, each write all or
// nothing with its log entry.

#include "KvPkGridWindowTestSupport.h"

#include "core/CKvDb.h"
#include "timetable/CPkOpenPlanDlg.h"
#include "timetable/CWkjhRec.h"
#include "ui/CKvEdit.h"
#include "ui/KvObjectNames.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>

namespace {
class CPkOpenPlanDlgTest : public KvPkGridWindowTest {
 protected:
  void SetUp() override {
    KvPkGridWindowTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    AddClasses(1);
    SaveSchedule(2, 2);
    AddCourse(QStringLiteral("0001"), QStringLiteral("语文"));
    // Versions 2024 autumn 09-01 (with a timetable) and 2024 spring 03-01.
    AddPlan(QStringLiteral("0101"), QStringLiteral("0001"), 1, 1);
    Assign(QStringLiteral("010101"), QStringLiteral("0001"), QString());
    AddLesson(QStringLiteral("010101"), 1, 'B', 1, QStringLiteral("0001"), QString());
    CWkjhRec spring(kYear, 0, QStringLiteral("20240301"), QStringLiteral("0101"));
    spring.SBT = QStringLiteral("0001");
    ASSERT_TRUE(spring.InsertPlanRow(pdb()));
  }
  // A dialog of the kind on the given year, term and date, shown.
  std::unique_ptr<CPkOpenPlanDlg> Show(int kind, int term, const QString& date) {
    auto dialog = std::make_unique<CPkOpenPlanDlg>(kind);
    dialog->Y = kYear;
    dialog->QC = term;
    dialog->T = date;
    dialog->show();
    return dialog;
  }
  static QStringList Plans(CPkOpenPlanDlg& dialog) {
    auto* plans = KvDlgItem<QComboBox>(&dialog, CPkOpenPlanDlg::IDC_PLANS);
    QStringList items;
    for (int i = 0; i < plans->count(); ++i)
      items.append(plans->itemText(i));
    return items;
  }
  static void SetDate(CPkOpenPlanDlg& dialog, const QString& y, const QString& m, const QString& d) {
    KvDlgItem<CKvEdit>(&dialog, CPkOpenPlanDlg::IDC_DATE_YEAR)->setText(y);
    KvDlgItem<CKvEdit>(&dialog, CPkOpenPlanDlg::IDC_DATE_MONTH)->setText(m);
    KvDlgItem<CKvEdit>(&dialog, CPkOpenPlanDlg::IDC_DATE_DAY)->setText(d);
  }
  QStringList Versions() {
    return Rows(QStringLiteral("WKJH"), QStringLiteral("rtrim(QC),rtrim(T)")) +
           Rows(QStringLiteral("SBTTCHR"), QStringLiteral("rtrim(QC),rtrim(T)")) +
           Rows(QStringLiteral("PK"), QStringLiteral("rtrim(QC),rtrim(T)"));
  }
};

TEST_P(CPkOpenPlanDlgTest, TitlesAndPlanListsFollowKindAndTerm) {
  struct Case {
    int kind;
    int term;
    const char* title;
    QStringList plans;
  };
  const Case cases[] = {
      {0, 1, "打开班级教学计划", {QStringLiteral("新计划"), QStringLiteral("2024.09.01")}},
      {0, 0, "打开班级教学计划", {QStringLiteral("2024.03.01")}},  // before the latest plan's term
      {1, 1, "打开班课表", {QStringLiteral("2024.09.01")}},
      {2, 1, "打开教师课表", {QStringLiteral("2024.09.01")}},
      {3, 0, "打开公用教室课表", {QStringLiteral("2024.03.01")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    auto dialog = Show(c.kind, c.term, QString());
    EXPECT_EQ(dialog->objectName(), QStringLiteral("dlg_965"));
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8(c.title));
    EXPECT_EQ(Plans(*dialog), c.plans);
    // Only a plan's own dialog lets the date of the latest plan be typed.
    EXPECT_EQ(KvDlgItem<CKvEdit>(dialog.get(), CPkOpenPlanDlg::IDC_DATE_MONTH)->isEnabled(),
              c.kind == 0 && c.term == 1);
  }
  // A year and term without plans: nothing to open.
  KvScriptedAnswers answers;
  auto dialog = Show(1, 0, QString());
  auto* years = KvDlgItem<QComboBox>(dialog.get(), CPkOpenPlanDlg::IDC_YEAR);
  EXPECT_EQ(years->count(), 3);
  years->setCurrentIndex(0);
  dialog->RefillPlanList();
  EXPECT_TRUE(Plans(*dialog).isEmpty());
  EXPECT_FALSE(KvDlgItem<QPushButton>(dialog.get(), KV_IDOK)->isEnabled());
  EXPECT_FALSE(dialog->CheckBeforeOK());
  EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("此学期已过！")});
}

// A new plan starts after the latest one; when the latest cannot be read
// the refusal is the connection's error alone.
TEST_P(CPkOpenPlanDlgTest, NewPlanMustStartAfterTheLatest) {
  auto dialog = Show(0, 1, QString());
  PickPlan(*dialog, QStringLiteral("新计划"));
  EXPECT_EQ(dialog->T, kYear);
  EXPECT_EQ(dialog->m_nNewPlan, 1);
  struct Case {
    const char* month;
    const char* day;
    bool refuseRead;
    bool accepted;
  };
  for (const Case& c : {Case{"09", "01", false, false}, Case{"10", "8", true, false}, Case{"10", "8", false, true}}) {
    SCOPED_TRACE(std::string(c.month) + c.day + (c.refuseRead ? " refused" : ""));
    KvScriptedAnswers answers;
    SetDate(*dialog, kYear, QString::fromLatin1(c.month), QString::fromLatin1(c.day));
    pdb()->FailNthStatement(c.refuseRead ? 1 : 0);
    EXPECT_EQ(PressOk(*dialog), int(c.accepted ? QDialog::Accepted : QDialog::Rejected));
    pdb()->FailNthStatement(0);
    // A refused read shows the connection's report alone.
    EXPECT_EQ(answers.texts.size(), c.accepted ? 0 : 1) << answers.texts.join(u'|').toStdString();
    EXPECT_EQ(answers.texts.contains(QStringLiteral("时间早于已有计划的时间！")), !c.accepted && !c.refuseRead);
  }
  EXPECT_EQ(dialog->T, QStringLiteral("20241008"));
}

TEST_P(CPkOpenPlanDlgTest, RedatingMovesTheVersionWithItsLogOrNothing) {
  const QStringList before = Versions();
  auto dialog = Show(0, 1, kDate);
  ASSERT_EQ(dialog->m_nNewPlan, 0);
  SetDate(*dialog, kYear, QStringLiteral("09"), QStringLiteral("15"));
  {
    KvScriptedAnswers answers({KV_IDNO});
    EXPECT_EQ(PressOk(*dialog), int(QDialog::Rejected));
    EXPECT_EQ(dialog->T, kDate);
    EXPECT_EQ(KvDlgItem<CKvEdit>(dialog.get(), CPkOpenPlanDlg::IDC_DATE_DAY)->text(), QStringLiteral("01"));
  }
  EXPECT_EQ(Versions(), before);
  KvScriptedAnswers answers;
  EXPECT_GT(ExpectAllOrNothing(
                [&] {
                  SetDate(*dialog, kYear, QStringLiteral("09"), QStringLiteral("15"));
                  const bool ok = PressOk(*dialog) == QDialog::Accepted;
                  // A failure keeps the dialog on the old date.
                  EXPECT_EQ(dialog->T, ok ? QStringLiteral("20240915") : kDate);
                  return ok;
                },
                [this] { return Versions() + LogNotes(3); }),
            0);
  EXPECT_EQ(Rows(QStringLiteral("PK"), QStringLiteral("rtrim(T)")), QStringList{QStringLiteral("20240915")});
  EXPECT_EQ(LogNotes(3).size(), 1);
}

TEST_P(CPkOpenPlanDlgTest, DeletingAVersionIsAllOrNothingAndRefillsTheList) {
  AddNode(QStringLiteral("0102"), QStringLiteral("二年级"));
  AddNode(QStringLiteral("010201"), QStringLiteral("二1班"));
  AddLesson(QStringLiteral("010201"), 2, 'B', 1, QStringLiteral("0001"), QString());
  KvScriptedAnswers answers;
  // A timetable's dialog removes the timetables of every class only.
  auto timetables = Show(2, 1, kDate);
  EXPECT_GT(ExpectAllOrNothing(
                [&] { return timetables->DeleteVersion(); },
                [this] { return Versions() + LogNotes(4); }),
            0);
  EXPECT_EQ(answers.texts.value(0), QStringLiteral("真的要删除本学期全部课表吗？"));
  EXPECT_EQ(Rows(QStringLiteral("WKJH"), QStringLiteral("rtrim(T)")).size(), 2);

  auto plans = Show(0, 1, kDate);
  EXPECT_GT(ExpectAllOrNothing(
                [&] { return plans->DeleteVersion(); },
                [this] { return Versions() + LogNotes(3); }),
            0);
  EXPECT_EQ(Plans(*plans), (QStringList{QStringLiteral("新计划"), QStringLiteral("2024.09.01")}));
  // The button refills the list after a delete, though year and term stay.
  auto spring = Show(0, 0, QStringLiteral("20240301"));
  spring->OnDeletePlan();
  EXPECT_EQ(Plans(*spring), QStringList{QStringLiteral("新计划")});
  EXPECT_TRUE(Versions().isEmpty());
  EXPECT_EQ(LogNotes(3).size(), 2);
}

KV_DB_KIND_TEST_SUITE(CPkOpenPlanDlgTest);
}  // namespace
