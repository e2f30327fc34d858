// Grid printing read back from PDF: pages of the print set's rows repeating
// the title, notes and column heads with the page's macros, page totals,
// overlay printing (no lines, no column heads, only the notes marked for
// it), the paper's orientation, and the page setup stored for the form.

#include "KvGridTestDoc.h"

#include "core/KvMessage.h"
#include "forms/CKvFormPageSetupDlg.h"
#include "forms/CKvFormPrintJob.h"
#include "print/CKvListPageSetupDlg.h"
#include "print/KvPageMap.h"
#include "print/KvPdfReadBack.h"
#include "print/KvPrintStoreFixture.h"
#include "print/KvPrintTestSupport.h"
#include "support/KvStationInFlight.h"
#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QImage>
#include <QPainter>
#include <QSpinBox>

namespace {

class CKvFormPrintJobTest : public KvPrintToPdfTest {
 protected:
  void SetUp() override {
    KvPrintToPdfTest::SetUp();
    doc.rowsToFill = 45;
    doc.Open();
    for (int row = 0; row < doc.GetRowCount(); ++row)
      doc.m_rows[row][0] = QStringLiteral("S%1").arg(row, 3, 10, QLatin1Char('0'));
    doc.m_formEntry.sFna = QStringLiteral("班级收费明细表（共#pt页）");
    view = std::make_unique<CForthView>(&doc);
    view->PrintSet().PageRow = 20;
    view->InitLayout();
  }

  // Runs a command of the view that prints, answering its dialogs.
  KvPdfReadBack print(int command) {
    KvPrintAnswers answers(KvTestPdfPath());
    view->ExecuteCmd(command);
    EXPECT_EQ(answers.printDialogs, 1);
    return KvReadPdf(answers.pdfPath);
  }

  // Long dark horizontal runs on page 0 drawn into an image: the grid's lines.
  int lineRows(bool overlay) {
    QImage image(1050, 1485, QImage::Format_RGB32);
    image.fill(Qt::white);
    const KvPageMap map = KvPageMap::ForScreen(&image, QSize(2100, 2970), 1050 * 254.0 / 2100 / image.logicalDpiX());
    CKvFormPrintJob job(*view);
    job.PageCount(map);
    QPainter painter(&image);
    KvGridPass pass;
    pass.printing = true;
    pass.overlay = overlay;
    pass.rowCount = job.RowsPerPage();
    pass.page = 1;
    pass.totalPages = 3;
    pass.fonts = view->FontsFor(map);
    view->DrawForm(painter, view->PageModel(), pass);
    painter.end();
    return KvLongLineRows(image);
  }

  KvGridTestDoc doc;
  std::unique_ptr<CForthView> view;
};

}  // namespace

TEST_F(CKvFormPrintJobTest, PagesRepeatTheHeadsAndCarryTheirOwnPageNumbers) {
  const KvPdfReadBack pdf = print(KV_CMD_FILE_PRINT);
  ASSERT_TRUE(pdf.ok);
  ASSERT_EQ(pdf.pages, 3);
  for (int page = 0; page < 3; ++page) {
    const QString texts = pdf.PageTexts(page).join(u' ');
    EXPECT_TRUE(texts.contains(QStringLiteral("班级收费明细表（共3页）"))) << page;
    EXPECT_TRUE(texts.contains(QStringLiteral("收费项目"))) << page;
    EXPECT_TRUE(texts.contains(QStringLiteral("编表单位：青禾实验学校"))) << page;
    EXPECT_TRUE(texts.contains(QStringLiteral("第 %1 页").arg(page + 1))) << texts.toStdString();
    EXPECT_TRUE(texts.contains(QStringLiteral("李校长"))) << texts.toStdString();
  }
  EXPECT_EQ(pdf.Find(QStringLiteral("S000"), 0).size(), 1);
  EXPECT_EQ(pdf.Find(QStringLiteral("S019"), 0).size(), 1);
  EXPECT_EQ(pdf.Find(QStringLiteral("S020"), 1).size(), 1);
  EXPECT_EQ(pdf.Find(QStringLiteral("S044"), 2).size(), 1);
  EXPECT_TRUE(pdf.Find(QStringLiteral("S020"), 0).isEmpty());
  // The rows follow each other down the page.
  EXPECT_LT(pdf.Find(QStringLiteral("S020"), 1).first().top, pdf.Find(QStringLiteral("S021"), 1).first().top);
  ASSERT_FALSE(logged.isEmpty());
  // The job is named by the title with the document's macros and no page numbers.
  EXPECT_EQ(logged.last(), std::make_pair(17, QStringLiteral("打印“班级收费明细表（共0页）”")));
}

