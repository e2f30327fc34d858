#include "core/KvPgBackend.h"

#include "core/KvPresenceLock.h"
#include "core/KvSqlStatements.h"

#include <QDir>
#include <QList>
#include <charconv>
#include <limits>
#include <libpq-fe.h>

namespace {
// Inside a transaction the savepoint kv_stmt always stands right before the
// next statement; each inner transaction adds kv_nest_<depth> below it.
// Appended to a statement inside a transaction: on success the savepoint
// moves past it. A statement ending in a "--" comment is closed by the line
// break; one that fails takes the rest of the text down with it, and the
// savepoint before it is rolled back to.
constexpr const char* kAfterStatement = "\n;RELEASE SAVEPOINT kv_stmt;SAVEPOINT kv_stmt";

void ignoreNotice(void*, const char*) {}

// True when the statement of the result gave up waiting for a lock that
// another session held (lock_timeout).
bool gaveUpWaiting(const PGresult* res) {
  const char* state = res ? PQresultErrorField(res, PG_DIAG_SQLSTATE) : nullptr;
  return state && qstrcmp(state, "55P03") == 0;
}

QString primaryMessage(PGconn* conn, PGresult* res) {
  const char* primary = res ? PQresultErrorField(res, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
  return primary ? QString::fromUtf8(primary) : QString::fromUtf8(PQerrorMessage(conn)).trimmed();
}

// The local socket's folder: Debian's, else libpq's usual one.
QByteArray localSocketDir() {
  return QDir(QStringLiteral("/run/postgresql")).exists() ? QByteArray("/run/postgresql")
                                                          : QByteArray("/tmp");
}

class PgCursor final : public KvDbCursor {
 public:
  explicit PgCursor(PGresult* res)
      : m_res(res), m_rows(PQntuples(res)), m_columns(PQnfields(res)) {}
  ~PgCursor() override { PQclear(m_res); }

  bool atEnd() const override { return m_row >= m_rows; }
  void next() override {
    if (m_row < m_rows)
      ++m_row;
  }
  int columnCount() const override { return m_columns; }
  qint64 integer(int column) const override {
    if (!valid(column))
      return 0;
    const char* first = PQgetvalue(m_res, m_row, column);
    const char* last = first + PQgetlength(m_res, m_row, column);
    qint64 value = 0;
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec == std::errc() && end == last)
      return value;
    // numeric or floating text: its integer part
    double real = 0.0;
    if (std::from_chars(first, last, real).ec != std::errc() || real != real)
      return 0;
    if (real >= 9.2e18)
      return std::numeric_limits<qint64>::max();
    if (real <= -9.2e18)
      return std::numeric_limits<qint64>::min();
    return qint64(real);
  }
  double real(int column) const override {
    if (!valid(column))
      return 0.0;
    const char* first = PQgetvalue(m_res, m_row, column);
    double value = 0.0;
    if (std::from_chars(first, first + PQgetlength(m_res, m_row, column), value).ec != std::errc())
      return 0.0;
    return value;
  }
  QString text(int column) const override {
    if (!valid(column))
      return QString();
    return QString::fromUtf8(PQgetvalue(m_res, m_row, column), PQgetlength(m_res, m_row, column));
  }

 private:
  bool valid(int column) const {
    return m_row < m_rows && column >= 0 && column < m_columns && !PQgetisnull(m_res, m_row, column);
  }

  PGresult* m_res;
  int m_row = 0;
  int m_rows;
  int m_columns;
};
}  // namespace

std::unique_ptr<KvPgBackend> KvPgBackend::open(const CKvDbInfo& info, QString* error) {
  QList<QByteArray> keys, values;
  const auto add = [&](const char* key, const QByteArray& value) {
    keys.append(key);
    values.append(value);
  };
  QString host = info.m_strServer.trimmed();
  const qsizetype comma = host.lastIndexOf(u',');
  if (comma >= 0) {
    add("port", host.mid(comma + 1).trimmed().toUtf8());
    host = host.left(comma).trimmed();
  }
  add("host", host.isEmpty() || host == u"(local)" ? localSocketDir() : host.toUtf8());
  add("dbname", KvServerDatabaseName(info.m_strDatabase).toUtf8());
  if (!info.m_strUser.isEmpty())
    add("user", info.m_strUser.toUtf8());
  if (!info.m_strPassword.isEmpty())
    add("password", info.m_strPassword.toUtf8());
  add("connect_timeout", "5");
  add("client_encoding", "UTF8");
  add("application_name", KvDbApplicationName().toUtf8());
  // Quoting doubles single quotes only: backslashes must stay plain text.
  // A statement waits for another session's lock no longer than a
  // statement on a data file does.
  add("options", "-c standard_conforming_strings=on -c lock_timeout=" + QByteArray::number(kKvLockWaitMs));

  QList<const char*> keyPtrs, valuePtrs;
  for (qsizetype i = 0; i < keys.size(); ++i) {
    keyPtrs.append(keys[i].constData());
    valuePtrs.append(values[i].constData());
  }
  keyPtrs.append(nullptr);
  valuePtrs.append(nullptr);
  PGconn* conn = PQconnectdbParams(keyPtrs.constData(), valuePtrs.constData(), 0);
  if (PQstatus(conn) != CONNECTION_OK) {
    if (error)
      *error = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
    PQfinish(conn);
    return nullptr;
  }
  PQsetNoticeProcessor(conn, ignoreNotice, nullptr);
  std::unique_ptr<KvPgBackend> backend(new KvPgBackend(conn, info.m_strServer));
  backend->m_connectInfo = info;
  KvEnrolServerSession(backend.get());
  return backend;
}

