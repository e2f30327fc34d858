// Saving a receipt: every refusal in its order with its message and focus,
// the payment check, numbering, replacement and the log; and the whole save
// all or nothing with each of its statements refused in turn.

#include "KvSchoolTestSupport.h"

#include "app/CKvOperation.h"
#include "core/KvBeforeTransaction.h"
#include "core/KvDbBackend.h"
#include "core/KvMessage.h"
#include "school/KvReceiptSave.h"
#include "support/KvStationInFlight.h"

#include <gtest/gtest.h>

namespace {
CPc line(const QString& item, double amount, const QString& memo = QString()) {
  CPc fee;
  fee.COST = item;
  fee.My = amount;
  fee.Mry = memo;
  return fee;
}
}  // namespace

class KvReceiptSaveTest : public KvSchoolDbTest {
 protected:
  void SetUp() override {
    KvSchoolDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    AddClass({"010201001", "张三"});
    AddItem(QStringLiteral("01"), QStringLiteral("学费"));
    AddItem(QStringLiteral("02"), QStringLiteral("书本费"));
    AddItem(QStringLiteral("03"), QStringLiteral("住宿费"));
    AddLine(QStringLiteral("010201001"), QStringLiteral("01"), 1, 1, 500, QStringLiteral("20240901"),
            QStringLiteral("00001"));
    AddLine(QStringLiteral("010201001"), QStringLiteral("02"), 1, 1, 80, QStringLiteral("20240901"),
            QStringLiteral("00001"));
    m_head.STD = QStringLiteral(" 010201001\n");
    m_head.T = QStringLiteral("20240910");
    m_head.QC = 1;
    m_head.Opr0 = QStringLiteral("101");
  }
  // The login's registration hook is process-wide: none outlives the test.
  void TearDown() override {
    KvSetBeforeTransaction({});
    KvSchoolDbTest::TearDown();
  }
  KvReceiptSaveResult Save(const QList<CPc>& lines, bool isNew = true) {
    return KvReceiptSave::Save(m_head, m_stored, lines, isNew, pdb());
  }
  QStringList Log() { return Column(QStringLiteral("Select sNote From KvLog Where nTaskID=1802 Order By sNote")); }

  CPc m_head;
  CPc m_stored;
};