TEST_F(CKvFormPrintJobTest, PageTotalsRunningTotalsAndDocumentTotals) {
  // The whole document on every page.
  KvPdfReadBack pdf = print(KV_CMD_FILE_PRINT);
  for (int page = 0; page < 3; ++page)
    EXPECT_EQ(pdf.Find(QStringLiteral("54,000.00"), page).size(), 1) << page;
  EXPECT_EQ(pdf.Find(QStringLiteral("合计"), 0).size(), 2);  // the column head and the totals

  // Running totals up to each page's end.
  view->m_nTotalsMode = 1;
  pdf = print(KV_CMD_FILE_PRINT);
  EXPECT_EQ(pdf.Find(QStringLiteral("24,000.00"), 0).size(), 1);
  EXPECT_EQ(pdf.Find(QStringLiteral("48,000.00"), 1).size(), 1);
  EXPECT_EQ(pdf.Find(QStringLiteral("54,000.00"), 2).size(), 1);
  EXPECT_EQ(pdf.Find(QStringLiteral("累计"), 1).size(), 1);

  // Each page its own rows.
  doc.m_formEntry.nOption = 1;
  view->InitLayout();
  pdf = print(KV_CMD_FILE_PRINT);
  EXPECT_EQ(pdf.Find(QStringLiteral("24,000.00"), 1).size(), 1);
  EXPECT_EQ(pdf.Find(QStringLiteral("6,000.00"), 2).size(), 1);
}

TEST_F(CKvFormPrintJobTest, OverlayPrintLeavesOutLinesColumnHeadsAndUnmarkedNotes) {
  KvPdfReadBack pdf = print(KV_CMD_OVERLAY_PRINT);
  ASSERT_TRUE(pdf.ok);
  EXPECT_FALSE(view->IsOverlay());
  const QString texts = pdf.PageTexts(0).join(u' ');
  EXPECT_FALSE(texts.contains(QStringLiteral("收费项目")));
  EXPECT_FALSE(texts.contains(QStringLiteral("班级收费明细表")));
  EXPECT_FALSE(texts.contains(QStringLiteral("类别")));  // not marked for overlay printing
  EXPECT_FALSE(texts.contains(QStringLiteral("第 1 页")));
  EXPECT_TRUE(texts.contains(QStringLiteral("编表单位：青禾实验学校")));
  EXPECT_EQ(pdf.Find(QStringLiteral("S005"), 0).size(), 1);

  // The title only when the form asks for it.
  doc.m_formEntry.nOption = 2;
  view->InitLayout();
  pdf = print(KV_CMD_OVERLAY_PRINT);
  EXPECT_TRUE(pdf.PageTexts(0).join(u' ').contains(QStringLiteral("班级收费明细表")));

  EXPECT_GT(lineRows(false), 20);
  EXPECT_EQ(lineRows(true), 0);
}

TEST_F(CKvFormPrintJobTest, LandscapePaperSpreadsTheColumnsOverItsWidth) {
  view->PrintSet().PageCopies = 0;
  view->ApplyPageSetup();
  const KvPdfReadBack pdf = print(KV_CMD_FILE_PRINT);
  ASSERT_TRUE(pdf.ok);
  EXPECT_NEAR(pdf.widthMm, 297.0, 1.0);
  EXPECT_NEAR(pdf.heightMm, 210.0, 1.0);
  // The total column's numbers end near the right margin (10 mm).
  const QList<KvPdfWord> totals = pdf.Find(QStringLiteral("1685.50"), 0);
  ASSERT_FALSE(totals.isEmpty());
  EXPECT_GT(totals.first().right, 297.0 - 10.0 - 8.0);
  EXPECT_LT(totals.first().right, 297.0 - 10.0);
}

namespace {

class CKvFormPageSetupTest : public KvPrintStoreTest {};

}  // namespace

