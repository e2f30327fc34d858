// The print loop on PDF files: the paper both ways and a custom size with
// marks where the page map puts them, the print dialog's range and copies,
// the preview, a refused file, the log entry and where output goes when a
// profile's queue is unknown to the print system.

#include "core/CKvRecordset.h"
#include "core/KvCurrentPrinter.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "print/CKvPrintJob.h"
#include "print/KvPdfReadBack.h"
#include "print/KvPrintTestSupport.h"
#include "print/KvPrinterProfiles.h"
#include "support/KvTestDb.h"
#include "ui/KvDataFileRefusalRow.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>

namespace {

// Pages that show "P<n>" at (200, 300) in 0.1 mm from the paper's corner
// and "End" 300 before its right and bottom edges.
class KvMarkJob : public CKvPrintJob {
 public:
  KvMarkJob(KvPaperRequest paper, int pages) : m_paper(paper), m_pages(pages) {
    SetTitle(QStringLiteral("测试页"));
  }
  int PageCount(const KvPageMap&) override { return m_pages; }
  void PrintPage(QPainter& painter, const KvPageMap& map, int page) override {
    KvLogFont font = KvDefaultLogFont();
    font.height = 20;
    painter.setFont(map.Font(font));
    const QRect big(0, 0, 100000, 100000);
    painter.drawText(big.translated(map.Point(200, 300)), Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("P%1").arg(page + 1));
    painter.drawText(big.translated(map.Point(map.Paper().width() - 300, map.Paper().height() - 300)),
                     Qt::AlignLeft | Qt::AlignTop, QStringLiteral("End"));
  }

 protected:
  KvPaperRequest Paper() const override { return m_paper; }

 private:
  KvPaperRequest m_paper;
  int m_pages;
};

KvPaperRequest paper(int width, int height, int orientation = KV_ORIENT_PORTRAIT) {
  KvPaperRequest request;
  request.width = width;
  request.height = height;
  request.orientation = orientation;
  return request;
}

class CKvPrintJobTest : public KvPrintToPdfTest {
 protected:
  // The page numbers the PDF shows, page by page.
  static QStringList pageMarks(const KvPdfReadBack& pdf) {
    QStringList marks;
    for (int page = 0; page < pdf.pages; ++page) {
      const QStringList texts = pdf.PageTexts(page);
      marks.append(texts.isEmpty() ? QString() : texts.first());
    }
    return marks;
  }
};

TEST_F(CKvPrintJobTest, PaperLiesAsAskedAndMarksLandWhereThePageMapPutsThem) {
  const struct {
    KvPaperRequest request;
    double width;
    double height;
  } cases[] = {{paper(2100, 2970), 210.0, 297.0},
               {paper(2970, 2100, KV_ORIENT_LANDSCAPE), 297.0, 210.0},
               {paper(2410, 1397), 241.0, 139.7}};
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(n);
    KvMarkJob job(c.request, 1);
    KvPrintAnswers answers(KvTestPdfPath(QString::number(n++)));
    ASSERT_TRUE(job.Run(KV_CMD_FILE_PRINT_DIRECT));
    const KvPdfReadBack pdf = KvReadPdf(answers.pdfPath);
    ASSERT_TRUE(pdf.ok);
    EXPECT_NEAR(pdf.widthMm, c.width, 0.5);
    EXPECT_NEAR(pdf.heightMm, c.height, 0.5);
    const QList<KvPdfWord> first = pdf.Find(QStringLiteral("P1"));
    const QList<KvPdfWord> end = pdf.Find(QStringLiteral("End"));
    ASSERT_EQ(first.size(), 1);
    ASSERT_EQ(end.size(), 1);
    EXPECT_NEAR(first.first().left, 20.0, 0.5);
    EXPECT_NEAR(first.first().top, 30.0, 0.5);
    EXPECT_NEAR(end.first().left, c.width - 30.0, 0.5);
    EXPECT_NEAR(end.first().top, c.height - 30.0, 0.5);
  }
}

