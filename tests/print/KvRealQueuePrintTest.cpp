// A print through a real print queue, run only when KV_TEST_CUPS_QUEUE
// names one (the queue must exist; no print server is started here).

#include "core/KvCurrentPrinter.h"
#include "print/CKvPrintForm.h"
#include "print/KvPrinterProfiles.h"
#include "print/KvPrintTestSupport.h"

#include <gtest/gtest.h>

#include <QPrinterInfo>

TEST(KvRealQueuePrintTest, PrintsOnTheNamedQueueWithoutAskingForAFile) {
  const QString queue = qEnvironmentVariable("KV_TEST_CUPS_QUEUE");
  if (queue.isEmpty())
    GTEST_SKIP() << "KV_TEST_CUPS_QUEUE names no print queue: printing through a real queue is not tested";
  ASSERT_TRUE(QPrinterInfo::availablePrinterNames().contains(queue))
      << "no print queue " << queue.toStdString();
  const QString profile = QStringLiteral("真实打印机");
  KvSetCurrentPrinterName(profile);
  KvSetPrinterMapping(profile, queue);

  KvPrintPosField field;
  field.name = QStringLiteral("测试");
  field.text = QStringLiteral("青禾苑打印测试");
  field.x = 300;
  field.y = 400;
  CKvPrintForm form(0, {field});
  KvPrintAnswers answers{QString()};
  EXPECT_TRUE(form.Print(KV_CMD_FILE_PRINT_DIRECT));
  EXPECT_EQ(answers.fileDialogs, 0);

  KvSetPrinterMapping(profile, QString());
  KvSetCurrentPrinterName(QString());
}
