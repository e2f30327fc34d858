// Writing the code tree: a rename followed through every table that refers
// to it, the refusals and the fold of deletes, the hand-down of fee lines
// (not timetable rows) to a first child, paste, the in-school transfer and the change of a
// level's code length; each write all or nothing with its statements
// refused in turn; the locks a write holds against another station's
// receipt, plan or level change in flight, and none held under a message.

#include "KvSchoolTestSupport.h"

#include "core/CKvDb.h"
#include "core/KvMessage.h"
#include "school/CCost.h"
#include "school/CStd.h"
#include "school/CXxDataType.h"
#include "support/KvStationInFlight.h"

#include <gtest/gtest.h>

class CStdWriteTest : public KvSchoolDbTest {
 protected:
  void SetUp() override {
    KvSchoolDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    AddClass({"010201001", "张三", "010201002", "李四"});
    AddNode(QStringLiteral("010202"), QStringLiteral("二班"));
    AddNode(QStringLiteral("0103"), QStringLiteral("2023级"));
    AddNode(QStringLiteral("010301"), QStringLiteral("一班"));
    AddNode(QStringLiteral("010301001"), QStringLiteral("王五"));
  }
  CStd Stored(const QString& code) {
    CStd row(pdb(), code);
    EXPECT_EQ(row.Load(0, -1), 1) << code.toStdString();
    return row;
  }
  QStringList Codes(const QString& table, const QString& column = QStringLiteral("STD")) {
    return Column(QStringLiteral("Select %1 From %2 Order By %1").arg(column, table));
  }
};

TEST_P(CStdWriteTest, RenameIsFollowedEverywhere) {
  AddLine(QStringLiteral("010201001"), QStringLiteral("01"), 0, 1, 300);
  AddLine(QStringLiteral("010301001"), QStringLiteral("01"), 0, 1, 300);
  AddTimetableRows(QStringLiteral("010201"));
  // 010301001 came from 010202... and 010201002 went to the other grade.
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update STD Set LB0='1',DM0='010201002' Where KNO='010301001'")));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update STD Set LB1='1',DM1='010301001' Where KNO='010201002'")));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update STD Set DM1='0102' Where KNO='010301'")));

  CStd renamed = Stored(QStringLiteral("0102"));
  const CStd source = renamed;
  renamed.KNO = QStringLiteral("0105");
  ExpectAllOrNothing([&] { return renamed.Modify(source, true); });

  EXPECT_EQ(Column(QStringLiteral("Select KNO From STD Where KNO Like '0105\x07*\x08' Order By KNO")),
            (QStringList{"0105", "010501", "010501001", "010501002", "010502"}));
  EXPECT_EQ(Column(QStringLiteral("Select Count(*) From STD Where KNO Like '0102\x07*\x08'")), QStringList{"0"});
  EXPECT_EQ(Codes(QStringLiteral("PC")), (QStringList{"010301001", "010501001"}));
  EXPECT_EQ(Codes(QStringLiteral("WKJH")), QStringList{"010501"});
  EXPECT_EQ(Codes(QStringLiteral("SBTTCHR")), QStringList{"010501"});
  EXPECT_EQ(Codes(QStringLiteral("PK")), QStringList{"010501"});
  EXPECT_EQ(Column(QStringLiteral("Select DM0 From STD Where KNO='010301001'")), QStringList{"010501002"});
  EXPECT_EQ(Column(QStringLiteral("Select DM1 From STD Where KNO='010301'")), QStringList{"0105"});
  EXPECT_EQ(Stored(QStringLiteral("0105")).NA, QStringLiteral("2024级"));
}

