#include "core/KvPgBackend.h"

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

std::unique_ptr<KvPgBackend> KvPgBackend::open(const CKvDbInfo& info) {
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
  add("options", "-c standard_conforming_strings=on");

  QList<const char*> keyPtrs, valuePtrs;
  for (qsizetype i = 0; i < keys.size(); ++i) {
    keyPtrs.append(keys[i].constData());
    valuePtrs.append(values[i].constData());
  }
  keyPtrs.append(nullptr);
  valuePtrs.append(nullptr);
  PGconn* conn = PQconnectdbParams(keyPtrs.constData(), valuePtrs.constData(), 0);
  if (PQstatus(conn) != CONNECTION_OK) {
    PQfinish(conn);
    return nullptr;
  }
  PQsetNoticeProcessor(conn, ignoreNotice, nullptr);
  return std::unique_ptr<KvPgBackend>(new KvPgBackend(conn, info.m_strServer));
}

KvPgBackend::~KvPgBackend() { close(); }

bool KvPgBackend::isOpen() const { return m_conn && PQstatus(m_conn) == CONNECTION_OK; }

void KvPgBackend::close() {
  if (!m_conn)
    return;
  PQfinish(m_conn);
  m_conn = nullptr;
  m_depth = 0;
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
    return false;
  }
  bool ok = true;
  while (PGresult* res = PQgetResult(m_conn)) {
    switch (PQresultStatus(res)) {
      case PGRES_FATAL_ERROR:
      case PGRES_BAD_RESPONSE:
        if (ok && error)
          *error = primaryMessage(m_conn, res);
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
  return ok;
}

bool KvPgBackend::guarded(const QString& sql, QString* error, PGresult** rows, qint64* affected) {
  if (m_depth == 0)
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

std::unique_ptr<KvDbCursor> KvPgBackend::query(const QString& sql, QString* error) {
  PGresult* rows = nullptr;
  const bool ok = guarded(sql, error, &rows, nullptr);
  if (ok && rows)
    return std::make_unique<PgCursor>(rows);
  if (rows)
    PQclear(rows);
  if (ok && error)
    *error = QStringLiteral("the statement returns no rows");
  return nullptr;
}

bool KvPgBackend::control(const QByteArray& sql) {
  const bool ok = send(sql, nullptr, nullptr, nullptr);
  syncDepth();
  return ok;
}

void KvPgBackend::syncDepth() {
  if (m_conn && m_depth > 0 && PQtransactionStatus(m_conn) == PQTRANS_IDLE)
    m_depth = 0;
}

bool KvPgBackend::beginTransaction() {
  if (!m_conn)
    return false;
  syncDepth();
  const QByteArray sql =
      m_depth == 0 ? QByteArray("BEGIN;SAVEPOINT kv_stmt")
                   : "RELEASE SAVEPOINT kv_stmt;SAVEPOINT kv_nest_" + QByteArray::number(m_depth + 1) +
                         ";SAVEPOINT kv_stmt";
  if (!control(sql))
    return false;
  ++m_depth;
  return true;
}

bool KvPgBackend::commitTransaction() {
  syncDepth();
  if (!m_conn || m_depth == 0)
    return false;
  if (m_depth > 1) {
    const QByteArray name = "kv_nest_" + QByteArray::number(m_depth);
    --m_depth;
    return control("RELEASE SAVEPOINT " + name + ";SAVEPOINT kv_stmt");
  }
  m_depth = 0;
  PGresult* res = PQexec(m_conn, "COMMIT");
  // A transaction the server had already aborted answers COMMIT with ROLLBACK.
  const bool ok = PQresultStatus(res) == PGRES_COMMAND_OK && qstrcmp(PQcmdStatus(res), "COMMIT") == 0;
  PQclear(res);
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
  return send("ROLLBACK", nullptr, nullptr, nullptr);
}

bool KvPgBackend::lockTable(const QString& table) {
  if (m_depth == 0)
    return false;
  return guarded(QStringLiteral("LOCK TABLE ") + table + QStringLiteral(" IN SHARE ROW EXCLUSIVE MODE"),
                 nullptr, nullptr, nullptr);
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
