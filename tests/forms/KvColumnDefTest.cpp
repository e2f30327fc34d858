// Column definitions read and written, the option in front of a stored
// title, and the check that the column-head blocks cover the head once.

#include "forms/KvColumnDef.h"
#include "forms/KvFormEntry.h"

#include <gtest/gtest.h>

TEST(KvColumnDefTest, ReadsPartsWithTheirDefaults) {
  KvColumnDef def;
  ASSERT_TRUE(KvParseColumnDef(QStringLiteral("名称\\姓名//"), def));
  EXPECT_EQ(def.sTitle, QStringLiteral("名称\\姓名"));
  EXPECT_EQ(def.sType, QStringLiteral("MDBSTRING"));
  EXPECT_EQ(def.sAlign, QStringLiteral("LEFT"));
  EXPECT_EQ(def.nScale, 0);
  EXPECT_TRUE(def.sFormula.isEmpty());

  ASSERT_TRUE(KvParseColumnDef(QStringLiteral("代码/STRING/MID/1234/-6/a/b//c"), def));
  EXPECT_EQ(def.sType, QStringLiteral("STRING"));
  EXPECT_EQ(def.sAlign, QStringLiteral("MID"));
  EXPECT_EQ((QList<int>{def.d1, def.d2, def.d3, def.d4}), (QList<int>{1, 2, 3, 4}));
  EXPECT_EQ(def.nScale, -6);
  // The formula keeps every further slash.
  EXPECT_EQ(def.sFormula, QStringLiteral("a/b//c"));
  ASSERT_TRUE(KvParseColumnDef(QStringLiteral("住宿/水电费/NUMBER/RIGHT/0011/0/03"), def));
  EXPECT_EQ(QStringList({def.sTitle, def.sType, def.sFormula}), (QStringList{"住宿/水电费", "NUMBER", "03"}));
}

TEST(KvColumnDefTest, ShortDigitFieldsSetOnlyTheirRightmostDigits) {
  KvColumnDef def;
  def.d1 = 1;
  def.d2 = 1;
  def.d3 = 1;
  def.d4 = 2;
  ASSERT_TRUE(KvParseColumnDef(QStringLiteral("学费/NUMBER/RIGHT/1/0/01"), def));
  EXPECT_EQ((QList<int>{def.d1, def.d2, def.d3, def.d4}), (QList<int>{1, 1, 1, 1}));
  EXPECT_EQ(def.sFormula, QStringLiteral("01"));
  ASSERT_TRUE(KvParseColumnDef(QStringLiteral("x/NUMBER/RIGHT/20"), def));
  EXPECT_EQ((QList<int>{def.d1, def.d2, def.d3, def.d4}), (QList<int>{1, 1, 2, 0}));
}

TEST(KvColumnDefTest, UnparsableDigitsOrScaleTakeTheDefaults) {
  for (const char* text : {"x/NUMBER/RIGHT/1a/0", "x/NUMBER/RIGHT/12345/0", "x/NUMBER/RIGHT/0001/7",
                           "x/NUMBER/RIGHT/0001/二"}) {
    KvColumnDef def;
    def.d3 = 1;
    def.nScale = 2;
    EXPECT_FALSE(KvParseColumnDef(QString::fromUtf8(text), def)) << text;
    EXPECT_EQ((QList<int>{def.d1, def.d2, def.d3, def.d4, def.nScale}), (QList<int>{0, 0, 0, 0, 0}))
        << text;
    EXPECT_EQ(def.sTitle, QStringLiteral("x"));
    EXPECT_EQ(def.sType, QStringLiteral("NUMBER"));
  }
}

TEST(KvColumnDefTest, WriterJoinsAllPartsAndRoundTrips) {
  KvColumnDef def;
  def.sTitle = QStringLiteral("学费");
  def.sType = QStringLiteral("NUMBER");
  def.sAlign = QStringLiteral("RIGHT");
  def.d1 = 1;
  def.d3 = 1;
  def.d4 = 1;
  def.nScale = 4;
  def.sFormula = QStringLiteral("[01]/2");
  const QString text = KvWriteColumnDef(def);
  EXPECT_EQ(text, QStringLiteral("学费/NUMBER/RIGHT/1011/4/[01]/2"));
  KvColumnDef back;
  ASSERT_TRUE(KvParseColumnDef(text, back));
  EXPECT_EQ(KvWriteColumnDef(back), text);

  // An empty type is written "STRING"; totals only on numbers; kinds 0..2.
  KvColumnDef odd;
  odd.sTitle = QStringLiteral("备注");
  odd.sType.clear();
  odd.d3 = 1;
  odd.d4 = 7;
  EXPECT_EQ(KvWriteColumnDef(odd), QStringLiteral("备注/STRING/LEFT/0000/0/"));
}

