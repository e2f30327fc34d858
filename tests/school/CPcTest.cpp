// Fee lines and vouchers: numbering per year and kind, a receipt stored
// once, the rules of delete and review, class reviews, and the class
// sheet's voucher loaded and saved.

#include "KvSchoolTestSupport.h"

#include "core/KvDate.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "school/CPc.h"
#include "school/CStd.h"
#include "support/KvStationInFlight.h"

#include <gtest/gtest.h>

namespace {
CPc paid(const QString& student, const QString& item, double amount, const QString& number) {
  CPc line;
  line.STD = student;
  line.COST = item;
  line.My = amount;
  line.F = -1;
  line.T = QStringLiteral("20240910");
  line.DH = number;
  line.Opr0 = QStringLiteral("101");
  return line;
}
}  // namespace

class CPcTest : public KvSchoolDbTest {
 protected:
  void SetUp() override {
    KvSchoolDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    AddClass({"010201001", "张三", "010201002", "李四"});
    AddItem(QStringLiteral("01"), QStringLiteral("学费"));
    AddItem(QStringLiteral("02"), QStringLiteral("书本费"));
  }
};

TEST_P(CPcTest, NumbersRestartEachYearPerKind) {
  EXPECT_EQ(CPc::NextVoucherNo(-1, QStringLiteral("2024"), pdb()), QStringLiteral("00001"));
  EXPECT_EQ(CPc::MaxReceiptLines(pdb()), 0);
  AddLine(QStringLiteral("010201001"), QStringLiteral("01"), 0, -1, 10, QStringLiteral("20051230"),
          QStringLiteral("00312"));
  EXPECT_EQ(CPc::NextVoucherNo(-1, QStringLiteral("2005"), pdb()), QStringLiteral("00313"));
  EXPECT_EQ(CPc::NextVoucherNo(-1, QStringLiteral("2006"), pdb()), QStringLiteral("00001"));
  EXPECT_EQ(CPc::NextVoucherNo(1, QStringLiteral("2005"), pdb()), QStringLiteral("00001"));
  AddLine(QStringLiteral("010201001"), QStringLiteral("01"), 0, -1, 10, QStringLiteral("20051230"),
          QStringLiteral("99999"));
  QString full;
  EXPECT_TRUE(CPc::NextVoucherNo(-1, QStringLiteral("2005"), pdb(), &full).isEmpty());
  EXPECT_EQ(full, QStringLiteral("单号已到最大值99999，不能再自动编号！"));
}

TEST_P(CPcTest, AReceiptNumberIsStoredOnce) {
  KvMessageRecorder recorder;
  EXPECT_FALSE(CPc::InsertVoucher({}, pdb()));
  const QList<CPc> receipt = {paid(QStringLiteral("010201001"), QStringLiteral("01"), 100, QStringLiteral("00007")),
                              paid(QStringLiteral("010201001"), QStringLiteral("02"), 20, QStringLiteral("00007"))};
  EXPECT_TRUE(CPc::InsertVoucher(receipt, pdb()));
  EXPECT_EQ(CPc::MaxReceiptLines(pdb()), 2);
  const QStringList before = State();
  EXPECT_FALSE(CPc::InsertVoucher({paid(QStringLiteral("010201002"), QStringLiteral("01"), 5, QStringLiteral("00007"))},
                                  pdb()));
  EXPECT_EQ(recorder.last(), QStringLiteral("单号重，插入记录失败！"));
  EXPECT_EQ(State(), before);
  // The same number in another year is another voucher.
  CPc next = paid(QStringLiteral("010201002"), QStringLiteral("01"), 5, QStringLiteral("00007"));
  next.T = QStringLiteral("20250110");
  EXPECT_TRUE(CPc::InsertVoucher({next}, pdb()));
}

