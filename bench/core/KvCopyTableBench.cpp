// Copying a 50,000-row table (integer, double, text and a small binary
// column) with KvCopyTable and with the strict copy (KvCopyTableStrict) from
// an SQLite file into another SQLite file and into a PostgreSQL database, and
// from one PostgreSQL database into another, against a raw copy through the
// engines' C APIs on the same data: the source read with sqlite3 or libpq,
// the target written by one prepared insert with bound values inside one
// transaction. Into PostgreSQL, where the strict copy streams its rows with
// COPY, the raw COPY of the same rows is measured too (RawCopy). The data is
// made once per process. The PostgreSQL cases need the server named by PGHOST,
// PGPORT, PGUSER and PGPASSWORD (they run in a database of their own,
// dropped at exit) and are skipped without it.

#include "core/CKvDb.h"
#include "core/KvCopyTable.h"
#include "core/KvDbBackend.h"
#include "core/KvMdbPassword.h"
#include "core/KvMessage.h"
#include "core/KvPgBackend.h"
#include "core/KvSqliteBackend.h"

#include "KvBenchPgDatabase.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <charconv>
#include <string>
#include <libpq-fe.h>
#include <sqlite3.h>

namespace {
constexpr int kRows = 50000;
const char kCreateSqlite[] = "CREATE TABLE T(K INTEGER, N DOUBLE, S CHAR(40), B BLOB)";
const char kCreatePg[] = "CREATE TABLE T(K INT, N DOUBLE PRECISION, S VARCHAR(40), B BYTEA)";

QString tempFile(const char* role) {
  return QDir::tempPath() +
         QStringLiteral("/kvcopybench-%1-%2.xxd").arg(QCoreApplication::applicationPid()).arg(role);
}

// A new data file with the program's access check and table T, opened.
bool createFile(const QString& path, CKvDb& db) {
  QFile::remove(path);
  {
    std::unique_ptr<KvSqliteBackend> file = KvSqliteBackend::create(path);
    if (!file || !file->setPasswordDigest(KvMdbPasswordDigest(KvGetStdMdbPassword())) ||
        !file->execute(QString::fromLatin1(kCreateSqlite), nullptr))
      return false;
  }
  return db.Open(path, CKvDbInfo(0));
}

sqlite3* rawSqlite(CKvDb& db) { return dynamic_cast<KvSqliteBackend*>(db.GetBackend())->handle(); }

// The source file with its 50,000 rows and the SQLite target.
struct SqliteFiles {
  CKvDb source{0};
  CKvDb target{0};
  bool ready = false;