TEST_P(CStdWriteTest, ModifyRefusals) {
  KvMessageRecorder recorder;
  CStd row = Stored(QStringLiteral("010202"));
  const CStd source = row;
  row.KNO = QStringLiteral("010201");
  const QStringList before = State();
  EXPECT_FALSE(row.Modify(source, true));
  EXPECT_EQ(recorder.last(), QStringLiteral("目标代码“010201”产生重码，不能修改！"));
  EXPECT_EQ(State(), before);
  CStd gone(pdb(), QStringLiteral("010209"));
  gone.NA = QStringLiteral("九班");
  EXPECT_FALSE(row.Modify(gone, true));
  EXPECT_EQ(recorder.last(), QStringLiteral("源对象“010209”已不存在，不能修改！"));
  CStd grade = Stored(QStringLiteral("0102"));
  const CStd gradeSource = grade;
  grade.XQN += 1;
  EXPECT_FALSE(grade.Modify(gradeSource, true));
  EXPECT_EQ(recorder.last(), QStringLiteral("它下面已有班级，不能修改学期数！"));
  // A unit renamed to a longer code would make student codes of 16.
  CStd unit = Stored(QStringLiteral("01"));
  const CStd unitSource = unit;
  unit.KNO = QStringLiteral("010000000000");
  EXPECT_FALSE(unit.Modify(unitSource, true));
  EXPECT_EQ(recorder.last(), QStringLiteral("源对象“01”修改成“010000000000”后代码超长，不能修改！"));
  // A student cut or pasted into a class that is gone.
  const CStd student = Stored(QStringLiteral("010201001"));
  CStd moved = student;
  moved.KNO = QStringLiteral("010209001");
  EXPECT_FALSE(moved.Modify(student, true));
  EXPECT_EQ(recorder.last(), QStringLiteral("上级“010209”已不存在，不能保存“010209001”！"));
  CStd pasted(pdb(), QStringLiteral("010209001"));
  EXPECT_FALSE(pasted.Paste(student, true));
  EXPECT_EQ(recorder.last(), QStringLiteral("上级“010209”已不存在，不能保存“010209001”！"));
  EXPECT_EQ(State(), before);

  // The refusal is told after the rollback: another station's save while
  // the message is read goes through at once.
  CKvDb other(kind());
  ASSERT_TRUE(testDb().OpenAnother(other));
  std::function<bool()> otherSave = [&] {
    return other.Execute(QStringLiteral("Update STD Set NT='另一站' Where KNO='0103'"));
  };
  bool otherSaved = false;
  KvMessageHandler recorded;
  recorded = KvSetMessageHandler([&](const KvMessage& message) {
    if (otherSave)
      otherSaved = std::exchange(otherSave, {})();
    return recorded(message);
  });
  EXPECT_FALSE(row.Modify(source, true));
  KvSetMessageHandler(recorded);
  EXPECT_EQ(recorder.last(), QStringLiteral("目标代码“010201”产生重码，不能修改！"));
  EXPECT_TRUE(otherSaved);
}

