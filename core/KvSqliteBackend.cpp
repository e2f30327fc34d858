#include "core/KvSqliteBackend.h"

#include "core/KvLockWaitHook.h"
#include "core/KvMdbPassword.h"
#include "core/KvSqlStatements.h"
#include "core/KvSqliteFunctions.h"
#include "core/KvText.h"

#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <sqlite3.h>
#include <atomic>
#include <functional>
#include <utility>

namespace {
// Whether this thread shows a lock wait (KvShowLockWait) that began at the
// first nap of a busy handler; the call into the engine that waited ends it
// when it returns (WaitShownEnds).
thread_local bool t_waitShown = false;

struct WaitShownEnds {
  WaitShownEnds() = default;
  WaitShownEnds(const WaitShownEnds&) = delete;
  WaitShownEnds& operator=(const WaitShownEnds&) = delete;
  ~WaitShownEnds() {
    if (std::exchange(t_waitShown, false))
      KvShowLockWait(false);
  }
};

// Waits for another connection's lock in growing naps (1, 2, ... 25 ms);
// once kKvLockWaitMs have passed the statement fails, and its connection
// notes why.
int waitForLock(void* backend, int count) {
  if (!t_waitShown) {
    t_waitShown = true;
    KvShowLockWait(true);
  }
  const qint64 waited = count <= 25 ? qint64(count) * (count + 1) / 2 : 325 + qint64(count - 25) * 25;
  if (waited >= kKvLockWaitMs) {
    static_cast<KvSqliteBackend*>(backend)->noteLockWait();
    return 0;
  }
  sqlite3_sleep(qMin(count + 1, 25));
  return 1;
}

// Prepares a statement. Reading the schema may wait for a lock as a step
// does: the wait it showed ends with it, before any failure is told.
int prepareStatement(sqlite3* db, const QByteArray& utf8, unsigned flags, sqlite3_stmt** stmt,
                     const char** tail = nullptr) {
  const WaitShownEnds ends;
  return sqlite3_prepare_v3(db, utf8.constData(), int(utf8.size()), flags, stmt, tail);
}

void setError(QString* error, sqlite3* db) {
  if (error)
    *error = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("database not open");
}

// A statement refused because the engine ended the transaction by itself.
void setBrokenError(QString* error) {
  if (error)
    *error = QStringLiteral("the transaction was rolled back by the database engine; roll it back");
}

// The first column of the first row of a one-value statement.
bool scalar(sqlite3* db, const char* sql, qint64* value) {
  const WaitShownEnds ends;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
    return false;
  const int rc = sqlite3_step(stmt);
  if (rc == SQLITE_ROW)
    *value = sqlite3_column_int64(stmt, 0);
  sqlite3_finalize(stmt);
  return rc == SQLITE_ROW;
}

class SqliteCursor final : public KvDbCursor {
 public:
  SqliteCursor(sqlite3_stmt* stmt, bool atEnd)
      : m_stmt(stmt), m_end(atEnd), m_columns(sqlite3_column_count(stmt)) {}
  ~SqliteCursor() override { sqlite3_finalize(m_stmt); }
  // Hands the statement over instead of finalizing it.
  sqlite3_stmt* release() { return std::exchange(m_stmt, nullptr); }

  bool atEnd() const override { return m_end; }
  void next() override {
    if (!m_end)
      m_end = sqlite3_step(m_stmt) != SQLITE_ROW;
  }
  int columnCount() const override { return m_columns; }
  qint64 integer(int column) const override {
    return valid(column) ? sqlite3_column_int64(m_stmt, column) : 0;
  }
  double real(int column) const override {
    return valid(column) ? sqlite3_column_double(m_stmt, column) : 0.0;
  }
  QString text(int column) const override {
    if (!valid(column))
      return QString();
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return bytes ? QString::fromUtf8(bytes, sqlite3_column_bytes(m_stmt, column)) : QString();
  }

 private:
  bool valid(int column) const { return !m_end && column >= 0 && column < m_columns; }