TEST_P(KvReceiptSaveTest, RefusalsInTheirOrder) {
  KvMessageRecorder recorder;
  const QStringList before = State();
  const auto refused = [&](const QList<CPc>& lines, const char* message, KvReceiptSaveResult::Focus focus,
                           int nLine = 0) {
    const KvReceiptSaveResult result = Save(lines);
    EXPECT_FALSE(result.bSaved) << message;
    EXPECT_EQ(recorder.last(), QString::fromUtf8(message));
    EXPECT_EQ(result.focus, focus) << message;
    EXPECT_EQ(result.nLine, nLine) << message;
  };
  const QList<CPc> good = {line(QStringLiteral("01"), 500), line(QStringLiteral("02"), 80)};
  m_head.STD = QStringLiteral("0102");
  refused(good, "这不是一个学生的代码！", KvReceiptSaveResult::kStudent);
  m_head.STD = QStringLiteral("01020100a");
  refused(good, "这不是一个学生的代码！", KvReceiptSaveResult::kStudent);
  m_head.STD = QStringLiteral("010201001");
  m_head.QC = -1;
  refused(good, "学期期次不正确！", KvReceiptSaveResult::kTerm);
  m_head.QC = 1;
  m_head.STD = QStringLiteral("010201099");
  refused(good, "此代码对应的学生不存在！", KvReceiptSaveResult::kStudent);
  m_head.STD = QStringLiteral("010201001");
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update STD Set LB1='2',QC1=0 Where KNO='010201001'")));
  refused(good, "学期期次不正确！", KvReceiptSaveResult::kTerm);
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update STD Set LB1='0',QC1=5 Where KNO='010201001'")));
  refused({line(QStringLiteral("01"), 500), line(QStringLiteral("09"), 1)}, "此收费项目不存在！",
          KvReceiptSaveResult::kItem, 1);
  refused({line(QStringLiteral("01"), 250), line(QString(), 5), line(QStringLiteral("01"), 250)},
          "一张单据不能有重复的收费项目！", KvReceiptSaveResult::kItem, 2);
  refused({line(QStringLiteral("01"), 0), line(QString(), 5)}, "没有有效的收费记录行！", KvReceiptSaveResult::kItem, 0);
  // More than owed, or an item with nothing due: refused with "多收".
  refused({line(QStringLiteral("01"), 600), line(QStringLiteral("02"), 80), line(QStringLiteral("03"), 10)},
          "01：多收      100.00元\n03：多收       10.00元\n", KvReceiptSaveResult::kAmount, 0);
  // A shortfall asks; No keeps the receipt unsaved.
  recorder.script({KV_IDNO});
  refused({line(QStringLiteral("01"), 300), line(QStringLiteral("02"), 80)}, "01：不足      200.00元\n保存吗？",
          KvReceiptSaveResult::kAmount, 0);
  EXPECT_EQ(recorder.messages().last().buttons(), unsigned(KV_MB_YESNOCANCEL));
  // On a server, PC held whole by another workstation (a console run's lock
  // while its question is open): the save gives up waiting and says why.
  // The wait is cut short here.
  if (kind() != 0) {
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("SET lock_timeout = 300")));
    KvStationInFlight holding(testDb(), {}, {QStringLiteral("Lock Table PC In Access Exclusive Mode")});
    ASSERT_TRUE(holding.Started());
    refused(good, "数据正被另一工作站锁定（其修改尚未提交），等待10秒后已放弃，本次操作未作任何修改！",
            KvReceiptSaveResult::kNone);
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("SET lock_timeout = %1").arg(kKvLockWaitMs)));
    // The year carried by another workstation's hold while a clerk who logged in during it saves a receipt, a
    // class's paid voucher, reviews a class node: each waits the hold out, refused, nothing stored.
    for (const int route : {0, 1, 2}) {
      KvStationInFlight carry(testDb(), {QStringLiteral("STD"), QStringLiteral("PC")}, {QStringLiteral("Update SysTab Set MM=12")});
      CKvDb clerk(kind());
      ASSERT_TRUE(carry.Started() && testDb().OpenAnother(clerk));
      CPc pay = line(QStringLiteral("01"), 500);
      pay.F = -1;
      pay.T = QStringLiteral("xxxx");  // a new voucher
      QList<CPc> lines = {pay};
      lines[0].STD = QStringLiteral("010201001");
      pay.STD = QStringLiteral("010201");
      recorder.clear();
      EXPECT_FALSE(route == 1   ? CPc(pay).SaveClassVoucher(pay, {}, &lines, &clerk)
                   : route == 2 ? pay.ReviewClass(&clerk)
                                : KvReceiptSave::Save(m_head, m_stored, good, true, &clerk).bSaved);
      EXPECT_EQ(recorder.texts(), QStringList{"本年度数据已结转到新年度，不能再保存！"}) << route;
      EXPECT_TRUE(carry.Committed() && pdb()->Execute(QStringLiteral("Update SysTab Set MM=0")));
    }
  }
  EXPECT_EQ(State(), before);
}

