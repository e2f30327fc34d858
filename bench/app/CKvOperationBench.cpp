// Writing the operation log: 10,000 entries through CKvOperation (the note
// made, every text quoted, the statement translated and run by CKvDb)
// against the engines' own C APIs running the same statement texts
// (sqlite3_exec, PQexec). Both sides write inside one transaction, so the
// disk's flush does not hide the program's own cost. The PostgreSQL cases
// need the server named by PGHOST, PGPORT, PGUSER and PGPASSWORD and are
// skipped without it.

#include "app/CKvOperation.h"
#include "app/CKvTaskLog.h"
#include "app/CKvXxApp.h"
#include "bench/core/KvBenchPgDatabase.h"
#include "core/CKvDb.h"
#include "core/KvMdbPassword.h"
#include "core/KvSqliteBackend.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <libpq-fe.h>
#include <sqlite3.h>

namespace {
constexpr int kEntries = 10000;

QString noteText(int i) { return QStringLiteral("打印“学生名册%1”").arg(i); }

// The statement CKvOperation runs for entry i.
QByteArray rawText(int i) {
  return QStringLiteral("Insert Into KvLog(nTask,sOp,sT,nTaskID,sNote) Values(1,'管理员(101)','%1',17,'%2')")
      .arg(CKvOperation::NowText(), noteText(i))
      .toUtf8();
}

// The application (one per benchmark) with its data file open as operator
// 101 in period 1, on an SQLite file or on the benchmark's PostgreSQL
// database.
class LogTarget {
 public:
  LogTarget() {
    m_path = QDir::tempPath() + QStringLiteral("/kvlogbench-%1.xxd").arg(QCoreApplication::applicationPid());
    QFile::remove(m_path);
    KvSqliteBackend::create(m_path)->setPasswordDigest(KvMdbPasswordDigest(KvGetStdMdbPassword()));
    CKvDataFile& file = m_app.GetDataFile();
    file.SetOperatorCode(QStringLiteral("101"));
    file.SetOperatorName(QStringLiteral("管理员"));
    m_app.GetTask().nTask = 1;
  }
  ~LogTarget() {
    m_app.GetDb()->Close();
    QFile::remove(m_path);
  }

  // The application's connection on the SQLite file, or on PostgreSQL;
  // null when it cannot be opened.
  CKvDb* UseSqlite() {
    CKvDataFile& file = m_app.GetDataFile();
    file.SetKind(0);
    return Open(m_path, CKvDbInfo(0));
  }
  CKvDb* UsePg(KvBenchPgDatabase& pg) {
    CKvDataFile& file = m_app.GetDataFile();
    file.SetKind(1);
    file.SetServerBackend(2);
    return pg.ready() ? Open(pg.name, pg.info) : nullptr;
  }

 private:
  CKvDb* Open(const QString& name, const CKvDbInfo& info) {
    CKvDb* db = m_app.GetDb();
    if (!db->IsOpen() && (!db->Open(name, info) || !CKvTaskLog::CreateTables(db)))
      return nullptr;
    return db;
  }

  CKvXxApp m_app;
  QString m_path;
};

KvBenchPgDatabase& pgData() {
  static KvBenchPgDatabase data(QStringLiteral("kvlogbench_"), QString());
  return data;
}

void writeThroughOperation(benchmark::State& state, CKvDb* db) {
  for (auto _ : state) {
    state.PauseTiming();
    db->Execute(QStringLiteral("Delete From KvLog"));
    state.ResumeTiming();
    db->BeginTrans();
    for (int i = 0; i < kEntries; ++i)
      CKvOperation(17, noteText(i));
    db->CommitTrans();
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}

void BM_LogSqlite_Raw(benchmark::State& state) {
  LogTarget target;
  CKvDb* db = target.UseSqlite();
  if (!db) return state.SkipWithError("cannot open the SQLite file");
  sqlite3* raw = dynamic_cast<KvSqliteBackend*>(db->GetBackend())->handle();
  for (auto _ : state) {
    state.PauseTiming();
    sqlite3_exec(raw, "Delete From KvLog", nullptr, nullptr, nullptr);
    state.ResumeTiming();
    sqlite3_exec(raw, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    for (int i = 0; i < kEntries; ++i)
      sqlite3_exec(raw, rawText(i).constData(), nullptr, nullptr, nullptr);
    sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_LogSqlite_Raw)->Unit(benchmark::kMillisecond);

void BM_LogSqlite_CKvOperation(benchmark::State& state) {
  LogTarget target;
  CKvDb* db = target.UseSqlite();
  if (!db) return state.SkipWithError("cannot open the SQLite file");
  writeThroughOperation(state, db);
}
BENCHMARK(BM_LogSqlite_CKvOperation)->Unit(benchmark::kMillisecond);

void BM_LogPg_Raw(benchmark::State& state) {
  LogTarget target;
  if (!pgData().ready() || !target.UsePg(pgData()))
    return state.SkipWithError("no PostgreSQL server");
  PGconn* raw = pgData().raw();
  PQclear(PQexec(raw, "CREATE TABLE IF NOT EXISTS KvLog(nTask INT,sOp VARCHAR(20),sT VARCHAR(14),"
                      "nTaskID INT,sNote VARCHAR(240))"));
  for (auto _ : state) {
    state.PauseTiming();
    PQclear(PQexec(raw, "Delete From KvLog"));
    state.ResumeTiming();
    PQclear(PQexec(raw, "BEGIN"));
    for (int i = 0; i < kEntries; ++i)
      PQclear(PQexec(raw, rawText(i).constData()));
    PQclear(PQexec(raw, "COMMIT"));
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_LogPg_Raw)->Unit(benchmark::kMillisecond);

void BM_LogPg_CKvOperation(benchmark::State& state) {
  LogTarget target;
  CKvDb* db = pgData().ready() ? target.UsePg(pgData()) : nullptr;
  if (!db) return state.SkipWithError("no PostgreSQL server");
  writeThroughOperation(state, db);
}
BENCHMARK(BM_LogPg_CKvOperation)->Unit(benchmark::kMillisecond);
}  // namespace