TEST_P(CStdWriteTest, WritesWaitForAnotherStationsSaveInFlight) {
  // Another station's save (a receipt line, a plan row, a new student, a
  // level change) holds its locks and commits a moment later. The write
  // waits for it, then decides on what is stored.
  AddItem(QStringLiteral("02"), QStringLiteral("杂费"));
  const QString line = QStringLiteral("Insert Into PC(QC,F,LPR,My,T,DH,Mry,COST,STD,Opr0,Opr1,FS) "
                                      "Values(0,1,0,300,'20240910','00001','','%1','%2','102','','0')");
  const QStringList plan{QStringLiteral("WKJH"), QStringLiteral("SBTTCHR")};
  const QStringList tree{QStringLiteral("STD"), QStringLiteral("PC"), QStringLiteral("WKJH"),
                         QStringLiteral("SBTTCHR"), QStringLiteral("PK")};
  const struct {
    QStringList locks;
    QString inFlight;
    std::function<bool()> write;
    const char* refusal;
    const char* check;  // a count the write leaves at `expected`
    int expected;
    bool saves = false;
  } cases[] = {
      {{QStringLiteral("PC")}, line.arg(QStringLiteral("01"), QStringLiteral("010201002")),
       [&] { return CStd(pdb(), QStringLiteral("010201002")).Delete(true); }, "“010201002”已被引用，不能删除！",
       "Select Count(*) From STD Where KNO='010201002'", 1},
      {plan, QStringLiteral("Insert Into WKJH(Y,QC,T,STD,SBT,NU,CN) Values('2024','0','20240901','010202','0001',4,1)"),
       [&] { return CStd(pdb(), QStringLiteral("010202")).Delete(true); }, "“010202”已被引用，不能删除！",
       "Select Count(*) From STD Where KNO='010202'", 1},
      {{QStringLiteral("PC")}, line.arg(QStringLiteral("02"), QStringLiteral("010301001")),
       [&] { return CCost::Delete(QStringLiteral("02"), pdb()); }, "", "Select Count(*) From COST Where KNO='02'", 1},
      // A recode of the item takes that line along, and one stored without
      // PC's lock too.
      {{}, line.arg(QStringLiteral("02"), QStringLiteral("010201001")),
       [&] {
         CCost read;
         read.Load(QStringLiteral("02"), pdb());
         CCost item = read;
         item.KNO = QStringLiteral("03");
         return item.Update(read, pdb());
       },
       "", "Select Count(*) From PC Where COST='03'", 2, true},
      // A student code of three digits is stored while the level is cut
      // to two.
      {{QStringLiteral("STD")}, QStringLiteral("Insert Into STD(KNO,NA,XQN,QC0,QC1) Values('010201123','赵六',0,0,5)"),
       [&] { return CStd::ChangeLevelLengthAndSave(3, 2, pdb()); }, "码长值过小！",
       "Select Count(*) From STD Where Len(rtrim(KNO))=9", 4},
      // The student level is lengthened while a student of the old length
      // is saved (the program then ends: last).
      {tree, QStringLiteral("Update SysCsTab Set CsVal='4' Where Cs=4180 And CsN=13"),
       [&] {
         CStd student = Stored(QStringLiteral("010201001"));
         student.KNO = QStringLiteral("010201003");
         return student.Insert(true);
       },
       "系统参数发生了变化，软件将被迫关闭！", "Select Count(*) From STD Where KNO='010201003'", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.refusal);
    KvMessageRecorder recorder;
    KvStationInFlight other(testDb(), c.locks, {c.inFlight});
    ASSERT_TRUE(other.Started());
    EXPECT_EQ(c.write(), c.saves);
    EXPECT_TRUE(other.Committed());
    EXPECT_EQ(recorder.texts(), *c.refusal ? QStringList{QString::fromUtf8(c.refusal)} : QStringList{});
    EXPECT_EQ(other.connection().GetLong(QString::fromUtf8(c.check)), c.expected);
  }
}

TEST_P(CStdWriteTest, DeleteRefusesReferencedAndTransferredRows) {
  KvMessageRecorder recorder;
  AddLine(QStringLiteral("010201001"), QStringLiteral("01"), 0, 1, 300);
  // The only student of a class, with fee lines, is not folded into it.
  AddLine(QStringLiteral("010301001"), QStringLiteral("01"), 0, 1, 300);
  CStd only(pdb(), QStringLiteral("010301001"));
  EXPECT_FALSE(only.Delete(true));
  EXPECT_EQ(recorder.last(), QStringLiteral("“010301001”已被引用，不能删除！"));
  // A class with two students, one of them with fee lines.
  CStd klass(pdb(), QStringLiteral("010201"));
  EXPECT_FALSE(klass.Delete(true));
  EXPECT_EQ(recorder.last(), QStringLiteral("“010201”已被引用，不能删除！"));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update STD Set LB1='2' Where KNO='010201002'")));
  CStd student(pdb(), QStringLiteral("010201002"));
  EXPECT_FALSE(student.Delete(true));
  EXPECT_EQ(recorder.last(), QStringLiteral("“010201002”已转学，不能删除！"));
  CStd grade(pdb(), QStringLiteral("0102"));
  EXPECT_FALSE(grade.Delete(true));
  EXPECT_EQ(recorder.last(), QStringLiteral("“0102”下有转学学生，不能删除！"));
}