TEST_F(CKvPrintJobTest, PrintDialogRangeAndCopiesChooseThePages) {
  for (const bool collate : {true, false}) {
    SCOPED_TRACE(collate);
    KvMarkJob job(paper(2100, 2970), 5);
    KvPrintAnswers answers(KvTestPdfPath(collate ? QStringLiteral("c") : QStringLiteral("u")));
    answers.onPrintDialog = [collate](QPrinter* printer) {
      printer->setPrintRange(QPrinter::PageRange);
      QPageRanges ranges;
      ranges.addRange(2, 3);
      printer->setPageRanges(ranges);
      printer->setCopyCount(2);
      printer->setCollateCopies(collate);
    };
    ASSERT_TRUE(job.Run(KV_CMD_FILE_PRINT));
    EXPECT_EQ(answers.printDialogs, 1);
    const KvPdfReadBack pdf = KvReadPdf(answers.pdfPath);
    ASSERT_TRUE(pdf.ok);
    EXPECT_EQ(pageMarks(pdf), collate ? QStringList({"P2", "P3", "P2", "P3"})
                                      : QStringList({"P2", "P2", "P3", "P3"}));
  }
  ASSERT_EQ(logged.size(), 2);
  EXPECT_EQ(logged.first(), std::make_pair(17, QStringLiteral("打印“测试页”")));
}

TEST_F(CKvPrintJobTest, PreviewShowsEveryPageAndItsPrintButtonLeadsToThePrintDialog) {
  KvMarkJob job(paper(2100, 2970), 4);
  {
    KvPrintAnswers answers(KvTestPdfPath());
    EXPECT_FALSE(job.Run(KV_CMD_FILE_PRINT_PREVIEW));
    EXPECT_EQ(answers.previews, 1);
    EXPECT_EQ(answers.previewPages, 4);
    EXPECT_EQ(answers.printDialogs, 0);
    EXPECT_EQ(answers.fileDialogs, 0);
    EXPECT_FALSE(QFile::exists(answers.pdfPath));
    EXPECT_TRUE(logged.isEmpty());
  }
  KvPrintAnswers answers(KvTestPdfPath(QStringLiteral("printed")));
  answers.previewAnswer = 2;
  EXPECT_TRUE(job.Run(KV_CMD_FILE_PRINT_PREVIEW));
  EXPECT_EQ(answers.printDialogs, 1);
  EXPECT_EQ(KvReadPdf(answers.pdfPath).pages, 4);
  EXPECT_EQ(logged.size(), 1);
}

TEST_F(CKvPrintJobTest, RefusedFileOrDialogPrintsAndLogsNothing) {
  KvMarkJob job(paper(2100, 2970), 1);
  KvPrintAnswers answers(KvTestPdfPath());
  answers.cancelFile = true;
  EXPECT_FALSE(job.Run(KV_CMD_FILE_PRINT_DIRECT));
  EXPECT_FALSE(job.Run(KV_CMD_FILE_PRINT));
  answers.cancelFile = false;
  answers.cancelPrint = true;
  EXPECT_FALSE(job.Run(KV_CMD_FILE_PRINT));
  EXPECT_EQ(answers.fileDialogs, 2);
  EXPECT_FALSE(QFile::exists(answers.pdfPath));
  EXPECT_TRUE(logged.isEmpty());
}

TEST_F(CKvPrintJobTest, ReplacingAnExistingFileIsAskedFirst) {
  KvPrintAnswers answers(KvTestPdfPath());
  QFile existing(answers.pdfPath);
  ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
  existing.close();
  answers.keepExisting = true;
  KvMessageRecorder messages;
  messages.script({KV_IDNO, KV_IDYES});
  KvMarkJob job(paper(2100, 2970), 2);
  EXPECT_TRUE(job.Run(KV_CMD_FILE_PRINT_DIRECT));
  EXPECT_EQ(answers.fileDialogs, 2);
  ASSERT_EQ(messages.messages().size(), 2);
  EXPECT_TRUE(messages.messages().first().text.contains(QStringLiteral("已经存在")));
  EXPECT_EQ(KvReadPdf(answers.pdfPath).pages, 2);
}