KvPgBackend::~KvPgBackend() { close(); }

bool KvPgBackend::isOpen() const { return m_conn && PQstatus(m_conn) == CONNECTION_OK; }

void KvPgBackend::close() {
  KvWithdrawServerSession(this);
  if (!m_conn)
    return;
  PQfinish(m_conn);
  m_conn = nullptr;
  m_depth = 0;
  m_whole = false;
}

bool KvPgBackend::send(const QByteArray& sql, QString* error, PGresult** rows, qint64* affected) {
  if (affected)
    *affected = 0;
  if (!m_conn) {
    if (error)
      *error = QStringLiteral("database not open");
    return false;
  }
  if (!PQsendQuery(m_conn, sql.constData())) {
    if (error)
      *error = primaryMessage(m_conn, nullptr);
    noteIfLost();
    return false;
  }
  bool ok = true;
  while (PGresult* res = PQgetResult(m_conn)) {
    switch (PQresultStatus(res)) {
      case PGRES_FATAL_ERROR:
      case PGRES_BAD_RESPONSE:
        if (ok && error)
          *error = primaryMessage(m_conn, res);
        if (gaveUpWaiting(res))
          noteLockWait();
        ok = false;
        break;
      case PGRES_TUPLES_OK:
        if (rows && !*rows) {
          *rows = res;
          continue;  // kept: the caller clears it
        }
        [[fallthrough]];
      case PGRES_COMMAND_OK: {
        const char* first = PQcmdTuples(res);
        qint64 count = 0;
        std::from_chars(first, first + qstrlen(first), count);
        if (affected)
          *affected += count;
        break;
      }
      case PGRES_COPY_IN:
        // No data to give: refuse the copy instead of waiting for it.
        PQputCopyEnd(m_conn, "COPY FROM STDIN is not supported");
        break;
      case PGRES_COPY_OUT: {
        char* buffer = nullptr;
        while (PQgetCopyData(m_conn, &buffer, 0) > 0)
          PQfreemem(buffer);
        break;
      }
      default:
        break;
    }
    PQclear(res);
  }
  if (!ok)
    noteIfLost();
  return ok;
}

bool KvPgBackend::guarded(const QString& sql, QString* error, PGresult** rows, qint64* affected) {
  const KvSqlTextShape shape = KvSqlShape(sql);
  if (shape.begins || shape.ends) {
    // A text that begins or ends the transaction itself runs as it is; the
    // nesting count follows it, and a transaction it leaves open gets the
    // savepoint before the next statement.
    const bool ok = send(sql.toUtf8(), error, rows, affected);
    if (m_conn && PQtransactionStatus(m_conn) == PQTRANS_IDLE) {
      m_depth = 0;
      m_whole = false;
    } else if (m_conn && (shape.ends || m_depth == 0)) {
      m_depth = 1;
      m_whole = false;
      send("SAVEPOINT kv_stmt", nullptr, nullptr, nullptr);
    }
    return ok;
  }
  // In a whole transaction a failed statement leaves it for the rollback.
  if (m_depth == 0 || m_whole)
    return send(sql.toUtf8(), error, rows, affected);
  if (send(sql.toUtf8() + kAfterStatement, error, rows, affected))
    return true;
  if (rows && *rows) {
    PQclear(*rows);
    *rows = nullptr;
  }
  control("ROLLBACK TO SAVEPOINT kv_stmt");
  return false;
}

bool KvPgBackend::execute(const QString& sql, QString* error) {
  qint64 affected = 0;
  const bool ok = guarded(sql, error, nullptr, &affected);
  m_rows = ok ? affected : 0;
  return ok;
}