TEST_P(KvReceiptSaveTest, SavesNumbersAndLogs) {
  KvMessageRecorder recorder;
  // Exactly what is owed: no question; the number typed as 12 is 00012.
  m_head.DH = QStringLiteral("12");
  KvReceiptSaveResult result = Save({line(QStringLiteral("01"), 420), line(QStringLiteral("02"), 80)});
  // 420 of 500: the shortfall question, answered Yes by default.
  EXPECT_TRUE(result.bSaved);
  EXPECT_EQ(recorder.texts(), QStringList{"01：不足       80.00元\n保存吗？"});
  EXPECT_EQ(m_head.DH, QStringLiteral("00012"));
  EXPECT_EQ(m_head.STD, QStringLiteral("010201001"));
  EXPECT_EQ(Rows(QStringLiteral("PC"), QStringLiteral("DH,COST,My,Mry,F,FS,Opr0"), QStringLiteral("Where F=-1")).size(), 2);
  EXPECT_EQ(Column(QStringLiteral("Select Mry From PC Where F=-1 Order By COST")),
            (QStringList{"收2学期学费", "收2学期书本费"}));
  EXPECT_EQ(Log(), QStringList{"新增：№(2024)00012"});

  // Number 0 takes the next free one; the rest settles the term: no question.
  recorder.clear();
  m_head.DH = QStringLiteral("0");
  result = Save({line(QStringLiteral("01"), 80, QStringLiteral("补交"))});
  EXPECT_TRUE(result.bSaved);
  EXPECT_TRUE(recorder.texts().isEmpty());
  EXPECT_EQ(m_head.DH, QStringLiteral("00013"));

  // Editing it: the receipt replaced, logged with its old number, and with
  // the new one when that changes.
  // A print made elsewhere keeps its count, through a second save too.
  m_stored = m_head;
  m_head.DH = QStringLiteral("00013");
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update PC Set LPR=2 Where DH='00013'")));
  EXPECT_TRUE(Save({line(QStringLiteral("01"), 80, QStringLiteral("补交学费"))}, false).bSaved);
  m_stored = m_head;
  m_head.DH = QStringLiteral("20");
  EXPECT_TRUE(Save({line(QStringLiteral("01"), 80)}, false).bSaved);
  EXPECT_EQ(Column(QStringLiteral("Select LPR From PC Where DH='00020'")), QStringList{"2"});
  EXPECT_EQ(Log(), (QStringList{"修改№(2024)00013", "修改№(2024)00013 --> (20240910)00020", "新增：№(2024)00012",
                                "新增：№(2024)00013"}));
  EXPECT_EQ(Column(QStringLiteral("Select DH From PC Where F=-1 Order By DH")), (QStringList{"00012", "00012", "00020"}));

  // A reviewed receipt is not replaced; its lines stay.
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update PC Set Opr1='102' Where DH='00020'")));
  const QStringList before = State();
  m_stored = m_head;
  const KvReceiptSaveResult refused = Save({line(QStringLiteral("01"), 80)}, false);
  EXPECT_FALSE(refused.bSaved);
  EXPECT_EQ(refused.focus, KvReceiptSaveResult::kStudent);
  EXPECT_EQ(recorder.texts().mid(recorder.texts().size() - 2),
            (QStringList{"“00020”已被复核，不能删除！", "无法修改！"}));
  EXPECT_EQ(State(), before);

  // A login while another workstation holds KvTask is told once; once the lock is free, the next save registers the
  // period before its locked begin, and every entry is under a period the viewer lists.
  const QString wait = kind() == 0 ? QStringLiteral("PRAGMA busy_timeout=%1") : QStringLiteral("SET lock_timeout=%1");
  AddLine(QStringLiteral("010201001"), QStringLiteral("03"), 1, 1, 10, QStringLiteral("20240901"), QStringLiteral("00002"));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From KvLog")) && pdb()->Execute(wait.arg(300)));
  CKvDb station(kind());
  ASSERT_TRUE(testDb().OpenAnother(station) && station.BeginTrans() && station.LockTable(QStringLiteral("KvTask")));
  recorder.clear();
  m_app->GetTask().BeginWork();
  ASSERT_TRUE(station.Rollback() && pdb()->Execute(wait.arg(kKvLockWaitMs)));
  m_head.DH = QStringLiteral("0");
  EXPECT_TRUE(Save({line(QStringLiteral("03"), 10)}).bSaved) << recorder.texts().join(u'\n').toStdString();
  EXPECT_EQ(Column(QStringLiteral("Select Count(*) From KvLog Where nTask Not In (Select nTask From KvTask)")), QStringList{"0"});
  EXPECT_EQ(Log().size(), 1);
  EXPECT_EQ(recorder.texts().size(), 1);
  // After the last number nothing is proposed, and a receipt without a number is refused.
  AddLine(QStringLiteral("010201001"), QStringLiteral("03"), 1, 1, 10, QStringLiteral("20240901"),
          QStringLiteral("00001"));
  m_head.DH = QStringLiteral("99999");
  result = Save({line(QStringLiteral("03"), 5)});
  EXPECT_TRUE(result.bSaved && result.strNextNumber.isEmpty());
  const QStringList atTop = State();
  m_head.DH.clear();
  EXPECT_TRUE(!Save({line(QStringLiteral("03"), 5)}).bSaved && State() == atTop);
  EXPECT_EQ(recorder.last(), QStringLiteral("单号已到最大值99999，不能再自动编号！"));
}

