// The placement engine on small hand-made schools: the timetables it makes
// (golden grids), when it stops, and how it saves.

#include "KvPkTestSupport.h"

#include "core/CKvDb.h"
#include "support/KvStationInFlight.h"
#include "timetable/CPkArranger.h"

namespace {
class KvPkEngineTest : public KvPkDbTest {
 protected:
  void SetUp() override {
    KvPkDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    m_app->GetDataFile().SetLogOn(true);
    AddClasses(2);
    for (int i = 1; i <= 6; ++i)
      AddCourse(QStringLiteral("000%1").arg(i), QStringLiteral("课%1").arg(i));
    AddTeacher(QStringLiteral("0001"), QStringLiteral("王芳"));
    AddTeacher(QStringLiteral("0002"), QStringLiteral("李娜"));
  }
  // A full arrange of the selection; the questions answered as scripted,
  // then Yes. Returns the texts shown.
  QStringList Arrange(const QString& selection = QStringLiteral("01"), QList<int> answers = {}) {
    KvScriptedAnswers recorder(answers);
    CPkArranger(kYear, kTerm, kDate, selection, pdb()).Arrange();
    return recorder.texts;
  }
  QStringList Class1(int kind = 0) { return GridText(LoadClass(QStringLiteral("010101")), kind); }
  int LogRows() { return Rows(QStringLiteral("KvLog"), QStringLiteral("nTaskID"), QStringLiteral("Where nTaskID=1904")).size(); }
  QStringList AllRows() { return Rows(QStringLiteral("PK"), QStringLiteral("STD,WK,DT,DN,DS,SBT,TCHR,PUBRM")); }
};

TEST_P(KvPkEngineTest, DaysStartAfterTheTeachersLastBusyDay) {
  SaveSchedule(4, 4);
  AddPlan(QStringLiteral("0101"), QStringLiteral("0001"), 1, 1);
  Assign(QStringLiteral("010101"), QStringLiteral("0001"), QStringLiteral("0001"));
  EXPECT_EQ(Arrange(), QStringList{QStringLiteral("要保存此次排课结果吗？")});
  EXPECT_EQ(Class1()[1], QStringLiteral("2: 0001 . . . | . . . ."));

  // Busy on Wednesday in a class outside the selection: Thursday comes first.
  AddNode(QStringLiteral("02"), QStringLiteral("分校"));
  AddNode(QStringLiteral("0201"), QStringLiteral("分校一年级"));
  AddNode(QStringLiteral("020101"), QStringLiteral("分校1班"));
  AddLesson(QStringLiteral("020101"), 3, 'C', 4, QStringLiteral("0006"), QStringLiteral("0001"));
  Arrange();
  EXPECT_EQ(Class1(), (QStringList{QStringLiteral("1: . . . . | . . . ."), QStringLiteral("2: . . . . | . . . ."),
                                   QStringLiteral("3: . . . . | . . . ."), QStringLiteral("4: 0001 . . . | . . . ."),
                                   QStringLiteral("5: . . . . | . . . .")}));

  // During the save question, at another workstation or in another window on the same connection: the
  // teacher taken on Thursday outside the selection, the class's teacher changed, the class recoded, a later plan version set up.
  CKvDb other;
  ASSERT_TRUE(testDb().OpenAnother(other));
  const QStringList before = Class1();
  const char* cases[][3] = {
      {"Insert Into PK(Y,QC,T,STD,WK,DT,DN,DS,SBT,TCHR,PUBRM) Values('2024','1','20240901','020101','4','B','1','0','0006','0001','')",
       "Delete From PK Where STD='020101' And WK='4'", "<课1>不能排在：星期四早上第1节！任课教师王芳此时在<(020101)分校1班>有课"},
      {"Update SBTTCHR Set TCHR='0002'", "Update SBTTCHR Set TCHR='0001'", "1班的教学计划已被其他窗口或工作站修改，请重新排课！"},
      {"Update STD Set KNO='010109' Where KNO='010101'", "Update STD Set KNO='010101' Where KNO='010109'", "“010101”已不存在，请重新排课！"},
      {kLaterPlan, kLaterPlanGone, "非最后一次计划，不能保存！"}};
  for (const auto& [change, undo, refusal] : cases)
    for (CKvDb* station : {&other, pdb()}) {
      KvScriptedAnswers answers;
      answers.onQuestion = [&] { ASSERT_TRUE(station->Execute(QString::fromUtf8(change))); };
      CPkArranger(kYear, kTerm, kDate, QStringLiteral("01"), pdb()).Arrange();
      EXPECT_EQ(answers.Stops(), QStringList{QString::fromUtf8(refusal)}) << change << (station == pdb());
      EXPECT_TRUE(Class1() == before && LogRows() == 2 && pdb()->Execute(QString::fromUtf8(undo)));
    }
  // A later plan version set up before the run's first read: refused though nothing was written since.
  ASSERT_TRUE(pdb()->Execute(QString::fromLatin1(kLaterPlan)));
  EXPECT_EQ(Arrange(), (QStringList{QStringLiteral("要保存此次排课结果吗？"), QStringLiteral("非最后一次计划，不能保存！")}));
  EXPECT_TRUE(Class1() == before && pdb()->Execute(QString::fromLatin1(kLaterPlanGone)));
  // The tree's delete of the class in flight when the question is answered: waited for, then seen.
  std::unique_ptr<KvStationInFlight> deleting;
  KvScriptedAnswers answers;
  answers.onQuestion = [&] { deleting = std::make_unique<KvStationInFlight>(testDb(), QStringList{"STD", "PC", "WKJH", "SBTTCHR", "PK"}, QStringList{"Delete From STD Where KNO='010101'"}); };
  CPkArranger(kYear, kTerm, kDate, QStringLiteral("01"), pdb()).Arrange();
  EXPECT_TRUE(deleting && deleting->Committed() && Class1() == before);
  EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("“010101”已不存在，请重新排课！")});
}