TEST_P(CStdWriteTest, OnlyReferencedClassFoldsIntoItsGrade) {
  // Grade 0103 has one class 010301 with one student; the class alone is
  // referenced by the timetable once its student is gone.
  CStd student(pdb(), QStringLiteral("010301001"));
  ASSERT_TRUE(student.Delete(true));
  AddTimetableRows(QStringLiteral("010301"));
  CStd klass = Stored(QStringLiteral("010301"));
  klass.MRG = QStringLiteral("班主任");
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update STD Set MRG='班主任' Where KNO='010301'")));
  ExpectAllOrNothing([&] {
    CStd target(pdb(), QStringLiteral("010301"));
    return target.Delete(true);
  });
  EXPECT_EQ(Column(QStringLiteral("Select KNO From STD Where KNO Like '0103\x07*\x08'")), QStringList{"0103"});
  const CStd grade = Stored(QStringLiteral("0103"));
  EXPECT_EQ(grade.NA, QStringLiteral("2023级"));
  EXPECT_EQ(grade.MRG, QStringLiteral("班主任"));
  EXPECT_EQ(Codes(QStringLiteral("WKJH")), QStringList{"0103"});
  EXPECT_EQ(Codes(QStringLiteral("PK")), QStringList{"0103"});
}

TEST_P(CStdWriteTest, DeletingATransferInRestoresTheOldRow) {
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update STD Set XQN=6 Where KNO='0102'")));
  ASSERT_TRUE(pdb()->Execute(
      QStringLiteral("Update STD Set LB1='1',QC1=2,DM1='010301001' Where KNO='010201002'")));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update STD Set LB0='1',QC0=3,DM0='010201002' Where KNO='010301001'")));
  ExpectAllOrNothing([&] {
    CStd moved(pdb(), QStringLiteral("010301001"));
    return moved.Delete(true);
  });
  EXPECT_EQ(Column(QStringLiteral("Select Count(*) From STD Where KNO='010301001'")), QStringList{"0"});
  const CStd old = Stored(QStringLiteral("010201002"));
  EXPECT_EQ(old.LB[1], 0);
  EXPECT_EQ(old.QC[1], 5);
  EXPECT_TRUE(old.DM[1].isEmpty());
}

TEST_P(CStdWriteTest, FirstChildTakesOverFeeLinesWhileTimetableRowsStay) {
  // The grade has a fee line and timetable rows (its plan among them).
  AddLine(QStringLiteral("0103"), QStringLiteral("01"), 0, 1, 300);
  AddTimetableRows(QStringLiteral("0103"));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From STD Where KNO Like '010301\x07*\x08'")));
  CStd klass(pdb(), QStringLiteral("010301"));
  klass.SetDefaults(false);
  klass.KNO = QStringLiteral("010301");
  klass.NA = QStringLiteral("一班");
  ExpectAllOrNothing([&] { return klass.Insert(true); });
  EXPECT_EQ(Codes(QStringLiteral("PC")), QStringList{"010301"});
  for (const char* table : {"WKJH", "SBTTCHR", "PK"})
    EXPECT_EQ(Codes(QString::fromLatin1(table)), QStringList{"0103"}) << table;
  // A second child takes nothing over; a code in use is refused.
  KvMessageRecorder recorder;
  CStd second = klass;
  second.KNO = QStringLiteral("010302");
  EXPECT_TRUE(second.Insert(true));
  EXPECT_EQ(Codes(QStringLiteral("PC")), QStringList{"010301"});
  EXPECT_FALSE(second.Insert(true));
  EXPECT_EQ(recorder.last(), QStringLiteral("产生重码，不能插入！"));
  // The class's first student takes its fee line; the class keeps its
  // teachers and its timetable.
  AddTimetableRows(QStringLiteral("010301"));
  CStd student(pdb(), QStringLiteral("010301001"));
  student.SetDefaults(true);
  student.KNO = QStringLiteral("010301001");
  student.NA = QStringLiteral("王五");
  ASSERT_TRUE(student.Insert(true));
  EXPECT_EQ(Codes(QStringLiteral("PC")), QStringList{"010301001"});
  for (const char* table : {"WKJH", "SBTTCHR", "PK"})
    EXPECT_EQ(Codes(QString::fromLatin1(table)), (QStringList{"0103", "010301"})) << table;
}

