// The check a class timetable passes before it is stored, one case per rule,
// and the typed cell text checked against the catalogue and the plan.

#include "KvPkTestSupport.h"

#include "core/CKvDb.h"
#include "school/CStd.h"
#include "timetable/KvPkCheckSource.h"
#include "timetable/KvPkSchoolTree.h"

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include "timetable/CWkjhRec.h"

namespace {
class KvPkCheckerTest : public KvPkDbTest {
 protected:
  void SetUp() override {
    KvPkDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    AddClasses(2);
    SaveSchedule(4, 4);
    AddCourse(QStringLiteral("0001"), QStringLiteral("语文"));
    AddCourse(QStringLiteral("0002"), QStringLiteral("数学"));
    AddCourse(QStringLiteral("0003"), QStringLiteral("音乐"));
    AddTeacher(QStringLiteral("0001"), QStringLiteral("王芳"));
    AddRoom(QStringLiteral("001"), QStringLiteral("琴房"));
    AddPlan(QStringLiteral("0101"), QStringLiteral("0001"), 1, 1);
    AddPlan(QStringLiteral("0101"), QStringLiteral("0002"), 1, 1, 1, QString(), QStringLiteral("1"));
    AddPlan(QStringLiteral("0101"), QStringLiteral("0003"), 1, 1);
    Assign(QStringLiteral("010101"), QStringLiteral("0001"), QStringLiteral("0001"));
    Assign(QStringLiteral("010101"), QStringLiteral("0002"), QString());
    Assign(QStringLiteral("010101"), QStringLiteral("0003"), QString(), QStringLiteral("001"), 1);
  }
  // The class grid with every planned course placed once, on Tuesday
  // (music in the odd weeks).
  CPkGrid Placed() {
    CPkGrid grid(kYear, kTerm, kDate, QStringLiteral("010101"));
    grid.SetSizes(m_schedule);
    Put(grid, 0, 2, 1, 0, QStringLiteral("0001"), QStringLiteral("0001"));
    Put(grid, 0, 2, 1, 1, QStringLiteral("0002"));
    Put(grid, 1, 2, 1, 2, QStringLiteral("0003"), QString(), QStringLiteral("001"));
    return grid;
  }
  static void Put(CPkGrid& grid, int kind, int day, int s, int p, const QString& course,
                  const QString& teacher = QString(), const QString& room = QString()) {
    const int i = CPkGrid::ArrayIndex(kind, day, s);
    grid.ClassCells[i][p] = grid.STD;
    grid.CourseCells[i][p] = course;
    grid.TeacherCells[i][p] = teacher;
    grid.RoomCells[i][p] = room;
  }
  // The stop messages of the check (questions answered as scripted).
  QStringList Check(const CPkGrid& grid, bool* pResult = nullptr, QList<int> answers = {}) {
    QList<CWkjhRec> rows;
    CWkjhRec(kYear, kTerm, kDate, grid.STD).LoadClassPlan(QString(), rows, pdb());
    KvScriptedAnswers recorder(answers);
    const bool ok = grid.CheckAgainstPlan(m_schedule, rows, pdb());
    if (pResult)
      *pResult = ok;
    m_texts = recorder.texts;
    return recorder.Stops();
  }
  QStringList m_texts;
};

TEST_P(KvPkCheckerTest, PlannedLessonsPass) {
  bool ok = false;
  EXPECT_TRUE(Check(Placed(), &ok).isEmpty());
  EXPECT_TRUE(ok);
  EXPECT_TRUE(m_texts.isEmpty());
  CPkGrid empty(kYear, kTerm, kDate, QStringLiteral("010102"));
  empty.SetSizes(m_schedule);
  EXPECT_TRUE(Check(empty, &ok).isEmpty());
  EXPECT_TRUE(ok);
}

TEST_P(KvPkCheckerTest, EachCellMustBelongToThePlanWithItsWeekKind) {
  CPkGrid grid = Placed();
  Put(grid, 0, 1, 1, 0, QStringLiteral("0009"));
  EXPECT_EQ(Check(grid), QStringList{QStringLiteral("星期一早上第1节<0009>课程不存在、或不是本班计划内课程！")});

  grid = Placed();
  Put(grid, 2, 3, 2, 1, QStringLiteral("0001"));
  EXPECT_EQ(Check(grid), QStringList{QStringLiteral("星期三下午第2节<语文>单双周排课要求与计划不一致！")});

  // Odd and even weeks may share a period; every week may not.
  grid = Placed();
  Put(grid, 0, 2, 1, 2, QStringLiteral("0001"));
  Put(grid, 0, 2, 1, 0, QString());
  EXPECT_EQ(Check(grid), QStringList{QStringLiteral("星期二早上第3节<语文>不符合单双周排课要求！")});
}

TEST_P(KvPkCheckerTest, PlanRowsNeedTheirCourseAndValidTimes) {
  AddPlan(QStringLiteral("0101"), QStringLiteral("0099"), 1, 1);
  EXPECT_EQ(Check(Placed()), QStringList{QStringLiteral("在计划中的课程<0099>不存在！")});
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From WKJH Where SBT='0099'")));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update WKJH Set WTN0='8' Where SBT='0001'")));
  EXPECT_EQ(Check(Placed()), QStringList{QStringLiteral("<语文>的指定时间定义出错！")});
}

