// Printer profiles: where a profile prints (its mapping and the fallbacks),
// the current profile kept in the settings, and adding, renaming and
// deleting profiles with their stored formats.

#include "print/KvPrinterProfiles.h"

#include "KvPrintStoreFixture.h"
#include "core/KvFakePrinterCatalogue.h"
#include "core/KvMessage.h"
#include "print/CKvPageFormat.h"
#include "print/CKvPrintSet.h"
#include "ui/KvModal.h"
#include "ui/KvPrinterNames.h"

#include <gtest/gtest.h>

#include <QPrintDialog>
#include <QPrinter>

namespace {
KvPaper a4() { return {QStringLiteral("A4"), 9, 2100, 2970}; }

void addQueue(KvFakePrinterCatalogue& catalogue, const QString& name) {
  KvFakePrinterCatalogue::Printer printer;
  printer.name = name;
  printer.papers = {a4()};
  catalogue.printers.append(printer);
}

// Removes the mappings the tests make.
class KvPrinterMapTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const char* profile : {"教务处", "财务室", ""})
      KvSetPrinterMapping(QString::fromUtf8(profile), QString());
    KvSetCurrentPrinterName(QString());
  }
  KvFakePrinterCatalogue catalogue;
};
}  // namespace

TEST_F(KvPrinterMapTest, ProfileResolvesToItsQueueThenTheDefaultThenPdf) {
  addQueue(catalogue, QStringLiteral("hp-office"));
  addQueue(catalogue, QStringLiteral("epson-lq"));
  catalogue.defaultName = QStringLiteral("hp-office");
  const QString profile = QStringLiteral("教务处");

  EXPECT_EQ(KvQueueForProfile(profile), QStringLiteral("hp-office"));  // unmapped
  KvSetPrinterMapping(profile, QStringLiteral("epson-lq"));
  EXPECT_EQ(KvPrinterMapping(profile), QStringLiteral("epson-lq"));
  EXPECT_EQ(KvQueueForProfile(profile), QStringLiteral("epson-lq"));
  EXPECT_EQ(KvQueueForProfile(QStringLiteral("财务室")), QStringLiteral("hp-office"));
  KvSetPrinterMapping(profile, QStringLiteral("PDF"));
  EXPECT_EQ(KvQueueForProfile(profile), QStringLiteral("PDF"));

  // The mapped queue vanished: the default, and with no default PDF.
  KvSetPrinterMapping(profile, QStringLiteral("epson-lq"));
  catalogue.printers.removeLast();
  EXPECT_EQ(KvQueueForProfile(profile), QStringLiteral("hp-office"));
  catalogue.defaultName.clear();
  EXPECT_EQ(KvQueueForProfile(profile), QStringLiteral("PDF"));
  catalogue.printers.clear();
  EXPECT_EQ(KvQueueForProfile(QStringLiteral("财务室")), QStringLiteral("PDF"));

  KvSetCurrentPrinterName(QStringLiteral("财务室"));
  KvSetPrinterMapping(QStringLiteral("财务室"), QStringLiteral("PDF"));
  EXPECT_EQ(KvCurrentQueue(), QStringLiteral("PDF"));
  KvSetPrinterMapping(QStringLiteral("财务室"), QString());
  EXPECT_EQ(KvPrinterMapping(QStringLiteral("财务室")), QString());
}

TEST_F(KvPrinterMapTest, CurrentProfileSurvivesARestartThroughTheSettings) {
  KvSetCurrentPrinterName(QStringLiteral("财务室/二楼"));
  KvSaveCurrentPrinter();
  KvSetCurrentPrinterName(QString());
  KvLoadCurrentPrinter();
  EXPECT_EQ(KvCurrentPrinterName(), QStringLiteral("财务室/二楼"));
}

