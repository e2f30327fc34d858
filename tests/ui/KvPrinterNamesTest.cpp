#include "ui/KvPrinterNames.h"

#include "core/CKvDb.h"
#include "core/KvCurrentPrinter.h"
#include "core/KvMessage.h"
#include "support/KvTestDb.h"

#include <gtest/gtest.h>

namespace {
class KvPrinterNamesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KV_CREATE_TEST_DB(m_testDb);
    ASSERT_TRUE(db().Execute(
        QStringLiteral("CREATE TABLE SYSCSTAB(CS LONG,CSN LONG,CSNA CHAR(255),CSVAL CHAR(255),"
                       "LPO char(30))")));
  }
  void TearDown() override { KvSetCurrentPrinterName(QString()); }

  CKvDb& db() { return m_testDb.db(); }
  void addRow(int cs, int csn, const QString& value) {
    ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into SysCsTab(Cs,CsN,CsNa,CsVal,LPO) Values(") +
                             QString::number(cs) + QLatin1Char(',') + QString::number(csn) +
                             QStringLiteral(",'','") + value + QStringLiteral("','')")));
  }

  KvTestDb m_testDb{0};
};
}  // namespace

TEST_F(KvPrinterNamesTest, WithoutProfilesTheCurrentPrinterBecomesEmpty) {
  addRow(9002, 1, QStringLiteral("页边距"));
  KvSetCurrentPrinterName(QStringLiteral("财务室打印机"));
  QStringList names{QStringLiteral("旧名")};
  EXPECT_EQ(KvLoadPrinterNames(&db(), &names), 0);
  EXPECT_TRUE(names.isEmpty());
  EXPECT_EQ(KvCurrentPrinterName(), QString());
}

TEST_F(KvPrinterNamesTest, ProfilesAreReadInNameOrderAndCorrectTheCurrentPrinter) {
  addRow(4001, 2, QStringLiteral("教务处"));
  addRow(4001, 1, QStringLiteral("财务室  "));
  addRow(4000, 1, QStringLiteral("101"));

  KvSetCurrentPrinterName(QStringLiteral("教务处"));
  QStringList names;
  EXPECT_EQ(KvLoadPrinterNames(&db(), &names), 2);
  // Ordered by the stored text (bytewise), trailing blanks dropped.
  EXPECT_EQ(names, QStringList({QStringLiteral("教务处"), QStringLiteral("财务室")}));
  EXPECT_EQ(KvCurrentPrinterName(), QStringLiteral("教务处"));

  KvSetCurrentPrinterName(QStringLiteral("已删除的打印机"));
  EXPECT_EQ(KvLoadPrinterNames(&db()), 2);
  EXPECT_EQ(KvCurrentPrinterName(), QStringLiteral("教务处"));

  EXPECT_EQ(KvCountPrinterName(&db(), QStringLiteral(" 财务室\t\r\n")), 1);
  EXPECT_EQ(KvCountPrinterName(&db(), QStringLiteral("财务")), 0);
}

TEST_F(KvPrinterNamesTest, NamesThatCannotBeReadKeepTheCurrentPrinter) {
  KvSetCurrentPrinterName(QStringLiteral("财务室"));
  CKvDb closed;
  EXPECT_EQ(KvLoadPrinterNames(&closed), 0);
  EXPECT_EQ(KvCurrentPrinterName(), QStringLiteral("财务室"));

  ASSERT_TRUE(db().Execute(QStringLiteral("Drop Table SysCsTab")));
  KvMessageRecorder recorder;
  EXPECT_EQ(KvLoadPrinterNames(&db()), 0);
  EXPECT_EQ(recorder.messages().size(), 1);
  EXPECT_EQ(KvCurrentPrinterName(), QStringLiteral("财务室"));
}
