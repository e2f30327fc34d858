// The card page: screen scales and the placement of the title band and the
// fields, the stored page format taken over, the page setup, and printing
// (read back from PDF files and drawn into images): the paper's scale from
// the margins, landscape paper, and overlay printing without frame lines.

#include "KvFakeCardModule.h"

#include "core/CKvCsRec.h"
#include "core/KvCurrentPrinter.h"
#include "forms/CKvCardLayout.h"
#include "forms/CKvCardPrintJob.h"
#include "print/CKvCardPageFormat.h"
#include "print/KvPageMap.h"
#include "print/KvPdfReadBack.h"
#include "print/KvPrintTestSupport.h"
#include "support/KvTestDb.h"
#include "ui/KvObjectNames.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QSpinBox>

namespace {

class CKvCardLayoutTest : public KvPrintToPdfTest {
 protected:
  void SetUp() override {
    KvPrintToPdfTest::SetUp();
    KV_CREATE_TEST_DB(m_testDb);
    ASSERT_EQ(CKvCsRec(&db()).CreateTable(), 2);
    KvSetCurrentPrinterName(QStringLiteral("财务室"));
    card.Fill(layout.Fields);
    layout.Insets = QMargins(10, 80, 10, 50);
    layout.Setup(&db(), 3100, QStringLiteral("学校收费收据"), 2);
  }
  void TearDown() override {
    KvSetCurrentPrinterName(QString());
    KvPrintToPdfTest::TearDown();
  }

  CKvDb& db() { return m_testDb.db(); }

  // Prints the layout to a PDF file and reads it back.
  KvPdfReadBack print(bool overlay) {
    KvPrintAnswers answers(KvTestPdfPath(overlay ? QStringLiteral("overlay") : QString()));
    CKvCardPrintJob job(layout, overlay);
    job.SetTitle(QStringLiteral("收费收据"));
    EXPECT_TRUE(job.Run(KV_CMD_FILE_PRINT_DIRECT));
    return KvReadPdf(answers.pdfPath);
  }

  // The centre of the only word with the text, in millimetres.
  static QPointF centre(const KvPdfReadBack& pdf, const QString& text) {
    const QList<KvPdfWord> words = pdf.Find(text);
    EXPECT_EQ(words.size(), 1) << text.toStdString();
    if (words.isEmpty())
      return {};
    const KvPdfWord& word = words.first();
    return {(word.left + word.right) / 2, (word.top + word.bottom) / 2};
  }

  // Long lines of the layout printed into an image of A4 at 1 pixel per
  // 0.2 mm.
  int lineRows(bool overlay) {
    QImage image(1050, 1485, QImage::Format_RGB32);
    image.fill(Qt::white);
    const double zoom = 1050 * 254.0 / 2100 / image.logicalDpiX();
    layout.PreparePrint(KvPageMap::ForScreen(&image, QSize(2100, 2970), zoom));
    QPainter painter(&image);
    layout.DrawPrintPage(painter, overlay);
    painter.end();
    return KvLongLineRows(image);
  }

  KvReceiptLikeCard card;
  CKvCardLayout layout;

 private:
  KvTestDb m_testDb{0};
};

}  // namespace

TEST_F(CKvCardLayoutTest, FieldsFillTheCardInsideTheInsetsUnderTheTitleBand) {
  layout.ComputeScale();
  // 100 units across 790 - 20 pixels; the title's 2 units and the card's 7
  // rows down 470 - 130 pixels.
  EXPECT_EQ(layout.FieldBounds, QRect(0, 0, 100, 7));
  EXPECT_DOUBLE_EQ(layout.ScreenScaleX, 7.7);
  EXPECT_DOUBLE_EQ(layout.ScreenScaleY, 340.0 / 9);

  EXPECT_EQ(layout.PlaceFields(-1, true), QRect(10, 80, 770, 75));
  // Columns 10 to 38 of the first row: every coordinate truncated.
  EXPECT_EQ(layout.PlaceFields(kStudentBox), QRect(10 + 77, 155, 292 - 77, 37));
  // The last row ends inside the bottom inset.
  const QRect last = layout.PlaceFields(int(layout.Fields.size()) - 1);
  EXPECT_EQ(last.left() + last.width(), 780);
  EXPECT_EQ(last.top() + last.height(), 155 + int(7 * 340.0 / 9));
  EXPECT_LE(last.top() + last.height(), 470 - 50);
  EXPECT_TRUE(layout.PlaceFields(int(layout.Fields.size())).isNull());

  // Fields laid out away from the origin are moved to the title band.
  for (KvTextBox& box : layout.Fields) {
    box.left += 5, box.right += 5;
    box.top += 3, box.bottom += 3;
  }
  layout.ComputeScale();
  EXPECT_EQ(layout.PlaceFields(kStudentBox), QRect(87, 155, 215, 37));
}