  sqlite3_stmt* m_stmt;
  bool m_end;
  int m_columns;
};

// How often an open opens its path again when the file there was replaced
// while it waited for its hold. Once held, no copy of the program can
// replace it, so the second open normally finds its file in place.
constexpr int kOpenTries = 3;

std::function<void(const QString&)>& beforeHoldHook() {
  static std::function<void(const QString&)> hook;
  return hook;
}

// Whether the file the connection opened is no longer the one at its path
// (it was renamed away or replaced); a file that cannot be asked counts as
// moved.
bool fileMoved(sqlite3* db) {
  int moved = 1;
  return sqlite3_file_control(db, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK || moved != 0;
}
}  // namespace

void KvSqliteBackend::setBeforeHoldHook(std::function<void(const QString& path)> hook) {
  beforeHoldHook() = std::move(hook);
}

std::unique_ptr<KvSqliteBackend> KvSqliteBackend::open(const QString& path, bool present) {
  if (path.isEmpty())
    return nullptr;
  std::unique_ptr<KvPresenceLock> presence;  // kept when the file is opened again
  for (int attempt = 0; attempt < kOpenTries; ++attempt) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
      sqlite3_close_v2(db);
      return nullptr;
    }
    std::unique_ptr<KvSqliteBackend> backend(new KvSqliteBackend(db, path));
    sqlite3_busy_handler(db, waitForLock, backend.get());
    qint64 applicationId = 0;
    if (!scalar(db, "PRAGMA application_id", &applicationId) ||
        applicationId != kKvSqliteApplicationId)
      return nullptr;
    // Present on the data file from now on (a file that is not one gets no
    // lock file beside it); refused while another program keeps it. A
    // program that kept it may have put another file in its place (a
    // restore): the connection would work on the old one, which nobody
    // reads any more, so the file there now is opened instead, under the
    // hold, which no replacement of ours passes.
    if (present && !presence) {
      // A copy: the hook may replace itself.
      if (const std::function<void(const QString&)> hook = beforeHoldHook())
        hook(path);
      presence = KvPresenceLock::acquire(path);
      if (!presence)
        return nullptr;
    }
    if (!present || !fileMoved(db)) {
      backend->m_presence = std::move(presence);
      return backend->setUp() ? std::move(backend) : nullptr;
    }
  }
  return nullptr;
}

bool KvSqliteBackend::setUp() {
  if (!m_db)
    return false;
  // journal_mode answers with a row; the other settings with none.
  qint64 ignored = 0;
  return sqlite3_busy_handler(m_db, waitForLock, this) == SQLITE_OK &&
         scalar(m_db, "PRAGMA journal_mode=DELETE", &ignored) &&
         run("PRAGMA synchronous=FULL;PRAGMA locking_mode=NORMAL;PRAGMA query_only=0") &&
         KvRegisterJetFunctions(m_db);
}

std::unique_ptr<KvSqliteBackend> KvSqliteBackend::create(const QString& path, bool present) {
  if (path.isEmpty() || QFileInfo::exists(path))
    return nullptr;
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.toUtf8().constData(), &db,
                           SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc == SQLITE_OK) {
    const QByteArray stamp =
        "PRAGMA application_id=" + QByteArray::number(kKvSqliteApplicationId);
    rc = sqlite3_exec(db, stamp.constData(), nullptr, nullptr, nullptr);
  }
  sqlite3_close_v2(db);
  return rc == SQLITE_OK ? open(path, present) : nullptr;
}

KvSqliteBackend::~KvSqliteBackend() { close(); }

void KvSqliteBackend::close() {
  if (!m_db)
    return;
  dropKeptStatements();
  // close_v2 lets a cursor that is still alive finish its statement first.
  sqlite3_close_v2(m_db);
  m_db = nullptr;
  m_presence.reset();
  m_depth = 0;
  m_broken = false;
}

qint32 KvSqliteBackend::passwordDigest() const {
  qint64 value = 0;
  if (m_db)
    scalar(m_db, "PRAGMA user_version", &value);
  return qint32(value);
}

bool KvSqliteBackend::setPasswordDigest(qint32 digest) {
  return run(("PRAGMA user_version=" + QByteArray::number(digest)).constData());
}

