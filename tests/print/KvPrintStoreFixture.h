#pragma once
// A data file on each back-end kind with the parameter table and the
// print-format tables, for the tests of the print-format store; the current
// printer profile and the modules' print defaults are put back afterwards.

#include "core/CKvCsRec.h"
#include "core/KvCurrentPrinter.h"
#include "print/KvPrintProviders.h"
#include "print/KvPrintTables.h"
#include "support/KvTestDb.h"

class KvPrintStoreTest : public KvDbKindTest {
 protected:
  void SetUp() override {
    KvDbKindTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    ASSERT_EQ(CKvCsRec(&db()).CreateTable(), 2);
    ASSERT_TRUE(KvCreatePageSetTable(&db()));
    ASSERT_TRUE(KvCreateFontTable(&db()));
    KvSetCurrentPrinterName(QStringLiteral("教务处"));
  }
  void TearDown() override {
    KvSetCurrentPrinterName(QString());
    KvSetDefaultPrintSetProvider(nullptr);
    KvDbKindTest::TearDown();
  }

  int count(const QString& sql) { return db().GetLong(sql); }
};