bool KvPgBackend::nextTypedStatement(const QString& sql, QString* statement, qsizetype* used, QString* error) {
  if (!KvDbBackend::nextTypedStatement(sql, statement, used, error) || statement->isEmpty())
    return true;
  if (!m_conn) {
    if (error)
      *error = QStringLiteral("database not open");
    return false;
  }
  // A text holding two statements is refused by the server here.
  PGresult* res = PQprepare(m_conn, "", statement->toUtf8().constData(), 0, nullptr);
  const bool ok = PQresultStatus(res) == PGRES_COMMAND_OK;
  if (!ok && error)
    *error = QString::fromUtf8(PQresultErrorMessage(res)).trimmed();
  PQclear(res);
  if (!ok && m_depth > 0 && !m_whole)
    control("ROLLBACK TO SAVEPOINT kv_stmt");
  return ok;
}

QString KvPgBackend::transactionMark() {
  return m_conn && PQtransactionStatus(m_conn) != PQTRANS_IDLE ? QStringLiteral("open") : QString();
}

bool KvPgBackend::control(const QByteArray& sql) {
  const bool ok = send(sql, nullptr, nullptr, nullptr);
  syncDepth();
  return ok;
}

void KvPgBackend::syncDepth() {
  if (m_conn && m_depth > 0 && PQtransactionStatus(m_conn) == PQTRANS_IDLE) {
    m_depth = 0;
    m_whole = false;
  }
}

bool KvPgBackend::beginTransaction() {
  if (!m_conn)
    return false;
  syncDepth();
  if (m_whole && m_depth > 0)
    return false;
  const QByteArray sql =
      m_depth == 0 ? QByteArray("BEGIN;SAVEPOINT kv_stmt")
                   : "RELEASE SAVEPOINT kv_stmt;SAVEPOINT kv_nest_" + QByteArray::number(m_depth + 1) +
                         ";SAVEPOINT kv_stmt";
  if (!control(sql))
    return false;
  ++m_depth;
  return true;
}

bool KvPgBackend::beginReadSnapshot() {
  if (!m_conn)
    return false;
  syncDepth();
  if (m_depth > 0)
    return beginTransaction();
  // The select takes the transaction's snapshot now.
  if (!control("BEGIN ISOLATION LEVEL REPEATABLE READ, READ ONLY;SELECT 1;SAVEPOINT kv_stmt"))
    return false;
  m_depth = 1;
  return true;
}

bool KvPgBackend::commitTransaction() {
  syncDepth();
  if (!m_conn || m_depth == 0)
    return false;
  if (m_depth > 1) {
    // A release that fails leaves the level open for its rollback.
    const QByteArray name = "kv_nest_" + QByteArray::number(m_depth);
    const bool ok = control("RELEASE SAVEPOINT " + name + ";SAVEPOINT kv_stmt");
    if (ok && m_depth > 0)
      --m_depth;
    return ok;
  }
  m_depth = 0;
  m_whole = false;
  PGresult* res = PQexec(m_conn, "COMMIT");
  // A transaction the server had already aborted answers COMMIT with ROLLBACK.
  const bool ok = PQresultStatus(res) == PGRES_COMMAND_OK && qstrcmp(PQcmdStatus(res), "COMMIT") == 0;
  PQclear(res);
  if (!ok)
    noteIfLost();
  return ok;
}

bool KvPgBackend::rollbackTransaction() {
  syncDepth();
  if (!m_conn || m_depth == 0)
    return false;
  if (m_depth > 1) {
    const QByteArray name = "kv_nest_" + QByteArray::number(m_depth);
    --m_depth;
    return control("ROLLBACK TO SAVEPOINT " + name + ";RELEASE SAVEPOINT " + name +
                   ";SAVEPOINT kv_stmt");
  }
  m_depth = 0;
  m_whole = false;
  return send("ROLLBACK", nullptr, nullptr, nullptr);
}

namespace {
// The lock, followed by the read of the carried mark when it is wanted.
QByteArray lockAndMark(const QString& table, const qint64* mark) {
  QByteArray sql = "LOCK TABLE " + table.toUtf8() + " IN SHARE ROW EXCLUSIVE MODE";
  if (mark)
    sql += QByteArray(";") + kKvCarriedMarkSql;
  return sql;
}

// The mark the read gave (-1 without a row); the result is cleared.
qint64 carriedMark(PGresult* rows) {
  qint64 mark = -1;
  if (rows && PQntuples(rows) > 0)
    mark = QByteArray(PQgetvalue(rows, 0, 0)).trimmed().toLongLong();
  PQclear(rows);
  return mark;
}
}  // namespace

