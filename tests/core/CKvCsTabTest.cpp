// The parameter store SysCsTab on each back-end kind: creating and upgrading
// the table, inserting, selecting, loading and deleting rows, stored lists,
// quoting, and what happens without a connection.

#include "core/CKvCsTab.h"
#include "core/CKvDb.h"
#include "core/KvMessage.h"
#include "support/KvTestDb.h"

#include <gtest/gtest.h>

class CKvCsTabTest : public KvDbKindTest {
 protected:
  void SetUp() override {
    KvDbKindTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    ASSERT_EQ(CKvCsTab(&db()).CreateTable(), 2);
  }
  void Insert(int cs, int csn, const QString& na, const QString& val, const QString& lpo = QString()) {
    CKvCsRec rec(&db());
    rec.Set(cs, csn, na, val, lpo);
    ASSERT_TRUE(rec.Insert());
  }
  int Count(const QString& where) {
    return db().GetLong(QStringLiteral("Select Count(*) From SysCsTab ") + where);
  }
};

TEST_P(CKvCsTabTest, CreatingTwiceLeavesTheTableAlone) {
  Insert(9133, 1, QStringLiteral("220"), QStringLiteral("10  9"));
  EXPECT_EQ(CKvCsTab(&db()).CreateTable(), 1);
  EXPECT_EQ(Count(QString()), 1);
}