TEST_P(CKvFormPageSetupTest, PageSetupStoresTheViewsPrintSetUnderTheForm) {
  KvGridTestDoc doc;
  doc.Open();
  doc.m_pDb = &db();
  doc.m_nFlag = 255;
  doc.m_nForm = 3;
  CForthView view(&doc);
  view.InitLayout();
  KvFakePrinterCatalogue printers;  // no printers: the page is checked for a PDF file
  int dialogs = 0;
  KvScopedDialogExec answer([&](QDialog* dialog) {
    ++dialogs;
    EXPECT_EQ(dialog->objectName(), QStringLiteral("dlg_formpagesetup"));
    dialog->show();
    KvDlgItem<QSpinBox>(dialog, 1060)->setValue(25);
    KvDlgItem<QSpinBox>(dialog, 1061)->setValue(20);
    KvDlgItem<QSpinBox>(dialog, 1050)->setValue(300);
    KvDlgItem<QAbstractButton>(dialog, KV_IDOK)->click();
    return dialog->result();
  });
  const int pitch = view.Model().RowPitch(KvGridArea::Text);
  view.ExecuteCmd(KV_CMD_FILE_PAGE_SETUP);
  EXPECT_EQ(dialogs, 1);
  EXPECT_EQ(view.PrintSet().PageRow, 25);
  // The screen takes the new spacing and margin at once.
  EXPECT_LT(view.Model().RowPitch(KvGridArea::Text), pitch);
  CKvPrintSet stored;
  ASSERT_TRUE(stored.Load(&db(), 255, QStringLiteral("3")));
  EXPECT_EQ(stored.PageRow, 25);
  EXPECT_EQ(stored.PageSpace, 20);
  EXPECT_EQ(stored.PageLeft, 300);
  // Another sequence number of the template keeps its own settings.
  CKvPrintSet other;
  ASSERT_TRUE(other.Load(&db(), 255, QStringLiteral("4")));
  EXPECT_EQ(other.PageRow, 0);
}

// While the dialog is open another workstation changes a column width,
// which OK leaves as stored, or the page, which OK refuses to put back. A
// title font and a margin it stored after the window opened stay.
TEST_P(CKvFormPageSetupTest, PageSetupKeepsWhatAnotherWorkstationStoredMeanwhile) {
  CKvDb other(kind());
  ASSERT_TRUE(testDb().OpenAnother(other));
  KvFakePrinterCatalogue printers;
  for (const bool pageChanged : {false, true}) {
    CKvPrintSet stored;
    stored.ColumnWidths = {{1, 10}};
    ASSERT_TRUE(stored.Save(&db(), 255, QStringLiteral("3")));
    KvGridTestDoc doc;
    doc.Open();
    doc.m_pDb = &db();
    doc.m_nFlag = 255;
    doc.m_nForm = 3;
    CForthView view(&doc);
    view.InitLayout();
    ASSERT_TRUE(other.Execute(QStringLiteral("Update KVFONT Set nHeight=77 Where nFont=0;"
                                             "Update KVPAGESET Set PageLeft=345")));
    KvMessageRecorder recorder;
    bool accepted = false;
    KvScopedDialogExec answer([&](QDialog* dialog) {
      dialog->show();
      EXPECT_TRUE(other.Execute(pageChanged ? QStringLiteral("Update KVPAGESET Set PageRow=33 Where nFlag=255")
                                            : QStringLiteral("Update FIELDWIDTH Set nWidth=12 Where nFlag=255")));
      KvDlgItem<QSpinBox>(dialog, 1060)->setValue(25);
      KvDlgItem<QAbstractButton>(dialog, KV_IDOK)->click();
      accepted = dialog->result() == QDialog::Accepted;
      return dialog->result();
    });
    view.ExecuteCmd(KV_CMD_FILE_PAGE_SETUP);
    ASSERT_TRUE(stored.Load(&db(), 255, QStringLiteral("3")));
    EXPECT_EQ(accepted, !pageChanged);
    EXPECT_EQ(stored.PageRow, pageChanged ? 33 : 25);
    EXPECT_EQ(stored.ColumnWidths.value(1), pageChanged ? 10 : 12);
    EXPECT_EQ(stored.Fonts[CKvPrintSet::TitleFont].height, 77);
    EXPECT_EQ(stored.PageLeft, 345);
    EXPECT_EQ(recorder.texts(), pageChanged ? QStringList{QStringLiteral("页面设置已被其他窗口或工作站修改，请重新打开后再修改！")}
                                           : QStringList());
  }
}

TEST_P(CKvFormPageSetupTest, ListPageSetupAndATemplatesRenumberingInFlightBothCommit) {
  KvFakePrinterCatalogue printers;
  CKvPrintSet shared;
  CKvListPageSetupDlg dialog({&db(), 803, QStringLiteral("学生名册"), &shared});
  dialog.show();
  KvStationInFlight other(testDb(), {}, {QStringLiteral("Update KVPAGESET Set SFIELDMODE='8' Where nFlag=255")}, 1000,
                          {QStringLiteral("Update SysCsTab Set CsNa='8' Where Cs=9000")});
  ASSERT_TRUE(other.Started());
  KvDlgItem<QAbstractButton>(&dialog, KV_IDOK)->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(other.Committed());
}

KV_DB_KIND_TEST_SUITE(CKvFormPageSetupTest);
