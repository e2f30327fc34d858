// The list hooks once printing is installed: a list prints with the page
// format stored for its form or with its print set, its page setup opens
// the list page-setup dialog, and the stored title can be read.

#include "core/CKvCsTab.h"
#include "core/KvCurrentPrinter.h"
#include "print/CKvPageFormat.h"
#include "print/CKvPrintSet.h"
#include "print/KvPdfReadBack.h"
#include "print/KvPrintInstall.h"
#include "print/KvPrintTables.h"
#include "ui/KvCommands.h"
#include "print/KvPrintTestSupport.h"
#include "support/KvTestDb.h"
#include "ui/KvListPrint.h"

#include <gtest/gtest.h>

namespace {

class KvNumberRows : public KvRowSource {
 public:
  explicit KvNumberRows(int rows) : m_rows(rows) {}
  int ColumnCount() const override { return 2; }
  QString ColumnTitle(int column) const override { return column ? QStringLiteral("姓名") : QStringLiteral("学号"); }
  Qt::Alignment ColumnAlignment(int) const override { return Qt::AlignLeft; }
  int ColumnPixelWidth(int) const override { return 80; }
  int RowCount() const override { return m_rows; }
  QString CellText(int row, int column) const override {
    return column ? QStringLiteral("学生%1").arg(row) : QStringLiteral("n%1").arg(row);
  }

 private:
  int m_rows;
};

class KvPrintInstallTest : public KvPrintToPdfTest {
 protected:
  void SetUp() override {
    KvPrintToPdfTest::SetUp();
    KV_CREATE_TEST_DB(m_testDb);
    ASSERT_EQ(CKvCsTab(&db()).CreateTable(), 2);
    ASSERT_TRUE(KvCreatePageSetTable(&db()));
    ASSERT_TRUE(KvCreateFontTable(&db()));
    KvSetCurrentPrinterName(QStringLiteral("教务处"));
    KvInstallPrinting();
  }
  void TearDown() override {
    KvSetListPrinter(nullptr);
    KvSetListPageSetup(nullptr);
    KvSetListTitleReader(nullptr);
    KvSetCurrentPrinterName(QString());
    KvPrintToPdfTest::TearDown();
  }
  CKvDb& db() { return m_testDb.db(); }

 private:
  KvTestDb m_testDb{0};
};

TEST_F(KvPrintInstallTest, ListsPrintWithTheirStoredFormatOrTheirPrintSet) {
  CKvPageFormat format;
  format.Title = QStringLiteral("初一学生名单");
  format.Foot = QStringLiteral("教务处制");
  ASSERT_TRUE(format.Save(&db(), 5001));
  EXPECT_EQ(KvStoredListTitle(&db(), 5001), QStringLiteral("初一学生名单"));
  EXPECT_TRUE(KvStoredListTitle(&db(), 5002).isEmpty());

  KvNumberRows rows(10);
  {
    KvPrintAnswers answers(KvTestPdfPath(QStringLiteral("format")));
    ASSERT_TRUE(KvPrintListRows(rows, {&db(), 5001, QStringLiteral("名单"), nullptr},
                                KV_CMD_FILE_PRINT_DIRECT));
    const KvPdfReadBack pdf = KvReadPdf(answers.pdfPath);
    EXPECT_EQ(pdf.pages, 1);
    EXPECT_EQ(pdf.Find(QStringLiteral("初一学生名单")).size(), 1);
    EXPECT_EQ(pdf.Find(QStringLiteral("教务处制")).size(), 1);
  }
  ASSERT_EQ(logged.size(), 1);
  EXPECT_EQ(logged.first().second, QStringLiteral("打印“名单”"));

  CKvPrintSet stored;
  stored.PageRow = 4;
  ASSERT_TRUE(stored.Save(&db(), 5001, QString::fromLatin1(KV_LIST_PRINTSET_MODE)));
  CKvPrintSet viewSet;
  KvPrintAnswers answers(KvTestPdfPath(QStringLiteral("set")));
  ASSERT_TRUE(KvPrintListRows(rows, {&db(), 5001, QStringLiteral("名单"), &viewSet},
                              KV_CMD_FILE_PRINT_DIRECT));
  const KvPdfReadBack pdf = KvReadPdf(answers.pdfPath);
  EXPECT_EQ(pdf.pages, 3);
  EXPECT_EQ(pdf.Find(QStringLiteral("n4"), 1).size(), 1);
}

TEST_F(KvPrintInstallTest, PageSetupOpensTheListPageSetupDialog) {
  KvPrintAnswers answers(KvTestPdfPath());
  EXPECT_FALSE(KvRunListPageSetup({&db(), 5001, QStringLiteral("名单"), nullptr}));
  EXPECT_EQ(answers.others, QStringList({QStringLiteral("dlg_listpagesetup")}));
}

}  // namespace
