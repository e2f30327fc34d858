#include "core/KvPrinter.h"

#include "core/KvMessage.h"
#include "tests/core/KvFakePrinterCatalogue.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QImage>
#include <QPrinter>

namespace {

const KvPaper kA4{QStringLiteral("A4"), 9, 2100, 2970};
const KvPaper kLetter{QStringLiteral("Letter"), 1, 2159, 2794};
const KvPaper kUser{QStringLiteral("用户自定义"), KV_PAPER_USER, 2159, 3556};

// An A4 printer without a user-defined size, 4.233 mm unprintable on the
// left and right, 5 mm at the top and bottom.
KvFakePrinterCatalogue::Printer laserPrinter() {
  KvFakePrinterCatalogue::Printer printer;
  printer.name = QStringLiteral("激光打印机");
  printer.papers = {kLetter, kA4};
  printer.margins[0] = 4233;
  printer.margins[1] = 5000;
  printer.margins[2] = 4233;
  printer.margins[3] = 5000;
  return printer;
}

}  // namespace

TEST(KvPrinter, PaperWithinLessThanOneMillimetreIsChosen) {
  KvFakePrinterCatalogue printers;
  printers.printers = {laserPrinter()};
  int paper = 0;
  EXPECT_TRUE(KvFindPaper(QStringLiteral("激光打印机"), 2109, 2961, &paper));
  EXPECT_EQ(paper, 9);
  EXPECT_TRUE(printers.added.isEmpty());
  EXPECT_TRUE(KvFindPaper(QStringLiteral("激光打印机"), 2159, 2794, &paper));
  EXPECT_EQ(paper, 1);

  // 1 mm off: no paper of the printer fits, the custom paper is made.
  KvMessageRecorder recorder;
  EXPECT_TRUE(KvFindPaper(QStringLiteral("激光打印机"), 2110, 2970, &paper));
  EXPECT_EQ(paper, KV_PAPER_USER);
  ASSERT_EQ(printers.added.size(), 1);
  EXPECT_EQ(printers.added[0].second.name, QStringLiteral("青禾苑自定义纸"));
  EXPECT_EQ(printers.added[0].second.width, 2110);
  EXPECT_EQ(printers.added[0].second.height, 2970);
  EXPECT_TRUE(recorder.messages().isEmpty());
}

TEST(KvPrinter, UserDefinedSizeTakesAnySize) {
  KvFakePrinterCatalogue printers;
  KvFakePrinterCatalogue::Printer printer = laserPrinter();
  printer.papers = {kA4, kUser, kLetter};
  printers.printers = {printer};
  int paper = 0;
  EXPECT_TRUE(KvFindPaper(printer.name, 1000, 1500, &paper));
  EXPECT_EQ(paper, KV_PAPER_USER);
  // The first fitting paper in the printer's order wins.
  EXPECT_TRUE(KvFindPaper(printer.name, 2100, 2970, &paper));
  EXPECT_EQ(paper, 9);
  EXPECT_TRUE(KvFindPaper(printer.name, 2159, 2794, &paper));
  EXPECT_EQ(paper, KV_PAPER_USER);
  EXPECT_TRUE(printers.added.isEmpty());
}

TEST(KvPrinter, PaperChoiceFailuresAreShownWithTheStopIcon) {
  KvFakePrinterCatalogue printers;
  KvFakePrinterCatalogue::Printer refusing = laserPrinter();
  refusing.name = QStringLiteral("refusing");
  refusing.acceptsCustomPapers = false;
  KvFakePrinterCatalogue::Printer forgetting = laserPrinter();
  forgetting.name = QStringLiteral("forgetting");
  forgetting.offersCustomPapers = false;
  printers.printers = {refusing, forgetting};

  KvMessageRecorder recorder;
  int paper = -5;
  EXPECT_FALSE(KvFindPaper(QStringLiteral("没有"), 1000, 1000, &paper));
  EXPECT_FALSE(KvFindPaper(QStringLiteral("refusing"), 1000, 1000, &paper));
  EXPECT_FALSE(KvFindPaper(QStringLiteral("forgetting"), 1000, 1000, &paper));
  EXPECT_EQ(paper, -5);
  EXPECT_EQ(recorder.texts(), (QStringList{QStringLiteral("打开打印机“没有”失败！"),
                                           QStringLiteral("设置纸张格式失败！"),
                                           QStringLiteral("该打印机不支持这种规格的纸张！")}));
  for (const KvMessage& message : recorder.messages())
    EXPECT_EQ(message.icon(), unsigned(KV_MB_ICONSTOP));
}

