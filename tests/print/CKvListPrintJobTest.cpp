// Lists printed to PDF and read back: pages by rows per page or by height,
// every page numbered, the table's columns where the widths put them, the
// paper both ways, and amounts never cut by their columns.

#include "print/CKvListPrintJob.h"
#include "print/KvPdfReadBack.h"
#include "print/KvPrintTestSupport.h"
#include "ui/KvListPrint.h"

#include <gtest/gtest.h>

namespace {

// Cells "r<row>c<column>", or with digits amounts of the row, the column
// and the digits; left- and right-aligned columns in turn.
class KvTableRows : public KvRowSource {
 public:
  KvTableRows(int rows, QList<int> widths, QString digits = {})
      : m_rows(rows), m_widths(std::move(widths)), m_digits(std::move(digits)) {}
  int ColumnCount() const override { return static_cast<int>(m_widths.size()); }
  QString ColumnTitle(int column) const override { return QStringLiteral("栏目%1").arg(column); }
  Qt::Alignment ColumnAlignment(int column) const override {
    return column % 2 ? Qt::AlignRight : Qt::AlignLeft;
  }
  int ColumnPixelWidth(int column) const override { return m_widths.at(column); }
  int RowCount() const override { return m_rows; }
  QString CellText(int row, int column) const override {
    return m_digits.isEmpty() ? QStringLiteral("r%1c%2").arg(row).arg(column)
                              : QStringLiteral("%1%2").arg(row + 1).arg(column) + m_digits;
  }

 private:
  int m_rows;
  QList<int> m_widths;
  QString m_digits;
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

TEST_F(CKvListPrintJobTest, RowsByHeightFillThePageAboveTheFootAndMoreFitUpright) {
  KvTableRows rows(200, {100, 100});
  CKvPageFormat format;
  format.Head = QStringLiteral("班级：初一(1)班");
  format.Foot = QStringLiteral("制表：教务处");
  CKvListPrintJob job(rows, format);
  const KvPdfReadBack pdf = Print(job);
  ASSERT_TRUE(pdf.ok);
  const int perPage = job.RowsPerPage();
  ASSERT_GT(perPage, 10);
  EXPECT_EQ(pdf.pages, (200 + perPage - 1) / perPage);

  const QList<KvPdfWord> lastRow = pdf.Find(QStringLiteral("r%1c0").arg(perPage - 1), 0);
  const QList<KvPdfWord> foot = pdf.Find(QStringLiteral("制表：教务处"), 0);
  ASSERT_EQ(lastRow.size(), 1);
  ASSERT_EQ(foot.size(), 1);
  EXPECT_LT(lastRow.first().bottom, foot.first().top);
  EXPECT_EQ(pdf.Find(QStringLiteral("r%1c0").arg(perPage), 1).size(), 1);
  for (int page = 0; page < pdf.pages; ++page) {
    EXPECT_EQ(pdf.Find(QStringLiteral("班级：初一(1)班"), page).size(), 1);
    EXPECT_EQ(pdf.Find(QStringLiteral("制表：教务处"), page).size(), 1);
  }

  // Rows asked for beyond what fits are held to what fits.
  format.Rows = 500;
  CKvListPrintJob crowded(rows, format);
  EXPECT_EQ(Print(crowded).pages, pdf.pages);

  format.Rows = 0;
  format.Orientation = 1;
  CKvListPrintJob turned(rows, format);
  const KvPdfReadBack wide = Print(turned);
  EXPECT_NEAR(wide.widthMm, 297.0, 0.5);
  EXPECT_NEAR(wide.heightMm, 210.0, 0.5);
  EXPECT_LT(turned.RowsPerPage(), perPage);
}

TEST_F(CKvListPrintJobTest, ColumnsFollowTheListWidthsOrTheStoredCharacters) {
  // Margins 15 mm and 10 mm leave 185 mm; cells keep 1 mm from their lines.
  KvTableRows rows(3, {100, 0, 300});
  CKvPageFormat format;
  {
    CKvListPrintJob job(rows, format);
    const KvPdfReadBack pdf = Print(job);
    ASSERT_EQ(pdf.Find(QStringLiteral("r0c0")).size(), 1);
    EXPECT_TRUE(pdf.Find(QStringLiteral("r0c1")).isEmpty());
    EXPECT_NEAR(pdf.Find(QStringLiteral("r0c0")).first().left, 15.0 + 1.0, 0.5);
    EXPECT_NEAR(pdf.Find(QStringLiteral("r0c2")).first().left, 15.0 + 185.0 / 4 + 1.0, 0.5);
  }
  // Stored widths in characters: a character is half the text font's
  // 12/100 inch, and each column is one character wider.
  const double unit = 0.12 * 25.4 / 2;
  {
    CKvListPrintJob job(rows, format, {{0, 9}, {2, 20}});
    const KvPdfReadBack pdf = Print(job);
    ASSERT_EQ(pdf.Find(QStringLiteral("r1c2")).size(), 1);
    EXPECT_NEAR(pdf.Find(QStringLiteral("r1c2")).first().left, 15.0 + 10 * unit + 1.0, 0.5);
  }
  // Too wide for the page: shrunk together.
  {
    CKvListPrintJob job(rows, format, {{0, 99}, {2, 299}});
    const KvPdfReadBack pdf = Print(job);
    ASSERT_EQ(pdf.Find(QStringLiteral("r1c2")).size(), 1);
    EXPECT_NEAR(pdf.Find(QStringLiteral("r1c2")).first().left, 15.0 + 185.0 / 4 + 1.0, 0.5);
  }
}

TEST_F(CKvListPrintJobTest, EveryAmountIsPrintedWholeInsideItsColumn) {
  const struct {
    QList<int> widths;
    const char* digits;
    int pages;  // one page of rows and its continuation to the right
  } cases[] = {{{10, 10, 10, 10, 10, 10, 600}, "345.00", 1}, {{1, 1, 1, 1, 1, 1, 1}, "234567890123456.00", 2}};
  for (const auto& c : cases) {
    KvTableRows rows(3, c.widths, QString::fromLatin1(c.digits));
    CKvListPrintJob job(rows, CKvPageFormat());
    const KvPdfReadBack pdf = Print(job);
    EXPECT_EQ(pdf.pages, c.pages);
    for (int row = 0; row < 3; ++row) {
      // Each amount once, clear of its neighbours' titles and amounts.
      double left = 0.0;
      for (int column = 0, page = 0; column < 7; ++column) {
        const QList<KvPdfWord> amount = pdf.Find(rows.CellText(row, column));
        const QList<KvPdfWord> title = pdf.Find(rows.ColumnTitle(column));
        ASSERT_EQ(amount.size(), 1);
        ASSERT_EQ(title.size(), 1);
        if (title.first().page != page)
          left = 0.0, page = title.first().page;
        EXPECT_EQ(amount.first().page, page);
        const QList<KvPdfWord> next = pdf.Find(rows.ColumnTitle(column + 1), page);
        EXPECT_GE(amount.first().left, left - 0.1) << column;
        EXPECT_LE(amount.first().right, next.isEmpty() ? 200.1 : next.first().left + 0.1) << column;
        left = qMax(amount.first().right, title.first().right);
      }
    }
  }
}

}  // namespace