TEST_P(KvPkCheckerTest, LessonsStayInsideAllowedAndScheduledPeriods) {
  CPkGrid grid = Placed();
  Put(grid, 0, 2, 1, 1, QString());
  Put(grid, 0, 1, 2, 3, QStringLiteral("0002"));  // barred: Monday
  EXPECT_EQ(Check(grid), QStringList{QStringLiteral("<数学>不能排在下列位置：\n星期一下午第4节！")});
  grid = Placed();
  Put(grid, 0, 2, 1, 0, QString());
  Put(grid, 0, 6, 1, 0, QStringLiteral("0001"), QStringLiteral("0001"));  // Saturday has no lessons
  EXPECT_EQ(Check(grid), QStringList{QStringLiteral("<语文>不能排在下列位置：\n星期六早上第1节！")});
}

TEST_P(KvPkCheckerTest, TeacherAndRoomClashWhenWeekKindsOverlap) {
  AddCourse(QStringLiteral("0004"), QStringLiteral("美术"));
  for (int mine = 0; mine < 3; ++mine) {
    for (int theirs = 0; theirs < 3; ++theirs) {
      ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From PK")));
      ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update SBTTCHR Set DS='%1' Where SBT='0001'").arg(mine)));
      ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update SBTTCHR Set DS='%1' Where SBT='0003'").arg(mine)));
      AddLesson(QStringLiteral("010102"), 2, 'B', 1, QStringLiteral("0004"), QStringLiteral("0001"), QStringLiteral("001"),
                theirs);
      CPkGrid grid(kYear, kTerm, kDate, QStringLiteral("010101"));
      grid.SetSizes(m_schedule);
      Put(grid, mine, 2, 1, 0, QStringLiteral("0001"), QStringLiteral("0001"));
      Put(grid, 0, 3, 1, 0, QStringLiteral("0002"));
      const bool overlap = mine == 0 || theirs == 0 || mine == theirs;
      EXPECT_EQ(Check(grid), overlap ? QStringList{QStringLiteral("<语文>不能排在：星期二早上第1节！任课教师王芳此时在<(010102)2班>有课")}
                                     : QStringList())
          << mine << " against " << theirs;

      ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update PK Set TCHR=''")));
      Put(grid, mine, 2, 1, 0, QString());
      Put(grid, mine, 2, 1, 1, QStringLiteral("0001"), QStringLiteral("0001"));
      Put(grid, mine, 2, 1, 0, QStringLiteral("0003"), QString(), QStringLiteral("001"));
      EXPECT_EQ(Check(grid), overlap ? QStringList{QStringLiteral("<音乐>不能排在：星期二早上第1节！公用教室<琴房>此时<(010102)2班>有课")}
                                     : QStringList())
          << mine << " against " << theirs;
    }
  }
}

TEST_P(KvPkCheckerTest, UnreadableLessonsOfOtherClassesRefuseTheClass) {
  // The class's teacher, then its room, double-booked by the other class;
  // every statement of the check refused in turn: the class never passes.
  const struct {
    const char* teacher;
    const char* room;
    int kind;
    char segment;
    int period;
  } cases[] = {{"0001", "", 0, 'B', 1}, {"", "001", 1, 'B', 3}};
  for (const auto& c : cases) {
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From PK")));
    AddLesson(QStringLiteral("010102"), 2, c.segment, c.period, QStringLiteral("0002"), QString::fromLatin1(c.teacher),
              QString::fromLatin1(c.room), c.kind);
    const CPkGrid grid = Placed();
    QList<CWkjhRec> rows;
    CWkjhRec(kYear, kTerm, kDate, grid.STD).LoadClassPlan(QString(), rows, pdb());
    KvScriptedAnswers answers;
    pdb()->FailNthStatement(1000000);
    EXPECT_FALSE(grid.CheckAgainstPlan(m_schedule, rows, pdb()));
    const int statements = pdb()->GetStatementsSent();
    for (int n = 1; n <= statements; ++n) {
      pdb()->FailNthStatement(n);
      EXPECT_FALSE(grid.CheckAgainstPlan(m_schedule, rows, pdb())) << c.teacher << c.room << " statement " << n;
    }
    pdb()->FailNthStatement(0);
  }
}