bool KvPgBackend::beginLocked(const QString& table, qint64* mark) {
  if (!m_conn)
    return false;
  syncDepth();
  if (m_depth > 0)
    return false;
  // One round trip: the transaction, the lock, the mark and the statement
  // savepoint.
  PGresult* rows = nullptr;
  const bool ok = send("BEGIN;" + lockAndMark(table, mark) + ";SAVEPOINT kv_stmt", nullptr,
                       mark ? &rows : nullptr, nullptr);
  syncDepth();
  if (mark)
    *mark = carriedMark(rows);
  if (ok) {
    m_depth = 1;
    return true;
  }
  if (m_conn && PQtransactionStatus(m_conn) != PQTRANS_IDLE)
    send("ROLLBACK", nullptr, nullptr, nullptr);
  return false;
}

bool KvPgBackend::lockTable(const QString& table, qint64* mark) {
  if (m_depth == 0)
    return false;
  PGresult* rows = nullptr;
  const bool ok = guarded(QString::fromUtf8(lockAndMark(table, mark)), nullptr, mark ? &rows : nullptr, nullptr);
  if (mark)
    *mark = carriedMark(rows);
  return ok;
}

QString KvPgBackend::databaseName() const {
  return m_conn ? QString::fromUtf8(PQdb(m_conn)) : QString();
}

QString KvPgBackend::connectString() const {
  if (!m_conn)
    return QString();
  CKvDbInfo live(2);
  live.m_strServer = m_server;
  live.m_strUser = QString::fromUtf8(PQuser(m_conn));
  live.m_strPassword.clear();
  live.m_strDatabase = QString::fromUtf8(PQdb(m_conn));
  return live.GetConnectString(2);
}

// --- Rowsets and prepared statements ---

namespace {
constexpr Oid kByteaOid = 17;

class PgRowset final : public KvDbRowset {
 public:
  explicit PgRowset(PGresult* res) : m_cursor(res), m_res(res) {}

  bool atEnd() const override { return m_cursor.atEnd(); }
  void next() override {
    if (atEnd())
      return;
    m_cursor.next();
    ++m_row;
  }
  int columnCount() const override { return m_cursor.columnCount(); }
  qint64 integer(int column) const override { return m_cursor.integer(column); }
  double real(int column) const override { return m_cursor.real(column); }
  QString text(int column) const override { return m_cursor.text(column); }
  QString columnName(int column) const override {
    if (column < 0 || column >= columnCount())
      return QString();
    return QString::fromUtf8(PQfname(m_res, column));
  }
  bool isNull(int column) const override {
    return !inRange(column) || PQgetisnull(m_res, m_row, column);
  }
  QByteArray binary(int column) const override {
    if (isNull(column))
      return QByteArray();
    const char* value = PQgetvalue(m_res, m_row, column);
    if (PQftype(m_res, column) != kByteaOid)
      return QByteArray(value, PQgetlength(m_res, m_row, column));
    // Rows come as text: a bytea value is its escaped (hex) form.
    size_t length = 0;
    unsigned char* bytes = PQunescapeBytea(reinterpret_cast<const unsigned char*>(value), &length);
    if (!bytes)
      return QByteArray();
    QByteArray data(reinterpret_cast<const char*>(bytes), qsizetype(length));
    PQfreemem(bytes);
    return data;
  }

 private:
  bool inRange(int column) const { return !atEnd() && column >= 0 && column < columnCount(); }

  PgCursor m_cursor;  // owns the result
  PGresult* m_res;
  int m_row = 0;
};

// The statement text with its "?" parameters numbered as the server wants
// them ($1, $2, ...); a "?" inside a literal or a quoted name stays.
QByteArray numberParameters(const QString& sql, int* count) {
  QString text;
  text.reserve(sql.size() + 16);
  QChar quote;
  *count = 0;
  for (const QChar ch : sql) {
    if (!quote.isNull()) {
      if (ch == quote)
        quote = QChar();
    } else if (ch == u'\'' || ch == u'"') {
      quote = ch;
    } else if (ch == u'?') {
      text += u'$' + QString::number(++*count);
      continue;
    }
    text += ch;
  }
  return text.toUtf8();
}

QByteArray numberText(double value) {
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof(buffer), value);
  return ec == std::errc() ? QByteArray(buffer, end - buffer) : QByteArray("0");
}

class PgStatement final : public KvDbStatement {
 public:
  PgStatement(std::weak_ptr<KvPgBackend*> owner, const QByteArray& name, int parameters)
      : m_owner(std::move(owner)),
        m_name(name),
        m_values(parameters),
        m_formats(parameters, 0) {}
  ~PgStatement() override {
    const std::shared_ptr<KvPgBackend*> owner = m_owner.lock();
    if (owner && (*owner)->isOpen())
      (*owner)->execute(QStringLiteral("DEALLOCATE ") + QString::fromLatin1(m_name), nullptr);
  }
  PgStatement(const PgStatement&) = delete;
  PgStatement& operator=(const PgStatement&) = delete;