  SqliteFiles() {
    if (!createFile(tempFile("source"), source) || !createFile(tempFile("target"), target))
      return;
    sqlite3* raw = rawSqlite(source);
    sqlite3_exec(raw, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(raw, "INSERT INTO T VALUES(?,?,?,?)", -1, &insert, nullptr);
    for (int i = 0; i < kRows; ++i) {
      const QByteArray text = QStringLiteral("学生 %1 号").arg(i).toUtf8();
      const QByteArray blob = QByteArray::number(i * 7919).repeated(2);
      sqlite3_bind_int(insert, 1, i);
      sqlite3_bind_double(insert, 2, i * 0.25);
      sqlite3_bind_text(insert, 3, text.constData(), int(text.size()), SQLITE_TRANSIENT);
      sqlite3_bind_blob(insert, 4, blob.constData(), int(blob.size()), SQLITE_TRANSIENT);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    ready = sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
  }
  ~SqliteFiles() {
    source.Close();
    target.Close();
    QFile::remove(tempFile("source"));
    QFile::remove(tempFile("target"));
  }
};

SqliteFiles& files() {
  static SqliteFiles data;
  return data;
}

// A database of its own on the PostgreSQL server with table T.
KvBenchPgDatabase& pgTarget() {
  static KvBenchPgDatabase data(QStringLiteral("kvcopybench_"), QString::fromLatin1(kCreatePg));
  return data;
}

// A second database on the server with the same 50,000 rows, the source of
// the server-to-server copies.
KvBenchPgDatabase& pgSource() {
  static KvBenchPgDatabase data(
      QStringLiteral("kvcopybenchsrc_"),
      QString::fromLatin1(kCreatePg) +
          QStringLiteral(";INSERT INTO T SELECT i, i*0.25, '学生 ' || i || ' 号', "
                         "convert_to(repeat((i*7919)::text, 2), 'UTF8') FROM generate_series(0, %1) i")
              .arg(kRows - 1));
  return data;
}

// Whether a case into PostgreSQL has its data: the SQLite source and the
// server's target, or the server's source and target. Otherwise the case is
// skipped with the reason.
bool sqliteAndServerReady(benchmark::State& state) {
  if (!files().ready)
    state.SkipWithError("cannot make the SQLite files");
  else if (!pgTarget().ready())
    state.SkipWithError("no PostgreSQL server");
  else
    return true;
  return false;
}
bool serverSourceReady(benchmark::State& state) {
  if (pgTarget().ready() && pgSource().ready())
    return true;
  state.SkipWithError("no PostgreSQL server");
  return false;
}

void emptyTarget(benchmark::State& state, CKvDb& target) {
  state.PauseTiming();
  target.Execute(QStringLiteral("Delete From T"));
  state.ResumeTiming();
}

// The rows the last copy left in the target, and the rows of the run.
void countCopied(benchmark::State& state, CKvDb& target) {
  if (target.GetLong(QStringLiteral("Select Count(*) From T")) != kRows)
    state.SkipWithError("rows are missing");
  state.SetItemsProcessed(state.iterations() * kRows);
}

// libpq's own bulk path: the rows streamed in one COPY ... FROM STDIN (its
// text form) inside one transaction, sent in pieces of about 1 MB. The
// benchmark's texts hold no character that this form escapes.
class RawCopyIn {
 public:
  explicit RawCopyIn(PGconn* conn) : m_conn(conn) {
    PQclear(PQexec(conn, "BEGIN"));
    PQclear(PQexec(conn, "COPY T(K,N,S,B) FROM STDIN"));
  }
  // A field as it is.
  void field(const char* text, size_t size) { m_buffer.append(text, size); }
  // Binary data as the text of a bytea in hex, its backslash doubled.
  void hexField(const unsigned char* bytes, int size) {
    static const char kDigits[] = "0123456789abcdef";
    m_buffer += "\\\\x";
    for (int i = 0; i < size; ++i) {
      m_buffer += kDigits[bytes[i] >> 4];
      m_buffer += kDigits[bytes[i] & 15];
    }
  }
  void separator() { m_buffer += '\t'; }
  void endRow() {
    m_buffer += '\n';
    if (m_buffer.size() >= (1 << 20))
      flush();
  }
  void commit() {
    flush();
    PQputCopyEnd(m_conn, nullptr);
    while (PGresult* res = PQgetResult(m_conn))
      PQclear(res);
    PQclear(PQexec(m_conn, "COMMIT"));
  }

 private:
  void flush() {
    PQputCopyData(m_conn, m_buffer.data(), int(m_buffer.size()));
    m_buffer.clear();
  }
  PGconn* m_conn;
  std::string m_buffer;
};

void copyThroughKvCopyTable(benchmark::State& state, CKvDb& target, bool strict = false,
                            CKvDb* source = nullptr) {
  if (!source)
    source = &files().source;
  KvMessageRecorder quiet;  // a failed row would otherwise wait for an answer
  for (auto _ : state) {
    emptyTarget(state, target);
    const bool copied = strict ? KvCopyTableStrict(source, &target, QStringLiteral("T"))
                               : KvCopyTable(source, &target, QStringLiteral("T")) == 1;
    if (!copied || !quiet.messages().isEmpty())
      return state.SkipWithError("the copy failed");
  }
  countCopied(state, target);
}

void BM_CopySqliteToSqlite_Raw(benchmark::State& state) {
  if (!files().ready)
    return state.SkipWithError("cannot make the SQLite files");
  sqlite3* source = rawSqlite(files().source);
  sqlite3* target = rawSqlite(files().target);
  for (auto _ : state) {
    emptyTarget(state, files().target);
    sqlite3_exec(target, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_stmt* select = nullptr;
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(source, "SELECT K,N,S,B FROM T", -1, &select, nullptr);
    sqlite3_prepare_v2(target, "INSERT INTO T(K,N,S,B) VALUES(?,?,?,?)", -1, &insert, nullptr);
    while (sqlite3_step(select) == SQLITE_ROW) {
      sqlite3_bind_int(insert, 1, sqlite3_column_int(select, 0));
      sqlite3_bind_double(insert, 2, sqlite3_column_double(select, 1));
      sqlite3_bind_text(insert, 3, reinterpret_cast<const char*>(sqlite3_column_text(select, 2)),
                        sqlite3_column_bytes(select, 2), SQLITE_TRANSIENT);
      sqlite3_bind_blob(insert, 4, sqlite3_column_blob(select, 3), sqlite3_column_bytes(select, 3),
                        SQLITE_TRANSIENT);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    sqlite3_finalize(select);
    sqlite3_finalize(insert);
    sqlite3_exec(target, "COMMIT", nullptr, nullptr, nullptr);
  }
  countCopied(state, files().target);
}
BENCHMARK(BM_CopySqliteToSqlite_Raw)->Unit(benchmark::kMillisecond);

void BM_CopySqliteToSqlite_KvCopyTable(benchmark::State& state) {
  if (!files().ready)
    return state.SkipWithError("cannot make the SQLite files");
  copyThroughKvCopyTable(state, files().target);
}
BENCHMARK(BM_CopySqliteToSqlite_KvCopyTable)->Unit(benchmark::kMillisecond);

void BM_CopySqliteToSqlite_Strict(benchmark::State& state) {
  if (!files().ready)
    return state.SkipWithError("cannot make the SQLite files");
  copyThroughKvCopyTable(state, files().target, true);
}
BENCHMARK(BM_CopySqliteToSqlite_Strict)->Unit(benchmark::kMillisecond);

void BM_CopySqliteToPg_Raw(benchmark::State& state) {
  if (!sqliteAndServerReady(state))
    return;
  sqlite3* source = rawSqlite(files().source);
  PGconn* target = pgTarget().raw();
  PQclear(PQprepare(target, "kv_bench_copy", "INSERT INTO T(K,N,S,B) VALUES($1,$2,$3,$4)", 4, nullptr));
  for (auto _ : state) {
    emptyTarget(state, pgTarget().db);
    PQclear(PQexec(target, "BEGIN"));
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(source, "SELECT K,N,S,B FROM T", -1, &select, nullptr);
    while (sqlite3_step(select) == SQLITE_ROW) {
      char k[16];
      char n[32];
      *std::to_chars(k, k + sizeof(k) - 1, sqlite3_column_int(select, 0)).ptr = '\0';
      *std::to_chars(n, n + sizeof(n) - 1, sqlite3_column_double(select, 1)).ptr = '\0';
      const char* values[4] = {k, n, reinterpret_cast<const char*>(sqlite3_column_text(select, 2)),
                               static_cast<const char*>(sqlite3_column_blob(select, 3))};
      const int lengths[4] = {0, 0, 0, sqlite3_column_bytes(select, 3)};
      const int formats[4] = {0, 0, 0, 1};
      PQclear(PQexecPrepared(target, "kv_bench_copy", 4, values, lengths, formats, 0));
    }
    sqlite3_finalize(select);
    PQclear(PQexec(target, "COMMIT"));
  }
  PQclear(PQexec(target, "DEALLOCATE kv_bench_copy"));
  countCopied(state, pgTarget().db);
}
BENCHMARK(BM_CopySqliteToPg_Raw)->Unit(benchmark::kMillisecond);

void BM_CopySqliteToPg_RawCopy(benchmark::State& state) {
  if (!sqliteAndServerReady(state))
    return;
  sqlite3* source = rawSqlite(files().source);
  for (auto _ : state) {
    emptyTarget(state, pgTarget().db);
    RawCopyIn copy(pgTarget().raw());
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(source, "SELECT K,N,S,B FROM T", -1, &select, nullptr);
    while (sqlite3_step(select) == SQLITE_ROW) {
      char number[32];
      copy.field(number, std::to_chars(number, number + sizeof(number), sqlite3_column_int(select, 0)).ptr - number);
      copy.separator();
      copy.field(number,
                 std::to_chars(number, number + sizeof(number), sqlite3_column_double(select, 1)).ptr - number);
      copy.separator();
      copy.field(reinterpret_cast<const char*>(sqlite3_column_text(select, 2)), sqlite3_column_bytes(select, 2));
      copy.separator();
      copy.hexField(static_cast<const unsigned char*>(sqlite3_column_blob(select, 3)),
                    sqlite3_column_bytes(select, 3));
      copy.endRow();
    }
    sqlite3_finalize(select);
    copy.commit();
  }
  countCopied(state, pgTarget().db);
}
BENCHMARK(BM_CopySqliteToPg_RawCopy)->Unit(benchmark::kMillisecond);

void BM_CopySqliteToPg_KvCopyTable(benchmark::State& state) {
  if (!sqliteAndServerReady(state))
    return;
  copyThroughKvCopyTable(state, pgTarget().db);
}
BENCHMARK(BM_CopySqliteToPg_KvCopyTable)->Unit(benchmark::kMillisecond);

void BM_CopySqliteToPg_Strict(benchmark::State& state) {
  if (!sqliteAndServerReady(state))
    return;
  copyThroughKvCopyTable(state, pgTarget().db, true);
}
BENCHMARK(BM_CopySqliteToPg_Strict)->Unit(benchmark::kMillisecond);

void BM_CopyPgToPg_Raw(benchmark::State& state) {
  if (!serverSourceReady(state))
    return;
  PGconn* source = pgSource().raw();
  PGconn* target = pgTarget().raw();
  PQclear(PQprepare(target, "kv_bench_copy", "INSERT INTO T(K,N,S,B) VALUES($1,$2,$3,$4)", 4, nullptr));
  for (auto _ : state) {
    emptyTarget(state, pgTarget().db);
    PQclear(PQexec(target, "BEGIN"));
    // Every value comes and goes as text; a bytea's text is its hex form,
    // which the insert reads back as the same bytes.
    PGresult* rows = PQexec(source, "SELECT K,N,S,B FROM T");
    for (int r = 0; r < PQntuples(rows); ++r) {
      const char* values[4] = {PQgetvalue(rows, r, 0), PQgetvalue(rows, r, 1), PQgetvalue(rows, r, 2),
                               PQgetvalue(rows, r, 3)};
      PQclear(PQexecPrepared(target, "kv_bench_copy", 4, values, nullptr, nullptr, 0));
    }
    PQclear(rows);
    PQclear(PQexec(target, "COMMIT"));
  }
  PQclear(PQexec(target, "DEALLOCATE kv_bench_copy"));
  countCopied(state, pgTarget().db);
}
BENCHMARK(BM_CopyPgToPg_Raw)->Unit(benchmark::kMillisecond);

void BM_CopyPgToPg_RawCopy(benchmark::State& state) {
  if (!serverSourceReady(state))
    return;
  PGconn* source = pgSource().raw();
  for (auto _ : state) {
    emptyTarget(state, pgTarget().db);
    RawCopyIn copy(pgTarget().raw());
    // Every value comes as text, a bytea as its hex form.
    PGresult* rows = PQexec(source, "SELECT K,N,S,B FROM T");
    for (int r = 0; r < PQntuples(rows); ++r) {
      for (int c = 0; c < 4; ++c) {
        if (c > 0)
          copy.separator();
        if (c == 3)
          copy.field("\\", 1);
        copy.field(PQgetvalue(rows, r, c), PQgetlength(rows, r, c));
      }
      copy.endRow();
    }
    PQclear(rows);
    copy.commit();
  }
  countCopied(state, pgTarget().db);
}
BENCHMARK(BM_CopyPgToPg_RawCopy)->Unit(benchmark::kMillisecond);

void BM_CopyPgToPg_KvCopyTable(benchmark::State& state) {
  if (!serverSourceReady(state))
    return;
  copyThroughKvCopyTable(state, pgTarget().db, false, &pgSource().db);
}
BENCHMARK(BM_CopyPgToPg_KvCopyTable)->Unit(benchmark::kMillisecond);

void BM_CopyPgToPg_Strict(benchmark::State& state) {
  if (!serverSourceReady(state))
    return;
  copyThroughKvCopyTable(state, pgTarget().db, true, &pgSource().db);
}
BENCHMARK(BM_CopyPgToPg_Strict)->Unit(benchmark::kMillisecond);
}  // namespace
