// Reading the code tree: the clauses of each mode and the term filter, the
// tree queries (parent, path, next free child, students found by code,
// initials or name, transfer chains), field validation and the course dates.

#include "KvSchoolTestSupport.h"

#include "core/KvMessage.h"
#include "school/CStd.h"

#include <gtest/gtest.h>

namespace {
QStringList codes(const QList<CStd>& rows) {
  QStringList list;
  for (const CStd& row : rows)
    list.append(row.KNO);
  return list;
}
}  // namespace

class CStdTest : public KvSchoolDbTest {
 protected:
  void SetUp() override {
    KvSchoolDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    AddClass({"010201001", "张三", "010201002", "李四"});
    AddNode(QStringLiteral("010202"), QStringLiteral("二班"));
    AddNode(QStringLiteral("010202001"), QStringLiteral("王四"));
  }
  QStringList Select(const QString& code, int mode, int term) {
    CStd reader(pdb(), code);
    QList<CStd> rows;
    reader.Select(&rows, mode, term);
    return codes(rows);
  }
};

TEST_P(CStdTest, ModesSelectNodeSubtreeAndChildren) {
  EXPECT_EQ(Select(QStringLiteral("0102"), 0, -1), QStringList{"0102"});
  EXPECT_EQ(Select(QStringLiteral("010201"), 1, -1), (QStringList{"010201", "010201001", "010201002"}));
  EXPECT_EQ(Select(QString(), 1, -1).size(), 7);
  EXPECT_EQ(Select(QString(), 2, -1), QStringList{"01"});
  EXPECT_EQ(Select(QStringLiteral("0102"), 2, -1), (QStringList{"010201", "010202"}));
  EXPECT_TRUE(Select(QStringLiteral("010201001"), 2, -1).isEmpty());

  // A typed "*" or "_" is no wildcard.
  EXPECT_TRUE(Select(QStringLiteral("01*"), 1, -1).isEmpty());
  EXPECT_TRUE(Select(QStringLiteral("01_2"), 1, -1).isEmpty());
}

TEST_P(CStdTest, TermFilterKeepsStudentsPresentInTheTerm) {
  const auto set = [this](const QString& code, int entryKind, int entryTerm, int exitKind, int exitTerm) {
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update STD Set LB0='%1',QC0=%2,LB1='%3',QC1=%4 Where KNO='%5'")
                                   .arg(entryKind)
                                   .arg(entryTerm)
                                   .arg(exitKind)
                                   .arg(exitTerm)
                                   .arg(code)));
  };
  set(QStringLiteral("010201001"), 1, 4, 0, 5);  // came later
  set(QStringLiteral("010201002"), 0, 0, 2, 2);  // left earlier
  set(QStringLiteral("010202001"), 0, 0, 0, 2);  // graduated early: kept
  EXPECT_EQ(Select(QString(), 1, 3), (QStringList{"01", "0102", "010201", "010202", "010202001"}));
  EXPECT_EQ(Select(QString(), 1, 4).size(), 6);
  CStd student(pdb(), QStringLiteral("010201001"));
  EXPECT_EQ(student.Count(0, 3), 0);
  EXPECT_EQ(student.Count(0, 4), 1);
}

TEST_P(CStdTest, TreeQueries) {
  EXPECT_EQ(CStd::ParentCode(QStringLiteral("010201001")), QStringLiteral("010201"));
  EXPECT_EQ(CStd::ParentCode(QStringLiteral("01")), QString());
  EXPECT_EQ(CStd::SplitAncestors(QStringLiteral("010201")), (QStringList{"01", "0102", "010201"}));

  CStd student(pdb(), QStringLiteral("010201002"));
  QString path;
  QStringList pathCodes;
  QStringList names;
  EXPECT_EQ(student.GetPath(&path, &pathCodes, &names), 4);
  EXPECT_EQ(path, QStringLiteral("本校/2024级/一班/李四"));
  CStd missing(pdb(), QStringLiteral("010209"));
  EXPECT_EQ(missing.GetPath(&path, &pathCodes, &names), 0);

  // The next child follows the largest, whatever gaps lie below it.
  AddNode(QStringLiteral("010207"), QStringLiteral("七班"));
  EXPECT_EQ(CStd(pdb(), QStringLiteral("0102")).NextChildCode(), QStringLiteral("010208"));
  EXPECT_EQ(CStd(pdb(), QStringLiteral("010202")).NextChildCode(), QStringLiteral("010202002"));
  EXPECT_EQ(CStd(pdb(), QStringLiteral("010207")).NextChildCode(), QStringLiteral("010207001"));
  AddNode(QStringLiteral("010299"), QStringLiteral("末班"));
  QString full;
  EXPECT_TRUE(CStd(pdb(), QStringLiteral("0102")).NextChildCode(&full).isEmpty());
  EXPECT_EQ(full, QStringLiteral("“0102”的下级代码已到最大值99，不能再自动编号！"));
  EXPECT_EQ(CStd(pdb(), QStringLiteral("0102")).MaxCodeLen(), 9);
}