  void bindInteger(int index, qint64 value) override { set(index, QByteArray::number(value), 0); }
  void bindReal(int index, double value) override { set(index, numberText(value), 0); }
  void bindText(int index, const QString& value) override { set(index, value.toUtf8(), 0); }
  void bindUtf8(int index, const QByteArray& utf8) override { set(index, utf8, 0); }
  void bindBinary(int index, const QByteArray& value) override { set(index, value, 1); }

  bool run(QString* error) override { return execute(error, nullptr); }
  qint64 rowsAffected() const override { return m_rows; }
  std::unique_ptr<KvDbRowset> select(QString* error) override {
    PGresult* rows = nullptr;
    if (!execute(error, &rows))
      return nullptr;
    if (rows)
      return std::make_unique<PgRowset>(rows);
    if (error)
      *error = QStringLiteral("the statement returns no rows");
    return nullptr;
  }

  // Commands sent with the statement in one pipeline: `before` it (a
  // transaction they open, see KvPgBackend::beginLockedSelect) and `after`
  // it (the commit, see KvPgBackend::runAndCommit); whether each group
  // passed; and whether the statement moves the statement savepoint. The
  // rows of the command `before` at index keptAt are kept in `kept`, which
  // the caller clears.
  struct Pipeline {
    QList<QByteArray> before;
    QList<QByteArray> after;
    bool savepoint = true;
    bool beforeOk = false;
    bool afterOk = false;
    int keptAt = -1;
    PGresult* kept = nullptr;
  };

  // Runs with the bound values; a row set it gives goes to `rows` (when
  // given), which the caller clears. With `pipeline`, the statement goes
  // with its commands in one round trip.
  bool execute(QString* error, PGresult** rows, Pipeline* pipeline = nullptr) {
    const std::shared_ptr<KvPgBackend*> owner = m_owner.lock();
    if (!owner || !(*owner)->isOpen()) {
      if (error)
        *error = QStringLiteral("database not open");
      return false;
    }
    PGconn* conn = (*owner)->handle();
    const int count = int(m_values.size());
    QList<const char*> values(count);
    QList<int> lengths(count);
    for (int i = 0; i < count; ++i) {
      values[i] = m_values[i].constData();
      lengths[i] = int(m_values[i].size());
    }
    bool ok = false;
    if (pipeline) {
      ok = runPipeline(conn, values, lengths, error, rows, pipeline);
    } else if ((*owner)->transactionDepth() > 0 && !(*owner)->inWholeTransaction() &&
               PQtransactionStatus(conn) == PQTRANS_INTRANS) {
      Pipeline guarded;
      ok = runPipeline(conn, values, lengths, error, rows, &guarded);
    } else {
      ok = runPrepared(conn, values, lengths, error, rows);
    }
    if (!ok || (pipeline && !pipeline->afterOk))
      (*owner)->noteIfLost();
    if (std::exchange(m_lockWait, false))
      (*owner)->noteLockWait();
    return ok;
  }

 private:
  bool runPrepared(PGconn* conn, const QList<const char*>& values, const QList<int>& lengths,
                   QString* error, PGresult** rows) {
    const int count = int(values.size());
    PGresult* res = PQexecPrepared(conn, m_name.constData(), count, values.constData(),
                                   lengths.constData(), m_formats.constData(), 0);
    const ExecStatusType status = PQresultStatus(res);
    const bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    m_rows = ok ? commandRows(res) : 0;
    if (!ok && error)
      *error = primaryMessage(conn, res);
    m_lockWait = !ok && gaveUpWaiting(res);
    if (rows && status == PGRES_TUPLES_OK) {
      *rows = res;
      return true;
    }
    PQclear(res);
    return ok;
  }

  void set(int index, const QByteArray& value, int format) {
    if (index < 0 || index >= m_values.size())
      return;
    m_values[index] = value;
    m_formats[index] = format;
  }