bool KvSqliteBackend::run(const char* sql) {
  const WaitShownEnds ends;
  return m_db && sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool KvSqliteBackend::runText(const QByteArray& utf8, QString* error) {
  const WaitShownEnds ends;
  const char* tail = utf8.constData();
  const char* const end = tail + utf8.size();
  while (tail < end) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, tail, int(end - tail), &stmt, &tail) != SQLITE_OK) {
      setError(error, m_db);
      return false;
    }
    if (!stmt)  // only blanks or comments were left
      break;
    int rc;
    do
      rc = sqlite3_step(stmt);
    while (rc == SQLITE_ROW);
    if (rc != SQLITE_DONE)
      setError(error, m_db);
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
      return false;
  }
  return true;
}

bool KvSqliteBackend::execute(const QString& sql, QString* error) {
  m_rows = 0;
  if (!m_db) {
    setError(error, nullptr);
    return false;
  }
  noteFailure();
  if (m_broken) {
    setBrokenError(error);
    return false;
  }
  // Several statements in one text run all or nothing, as on the server:
  // under a savepoint inside a transaction, else in a transaction of their
  // own. A text that begins or ends the transaction itself runs as it is,
  // and the nesting count follows it.
  const KvSqlTextShape shape = KvSqlShape(sql);
  const bool control = shape.begins || shape.ends;
  const bool wrap = shape.statements > 1 && !control;
  const bool outside = m_depth == 0;
  if (wrap && !run(outside ? "BEGIN IMMEDIATE" : "SAVEPOINT kv_text")) {
    setError(error, m_db);
    noteFailure();
    return false;
  }
  // Counting the change of the total also gives 0 for statements that change
  // nothing, where sqlite3_changes would repeat the previous statement's count.
  const sqlite3_int64 before = sqlite3_total_changes64(m_db);
  bool ok = runText(sql.toUtf8(), error);
  const sqlite3_int64 changed = sqlite3_total_changes64(m_db) - before;
  if (wrap) {
    if (ok && !run(outside ? "COMMIT" : "RELEASE SAVEPOINT kv_text")) {
      setError(error, m_db);
      ok = false;
    }
    // A text that failed is undone unless the engine has undone it already.
    if (!ok && !sqlite3_get_autocommit(m_db))
      run(outside ? "ROLLBACK" : "ROLLBACK TO SAVEPOINT kv_text;RELEASE SAVEPOINT kv_text");
  }
  if (control) {
    if (sqlite3_get_autocommit(m_db)) {
      m_depth = 0;
      m_broken = false;
    } else if (shape.ends || m_depth == 0) {
      m_depth = 1;  // a transaction the text began
    }
  } else if (!ok) {
    noteFailure();
  }
  m_rows = ok ? changed : 0;
  return ok;
}

bool KvSqliteBackend::nextTypedStatement(const QString& sql, QString* statement, qsizetype* used, QString* error) {
  statement->clear();
  *used = 0;
  if (!m_db) {
    setError(error, nullptr);
    return false;
  }
  const QByteArray utf8 = sql.toUtf8();
  sqlite3_stmt* stmt = nullptr;
  const char* tail = nullptr;
  if (prepareStatement(m_db, utf8, 0, &stmt, &tail) != SQLITE_OK) {
    setError(error, m_db);
    return false;
  }
  const qsizetype bytes = tail ? qsizetype(tail - utf8.constData()) : utf8.size();
  // The statement's own text runs it again: the same bytes give the same
  // statement.
  if (stmt)
    *statement = QString::fromUtf8(sqlite3_sql(stmt));
  sqlite3_finalize(stmt);
  *used = QString::fromUtf8(utf8.constData(), bytes).size();
  return true;
}

QString KvSqliteBackend::transactionMark() {
  return m_db && !sqlite3_get_autocommit(m_db) ? QStringLiteral("open") : QString();
}

void KvSqliteBackend::noteFailure() {
  if (m_db && m_depth > 0 && sqlite3_get_autocommit(m_db))
    m_broken = true;
}

bool KvSqliteBackend::beginTransaction() {
  if (!m_db)
    return false;
  noteFailure();
  if (m_broken)
    return false;
  const QByteArray sql =
      m_depth == 0 ? QByteArray("BEGIN IMMEDIATE") : "SAVEPOINT kv_nest_" + QByteArray::number(m_depth + 1);
  if (!run(sql.constData()))
    return false;
  ++m_depth;
  return true;
}