TEST_P(CPcTest, DeleteAndReviewRules) {
  KvMessageRecorder recorder;
  ASSERT_TRUE(CPc::InsertVoucher({paid(QStringLiteral("010201001"), QStringLiteral("01"), 100, QStringLiteral("00001"))},
                                 pdb()));
  CPc scratch;
  const QString day = QStringLiteral("20240910");
  EXPECT_TRUE(scratch.DeleteVoucher(-1, day, QStringLiteral("00009"), pdb(), nullptr));

  bool changed = false;
  EXPECT_TRUE(scratch.ReviewVoucher(-1, day, QStringLiteral("00001"), pdb(), &changed));
  EXPECT_TRUE(changed);
  EXPECT_TRUE(scratch.ReviewVoucher(-1, day, QStringLiteral("00001"), pdb(), &changed));
  EXPECT_FALSE(changed);
  EXPECT_FALSE(scratch.ReviewVoucher(-1, day, QStringLiteral("00009"), pdb(), &changed));
  EXPECT_FALSE(scratch.DeleteVoucher(-1, day, QStringLiteral("00001"), pdb(), nullptr));
  EXPECT_EQ(recorder.last(), QStringLiteral("“00001”已被复核，不能删除！"));

  // Another operator may neither cancel the review nor delete.
  m_app->GetDataFile().SetOperatorCode(QStringLiteral("102"));
  EXPECT_FALSE(scratch.UnreviewVoucher(-1, day, QStringLiteral("00001"), pdb(), nullptr, &changed));
  EXPECT_EQ(recorder.last(), QStringLiteral("“00001”非你所复核的单据，不能取消复核！"));
  m_app->GetDataFile().SetOperatorCode(QStringLiteral("101"));
  EXPECT_TRUE(scratch.UnreviewVoucher(-1, day, QStringLiteral("00001"), pdb(), nullptr, &changed));
  EXPECT_TRUE(changed);
  EXPECT_TRUE(scratch.UnreviewVoucher(-1, day, QStringLiteral("00001"), pdb(), nullptr, &changed));
  EXPECT_FALSE(changed);
  m_app->GetDataFile().SetOperatorCode(QStringLiteral("102"));
  EXPECT_FALSE(scratch.DeleteVoucher(-1, day, QStringLiteral("00001"), pdb(), nullptr));
  EXPECT_EQ(recorder.last(), QStringLiteral("非你所做单据，不能删除！"));
  m_app->GetDataFile().SetOperatorCode(QStringLiteral("101"));
  EXPECT_TRUE(CPc::IncPrintCount(-1, day, QStringLiteral("00001"), pdb()));
  EXPECT_EQ(Column(QStringLiteral("Select LPR From PC")), QStringList{"1"});
  EXPECT_TRUE(scratch.DeleteVoucher(-1, day, QStringLiteral("00001"), pdb(), nullptr));
  EXPECT_EQ(Column(QStringLiteral("Select Count(*) From PC")), QStringList{"0"});
}

TEST_P(CPcTest, ClassReviewOfEveryTermAndKind) {
  AddLine(QStringLiteral("010201001"), QStringLiteral("01"), 0, 1, 100);
  AddLine(QStringLiteral("010201002"), QStringLiteral("01"), 1, -1, 100, QStringLiteral("20240910"),
          QStringLiteral("00002"));
  AddLine(QStringLiteral("0102"), QStringLiteral("01"), 0, 1, 1);  // outside the class
  CPc head;
  head.STD = QStringLiteral("010201");
  head.QC = -1;
  head.F = 2;
  EXPECT_TRUE(head.ReviewClass(pdb()));
  EXPECT_EQ(Column(QStringLiteral("Select Opr1 From PC Order By STD")), (QStringList{"", "101", "101"}));
  head.QC = 1;
  head.F = -1;
  EXPECT_TRUE(head.UnreviewClass(pdb()));
  EXPECT_EQ(Column(QStringLiteral("Select Opr1 From PC Order By STD")), (QStringList{"", "101", ""}));

  // Voucher 00003's class lines (李四's second by item) and the line a
  // student took to class 010202: a step sets reviewers, maybe lets 102's
  // review land in flight, then 101 reviews (R), cancels (U) or deletes (D).
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From PC")));
  for (const char* student : {"010201001", "010201002", "010202001"})
    AddLine(QString::fromLatin1(student), student[8] == '1' ? "01" : "02", 0, -1, 10, "20240910", "00003");
  head = paid(QStringLiteral("010201"), QString(), 0, QStringLiteral("00003"));
  const char* steps[][5] = {{"Opr1='102' Where STD<>'010201001'", "R", "", "101 102 102"},
                            {"Opr1='101' Where STD='010201002'", "U", "", "  102"},
                            {"Opr1='101' Where STD='010201001'", "U", "", " 102 102",
                             "Update PC Set Opr1='102' Where STD='010201002'"},
                            {"Opr1='102' Where STD='010201001'", "U", "“00003”非你所复核的单据，不能取消复核！",
                             "102 102 102"},
                            {"Opr1='' Where STD='010201001'", "D", "“00003”已被复核，不能删除！", " 102 102"},
                            {"Opr1='',Opr0='102' Where STD='010201002'", "D", "非你所做单据，不能删除！", "  102"}};
  for (const auto& step : steps) {
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update PC Set ") + QString::fromUtf8(step[0])));
    std::unique_ptr<KvStationInFlight> other;
    if (step[4])
      other = std::make_unique<KvStationInFlight>(testDb(), QStringList{"PC"}, QStringList{step[4]});
    KvMessageRecorder recorder;
    EXPECT_EQ(*step[1] == 'D' ? head.DeleteClassVoucher(pdb(), nullptr)
              : *step[1] == 'R' ? head.ReviewClass(pdb()) : head.UnreviewClass(pdb()), !*step[2]);
    EXPECT_EQ(recorder.texts().join(QString()) + Column(QStringLiteral("Select Opr1 From PC Order By STD")).join(u' '),
              QString::fromUtf8(step[2]) + step[3]) << step[0];
  }

  // Another station carried the year since this connection read it: the review and the cancelled review of a class
  // node and of a term node are refused with the year's text alone, nothing written.
  if (kind() == 0)
    return;
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update PC Set Opr1='101' Where STD='010201001'")));
  const QStringList reviewers = Column(QStringLiteral("Select Opr1 From PC Order By STD"));
  pdb()->SetCarriedBaseline(0);
  CKvDb other(kind());
  ASSERT_TRUE(testDb().OpenAnother(other) && other.Execute(QStringLiteral("Update SysTab Set MM=12")));
  for (const int term : {-1, 1}) {
    for (const bool review : {true, false}) {
      CPc node;
      node.STD = QStringLiteral("010201");
      node.QC = term;
      node.F = term < 0 ? 2 : -1;
      KvMessageRecorder recorder;
      EXPECT_FALSE(review ? node.ReviewClass(pdb()) : node.UnreviewClass(pdb())) << term << review;
      EXPECT_EQ(recorder.texts(), QStringList{"本年度数据已结转到新年度，不能再保存！"});
      EXPECT_EQ(Column(QStringLiteral("Select Opr1 From PC Order By STD")), reviewers);
    }
  }
  EXPECT_TRUE(other.Execute(QStringLiteral("Update SysTab Set MM=0")));
}