TEST_F(KvPrinterMapTest, PrintSetupMapsTheCurrentProfileOnlyWhenConfirmed) {
  KvSetCurrentPrinterName(QStringLiteral("教务处"));
  bool shown = false;
  KvSetDialogExec([&shown](QDialog* dialog) {
    shown = qobject_cast<QPrintDialog*>(dialog) != nullptr;
    return int(QDialog::Rejected);
  });
  EXPECT_FALSE(KvRunPrintSetup());
  EXPECT_TRUE(shown);
  EXPECT_EQ(KvPrinterMapping(QStringLiteral("教务处")), QString());

  // The operator chose to print to a file.
  KvSetDialogExec([](QDialog* dialog) {
    static_cast<QPrintDialog*>(dialog)->printer()->setOutputFormat(QPrinter::PdfFormat);
    return int(QDialog::Accepted);
  });
  EXPECT_TRUE(KvRunPrintSetup());
  KvSetDialogExec(nullptr);
  EXPECT_EQ(KvPrinterMapping(QStringLiteral("教务处")), QStringLiteral("PDF"));
}

namespace {
class KvPrinterProfilesTest : public KvPrintStoreTest {
 protected:
  void TearDown() override {
    for (const char* profile : {"教务处", "财务室", "二楼"})
      KvSetPrinterMapping(QString::fromUtf8(profile), QString());
    KvPrintStoreTest::TearDown();
  }
  QStringList names() {
    QStringList list;
    KvLoadPrinterNames(&db(), &list);
    return list;
  }
};
}  // namespace

TEST_P(KvPrinterProfilesTest, BadNamesAreRefusedWithAMessage) {
  KvMessageRecorder recorder;
  ASSERT_TRUE(KvAddPrinterProfile(&db(), QStringLiteral("  教务处\t")));
  EXPECT_TRUE(recorder.messages().isEmpty());
  EXPECT_EQ(names(), QStringList({QStringLiteral("教务处")}));

  for (const QString& bad : {QStringLiteral(" \t "), QStringLiteral("教务处 "),
                             QStringLiteral("一二三四五六七八九十甲乙丙丁戊己")}) {
    recorder.clear();
    EXPECT_FALSE(KvAddPrinterProfile(&db(), bad)) << bad.toStdString();
    EXPECT_EQ(recorder.messages().size(), 1) << bad.toStdString();
  }
  // Fifteen Chinese characters are thirty wide: allowed.
  EXPECT_TRUE(KvAddPrinterProfile(&db(), QStringLiteral("一二三四五六七八九十甲乙丙丁戊")));
  ASSERT_TRUE(KvAddPrinterProfile(&db(), QStringLiteral("财务室")));
  recorder.clear();
  EXPECT_FALSE(KvRenamePrinterProfile(&db(), QStringLiteral("教务处"), QStringLiteral("财务室")));
  EXPECT_EQ(recorder.messages().size(), 1);
  // One deleted at another workstation while the list showed it.
  EXPECT_FALSE(KvRenamePrinterProfile(&db(), QStringLiteral("二楼"), QStringLiteral("三楼")));
  EXPECT_EQ(recorder.last(), QStringLiteral("打印机“二楼”已不存在！"));
  EXPECT_EQ(names().size(), 3);
}