TEST(KvPrinter, PapersAreListedInParallelAndShownInMillimetres) {
  KvFakePrinterCatalogue printers;
  KvFakePrinterCatalogue::Printer printer = laserPrinter();
  printer.papers = {kA4, {QStringLiteral("窄"), 300, 1005, 2794}};
  printers.printers = {printer};

  QStringList names{QStringLiteral("kept")};
  CKvPaperList sizes;
  QList<int> numbers;
  KvGetPrinterPapers(printer.name, &names, &sizes, &numbers);
  EXPECT_EQ(names, (QStringList{"kept", "A4", "窄"}));
  ASSERT_EQ(sizes.GetSize(), 2);
  EXPECT_EQ(sizes.GetAt(1), (KvPaperSize{1005, 2794}));
  EXPECT_EQ(sizes.GetAt(2), KvPaperSize{});
  EXPECT_EQ(numbers, (QList<int>{9, 300}));

  KvMessageRecorder recorder;
  KvShowPrinterPapers(printer.name);
  EXPECT_EQ(recorder.last(),
            QStringLiteral("宽×长(mm)\t名称\n210.0×297.0\tA4\n100.5×279.4\t窄\n"));
}

TEST(KvPrinter, TestAcceptsMarginsWiderThanTheUnprintableOnes) {
  KvFakePrinterCatalogue printers;
  printers.printers = {laserPrinter()};
  KvMessageRecorder recorder;
  KvPageSetup setup;
  KvPageMetrics metrics;
  ASSERT_TRUE(KvTestPrinter(QStringLiteral("激光打印机"), 2100, 2970, KV_ORIENT_PORTRAIT, 43, 51,
                            43, 51, &setup, &metrics));
  EXPECT_TRUE(recorder.messages().isEmpty());
  EXPECT_EQ(setup.printer, QStringLiteral("激光打印机"));
  EXPECT_EQ(setup.paper, 9);
  EXPECT_EQ(setup.orientation, KV_ORIENT_PORTRAIT);
  // Metrics in 0.1 mm.
  EXPECT_EQ(metrics.horizontal[0], 2100);
  EXPECT_EQ(metrics.vertical[0], 2970);
  EXPECT_EQ(metrics.horizontal[2], 42);
  EXPECT_EQ(metrics.vertical[3], 50);

  // All four -1: margins are not looked at.
  EXPECT_TRUE(KvTestPrinter(QStringLiteral("激光打印机"), 2100, 2970, 1, -1, -1, -1, -1));
}

TEST(KvPrinter, TestRefusesAMarginEqualToTheUnprintableOne) {
  KvFakePrinterCatalogue printers;
  printers.printers = {laserPrinter()};
  KvMessageRecorder recorder;
  const QString name = QStringLiteral("激光打印机");
  EXPECT_FALSE(KvTestPrinter(name, 2100, 2970, 1, 42, 100, 100, 100));
  EXPECT_FALSE(KvTestPrinter(name, 2100, 2970, 1, 100, 50, 100, 100));
  EXPECT_FALSE(KvTestPrinter(name, 2100, 2970, 1, 100, 100, 42, 100));
  EXPECT_FALSE(KvTestPrinter(name, 2100, 2970, 1, 100, 100, 100, 50));
  // Left is looked at first.
  EXPECT_FALSE(KvTestPrinter(name, 2100, 2970, 1, 0, 0, 0, 0));
  EXPECT_EQ(recorder.texts(),
            (QStringList{QStringLiteral("左边距太小！"), QStringLiteral("上边距太小！"),
                         QStringLiteral("右边距太小！"), QStringLiteral("下边距太小！"),
                         QStringLiteral("左边距太小！")}));
  EXPECT_EQ(recorder.messages().back().icon(), unsigned(KV_MB_ICONSTOP));
}