TEST_P(CStdWriteTest, PasteOntoItselfMakesOneCopyBeside) {
  CStd target(pdb(), QStringLiteral("010201"));
  const CStd source = Stored(QStringLiteral("010201"));
  ExpectAllOrNothing([&] {
    target = CStd(pdb(), QStringLiteral("010201"));
    return target.Paste(source, true);
  });
  EXPECT_EQ(target.KNO, QStringLiteral("010203"));
  EXPECT_EQ(Column(QStringLiteral("Select KNO From STD Where KNO Like '010203\x07*\x08' Order By KNO")),
            (QStringList{"010203", "010203001", "010203002"}));
  EXPECT_EQ(Stored(QStringLiteral("010203")).NA, QStringLiteral("复件：一班"));
  CStd again(pdb(), QStringLiteral("010203"));
  ASSERT_TRUE(again.Paste(Stored(QStringLiteral("010203")), true));
  EXPECT_EQ(Stored(QStringLiteral("010204")).NA, QStringLiteral("复件：一班"));
  // Onto another existing node: refused.
  KvMessageRecorder recorder;
  CStd other(pdb(), QStringLiteral("010202"));
  EXPECT_FALSE(other.Paste(source, true));
  EXPECT_EQ(recorder.last(), QStringLiteral("目标对象“010202”已存在，不能覆盖！"));
}

TEST_P(CStdWriteTest, TransferMakesTheNewRowWithTheOldOne) {
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update STD Set XQN=6 Where KNO='0103'")));
  KvMessageRecorder recorder;
  const CStd source = Stored(QStringLiteral("010201001"));
  CStd moving = source;
  moving.LB[1] = 1;
  moving.QC[1] = 1;
  // The target class must exist; the own class is refused.
  moving.DM[1] = QStringLiteral("010309");
  EXPECT_FALSE(moving.ModifyWithTransfer(source, 3, true));
  EXPECT_EQ(recorder.last(), QStringLiteral("此教学班不存在!"));
  moving.DM[1] = QStringLiteral("010201");
  EXPECT_FALSE(moving.ModifyWithTransfer(source, 3, true));
  EXPECT_EQ(recorder.last(), QStringLiteral("不能在班内转学!"));
  moving.DM[1] = QStringLiteral("010301001");
  EXPECT_FALSE(moving.ModifyWithTransfer(source, 3, true));
  EXPECT_TRUE(recorder.last().startsWith(QStringLiteral("此学生已存在")));
  moving.DM[1] = QStringLiteral("010301000");
  EXPECT_FALSE(moving.ModifyWithTransfer(source, 3, true));
  EXPECT_EQ(recorder.last(), QStringLiteral("新代码不合适!"));
  moving.DM[1] = QStringLiteral("010301");
  EXPECT_FALSE(moving.ModifyWithTransfer(source, 7, true));
  EXPECT_EQ(recorder.last(), QStringLiteral("未录入新期次，或超界!"));

  CStd attempt;
  ExpectAllOrNothing([&] {
    attempt = moving;
    return attempt.ModifyWithTransfer(source, 3, false);
  });
  EXPECT_EQ(attempt.DM[1], QStringLiteral("010301002"));
  const CStd old = Stored(QStringLiteral("010201001"));
  EXPECT_EQ(old.LB[1], 1);
  EXPECT_EQ(old.DM[1], QStringLiteral("010301002"));
  const CStd made = Stored(QStringLiteral("010301002"));
  EXPECT_EQ(made.NA, QStringLiteral("张三"));
  EXPECT_EQ(made.LB[0], 1);
  EXPECT_EQ(made.QC[0], 2);
  EXPECT_EQ(made.DM[0], QStringLiteral("010201001"));
  EXPECT_EQ(made.LB[1], 0);
  EXPECT_EQ(made.QC[1], 5);

  // The success is told when reported.
  const CStd second = Stored(QStringLiteral("010201002"));
  CStd next = second;
  next.LB[1] = 1;
  next.DM[1] = QStringLiteral("010301");
  EXPECT_TRUE(next.ModifyWithTransfer(second, 1, true));
  EXPECT_EQ(recorder.last(), QStringLiteral("010201002 --> 010301003转学成功！"));
}

