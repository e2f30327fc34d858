#include "core/KvWidth.h"

#include <benchmark/benchmark.h>

// Width cuts run for every grid cell drawn and every field checked.
static void BM_LeftByWidth(benchmark::State& state) {
  const QString text = QStringLiteral("青禾苑学校管理软件 School Office ").repeated(8);
  for (auto _ : state)
    benchmark::DoNotOptimize(KvLeftByWidth(text, 120));
}
BENCHMARK(BM_LeftByWidth);
