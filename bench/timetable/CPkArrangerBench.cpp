// Benchmarks of the placement engine on the generated default school (60
// classes, about 2,000 lessons) in an SQLite data file: placing the loaded
// school, and a full arrange (load, place, check and store).

#include "app/CKvXxApp.h"
#include "core/CKvDb.h"
#include "core/CKvDbInfo.h"
#include "core/KvMessage.h"
#include "school/CXxDataType.h"
#include "school/KvSchoolInstall.h"
#include "support/timetable/KvTimetableGen.h"
#include "timetable/CPkArranger.h"
#include "timetable/KvTimetableInstall.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {
// The default school, written once per process.
CKvDb* school() {
  static QTemporaryDir dir;
  static CKvDb* pDb = [] {
    CKvDb* db = KvGetApp()->GetDb();
    KvTimetableGenOptions options;
    if (!db->CreateDatabase(dir.filePath(QStringLiteral("school.xxd")), CKvDbInfo(0)) ||
        !KvGenerateTimetableSchool(db, options))
      return static_cast<CKvDb*>(nullptr);
    return db;
  }();
  return pDb;
}

void PlaceLoadedSchool(benchmark::State& state) {
  CKvDb* pDb = school();
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

void FullArrangeSqlite(benchmark::State& state) {
  CKvDb* pDb = school();
  if (!pDb) {
    state.SkipWithError("the school could not be written");
    return;
  }
  for (auto _ : state) {
    CPkArranger arranger(QStringLiteral("2024"), 1, QStringLiteral("20240901"), QStringLiteral("01"), pDb);
    arranger.Arrange();
    benchmark::DoNotOptimize(arranger.GetClassesSaved());
  }
}
BENCHMARK(FullArrangeSqlite)->Unit(benchmark::kMillisecond);
}  // namespace

int main(int argc, char** argv) {
  QCoreApplication qapp(argc, argv);
  // Every question is answered Yes; nothing is shown.
  KvSetMessageHandler([](const KvMessage& message) {
    return message.answers().contains(KV_IDYES) ? int(KV_IDYES) : message.defaultAnswer();
  });
  KvInstallSchool();
  KvInstallTimetable();
  CKvXxApp app;
  if (!app.InitInstance())
    return 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