TEST_P(KvPrinterProfilesTest, RenameCarriesTheStoredFormatsAndTheMapping) {
  ASSERT_TRUE(KvAddPrinterProfile(&db(), QStringLiteral("教务处")));
  ASSERT_TRUE(KvAddPrinterProfile(&db(), QStringLiteral("财务室")));
  CKvPrintSet set;
  set.PageRow = 33;
  set.ColumnWidths = {{1, 12}};
  ASSERT_TRUE(set.Save(&db(), 7, QStringLiteral("1"), QStringLiteral("教务处")));
  CKvPageFormat format;
  format.Title = QStringLiteral("名册");
  ASSERT_TRUE(format.Save(&db(), 803, QStringLiteral("教务处")));
  ASSERT_TRUE(CKvPrintSet().Save(&db(), 7, QStringLiteral("1"), QStringLiteral("财务室")));
  // Rows left under the new name by a profile deleted earlier give way.
  CKvPrintSet orphan;
  orphan.PageRow = 1;
  ASSERT_TRUE(orphan.Save(&db(), 7, QStringLiteral("1"), QStringLiteral("二楼")));
  KvSetPrinterMapping(QStringLiteral("教务处"), QStringLiteral("PDF"));

  ASSERT_TRUE(KvRenamePrinterProfile(&db(), QStringLiteral("教务处"), QStringLiteral(" 二楼 ")));
  EXPECT_EQ(names(), QStringList({QStringLiteral("二楼"), QStringLiteral("财务室")}));
  EXPECT_EQ(KvCurrentPrinterName(), QStringLiteral("二楼"));
  EXPECT_EQ(KvPrinterMapping(QStringLiteral("二楼")), QStringLiteral("PDF"));
  EXPECT_EQ(KvPrinterMapping(QStringLiteral("教务处")), QString());

  CKvPrintSet loaded;
  ASSERT_TRUE(loaded.Load(&db(), 7, QStringLiteral("1"), QStringLiteral("二楼")));
  EXPECT_EQ(loaded.PageRow, 33);
  EXPECT_EQ(loaded.ColumnWidths.value(1), 12);
  EXPECT_EQ(count(QStringLiteral("Select Count(*) From KVPAGESET Where SPRINTER='二楼'")), 1);
  EXPECT_EQ(count(QStringLiteral("Select Count(*) From KVFONT Where SPRINTER='教务处'")), 0);
  ASSERT_TRUE(format.Load(&db(), 803, QStringLiteral("二楼")));
  EXPECT_EQ(format.Title, QStringLiteral("名册"));
  ASSERT_TRUE(loaded.Load(&db(), 7, QStringLiteral("1"), QStringLiteral("财务室")));
  EXPECT_EQ(loaded.PageRow, 0);
}

TEST_P(KvPrinterProfilesTest, FailedRenameChangesNothing) {
  ASSERT_TRUE(KvAddPrinterProfile(&db(), QStringLiteral("教务处")));
  ASSERT_TRUE(CKvPrintSet().Save(&db(), 7, QStringLiteral("1"), QStringLiteral("教务处")));
  KvSetPrinterMapping(QStringLiteral("教务处"), QStringLiteral("PDF"));
  // A widths table without the profile column makes the last step fail.
  ASSERT_TRUE(db().Execute(QStringLiteral("Drop Table FIELDWIDTH")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table FIELDWIDTH(nFlag Long)")));
  KvMessageRecorder recorder;
  EXPECT_FALSE(KvRenamePrinterProfile(&db(), QStringLiteral("教务处"), QStringLiteral("二楼")));
  EXPECT_FALSE(recorder.messages().isEmpty());
  EXPECT_EQ(names(), QStringList({QStringLiteral("教务处")}));
  EXPECT_EQ(KvCurrentPrinterName(), QStringLiteral("教务处"));
  EXPECT_EQ(KvPrinterMapping(QStringLiteral("教务处")), QStringLiteral("PDF"));
  EXPECT_EQ(count(QStringLiteral("Select Count(*) From KVPAGESET Where SPRINTER='教务处'")), 1);
  EXPECT_EQ(count(QStringLiteral("Select Count(*) From KVFONT Where SPRINTER='教务处'")), 4);
}

TEST_P(KvPrinterProfilesTest, DeleteKeepsTheFormatsAndMovesTheCurrentProfile) {
  ASSERT_TRUE(KvAddPrinterProfile(&db(), QStringLiteral("教务处")));
  ASSERT_TRUE(KvAddPrinterProfile(&db(), QStringLiteral("财务室")));
  CKvPageFormat format;
  format.Title = QStringLiteral("名册");
  ASSERT_TRUE(format.Save(&db(), 803, QStringLiteral("教务处")));

  ASSERT_TRUE(KvDeletePrinterProfile(&db(), QStringLiteral("教务处")));
  EXPECT_EQ(names(), QStringList({QStringLiteral("财务室")}));
  EXPECT_EQ(KvCurrentPrinterName(), QStringLiteral("财务室"));
  // Adding the name again brings its formats back.
  ASSERT_TRUE(KvAddPrinterProfile(&db(), QStringLiteral("教务处")));
  CKvPageFormat loaded;
  ASSERT_TRUE(loaded.Load(&db(), 803, QStringLiteral("教务处")));
  EXPECT_EQ(loaded.Title, QStringLiteral("名册"));
}

KV_DB_KIND_TEST_SUITE(KvPrinterProfilesTest);
