// The timetabling tables and records on every back end: creation, the
// catalogues with their checks and cascades, the schedule, plan versions,
// stored timetables, carry-over and the set-up check.

#include "KvPkTestSupport.h"

#include "app/CKvApp.h"
#include "core/CKvDb.h"
#include "core/KvDbBackend.h"
#include "print/CKvPrintSet.h"
#include "timetable/CPkDataType.h"
#include "timetable/CPubRmTable.h"
#include "timetable/CSbtTable.h"
#include "timetable/CTchrTable.h"
#include "timetable/CWkjhRec.h"
#include "timetable/KvCheckPkSetup.h"
#include "timetable/KvPkLessonInsert.h"
#include "support/KvStationInFlight.h"

#include <optional>

namespace {
class KvPkRecordsTest : public KvPkDbTest {
 protected:
  CPkDataType* Module() { return dynamic_cast<CPkDataType*>(KvFindDataType(19)); }
  QStringList References() {
    return Rows(QStringLiteral("WKJH"), QStringLiteral("SBT")) + Rows(QStringLiteral("SBTTCHR"), QStringLiteral("SBT,TCHR,PUBRM")) +
           Rows(QStringLiteral("PK"), QStringLiteral("SBT,TCHR,PUBRM")) + Rows(QStringLiteral("SBT"), QStringLiteral("KNO,NA"));
  }
  void AddReferredCourse() {
    AddCourse(QStringLiteral("0003"), QStringLiteral("数学"));
    AddTeacher(QStringLiteral("0001"), QStringLiteral("王芳"));
    AddRoom(QStringLiteral("001"), QStringLiteral("机房"));
    AddPlan(QStringLiteral("0101"), QStringLiteral("0003"), 2, 1);
    Assign(QStringLiteral("010101"), QStringLiteral("0003"), QStringLiteral("0001"), QStringLiteral("001"));
    AddLesson(QStringLiteral("010101"), 1, 'B', 1, QStringLiteral("0003"), QStringLiteral("0001"), QStringLiteral("001"));
  }
};

TEST_P(KvPkRecordsTest, CreatingTablesTwiceKeepsWhatExists) {
  CPkDataType* module = Module();
  ASSERT_NE(module, nullptr);
  EXPECT_TRUE(pdb()->Execute(QStringLiteral("Drop Table SBT")));
  AddTeacher(QStringLiteral("0001"), QStringLiteral("王芳"));
  KvScriptedAnswers answers;
  EXPECT_TRUE(module->CreateTables(pdb()));
  EXPECT_TRUE(module->CreateTables(pdb()));
  EXPECT_TRUE(answers.texts.isEmpty());
  for (const char* table : {"TCHR", "SBT", "PUBRM", "WKT", "WKJH", "SBTTCHR", "PK"})
    EXPECT_TRUE(pdb()->TableExists(QString::fromLatin1(table))) << table;
  EXPECT_EQ(Rows(QStringLiteral("TCHR"), QStringLiteral("KNO")), QStringList{QStringLiteral("0001")});
  QStringList columns[4];
  ASSERT_GT(pdb()->GetColumns(QStringLiteral("WKJH"), columns, nullptr), 0);
  EXPECT_EQ(columns[0].join(u',').toUpper(), QStringLiteral("NU,CN"));
}

TEST_P(KvPkRecordsTest, CatalogueRowsKeepQuotesAndRefuseDuplicates) {
  CTchrRec teacher;
  teacher.KNO = QStringLiteral("0007");
  teacher.NA = QStringLiteral("O'Neil");
  teacher.ADR = QStringLiteral("路|号 * ? %");
  teacher.SEX = 1;
  ASSERT_TRUE(CTchrTable::Insert(teacher, pdb()));
  CTchrRec read;
  ASSERT_EQ(CTchrTable::LoadByCode(read, QStringLiteral("0007"), pdb()), 1);
  EXPECT_EQ(read.NA, QStringLiteral("O'Neil"));
  EXPECT_EQ(read.SEX, 1);
  EXPECT_EQ(read.ADR, kind() == 0 ? QStringLiteral("路｜号 * ? %") : QStringLiteral("路|号 * ? %"));

  KvScriptedAnswers answers;
  EXPECT_FALSE(CTchrTable::Insert(teacher, pdb()));
  EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("新增教师：0007\n代码重！")});
  EXPECT_EQ(Rows(QStringLiteral("TCHR"), QStringLiteral("KNO")), QStringList{QStringLiteral("0007")});

  CTchrRec unknown;
  unknown.NA = QStringLiteral("保留");
  EXPECT_EQ(CTchrTable::LoadByCode(unknown, QStringLiteral("0008"), pdb()), 0);
  EXPECT_EQ(unknown.NA, QStringLiteral("保留"));
}