TEST(KvPrinter, LandscapeTestOfAPortraitPagePasses) {
  KvFakePrinterCatalogue printers;
  printers.printers = {laserPrinter()};
  KvMessageRecorder recorder;
  KvPageSetup setup;
  KvPageMetrics metrics;
  EXPECT_TRUE(KvTestPrinter(QStringLiteral("激光打印机"), 2970, 2100, KV_ORIENT_LANDSCAPE, 100, 100,
                            100, 100, &setup, &metrics));
  EXPECT_TRUE(recorder.messages().isEmpty()) << qPrintable(recorder.last());
  EXPECT_EQ(setup.orientation, KV_ORIENT_LANDSCAPE);
}

TEST(KvPrinter, TestWithSizeMinusOneShowsThePapersOnly) {
  KvFakePrinterCatalogue printers;
  printers.printers = {laserPrinter()};
  KvMessageRecorder recorder;
  EXPECT_FALSE(KvTestPrinter(QStringLiteral("激光打印机"), -1, -1, 1, -1, -1, -1, -1));
  ASSERT_EQ(recorder.messages().size(), 1);
  EXPECT_TRUE(recorder.last().startsWith(QStringLiteral("宽×长(mm)\t名称\n215.9×279.4\tLetter\n")));
  EXPECT_TRUE(printers.added.isEmpty());
}

TEST(KvPrinter, DeviceSetupTurnsTheOrientationUnlessKept) {
  KvFakePrinterCatalogue printers;
  printers.printers = {laserPrinter()};
  KvPageSetup setup;
  KvPageMetrics metrics;
  ASSERT_TRUE(KvPrinterDC(QStringLiteral("激光打印机"), 9, 2100, 2970, KV_ORIENT_PORTRAIT, false,
                          &setup, &metrics));
  EXPECT_EQ(setup.orientation, KV_ORIENT_LANDSCAPE);
  EXPECT_EQ(metrics.horizontal[0], 2970);
  EXPECT_EQ(metrics.horizontal[1], 2970 - 42 - 42 - 1);  // 288.534 mm, cut to 0.1 mm
  EXPECT_EQ(metrics.dpiX, 600);
  EXPECT_FALSE(KvPrinterDC(QStringLiteral("没有"), 9, 2100, 2970, 1, true, &setup, &metrics));
}

TEST(KvPrinter, PdfPrinterMetricsAndDotsPerQuarterMillimetre) {
  QPrinter pdf(QPrinter::HighResolution);
  pdf.setOutputFormat(QPrinter::PdfFormat);
  pdf.setPageSize(QPageSize(QPageSize::A4));
  pdf.setPageOrientation(QPageLayout::Portrait);
  KvPageMetrics metrics = KvGetPageMetrics(pdf);
  EXPECT_EQ(metrics.horizontal[0], 210000);
  EXPECT_EQ(metrics.vertical[0], 297000);
  EXPECT_EQ(metrics.horizontal[1] + metrics.horizontal[2] + metrics.horizontal[3], 210000);
  EXPECT_EQ(metrics.dpiX, pdf.resolution());
  pdf.setPageOrientation(QPageLayout::Landscape);
  metrics = KvGetPageMetrics(pdf);
  EXPECT_EQ(metrics.horizontal[0], 297000);

  // 1200 dots per inch are 11.8 dots per quarter millimetre.
  pdf.setResolution(1200);
  EXPECT_EQ(KvPrinterDotsPerQuarterMm(&pdf), 11);
  QImage screenLike(100, 100, QImage::Format_RGB32);
  EXPECT_EQ(KvPrinterDotsPerQuarterMm(&screenLike), 1);
  EXPECT_EQ(KvPrinterDotsPerQuarterMm(nullptr), 1);
}

TEST(KvPrinter, DefaultFontOfPrintedFormsConvertsForDrawing) {
  const QFont drawn = KvFontFromLogFont(KvDefaultLogFont());
  EXPECT_EQ(drawn.family(), QStringLiteral("宋体"));
  EXPECT_EQ(drawn.pixelSize(), 14);
  EXPECT_EQ(drawn.weight(), QFont::Normal);
  KvLogFont bold = KvDefaultLogFont();
  bold.height = -20;
  bold.weight = 700;
  bold.italic = true;
  const QFont heavy = KvFontFromLogFont(bold);
  EXPECT_EQ(heavy.pixelSize(), 20);
  EXPECT_EQ(heavy.weight(), QFont::Bold);
  EXPECT_TRUE(heavy.italic());
}
