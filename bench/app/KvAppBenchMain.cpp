// The main of the application's benchmarks: an offscreen application for
// the windows to live in, with settings and data in a fresh temporary
// folder (the benchmarks log in and write settings), then the benchmarks.

#include "core/KvConst.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir home;
  if (!home.isValid())
    return 2;
  for (const char* sub : {"config", "data", "cache"}) {
    QDir(home.path()).mkpath(QString::fromLatin1(sub));
    qputenv((QByteArray("XDG_") + QByteArray(sub).toUpper() + "_HOME").constData(),
            QFile::encodeName(home.path() + u'/' + QString::fromLatin1(sub)));
  }
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QString::fromLatin1(kv::kOrganisation));
  QApplication::setApplicationName(QString::fromLatin1(kv::kProductKey));
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