TEST_P(CPcTest, ClassSheetVoucherLoadedAndSaved) {
  CPc head;
  QList<CPc> lines;
  // Not a class: nothing happens.
  head.STD = QStringLiteral("010201001");
  head.F = 1;
  EXPECT_EQ(head.LoadClassVoucher(&lines, pdb()), 0);
  EXPECT_TRUE(head.T.isEmpty());

  // A new due voucher, then its lines saved, a cleared line left out.
  head.STD = QStringLiteral("010201");
  head.QC = 0;
  EXPECT_EQ(head.LoadClassVoucher(&lines, pdb()), 0);
  EXPECT_EQ(head.T, KvNowText(QStringLiteral("%Y%m%d")));
  EXPECT_EQ(head.DH, QStringLiteral("00001"));
  EXPECT_EQ(head.Mry, QStringLiteral("第1学期应交"));
  EXPECT_EQ(head.FS, 1);
  const CPc oldHead = head;
  lines.clear();
  for (const char* student : {"010201001", "010201002"}) {
    CPc line = head;
    line.STD = QString::fromLatin1(student);
    line.COST = QStringLiteral("01");
    line.My = student[8] == '1' ? 500 : 0;
    lines.append(line);
  }
  // An item the sheet read, deleted at another workstation before the save.
  KvMessageRecorder recorder;
  QList<CPc> gone = lines;
  gone.last().COST = QStringLiteral("02");
  gone.last().My = 10;
  CKvDb other(kind());
  ASSERT_TRUE(testDb().OpenAnother(other) && other.Execute(QStringLiteral("Delete From COST Where KNO='02'")));
  EXPECT_FALSE(CPc(head).SaveClassVoucher(oldHead, {}, &gone, pdb()));
  EXPECT_EQ(recorder.texts(), QStringList{"收费项目“02”已被其他窗口或工作站删除，请刷新后再输入！"});
  EXPECT_EQ(Column(QStringLiteral("Select Count(*) From PC")), QStringList{"0"});
  EXPECT_TRUE(head.SaveClassVoucher(oldHead, {}, &lines, pdb()));
  EXPECT_EQ(lines.size(), 1);
  EXPECT_EQ(Column(QStringLiteral("Select STD From PC")), QStringList{"010201001"});

  // A payment that leaves one student owing 0.01: the note.
  CPc pay;
  pay.STD = QStringLiteral("010201");
  pay.QC = 0;
  pay.F = -1;
  pay.T = QStringLiteral("xxxx");
  EXPECT_EQ(pay.LoadClassVoucher(&lines, pdb()), 0);
  EXPECT_EQ(pay.Mry, QStringLiteral("第1学期交费"));
  CPc payLine = pay;
  payLine.STD = QStringLiteral("010201001");
  payLine.COST = QStringLiteral("01");
  payLine.My = 499.99;
  lines = {payLine};
  const CPc newPayment = pay;
  CPc stored = pay;
  stored.T = QStringLiteral("xxxx");
  EXPECT_TRUE(pay.SaveClassVoucher(stored, {}, &lines, pdb()));
  EXPECT_EQ(recorder.last(),
            QStringLiteral("本学期有交不足费的学生!\n请在欠费表中查询具体情况后，再修改此单!\n"));
  // Every amount cleared: the voucher goes, "空单据！".
  lines = {payLine};
  lines.first().My = 0;
  QList<CPc> loaded;
  CPc::Select(QStringLiteral("Where F=-1"), QString(), &loaded, pdb());
  EXPECT_TRUE(pay.SaveClassVoucher(newPayment, loaded, &lines, pdb()));
  EXPECT_EQ(recorder.last(), QStringLiteral("空单据！"));
  EXPECT_EQ(Column(QStringLiteral("Select Count(*) From PC Where F=-1")), QStringList{"0"});

  // A due sheet's head (number, maker, reviewer) from its lines (student,
  // item, number, maker, reviewer; 010202: the class a student left): a
  // moved-in line of another maker sorting first; a class reviewed while
  // 李四 was away, who came back unreviewed; a wholly reviewed voucher with
  // a moved-in unreviewed line, whose number then heads.
  const char* heads[][2] = {
      {"010201001 01 00001 102 ,010202001 01 00001 102 ,010201001 02 00003 101 ,010201002 02 00003 101 ", "00003 101 "},
      {"010201001 01 00003 101 102,010201002 02 00003 101 ", "00003 101 102"},
      {"010201001 01 00003 101 102,010201002 01 00001 101 ,010202001 01 00001 101 ", "00001 101 "}};
  for (const auto& h : heads) {
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From PC Where QC=2")));
    for (QString line : QString::fromLatin1(h[0]).split(u','))
      ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into PC(QC,F,LPR,My,T,Mry,FS,STD,COST,DH,Opr0,Opr1) Values("
                                                "2,1,0,10,'20240910','','1','") + line.replace(u' ', "','") + "')"));
    CPc due = head;
    due.QC = 2;
    ASSERT_GT(due.LoadClassVoucher(&lines, pdb()), 0);
    EXPECT_EQ(QStringList({due.DH, due.Opr0, due.Opr1}).join(u' '), h[1]) << h[0];
    // Under a reviewed head the save refuses a changed unreviewed line of its number, nothing written.
    if (due.Opr1.isEmpty())
      continue;
    const QStringList before = Column(QStringLiteral("Select STD||COST||My From PC Order By 1"));
    QList<CPc> changed = lines;
    changed.first().My = 20;
    EXPECT_FALSE(CPc(due).SaveClassVoucher(due, lines, &changed, pdb()));
    EXPECT_EQ(recorder.last(), KvFormat(QStringLiteral("“%s”已被复核，不能修改！"), due.DH));
    EXPECT_EQ(Column(QStringLiteral("Select STD||COST||My From PC Order By 1")), before);
  }
  // The last sheet, headed by the moved-in 00001: 张三's reviewed 10 of 学费
  // typed as 30 is refused, nothing written.
  CPc due = head;
  due.QC = 2;
  ASSERT_GT(due.LoadClassVoucher(&lines, pdb()), 0);
  QList<CPc> typed = lines + QList<CPc>{lines.first()};
  typed.last().STD = QStringLiteral("010201001");
  typed.last().My = 20;
  const QStringList before = State();
  KvMessageRecorder refusal;
  EXPECT_FALSE(CPc(due).SaveClassVoucher(due, lines, &typed, pdb()));
  EXPECT_EQ(refusal.texts(), QStringList{"学生“张三(010201001)”的“学费(01)”已被复核（00003号单据，复核员×××(102)），不能修改！"});
  EXPECT_EQ(State(), before);
}