TEST_P(KvPkEngineTest, BlocksTakeTheEarliestLongestRunAndFollowOn) {
  SaveSchedule(5, 4);
  // A fixed lesson first (priority 1), then five periods in runs of two.
  AddPlan(QStringLiteral("0101"), QStringLiteral("0001"), 1, 1, 1, QStringLiteral("2B3"));
  AddPlan(QStringLiteral("0101"), QStringLiteral("0002"), 5, 2, 2);
  Assign(QStringLiteral("010101"), QStringLiteral("0001"), QString());
  Assign(QStringLiteral("010101"), QStringLiteral("0002"), QString());
  Arrange();
  EXPECT_EQ(Class1(), (QStringList{QStringLiteral("1: . . . . 0002 | . . . ."),
                                   QStringLiteral("2: 0002 0002 0001 . . | . . . ."),
                                   QStringLiteral("3: . . . . . | . . . ."),
                                   QStringLiteral("4: . . 0002 0002 . | . . . ."),
                                   QStringLiteral("5: . . . . . | . . . .")}));
}

TEST_P(KvPkEngineTest, OddWeekLessonsPairWithEvenWeekOnes) {
  SaveSchedule(4, 4);
  AddRoom(QStringLiteral("001"), QStringLiteral("琴房"));
  AddPlan(QStringLiteral("0101"), QStringLiteral("0003"), 1, 1, 1);
  AddPlan(QStringLiteral("0101"), QStringLiteral("0004"), 2, 1, 2);
  Assign(QStringLiteral("010101"), QStringLiteral("0003"), QStringLiteral("0001"), QStringLiteral("001"), 1);
  Assign(QStringLiteral("010101"), QStringLiteral("0004"), QStringLiteral("0002"), QString(), 2);
  EXPECT_EQ(Arrange().size(), 1);  // a short row would add its message
  EXPECT_EQ(Class1(1)[1], QStringLiteral("2: 0003 . . . | . . . ."));
  // The first even-week lesson pairs with the odd one; the second has
  // nothing left to pair with and goes by blocks.
  EXPECT_EQ(Class1(2)[1], QStringLiteral("2: 0004 0004 . . | . . . ."));
  EXPECT_EQ(Class1(0)[1], QStringLiteral("2: . . . . | . . . ."));
}

