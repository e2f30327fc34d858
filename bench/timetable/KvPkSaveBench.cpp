// The save of an arrange run on the generated default school: the
// arranger's SaveResult (every class checked, then the selection's rows
// deleted and about 1,980 lessons inserted through one prepared statement,
// in one transaction) against the raw engine doing the same delete and
// inserts in one transaction on the same connection (same journal and
// sync): SQLite's C API, and libpq on PostgreSQL. Each save follows a run
// of its own, as in the program, whose load and placing are not timed.

#include "KvPkBenchSchool.h"
#include "core/CKvDb.h"
#include "core/KvPgBackend.h"
#include "core/KvSqliteBackend.h"
#include "timetable/CPkArranger.h"
#include "timetable/CPkGrid.h"

#include <benchmark/benchmark.h>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <memory>
#include <vector>

namespace {
const char* const kDelete = "DELETE FROM PK WHERE Y='2024' AND QC='1' AND T='20240901' AND substr(STD,1,2)='01'";

// One PK row as text, in the column order of the insert.
struct Lesson {
  QByteArray values[11];
};

// The arranger of the school, placed once, and its lessons as rows.
struct Placed {
  std::unique_ptr<CPkArranger> arranger;
  std::vector<Lesson> lessons;
};

Placed place(CKvDb* pDb) {
  Placed placed;
  placed.arranger =
      std::make_unique<CPkArranger>(QStringLiteral("2024"), 1, QStringLiteral("20240901"), QStringLiteral("01"), pDb);
  if (!placed.arranger->Load() || !placed.arranger->PlaceAllClasses())
    return {};
  for (int c = 0; c < placed.arranger->GetClassCount(); ++c) {
    const CPkGrid grid = placed.arranger->GetClassGrid(c);
    for (int k = 0; k < CPkGrid::kKinds; ++k)
      for (int d = 0; d < 7; ++d)
        for (int s = 0; s < 4; ++s) {
          const int i = CPkGrid::ArrayIndex(k, d, s);
          for (qsizetype p = 0; p < grid.CourseCells[i].size(); ++p) {
            if (grid.CourseCells[i][p].isEmpty())
              continue;
            placed.lessons.push_back({{"2024", "1", "20240901", grid.STD.toUtf8(), QByteArray::number(d),
                                       QByteArray(1, char('A' + s)), QByteArray::number(p + 1), QByteArray::number(k),
                                       grid.CourseCells[i][p].toUtf8(), grid.TeacherCells[i][p].toUtf8(),
                                       grid.RoomCells[i][p].toUtf8()}});
          }
        }
  }
  return placed;
}

void projectSave(benchmark::State& state, CKvDb* pDb) {
  if (!pDb) {
    state.SkipWithError("no school");
    return;
  }
  // As after a login into an open year: the save checks the carried mark.
  pDb->SetCarriedBaseline(0);
  Placed placed = place(pDb);
  if (!placed.arranger) {
    state.SkipWithError("the school could not be placed");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    const bool run = placed.arranger->Load() && placed.arranger->PlaceAllClasses();
    state.ResumeTiming();
    if (!run || !placed.arranger->SaveResult())
      state.SkipWithError("the save failed");
  }
  state.counters["lessons"] = double(placed.lessons.size());
}

void ArrangeSaveSqlite(benchmark::State& state) { projectSave(state, KvPkBenchSqliteSchool()); }
BENCHMARK(ArrangeSaveSqlite)->Unit(benchmark::kMillisecond);

void RawSaveSqlite(benchmark::State& state) {
  CKvDb* pDb = KvPkBenchSqliteSchool();
  Placed placed = pDb ? place(pDb) : Placed{};
  if (!placed.arranger) {
    state.SkipWithError("no school");
    return;
  }
  sqlite3* raw = dynamic_cast<KvSqliteBackend*>(pDb->GetBackend())->handle();
  for (auto _ : state) {
    sqlite3_exec(raw, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_exec(raw, kDelete, nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(raw, "INSERT INTO PK(Y,QC,T,STD,WK,DT,DN,DS,SBT,TCHR,PUBRM) VALUES(?,?,?,?,?,?,?,?,?,?,?)",
                       -1, &insert, nullptr);
    for (const Lesson& lesson : placed.lessons) {
      for (int i = 0; i < 11; ++i)
        sqlite3_bind_text(insert, i + 1, lesson.values[i].constData(), int(lesson.values[i].size()), SQLITE_STATIC);
      if (sqlite3_step(insert) != SQLITE_DONE)
        state.SkipWithError("insert failed");
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);
  }
  state.counters["lessons"] = double(placed.lessons.size());
}
BENCHMARK(RawSaveSqlite)->Unit(benchmark::kMillisecond);

void ArrangeSavePostgres(benchmark::State& state) { projectSave(state, KvPkBenchPgSchool()); }
BENCHMARK(ArrangeSavePostgres)->Unit(benchmark::kMillisecond);

void RawSavePostgres(benchmark::State& state) {
  CKvDb* pDb = KvPkBenchPgSchool();
  Placed placed = pDb ? place(pDb) : Placed{};
  if (!placed.arranger) {
    state.SkipWithError("no PostgreSQL server");
    return;
  }
  PGconn* raw = dynamic_cast<KvPgBackend*>(pDb->GetBackend())->handle();
  int round = 0;
  for (auto _ : state) {
    PQclear(PQexec(raw, "BEGIN"));
    PQclear(PQexec(raw, kDelete));
    const QByteArray name = "kvpk_insert_" + QByteArray::number(++round);
    PQclear(PQprepare(raw, name.constData(),
                      "INSERT INTO PK(Y,QC,T,STD,WK,DT,DN,DS,SBT,TCHR,PUBRM) "
                      "VALUES($1,$2,$3,$4,$5,$6,$7,$8,$9,$10,$11)",
                      11, nullptr));
    for (const Lesson& lesson : placed.lessons) {
      const char* values[11];
      for (int i = 0; i < 11; ++i)
        values[i] = lesson.values[i].constData();
      PGresult* result = PQexecPrepared(raw, name.constData(), 11, values, nullptr, nullptr, 0);
      if (PQresultStatus(result) != PGRES_COMMAND_OK)
        state.SkipWithError("insert failed");
      PQclear(result);
    }
    PQclear(PQexec(raw, ("DEALLOCATE " + name).constData()));
    PQclear(PQexec(raw, "COMMIT"));
  }
  state.counters["lessons"] = double(placed.lessons.size());
}
BENCHMARK(RawSavePostgres)->Unit(benchmark::kMillisecond);
}  // namespace