  // Inside a transaction the statement runs under the savepoint that stands
  // before every statement (see kAfterStatement). The statement and the
  // moving of the savepoint go to the server in one pipeline, so a row costs
  // one round trip; when the statement fails the rest is skipped and the
  // savepoint is rolled back to. Commands `before` go first in the same
  // pipeline; when one of them fails nothing after it runs and a
  // transaction they opened is rolled back. Without the savepoint (a whole
  // transaction) a failed statement leaves the transaction for the
  // rollback. Commands `after` run only when everything before them passed.
  bool runPipeline(PGconn* conn, const QList<const char*>& values, const QList<int>& lengths,
                   QString* error, PGresult** rows, Pipeline* pipeline) {
    const QList<QByteArray>& before = pipeline->before;
    const bool savepoint = pipeline->savepoint;
    m_lockWait = false;
    if (!PQenterPipelineMode(conn)) {
      if (error)
        *error = primaryMessage(conn, nullptr);
      return false;
    }
    const int first = int(before.size());
    const int afterFirst = first + (savepoint ? 3 : 1);
    const int queries = afterFirst + int(pipeline->after.size());
    bool ok = true;
    for (const QByteArray& command : before)
      ok = ok && PQsendQueryParams(conn, command.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0);
    ok = ok && PQsendQueryPrepared(conn, m_name.constData(), int(values.size()), values.constData(),
                                   lengths.constData(), m_formats.constData(), 0);
    if (savepoint)
      ok = ok &&
           PQsendQueryParams(conn, "RELEASE SAVEPOINT kv_stmt", 0, nullptr, nullptr, nullptr, nullptr, 0) &&
           PQsendQueryParams(conn, "SAVEPOINT kv_stmt", 0, nullptr, nullptr, nullptr, nullptr, 0);
    for (const QByteArray& command : pipeline->after)
      ok = ok && PQsendQueryParams(conn, command.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0);
    ok = ok && PQpipelineSync(conn);
    if (!ok && error)
      *error = primaryMessage(conn, nullptr);
    // Each query's results end with a null; the sync point ends the pipeline.
    int nulls = 0;
    bool beforePassed = ok;
    bool afterPassed = ok;
    bool reported = false;
    m_rows = 0;
    while (nulls <= queries) {
      PGresult* res = PQgetResult(conn);
      if (!res) {
        ++nulls;
        continue;
      }
      const ExecStatusType status = PQresultStatus(res);
      // A COMMIT of a transaction the server had aborted answers ROLLBACK.
      const bool failed = status == PGRES_FATAL_ERROR || status == PGRES_BAD_RESPONSE ||
                          status == PGRES_PIPELINE_ABORTED || qstrcmp(PQcmdStatus(res), "ROLLBACK") == 0;
      if (nulls == first && (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK))
        m_rows = commandRows(res);
      if (failed && !reported && error && status != PGRES_PIPELINE_ABORTED) {
        *error = primaryMessage(conn, res);
        reported = true;
      }
      if (failed) {
        m_lockWait = m_lockWait || gaveUpWaiting(res);
        afterPassed = false;
        if (nulls < afterFirst)
          ok = false;
        if (nulls < first)
          beforePassed = false;
      }
      if (nulls == first && status == PGRES_TUPLES_OK && rows && !*rows)
        *rows = res;  // kept: the caller clears it
      else if (nulls == pipeline->keptAt && status == PGRES_TUPLES_OK && !pipeline->kept)
        pipeline->kept = res;
      else
        PQclear(res);
      if (status == PGRES_PIPELINE_SYNC)
        break;
    }
    PQexitPipelineMode(conn);
    pipeline->beforeOk = beforePassed;
    pipeline->afterOk = afterPassed;
    if (!beforePassed) {
      if (PQtransactionStatus(conn) != PQTRANS_IDLE)
        PQclear(PQexec(conn, "ROLLBACK"));
    } else if (!ok && savepoint && PQtransactionStatus(conn) == PQTRANS_INERROR) {
      PQclear(PQexec(conn, "ROLLBACK TO SAVEPOINT kv_stmt"));
    }
    if (!ok) {
      m_rows = 0;
      if (rows && *rows) {
        PQclear(*rows);
        *rows = nullptr;
      }
    }
    return ok;
  }

  static qint64 commandRows(PGresult* res) {
    const char* first = PQcmdTuples(res);
    qint64 count = 0;
    std::from_chars(first, first + qstrlen(first), count);
    return count;
  }

  std::weak_ptr<KvPgBackend*> m_owner;
  qint64 m_rows = 0;
  bool m_lockWait = false;  // the last run gave up waiting for a lock
  QByteArray m_name;
  QList<QByteArray> m_values;
  QList<int> m_formats;
};
}  // namespace

bool KvPgBackend::beginLockedSelect(const QString& table, KvDbStatement& statement,
                                    std::unique_ptr<KvDbRowset>* rows, QString* error, StatementFailure failure,
                                    qint64* mark) {
  auto* prepared = dynamic_cast<PgStatement*>(&statement);
  if (!prepared)
    return KvDbBackend::beginLockedSelect(table, statement, rows, error, failure, mark);
  if (!m_conn)
    return false;
  syncDepth();
  if (m_depth > 0)
    return false;
  PGresult* result = nullptr;
  const bool whole = failure == StatementFailure::kEndsTransaction;
  PgStatement::Pipeline pipeline;
  pipeline.before = {"BEGIN", "LOCK TABLE " + table.toUtf8() + " IN SHARE ROW EXCLUSIVE MODE"};
  if (mark) {
    pipeline.keptAt = int(pipeline.before.size());
    pipeline.before.append(kKvCarriedMarkSql);
  }
  if (!whole)
    pipeline.before.append("SAVEPOINT kv_stmt");
  pipeline.savepoint = !whole;
  const bool selected = prepared->execute(error, &result, &pipeline);
  const bool begun = pipeline.beforeOk;
  if (mark)
    *mark = carriedMark(pipeline.kept);
  if (!begun) {
    if (result)
      PQclear(result);
    return false;
  }
  m_depth = 1;
  m_whole = whole;
  rows->reset();
  if (selected && result)
    *rows = std::make_unique<PgRowset>(result);
  else if (selected && error)
    *error = QStringLiteral("the statement returns no rows");
  return true;
}

