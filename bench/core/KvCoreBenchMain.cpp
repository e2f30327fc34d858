// The main of the core benchmarks: the scratch folders of the run, where
// their data files and lock files go, then the benchmarks.

#include "bench/KvBenchMain.h"

int main(int argc, char** argv) {
  KvBenchEnvironment environment;
  return KvRunBenchmarks(argc, argv);
}
