// The backup archive against the engines' own tools on a generated school
// year of 5,000 students, in one run:
// - SQLite backup: the archive against the online backup API into a new
//   file;
// - SQLite restore (staging, verify, swap; no safety copies) against a raw
//   C-API load of the same rows into the same, empty tables (one prepared
//   insert per table, one transaction), and against copying the backup
//   API's file back;
// - PostgreSQL backup: the archive against pg_dump -Fc;
// - PostgreSQL restore (staging, verify, swap) against createdb and
//   pg_restore.
// The "bytes" counter gives each file's size. The PostgreSQL cases need the
// server named by PGHOST, PGPORT, PGUSER and PGPASSWORD and the client
// tools on PATH, and are skipped without them.

#include "../core/KvBenchPgDatabase.h"
#include "../school/KvSchoolBenchData.h"
#include "core/CKvDb.h"
#include "core/KvArchive.h"
#include "core/KvDbBackend.h"
#include "datafile/CKvMDBBak.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <sqlite3.h>

#include <memory>
#include <unistd.h>

namespace {

constexpr int kStudents = 5000;

QString scratch(const QString& name) {
  return QDir::tempPath() + QStringLiteral("/kvbak-%1-").arg(QCoreApplication::applicationPid()) + name;
}

void removeFile(const QString& path) {
  for (const char* suffix : {"", "-journal", ".kvlock", ".part", ".part-journal", ".part.kvlock"})
    QFile::remove(path + QString::fromLatin1(suffix));
}

// The generated year on SQLite (kind 0) or PostgreSQL (kind 2), made once;
// null, with the benchmark skipped, when it could not be made.
KvSchoolBenchFile* yearOrSkip(benchmark::State& state, int kind) {
  static KvSchoolBenchFile sqlite(0, kStudents, QStringLiteral("bak"));
  static KvSchoolBenchFile pg(2, kStudents, QStringLiteral("bak"));
  KvSchoolBenchFile& year = kind == 0 ? sqlite : pg;
  if (year.ready())
    return &year;
  state.SkipWithError(kind == 0 ? "no data file" : "no PostgreSQL server");
  return nullptr;
}

// The archive of a year, written once.
QString archiveOf(KvSchoolBenchFile& year, const QString& name) {
  const QString path = scratch(name);
  if (!QFileInfo::exists(path))
    CKvMDBBak(&year.db()).SaveBackup(path);
  return path;
}

// Runs a client tool of the server; true when it ended well.
bool runTool(const QString& program, const QStringList& arguments) {
  QProcess tool;
  tool.setProcessChannelMode(QProcess::ForwardedChannels);
  tool.start(program, arguments);
  return tool.waitForStarted() && tool.waitForFinished(600000) && tool.exitStatus() == QProcess::NormalExit &&
         tool.exitCode() == 0;
}

void bytes(benchmark::State& state, const QString& path) {
  state.counters["bytes"] = double(QFileInfo(path).size());
}

// --- SQLite backup ---

// Writes the archive of the year of a kind, again and again.
void archiveBackups(benchmark::State& state, int kind) {
  KvSchoolBenchFile* year = yearOrSkip(state, kind);
  if (!year)
    return;
  const QString path = scratch(QStringLiteral("archive-%1.bak").arg(kind));
  for (auto _ : state)
    if (!CKvMDBBak(&year->db()).SaveBackup(path))
      state.SkipWithError("backup failed");
  bytes(state, path);
  QFile::remove(path);
}

// Restores an archive into a data file of its own, again and again, with no
// safety copies.
void archiveRestores(benchmark::State& state, CKvDb& target, const QString& archive) {
  for (auto _ : state) {
    CKvMDBBak bak(&target);
    bak.SetSafetyBackup(false);
    if (!bak.LoadBackup(archive, 2))
      state.SkipWithError("restore failed");
  }
  bytes(state, archive);
}

void BM_SqliteBackup_Archive(benchmark::State& state) { archiveBackups(state, 0); }
BENCHMARK(BM_SqliteBackup_Archive)->Unit(benchmark::kMillisecond);

void BM_SqliteBackup_OnlineApi(benchmark::State& state) {
  KvSchoolBenchFile* found = yearOrSkip(state, 0);
  if (!found)
    return;
  KvSchoolBenchFile& year = *found;
  const QString path = scratch(QStringLiteral("sqlite-copy.db"));
  for (auto _ : state) {
    QFile::remove(path);
    sqlite3* target = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &target);
    sqlite3_backup* backup = sqlite3_backup_init(target, "main", year.sqliteHandle(), "main");
    if (!backup || sqlite3_backup_step(backup, -1) != SQLITE_DONE)
      state.SkipWithError("backup failed");
    sqlite3_backup_finish(backup);
    sqlite3_close(target);
  }
  bytes(state, path);
  QFile::remove(path);
}
BENCHMARK(BM_SqliteBackup_OnlineApi)->Unit(benchmark::kMillisecond);