TEST_P(KvPkRecordsTest, NextCodesCountOnFromTheLargest) {
  EXPECT_EQ(CTchrTable::NextCode(pdb()), QStringLiteral("0001"));
  EXPECT_EQ(CPubRmTable::NextCode(pdb()), QStringLiteral("001"));
  AddCourse(QStringLiteral("0041"), QStringLiteral("甲"));
  EXPECT_EQ(CSbtTable::NextCode(pdb()), QStringLiteral("0042"));
  AddCourse(QStringLiteral("9999"), QStringLiteral("乙"));
  KvMessageRecorder recorder;
  EXPECT_EQ(CSbtTable::NextCode(pdb()), QString());
  EXPECT_EQ(recorder.last(), QStringLiteral("代码已到最大值9999，不能再自动编号！"));
  AddRoom(QStringLiteral("006"), QStringLiteral("丙"));
  EXPECT_EQ(CPubRmTable::NextCode(pdb()), QStringLiteral("007"));
}

TEST_P(KvPkRecordsTest, ChangedCodeFollowsIntoPlansAndTimetables) {
  AddReferredCourse();
  CSbtRec course;
  ASSERT_EQ(CSbtTable::LoadByCode(course, QStringLiteral("0003"), pdb()), 1);
  course.KNO = QStringLiteral("0007");
  ASSERT_TRUE(CSbtTable::Update(course, QStringLiteral("0003"), pdb()));
  EXPECT_EQ(Rows(QStringLiteral("WKJH"), QStringLiteral("SBT")), QStringList{QStringLiteral("0007")});
  EXPECT_EQ(Rows(QStringLiteral("SBTTCHR"), QStringLiteral("SBT")), QStringList{QStringLiteral("0007")});
  EXPECT_EQ(Rows(QStringLiteral("PK"), QStringLiteral("SBT")), QStringList{QStringLiteral("0007")});

  CTchrRec teacher;
  CTchrTable::LoadByCode(teacher, QStringLiteral("0001"), pdb());
  AddTeacher(QStringLiteral("0002"), QStringLiteral("李娜"));
  teacher.KNO = QStringLiteral("0002");
  KvScriptedAnswers answers;
  EXPECT_FALSE(CTchrTable::Update(teacher, QStringLiteral("0001"), pdb()));
  EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("修改教师代码：0001～0002\n目标代码重！")});
  EXPECT_EQ(Rows(QStringLiteral("PK"), QStringLiteral("TCHR")), QStringList{QStringLiteral("0001")});

  // On a server a lesson another workstation is storing under the old code
  // is not seen before it commits: the recode waits for it under the locks
  // and takes it along.
  if (kind() == 0)
    return;
  KvStationInFlight storing(testDb(), {},
                            {QStringLiteral("Insert Into PK(Y,QC,T,STD,WK,DT,DN,DS,SBT,TCHR,PUBRM) "
                                            "Values('2024','1','20240901','010101','1','B','2','0','0007','','')")});
  ASSERT_TRUE(storing.Started());
  course.KNO = QStringLiteral("0008");
  EXPECT_TRUE(CSbtTable::Update(course, QStringLiteral("0007"), pdb()));
  EXPECT_TRUE(storing.Committed());
  EXPECT_EQ(Rows(QStringLiteral("PK"), QStringLiteral("SBT")), (QStringList{QStringLiteral("0008"), QStringLiteral("0008")}));
}

TEST_P(KvPkRecordsTest, FailedCascadeLeavesEveryTableAsItWas) {
  AddReferredCourse();
  ExpectAllOrNothing(
      [this] {
        CSbtRec course;
        course.KNO = QStringLiteral("0009");
        course.NA = QStringLiteral("代数");
        return CSbtTable::Update(course, QStringLiteral("0003"), pdb());
      },
      [this] { return References(); });
}