bool KvPgBackend::runAndCommit(KvDbStatement& statement, QString* error) {
  auto* prepared = dynamic_cast<PgStatement*>(&statement);
  syncDepth();
  if (!prepared || !m_conn || m_depth != 1 || !m_whole)
    return KvDbBackend::runAndCommit(statement, error);
  PgStatement::Pipeline pipeline;
  pipeline.savepoint = false;
  pipeline.after = {"COMMIT"};
  const bool ran = prepared->execute(error, nullptr, &pipeline);
  if (PQtransactionStatus(m_conn) != PQTRANS_IDLE)
    send("ROLLBACK", nullptr, nullptr, nullptr);
  m_depth = 0;
  m_whole = false;
  return ran && pipeline.afterOk;
}

namespace {
// Rows streamed into a table with COPY ... FROM STDIN in its text form: the
// COPY begins with the first row, the rows go to the server in large
// pieces, and the server answers once, when the load is finished. Inside a
// transaction the load runs under the statement savepoint, as a statement.
class PgCopy final : public KvDbStatement {
 public:
  PgCopy(std::weak_ptr<KvPgBackend*> owner, QByteArray sql, int columns)
      : m_owner(std::move(owner)), m_sql(std::move(sql)), m_values(columns) {}
  ~PgCopy() override {
    // A load that is not finished is undone.
    if (PGconn* conn = m_started && !m_done ? live() : nullptr) {
      PQputCopyEnd(conn, "the load was not finished");
      end(conn, nullptr);
    }
  }

  void bindInteger(int index, qint64 value) override { set(index, QByteArray::number(value)); }
  void bindReal(int index, double value) override {
    char digits[32];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    set(index, ec == std::errc() ? QByteArray(digits, int(end - digits)) : QByteArray("0"));
  }
  void bindText(int index, const QString& value) override { set(index, escaped(value.toUtf8())); }
  void bindUtf8(int index, const QByteArray& utf8) override { set(index, escaped(utf8)); }
  void bindBinary(int index, const QByteArray& value) override { set(index, "\\\\x" + value.toHex()); }

  bool run(QString* error) override {
    PGconn* conn = live();
    if (!conn || m_done)
      return fail(error, QStringLiteral("database not open"));
    if (!m_started) {
      PGresult* res = PQexec(conn, m_sql.constData());
      const bool copying = PQresultStatus(res) == PGRES_COPY_IN;
      if (!copying && error)
        *error = primaryMessage(conn, res);
      PQclear(res);
      if (!copying) {
        if (PQtransactionStatus(conn) == PQTRANS_INERROR && !inWhole())
          PQclear(PQexec(conn, "ROLLBACK TO SAVEPOINT kv_stmt"));
        m_done = true;
        return false;
      }
      m_started = true;
    }
    for (qsizetype i = 0; i < m_values.size(); ++i) {
      if (i > 0)
        m_buffer += '\t';
      m_buffer += m_values.at(i);
    }
    m_buffer += '\n';
    ++m_rows;
    return m_buffer.size() < kPiece || flush(conn, error);
  }
  // The rows streamed so far; they are stored when the load finishes.
  qint64 rowsAffected() const override { return m_rows; }

  bool finish(QString* error) override {
    if (!m_started)
      return !m_done;  // no row, or refused at its start
    if (m_done)
      return false;
    PGconn* conn = live();
    if (!conn)
      return fail(error, QStringLiteral("database not open"));
    const bool sent = flush(conn, error) && PQputCopyEnd(conn, nullptr) == 1;
    return end(conn, sent ? error : nullptr) && sent;
  }

 private:
  static constexpr qsizetype kPiece = 1 << 20;
  qint64 m_rows = 0;

