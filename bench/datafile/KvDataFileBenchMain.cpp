// The main of the data-file benchmarks: an offscreen application with
// settings in a scratch folder, the program's application object with the
// fee module (the archive's header and the restore's tables come through
// it), message boxes answered with their default button unseen.

#include "app/CKvXxApp.h"
#include "core/KvMessage.h"
#include "school/KvSchoolInstall.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir home;
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
  qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
  QApplication app(argc, argv);
  KvSetMessageHandler([](const KvMessage& message) { return message.defaultAnswer(); });
  KvInstallSchool();
  CKvXxApp program;
  program.InitInstance();
  program.GetDataFile().SetOperatorCode(QStringLiteral("101"));
  program.GetDataFile().SetOperatorName(QStringLiteral("管理员"));
  // The generated year's.
  program.GetDataFile().SetYear(2024);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