// The open data file is refused as a PDF file, whichever dialog named it,
// and the file dialog asks for another.
TEST_F(CKvPrintJobTest, TheOpenDataFileIsRefusedWhicheverDialogNamedIt) {
  KvTestDb data(0);
  KV_CREATE_TEST_DB(data);
  ASSERT_TRUE(data.db().Execute(QStringLiteral("Create Table T(A Long)")) &&
              data.db().Execute(QStringLiteral("Insert Into T(A) Values(7)")));
  const QString file = data.name();
  for (const bool fromPrintDialog : {false, true}) {
    SCOPED_TRACE(fromPrintDialog);
    KvMarkJob job(paper(2100, 2970), 1);
    KvPrintAnswers answers(KvTestPdfPath(QString::number(fromPrintDialog)));
    // The print dialog asked its own question to replace the file already:
    // its refusal says that nothing was replaced.
    if (fromPrintDialog)
      answers.onPrintDialog = [&file](QPrinter* printer) { printer->setOutputFileName(file); };
    KvDataFileRefusalRow row(file, !fromPrintDialog, true);
    EXPECT_TRUE(job.Run(fromPrintDialog ? int(KV_CMD_FILE_PRINT) : int(KV_CMD_FILE_PRINT_DIRECT)));
    row.Check(fromPrintDialog ? 1 : 2,
              fromPrintDialog ? QStringLiteral("“%1”是正在使用的数据文件，不能覆盖：它没有被替换，请另选一个文件！").arg(file)
                              : QString());
    EXPECT_EQ(row.questionLeftToProgram, !fromPrintDialog);
    EXPECT_EQ(KvReadPdf(answers.pdfPath).pages, 1);
  }
  EXPECT_EQ(data.db().GetLong(QStringLiteral("Select Count(*) From T")), 1);
}

TEST_F(CKvPrintJobTest, PageMapsConvertTenthsOfAMillimetreAndFontHeights) {
  // On paper a font height counts in 1/100 inch, on screen in pixels.
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setResolution(1200);
  const KvPageMap paperMap = KvPageMap::ForPrinter(printer);
  KvLogFont font = KvDefaultLogFont();
  font.height = -12;
  EXPECT_EQ(paperMap.X(254), 1200);
  EXPECT_EQ(paperMap.Font(font).pixelSize(), 144);

  QImage screen(10, 10, QImage::Format_RGB32);
  screen.setDotsPerMeterX(3780);
  screen.setDotsPerMeterY(3780);
  const KvPageMap screenMap = KvPageMap::ForScreen(&screen, QSize(2100, 2970), 2.0);
  EXPECT_EQ(screenMap.X(254), 192);
  EXPECT_EQ(screenMap.Y(127), 96);
  EXPECT_EQ(screenMap.Font(font).pixelSize(), 24);
}

TEST_F(CKvPrintJobTest, QueueThePrintSystemDoesNotKnowPrintsToAFile) {
  printers.printers.append({QStringLiteral("消失的打印机"), {}, {0, 0, 0, 0}, true, true});
  KvSetCurrentPrinterName(QStringLiteral("办公室"));
  KvSetPrinterMapping(QStringLiteral("办公室"), QStringLiteral("消失的打印机"));
  KvMarkJob job(paper(2100, 2970), 1);
  KvPrintAnswers answers(KvTestPdfPath());
  EXPECT_TRUE(job.Run(KV_CMD_FILE_PRINT_DIRECT));
  EXPECT_EQ(answers.fileDialogs, 1);
  EXPECT_EQ(KvReadPdf(answers.pdfPath).pages, 1);
  KvSetPrinterMapping(QStringLiteral("办公室"), QString());
  KvSetCurrentPrinterName(QString());
}

}  // namespace
