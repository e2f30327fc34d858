// The main of the fee module's benchmarks: an offscreen application with
// settings in a scratch folder, the program's application object with the
// fee module (the receipt save logs through it), message boxes answered
// with their default button unseen, then the benchmarks.

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
  return KvRunBenchmarks(argc, argv);
}
