// The main of the application's benchmarks: an offscreen application for
// the windows to live in, with settings and data in a fresh temporary
// folder (the benchmarks log in and write settings), then the benchmarks.

#include "core/KvConst.h"

#include "bench/KvBenchMain.h"

#include <QApplication>

int main(int argc, char** argv) {
  KvBenchEnvironment environment;
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QString::fromLatin1(kv::kOrganisation));
  QApplication::setApplicationName(QString::fromLatin1(kv::kProductKey));
  return KvRunBenchmarks(argc, argv);
}
