// The main of the fee module's benchmarks: an offscreen application with
// settings in a scratch folder and the fee module's program (the receipt
// save logs through it), then the benchmarks.

#include "bench/KvBenchMain.h"
#include "bench/school/KvFeeBenchProgram.h"

#include <QApplication>

int main(int argc, char** argv) {
  KvBenchEnvironment environment;
  QApplication app(argc, argv);
  KvFeeBenchProgram program;
  return KvRunBenchmarks(argc, argv);
}
