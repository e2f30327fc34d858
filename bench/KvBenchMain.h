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

// The offscreen platform, and the settings, data and cache folders in a
// scratch folder for the run: the benchmarks log in and write settings but
// leave the user's alone.
class KvBenchEnvironment {
 public:
  KvBenchEnvironment() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    for (const char* sub : {"config", "data", "cache"}) {
      QDir(m_home.path()).mkpath(QString::fromLatin1(sub));
      qputenv((QByteArray("XDG_") + QByteArray(sub).toUpper() + "_HOME").constData(),
              QFile::encodeName(m_home.path() + u'/' + QString::fromLatin1(sub)));
    }
  }

 private:
  QTemporaryDir m_home;
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