TEST_P(KvPkRecordsTest, ReferredRowsCannotBeDeleted) {
  AddReferredCourse();
  KvScriptedAnswers answers;
  EXPECT_FALSE(CSbtTable::Delete(QStringLiteral("0003"), pdb()));
  EXPECT_FALSE(CTchrTable::Delete(QStringLiteral("0001"), pdb()));
  EXPECT_FALSE(CPubRmTable::Delete(QStringLiteral("001"), pdb()));
  EXPECT_EQ(answers.Stops(), (QStringList{QStringLiteral("课程：0003\n已在级周教学计划中被引用！"),
                                          QStringLiteral("教师：0001\n已在班级周教学计划中被引用！"),
                                          QStringLiteral("公用教室：001\n已在班级周教学计划中被引用！")}));
  EXPECT_TRUE(pdb()->Execute(QStringLiteral("Delete From WKJH")));
  EXPECT_TRUE(pdb()->Execute(QStringLiteral("Delete From SBTTCHR")));
  answers.texts.clear();
  answers.styles.clear();
  EXPECT_FALSE(CPubRmTable::Delete(QStringLiteral("001"), pdb()));
  EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("公用教室：001\n已在周课表中被引用！")});
  EXPECT_TRUE(pdb()->Execute(QStringLiteral("Delete From PK")));
  EXPECT_TRUE(CSbtTable::Delete(QStringLiteral("0003"), pdb()));
  EXPECT_TRUE(Rows(QStringLiteral("SBT"), QStringLiteral("KNO")).isEmpty());

  // On a server a plan row, an assignment or a lesson another workstation
  // is storing is not seen before it commits: the delete waits for it under
  // the locks and refuses.
  if (kind() == 0)
    return;
  AddCourse(QStringLiteral("0003"), QStringLiteral("数学"));
  const struct {
    const char* insert;
    bool (*remove)(const QString&, CKvDb*, QString*);
    const char* code;
    const char* refusal;
  } inFlight[] = {
      {"Insert Into WKJH(Y,QC,T,STD,SBT,NU,CN,CL,WTN0,WTN1,NT) Values('2024','1','20240901','0101','0003',1,1,'1','','','')",
       CSbtTable::Delete, "0003", "课程：0003\n已在级周教学计划中被引用！"},
      {"Insert Into SBTTCHR(Y,QC,T,STD,SBT,TCHR,PUBRM,DS) Values('2024','1','20240901','010101','0003','0001','','0')",
       CTchrTable::Delete, "0001", "教师：0001\n已在班级周教学计划中被引用！"},
      {"Insert Into PK(Y,QC,T,STD,WK,DT,DN,DS,SBT,TCHR,PUBRM) Values('2024','1','20240901','010101','1','B','1','0','0003','','001')",
       CPubRmTable::Delete, "001", "公用教室：001\n已在周课表中被引用！"}};
  for (const auto& c : inFlight) {
    SCOPED_TRACE(c.insert);
    KvStationInFlight inserting(testDb(), {}, {QString::fromLatin1(c.insert)}, 2000);
    ASSERT_TRUE(inserting.Started());
    KvScriptedAnswers refused;
    EXPECT_FALSE(c.remove(QString::fromLatin1(c.code), pdb(), nullptr));
    EXPECT_TRUE(inserting.Committed());
    EXPECT_EQ(refused.Stops(), QStringList{QString::fromUtf8(c.refusal)});
  }
  EXPECT_EQ(Rows(QStringLiteral("SBT"), QStringLiteral("KNO")) + Rows(QStringLiteral("TCHR"), QStringLiteral("KNO")) +
                Rows(QStringLiteral("PUBRM"), QStringLiteral("KNO")),
            (QStringList{QStringLiteral("0003"), QStringLiteral("0001"), QStringLiteral("001")}));
}

TEST_P(KvPkRecordsTest, ScheduleRoundTripAndInheritance) {
  CWktRec schedule(kYear, 0);
  schedule.SetDefaults();
  EXPECT_EQ(schedule.CountFlags(), 60);
  const int counts[4] = {0, 5, 4, 2};
  schedule.SetPeriodCounts(counts);
  ASSERT_TRUE(schedule.Save(pdb()));
  EXPECT_TRUE(Rows(QStringLiteral("WKT"), QStringLiteral("DT"), QStringLiteral("Where DT='A'")).isEmpty());
  CWktRec read;
  ASSERT_TRUE(read.Load(kYear, 0, pdb()));
  EXPECT_EQ(read.PeriodCount(0), 0);
  EXPECT_EQ(read.PeriodCount(1), 5);
  EXPECT_EQ(read.SBT[5][1], QList<unsigned>(5, 1u));
  EXPECT_EQ(read.HM0[2].value(0), QStringLiteral("1435"));

  // A short flag text, a non-digit and a segment letter outside A-D.
  EXPECT_TRUE(pdb()->Execute(QStringLiteral("Insert Into WKT(Y,QC,DT,DN,HM0,HM1,SBT) Values('2030','1','B','1','0800','0845','0x1')")));
  EXPECT_TRUE(pdb()->Execute(QStringLiteral("Insert Into WKT(Y,QC,DT,DN,HM0,HM1,SBT) Values('2030','1','E','1','0900','0945','1111111')")));
  ASSERT_TRUE(read.Load(QStringLiteral("2030"), 1, pdb()));
  EXPECT_EQ(read.CountFlags(), 1);
  EXPECT_EQ(read.SBT[2][1], QList<unsigned>{1u});

  CWktRec inherited;
  EXPECT_EQ(inherited.LoadOrInherit(QStringLiteral("2031"), 0, pdb()), 1);
  EXPECT_EQ(inherited.Y, QStringLiteral("2031"));
  EXPECT_EQ(inherited.PeriodCount(3), 2);  // the latest spring, 2024
  EXPECT_EQ(inherited.LoadOrInherit(QStringLiteral("2031"), 1, pdb()), 1);
  EXPECT_EQ(inherited.PeriodCount(1), 1);  // the latest autumn, 2030
  EXPECT_EQ(inherited.LoadOrInherit(kYear, 0, pdb()), 0);
}

