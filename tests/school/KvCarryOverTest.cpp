// Carrying the school into a new year's data file: running grades whole,
// ended grades only as far as transferred students lead into running ones,
// the fee items and the carried students' lines; each item one transaction
// of the new file, nothing carried without the new file's year.

#include "KvSchoolTestSupport.h"

#include "core/KvMessage.h"
#include "school/CXxDataType.h"

#include <gtest/gtest.h>

class KvCarryOverTest : public KvSchoolDbTest {
 protected:
  void SetUp() override {
    KvSchoolDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    m_newFile = std::make_unique<KvTestDb>(kind());
    KV_CREATE_TEST_DB(*m_newFile);
    ASSERT_TRUE(m_app->CreateAllTables(newDb()));
    ASSERT_TRUE(m_app->InsertDefaultRows(newDb(), 2025));
    // Creating the tables loaded the new file's (default) parameters.
    ASSERT_TRUE(CXxDataType::Get()->ReloadParams(pdb()));
    ASSERT_TRUE(CXxDataType::Get()->SaveParams(newDb()));

    AddNode(QStringLiteral("01"), QStringLiteral("本校"));
    AddGrade(QStringLiteral("0102"), QStringLiteral("202708"));  // runs on
    AddGrade(QStringLiteral("0103"), QStringLiteral("202407"));  // ended
    AddGrade(QStringLiteral("0104"), QStringLiteral("202307"));  // ended
    for (const char* code : {"010201", "010301", "010302", "010401"})
      AddNode(QString::fromLatin1(code), QStringLiteral("班"));
    for (const char* code : {"010201001", "010201002", "010301001", "010301002", "010302001", "010401001"})
      AddNode(QString::fromLatin1(code), QStringLiteral("学生"));
    // 010301001 moved into the running grade; 010302001 into another ended
    // grade; 010301002 left for another school.
    Link(QStringLiteral("010301001"), QStringLiteral("010201002"));
    Link(QStringLiteral("010302001"), QStringLiteral("010401001"));
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update STD Set LB1='2' Where KNO='010301002'")));
    AddItem(QStringLiteral("01"), QStringLiteral("学费"));
    AddLine(QStringLiteral("010201001"), QStringLiteral("01"), 0, 1, 500);
    AddLine(QStringLiteral("010301001"), QStringLiteral("01"), 0, -1, 300);
    AddLine(QStringLiteral("010301002"), QStringLiteral("01"), 0, 1, 100);
  }
  void TearDown() override {
    if (m_newFile)
      m_newFile->db().Close();
    m_newFile.reset();
    KvSchoolDbTest::TearDown();
  }
  CKvDb* newDb() { return &m_newFile->db(); }
  void AddGrade(const QString& code, const QString& end) {
    AddNode(code, QStringLiteral("年级"));
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update STD Set XQT1='%1' Where KNO='%2'").arg(end, code)));
  }
  void Link(const QString& from, const QString& to) {
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update STD Set LB1='1',DM1='%1' Where KNO='%2'").arg(to, from)));
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update STD Set LB0='1',DM0='%1' Where KNO='%2'").arg(from, to)));
  }
  QStringList NewColumn(const QString& sql) {
    QStringList values;
    newDb()->QueryTexts(sql, &values, 1);
    return values;
  }
  // Runs an item with each statement of the new file's connection refused
  // in turn: a refused run carries nothing, or (when the refused statement
  // did not matter) exactly what the clean run carries.
  void CarryUnderFaults(int item, const QString& table) {
    CXxDataType* type = CXxDataType::Get();
    const QString select = QStringLiteral("Select * From ") + table;
    QList<QStringList> clean;
    for (int n = 1; n < 2000; ++n) {
      newDb()->FailNthStatement(n);
      const bool ok = type->CarryItem(0, item, pdb(), newDb());
      const int sent = newDb()->GetStatementsSent();
      newDb()->FailNthStatement(0);
      const int rows = NewColumn(QStringLiteral("Select Count(*) From ") + table).value(0).toInt();
      if (!ok) {
        EXPECT_EQ(rows, 0) << "statement " << n;
        EXPECT_GE(sent, n) << "the clean run failed";
      } else {
        EXPECT_GT(rows, 0) << "statement " << n;
        if (sent < n)
          return;
        ASSERT_TRUE(newDb()->Execute(QStringLiteral("Delete From ") + table));
      }
      if (HasFailure())
        return;
    }
  }

  std::unique_ptr<KvTestDb> m_newFile;
};

TEST_P(KvCarryOverTest, RunningGradesAndTheirTransferredStudentsGoOn) {
  KvMessageRecorder recorder;
  CXxDataType* type = CXxDataType::Get();
  QString message;
  EXPECT_EQ(type->CheckCarryOver(0, 0, QStringLiteral("机构、班级、学生目录"), QStringLiteral("STD"), pdb(), newDb(),
                                 message),
            0);
  CarryUnderFaults(0, QStringLiteral("STD"));
  EXPECT_EQ(NewColumn(QStringLiteral("Select KNO From STD Order By KNO")),
            (QStringList{"01", "0102", "010201", "010201001", "010201002", "0103", "010301", "010301001"}));
  EXPECT_EQ(NewColumn(QStringLiteral("Select DM0 From STD Where KNO='010201002'")), QStringList{"010301001"});

  CarryUnderFaults(1, QStringLiteral("COST"));
  EXPECT_EQ(NewColumn(QStringLiteral("Select KNO From COST")), QStringList{"01"});
  CarryUnderFaults(2, QStringLiteral("PC"));
  EXPECT_EQ(NewColumn(QStringLiteral("Select STD From PC Order By STD")), (QStringList{"010201001", "010301001"}));
  EXPECT_FALSE(type->CarryItem(0, 3, pdb(), newDb()));

  // The tree is there now: a second carry of it is refused by the check.
  EXPECT_EQ(type->CheckCarryOver(0, 0, QStringLiteral("机构、班级、学生目录"), QStringLiteral("STD"), pdb(), newDb(),
                                 message),
            -1);
  EXPECT_EQ(message, QStringLiteral("机构、班级、学生目录：已有内容，不能结转！"));
}

TEST_P(KvCarryOverTest, DifferentParametersOrNoYearCarryNothing) {
  CXxDataType* type = CXxDataType::Get();
  CXxDataType::CodeLenRef(3) = 4;
  ASSERT_TRUE(type->SaveParams(newDb()));
  QString message;
  EXPECT_EQ(type->CheckCarryOver(0, 1, QStringLiteral("收费项目目录"), QStringLiteral("COST"), pdb(), newDb(), message), -1);
  EXPECT_EQ(message, QStringLiteral("新旧年度的参数不一致"));
  EXPECT_EQ(CXxDataType::CodeLenRef(3), 4);  // the new file's

  type->ReloadParams(pdb());
  ASSERT_TRUE(newDb()->Execute(QStringLiteral("Delete From SysTab")));
  EXPECT_FALSE(type->CarryItem(0, 0, pdb(), newDb()));
  EXPECT_EQ(NewColumn(QStringLiteral("Select Count(*) From STD")), QStringList{"0"});
}

KV_DB_KIND_TEST_SUITE(KvCarryOverTest);
