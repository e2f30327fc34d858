// Lists printed to PDF and read back: pages by rows per page or by height,
// every page numbered, the table's columns where the widths put them, and
// the paper both ways.

#include "print/CKvListPrintJob.h"
#include "print/KvPdfReadBack.h"
#include "print/KvPrintTestSupport.h"
#include "ui/KvListPrint.h"

#include <gtest/gtest.h>

namespace {

class KvTableRows : public KvRowSource {
 public:
  KvTableRows(int rows, QList<int> widths) : m_rows(rows), m_widths(std::move(widths)) {}
  int ColumnCount() const override { return static_cast<int>(m_widths.size()); }
  QString ColumnTitle(int column) const override { return QStringLiteral("栏目%1").arg(column); }
  Qt::Alignment ColumnAlignment(int column) const override {
    return column == 1 ? Qt::AlignRight : Qt::AlignLeft;
  }
  int ColumnPixelWidth(int column) const override { return m_widths.at(column); }
  int RowCount() const override { return m_rows; }
  QString CellText(int row, int column) const override {
    return QStringLiteral("r%1c%2").arg(row).arg(column);
  }

 private:
  int m_rows;
  QList<int> m_widths;
};

class CKvListPrintJobTest : public KvPrintToPdfTest {
 protected:
  KvPdfReadBack Print(CKvListPrintJob& job) {
    KvPrintAnswers answers(KvTestPdfPath());
    EXPECT_TRUE(job.Run(KV_CMD_FILE_PRINT_DIRECT));
    EXPECT_EQ(answers.fileDialogs, 1);
    return KvReadPdf(answers.pdfPath);
  }
};

TEST_F(CKvListPrintJobTest, RowsPerPageSplitsTheListAndNumbersEveryPage) {
  KvTableRows rows(25, {100, 100, 100});
  CKvPageFormat format;
  format.Title = QStringLiteral("学生名单");
  format.Rows = 10;
  CKvListPrintJob job(rows, format);
  const KvPdfReadBack pdf = Print(job);
  ASSERT_TRUE(pdf.ok);
  EXPECT_EQ(pdf.pages, 3);
  for (int page = 0; page < 3; ++page) {
    const QString texts = pdf.PageTexts(page).join(u' ');
    EXPECT_TRUE(texts.contains(QStringLiteral("第 %1 页").arg(page + 1))) << texts.toStdString();
    EXPECT_EQ(pdf.Find(QStringLiteral("学生名单"), page).size(), 1);
  }
  EXPECT_EQ(pdf.Find(QStringLiteral("r10c0"), 1).size(), 1);
  EXPECT_EQ(pdf.Find(QStringLiteral("r24c2"), 2).size(), 1);
}

}  // namespace