bool KvSqliteBackend::beginReadSnapshot() {
  if (!m_db || m_depth > 0)
    return beginTransaction();
  // The first read takes the shared lock, which no writer can commit past
  // until the transaction ends: the reads after it see one state.
  if (!run("BEGIN DEFERRED"))
    return false;
  if (!run("SELECT count(*) FROM sqlite_schema")) {
    run("ROLLBACK");
    return false;
  }
  m_depth = 1;
  return true;
}

bool KvSqliteBackend::commitTransaction() {
  if (!m_db || m_depth == 0)
    return false;
  noteFailure();
  if (m_broken)
    return false;  // nothing is left to keep: only a rollback ends it
  if (m_depth > 1) {
    if (!run(("RELEASE SAVEPOINT kv_nest_" + QByteArray::number(m_depth)).constData())) {
      noteFailure();
      return false;  // the level stays open for its rollback
    }
    --m_depth;
    return true;
  }
  m_depth = 0;
  if (run("COMMIT"))
    return true;
  // A commit that cannot get its lock leaves the transaction open; end it
  // rather than hold the file's write lock with nobody to release it.
  if (!sqlite3_get_autocommit(m_db))
    run("ROLLBACK");
  return false;
}

bool KvSqliteBackend::rollbackTransaction() {
  if (!m_db || m_depth == 0)
    return false;
  noteFailure();
  if (m_depth > 1) {
    const QByteArray name = "kv_nest_" + QByteArray::number(m_depth);
    --m_depth;
    // A transaction the engine ended has nothing left to undo.
    return m_broken || run(("ROLLBACK TO SAVEPOINT " + name + ";RELEASE SAVEPOINT " + name).constData());
  }
  m_depth = 0;
  if (m_broken) {
    m_broken = false;
    return true;
  }
  return run("ROLLBACK");
}

bool KvSqliteBackend::lockTable(const QString&, qint64* mark) {
  // Transactions begin IMMEDIATE: the file's write lock is already held.
  // The carried mark is not read here: the carry holds the file alone.
  if (mark)
    *mark = -1;
  return m_db && m_depth > 0;
}

// --- Rowsets and prepared statements ---

namespace {
class SqliteRowset final : public KvDbRowset {
 public:
  SqliteRowset(sqlite3_stmt* stmt, bool atEnd, QByteArray sql, std::weak_ptr<KvSqliteBackend*> owner)
      : m_cursor(stmt, atEnd), m_stmt(stmt), m_sql(std::move(sql)), m_owner(std::move(owner)) {}
  ~SqliteRowset() override {
    // The statement goes back to its connection while that is open.
    const std::shared_ptr<KvSqliteBackend*> owner = m_owner.lock();
    if (owner && (*owner)->isOpen())
      (*owner)->keepStatement(std::move(m_sql), m_cursor.release());
  }
  SqliteRowset(const SqliteRowset&) = delete;
  SqliteRowset& operator=(const SqliteRowset&) = delete;

  bool atEnd() const override { return m_cursor.atEnd(); }
  void next() override { m_cursor.next(); }
  int columnCount() const override { return m_cursor.columnCount(); }
  qint64 integer(int column) const override { return m_cursor.integer(column); }
  double real(int column) const override { return m_cursor.real(column); }
  QString text(int column) const override { return m_cursor.text(column); }
  QString columnName(int column) const override {
    if (column < 0 || column >= columnCount())
      return QString();
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
  }
  bool isNull(int column) const override {
    return !valid(column) || sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
  }
  QByteArray binary(int column) const override {
    if (!valid(column))
      return QByteArray();
    const void* data = sqlite3_column_blob(m_stmt, column);
    return data ? QByteArray(static_cast<const char*>(data), sqlite3_column_bytes(m_stmt, column))
                : QByteArray();
  }

 private:
  bool valid(int column) const { return !atEnd() && column >= 0 && column < columnCount(); }