// --- SQLite restore ---

void BM_SqliteRestore_Archive(benchmark::State& state) {
  KvSchoolBenchFile* found = yearOrSkip(state, 0);
  if (!found)
    return;
  KvSchoolBenchFile& year = *found;
  const QString archive = archiveOf(year, QStringLiteral("sqlite-restore.bak"));
  // A data file of its own: the restore replaces it.
  const QString path = scratch(QStringLiteral("sqlite-target.xxd"));
  removeFile(path);
  QFile::copy(year.path, path);
  CKvDb target(0);
  if (!target.Open(path, CKvDbInfo(0))) {
    state.SkipWithError("no target");
    return;
  }
  archiveRestores(state, target, archive);
  target.Close();
  removeFile(path);
}
BENCHMARK(BM_SqliteRestore_Archive)->Unit(benchmark::kMillisecond);

// Every row of every table, read once, as the raw load binds them.
struct SqliteRows {
  struct Table {
    QByteArray insert;
    int columns = 0;
    QList<QList<QByteArray>> rows;  // values as text; a null is a null array
  };
  QList<Table> tables;
  explicit SqliteRows(sqlite3* source) {
    sqlite3_stmt* names = nullptr;
    sqlite3_prepare_v2(source, "SELECT name FROM sqlite_schema WHERE type='table'", -1, &names, nullptr);
    while (sqlite3_step(names) == SQLITE_ROW) {
      Table table;
      const QByteArray name(reinterpret_cast<const char*>(sqlite3_column_text(names, 0)));
      sqlite3_stmt* select = nullptr;
      sqlite3_prepare_v2(source, ("SELECT * FROM " + name).constData(), -1, &select, nullptr);
      table.columns = sqlite3_column_count(select);
      QByteArray marks;
      for (int c = 0; c < table.columns; ++c)
        marks += c ? ",?" : "?";
      table.insert = "INSERT INTO " + name + " VALUES(" + marks + ")";
      while (sqlite3_step(select) == SQLITE_ROW) {
        QList<QByteArray> row;
        for (int c = 0; c < table.columns; ++c)
          row.append(sqlite3_column_type(select, c) == SQLITE_NULL
                         ? QByteArray()
                         : QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(select, c))));
        table.rows.append(row);
      }
      sqlite3_finalize(select);
      tables.append(table);
    }
    sqlite3_finalize(names);
  }
};

void BM_SqliteRestore_RawLoad(benchmark::State& state) {
  KvSchoolBenchFile* found = yearOrSkip(state, 0);
  if (!found)
    return;
  KvSchoolBenchFile& year = *found;
  const SqliteRows rows(year.sqliteHandle());
  const QString empty = scratch(QStringLiteral("sqlite-empty.db"));
  const QString path = scratch(QStringLiteral("sqlite-raw.db"));
  QFile::remove(empty);
  {
    // The same tables, no rows.
    sqlite3* target = nullptr;
    sqlite3_open(QFile::encodeName(empty).constData(), &target);
    sqlite3_backup* backup = sqlite3_backup_init(target, "main", year.sqliteHandle(), "main");
    sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    for (const auto& table : rows.tables)
      sqlite3_exec(target, ("DELETE FROM" + table.insert.mid(11, table.insert.indexOf(" VALUES") - 11)).constData(),
                   nullptr, nullptr, nullptr);
    sqlite3_exec(target, "VACUUM", nullptr, nullptr, nullptr);
    sqlite3_close(target);
  }
  for (auto _ : state) {
    state.PauseTiming();
    QFile::remove(path);
    QFile::copy(empty, path);
    state.ResumeTiming();
    sqlite3* target = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &target);
    sqlite3_exec(target, "PRAGMA synchronous=FULL; BEGIN", nullptr, nullptr, nullptr);
    for (const auto& table : rows.tables) {
      sqlite3_stmt* insert = nullptr;
      sqlite3_prepare_v2(target, table.insert.constData(), -1, &insert, nullptr);
      for (const auto& row : table.rows) {
        for (int c = 0; c < table.columns; ++c) {
          if (row[c].isNull())
            sqlite3_bind_null(insert, c + 1);
          else
            sqlite3_bind_text(insert, c + 1, row[c].constData(), int(row[c].size()), SQLITE_STATIC);
        }
        if (sqlite3_step(insert) != SQLITE_DONE)
          state.SkipWithError("insert failed");
        sqlite3_reset(insert);
      }
      sqlite3_finalize(insert);
    }
    sqlite3_exec(target, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(target);
  }
  QFile::remove(path);
  QFile::remove(empty);
}
BENCHMARK(BM_SqliteRestore_RawLoad)->Unit(benchmark::kMillisecond);