TEST_P(CKvCsTabTest, AnOlderTableGetsItsPrinterColumnOnce) {
  ASSERT_TRUE(db().Execute(QStringLiteral("Drop Table SysCsTab")));
  ASSERT_TRUE(db().Execute(
      QStringLiteral("CREATE TABLE SYSCSTAB(CS LONG,CSN LONG,CSNA CHAR(255),CSVAL CHAR(255))"),
      QStringLiteral("CREATE TABLE SYSCSTAB(CS INT,CSN INT,CSNA CHAR(255),CSVAL CHAR(255))")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into SysCsTab(Cs,CsN,CsNa,CsVal) Values(0,0,'','1')")));
  CKvCsRec rec(&db());
  EXPECT_EQ(rec.CreateTable(), 1);
  int width = 0;
  EXPECT_TRUE(db().GetColumnWidth(QStringLiteral("SysCsTab"), QStringLiteral("LPO"), &width));
  EXPECT_EQ(width, 30);
  EXPECT_EQ(Count(QStringLiteral("Where LPO=''")), 1);
  EXPECT_EQ(rec.CreateTable(), 1);
  EXPECT_EQ(Count(QString()), 1);
}

TEST_P(CKvCsTabTest, SelectsLoadsAndDeletesByCategoryNumberAndProfile) {
  Insert(9002, 1, QStringLiteral("b"), QStringLiteral("20"), QStringLiteral("激光"));
  Insert(9002, 1, QStringLiteral("a"), QStringLiteral("10"), QStringLiteral("针式"));
  Insert(9002, 2, QStringLiteral("a"), QStringLiteral("30"), QStringLiteral("激光"));
  Insert(9003, 1, QStringLiteral("a"), QStringLiteral("40"));

  CKvCsTab tab(&db());
  QList<CKvCsRec> rows;
  EXPECT_EQ(tab.SelectByCs(9002, &rows), 3);
  ASSERT_EQ(rows.size(), 3);
  EXPECT_EQ(rows[0].CsNa, QStringLiteral("a"));
  EXPECT_EQ(rows[0].LPO, QStringLiteral("针式"));
  EXPECT_EQ(rows[2].CsN, 2);
  EXPECT_EQ(tab.SelectByCs(9002, QStringLiteral("激光"), &rows), 2);
  EXPECT_EQ(tab.SelectByCsN(9002, 1, &rows), 2);
  EXPECT_EQ(rows[1].CsVal, QStringLiteral("20"));
  EXPECT_EQ(tab.SelectByCsN(9002, 1, QStringLiteral("激光"), &rows), 1);
  EXPECT_EQ(rows[0].CsVal, QStringLiteral("20"));
  // Selecting leaves the record's own values alone.
  EXPECT_EQ(tab.Cs, 0);

  CKvCsRec rec(&db());
  rec.Set(1, 2, QStringLiteral("n"), QStringLiteral("v"), QStringLiteral("p"));
  EXPECT_EQ(rec.Load(9009, 1), 0);
  EXPECT_EQ(rec.CsVal, QStringLiteral("v"));
  EXPECT_EQ(rec.Load(9002, 1, QStringLiteral("针式")), 1);
  EXPECT_EQ(rec.CsVal, QStringLiteral("10"));
  EXPECT_EQ(rec.LPO, QStringLiteral("针式"));

  // A profile name deletes that profile's rows only, an empty one all.
  EXPECT_TRUE(tab.Delete(9002, 1, QStringLiteral("激光")));
  EXPECT_EQ(Count(QStringLiteral("Where Cs=9002")), 2);
  EXPECT_TRUE(tab.Delete(9002, QStringLiteral("激光")));
  EXPECT_EQ(Count(QStringLiteral("Where Cs=9002")), 1);
  EXPECT_TRUE(tab.Delete(9002));
  EXPECT_EQ(Count(QStringLiteral("Where Cs=9002")), 0);
  EXPECT_TRUE(tab.DeleteWhere(QString()));
  EXPECT_EQ(Count(QString()), 0);
}

TEST_P(CKvCsTabTest, TextsAreQuotedAndComeBackAsTyped) {
  const QString typed = QStringLiteral("它's \"quoted\" -- ; Drop Table SysCsTab;'");
  const QString wide = QString(255, u'字');
  Insert(9007, 5, QStringLiteral("0"), typed, QStringLiteral("O'Brien"));
  Insert(9007, 6, QStringLiteral("0"), wide);
  Insert(9007, 7, QStringLiteral("  lead"), QStringLiteral("trail   "));

  CKvCsRec rec(&db());
  ASSERT_EQ(rec.Load(9007, 5, QStringLiteral("O'Brien")), 1);
  EXPECT_EQ(rec.CsVal, typed);
  EXPECT_EQ(rec.LPO, QStringLiteral("O'Brien"));
  ASSERT_EQ(rec.Load(9007, 6), 1);
  EXPECT_EQ(rec.CsVal, wide);
  ASSERT_EQ(rec.Load(9007, 7), 1);
  EXPECT_EQ(rec.CsNa, QStringLiteral("  lead"));
  EXPECT_EQ(rec.CsVal, QStringLiteral("trail"));

  EXPECT_TRUE(rec.Delete(9007, 5, QStringLiteral("O'Brien")));
  EXPECT_EQ(Count(QStringLiteral("Where Cs=9007")), 2);
}

TEST_P(CKvCsTabTest, StoredListsReadBackInTheirOrder) {
  CKvCsTab tab(&db());
  const QStringList entries{QStringLiteral("x"), QStringLiteral("y")};
  ASSERT_TRUE(tab.InsertList(9000, 3, 7, entries));
  QList<CKvCsRec> rows;
  ASSERT_EQ(tab.SelectByCsN(9000, 3, &rows), 2);
  EXPECT_EQ(rows[0].CsNa, QStringLiteral("7"));
  EXPECT_EQ(rows[0].CsVal, QStringLiteral("     0x"));
  EXPECT_EQ(rows[1].CsVal, QStringLiteral("     1y"));

  // Twelve entries: the padded positions keep 10 and 11 after 9.
  QStringList many;
  for (int i = 11; i >= 0; --i)
    many.append(QStringLiteral("第") + QString::number(i) + QStringLiteral(" 项 '"));
  ASSERT_TRUE(tab.InsertList(9000, 3, 8, many));
  QStringList read;
  EXPECT_EQ(tab.ReadList(9000, 3, 8, &read), 12);
  EXPECT_EQ(read, many);
  EXPECT_EQ(tab.ReadList(9000, 3, 7, &read), 2);
  EXPECT_EQ(read, entries);

  EXPECT_TRUE(tab.DeleteByName(9000, 3, 7));
  EXPECT_EQ(tab.ReadList(9000, 3, 7, &read), 0);
  EXPECT_TRUE(read.isEmpty());
  EXPECT_EQ(tab.ReadList(9000, 3, 8, &read), 12);
}

TEST_P(CKvCsTabTest, TheGivenConnectionServesARecordWithoutOne) {
  CKvCsRec loose;
  loose.Set(4000, 1, QStringLiteral("01"), QStringLiteral("101"));
  EXPECT_TRUE(loose.Insert(&db()));
  // A copy keeps its connection; an assignment keeps the target's.
  CKvCsRec own(&db());
  CKvCsRec copy(own);
  EXPECT_EQ(copy.GetDb(), &db());
  copy = loose;
  EXPECT_EQ(copy.GetDb(), &db());
  EXPECT_EQ(copy.CsVal, QStringLiteral("101"));
  EXPECT_TRUE(copy.Insert());
  EXPECT_EQ(Count(QStringLiteral("Where Cs=4000")), 2);
}

KV_DB_KIND_TEST_SUITE(CKvCsTabTest);

TEST(CKvCsRec, WithoutAConnectionNothingRuns) {
  KvMessageRecorder recorder;
  CKvCsRec rec;
  rec.Set(9007, 1, QStringLiteral("0"), QStringLiteral("it's"));
  EXPECT_FALSE(rec.Insert());
  EXPECT_EQ(recorder.last(),
            QStringLiteral("数据库对象为空，无法执行：\nInsert Into SysCsTab(Cs,CsN,CsNa,CsVal,LPO) "
                           "Values(9007,1,'0','it''s','')"));
  QList<CKvCsRec> rows{rec};
  EXPECT_EQ(rec.SelectByCs(9007, &rows), -1);
  EXPECT_TRUE(rows.isEmpty());
  EXPECT_EQ(recorder.last(),
            QStringLiteral("数据库对象为空，无法执行：\nSelect Cs,CsN,Rtrim(CsNa),Rtrim(CsVal),"
                           "Rtrim(LPO) From SysCsTab Where Cs=9007 Order By CsN,CsNa,CsVal"));
  EXPECT_FALSE(rec.DeleteWhere(QString()));
  EXPECT_EQ(rec.CreateTable(), 0);
  EXPECT_EQ(recorder.messages().size(), 4);
}