TEST_P(KvReceiptSaveTest, PaymentMadeMeanwhileRefusesAnOverpayment) {
  // While the operator answers the shortfall question, another operator
  // stores a payment of the same item, or the student leaves.
  CKvDb other(kind());
  ASSERT_TRUE(testDb().OpenAnother(other));
  QString change = QStringLiteral("Insert Into PC(QC,F,LPR,My,T,DH,Mry,COST,STD,Opr0,Opr1,FS) "
                                  "Values(1,-1,0,300,'20240910','00007','','01','010201001','102','','0')");
  CPc due = line(QStringLiteral("03"), 10);
  due.STD = QStringLiteral("010201001");
  due.T = QStringLiteral("20240910");
  due.DH = QStringLiteral("00009");
  due.F = 1;
  KvMessageHandler previous = KvSetMessageHandler([&](const KvMessage& message) {
    if (message.text.endsWith(QStringLiteral("保存吗？"))) {
      EXPECT_TRUE(other.Execute(change));
      return int(KV_IDYES);
    }
    // The refusal is shown after the rollback: another workstation saves
    // while the operator reads it.
    if (message.text.contains(QStringLiteral("多收"))) {
      EXPECT_TRUE(CPc::InsertVoucher({due}, &other));
    }
    return message.defaultAnswer();
  });
  const KvReceiptSaveResult result = Save({line(QStringLiteral("01"), 300)});
  EXPECT_FALSE(result.bSaved);
  // The student leaves the school meanwhile: refused as before the question.
  change = QStringLiteral("Update STD Set LB1='2',QC1=0 Where KNO='010201001'");
  EXPECT_EQ(Save({line(QStringLiteral("01"), 100)}).focus, KvReceiptSaveResult::kTerm);
  KvSetMessageHandler(previous);
  EXPECT_EQ(Column(QStringLiteral("Select DH From PC Where F=-1")), QStringList{"00007"});
  EXPECT_EQ(Column(QStringLiteral("Select DH From PC Where F=1 And COST='03'")), QStringList{"00009"});
  EXPECT_TRUE(Log().isEmpty());
}

// A new save sends one select before its question, then the locked begin,
// one select (number and balances), the lines' insert, the log row and the
// commit (on a server the lines and the log row are one statement); a
// replacement adds the stored receipt's read and delete.
TEST_P(KvReceiptSaveTest, NewAndReplacingSavesAreAllOrNothingInFewStatements) {
  struct Sent {
    int nNew;
    int nReplacing;
  };
  static const Sent kSent[] = {{6, 8}, {5, 7}, {5, 7}};  // SQLite, ODBC, PostgreSQL
  KvScriptedAnswers yes;
  CPc head = m_head;
  int statements = ExpectAllOrNothing([&] {
    m_head = head;
    return Save({line(QStringLiteral("01"), 300), line(QStringLiteral("02"), 80), line(QStringLiteral("03"), 0)})
        .bSaved;
  });
  EXPECT_EQ(statements, kSent[kind()].nNew);
  EXPECT_EQ(Log(), QStringList{"新增：№(2024)00001"});
  EXPECT_EQ(Column(QStringLiteral("Select Count(*) From PC Where F=-1 And DH='00001'")), QStringList{"2"});

  m_stored = m_head;
  head = m_head;
  statements = ExpectAllOrNothing([&] {
    m_head = head;
    m_head.DH = QStringLiteral("5");
    return Save({line(QStringLiteral("01"), 500)}, false).bSaved;
  });
  EXPECT_EQ(statements, kSent[kind()].nReplacing);
  EXPECT_EQ(Column(QStringLiteral("Select DH||COST From PC Where F=-1")), QStringList{"0000501"});
  EXPECT_EQ(Log().size(), 2);
}

KV_DB_KIND_TEST_SUITE(KvReceiptSaveTest);
