// The main of the data-file benchmarks: an offscreen application with
// settings in a scratch folder, the program's application object with the
// fee module (the archive's header and the restore's tables come through
// it), message boxes answered with their default button unseen.

#include "app/CKvXxApp.h"
#include "core/KvMessage.h"
#include "school/KvSchoolInstall.h"

#include "bench/KvBenchMain.h"

#include <QApplication>

int main(int argc, char** argv) {
  KvBenchEnvironment environment;
  QApplication app(argc, argv);
  KvSetMessageHandler([](const KvMessage& message) { return message.defaultAnswer(); });
  KvInstallSchool();
  CKvXxApp program;
  program.InitInstance();
  program.GetDataFile().SetOperatorCode(QStringLiteral("101"));
  program.GetDataFile().SetOperatorName(QStringLiteral("管理员"));
  // The generated year's.
  program.GetDataFile().SetYear(2024);
  return KvRunBenchmarks(argc, argv);
}