TEST_P(KvPkEngineTest, DisplacementMovesOneLessonPerPeriodTaken) {
  SaveSchedule(1, 0);
  AddPlan(QStringLiteral("0101"), QStringLiteral("0001"), 3, 1, 1);
  AddPlan(QStringLiteral("0101"), QStringLiteral("0002"), 2, 1, 2, QStringLiteral("2;4"));
  Assign(QStringLiteral("010101"), QStringLiteral("0001"), QString());
  Assign(QStringLiteral("010101"), QStringLiteral("0002"), QString());
  EXPECT_EQ(Arrange(), QStringList{QStringLiteral("要保存此次排课结果吗？")});
  EXPECT_EQ(Class1(), (QStringList{QStringLiteral("1: 0001 | "), QStringLiteral("2: 0002 | "), QStringLiteral("3: 0001 | "),
                                   QStringLiteral("4: 0002 | "), QStringLiteral("5: 0001 | ")}));

  // The term without lessons, Monday closed during the save question at
  // another workstation, then in another window: nothing saved.
  CKvDb other;
  ASSERT_TRUE(testDb().OpenAnother(other) && pdb()->Execute(QStringLiteral("Delete From PK")));
  CWktRec closed = m_schedule;
  closed.SBT[1][1][0] = 0;
  QString refusal;
  for (CKvDb* station : {&other, pdb()}) {
    KvScriptedAnswers answers;
    answers.onQuestion = [&] { EXPECT_TRUE(closed.Save(m_schedule, station, &refusal)); };
    CPkArranger(kYear, kTerm, kDate, QStringLiteral("01"), pdb()).Arrange();
    EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("作息时间表已被其他窗口或工作站修改，请重新排课！")});
    EXPECT_TRUE(AllRows().isEmpty() && m_schedule.Save(closed, station, &refusal));
  }
}

TEST_P(KvPkEngineTest, DisplacementLeavesAPeriodSharedByOddAndEvenWeeks) {
  SaveSchedule(1, 0);
  AddPlan(QStringLiteral("0101"), QStringLiteral("0003"), 1, 1, 1, QStringLiteral("2"));
  AddPlan(QStringLiteral("0101"), QStringLiteral("0004"), 1, 1, 1, QStringLiteral("2"));
  AddPlan(QStringLiteral("0101"), QStringLiteral("0001"), 3, 1, 2);
  AddPlan(QStringLiteral("0101"), QStringLiteral("0002"), 1, 1, 3, QStringLiteral("2"));
  for (const char* klass : {"010101", "010102"}) {
    Assign(QString::fromLatin1(klass), QStringLiteral("0003"), QString(), QString(), 1);
    Assign(QString::fromLatin1(klass), QStringLiteral("0004"), QString(), QString(), 2);
    Assign(QString::fromLatin1(klass), QStringLiteral("0001"), QString());
    Assign(QString::fromLatin1(klass), QStringLiteral("0002"), QString());
  }
  const QStringList texts = Arrange();
  EXPECT_EQ(texts.value(0), QStringLiteral("(010101)1班，课2：\n应排课时：1\n只能排课：0")) << texts.join(u'#').toStdString();
  EXPECT_EQ(Class1(1)[1], QStringLiteral("2: 0003 | "));
  EXPECT_EQ(Class1(2)[1], QStringLiteral("2: 0004 | "));
  EXPECT_EQ(Class1(0)[1], QStringLiteral("2: . | "));
  EXPECT_FALSE(texts.join(u'\n').contains(QStringLiteral("不符合单双周排课要求"))) << texts.join(u'#').toStdString();
}

TEST_P(KvPkEngineTest, RowThatCannotBePlacedStopsBeforeAnythingIsSaved) {
  SaveSchedule(4, 4);
  AddPlan(QStringLiteral("0101"), QStringLiteral("0001"), 1, 1, 1);
  AddPlan(QStringLiteral("0101"), QStringLiteral("0002"), 1, 1, 2, QStringLiteral("6"));
  Assign(QStringLiteral("010101"), QStringLiteral("0001"), QString());
  Assign(QStringLiteral("010101"), QStringLiteral("0002"), QString());
  AddLesson(QStringLiteral("010102"), 1, 'B', 1, QStringLiteral("0001"), QString());
  const QStringList before = AllRows();
  EXPECT_EQ(Arrange(), QStringList{QStringLiteral("(010101)1班，课2：\n允许排课课时数：0\n教学计划课时数：1\n无法排课")});
  EXPECT_EQ(AllRows(), before);
  EXPECT_EQ(LogRows(), 0);

  // A stored plan row outside the plan's rules stops as well.
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update WKJH Set WTN0='' Where SBT='0002'")));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update SBTTCHR Set DS='3' Where SBT='0002'")));
  EXPECT_EQ(Arrange(), QStringList{QStringLiteral("(010101)1班，课2：\n教学计划的单双周或课时数不正确，无法排课")});
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update SBTTCHR Set DS='0'")));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update WKJH Set NU=-1 Where SBT='0002'")));
  EXPECT_EQ(Arrange().size(), 1);
  EXPECT_EQ(AllRows(), before);
}

