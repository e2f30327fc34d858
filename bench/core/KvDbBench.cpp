// The database layer against the engines' own C APIs on the same data:
// reading 100,000 rows through CKvQuery, and 10,000 single-row inserts
// through CKvDb::Execute inside one transaction. The raw readers convert
// what they read into the program's types (int, double, QString) as the
// query does. The PostgreSQL cases need the server named by PGHOST, PGPORT,
// PGUSER and PGPASSWORD and are skipped without it.

#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvDbBackend.h"
#include "core/KvMdbPassword.h"
#include "core/KvPgBackend.h"
#include "core/KvSqliteBackend.h"

#include "KvBenchPgDatabase.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <charconv>
#include <libpq-fe.h>
#include <sqlite3.h>

namespace {
constexpr int kReadRows = 100000;
constexpr int kInsertRows = 10000;

QString rowText(int i) { return QStringLiteral("学生 %1").arg(i); }

QString insertText(int i) {
  return QStringLiteral("Insert Into W(K,V,S) Values(") + QString::number(i) + u',' +
         QString::number(i * 0.5) + QStringLiteral(",'") + rowText(i) + QStringLiteral("')");
}

// An SQLite data file with R (the rows read) and W (the rows inserted).
struct SqliteData {
  QString path;
  CKvDb db{0};

  SqliteData() {
    path = QDir::tempPath() + QStringLiteral("/kvbench-%1.xxd").arg(QCoreApplication::applicationPid());
    QFile::remove(path);
    {
      std::unique_ptr<KvSqliteBackend> file = KvSqliteBackend::create(path);
      file->setPasswordDigest(KvMdbPasswordDigest(KvGetStdMdbPassword()));
      sqlite3* raw = file->handle();
      sqlite3_exec(raw,
                   "CREATE TABLE R(K INTEGER, V DOUBLE, S CHAR(20)); "
                   "CREATE TABLE W(K INTEGER, V DOUBLE, S CHAR(20)); BEGIN",
                   nullptr, nullptr, nullptr);
      sqlite3_stmt* insert = nullptr;
      sqlite3_prepare_v2(raw, "INSERT INTO R VALUES(?,?,?)", -1, &insert, nullptr);
      for (int i = 0; i < kReadRows; ++i) {
        const QByteArray text = rowText(i).toUtf8();
        sqlite3_bind_int(insert, 1, i);
        sqlite3_bind_double(insert, 2, i * 0.5);
        sqlite3_bind_text(insert, 3, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
      }
      sqlite3_finalize(insert);
      sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);
    }
    db.Open(path, CKvDbInfo(0));
  }
  ~SqliteData() {
    db.Close();
    QFile::remove(path);
  }
  sqlite3* raw() const { return dynamic_cast<KvSqliteBackend*>(db.GetBackend())->handle(); }
};

SqliteData& sqliteData() {
  static SqliteData data;
  return data;
}

// A database of its own on the PostgreSQL server with the read table R and
// the insert table W.
KvBenchPgDatabase& pgData() {
  static KvBenchPgDatabase data(
      QStringLiteral("kvbench_"),
      QStringLiteral("CREATE TABLE R(K INT, V DOUBLE PRECISION, S VARCHAR(20));"
                     "CREATE TABLE W(K INT, V DOUBLE PRECISION, S VARCHAR(20));"
                     "INSERT INTO R SELECT i, i*0.5, '学生 '||i FROM generate_series(0,%1) i;"
                     "ANALYZE R")
          .arg(kReadRows - 1));
  return data;
}

// --- reading ---

void readThroughQuery(benchmark::State& state, CKvDb& db) {
  for (auto _ : state) {
    CKvQuery query(1, 1, 1, &db);
    query.Open(QStringLiteral("Select K,V,S From R"));
    qint64 sum = 0;
    for (; !query.IsEOF(); query.MoveNext()) {
      sum += query.GetLong(0) + qint64(query.GetDouble(0)) + query.GetText(0).size();
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kReadRows);
}

void BM_ReadSqlite_Raw(benchmark::State& state) {
  sqlite3* raw = sqliteData().raw();
  for (auto _ : state) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(raw, "Select K,V,S From R", -1, &stmt, nullptr);
    qint64 sum = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      const QString text = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2)),
                                             sqlite3_column_bytes(stmt, 2));
      sum += sqlite3_column_int(stmt, 0) + qint64(sqlite3_column_double(stmt, 1)) + text.size();
    }
    sqlite3_finalize(stmt);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kReadRows);
}
BENCHMARK(BM_ReadSqlite_Raw)->Unit(benchmark::kMillisecond);

void BM_ReadSqlite_CKvQuery(benchmark::State& state) { readThroughQuery(state, sqliteData().db); }
BENCHMARK(BM_ReadSqlite_CKvQuery)->Unit(benchmark::kMillisecond);

void BM_ReadPg_Raw(benchmark::State& state) {
  if (!pgData().ready()) return state.SkipWithError("no PostgreSQL server");
  PGconn* raw = pgData().raw();
  for (auto _ : state) {
    PGresult* res = PQexec(raw, "Select K,V,S From R");
    qint64 sum = 0;
    const int rows = PQntuples(res);
    for (int r = 0; r < rows; ++r) {
      int k = 0;
      double v = 0;
      const char* kText = PQgetvalue(res, r, 0);
      std::from_chars(kText, kText + PQgetlength(res, r, 0), k);
      const char* vText = PQgetvalue(res, r, 1);
      std::from_chars(vText, vText + PQgetlength(res, r, 1), v);
      const QString text = QString::fromUtf8(PQgetvalue(res, r, 2), PQgetlength(res, r, 2));
      sum += k + qint64(v) + text.size();
    }
    PQclear(res);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kReadRows);
}
BENCHMARK(BM_ReadPg_Raw)->Unit(benchmark::kMillisecond);