TEST_P(KvPkRecordsTest, PlanVersionsFollowTheLatestRules) {
  AddClasses(2);
  AddCourse(QStringLiteral("0001"), QStringLiteral("语文"));
  AddTeacher(QStringLiteral("0001"), QStringLiteral("王芳"));
  QList<CWkjhRec> rows(1, CWkjhRec());
  rows[0].SBT = QStringLiteral("0001");
  rows[0].NU = 5;
  rows[0].CN = 2;
  CWkjhRec grade(kYear, kTerm, kDate, QStringLiteral("0101"));
  ASSERT_EQ(grade.SavePlan(rows, pdb()), 1);
  EXPECT_EQ(Rows(QStringLiteral("SBTTCHR"), QStringLiteral("STD,SBT")),
            (QStringList{QStringLiteral("010101|0001"), QStringLiteral("010102|0001")}));
  // A second save of the grade replaces the classes' assignments.
  ASSERT_EQ(grade.SavePlan(rows, pdb()), 1);
  EXPECT_EQ(Rows(QStringLiteral("SBTTCHR"), QStringLiteral("STD,SBT")).size(), 2);

  // The class's own save writes its teacher; a grade save keeps it.
  CWkjhRec klass(kYear, kTerm, kDate, QStringLiteral("010101"));
  QList<CWkjhRec> classRows;
  ASSERT_EQ(klass.LoadClassPlan(QString(), classRows, pdb()), 1);
  classRows[0].TCHR = QStringLiteral("0001");
  classRows[0].DS = 2;
  ASSERT_EQ(klass.SavePlan(classRows, pdb()), 1);
  ASSERT_EQ(grade.SavePlan(rows, pdb()), 1);
  CWkjhRec planRow(kYear, kTerm, kDate, QStringLiteral("010101"));
  EXPECT_EQ(planRow.LoadPlanRow(QStringLiteral("0001"), pdb()), 2);
  EXPECT_EQ(planRow.TCHR, QStringLiteral("0001"));
  EXPECT_EQ(planRow.DS, 2);
  EXPECT_EQ(planRow.NU, 5);
  EXPECT_EQ(CWkjhRec(kYear, kTerm, kDate, QStringLiteral("010101")).LoadPlanRow(QStringLiteral("0002"), pdb()), 0);

  // A later version of another year may be saved; the earlier one not.
  CWkjhRec later(QStringLiteral("2025"), 0, QStringLiteral("20250301"), QStringLiteral("0101"));
  ASSERT_EQ(later.SavePlan(rows, pdb()), 1);
  KvScriptedAnswers answers;
  EXPECT_EQ(grade.SavePlan(rows, pdb()), 0);
  EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("非最后一次计划，不能保存！")});

  // Re-dating: only the latest, never onto or past another version's date.
  EXPECT_EQ(CWkjhRec().ChangeVersionDate(kYear, kTerm, kDate, QStringLiteral("20240902"), pdb()), 0);
  EXPECT_EQ(CWkjhRec().ChangeVersionDate(QStringLiteral("2025"), 0, QStringLiteral("20250301"),
                                         QStringLiteral("20240901"), pdb()),
            0);
  AddLesson(QStringLiteral("010101"), 1, 'B', 1, QStringLiteral("0001"), QString());
  EXPECT_TRUE(pdb()->Execute(QStringLiteral("Update PK Set Y='2025',QC='0',T='20250301'")));
  EXPECT_EQ(CWkjhRec().ChangeVersionDate(QStringLiteral("2025"), 0, QStringLiteral("20250301"),
                                         QStringLiteral("20250310"), pdb()),
            1);
  EXPECT_EQ(Rows(QStringLiteral("PK"), QStringLiteral("T")), QStringList{QStringLiteral("20250310")});
  QStringList dates;
  EXPECT_EQ(CWkjhRec::ListVersions(QStringLiteral("2025"), 0, dates, pdb()), 1);
  EXPECT_EQ(CWkjhRec::DeleteVersion(QStringLiteral("2025"), 0, QStringLiteral("20250310"), pdb()), 1);
  EXPECT_TRUE(Rows(QStringLiteral("PK"), QStringLiteral("T")).isEmpty());
  EXPECT_EQ(Rows(QStringLiteral("WKJH"), QStringLiteral("T")), QStringList{kDate});
}

