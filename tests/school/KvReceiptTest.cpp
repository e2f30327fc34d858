// The receipt's text boxes and positioned-print macros, the outstanding
// term proposed for a student, and the term differences of a receipt.

#include "KvSchoolTestSupport.h"

#include "school/CPc.h"
#include "school/CXxDataType.h"
#include "ui/KvTextBox.h"

#include <gtest/gtest.h>

namespace {
CPc receiptLine(const QString& item, double amount, const QString& memo = QString()) {
  CPc line;
  line.COST = item;
  line.My = amount;
  line.Mry = memo;
  return line;
}

QString macro(const QList<QPair<QString, QString>>& macros, const QString& token) {
  for (const auto& pair : macros)
    if (pair.first == token)
      return pair.second;
  return QStringLiteral("<none>");
}
}  // namespace

class KvReceiptTest : public KvSchoolDbTest {
 protected:
  void SetUp() override {
    KvSchoolDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    AddNode(QStringLiteral("010201001"), QStringLiteral("张三"));
    AddItem(QStringLiteral("01"), QStringLiteral("学费"));
    AddItem(QStringLiteral("02"), QStringLiteral("书本费"));
    AddItem(QStringLiteral("03"), QStringLiteral("住宿费"));
    m_head.STD = QStringLiteral("010201001");
    m_head.T = QStringLiteral("20240910");
    m_head.DH = QStringLiteral("00012");
    m_head.QC = 1;
    m_head.Opr0 = QStringLiteral("101");
  }
  CPc m_head;
};

TEST_P(KvReceiptTest, LayoutShowsPaidLinesAndTotalsEveryLine) {
  KvTextBoxArray boxes;
  // Three rows, five lines: neither a refund nor an empty line is shown,
  // both count in the total as the fifth line does.
  const QList<CPc> lines = {receiptLine(QStringLiteral("01"), 300, QStringLiteral("学费")),
                            receiptLine(QStringLiteral("02"), -20), receiptLine(QStringLiteral("03"), 0),
                            receiptLine(QStringLiteral("03"), 50), receiptLine(QStringLiteral("01"), 5)};
  m_head.BuildReceiptLayout(&boxes, lines, pdb());
  ASSERT_EQ(boxes.size(), 3 * 3 + 25);
  EXPECT_EQ(boxes.at(1).text, QStringLiteral("张三"));
  EXPECT_EQ(boxes.at(3).text, QStringLiteral("2024"));
  EXPECT_EQ(boxes.at(10).text, QStringLiteral("2"));
  EXPECT_EQ(boxes.at(12).text, QStringLiteral("00012"));
  EXPECT_EQ(boxes.at(16).text, QStringLiteral("学费"));
  EXPECT_EQ(boxes.at(17).text, QStringLiteral("学费"));
  EXPECT_EQ(boxes.at(18).text, QStringLiteral("300.00"));
  EXPECT_TRUE(boxes.at(20).text.isEmpty());
  EXPECT_EQ(boxes.at(21).text, boxes.at(24).text);
  EXPECT_TRUE(boxes.at(23).text.isEmpty());
  EXPECT_TRUE(boxes.at(24).text.isEmpty());
  EXPECT_DOUBLE_EQ(m_head.My, 335);
  EXPECT_EQ(boxes.at(26).text, QStringLiteral("叁佰叁拾伍元整"));
  EXPECT_EQ(boxes.at(27).text, QStringLiteral("335.00"));
  EXPECT_EQ(boxes.at(33).text, QStringLiteral("管理员"));
  // Frames and overlay flags of a detail row and the total row.
  const KvTextBox& memo = boxes.at(16);
  EXPECT_EQ(memo.top, 2);
  EXPECT_EQ(memo.bottom, 3);
  EXPECT_EQ(memo.right, 40);
  EXPECT_EQ(memo.leftFrame, 2);
  EXPECT_EQ(memo.drawText, 1);
  EXPECT_EQ(memo.noWrap, 1);
  EXPECT_EQ(boxes.at(25).top, 5);
  EXPECT_EQ(boxes.at(25).bottomFrame, 2);
  EXPECT_EQ(boxes.at(25).drawText, 0);

  CXxDataType::ReceiptRowsRef() = 9;
  m_head.BuildReceiptLayout(&boxes, lines, pdb());
  EXPECT_EQ(boxes.size(), 52);
  CXxDataType::ReceiptRowsRef() = 0;
  m_head.BuildReceiptLayout(&boxes, lines, pdb());
  EXPECT_EQ(boxes.size(), 25);
  EXPECT_EQ(boxes.at(16).top, 2);
  CXxDataType::ReceiptRowsRef() = 10;
  m_head.BuildReceiptLayout(&boxes, lines, pdb());
  EXPECT_TRUE(boxes.isEmpty());
}

