// The main of the data-file benchmarks: an offscreen application with
// settings in a scratch folder and the fee module's program (the archive's
// header and the restore's tables come through it), on the generated year.

#include "bench/KvBenchMain.h"
#include "bench/school/KvFeeBenchProgram.h"

#include <QApplication>

int main(int argc, char** argv) {
  KvBenchEnvironment environment;
  QApplication app(argc, argv);
  KvFeeBenchProgram program;
  program.GetDataFile().SetYear(2024);
  return KvRunBenchmarks(argc, argv);
}