TEST_P(KvPkRecordsTest, VersionWritesAreAllOrNothing) {
  AddClasses(1);
  AddCourse(QStringLiteral("0001"), QStringLiteral("语文"));
  AddPlan(QStringLiteral("0101"), QStringLiteral("0001"), 4, 1);
  Assign(QStringLiteral("010101"), QStringLiteral("0001"), QString());
  AddLesson(QStringLiteral("010101"), 2, 'C', 1, QStringLiteral("0001"), QString());
  auto state = [this] {
    return Rows(QStringLiteral("WKJH"), QStringLiteral("Y,QC,T,STD,SBT")) +
           Rows(QStringLiteral("SBTTCHR"), QStringLiteral("Y,QC,T,STD,SBT")) +
           Rows(QStringLiteral("PK"), QStringLiteral("Y,QC,T,STD,SBT"));
  };
  ExpectAllOrNothing(
      [this] { return CWkjhRec().ChangeVersionDate(kYear, kTerm, kDate, QStringLiteral("20240905"), pdb()) == 1; },
      state);
  const QStringList before = state();
  pdb()->FailNthStatement(3);
  EXPECT_EQ(CWkjhRec::DeleteVersion(kYear, kTerm, QStringLiteral("20240905"), pdb()), 0);
  pdb()->FailNthStatement(0);
  EXPECT_EQ(state(), before);
  // A new version copies the latest, plan and assignments together.
  KvScriptedAnswers answers;
  CWkjhRec next(kYear, kTerm, QStringLiteral("20241001"), QStringLiteral("0101"));
  next.CopyPreviousVersion(pdb());
  EXPECT_EQ(answers.texts, QStringList{QStringLiteral("可以拷贝上期计划，然后在此基础上再作修改，拷贝吗？")});
  EXPECT_EQ(Rows(QStringLiteral("SBTTCHR"), QStringLiteral("T"), QStringLiteral("Where T='20241001'")).size(), 1);
  EXPECT_EQ(Rows(QStringLiteral("WKJH"), QStringLiteral("NU"), QStringLiteral("Where T='20241001'")),
            QStringList{QStringLiteral("4")});
  // Another workstation copies while the offer is open: copied once.
  CKvDb other;
  ASSERT_TRUE(testDb().OpenAnother(other));
  KvScriptedAnswers twice;
  CWkjhRec later(kYear, kTerm, QStringLiteral("20241101"), QStringLiteral("0101"));
  twice.onQuestion = [&] { later.CopyPreviousVersion(&other); };
  later.CopyPreviousVersion(pdb());
  EXPECT_EQ(twice.Stops(), QStringList{QStringLiteral("本期计划已在其他工作站建立，没有拷贝上期计划！")});
  EXPECT_EQ(Rows(QStringLiteral("SBTTCHR"), QStringLiteral("T"), QStringLiteral("Where T='20241101'")) +
                Rows(QStringLiteral("WKJH"), QStringLiteral("T"), QStringLiteral("Where T='20241101'")),
            QStringList(2, QStringLiteral("20241101")));
  // The plan offered is deleted while the offer is open: nothing is copied.
  KvScriptedAnswers gone;
  gone.onQuestion = [&] { CWkjhRec::DeleteVersion(kYear, kTerm, QStringLiteral("20241101"), &other); };
  CWkjhRec(kYear, kTerm, QStringLiteral("20241201"), QStringLiteral("0101")).CopyPreviousVersion(pdb());
  EXPECT_EQ(gone.Stops(), QStringList{QStringLiteral("上期计划已在其他工作站改变，没有拷贝上期计划！")});
  EXPECT_TRUE(Rows(QStringLiteral("WKJH"), QStringLiteral("T"), QStringLiteral("Where T='20241201'")).isEmpty());
}