TEST_P(CStdTest, StudentsFoundByCodeInitialsOrName) {
  QList<CStd> rows;
  CStd finder(pdb(), QStringLiteral("0102010"));
  EXPECT_EQ(finder.FindStudents(&rows), 2);
  EXPECT_EQ(finder.KNO, QStringLiteral("0102010"));
  EXPECT_TRUE(finder.NA.isEmpty());

  finder.KNO = QStringLiteral("zs");
  EXPECT_EQ(finder.FindStudents(&rows), 1);
  EXPECT_EQ(finder.KNO, QStringLiteral("010201001"));
  EXPECT_EQ(finder.NA, QStringLiteral("张三"));

  finder.KNO = QStringLiteral("四");
  EXPECT_EQ(finder.FindStudents(&rows), 2);
  EXPECT_EQ(codes(rows), (QStringList{"010201002", "010202001"}));
  EXPECT_EQ(finder.KNO, QStringLiteral("四"));

  // Quotes and wildcards typed by the operator are taken literally.
  finder.KNO = QStringLiteral("四'*");
  EXPECT_EQ(finder.FindStudents(&rows), 0);
  finder.KNO = QStringLiteral("%");
  EXPECT_EQ(finder.FindStudents(&rows), 0);
}

TEST_P(CStdTest, TransferChainFromAnyOfItsRows) {
  // 010201001 moved to 010202002 and on to 010201003.
  AddNode(QStringLiteral("010202002"), QStringLiteral("张三"));
  AddNode(QStringLiteral("010201003"), QStringLiteral("张三"));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update STD Set LB1='1',DM1='010202002' Where KNO='010201001'")));
  ASSERT_TRUE(pdb()->Execute(
      QStringLiteral("Update STD Set LB0='1',DM0='010201001',LB1='1',DM1='010201003' Where KNO='010202002'")));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update STD Set LB0='1',DM0='010202002' Where KNO='010201003'")));
  for (const char* start : {"010201001", "010202002", "010201003"}) {
    CStd row(pdb(), QString::fromLatin1(start));
    QList<CStd> chain;
    EXPECT_EQ(row.GetTransferChain(&chain), 3) << start;
    EXPECT_EQ(codes(chain), (QStringList{"010201001", "010202002", "010201003"})) << start;
    EXPECT_EQ(row.KNO, QStringLiteral("010201003"));
  }
  // Links that come back to a row read already end the chain.
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update STD Set LB1='1',DM1='010201001' Where KNO='010201003'")));
  CStd loop(pdb(), QStringLiteral("010202002"));
  QList<CStd> chain;
  EXPECT_EQ(loop.GetTransferChain(&chain), 3);
  CStd klass(pdb(), QStringLiteral("010201"));
  EXPECT_EQ(klass.GetTransferChain(&chain), 0);
}

TEST_P(CStdTest, ValidationStopsAtTheFirstBadField) {
  KvMessageRecorder recorder;
  CStd row(pdb(), QStringLiteral("010203"));
  row.SetDefaults(false);
  row.KNO = QStringLiteral("010203");
  EXPECT_FALSE(row.Validate(true));
  EXPECT_EQ(recorder.last(), QStringLiteral("“名称”不能为空！"));
  row.NA = QStringLiteral("O'Neil");
  EXPECT_FALSE(row.Validate(true));
  EXPECT_EQ(recorder.last(), QStringLiteral("名称 ：“O'Neil”不合适！"));
  row.NA = QStringLiteral("三班");
  row.KNO = QStringLiteral("01a");
  EXPECT_FALSE(row.Validate(false));
  row.KNO = QStringLiteral("010203");
  EXPECT_TRUE(row.Validate(true));
  EXPECT_EQ(recorder.messages().size(), 2);
}

KV_DB_KIND_TEST_SUITE(CStdTest);

// The course dates of a grade, without a database.
TEST(CStdTermsTest, CourseDatesAgreeWithTheNumberOfTerms) {
  struct Case {
    const char* start;
    const char* end;
    int terms;
    int type;
    int side;
    const char* message;
  } cases[] = {
      {"200409", "200708", 6, 0, -1, ""},
      {"200409", "200707", 6, 0, 1, "终止时间与学期数不匹配！"},
      {"200409", "200707", 6, 9, -1, ""},
      {"200409", "20070831", 6, 0, 0, "起止时间格式不一致！"},
      {"200409", "2007", 6, 0, 1, "时间格式错误！"},
      {"20040901", "20070831", 6, 0, -1, ""},
      {"200409", "200502", 1, 1, -1, ""},
      {"180009", "200708", 6, 0, 0, "年份太小！"},
      {"200413", "200708", 6, 0, 0, "月份超界！"},
      {"20040231", "20070831", 6, 0, 0, "日期超界！"},
      {"200709", "200408", 6, 0, 0, "起止时间倒置！"},
  };
  for (const Case& c : cases) {
    CStd grade;
    grade.XQT[0] = QString::fromLatin1(c.start);
    grade.XQT[1] = QString::fromLatin1(c.end);
    grade.XQN = c.terms;
    grade.XQL = c.type;
    QString message;
    EXPECT_EQ(grade.CheckTerms(&message), c.side) << c.start << "-" << c.end;
    EXPECT_EQ(message, QString::fromUtf8(c.message)) << c.start << "-" << c.end;
  }
}