TEST(KvColumnDefTest, FormulaAndComputedColumnsLoseTheirFieldLink) {
  KvColumnDef def;
  def.sType = QStringLiteral("NUMBER");
  KvFormula shown;
  shown.nType = 107;
  def.d4 = 1;
  KvWriteColumnDef(shown, def);
  EXPECT_EQ(shown.nType, 100);
  KvFormula hidden;
  hidden.nType = 7;
  def.d4 = 2;
  KvWriteColumnDef(hidden, def);
  EXPECT_EQ(hidden.nType, 0);
  KvFormula fixed;
  fixed.nType = 107;
  def.d4 = 0;
  KvWriteColumnDef(fixed, def);
  EXPECT_EQ(fixed.nType, 107);
}

TEST(KvColumnDefTest, StoredTitleCarriesTheOption) {
  int option = -1;
  QString title;
  KvFormEntry::SplitTitle(QStringLiteral("3\t收费明细表"), option, title);
  EXPECT_EQ(option, 3);
  EXPECT_EQ(title, QStringLiteral("收费明细表"));
  KvFormEntry::SplitTitle(QStringLiteral("\t表"), option, title);
  EXPECT_EQ(option, 1);
  EXPECT_EQ(title, QStringLiteral("表"));
  KvFormEntry::SplitTitle(QStringLiteral("表"), option, title);
  EXPECT_EQ(option, 0);
  EXPECT_EQ(KvFormEntry::JoinTitle(0, QStringLiteral("表")), QStringLiteral("表"));
  EXPECT_EQ(KvFormEntry::JoinTitle(2, QStringLiteral("表")), QStringLiteral("2\t表"));
}

class KvColumnHeadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Three shown columns and a hidden one; two head rows.
    m_entry.nTopNum = 2;
    m_entry.AddFormula(101, 1010, 0, 0, QStringLiteral("a"));
    m_entry.AddFormula(2, 1010, 0, 0, QStringLiteral("hidden"));
    m_entry.AddFormula(100, 1010, 0, 0, QStringLiteral("b"));
    m_entry.AddFormula(100, 1010, 0, 0, QStringLiteral("c"));
  }
  KvFormEntry m_entry;
};

TEST_F(KvColumnHeadTest, BlocksCoveringEachCellOncePass) {
  m_entry.AddTopWord(1, 1, 1, 2, QStringLiteral("a"));
  m_entry.AddTopWord(2, 1, 3, 1, QStringLiteral("bc"));
  m_entry.AddTopWord(2, 2, 2, 2, QStringLiteral("b"));
  m_entry.AddTopWord(3, 2, 3, 2, QStringLiteral("c"));
  QString message = QStringLiteral("unchanged");
  EXPECT_TRUE(m_entry.CheckColumnHead(&message));
  EXPECT_EQ(message, QStringLiteral("unchanged"));
}

TEST_F(KvColumnHeadTest, AGapOrAnOverlapIsNamed) {
  m_entry.AddTopWord(1, 1, 1, 2, QStringLiteral("a"));
  m_entry.AddTopWord(2, 1, 3, 1, QStringLiteral("bc"));
  QString message;
  EXPECT_FALSE(m_entry.CheckColumnHead(&message));
  EXPECT_EQ(message, QStringLiteral("栏头单元块未覆盖全部栏头！"));

  m_entry.AddTopWord(2, 1, 3, 2, QStringLiteral("over"));
  EXPECT_FALSE(m_entry.CheckColumnHead(&message));
  EXPECT_EQ(message, QStringLiteral("当前定义的单元块与已定义的重叠！"));
}

TEST_F(KvColumnHeadTest, ABlockOutsideTheHeadFails) {
  m_entry.AddTopWord(1, 1, 3, 2, QStringLiteral("all"));
  EXPECT_TRUE(m_entry.CheckColumnHead());
  m_entry.AddTopWord(4, 1, 4, 2, QStringLiteral("beyond the shown columns"));
  EXPECT_FALSE(m_entry.CheckColumnHead());
  m_entry.topWords.removeLast();
  m_entry.nTopNum = 1;
  EXPECT_FALSE(m_entry.CheckColumnHead());
}