  PGconn* live() const {
    const std::shared_ptr<KvPgBackend*> owner = m_owner.lock();
    return owner && (*owner)->isOpen() ? (*owner)->handle() : nullptr;
  }
  static bool fail(QString* error, const QString& why) {
    if (error)
      *error = why;
    return false;
  }
  void set(int index, QByteArray value) {
    if (index >= 0 && index < m_values.size())
      m_values[index] = std::move(value);
  }
  // The text form of COPY: backslash, tab and line ends escaped.
  static QByteArray escaped(const QByteArray& utf8) {
    QByteArray out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
      switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
      }
    }
    return out;
  }
  bool flush(PGconn* conn, QString* error) {
    if (m_buffer.isEmpty())
      return true;
    const bool ok = PQputCopyData(conn, m_buffer.constData(), int(m_buffer.size())) == 1;
    m_buffer.clear();
    if (!ok && error)
      *error = primaryMessage(conn, nullptr);
    return ok;
  }
  // Collects the server's answer to the load; under a savepoint it moves
  // past the load, or is rolled back to when the load was refused.
  bool end(PGconn* conn, QString* error) {
    m_done = true;
    bool ok = true;
    while (PGresult* res = PQgetResult(conn)) {
      if (PQresultStatus(res) != PGRES_COMMAND_OK) {
        if (ok && error)
          *error = primaryMessage(conn, res);
        ok = false;
      }
      PQclear(res);
    }
    if (inWhole())
      return ok;
    if (PQtransactionStatus(conn) == PQTRANS_INERROR)
      PQclear(PQexec(conn, "ROLLBACK TO SAVEPOINT kv_stmt"));
    else if (ok && PQtransactionStatus(conn) == PQTRANS_INTRANS)
      PQclear(PQexec(conn, "RELEASE SAVEPOINT kv_stmt;SAVEPOINT kv_stmt"));
    return ok;
  }

  // Inside a whole transaction, which keeps no statement savepoint.
  bool inWhole() const {
    const std::shared_ptr<KvPgBackend*> owner = m_owner.lock();
    return owner && (*owner)->inWholeTransaction();
  }

  std::weak_ptr<KvPgBackend*> m_owner;
  QByteArray m_sql;
  QList<QByteArray> m_values;
  QByteArray m_buffer;
  bool m_started = false;
  bool m_done = false;
};
}  // namespace

std::unique_ptr<KvDbStatement> KvPgBackend::prepareBulkInsert(const QString& table, const QStringList& columns,
                                                              QString* error) {
  if (!m_conn) {
    if (error)
      *error = QStringLiteral("database not open");
    return nullptr;
  }
  return std::make_unique<PgCopy>(m_liveToken,
                                  ("COPY " + table + u'(' + columns.join(u',') + QStringLiteral(") FROM STDIN")).toUtf8(),
                                  int(columns.size()));
}

std::unique_ptr<KvDbRowset> KvPgBackend::openRowset(const QString& sql, QString* error) {
  PGresult* rows = nullptr;
  const bool ok = guarded(sql, error, &rows, nullptr);
  if (ok && rows)
    return std::make_unique<PgRowset>(rows);
  if (rows)
    PQclear(rows);
  if (ok && error)
    *error = QStringLiteral("the statement returns no rows");
  return nullptr;
}

std::unique_ptr<KvDbStatement> KvPgBackend::prepare(const QString& sql, QString* error) {
  if (!m_conn) {
    if (error)
      *error = QStringLiteral("database not open");
    return nullptr;
  }
  static int counter = 0;
  const QByteArray name = "kv_prepared_" + QByteArray::number(++counter);
  int parameters = 0;
  const QByteArray text = numberParameters(sql, &parameters);
  PGresult* res = PQprepare(m_conn, name.constData(), text.constData(), parameters, nullptr);
  const bool ok = PQresultStatus(res) == PGRES_COMMAND_OK;
  if (!ok && error)
    *error = primaryMessage(m_conn, res);
  // Preparing locks the statement's tables too: a wait given up there is
  // told as any other statement's.
  if (!ok && gaveUpWaiting(res))
    noteLockWait();
  PQclear(res);
  if (!ok) {
    noteIfLost();
    // A refused statement aborts the transaction: undo it alone.
    if (m_depth > 0 && !m_whole && PQtransactionStatus(m_conn) == PQTRANS_INERROR)
      control("ROLLBACK TO SAVEPOINT kv_stmt");
    return nullptr;
  }
  return std::make_unique<PgStatement>(m_liveToken, name, parameters);
}

// --- Server sessions ---

bool KvPgBackend::suspendSession() {
  syncDepth();
  if (!m_conn || m_depth > 0)
    return false;
  PQfinish(m_conn);
  m_conn = nullptr;
  dropKeptStatements();
  return true;
}

bool KvPgBackend::resumeSession() {
  if (m_conn)
    return true;
  std::unique_ptr<KvPgBackend> fresh = open(m_connectInfo);
  if (!fresh)
    return false;
  m_conn = fresh->m_conn;
  fresh->m_conn = nullptr;
  return true;
}