  SqliteCursor m_cursor;  // owns the statement
  sqlite3_stmt* m_stmt;
  QByteArray m_sql;
  std::weak_ptr<KvSqliteBackend*> m_owner;
};

class SqliteStatement final : public KvDbStatement {
 public:
  SqliteStatement(sqlite3_stmt* stmt, std::weak_ptr<KvSqliteBackend*> owner)
      : m_stmt(stmt), m_owner(std::move(owner)) {}
  ~SqliteStatement() override { sqlite3_finalize(m_stmt); }
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  void bindInteger(int index, qint64 value) override { sqlite3_bind_int64(m_stmt, index + 1, value); }
  void bindReal(int index, double value) override { sqlite3_bind_double(m_stmt, index + 1, value); }
  void bindText(int index, const QString& value) override {
    if (index < 0)
      return;
    // SQLite reads the bytes in place from the parameter's own buffer, which
    // stays as it is until the parameter is bound again and keeps its room
    // from one row to the next.
    if (m_text.size() <= index)
      m_text.resize(index + 1);
    QByteArray& utf8 = m_text[index];
    utf8.resize(m_encoder.requiredSpace(value.size()));
    m_encoder.resetState();
    const char* end = m_encoder.appendToBuffer(utf8.data(), value);
    utf8.resize(end - utf8.constData());
    sqlite3_bind_text64(m_stmt, index + 1, utf8.constData(), sqlite3_uint64(utf8.size()), SQLITE_STATIC,
                        SQLITE_UTF8);
  }
  void bindUtf8(int index, const QByteArray& utf8) override {
    sqlite3_bind_text64(m_stmt, index + 1, utf8.constData(), sqlite3_uint64(utf8.size()), SQLITE_STATIC,
                        SQLITE_UTF8);
  }
  void bindBinary(int index, const QByteArray& value) override {
    // constData() is never null, so an empty block stays an empty blob.
    sqlite3_bind_blob64(m_stmt, index + 1, value.constData(), sqlite3_uint64(value.size()),
                        SQLITE_TRANSIENT);
  }
  bool run(QString* error) override {
    KvSqliteBackend* backend = usableBackend(error);
    if (!backend)
      return false;
    const WaitShownEnds ends;
    const int rc = sqlite3_step(m_stmt);
    const bool ok = rc == SQLITE_DONE || rc == SQLITE_ROW;
    m_rows = ok && !sqlite3_stmt_readonly(m_stmt) ? sqlite3_changes64(sqlite3_db_handle(m_stmt)) : 0;
    if (!ok)
      setError(error, sqlite3_db_handle(m_stmt));
    sqlite3_reset(m_stmt);
    if (!ok)
      backend->noteFailure();
    return ok;
  }
  qint64 rowsAffected() const override { return m_rows; }

  std::unique_ptr<KvDbRowset> select(QString* error) override {
    KvSqliteBackend* backend = usableBackend(error);
    if (!backend)
      return nullptr;
    const int columns = sqlite3_column_count(m_stmt);
    if (columns == 0) {
      if (error)
        *error = QStringLiteral("the statement returns no rows");
      return nullptr;
    }
    QStringList names;
    for (int c = 0; c < columns; ++c)
      names.append(QString::fromUtf8(sqlite3_column_name(m_stmt, c)));
    auto rows = std::make_unique<KvDbRowsInMemory>(names);
    const WaitShownEnds ends;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(m_stmt)) == SQLITE_ROW) {
      QList<KvDbRowsInMemory::Value> row(columns);
      for (int c = 0; c < columns; ++c) {
        KvDbRowsInMemory::Value& value = row[c];
        const int type = sqlite3_column_type(m_stmt, c);
        value.null = type == SQLITE_NULL;
        if (value.null)
          continue;
        value.integer = sqlite3_column_int64(m_stmt, c);
        if (type == SQLITE_INTEGER) {
          // Its text is the engine's own: the plain decimal digits.
          value.real = double(value.integer);
          value.bytes = QByteArray::number(value.integer);
          continue;
        }
        value.real = sqlite3_column_double(m_stmt, c);
        const void* data = sqlite3_column_blob(m_stmt, c);
        if (data)
          value.bytes = QByteArray(static_cast<const char*>(data), sqlite3_column_bytes(m_stmt, c));
      }
      rows->append(row);
    }
    // Reset at once: a statement left stepping would hold the file's read
    // lock.
    const bool ok = rc == SQLITE_DONE;
    if (!ok)
      setError(error, sqlite3_db_handle(m_stmt));
    sqlite3_reset(m_stmt);
    if (!ok) {
      backend->noteFailure();
      return nullptr;
    }
    return rows;
  }

 private:
  // The back end while it is open and its transaction usable; null (and
  // `error`) otherwise.
  KvSqliteBackend* usableBackend(QString* error) const {
    const std::shared_ptr<KvSqliteBackend*> owner = m_owner.lock();
    if (!owner || !(*owner)->isOpen()) {
      setError(error, nullptr);
      return nullptr;
    }
    KvSqliteBackend* backend = *owner;
    backend->noteFailure();
    if (backend->transactionBroken()) {
      setBrokenError(error);
      return nullptr;
    }
    return backend;
  }

  sqlite3_stmt* m_stmt;
  std::weak_ptr<KvSqliteBackend*> m_owner;
  qint64 m_rows = 0;
  QList<QByteArray> m_text;  // the bound texts, by parameter
  QStringEncoder m_encoder{QStringEncoder::Utf8};
};
}  // namespace

