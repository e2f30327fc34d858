// The list page setup: it opens on the format the list prints with, checks
// the page on OK (a refused page keeps the dialog open and stores nothing),
// stores the format (and a view's print set) and logs the change.

#include "print/CKvListPageSetupDlg.h"

#include "KvSetupDlgFixture.h"
#include "core/KvMessage.h"
#include "print/CKvPrintSet.h"
#include "ui/CKvFontDlg.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

namespace {
class CKvListPageSetupDlgTest : public KvSetupDlgTest {
 protected:
  KvListPrintTarget target() {
    KvListPrintTarget list;
    list.db = &db();
    list.formId = 803;
    list.title = QStringLiteral("学生名册");
    return list;
  }
  static void setValue(QWidget* dialog, int id, int value) {
    KvDlgItem<QSpinBox>(dialog, id)->setValue(value);
  }
  static void setMargins(QWidget* dialog, int left, int top, int right, int bottom) {
    setValue(dialog, 1050, left);
    setValue(dialog, 1051, top);
    setValue(dialog, 1052, right);
    setValue(dialog, 1053, bottom);
  }
};
}  // namespace

TEST_F(CKvListPageSetupDlgTest, EditedFormatIsStoredForTheCurrentProfile) {
  CKvListPageSetupDlg dialog(target());
  dialog.show();
  EXPECT_EQ(dialog.objectName(), QStringLiteral("dlg_listpagesetup"));
  EXPECT_EQ(KvDlgItem<QLineEdit>(&dialog, 1000)->text(), QStringLiteral("学生名册"));
  EXPECT_EQ(KvDlgItem<QSpinBox>(&dialog, 1060), nullptr);
  auto* papers = KvDlgItem<QComboBox>(&dialog, 1030);
  ASSERT_EQ(papers->count(), 3);  // the queue's A4 and A5, and a size of one's own
  EXPECT_EQ(papers->currentIndex(), 0);

  KvDlgItem<QLineEdit>(&dialog, 1001)->setText(QStringLiteral("初一年级"));
  KvDlgItem<QLineEdit>(&dialog, 1002)->setText(QStringLiteral("教务处制"));
  emit papers->activated(1);
  EXPECT_EQ(KvDlgItem<QSpinBox>(&dialog, 1031)->value(), 1480);
  KvDlgItem<QRadioButton>(&dialog, 1041)->setChecked(true);
  setMargins(&dialog, 100, 90, 80, 70);
  // The text font made bold in the font chooser.
  KvScopedDialogExec fontChooser([](QDialog* chooser) {
    EXPECT_NE(qobject_cast<CKvFontDlg*>(chooser), nullptr);
    chooser->show();
    KvDlgItem<QRadioButton>(chooser, 1007)->click();
    return int(QDialog::Accepted);
  });
  click(&dialog, 1012);
  EXPECT_EQ(KvDlgItem<QLabel>(&dialog, 1022)->text(), QStringLiteral("宋体 12 加粗"));

  click(&dialog, KV_IDOK);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  CKvPageFormat stored;
  ASSERT_TRUE(stored.Load(&db(), 803, QStringLiteral("教务处")));
  // The list's own title, shown but not changed, is not stored.
  EXPECT_TRUE(stored.Title.isEmpty());
  EXPECT_EQ(stored.Head, QStringLiteral("初一年级"));
  EXPECT_EQ(stored.Foot, QStringLiteral("教务处制"));
  EXPECT_EQ(stored.PaperWidth, 1480);
  EXPECT_EQ(stored.PaperLength, 2100);
  EXPECT_TRUE(stored.IsLandscape());
  EXPECT_EQ(QList<int>({stored.Left, stored.Top, stored.Right, stored.Bottom}),
            QList<int>({100, 90, 80, 70}));
  EXPECT_EQ(stored.Fonts[CKvPageFormat::TextFont].weight, 700);
  ASSERT_EQ(logged.size(), 1);
  EXPECT_EQ(logged.at(0), std::make_pair(16, QStringLiteral("页面设置“学生名册”")));
}

TEST_F(CKvListPageSetupDlgTest, PageThatDoesNotFitIsRefusedAndNothingIsStored) {
  CKvListPageSetupDlg dialog(target());
  dialog.show();
  KvMessageRecorder recorder;
  // Closer to the edge than the printer can print.
  setMargins(&dialog, 40, 250, 100, 200);
  click(&dialog, KV_IDOK);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(recorder.last(), QStringLiteral("左边距太小！"));
  // Margins wider than the paper.
  setMargins(&dialog, 1100, 250, 1000, 200);
  click(&dialog, KV_IDOK);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(recorder.messages().size(), 2);
  // A size the printer does not take.
  setMargins(&dialog, 150, 250, 100, 200);
  setValue(&dialog, 1031, 9000);
  printers.printers[0].acceptsCustomPapers = false;
  click(&dialog, KV_IDOK);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(recorder.messages().size(), 3);

  EXPECT_EQ(db().GetLong(QStringLiteral("Select Count(*) From SysCsTab Where Cs=9002")), 0);
  EXPECT_TRUE(logged.isEmpty());
}

TEST_F(CKvListPageSetupDlgTest, PdfOutputSkipsThePrinterTest) {
  KvSetPrinterMapping(QStringLiteral("教务处"), QStringLiteral("PDF"));
  CKvListPageSetupDlg dialog(target());
  dialog.show();
  EXPECT_EQ(KvDlgItem<QComboBox>(&dialog, 1030)->count(), 8);
  setMargins(&dialog, 0, 0, 0, 0);
  KvMessageRecorder recorder;
  click(&dialog, KV_IDOK);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(recorder.messages().isEmpty());
}

TEST_F(CKvListPageSetupDlgTest, ViewsPrintSetTakesThePageAndRows) {
  CKvPrintSet shared;
  shared.PageRow = 99;  // another form's values
  KvListPrintTarget view = target();
  view.printSet = &shared;
  {
    CKvListPageSetupDlg cancelled(view);
    cancelled.show();
    KvDlgItem<QSpinBox>(&cancelled, 1060)->setValue(40);
    click(&cancelled, KV_IDCANCEL);
    EXPECT_EQ(shared.PageRow, 99);
  }
  CKvPrintSet widths;
  widths.ColumnWidths = {{2, 14}};
  ASSERT_TRUE(widths.Save(&db(), 803, QString::fromLatin1(KV_LIST_PRINTSET_MODE)));
  CKvListPageSetupDlg dialog(view);
  dialog.show();
  // A column width stored meanwhile stays as stored.
  ASSERT_TRUE(db().Execute(QStringLiteral("Update FIELDWIDTH Set nWidth=16")));
  auto* rows = KvDlgItem<QSpinBox>(&dialog, 1060);
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(rows->value(), 0);
  rows->setValue(40);
  KvDlgItem<QLineEdit>(&dialog, 1000)->setText(QStringLiteral("教师名单"));
  click(&dialog, KV_IDOK);
  ASSERT_EQ(dialog.result(), QDialog::Accepted);

  EXPECT_EQ(shared.PageRow, 40);
  CKvPrintSet stored;
  ASSERT_TRUE(stored.Load(&db(), 803, QString::fromLatin1(KV_LIST_PRINTSET_MODE)));
  EXPECT_EQ(stored.PageRow, 40);
  EXPECT_EQ(stored.ColumnWidths, (QMap<int, int>{{2, 16}}));
  CKvPageFormat format;
  ASSERT_TRUE(KvLoadListPageFormat(view, &format));
  EXPECT_EQ(format.Title, QStringLiteral("教师名单"));
  EXPECT_EQ(format.Rows, 40);
}