TEST_P(KvReceiptTest, MacrosOfThePositionedReceipt) {
  for (int i = 0; i < 5; ++i)
    AddLine(QStringLiteral("010201001"), i % 2 ? QStringLiteral("02") : QStringLiteral("01"), 1, -1, 10 * (i + 1),
            QStringLiteral("20240910"), QStringLiteral("00012"));
  QList<QPair<QString, QString>> macros;
  EXPECT_TRUE(m_head.BuildReceiptMacros(pdb(), &macros));
  QStringList tokens;
  for (const auto& pair : macros)
    tokens.append(pair.first);
  EXPECT_EQ(tokens.mid(0, 10), (QStringList{"#kvname", "#kvmanager", "#kvmaster", "#dh", "#yy", "#mm", "#dd",
                                            "#xsd", "#xsm", "#xq"}));
  EXPECT_FALSE(tokens.contains(QStringLiteral("#zy10")));
  EXPECT_EQ(tokens.mid(tokens.size() - 6),
            (QStringList{"#hjx", "#hjd", "#sfd", "#sfm", "#fhd", "#fhm"}));
  EXPECT_EQ(macro(macros, QStringLiteral("#xsm")), QStringLiteral("张三"));
  EXPECT_EQ(macro(macros, QStringLiteral("#xq")), QStringLiteral("2"));
  EXPECT_EQ(macro(macros, QStringLiteral("#dd")), QStringLiteral("10"));
  EXPECT_EQ(macro(macros, QStringLiteral("#je01")).trimmed(), QStringLiteral("10.00"));
  EXPECT_EQ(macro(macros, QStringLiteral("#je01")).size(), 14);
  EXPECT_EQ(macro(macros, QStringLiteral("#hjx")).trimmed(), QStringLiteral("150.00"));
  EXPECT_EQ(macro(macros, QStringLiteral("#hjd")), QStringLiteral("壹佰伍拾元整"));
  EXPECT_EQ(macro(macros, QStringLiteral("#sfm")), QStringLiteral("管理员"));
  EXPECT_EQ(macro(macros, QStringLiteral("#fhd")), QString());
  EXPECT_EQ(macro(macros, QStringLiteral("#fhm")), QString());

  // Every row token from the first unused row through row 9 is given an
  // empty value: rows beyond the receipt rows (3), and rows the receipt
  // leaves unused (2 lines on 3 rows).
  AddLine(QStringLiteral("010201001"), QStringLiteral("01"), 1, -1, 5, QStringLiteral("20240910"), QStringLiteral("00013"));
  AddLine(QStringLiteral("010201001"), QStringLiteral("02"), 1, -1, 6, QStringLiteral("20240910"), QStringLiteral("00013"));
  CPc twoLines = m_head;
  twoLines.DH = QStringLiteral("00013");
  QList<QPair<QString, QString>> shortMacros;
  EXPECT_TRUE(twoLines.BuildReceiptMacros(pdb(), &shortMacros));
  const struct {
    const QList<QPair<QString, QString>>* macros;
    int nFilled;
  } cases[] = {{&macros, 3}, {&shortMacros, 2}};
  for (const auto& c : cases) {
    for (int row = 1; row <= 9; ++row) {
      const QString s = QString::number(row).rightJustified(2, u'0');
      for (const QString& name : {QStringLiteral("#fxd"), QStringLiteral("#fxm"), QStringLiteral("#je")})
        EXPECT_EQ(macro(*c.macros, name + s).isEmpty(), row > c.nFilled) << qPrintable(name + s) << " " << c.nFilled;
      EXPECT_NE(macro(*c.macros, QStringLiteral("#zy") + s), QStringLiteral("<none>"));
    }
    EXPECT_EQ(macro(*c.macros, QStringLiteral("#zy10")), QStringLiteral("<none>"));
  }
}