TEST_P(KvPkRecordsTest, SavesReplaceTheirRowsAllOrNothing) {
  AddClasses(2);
  AddCourse(QStringLiteral("0001"), QStringLiteral("语文"));
  SaveSchedule(2, 1);
  AddPlan(QStringLiteral("0101"), QStringLiteral("0001"), 1, 1);
  Assign(QStringLiteral("010101"), QStringLiteral("0001"), QStringLiteral("0001"));
  AddLesson(QStringLiteral("010101"), 1, 'B', 1, QStringLiteral("0001"), QString());
  auto state = [this] {
    return Rows(QStringLiteral("WKT"), QStringLiteral("DT,DN,SBT")) + Rows(QStringLiteral("WKJH"), QStringLiteral("STD,SBT,NU")) +
           Rows(QStringLiteral("SBTTCHR"), QStringLiteral("STD,SBT,TCHR")) + Rows(QStringLiteral("PK"), QStringLiteral("STD,WK,DT,DN"));
  };
  CWktRec schedule = m_schedule;
  schedule.SetDefaults();
  ExpectAllOrNothing([&] { return schedule.Save(pdb()); }, state);

  QList<CWkjhRec> rows(2, CWkjhRec());
  rows[0].SBT = QStringLiteral("0001");
  rows[0].NU = 3;
  rows[1].SBT = QStringLiteral("0002");
  rows[1].NU = 2;
  CWkjhRec grade(kYear, kTerm, kDate, QStringLiteral("0101"));
  ExpectAllOrNothing([&] { return grade.SavePlan(rows, pdb()) == 1; }, state);
  EXPECT_EQ(Rows(QStringLiteral("SBTTCHR"), QStringLiteral("STD,SBT,TCHR")),
            (QStringList{QStringLiteral("010101|0001|0001"), QStringLiteral("010101|0002|"),
                         QStringLiteral("010102|0001|"), QStringLiteral("010102|0002|")}));

  CPkGrid grid = LoadClass(QStringLiteral("010101"));
  grid.CourseCells[CPkGrid::ArrayIndex(0, 1, 1)][0].clear();
  grid.CourseCells[CPkGrid::ArrayIndex(0, 2, 2)][0] = QStringLiteral("0001");
  grid.CourseCells[CPkGrid::ArrayIndex(2, 3, 1)][1] = QStringLiteral("0002");
  ExpectAllOrNothing([&] { return grid.Save(pdb()); }, state);
  EXPECT_EQ(Rows(QStringLiteral("PK"), QStringLiteral("WK,DT,DN,DS")),
            (QStringList{QStringLiteral("2|C|1|0"), QStringLiteral("3|B|2|2")}));

  // On a server, lessons stored while another workstation holds their table
  // whole (a console run's lock while its question is open) give up waiting,
  // in their statement's preparing or in its run, and say why, storing
  // nothing. The wait is cut short here.
  if (kind() == 0)
    return;
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("SET lock_timeout = 300")));
  for (const bool preparedBefore : {false, true}) {
    std::optional<KvPkLessonInsert> insert;
    if (preparedBefore)
      insert.emplace(pdb());
    KvStationInFlight holding(testDb(), {}, {QStringLiteral("Lock Table PK In Access Exclusive Mode")});
    ASSERT_TRUE(holding.Started());
    if (!preparedBefore)
      insert.emplace(pdb());
    KvScriptedAnswers answers;
    EXPECT_FALSE(insert->Insert(grid));
    EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral(
                                   "数据正被另一工作站锁定（其修改尚未提交），等待10秒后已放弃，本次操作未作任何修改！")})
        << preparedBefore;
  }
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("SET lock_timeout = %1").arg(kKvLockWaitMs)));
  EXPECT_EQ(Rows(QStringLiteral("PK"), QStringLiteral("WK,DT,DN,DS")),
            (QStringList{QStringLiteral("2|C|1|0"), QStringLiteral("3|B|2|2")}));
}