TEST_F(CKvCardLayoutTest, ACardWithoutFieldsHasNoScalesAndDrawsOnlyItsTitle) {
  layout.Fields.clear();
  layout.ScreenScaleX = layout.ScreenScaleY = 3.0;
  layout.ComputeScale();
  EXPECT_EQ(layout.ScreenScaleX, 0.0);
  EXPECT_EQ(layout.ScreenScaleY, 0.0);
  EXPECT_TRUE(layout.PlaceFields(0).isNull());

  QImage image(790, 470, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  layout.DrawPage(painter, false);
  layout.PreparePrint(KvPageMap::ForScreen(&image, QSize(2100, 2970)));
  EXPECT_EQ(layout.PrintScaleX, 0.0);
  layout.DrawPrintPage(painter, false);
  painter.end();
}

TEST_F(CKvCardLayoutTest, SetupTakesTheStoredFormatAndKeepsTheCardSizeItLacks) {
  EXPECT_EQ(layout.TitleBox.text, QStringLiteral("学校收费收据"));
  EXPECT_EQ(layout.TitleHeight(), 2);
  EXPECT_EQ(layout.FormatKey, 3100);
  EXPECT_EQ(layout.CardSize, QSize(790, 470));

  CKvCardPageFormat stored;
  stored.Key = 3100;
  stored.TitleFont.faceName = QStringLiteral("楷体");
  stored.TextValue = 0x0000FF;
  stored.Left = 150;
  stored.PaperWidth = 2410;
  stored.PaperLength = 1400;
  stored.Orientation = 1;
  ASSERT_TRUE(stored.Save(&db()));
  // After a set-up on another key the layout reads 3100 anew.
  layout.Setup(&db(), 3101, QStringLiteral("学校收费收据"), 2);
  layout.Setup(&db(), 3100, QStringLiteral("学校收费收据"), 2);
  // No title and a card size of 0 x 0 stored: the default title and the
  // card's own size stay.
  EXPECT_EQ(layout.TitleBox.text, QStringLiteral("学校收费收据"));
  EXPECT_EQ(layout.CardSize, QSize(790, 470));
  EXPECT_EQ(layout.TitleFont.faceName, QStringLiteral("楷体"));
  EXPECT_EQ(layout.TextValue, 0x0000FF);
  EXPECT_EQ(layout.Margins, QMargins(150, 200, 200, 200));
  EXPECT_EQ(layout.PaperSize, QSize(2410, 1400));
  EXPECT_TRUE(layout.IsLandscape());
  // The title band has no frame lines.
  EXPECT_EQ(layout.TitleBox.leftFrame + layout.TitleBox.topFrame + layout.TitleBox.rightFrame +
                layout.TitleBox.bottomFrame,
            0);

  // Set up again, as for each record the card shows, the layout keeps the
  // format it read: no statement, a format stored since then unseen. A
  // layout of its own (the next window) reads it.
  stored.Title = QStringLiteral("收据");
  stored.CardWidth = 600;
  stored.CardHeight = 400;
  ASSERT_TRUE(stored.Save(&db()));
  db().FailNthStatement(1000);
  layout.Setup(&db(), 3100, QStringLiteral("学校收费收据"), 2);
  EXPECT_EQ(db().GetStatementsSent(), 0);
  db().FailNthStatement(0);
  EXPECT_EQ(layout.TitleBox.text, QStringLiteral("学校收费收据"));
  CKvCardLayout next;
  next.Setup(&db(), 3100, QStringLiteral("学校收费收据"), 2);
  EXPECT_EQ(next.TitleBox.text, QStringLiteral("收据"));
  EXPECT_EQ(next.CardSize, QSize(600, 400));
  // Another key is read.
  layout.Setup(&db(), 3101, QStringLiteral("学校收费收据"), 2);
  EXPECT_FALSE(layout.IsLandscape());
  EXPECT_EQ(layout.FormatKey, 3101);
}

TEST_F(CKvCardLayoutTest, PageSetupTakesOverWhatWasConfirmedAndCancelChangesNothing) {
  int shown = 0;
  bool confirm = true;
  KvScopedDialogExec exec([&](QDialog* dialog) {
    ++shown;
    dialog->show();
    EXPECT_EQ(dialog->objectName(), KvDialogObjectName(970));
    // The dialog shows the layout's values.
    EXPECT_EQ(KvDlgItem<QLineEdit>(dialog, 1000)->text(), QStringLiteral("学校收费收据"));
    EXPECT_EQ(KvDlgItem<QSpinBox>(dialog, 1080)->value(), 790);
    if (!confirm)
      return int(QDialog::Rejected);
    KvDlgItem<QLineEdit>(dialog, 1000)->setText(QStringLiteral("收费收据（存根）"));
    KvDlgItem<QSpinBox>(dialog, 1080)->setValue(640);
    KvDlgItem<QSpinBox>(dialog, 1081)->setValue(380);
    KvDlgItem<QAbstractButton>(dialog, 1)->click();
    return dialog->result();
  });

  confirm = false;
  EXPECT_FALSE(layout.PageSetup(&db()));
  confirm = true;
  layout.TitleBox.text = QStringLiteral("学校收费收据");
  ASSERT_TRUE(layout.PageSetup(&db()));
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(layout.TitleBox.text, QStringLiteral("收费收据（存根）"));
  EXPECT_EQ(layout.CardSize, QSize(640, 380));

  // Stored under the card's key: the next set-up reads it back.
  CKvCardLayout again;
  again.Setup(&db(), 3100, QStringLiteral("学校收费收据"), 2);
  EXPECT_EQ(again.TitleBox.text, QStringLiteral("收费收据（存根）"));
  EXPECT_EQ(again.CardSize, QSize(640, 380));
}

TEST_F(CKvCardLayoutTest, PrintedCardSpansThePaperInsideTheMargins) {
  const KvPdfReadBack pdf = print(false);
  ASSERT_TRUE(pdf.ok);
  EXPECT_EQ(pdf.pages, 1);
  EXPECT_NEAR(pdf.widthMm, 210, 1);
  EXPECT_NEAR(pdf.heightMm, 297, 1);
  // 100 units across 170 mm from 20 mm; the title's 2 units and 7 rows down
  // 257 mm from 20 mm.
  const double unitX = 1.7;
  const double unitY = 257.0 / 9;
  const QPointF heads = centre(pdf, QStringLiteral("摘要"));
  EXPECT_NEAR(heads.x(), 20 + 20 * unitX, 1.5);
  EXPECT_NEAR(heads.y(), 20 + 3.5 * unitY, 1.5);
  const QPointF amount = centre(pdf, QStringLiteral("1200.00"));
  EXPECT_NEAR(amount.x(), 20 + 87.5 * unitX, 1.5);
  EXPECT_NEAR(amount.y(), 20 + 4.5 * unitY, 1.5);
  const QPointF title = centre(pdf, QStringLiteral("学校收费收据"));
  EXPECT_NEAR(title.x(), 105, 1.5);
  EXPECT_NEAR(title.y(), 20 + unitY, 1.5);
  // The bottom row lies inside the bottom margin.
  EXPECT_NEAR(centre(pdf, QStringLiteral("王出纳")).y(), 20 + 8.5 * unitY, 1.5);
}

TEST_F(CKvCardLayoutTest, LandscapeCardFillsTheTurnedSheetDownToItsBottomMargin) {
  layout.Orientation = 1;
  layout.Margins = QMargins(100, 100, 100, 100);
  const KvPdfReadBack pdf = print(false);
  ASSERT_TRUE(pdf.ok);
  EXPECT_NEAR(pdf.widthMm, 297, 1);
  EXPECT_NEAR(pdf.heightMm, 210, 1);
  // Scaled on the paper as it lies: 100 units across 277 mm, 9 units down
  // 190 mm, so the signatures' row stays on the sheet.
  const double unitX = 2.77;
  const double unitY = 190.0 / 9;
  const QPointF amount = centre(pdf, QStringLiteral("1200.00"));
  EXPECT_NEAR(amount.x(), 10 + 87.5 * unitX, 1.5);
  EXPECT_NEAR(amount.y(), 10 + 4.5 * unitY, 1.5);
  const QPointF bottom = centre(pdf, QStringLiteral("王出纳"));
  EXPECT_NEAR(bottom.y(), 10 + 8.5 * unitY, 1.5);
  EXPECT_LT(bottom.y(), 200);
  EXPECT_EQ(layout.PaperRequest().width, 2970);
  EXPECT_EQ(layout.PaperRequest().height, 2100);
}

TEST_F(CKvCardLayoutTest, OverlayPrintLeavesOutFramesAndTheFormsOwnTexts) {
  EXPECT_GE(lineRows(false), 8);
  EXPECT_EQ(lineRows(true), 0);

  const KvPdfReadBack normal = print(false);
  const KvPdfReadBack overlay = print(true);
  ASSERT_TRUE(normal.ok && overlay.ok);
  for (const char* label : {"学生姓名：", "摘要", "金额", "收款："}) {
    EXPECT_EQ(normal.Find(QString::fromUtf8(label)).size(), 1) << label;
    EXPECT_TRUE(overlay.Find(QString::fromUtf8(label)).isEmpty()) << label;
  }
  // The title and the values print where they print normally.
  for (const char* value : {"学校收费收据", "张小明", "1200.00", "壹仟伍佰元整", "王出纳"}) {
    const QPointF at = centre(normal, QString::fromUtf8(value));
    const QPointF overlaid = centre(overlay, QString::fromUtf8(value));
    EXPECT_NEAR(overlaid.x(), at.x(), 0.5) << value;
    EXPECT_NEAR(overlaid.y(), at.y(), 0.5) << value;
  }
}