std::unique_ptr<KvDbRowset> KvSqliteBackend::openRowset(const QString& sql, QString* error) {
  if (!m_db) {
    setError(error, nullptr);
    return nullptr;
  }
  noteFailure();
  if (m_broken) {
    setBrokenError(error);
    return nullptr;
  }
  QByteArray utf8 = sql.toUtf8();
  sqlite3_stmt* stmt = nullptr;
  for (qsizetype i = m_keptStatements.size() - 1; i >= 0 && !stmt; --i)
    if (m_keptStatements.at(i).sql == utf8)
      stmt = m_keptStatements.takeAt(i).stmt;
  if (!stmt && prepareStatement(m_db, utf8, 0, &stmt) != SQLITE_OK) {
    setError(error, m_db);
    return nullptr;
  }
  if (!stmt) {
    if (error)
      *error = QStringLiteral("no statement");
    return nullptr;
  }
  int rc = SQLITE_DONE;
  {
    const WaitShownEnds ends;
    rc = sqlite3_step(stmt);
  }
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
    setError(error, m_db);
    sqlite3_finalize(stmt);
    noteFailure();
    return nullptr;
  }
  return std::make_unique<SqliteRowset>(stmt, rc == SQLITE_DONE, std::move(utf8), m_liveToken);
}

void KvSqliteBackend::keepStatement(QByteArray sql, sqlite3_stmt* stmt) {
  // Enough for the texts a window sends again at each fill.
  constexpr qsizetype kKeptStatements = 64;
  sqlite3_reset(stmt);
  for (const KeptStatement& kept : std::as_const(m_keptStatements))
    if (kept.sql == sql) {
      sqlite3_finalize(stmt);
      return;
    }
  if (m_keptStatements.size() >= kKeptStatements)
    sqlite3_finalize(m_keptStatements.takeFirst().stmt);
  m_keptStatements.append({std::move(sql), stmt});
}

void KvSqliteBackend::dropKeptStatements() {
  for (const KeptStatement& kept : std::as_const(m_keptStatements))
    sqlite3_finalize(kept.stmt);
  m_keptStatements.clear();
}

std::unique_ptr<KvDbStatement> KvSqliteBackend::prepare(const QString& sql, QString* error) {
  if (!m_db) {
    setError(error, nullptr);
    return nullptr;
  }
  const QByteArray utf8 = sql.toUtf8();
  sqlite3_stmt* stmt = nullptr;
  if (prepareStatement(m_db, utf8, SQLITE_PREPARE_PERSISTENT, &stmt) != SQLITE_OK) {
    setError(error, m_db);
    return nullptr;
  }
  if (!stmt) {
    if (error)
      *error = QStringLiteral("no statement");
    return nullptr;
  }
  return std::make_unique<SqliteStatement>(stmt, m_liveToken);
}

// --- Presence and copies ---