TEST_P(KvPkRecordsTest, StoredTimetableLoadsSavesAndCopies) {
  AddClasses(2);
  SaveSchedule(4, 4);
  AddCourse(QStringLiteral("0001"), QStringLiteral("语文"));
  AddLesson(QStringLiteral("010101"), 1, 'B', 2, QStringLiteral("0001"), QStringLiteral("0001"));
  AddLesson(QStringLiteral("010101"), 1, 'B', 9, QStringLiteral("0001"), QStringLiteral("0001"));  // beyond the day
  AddLesson(QStringLiteral("010102"), 1, 'B', 2, QStringLiteral("0001"), QStringLiteral("0001"), QString(), 1);
  CPkGrid grid = LoadClass(QStringLiteral("010101"));
  EXPECT_EQ(GridText(grid)[0], QStringLiteral("1: . 0001 . . | . . . ."));

  CPkGrid busy(kYear, kTerm, kDate, QString(), QString(), QStringLiteral("0001"));
  ASSERT_TRUE(busy.LoadBusy(QStringLiteral("010101"), m_schedule, pdb()));
  EXPECT_EQ(busy.ClassCells[CPkGrid::ArrayIndex(1, 1, 1)][1], QStringLiteral("010102"));
  EXPECT_TRUE(busy.CourseCells[CPkGrid::ArrayIndex(0, 1, 1)][1].isEmpty());
  CPkGrid nobody(kYear, kTerm, kDate);
  EXPECT_FALSE(nobody.LoadBusy(QString(), m_schedule, pdb()));

  QList<CPkGrid> days;
  EXPECT_EQ(grid.LoadDayByKey(2, 1, m_schedule, days, pdb()), 2);
  EXPECT_EQ(days[1].TCHR, QStringLiteral("010102"));
  EXPECT_EQ(days[1].CourseCells[CPkGrid::ArrayIndex(1, 0, 1)][1], QStringLiteral("0001"));
  // A list that holds a key twice: the lessons go to its first grid.
  days.append(days[1]);
  days[1].CourseCells[CPkGrid::ArrayIndex(1, 0, 1)][1].clear();
  days[2].CourseCells[CPkGrid::ArrayIndex(1, 0, 1)][1].clear();
  EXPECT_EQ(grid.LoadDayByKey(2, 1, m_schedule, days, pdb()), 3);
  EXPECT_EQ(days[1].CourseCells[CPkGrid::ArrayIndex(1, 0, 1)][1], QStringLiteral("0001"));
  EXPECT_TRUE(days[2].CourseCells[CPkGrid::ArrayIndex(1, 0, 1)][1].isEmpty());

  // The grade's key saves (and first deletes) every class under it.
  CPkGrid gradeGrid(kYear, kTerm, kDate, QStringLiteral("0101"));
  gradeGrid.SetSizes(m_schedule);
  gradeGrid.CourseCells[CPkGrid::ArrayIndex(0, 3, 2)][0] = QStringLiteral("0001");
  gradeGrid.TeacherCells[CPkGrid::ArrayIndex(0, 3, 2)][0] = QStringLiteral("0002");
  ASSERT_TRUE(gradeGrid.Save(pdb()));
  EXPECT_EQ(Rows(QStringLiteral("PK"), QStringLiteral("STD,WK,DT,DN,DS,TCHR")), QStringList{QStringLiteral("0101|3|C|1|0|0002")});

  // A later version is offered the latest one, class by class.
  EXPECT_TRUE(pdb()->Execute(QStringLiteral("Update PK Set STD='010102'")));
  KvScriptedAnswers answers;
  CPkGrid next(kYear, kTerm, QStringLiteral("20241001"));
  next.CopyPreviousVersion(m_schedule, pdb());
  EXPECT_EQ(answers.texts, QStringList{QStringLiteral("可以拷贝上期课表，然后在此基础上再作修改，拷贝吗？")});
  EXPECT_EQ(Rows(QStringLiteral("PK"), QStringLiteral("T,STD")),
            (QStringList{QStringLiteral("20240901|010102"), QStringLiteral("20241001|010102")}));
  answers.texts.clear();
  next.CopyPreviousVersion(m_schedule, pdb());  // it has rows now
  EXPECT_TRUE(answers.texts.isEmpty());
  // Another workstation copies while the offer is open: copied once.
  CKvDb other;
  ASSERT_TRUE(testDb().OpenAnother(other));
  KvScriptedAnswers twice;
  CPkGrid later(kYear, kTerm, QStringLiteral("20241101"));
  twice.onQuestion = [&] { later.CopyPreviousVersion(m_schedule, &other); };
  later.CopyPreviousVersion(m_schedule, pdb());
  EXPECT_EQ(twice.Stops(), QStringList{QStringLiteral("本期课表已在其他工作站建立，没有拷贝上期课表！")});
  EXPECT_EQ(Rows(QStringLiteral("PK"), QStringLiteral("STD"), QStringLiteral("Where T='20241101'")),
            QStringList{QStringLiteral("010102")});
  // The timetable offered is deleted while the offer is open: nothing is copied.
  KvScriptedAnswers gone;
  gone.onQuestion = [&] { CWkjhRec::DeleteVersion(kYear, kTerm, QStringLiteral("20241101"), &other); };
  CPkGrid(kYear, kTerm, QStringLiteral("20241201")).CopyPreviousVersion(m_schedule, pdb());
  EXPECT_EQ(gone.Stops(), QStringList{QStringLiteral("上期课表已在其他工作站改变，没有拷贝上期课表！")});
  EXPECT_TRUE(Rows(QStringLiteral("PK"), QStringLiteral("T"), QStringLiteral("Where T='20241201'")).isEmpty());
}

