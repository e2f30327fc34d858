// The making of a new year's data file from the generated year of 5,000
// students, on SQLite and on PostgreSQL (skipped without a server), in its
// steps:
// - TablesAndInformation: the new file with every table, the previous
//   year's information and the default rows, as the new year's creation
//   makes it before the carry;
// - Check: the modules' checks of the carry (they load the previous year's
//   parameters the carry works with);
// - Carry: the carry pass, every item of the catalogue in one transaction of
//   the new file;
// - Raw: the rows one carry pass writes, copied through the engine's C API
//   from a reference file into the same, emptied tables: one prepared
//   insert per table, one transaction.
// Each step's iteration makes the new file under a name of its own and
// drops it afterwards, untimed; the generated year is made once per process.

#include "../core/KvBenchPgDatabase.h"
#include "../school/KvSchoolBenchData.h"
#include "app/CKvApp.h"
#include "app/CKvDataType.h"
#include "core/CKvDb.h"
#include "core/KvCopyTable.h"
#include "core/KvDbBackend.h"
#include "core/KvDbTransaction.h"
#include "core/KvPgBackend.h"
#include "core/KvSqliteBackend.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <libpq-fe.h>
#include <sqlite3.h>

namespace {
constexpr int kNewYear = 2025;

// The server connection that new databases are made and dropped with.
KvBenchPgDatabase& server() {
  static KvBenchPgDatabase data(QStringLiteral("kvnewyear_"), QString());
  return data;
}

CKvDbInfo infoOf(int kind) { return kind == 0 ? CKvDbInfo(0) : server().info; }

// The n-th name to try for the file or database of a role: a scratch file,
// or a database name on the server that nobody has now.
QString scratchName(int kind, const char* role, int n) {
  if (kind == 0)
    return QDir::tempPath() + QStringLiteral("/kvnewyear-%1-%2-%3.xxd")
                                  .arg(QCoreApplication::applicationPid())
                                  .arg(QLatin1String(role))
                                  .arg(n);
  return server().ready() ? KvBenchFreeName(server().info, QStringLiteral("kvnewyear_%1_").arg(QLatin1String(role)))
                          : QString();
}

// Makes the file or database of a role under *name (a free one is asked
// for when it is empty) and opens `target` on it. A name that is there
// already is another's and is never dropped: the next free one is tried.
// False, with *name empty, when none could be made.
bool makeScratch(CKvDb& target, int kind, const char* role, QString* name) {
  for (int n = 0; n < 20; ++n) {
    if (name->isEmpty())
      *name = scratchName(kind, role, n);
    if (name->isEmpty())
      break;
    if (!(kind == 0 && QFile::exists(*name)) && target.CreateDatabase(*name, infoOf(kind)))
      return true;
    if (kind != 0 && !server().master.DatabaseExists(*name))
      break;
    name->clear();
  }
  name->clear();
  return false;
}

// Drops the benchmark's own file or database of a role.
void dropScratch(int kind, const QString& name) {
  if (name.isEmpty())
    return;
  if (kind == 0) {
    for (const char* suffix : {"", "-journal", ".kvlock"})
      QFile::remove(name + QString::fromLatin1(suffix));
  } else if (server().ready()) {
    KvBenchDropDatabase(server().info, name);
  }
}

// The new year's file made for a role under *name (see makeScratch; the
// caller drops what it names afterwards) with its tables, the previous
// year's information and the default rows, open on `target`.
bool makeNewFile(CKvDb& previous, CKvDb& target, int kind, const char* role, QString* name) {
  target.Close();
  CKvApp* app = KvGetApp();
  if (!makeScratch(target, kind, role, name) || !app->CreateAllTables(&target) || !target.Reopen())
    return false;
  KvDbTransaction transaction(target);
  return transaction.IsActive() && KvCopyTableStrict(&previous, &target, QStringLiteral("SysTab")) &&
         target.Execute(QStringLiteral("Update SysTab Set PY=%1,MM=0").arg(kNewYear)) &&
         app->CarrySystemTables(&previous, &target) && transaction.Commit() &&
         app->InsertDefaultRows(&target, kNewYear);
}

struct Catalogue {
  QList<int> numbers;
  QStringList captions;
  QStringList tables;
  Catalogue() { KvGetApp()->GetCarryCatalogue(numbers, captions, tables); }
  // The tables the items write, each once.
  QStringList carried() const {
    QStringList names;
    for (const QString& list : tables) {
      for (const QString& name : list.split(u' ', Qt::SkipEmptyParts)) {
        if (!names.contains(name))
          names.append(name);
      }
    }
    return names;
  }
};

bool checkPass(CKvDb& previous, CKvDb& target, const Catalogue& catalogue) {
  for (qsizetype i = 0; i < catalogue.numbers.size(); ++i) {
    const int number = catalogue.numbers.at(i);
    CKvDataType* type = KvFindDataType(number / 1000);
    QString message;
    if (type && type->CheckCarryOver((number / 100) % 10, number % 100, catalogue.captions.at(i),
                                     catalogue.tables.at(i), &previous, &target, message) == -1)
      return false;
  }
  return true;
}

bool carryPass(CKvDb& previous, CKvDb& target, const Catalogue& catalogue) {
  KvDbTransaction transaction(target);
  for (qsizetype i = 0; i < catalogue.numbers.size(); ++i) {
    const int number = catalogue.numbers.at(i);
    CKvDataType* type = KvFindDataType(number / 1000);
    if (type && !type->CarryOver((number / 100) % 10, number % 100, &previous, &target, 0))
      return false;
  }
  return transaction.Commit();
}

// The rows one carry pass writes, made once per kind and removed at exit.
struct Reference {
  explicit Reference(int kind) : kind(kind), db(kind) {
    KvSchoolBenchFile& year = KvSchoolYearFile(kind);
    const Catalogue catalogue;
    if (!year.ready() || !makeNewFile(year.db(), db, kind, "reference", &name) ||
        !checkPass(year.db(), db, catalogue) ||
        !carryPass(year.db(), db, catalogue))
      db.Close();
  }
  ~Reference() {
    db.Close();
    dropScratch(kind, name);
  }
  int kind;
  QString name;
  CKvDb db;
};

CKvDb& reference(int kind) {
  if (kind == 0) {
    static Reference file(0);
    return file.db;
  }
  static Reference database(2);
  return database.db;
}

sqlite3* sqliteOf(CKvDb& db) { return dynamic_cast<KvSqliteBackend*>(db.GetBackend())->handle(); }
PGconn* pgOf(CKvDb& db) { return dynamic_cast<KvPgBackend*>(db.GetBackend())->handle(); }

bool rawSqliteCopy(sqlite3* source, sqlite3* target, const QStringList& tables) {
  bool ok = sqlite3_exec(target, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
  for (const QString& table : tables) {
    sqlite3_stmt* select = nullptr;
    sqlite3_stmt* insert = nullptr;
    ok = ok && sqlite3_prepare_v2(source, ("SELECT * FROM " + table.toUtf8()).constData(), -1, &select,
                                  nullptr) == SQLITE_OK;
    const int columns = select ? sqlite3_column_count(select) : 0;
    QByteArray sql = "INSERT INTO " + table.toUtf8() + " VALUES(";
    for (int c = 0; c < columns; ++c)
      sql += c ? ",?" : "?";
    sql += ")";
    ok = ok && sqlite3_prepare_v2(target, sql.constData(), -1, &insert, nullptr) == SQLITE_OK;
    while (ok && sqlite3_step(select) == SQLITE_ROW) {
      for (int c = 0; c < columns; ++c)
        sqlite3_bind_value(insert, c + 1, sqlite3_column_value(select, c));
      ok = sqlite3_step(insert) == SQLITE_DONE;
      sqlite3_reset(insert);
    }
    sqlite3_finalize(select);
    sqlite3_finalize(insert);
  }
  return sqlite3_exec(target, ok ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr) == SQLITE_OK && ok;
}

// Every value comes and goes as text; a bytea's text is its hex form, which
// the insert reads back as the same bytes.
bool rawPgCopy(PGconn* source, PGconn* target, const QStringList& tables) {
  const auto command = [&](const char* sql) {
    PGresult* result = PQexec(target, sql);
    const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
    PQclear(result);
    return ok;
  };
  bool ok = command("BEGIN");
  for (qsizetype t = 0; ok && t < tables.size(); ++t) {
    PGresult* rows = PQexec(source, ("SELECT * FROM " + tables[t].toUtf8()).constData());
    ok = PQresultStatus(rows) == PGRES_TUPLES_OK;
    const int columns = ok ? PQnfields(rows) : 0;
    QByteArray sql = "INSERT INTO " + tables[t].toUtf8() + " VALUES(";
    for (int c = 0; c < columns; ++c)
      sql += (c ? ",$" : "$") + QByteArray::number(c + 1);
    sql += ")";
    const QByteArray statement = "kv_raw_" + QByteArray::number(t);
    if (ok) {
      PGresult* prepared = PQprepare(target, statement.constData(), sql.constData(), columns, nullptr);
      ok = PQresultStatus(prepared) == PGRES_COMMAND_OK;
      PQclear(prepared);
    }
    QList<const char*> values(columns);
    for (int r = 0; ok && r < PQntuples(rows); ++r) {
      for (int c = 0; c < columns; ++c)
        values[c] = PQgetisnull(rows, r, c) ? nullptr : PQgetvalue(rows, r, c);
      PGresult* result = PQexecPrepared(target, statement.constData(), columns, values.constData(), nullptr,
                                        nullptr, 0);
      ok = PQresultStatus(result) == PGRES_COMMAND_OK;
      PQclear(result);
    }
    PQclear(rows);
  }
  return command(ok ? "COMMIT" : "ROLLBACK") && ok;
}

enum class Step { TablesAndInformation, Check, Carry, Raw };

void runStep(benchmark::State& state, int kind, Step step) {
  KvSchoolBenchFile& year = KvSchoolYearFile(kind);
  if (kind != 0 && !server().ready())
    return state.SkipWithError("no PostgreSQL server");
  if (!year.ready())
    return state.SkipWithError("no generated year");
  CKvDb* rows = step == Step::Raw ? &reference(kind) : nullptr;
  if (rows && !rows->IsOpen())
    return state.SkipWithError("the reference carry failed");
  const Catalogue catalogue;
  const QStringList tables = catalogue.carried();
  CKvDb target(kind);
  // Free again once an iteration dropped it, unless another program took it.
  QString name;
  for (auto _ : state) {
    if (step != Step::TablesAndInformation)
      state.PauseTiming();
    bool ok = makeNewFile(year.db(), target, kind, "target", &name);
    if (step == Step::Carry)
      ok = ok && checkPass(year.db(), target, catalogue);
    // The raw copy writes every row of the carried tables, the default
    // ones included.
    for (qsizetype t = 0; ok && step == Step::Raw && t < tables.size(); ++t)
      ok = target.Execute(QStringLiteral("Delete From ") + tables[t]);
    if (step != Step::TablesAndInformation)
      state.ResumeTiming();
    if (step == Step::Check)
      ok = ok && checkPass(year.db(), target, catalogue);
    else if (step == Step::Carry)
      ok = ok && carryPass(year.db(), target, catalogue);
    else if (step == Step::Raw)
      ok = ok && (kind == 0 ? rawSqliteCopy(sqliteOf(*rows), sqliteOf(target), tables)
                            : rawPgCopy(pgOf(*rows), pgOf(target), tables));
    // Only what this iteration made is dropped, untimed.
    state.PauseTiming();
    target.Close();
    dropScratch(kind, name);
    state.ResumeTiming();
    if (!ok) {
      state.SkipWithError("the step failed");
      break;
    }
  }
}

void BM_SqliteNewYear_TablesAndInformation(benchmark::State& state) {
  runStep(state, 0, Step::TablesAndInformation);
}
void BM_SqliteNewYear_Check(benchmark::State& state) { runStep(state, 0, Step::Check); }
void BM_SqliteNewYear_Carry(benchmark::State& state) { runStep(state, 0, Step::Carry); }
void BM_SqliteNewYear_Raw(benchmark::State& state) { runStep(state, 0, Step::Raw); }
void BM_PgNewYear_TablesAndInformation(benchmark::State& state) { runStep(state, 2, Step::TablesAndInformation); }
void BM_PgNewYear_Check(benchmark::State& state) { runStep(state, 2, Step::Check); }
void BM_PgNewYear_Carry(benchmark::State& state) { runStep(state, 2, Step::Carry); }
void BM_PgNewYear_Raw(benchmark::State& state) { runStep(state, 2, Step::Raw); }
BENCHMARK(BM_SqliteNewYear_TablesAndInformation)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteNewYear_Check)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteNewYear_Carry)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteNewYear_Raw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PgNewYear_TablesAndInformation)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PgNewYear_Check)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PgNewYear_Carry)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PgNewYear_Raw)->Unit(benchmark::kMillisecond);
}  // namespace
