#include "core/KvSqliteBackend.h"

#include "core/KvMdbPassword.h"
#include "core/KvSqliteFunctions.h"

#include <QFileInfo>
#include <sqlite3.h>

namespace {
// How long a statement waits for another program's lock before it fails.
constexpr int kBusyTimeoutMs = 10000;

void setError(QString* error, sqlite3* db) {
  if (error)
    *error = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("database not open");
}

// The first column of the first row of a one-value statement.
bool scalar(sqlite3* db, const char* sql, qint64* value) {
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
}  // namespace

std::unique_ptr<KvSqliteBackend> KvSqliteBackend::open(const QString& path) {
  if (path.isEmpty())
    return nullptr;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                      nullptr) != SQLITE_OK) {
    sqlite3_close_v2(db);
    return nullptr;
  }
  std::unique_ptr<KvSqliteBackend> backend(new KvSqliteBackend(db, path));
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  qint64 applicationId = 0;
  if (!scalar(db, "PRAGMA application_id", &applicationId) ||
      applicationId != kKvSqliteApplicationId)
    return nullptr;
  // journal_mode answers with a row; the other settings with none.
  qint64 ignored = 0;
  if (!scalar(db, "PRAGMA journal_mode=DELETE", &ignored) || !backend->run("PRAGMA synchronous=FULL") ||
      !KvRegisterJetFunctions(db))
    return nullptr;
  return backend;
}

std::unique_ptr<KvSqliteBackend> KvSqliteBackend::create(const QString& path) {
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
  return rc == SQLITE_OK ? open(path) : nullptr;
}

KvSqliteBackend::~KvSqliteBackend() { close(); }

void KvSqliteBackend::close() {
  if (!m_db)
    return;
  // close_v2 lets a cursor that is still alive finish its statement first.
  sqlite3_close_v2(m_db);
  m_db = nullptr;
  m_depth = 0;
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
  return m_db && sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool KvSqliteBackend::execute(const QString& sql, QString* error) {
  m_rows = 0;
  if (!m_db) {
    setError(error, nullptr);
    return false;
  }
  const QByteArray utf8 = sql.toUtf8();
  const char* tail = utf8.constData();
  const char* const end = tail + utf8.size();
  // Counting the change of the total also gives 0 for statements that change
  // nothing, where sqlite3_changes would repeat the previous statement's count.
  const sqlite3_int64 before = sqlite3_total_changes64(m_db);
  bool ok = true;
  while (ok && tail < end) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, tail, int(end - tail), &stmt, &tail) != SQLITE_OK) {
      setError(error, m_db);
      ok = false;
      break;
    }
    if (!stmt)  // only blanks or comments were left
      break;
    int rc;
    do
      rc = sqlite3_step(stmt);
    while (rc == SQLITE_ROW);
    ok = rc == SQLITE_DONE;
    if (!ok)
      setError(error, m_db);
    sqlite3_finalize(stmt);
  }
  if (!ok)
    syncDepth();
  m_rows = ok ? sqlite3_total_changes64(m_db) - before : 0;
  return ok;
}

std::unique_ptr<KvDbCursor> KvSqliteBackend::query(const QString& sql, QString* error) {
  if (!m_db) {
    setError(error, nullptr);
    return nullptr;
  }
  const QByteArray utf8 = sql.toUtf8();
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &stmt, nullptr) != SQLITE_OK) {
    setError(error, m_db);
    return nullptr;
  }
  if (!stmt) {
    if (error)
      *error = QStringLiteral("no statement");
    return nullptr;
  }
  const int rc = sqlite3_step(stmt);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
    setError(error, m_db);
    sqlite3_finalize(stmt);
    syncDepth();
    return nullptr;
  }
  return std::make_unique<SqliteCursor>(stmt, rc == SQLITE_DONE);
}

void KvSqliteBackend::syncDepth() {
  if (m_db && m_depth > 0 && sqlite3_get_autocommit(m_db))
    m_depth = 0;
}

bool KvSqliteBackend::beginTransaction() {
  if (!m_db)
    return false;
  syncDepth();
  const QByteArray sql =
      m_depth == 0 ? QByteArray("BEGIN IMMEDIATE") : "SAVEPOINT kv_nest_" + QByteArray::number(m_depth + 1);
  if (!run(sql.constData()))
    return false;
  ++m_depth;
  return true;
}

bool KvSqliteBackend::commitTransaction() {
  syncDepth();
  if (!m_db || m_depth == 0)
    return false;
  if (m_depth > 1) {
    const bool ok = run(("RELEASE SAVEPOINT kv_nest_" + QByteArray::number(m_depth)).constData());
    --m_depth;
    return ok;
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
  syncDepth();
  if (!m_db || m_depth == 0)
    return false;
  if (m_depth > 1) {
    const QByteArray name = "kv_nest_" + QByteArray::number(m_depth);
    --m_depth;
    return run(("ROLLBACK TO SAVEPOINT " + name + ";RELEASE SAVEPOINT " + name).constData());
  }
  m_depth = 0;
  return run("ROLLBACK");
}

bool KvSqliteBackend::lockTable(const QString&) {
  // Transactions begin IMMEDIATE: the file's write lock is already held.
  return m_db && m_depth > 0;
}