TEST_P(KvPkEngineTest, UnchangedSchoolArrangesTheSameWithAnEmptySelection) {
  SaveSchedule(2, 2);
  AddPlan(QStringLiteral("0101"), QStringLiteral("0001"), 3, 2, 1);
  AddPlan(QStringLiteral("0101"), QStringLiteral("0002"), 2, 1, 2);
  for (const char* klass : {"010101", "010102"}) {
    Assign(QString::fromLatin1(klass), QStringLiteral("0001"), QStringLiteral("0001"));
    Assign(QString::fromLatin1(klass), QStringLiteral("0002"), QStringLiteral("0002"));
  }
  // The classes' own stored lessons are replaced, so they are not busy.
  AddLesson(QStringLiteral("010101"), 2, 'B', 1, QStringLiteral("0001"), QStringLiteral("0001"));
  Arrange(QString());
  const QStringList first = AllRows();
  EXPECT_EQ(Class1()[1], QStringLiteral("2: 0001 0001 | . ."));
  Arrange(QString());
  EXPECT_EQ(AllRows(), first);
  EXPECT_EQ(LogRows(), 2);
}

TEST_P(KvPkEngineTest, RefusedClassLosesItsRowsAndEverySaveIsLogged) {
  SaveSchedule(1, 0);
  AddPlan(QStringLiteral("0101"), QStringLiteral("0001"), 2, 1, 1, QStringLiteral("1;2"));
  Assign(QStringLiteral("010101"), QStringLiteral("0001"), QStringLiteral("0001"));
  Assign(QStringLiteral("010102"), QStringLiteral("0001"), QStringLiteral("0002"));
  AddNode(QStringLiteral("02"), QStringLiteral("分校"));
  AddNode(QStringLiteral("0201"), QStringLiteral("分校一年级"));
  AddNode(QStringLiteral("020101"), QStringLiteral("分校1班"));
  AddLesson(QStringLiteral("020101"), 1, 'B', 1, QStringLiteral("0006"), QStringLiteral("0001"));
  AddLesson(QStringLiteral("020101"), 2, 'B', 1, QStringLiteral("0006"), QStringLiteral("0002"));
  AddLesson(QStringLiteral("010101"), 5, 'B', 1, QStringLiteral("0001"), QStringLiteral("0001"));
  // Each class gets one of its two periods: two short rows, the save
  // question, then one question per class; the first class refused.
  const QStringList texts = Arrange(QStringLiteral("01"), {KV_IDYES, KV_IDNO, KV_IDYES});
  ASSERT_EQ(texts.size(), 5) << texts.join(u'#').toStdString();
  EXPECT_EQ(texts[2], QStringLiteral("要保存此次排课结果吗？"));
  EXPECT_EQ(texts[3], QStringLiteral("(010101)1班下列课程排课数与计划不符：\n课1 ---> 应排：2节 --- 已排：1节\n保存吗？"));
  EXPECT_TRUE(texts[4].startsWith(QStringLiteral("(010102)2班下列课程排课数与计划不符：")));
  const QString selection = QStringLiteral("Where STD<>'020101'");
  EXPECT_EQ(Rows(QStringLiteral("PK"), QStringLiteral("STD,WK"), selection), QStringList{QStringLiteral("010102|1")});
  EXPECT_EQ(LogRows(), 1);
  // Nothing accepted: the selection's rows go, and the deletion is logged;
  // so is the save of a selection without classes.
  Arrange(QStringLiteral("01"), {KV_IDYES, KV_IDNO, KV_IDNO});
  EXPECT_TRUE(Rows(QStringLiteral("PK"), QStringLiteral("STD"), selection).isEmpty());
  EXPECT_EQ(Rows(QStringLiteral("PK"), QStringLiteral("STD")).size(), 2);
  EXPECT_EQ(LogRows(), 2);
  EXPECT_EQ(Arrange(QStringLiteral("03")), QStringList{QStringLiteral("要保存此次排课结果吗？")});
  EXPECT_EQ(Rows(QStringLiteral("PK"), QStringLiteral("STD")).size(), 2);
  EXPECT_EQ(LogRows(), 3);
}