TEST_P(CPcTest, ClassSheetNumberZeroOrWithoutDigitsTakesTheNextFree) {
  // Due voucher 00001 of 2024 is stored (the second term); payments have
  // none yet. A due sheet replaces the term's dues after taking its number.
  AddLine(QStringLiteral("010201002"), QStringLiteral("01"), 1, 1, 100, QStringLiteral("20240901"),
          QStringLiteral("00001"));
  AddLine(QStringLiteral("010201001"), QStringLiteral("02"), 1, 1, 10, QStringLiteral("20240901"),
          QStringLiteral("00001"));
  // The last rows: 张三 transferred out after the first term at another
  // workstation meanwhile; his corrected due amount, a new payment and a
  // new due sheet of a later term are refused, nothing written.
  AddNode(QStringLiteral("010202"), QStringLiteral("二班"));
  const auto allLines = [this] {
    return Column(QStringLiteral("Select STD||' '||QC||' '||F||' '||DH||' '||My From PC Order By 1"));
  };
  const auto transferOut = [this] {
    CKvDb other(kind());
    ASSERT_TRUE(testDb().OpenAnother(other));
    CStd read(&other, QStringLiteral("010201001"));
    ASSERT_EQ(read.Load(0, -1), 1);
    CStd moving = read;
    moving.LB[1] = 1;
    moving.QC[1] = 0;
    moving.DM[1] = QStringLiteral("010202");
    ASSERT_TRUE(moving.ModifyWithTransfer(read, 1, false));
  };
  const struct {
    int nKind;
    const char* typed;
    const char* saved;
    bool out = false;  // 张三 transferred out before the save
    int term = 0;
    double amount = 10;
    const char* inFlight = nullptr;  // his transfer still in flight on a server (STD locked)
  } cases[] = {{1, "0", "00002"},       {1, "", "00003"},     {-1, "号", "00001"},
               {-1, "12", "00012"},     {-1, "12", nullptr},  {-1, "00000", "00013"},
               {1, "", nullptr, true, 1, 20}, {-1, "", nullptr, true, 1}, {1, "", nullptr, true, 2},
               {-1, "", nullptr, true, 0, 10, "Update STD Set QC1=-1 Where KNO='010201001'"}};
  for (const auto& c : cases) {
    if (c.out && Column(QStringLiteral("Select LB1 From STD Where KNO='010201001'")) == QStringList{"0"}) {
      ASSERT_NO_FATAL_FAILURE(transferOut());
    }
    if (c.inFlight && kind() == 0)
      continue;
    const QStringList before = allLines();
    std::unique_ptr<KvStationInFlight> transfer;
    if (c.inFlight)
      transfer = std::make_unique<KvStationInFlight>(testDb(), QStringList{"STD"}, QStringList{c.inFlight});
    CPc head;
    head.STD = QStringLiteral("010201");
    head.QC = c.term;
    head.F = c.nKind;
    head.T = QStringLiteral("20240905");
    head.DH = QString::fromUtf8(c.typed);
    head.FS = 1;
    CPc line = head;
    line.STD = QStringLiteral("010201001");
    line.COST = QStringLiteral("02");
    line.My = c.amount;
    QList<CPc> lines = {line};
    CPc stored = head;
    stored.T = QStringLiteral("xxxx");
    // The term's dues as the sheet loaded them.
    QList<CPc> loaded;
    if (c.nKind == 1)
      CPc::Select(KvFormat(QStringLiteral("Where F=1 And QC=%d"), c.term), QString(), &loaded, pdb());
    // A new voucher whose number another voucher holds: checked under the
    // lock, refused, nothing added.
    KvMessageRecorder recorder;
    EXPECT_EQ(head.SaveClassVoucher(stored, loaded, &lines, pdb()), c.saved != nullptr) << c.typed;
    if (c.out) {
      EXPECT_EQ(recorder.texts(), QStringList{KvFormat(QStringLiteral("学生“010201001”已不在本班第%d学期，请刷新后再输入！"),
                                                       c.term + 1)});
      EXPECT_EQ(allLines(), before);
      continue;
    }
    EXPECT_EQ(Column(KvFormat(QStringLiteral("Select Count(*) From PC Where F=%d And COST='02' And DH='%s'"),
                              c.nKind, head.DH)),
              QStringList{"1"})
        << c.typed;
    if (c.saved)
      EXPECT_EQ(head.DH, QString::fromLatin1(c.saved)) << c.typed;
    else
      EXPECT_EQ(recorder.last(), QStringLiteral("单号重，插入记录失败！"));
  }
}

KV_DB_KIND_TEST_SUITE(CPcTest);
