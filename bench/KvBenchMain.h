#pragma once
// What the main of every benchmark binary does around its own set-up:
//
//   int main(int argc, char** argv) {
//     KvBenchEnvironment environment;
//     QApplication app(argc, argv);
//     ...                      // the modules and objects the binary needs
//     return KvRunBenchmarks(argc, argv);
//   }

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// The offscreen platform, and the settings, data, cache and temporary
// folders in a scratch folder of the run: the benchmarks log in and write
// settings but leave the user's alone, and every file they make goes with
// the folder at exit. The folder is made first and so removed last, after
// the benchmarks' own data made on first use (static objects) has gone.
class KvBenchEnvironment {
 public:
  KvBenchEnvironment() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QTemporaryDir home(QDir::tempPath() + QStringLiteral("/kvbench-XXXXXX"));
    for (const char* sub : {"config", "data", "cache"}) {
      QDir(home.path()).mkpath(QString::fromLatin1(sub));
      qputenv((QByteArray("XDG_") + QByteArray(sub).toUpper() + "_HOME").constData(),
              QFile::encodeName(home.path() + u'/' + QString::fromLatin1(sub)));
    }
    QDir(home.path()).mkpath(QStringLiteral("tmp"));
    qputenv("TMPDIR", QFile::encodeName(home.path() + QStringLiteral("/tmp")));
  }
};

// Runs the benchmarks the command line names; 1 on an argument it does not
// know.
inline int KvRunBenchmarks(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
