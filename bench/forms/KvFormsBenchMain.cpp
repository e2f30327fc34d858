// The main of the form benchmarks: an offscreen application for the views
// to live in, then the benchmarks.

#include "bench/KvBenchMain.h"

#include <QApplication>

int main(int argc, char** argv) {
  KvBenchEnvironment environment;
  QApplication app(argc, argv);
  return KvRunBenchmarks(argc, argv);
}