TEST_P(KvPkCheckerTest, CountsThatDifferAreOneQuestion) {
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update WKJH Set NU=2 Where SBT<>'0002'")));
  const QString question = QStringLiteral(
      "(010101)1班下列课程排课数与计划不符：\n语文 ---> 应排：2节 --- 已排：1节\n音乐 ---> 应排：2节 --- 已排：1节\n保存吗？");
  bool ok = false;
  EXPECT_TRUE(Check(Placed(), &ok, {KV_IDYES}).isEmpty());
  EXPECT_TRUE(ok);
  EXPECT_EQ(m_texts, QStringList{question});
  Check(Placed(), &ok, {KV_IDNO});
  EXPECT_FALSE(ok);
  Check(Placed(), &ok, {KV_IDCANCEL});
  EXPECT_FALSE(ok);
  // A later hard fault stops without the question.
  CPkGrid grid = Placed();
  Put(grid, 0, 1, 1, 0, QStringLiteral("0002"));
  EXPECT_EQ(Check(grid, &ok).size(), 1);
  EXPECT_EQ(m_texts.size(), 1);
  EXPECT_FALSE(ok);
}

TEST_P(KvPkCheckerTest, TypedCellTextNeedsCatalogueAndPlan) {
  const CPkGrid grid = Placed();
  QString text = QStringLiteral("1");
  QString entries[3];
  QString display;
  ASSERT_TRUE(grid.NormalizeCellText(pdb(), true, text, entries, &display));
  EXPECT_EQ(text, QStringLiteral("0001"));
  EXPECT_EQ(display, QStringLiteral("语文"));
  text = QStringLiteral("d3");
  ASSERT_TRUE(grid.NormalizeCellText(pdb(), true, text, entries, &display));
  EXPECT_EQ(text, QStringLiteral("D0003"));
  EXPECT_EQ(display, QStringLiteral("(单)音乐"));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update SBTTCHR Set DS='2' Where SBT='0001'")));
  text = QStringLiteral("s1d3");
  ASSERT_TRUE(grid.NormalizeCellText(pdb(), true, text, entries, &display));
  EXPECT_EQ(text, QStringLiteral("D0003S0001"));
  EXPECT_EQ(display, QStringLiteral("(单)音乐\n(双)语文"));
  for (const char* refused : {"s3", "d2", "9", "00001", "12345", "0"}) {
    text = QString::fromLatin1(refused);
    EXPECT_FALSE(grid.NormalizeCellText(pdb(), true, text, entries, nullptr)) << refused;
    EXPECT_EQ(text, QString::fromLatin1(refused));
  }
  // In a teacher's or room's timetable the codes are classes, as typed.
  text = QStringLiteral("010102");
  ASSERT_TRUE(grid.NormalizeCellText(pdb(), false, text, entries, &display));
  EXPECT_EQ(display, QStringLiteral("2班"));
  text = QStringLiteral("010109");
  EXPECT_FALSE(grid.NormalizeCellText(pdb(), false, text, entries, &display));
}

// The window's name of a node comes from the tree read with the catalogue,
// as the school tree's own path gives it.
TEST_P(KvPkCheckerTest, LoadedTreeGivesTheSchoolTreesPaths) {
  AddNode(QStringLiteral("0301"), QStringLiteral("三年级"));  // no unit 03 above it
  AddNode(QStringLiteral("030101"), QStringLiteral("3班 "));
  KvPkLoadedCheckSource source(pdb());
  ASSERT_TRUE(source.Load());
  for (const char* code : {"01", "0101", "010102", "0301", "030101"}) {
    CStd node(pdb(), QString::fromLatin1(code));
    QString expected, path;
    QStringList codes, names;
    ASSERT_GT(node.GetPath(&expected, &codes, &names), 0) << code;
    ASSERT_TRUE(source.NodePath(QString::fromLatin1(code), &path)) << code;
    EXPECT_EQ(path, expected) << code;
  }
  QString path = QStringLiteral("kept");
  EXPECT_FALSE(source.NodePath(QStringLiteral("010109"), &path));
  EXPECT_FALSE(source.NodePath(QStringLiteral("0101010001"), &path));
  EXPECT_EQ(path, QStringLiteral("kept"));
  // The window's tree is the same built from what was read.
  const auto shown = [](const QTreeWidget& tree) {
    QStringList texts;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(&tree)); *it; ++it)
      texts.append(KvPkItemCode(*it) + u'|' + (*it)->text(0));
    return texts;
  };
  QTreeWidget fromDb, fromSource;
  ASSERT_TRUE(KvPkFillSchoolTree(&fromDb, pdb()));
  KvPkFillSchoolTree(&fromSource, source.Nodes());
  EXPECT_EQ(shown(fromSource), shown(fromDb));
  EXPECT_EQ(shown(fromDb).size(), 4);  // the grade without its unit is not reached
}

KV_DB_KIND_TEST_SUITE(KvPkCheckerTest);
}  // namespace
