#pragma once
// What the tests of the printer and page-setup dialogs share: an SQLite data
// file with the print-format tables that the application offers as its
// connection, a printer catalogue with one queue ("hp-office": A4 and A5,
// 5 mm it cannot print on each side) that the current profile "教务处" is
// mapped to, and the operation-log entries.

#include "KvPrintStoreFixture.h"
#include "core/KvFakePrinterCatalogue.h"
#include "print/KvPrinterProfiles.h"
#include "ui/KvAppServices.h"
#include "ui/KvObjectNames.h"
#include "ui/KvUiTestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractButton>

class KvSetupDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KV_CREATE_TEST_DB(m_testDb);
    ASSERT_EQ(CKvCsRec(&db()).CreateTable(), 2);
    ASSERT_TRUE(KvCreatePageSetTable(&db()));
    ASSERT_TRUE(KvCreateFontTable(&db()));
    KvFakePrinterCatalogue::Printer queue;
    queue.name = QStringLiteral("hp-office");
    queue.papers = {{QStringLiteral("A4"), 9, 2100, 2970}, {QStringLiteral("A5"), 11, 1480, 2100}};
    for (int& margin : queue.margins)
      margin = 5000;
    printers.printers = {queue};
    printers.defaultName = queue.name;
    KvSetCurrentPrinterName(QStringLiteral("教务处"));
    KvSetPrinterMapping(QStringLiteral("教务处"), QStringLiteral("hp-office"));
    m_previousDb = KvSetAppDbProvider([this] { return &db(); });
    m_previousLog = KvSetLogService(
        [this](int code, const QString& detail) { logged.append({code, detail}); });
  }
  void TearDown() override {
    KvSetLogService(m_previousLog);
    KvSetAppDbProvider(m_previousDb);
    for (const char* profile : {"教务处", "财务室", "二楼"})
      KvSetPrinterMapping(QString::fromUtf8(profile), QString());
    KvSetCurrentPrinterName(QString());
  }

  CKvDb& db() { return m_testDb.db(); }
  static void click(QWidget* dialog, int id) {
    auto* button = KvDlgItem<QAbstractButton>(dialog, id);
    ASSERT_NE(button, nullptr) << id;
    button->click();
  }

  KvFakePrinterCatalogue printers;
  QList<std::pair<int, QString>> logged;

 private:
  KvTestDb m_testDb{0};
  KvAppDbFn m_previousDb;
  KvLogFn m_previousLog;
};