TEST_P(CStdWriteTest, LevelLengthRewritesEveryCode) {
  AddLine(QStringLiteral("010201001"), QStringLiteral("01"), 0, 1, 300);
  AddTimetableRows(QStringLiteral("010201"));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update STD Set LB0='1',DM0='010201002' Where KNO='010301001'")));
  // Growing the class level from 2 to 3 all or nothing, with the parameter.
  ExpectAllOrNothing([&] { return CStd::ChangeLevelLengthAndSave(2, 3, pdb()); });
  EXPECT_EQ(CXxDataType::CodeLenRef(2), 3);
  EXPECT_EQ(Column(QStringLiteral("Select CsVal From SysCsTab Where Cs=4180 And CsN=12")), QStringList{"3"});
  EXPECT_EQ(Column(QStringLiteral("Select KNO From STD Where KNO Like '0102\x07*\x08' Order By KNO")),
            (QStringList{"0102", "0102001", "0102001001", "0102001002", "0102002"}));
  EXPECT_EQ(Column(QStringLiteral("Select KNO From STD Where KNO Like '01' Or KNO Like '0103'")),
            (QStringList{"01", "0103"}));
  EXPECT_EQ(Column(QStringLiteral("Select DM0 From STD Where KNO='0103001001'")), QStringList{"0102001002"});
  EXPECT_EQ(Codes(QStringLiteral("PC")), QStringList{"0102001001"});
  EXPECT_EQ(Codes(QStringLiteral("WKJH")), QStringList{"0102001"});
  EXPECT_EQ(Codes(QStringLiteral("SBTTCHR")), QStringList{"0102001"});
  EXPECT_EQ(Codes(QStringLiteral("PK")), QStringList{"0102001"});

  // Back to 2 works (the largest class segment is 002). A student segment
  // of 012 does not fit into 1; a full length of 16 or a length of 0 is
  // refused; 15 is allowed.
  KvMessageRecorder recorder;
  EXPECT_TRUE(CStd::ChangeLevelLengthAndSave(2, 2, pdb()));
  EXPECT_EQ(Codes(QStringLiteral("PK")), QStringList{"010201"});
  AddNode(QStringLiteral("010201012"), QStringLiteral("赵六"));
  const QStringList before = State();
  EXPECT_FALSE(CStd::ChangeLevelLengthAndSave(3, 1, pdb()));
  EXPECT_EQ(recorder.last(), QStringLiteral("码长值过小！"));
  EXPECT_FALSE(CStd::ChangeLevelLengthAndSave(3, 10, pdb()));
  EXPECT_EQ(recorder.last(), QStringLiteral("码长值过大、或不能为0！"));
  EXPECT_FALSE(CStd::ChangeLevelLengthAndSave(3, 0, pdb()));
  EXPECT_EQ(State(), before);
  EXPECT_EQ(CXxDataType::CodeLenRef(3), 3);
  EXPECT_TRUE(CStd::ChangeLevelLengthAndSave(3, 9, pdb()));
  EXPECT_EQ(CXxDataType::StudentCodeLen(), 15);
}

TEST_P(CStdWriteTest, StructureQuestionsOfTheParameterPage) {
  EXPECT_TRUE(CStd::HasRowsBelowUnits(pdb()));
  EXPECT_TRUE(CStd::HasRowsAtLastLevels(pdb()));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From STD Where KNO<>'01'")));
  EXPECT_FALSE(CStd::HasRowsBelowUnits(pdb()));
  EXPECT_FALSE(CStd::HasRowsAtLastLevels(pdb()));
}

KV_DB_KIND_TEST_SUITE(CStdWriteTest);