void BM_SqliteRestore_CopyFileBack(benchmark::State& state) {
  KvSchoolBenchFile* found = yearOrSkip(state, 0);
  if (!found)
    return;
  KvSchoolBenchFile& year = *found;
  const QString copy = scratch(QStringLiteral("sqlite-backup.db"));
  const QString path = scratch(QStringLiteral("sqlite-back.db"));
  QFile::remove(copy);
  {
    sqlite3* target = nullptr;
    sqlite3_open(QFile::encodeName(copy).constData(), &target);
    sqlite3_backup* backup = sqlite3_backup_init(target, "main", year.sqliteHandle(), "main");
    sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    sqlite3_close(target);
  }
  for (auto _ : state) {
    QFile::remove(path);
    if (!QFile::copy(copy, path))
      state.SkipWithError("copy failed");
    QFile file(path);
    file.open(QIODevice::ReadWrite);
    ::fsync(file.handle());
  }
  bytes(state, copy);
  QFile::remove(path);
  QFile::remove(copy);
}
BENCHMARK(BM_SqliteRestore_CopyFileBack)->Unit(benchmark::kMillisecond);

// --- PostgreSQL ---


void BM_PgBackup_Archive(benchmark::State& state) { archiveBackups(state, 2); }
BENCHMARK(BM_PgBackup_Archive)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PgBackup_PgDump(benchmark::State& state) {
  KvSchoolBenchFile* found = yearOrSkip(state, 2);
  if (!found)
    return;
  KvSchoolBenchFile& year = *found;
  const QString path = scratch(QStringLiteral("pg.dump"));
  const QString database = year.db().GetDatabaseName(true);
  for (auto _ : state)
    if (!runTool(QStringLiteral("pg_dump"), {QStringLiteral("-Fc"), QStringLiteral("-f"), path, database}))
      state.SkipWithError("pg_dump failed");
  bytes(state, path);
  QFile::remove(path);
}
BENCHMARK(BM_PgBackup_PgDump)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PgRestore_Archive(benchmark::State& state) {
  KvSchoolBenchFile* found = yearOrSkip(state, 2);
  if (!found)
    return;
  KvSchoolBenchFile& year = *found;
  const QString archive = archiveOf(year, QStringLiteral("pg-restore.bak"));
  // A database of its own: the restore replaces it.
  const CKvDbInfo info = year.db().GetConnectInfo();
  const QString name = KvBenchFreeName(info, QStringLiteral("kvbak_target_"));
  if (name.isEmpty() || !year.db().CopyDatabase(name)) {
    state.SkipWithError("no target");
    return;
  }
  CKvDb target(2);
  if (target.Open(name, info))
    archiveRestores(state, target, archive);
  else
    state.SkipWithError("no target");
  target.Close();
  KvBenchDropDatabase(info, name);
}
BENCHMARK(BM_PgRestore_Archive)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PgRestore_CreatedbPgRestore(benchmark::State& state) {
  KvSchoolBenchFile* found = yearOrSkip(state, 2);
  if (!found)
    return;
  KvSchoolBenchFile& year = *found;
  const QString dump = scratch(QStringLiteral("pg-restore.dump"));
  if (!runTool(QStringLiteral("pg_dump"), {QStringLiteral("-Fc"), QStringLiteral("-f"), dump, year.db().GetDatabaseName(true)})) {
    state.SkipWithError("pg_dump failed");
    return;
  }
  const QString name = KvBenchFreeName(year.db().GetConnectInfo(), QStringLiteral("kvbak_tool_"));
  for (auto _ : state) {
    // A name another program took in between is never dropped.
    const bool made =
        !name.isEmpty() && runTool(QStringLiteral("createdb"), {QStringLiteral("-T"), QStringLiteral("template0"), name});
    if (!made || !runTool(QStringLiteral("pg_restore"), {QStringLiteral("-d"), name, dump}))
      state.SkipWithError("createdb or pg_restore failed");
    state.PauseTiming();
    if (made)
      runTool(QStringLiteral("dropdb"), {name});
    state.ResumeTiming();
  }
  bytes(state, dump);
  QFile::remove(dump);
}
BENCHMARK(BM_PgRestore_CreatedbPgRestore)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