bool KvSqliteBackend::aloneOnFile() {
  if (!m_db || !m_presence)
    return false;
  if (m_presence->isExclusive())
    return true;
  const bool alone = m_presence->makeExclusive();
  m_presence->makeShared();
  return alone;
}

quint64 KvSqliteBackend::nextOpening() {
  static std::atomic<quint64> openings{0};
  return ++openings;
}

QString KvSqliteBackend::dataChangeMark() {
  qint64 dataVersion = 0;
  qint64 schemaVersion = 0;
  if (!m_db || !scalar(m_db, "PRAGMA data_version", &dataVersion) ||
      !scalar(m_db, "PRAGMA schema_version", &schemaVersion))
    return QString();
  return QStringLiteral("%1:%2:%3:%4")
      .arg(m_opening)
      .arg(dataVersion)
      .arg(qint64(sqlite3_total_changes64(m_db)))
      .arg(schemaVersion);
}

bool KvSqliteBackend::holdExclusive(bool exclusive) {
  if (!m_db || !m_presence)
    return false;
  if (!exclusive) {
    m_presence->makeShared();
    return true;
  }
  return m_presence->makeExclusive();
}

bool KvSqliteBackend::copyTo(const QString& target, bool replace) {
  if (!m_db || m_depth > 0 || target.isEmpty() || (!replace && QFileInfo::exists(target)))
    return false;
  const QString partial = target + QStringLiteral(".kvcopy");
  QFile::remove(partial);
  QFile::remove(partial + QStringLiteral("-journal"));
  sqlite3* copy = nullptr;
  bool ok = sqlite3_open_v2(partial.toUtf8().constData(), &copy,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                            nullptr) == SQLITE_OK;
  if (ok) {
    // One step copies every page under one read lock: a consistent copy.
    // A writer of another program is waited for as long as a statement
    // would wait.
    sqlite3_backup* backup = sqlite3_backup_init(copy, "main", m_db, "main");
    int rc = backup ? sqlite3_backup_step(backup, -1) : SQLITE_ERROR;
    for (int waited = 0; (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && waited < kKvLockWaitMs;
         waited += 50) {
      sqlite3_sleep(50);
      rc = sqlite3_backup_step(backup, -1);
    }
    ok = rc == SQLITE_DONE;
    if (sqlite3_backup_finish(backup) != SQLITE_OK)
      ok = false;
  }
  if (sqlite3_close_v2(copy) != SQLITE_OK)
    ok = false;
  // A target that a program has open is not replaced under it.
  if (ok)
    ok = KvPresenceLock::replaceDataFile(partial, target, replace);
  if (!ok) {
    QFile::remove(partial);
    QFile::remove(partial + QStringLiteral("-journal"));
  }
  return ok;
}

bool KvSqliteBackend::inspectCopy(const QString& path, QMap<QString, qint64>* pCounts) {
  sqlite3* db = nullptr;
  bool sound = sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                               nullptr) == SQLITE_OK;
  sqlite3_stmt* stmt = nullptr;
  if (sound && sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &stmt, nullptr) == SQLITE_OK) {
    sound = sqlite3_step(stmt) == SQLITE_ROW &&
            qstrcmp(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "ok") == 0;
  } else {
    sound = false;
  }
  sqlite3_finalize(stmt);
  QStringList tables;
  stmt = nullptr;
  if (sound && sqlite3_prepare_v2(db, "SELECT name FROM sqlite_schema WHERE type='table' AND name NOT GLOB 'sqlite_*'",
                                  -1, &stmt, nullptr) == SQLITE_OK) {
    while (sqlite3_step(stmt) == SQLITE_ROW)
      tables.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))));
  } else {
    sound = false;
  }
  sqlite3_finalize(stmt);
  for (const QString& table : std::as_const(tables)) {
    QString quoted = table;
    quoted.replace(u'"', QStringLiteral("\"\""));
    qint64 count = 0;
    if (!sound || !scalar(db, ("SELECT count(*) FROM \"" + quoted + "\"").toUtf8().constData(), &count)) {
      sound = false;
      break;
    }
    pCounts->insert(KvLower(table), count);
  }
  sqlite3_close_v2(db);
  return sound;
}
