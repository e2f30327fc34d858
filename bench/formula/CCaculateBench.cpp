#include "formula/CCaculate.h"
#include "formula/CKvVarList.h"

#include <benchmark/benchmark.h>

// A grid's formula column evaluates its expression once per row, so one
// evaluation of a typical column formula is the unit that counts.
static void BM_EvaluateColumnFormula(benchmark::State& state) {
  CCaculate calc;
  const QString expression = QStringLiteral("ROUND((1250.5+380*2-MAX(0,120.25))*0.95,2)");
  double value = 0.0;
  for (auto _ : state) {
    calc.Evaluate(expression, &value);
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(BM_EvaluateColumnFormula);

// The calculator's starting expression for a selected block of cells: the
// cell values joined with "+".
static void BM_EvaluateLongSum(benchmark::State& state) {
  QStringList cells;
  for (int i = 0; i < 500; ++i)
    cells << QString::number(100 + i) + QStringLiteral(".25");
  const QString expression = cells.join(u'+');
  CCaculate calc;
  QString result;
  for (auto _ : state) {
    calc.EvaluateText(expression, &result);
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_EvaluateLongSum);

// Formulas that name module variables, each resolved through its expression.
static void BM_EvaluateWithVariables(benchmark::State& state) {
  const int soft = 9950;
  CKvVarList::RegisterBuiltIn(soft, {1, QStringLiteral("学费"), QStringLiteral("1200"), {}, 0});
  CKvVarList::RegisterBuiltIn(soft, {2, QStringLiteral("减免率"), QStringLiteral("0.25"), {}, 0});
  CKvVarList::RegisterBuiltIn(soft, {3, QStringLiteral("应收"),
                                     QStringLiteral("学费*(1-减免率)"), {}, 0});
  CKvVarList vars(soft);
  vars.Reload();
  CCaculate calc(&vars);
  double value = 0.0;
  for (auto _ : state) {
    calc.Evaluate(QStringLiteral("应收+学费/2"), &value);
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(BM_EvaluateWithVariables);

BENCHMARK_MAIN();