TEST_P(KvPkEngineTest, FailedSaveLeavesTheTimetableAsItWas) {
  SaveSchedule(2, 1);
  AddPlan(QStringLiteral("0101"), QStringLiteral("0001"), 2, 2, 1);
  AddPlan(QStringLiteral("0101"), QStringLiteral("0002"), 1, 1, 2);
  for (const char* klass : {"010101", "010102"}) {
    Assign(QString::fromLatin1(klass), QStringLiteral("0001"), QStringLiteral("0001"));
    Assign(QString::fromLatin1(klass), QStringLiteral("0002"), QString());
  }
  AddLesson(QStringLiteral("010102"), 4, 'C', 1, QStringLiteral("0009"), QString());
  CPkArranger arranger(kYear, kTerm, kDate, QStringLiteral("01"), pdb());
  ASSERT_TRUE(arranger.Load());
  ASSERT_TRUE(arranger.PlaceAllClasses());
  KvScriptedAnswers answers;
  ExpectAllOrNothing([&arranger] { return arranger.SaveResult(); },
                     [this] { return AllRows() + QStringList{QString::number(LogRows())}; });
  EXPECT_EQ(AllRows().size(), 6);
  EXPECT_EQ(LogRows(), 1);
}

TEST_P(KvPkEngineTest, FailedReadStopsTheRunAndChangesNothing) {
  // Lessons stored inside the selection (they would be replaced) and
  // outside it (teacher 0001 is busy there); every read of the run refused
  // in turn: no question, the stored rows as they were, nothing logged.
  SaveSchedule(2, 2);
  AddRoom(QStringLiteral("001"), QStringLiteral("琴房"));
  AddPlan(QStringLiteral("0101"), QStringLiteral("0001"), 2, 1, 1);
  AddPlan(QStringLiteral("0101"), QStringLiteral("0002"), 1, 1, 2);
  for (const char* klass : {"010101", "010102"}) {
    Assign(QString::fromLatin1(klass), QStringLiteral("0001"), QStringLiteral("0001"));
    Assign(QString::fromLatin1(klass), QStringLiteral("0002"), QStringLiteral("0002"), QStringLiteral("001"));
  }
  AddNode(QStringLiteral("02"), QStringLiteral("分校"));
  AddNode(QStringLiteral("0201"), QStringLiteral("分校一年级"));
  AddNode(QStringLiteral("020101"), QStringLiteral("分校1班"));
  AddLesson(QStringLiteral("020101"), 1, 'B', 1, QStringLiteral("0006"), QStringLiteral("0001"));
  AddLesson(QStringLiteral("010101"), 5, 'C', 2, QStringLiteral("0001"), QStringLiteral("0001"));
  const QStringList before = AllRows();

  pdb()->FailNthStatement(1000000);
  CPkArranger counting(kYear, kTerm, kDate, QStringLiteral("01"), pdb());
  ASSERT_TRUE(counting.Load());
  const int reads = pdb()->GetStatementsSent();
  pdb()->FailNthStatement(0);
  ASSERT_GE(reads, 7);  // schedule, courses, teachers, rooms, classes, plans, assignments, lessons
  for (int n = 1; n <= reads; ++n) {
    pdb()->FailNthStatement(n);
    const QStringList texts = Arrange();
    pdb()->FailNthStatement(0);
    EXPECT_FALSE(texts.contains(QStringLiteral("要保存此次排课结果吗？"))) << "read " << n;
    EXPECT_EQ(AllRows(), before) << "read " << n;
    EXPECT_EQ(LogRows(), 0) << "read " << n;
  }
  // Unrefused, the same run stores both classes and logs once.
  Arrange();
  EXPECT_EQ(Rows(QStringLiteral("PK"), QStringLiteral("STD"), QStringLiteral("Where STD<>'020101'")).size(), 6);
  EXPECT_EQ(LogRows(), 1);
}

KV_DB_KIND_TEST_SUITE(KvPkEngineTest);
}  // namespace
