// Receipts saved per second: the program's save (checks, payment against
// the term's balances, the PC lock, numbering, three lines inserted while
// their number is free, and the log row, one transaction; its selects kept
// prepared on the connection) against the raw durable commit rate of the
// same back end: the same three PC rows and the log row by prepared
// statements of the engine's own API, one transaction each, on the same
// file or database (same journal and sync). Both run on a generated school
// of 1,000 students; 100 of them owe enough to be paid 1.00 per item for
// as long as the benchmark runs.

#include "KvSchoolBenchData.h"

#include "core/CKvDb.h"
#include "school/CXxDataType.h"
#include "school/KvReceiptSave.h"

#include <benchmark/benchmark.h>

#include <libpq-fe.h>
#include <sqlite3.h>

namespace {

KvSchoolBenchFile& school(int kind) {
  static KvSchoolBenchFile sqlite(0, 1000, QStringLiteral("save"));
  static KvSchoolBenchFile pg(2, 1000, QStringLiteral("save"));
  KvSchoolBenchFile& file = kind == 0 ? sqlite : pg;
  static bool prepared[3] = {false, false, false};
  if (file.ready() && !prepared[kind]) {
    prepared[kind] = true;
    KvOweForReceipts(file);
  }
  return file;
}

void programSaves(benchmark::State& state, int kind) {
  KvSchoolBenchFile& file = school(kind);
  if (!file.ready())
    return state.SkipWithError("no data file");
  CKvDb* pDb = &file.db();
  // As after a login into an open year: the saves check the carried mark.
  pDb->SetCarriedBaseline(0);
  CXxDataType::Get()->ReloadParams(pDb);
  const QList<CPc> lines = KvPayOneOfEachItem();
  int i = 0;
  for (auto _ : state) {
    CPc head;
    head.STD = KvPayingStudent(file, i++, &head.QC);
    head.T = QStringLiteral("20240915");
    head.Opr0 = QStringLiteral("101");
    if (!KvReceiptSave::Save(head, CPc(), lines, true, pDb).bSaved)
      return state.SkipWithError("a save failed");
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_ReceiptSaveSqlite_Program(benchmark::State& state) { programSaves(state, 0); }
BENCHMARK(BM_ReceiptSaveSqlite_Program)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReceiptSaveSqlite_RawCommit(benchmark::State& state) {
  KvSchoolBenchFile& file = school(0);
  if (!file.ready())
    return state.SkipWithError("no data file");
  sqlite3* raw = file.sqliteHandle();
  sqlite3_stmt* line = nullptr;
  sqlite3_stmt* log = nullptr;
  sqlite3_prepare_v2(raw,
                     "Insert Into PC(QC,F,LPR,My,T,DH,Mry,COST,STD,Opr0,Opr1,FS) "
                     "Values(0,-1,0,1.0,'20230915',?,'',?,?,'101','','0')",
                     -1, &line, nullptr);
  sqlite3_prepare_v2(raw, "Insert Into KvLog(nTask,sOp,sT,nTaskID,sNote) Values(0,'管理员(101)',?,1802,?)", -1, &log,
                     nullptr);
  int i = 0;
  for (auto _ : state) {
    const QByteArray number = QByteArray::number(10000 + i % 90000);
    const QByteArray student = file.summary.studentCodes.at(i++ % kBenchPaying).toUtf8();
    sqlite3_exec(raw, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    for (const char* item : {"01", "02", "03"}) {
      sqlite3_bind_text(line, 1, number.constData(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(line, 2, item, -1, SQLITE_STATIC);
      sqlite3_bind_text(line, 3, student.constData(), -1, SQLITE_TRANSIENT);
      sqlite3_step(line);
      sqlite3_reset(line);
    }
    const QByteArray note = "新增：№(2023)" + number;
    sqlite3_bind_text(log, 1, "20230915000000", -1, SQLITE_STATIC);
    sqlite3_bind_text(log, 2, note.constData(), -1, SQLITE_TRANSIENT);
    sqlite3_step(log);
    sqlite3_reset(log);
    if (sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
      return state.SkipWithError("commit failed");
  }
  sqlite3_finalize(line);
  sqlite3_finalize(log);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReceiptSaveSqlite_RawCommit)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReceiptSavePg_Program(benchmark::State& state) { programSaves(state, 2); }
BENCHMARK(BM_ReceiptSavePg_Program)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReceiptSavePg_RawCommit(benchmark::State& state) {
  KvSchoolBenchFile& file = school(2);
  if (!file.ready())
    return state.SkipWithError("no PostgreSQL server");
  PGconn* raw = file.pgHandle();
  PQclear(PQprepare(raw, "kv_line",
                    "Insert Into PC(QC,F,LPR,My,T,DH,Mry,COST,STD,Opr0,Opr1,FS) "
                    "Values(0,-1,0,1.0,'20230915',$1,'',$2,$3,'101','','0')",
                    3, nullptr));
  PQclear(PQprepare(raw, "kv_log",
                    "Insert Into KvLog(nTask,sOp,sT,nTaskID,sNote) Values(0,'管理员(101)','20230915000000',1802,$1)",
                    1, nullptr));
  int i = 0;
  for (auto _ : state) {
    const QByteArray number = QByteArray::number(10000 + i % 90000);
    const QByteArray student = file.summary.studentCodes.at(i++ % kBenchPaying).toUtf8();
    PQclear(PQexec(raw, "BEGIN"));
    for (const char* item : {"01", "02", "03"}) {
      const char* values[3] = {number.constData(), item, student.constData()};
      PQclear(PQexecPrepared(raw, "kv_line", 3, values, nullptr, nullptr, 0));
    }
    const QByteArray note = "新增：№(2023)" + number;
    const char* logValues[1] = {note.constData()};
    PQclear(PQexecPrepared(raw, "kv_log", 1, logValues, nullptr, nullptr, 0));
    PGresult* commit = PQexec(raw, "COMMIT");
    const bool ok = PQresultStatus(commit) == PGRES_COMMAND_OK;
    PQclear(commit);
    if (!ok)
      return state.SkipWithError("commit failed");
  }
  PQclear(PQexec(raw, "DEALLOCATE kv_line"));
  PQclear(PQexec(raw, "DEALLOCATE kv_log"));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReceiptSavePg_RawCommit)->Unit(benchmark::kMillisecond)->UseRealTime();
}  // namespace