TEST_P(KvReceiptTest, OutstandingTermIsTheFirstThatOwes) {
  CStd student(pdb(), QStringLiteral("010201001"));
  ASSERT_EQ(student.Load(0, -1), 1);
  student.QC[0] = 1;
  QList<CPc> lines;
  EXPECT_EQ(CPc::FindOutstandingTerm(student, &lines, pdb()), 1);
  EXPECT_TRUE(lines.isEmpty());

  // Term 4 has lines but owes nothing: its term is the latest.
  AddLine(student.KNO, QStringLiteral("01"), 4, 1, 100);
  AddLine(student.KNO, QStringLiteral("01"), 4, -1, 100);
  EXPECT_EQ(CPc::FindOutstandingTerm(student, &lines, pdb()), 4);
  EXPECT_TRUE(lines.isEmpty());
  // Owing in terms 2 and 4: term 2's items only.
  AddLine(student.KNO, QStringLiteral("02"), 2, 1, 80);
  // What is owed is proposed to the fen, also where a data file holds more.
  AddLine(student.KNO, QStringLiteral("03"), 2, 1, 30.345);
  AddLine(student.KNO, QStringLiteral("03"), 4, 1, 30);
  EXPECT_EQ(CPc::FindOutstandingTerm(student, &lines, pdb()), 2);
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(lines.at(0).COST, QStringLiteral("02"));
  EXPECT_DOUBLE_EQ(lines.at(1).My, 30.35);
}

TEST_P(KvReceiptTest, TermDifferencesLeaveTheReceiptItselfOut) {
  const QString student = QStringLiteral("010201001");
  AddLine(student, QStringLiteral("01"), 1, 1, 500);
  AddLine(student, QStringLiteral("02"), 1, 1, 80);
  QList<CPc> lines = {receiptLine(QStringLiteral("01"), 500), receiptLine(QStringLiteral("02"), 80)};
  EXPECT_EQ(CPc::GetTermDifferences(student, 1, QStringLiteral("20240910"), QString(), &lines, pdb()), 0);
  lines = {receiptLine(QStringLiteral("01"), 300), receiptLine(QStringLiteral("03"), 10)};
  EXPECT_EQ(CPc::GetTermDifferences(student, 1, QStringLiteral("20240910"), QString(), &lines, pdb()), 3);
  EXPECT_EQ(lines.at(0).COST, QStringLiteral("01"));
  EXPECT_DOUBLE_EQ(lines.at(0).My, 200);
  EXPECT_DOUBLE_EQ(lines.at(1).My, 80);
  EXPECT_EQ(lines.at(2).COST, QStringLiteral("03"));
  EXPECT_DOUBLE_EQ(lines.at(2).My, -10);

  // Stored as receipt 00003, saving it unchanged gives the same answer.
  AddLine(student, QStringLiteral("01"), 1, -1, 300, QStringLiteral("20240910"), QStringLiteral("00003"));
  lines = {receiptLine(QStringLiteral("01"), 300)};
  EXPECT_EQ(CPc::GetTermDifferences(student, 1, QStringLiteral("20240910"), QStringLiteral("00003"), &lines, pdb()), 2);
  EXPECT_DOUBLE_EQ(lines.at(0).My, 200);
}

KV_DB_KIND_TEST_SUITE(KvReceiptTest);