TEST_P(KvPkRecordsTest, CarryItemsCopyTheirTablesOnly) {
  AddReferredCourse();
  SaveSchedule(2, 2);
  EXPECT_TRUE(pdb()->Execute(QStringLiteral("Insert Into WKT(Y,QC,DT,DN,HM0,HM1,SBT) Values('2023','1','B','1','0800','0845','0111110')")));
  KvTestDb newFile(kind());
  KV_CREATE_TEST_DB(newFile);
  CKvDb* pNew = &newFile.db();
  ASSERT_TRUE(m_app->CreateAllTables(pNew));

  QList<int> numbers;
  QStringList captions, tables;
  m_app->GetCarryCatalogue(numbers, captions, tables);
  const qsizetype plan = numbers.indexOf(19004);
  ASSERT_GE(plan, 0);
  EXPECT_EQ(tables[plan], QStringLiteral("WKJH SBTTCHR"));
  // The check of item 4 sees the assignments as well as the plan.
  ASSERT_TRUE(pNew->Execute(QStringLiteral("Insert Into SBTTCHR(Y,SBT) Values('2024','0001')")));
  QString message;
  EXPECT_EQ(Module()->CheckCarryOver(0, 4, captions[plan], tables[plan], pdb(), pNew, message), -1);
  EXPECT_EQ(message, QStringLiteral("教学计划：已有内容，不能结转！"));
  ASSERT_TRUE(pNew->Execute(QStringLiteral("Delete From SBTTCHR")));

  // The old file's year refused: nothing is carried (taken as 0 it would
  // carry every year's rows).
  pdb()->FailNthStatement(1);
  EXPECT_FALSE(CPkDataType::CarryItem(0, 3, pdb(), pNew));
  pdb()->FailNthStatement(0);
  EXPECT_EQ(pNew->LookupLong(QStringLiteral("Count(*) From WKT")), 0);

  for (int item = 0; item <= 6; ++item)
    EXPECT_EQ(CPkDataType::CarryItem(0, item, pdb(), pNew), item <= 5) << item;
  auto rowsOf = [pNew](const QString& sql) {
    QStringList values;
    pNew->QueryTexts(sql, &values, 1);
    std::sort(values.begin(), values.end());
    return values;
  };
  EXPECT_EQ(rowsOf(QStringLiteral("Select KNO From SBT")), QStringList{QStringLiteral("0003")});
  EXPECT_EQ(rowsOf(QStringLiteral("Select SBT From SBTTCHR")), QStringList{QStringLiteral("0003")});
  EXPECT_EQ(rowsOf(QStringLiteral("Select Distinct Y From WKT")), QStringList{kYear});
  EXPECT_EQ(rowsOf(QStringLiteral("Select Count(*) From PK")), QStringList{QStringLiteral("1")});
  // Carrying again would double the rows: the item fails and adds nothing.
  pNew->Execute(QStringLiteral("Create Unique Index PKU On PK(Y,QC,T,STD,WK,DT,DN,DS)"));
  KvScriptedAnswers quiet({KV_IDNO});
  EXPECT_FALSE(CPkDataType::CarryItem(0, 5, pdb(), pNew));
  EXPECT_EQ(rowsOf(QStringLiteral("Select Count(*) From PK")), QStringList{QStringLiteral("1")});
}

TEST_P(KvPkRecordsTest, SetupCheckListsEmptyTablesInOrder) {
  AddClasses(1);
  AddCourse(QStringLiteral("0001"), QStringLiteral("语文"));
  SaveSchedule(1, 1);
  Assign(QStringLiteral("010101"), QStringLiteral("0001"), QString());
  KvScriptedAnswers answers;
  EXPECT_FALSE(KvCheckPkSetup({QStringLiteral("STD"), QStringLiteral("TCHR"), QStringLiteral("SBT"), QStringLiteral("WKT"),
                               QStringLiteral("WKJH"), QStringLiteral("SBTTCHR")}));
  EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("下列信息还未设置\n教师\n级教学计划")});
  EXPECT_TRUE(KvCheckPkSetup({QStringLiteral("STD"), QStringLiteral("SBT")}));
  // A table the data file lacks lists nothing of its own and does not make
  // the tables that hold rows look empty.
  EXPECT_FALSE(KvCheckPkSetup({QStringLiteral("STD"), QStringLiteral("NOSUCHTABLE"), QStringLiteral("WKJH")}));
  EXPECT_EQ(answers.Stops().value(1), QStringLiteral("下列信息还未设置\n级教学计划"));
}

TEST_P(KvPkRecordsTest, ModuleNamesItsRightsOperationsAndPage) {
  QStringList codes, names;
  m_app->GetRightCatalogue(codes, names);
  for (const char* code : {"0084", "1901", "1908", "1920", "1921", "1922"})
    EXPECT_TRUE(codes.contains(QString::fromLatin1(code))) << code;
  EXPECT_EQ(names[codes.indexOf(QStringLiteral("1922"))], QStringLiteral("班级排课情况表"));
  QList<int> numbers;
  QStringList operations;
  Module()->GetModuleOperationNames(numbers, operations);
  EXPECT_EQ(operations.value(numbers.indexOf(4)), QStringLiteral("排课"));
  CKvPrintSet timetable, report;
  Module()->GetDefaultPrintSet(272, QString(), timetable);
  Module()->GetDefaultPrintSet(273, QString(), report);
  EXPECT_EQ(timetable.PageRow, 68);
  EXPECT_EQ(report.PageRow, 22);
  EXPECT_EQ(report.PageCopies, 0);
  EXPECT_EQ(report.Fonts[CKvPrintSet::TextFont].height, -12);
}

KV_DB_KIND_TEST_SUITE(KvPkRecordsTest);
}  // namespace