void BM_ReadPg_CKvQuery(benchmark::State& state) {
  if (!pgData().ready()) return state.SkipWithError("no PostgreSQL server");
  readThroughQuery(state, pgData().db);
}
BENCHMARK(BM_ReadPg_CKvQuery)->Unit(benchmark::kMillisecond);

// --- inserting ---

void insertThroughExecute(benchmark::State& state, CKvDb& db) {
  for (auto _ : state) {
    state.PauseTiming();
    db.Execute(QStringLiteral("Delete From W"));
    state.ResumeTiming();
    db.BeginTrans();
    for (int i = 0; i < kInsertRows; ++i) db.Execute(insertText(i));
    db.CommitTrans();
  }
  state.SetItemsProcessed(state.iterations() * kInsertRows);
}

void BM_InsertSqlite_RawPrepared(benchmark::State& state) {
  sqlite3* raw = sqliteData().raw();
  for (auto _ : state) {
    state.PauseTiming();
    sqlite3_exec(raw, "Delete From W", nullptr, nullptr, nullptr);
    state.ResumeTiming();
    sqlite3_exec(raw, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(raw, "Insert Into W(K,V,S) Values(?,?,?)", -1, &insert, nullptr);
    for (int i = 0; i < kInsertRows; ++i) {
      const QByteArray text = rowText(i).toUtf8();
      sqlite3_bind_int(insert, 1, i);
      sqlite3_bind_double(insert, 2, i * 0.5);
      sqlite3_bind_text(insert, 3, text.constData(), int(text.size()), SQLITE_TRANSIENT);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);
  }
  state.SetItemsProcessed(state.iterations() * kInsertRows);
}
BENCHMARK(BM_InsertSqlite_RawPrepared)->Unit(benchmark::kMillisecond);

// The same statement texts as Execute runs, each prepared and run once.
void BM_InsertSqlite_RawText(benchmark::State& state) {
  sqlite3* raw = sqliteData().raw();
  for (auto _ : state) {
    state.PauseTiming();
    sqlite3_exec(raw, "Delete From W", nullptr, nullptr, nullptr);
    state.ResumeTiming();
    sqlite3_exec(raw, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    for (int i = 0; i < kInsertRows; ++i)
      sqlite3_exec(raw, insertText(i).toUtf8().constData(), nullptr, nullptr, nullptr);
    sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);
  }
  state.SetItemsProcessed(state.iterations() * kInsertRows);
}
BENCHMARK(BM_InsertSqlite_RawText)->Unit(benchmark::kMillisecond);

void BM_InsertSqlite_Execute(benchmark::State& state) { insertThroughExecute(state, sqliteData().db); }
BENCHMARK(BM_InsertSqlite_Execute)->Unit(benchmark::kMillisecond);

void BM_InsertPg_RawPrepared(benchmark::State& state) {
  if (!pgData().ready()) return state.SkipWithError("no PostgreSQL server");
  PGconn* raw = pgData().raw();
  // A named statement: a plain query (the Delete below) ends the unnamed one.
  PQclear(PQprepare(raw, "kv_bench_insert", "Insert Into W(K,V,S) Values($1,$2,$3)", 3, nullptr));
  for (auto _ : state) {
    state.PauseTiming();
    PQclear(PQexec(raw, "Delete From W"));
    state.ResumeTiming();
    PQclear(PQexec(raw, "BEGIN"));
    for (int i = 0; i < kInsertRows; ++i) {
      const QByteArray k = QByteArray::number(i);
      const QByteArray v = QByteArray::number(i * 0.5);
      const QByteArray s = rowText(i).toUtf8();
      const char* values[3] = {k.constData(), v.constData(), s.constData()};
      PGresult* result = PQexecPrepared(raw, "kv_bench_insert", 3, values, nullptr, nullptr, 0);
      if (PQresultStatus(result) != PGRES_COMMAND_OK)
        state.SkipWithError("insert failed");
      PQclear(result);
    }
    PQclear(PQexec(raw, "COMMIT"));
  }
  PQclear(PQexec(raw, "DEALLOCATE kv_bench_insert"));
  state.SetItemsProcessed(state.iterations() * kInsertRows);
}
BENCHMARK(BM_InsertPg_RawPrepared)->Unit(benchmark::kMillisecond);

// The same statement texts as Execute runs, each sent once.
void BM_InsertPg_RawText(benchmark::State& state) {
  if (!pgData().ready()) return state.SkipWithError("no PostgreSQL server");
  PGconn* raw = pgData().raw();
  for (auto _ : state) {
    state.PauseTiming();
    PQclear(PQexec(raw, "Delete From W"));
    state.ResumeTiming();
    PQclear(PQexec(raw, "BEGIN"));
    for (int i = 0; i < kInsertRows; ++i) PQclear(PQexec(raw, insertText(i).toUtf8().constData()));
    PQclear(PQexec(raw, "COMMIT"));
  }
  state.SetItemsProcessed(state.iterations() * kInsertRows);
}
BENCHMARK(BM_InsertPg_RawText)->Unit(benchmark::kMillisecond);

void BM_InsertPg_Execute(benchmark::State& state) {
  if (!pgData().ready()) return state.SkipWithError("no PostgreSQL server");
  insertThroughExecute(state, pgData().db);
}
BENCHMARK(BM_InsertPg_Execute)->Unit(benchmark::kMillisecond);
}  // namespace
