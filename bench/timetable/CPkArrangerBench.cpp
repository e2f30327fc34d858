// Benchmarks of the placement engine on the generated default school (60
// classes, about 2,000 lessons): placing the loaded school (SQLite), and a
// full arrange (load, place, check and store) on SQLite and PostgreSQL.

#include "KvPkBenchSchool.h"
#include "timetable/CPkArranger.h"

#include <benchmark/benchmark.h>

namespace {
void PlaceLoadedSchool(benchmark::State& state) {
  CKvDb* pDb = KvPkBenchSqliteSchool();
  if (!pDb) {
    state.SkipWithError("the school could not be written");
    return;
  }
  CPkArranger arranger(QStringLiteral("2024"), 1, QStringLiteral("20240901"), QStringLiteral("01"), pDb);
  if (!arranger.Load()) {
    state.SkipWithError("no schedule");
    return;
  }
  for (auto _ : state)
    benchmark::DoNotOptimize(arranger.PlaceAllClasses());
  state.counters["planned"] = arranger.GetLessonsPlanned();
  state.counters["placed"] = arranger.GetLessonsPlaced();
}
BENCHMARK(PlaceLoadedSchool)->Unit(benchmark::kMillisecond);

// The whole command as the window gives it: load, place, check and store.
void fullArrange(benchmark::State& state, CKvDb* pDb) {
  if (!pDb) {
    state.SkipWithError("no school");
    return;
  }
  for (auto _ : state) {
    CPkArranger arranger(QStringLiteral("2024"), 1, QStringLiteral("20240901"), QStringLiteral("01"), pDb);
    arranger.Arrange();
    benchmark::DoNotOptimize(arranger.GetClassesSaved());
  }
}

void FullArrangeSqlite(benchmark::State& state) { fullArrange(state, KvPkBenchSqliteSchool()); }
BENCHMARK(FullArrangeSqlite)->Unit(benchmark::kMillisecond);

void FullArrangePostgres(benchmark::State& state) { fullArrange(state, KvPkBenchPgSchool()); }
BENCHMARK(FullArrangePostgres)->Unit(benchmark::kMillisecond);
}  // namespace

