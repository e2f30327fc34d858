#include "core/KvFormat.h"
#include "core/KvNumberText.h"

#include <benchmark/benchmark.h>

// KvFormat builds nearly every text the program shows or sends as SQL.
static void BM_FormatSql(benchmark::State& state) {
  const QString table = QStringLiteral("COST");
  const QString code = QStringLiteral("2024010203");
  for (auto _ : state)
    benchmark::DoNotOptimize(
        KvFormat(QStringLiteral("Select * From %s Where HDO='%s' And XH=%d Order By KNO"), table, code, 42));
}
BENCHMARK(BM_FormatSql);

static void BM_FormatPaddedNumbers(benchmark::State& state) {
  const QString name = QStringLiteral("张三");
  for (auto _ : state)
    benchmark::DoNotOptimize(KvFormat(QStringLiteral("%-10s%8d%12.2f"), name, 1234, 98765.4321));
}
BENCHMARK(BM_FormatPaddedNumbers);

// Every amount cell of a grid goes through the number formatter.
static void BM_NumToText(benchmark::State& state) {
  double value = 1234567.891;
  for (auto _ : state) {
    benchmark::DoNotOptimize(KvNumToText(value, 14, 2, 2, false));
    value += 0.01;
  }
}
BENCHMARK(BM_NumToText);
