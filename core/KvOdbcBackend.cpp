#include "core/KvOdbcBackend.h"

#include "core/KvPresenceLock.h"
#include "core/KvSqlTranslator.h"

#include <QList>
#include <iterator>
#include <utility>
#include <limits>
#include <sql.h>
#include <sqlext.h>

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC must use 16-bit SQLWCHAR");

// The environment and connection handles of one session. The cursors share
// it, so the session is ended only when nothing uses it any more.
struct KvOdbcLink {
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  bool connected = false;

  ~KvOdbcLink() {
    if (connected && !SQL_SUCCEEDED(SQLDisconnect(dbc))) {
      // A transaction still open refuses the disconnect: undo it first.
      SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_ROLLBACK);
      SQLDisconnect(dbc);
    }
    if (dbc != SQL_NULL_HDBC)
      SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    if (env != SQL_NULL_HENV)
      SQLFreeHandle(SQL_HANDLE_ENV, env);
  }
};

namespace {
const SQLWCHAR* wide(const QString& text) { return reinterpret_cast<const SQLWCHAR*>(text.utf16()); }

QString diagnostic(SQLSMALLINT type, SQLHANDLE handle) {
  SQLWCHAR state[6];
  SQLINTEGER native = 0;
  SQLWCHAR message[1024];
  SQLSMALLINT length = 0;
  if (!SQL_SUCCEEDED(SQLGetDiagRecW(type, handle, 1, state, &native, message,
                                    SQLSMALLINT(std::size(message)), &length)))
    return QStringLiteral("ODBC error");
  length = qMin<SQLSMALLINT>(length, SQLSMALLINT(std::size(message) - 1));
  return QString::fromUtf16(reinterpret_cast<const char16_t*>(message), length);
}

// True when the failed call's statement gave up waiting for a lock that
// another session held (the server's lock_timeout, SQLSTATE 55P03).
bool gaveUpWaiting(SQLSMALLINT type, SQLHANDLE handle) {
  SQLWCHAR state[6];
  SQLINTEGER native = 0;
  SQLSMALLINT length = 0;
  for (SQLSMALLINT record = 1;; ++record) {
    if (!SQL_SUCCEEDED(SQLGetDiagRecW(type, handle, record, state, &native, nullptr, 0, &length)))
      return false;
    if (QStringView(reinterpret_cast<const char16_t*>(state), 5) == u"55P03")
      return true;
  }
}

// Reads one column of the current row as text; false when the driver fails.
bool readColumn(SQLHSTMT stmt, int column, QString* value, bool* isNull) {
  value->clear();
  *isNull = false;
  SQLWCHAR buffer[512];
  for (;;) {
    SQLLEN indicator = 0;
    const SQLRETURN rc =
        SQLGetData(stmt, SQLUSMALLINT(column + 1), SQL_C_WCHAR, buffer, sizeof(buffer), &indicator);
    if (rc == SQL_NO_DATA)
      return true;  // every part has been read
    if (!SQL_SUCCEEDED(rc))
      return false;
    if (indicator == SQL_NULL_DATA) {
      *isNull = true;
      return true;
    }
    const bool truncated = indicator == SQL_NO_TOTAL || indicator >= SQLLEN(sizeof(buffer));
    const qsizetype units = truncated ? qsizetype(std::size(buffer) - 1) : qsizetype(indicator / 2);
    value->append(QStringView(reinterpret_cast<const char16_t*>(buffer), units));
    if (!truncated)
      return true;
  }
}

// A connect-string value in braces (every "}" doubled) when it holds a
// character that would end it or a blank at an edge.
QString enclosed(const QString& value) {
  if (value.isEmpty() || (!value.contains(u';') && !value.contains(u'{') && !value.contains(u'}') &&
                          value.front() != u' ' && value.back() != u' '))
    return value;
  QString doubled = value;
  doubled.replace(u'}', QStringLiteral("}}"));
  return u'{' + doubled + u'}';
}

bool connectionDead(SQLHDBC dbc) {
  SQLUINTEGER dead = SQL_CD_FALSE;
  return SQL_SUCCEEDED(SQLGetConnectAttrW(dbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)) &&
         dead == SQL_CD_TRUE;
}
}  // namespace

QString KvOdbcLoginNameProblem(const CKvDbInfo& info) {
  const auto unusable = [](const QString& value) {
    return value.contains(u';') || value.startsWith(u'{');
  };
  if (unusable(info.m_strUser))
    return QStringLiteral("用户名“%1”中有“;”或以“{”开头，不能通过ODBC数据源登录。").arg(info.m_strUser);
  const QString database = KvServerDatabaseName(info.m_strDatabase);
  if (unusable(database))
    return QStringLiteral("数据库名“%1”中有“;”或以“{”开头，不能通过ODBC数据源打开。").arg(database);
  return QString();
}

std::unique_ptr<KvOdbcBackend> KvOdbcBackend::open(const CKvDbInfo& info, QString* error) {
  auto link = std::make_shared<KvOdbcLink>();
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &link->env)) ||
      !SQL_SUCCEEDED(SQLSetEnvAttr(link->env, SQL_ATTR_ODBC_VERSION,
                                   reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0)) ||
      !SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, link->env, &link->dbc)))
    return nullptr;
  if (!KvOdbcLoginNameProblem(info).isEmpty())
    return nullptr;
  // psqlODBC reads braces around the password only: the user and the
  // database go as they are (KvOdbcLoginNameProblem refuses what cannot).
  // Protocol 7.4-2: psqlODBC rolls back only the failed statement.
  const QString connect = QStringLiteral("DSN=") + enclosed(info.m_strServer) +
                          QStringLiteral(";UID=") + info.m_strUser + QStringLiteral(";PWD=") +
                          enclosed(info.m_strPassword) + QStringLiteral(";DATABASE=") +
                          KvServerDatabaseName(info.m_strDatabase) +
                          QStringLiteral(";Protocol=7.4-2");
  SQLWCHAR completed[2048];
  SQLSMALLINT completedLength = 0;
  if (!SQL_SUCCEEDED(SQLDriverConnectW(link->dbc, nullptr, const_cast<SQLWCHAR*>(wide(connect)),
                                       SQL_NTS, completed, SQLSMALLINT(std::size(completed)),
                                       &completedLength, SQL_DRIVER_NOPROMPT))) {
    if (error)
      *error = diagnostic(SQL_HANDLE_DBC, link->dbc);
    return nullptr;
  }
  link->connected = true;
  completedLength = qMin<SQLSMALLINT>(completedLength, SQLSMALLINT(std::size(completed) - 1));
  std::unique_ptr<KvOdbcBackend> backend(new KvOdbcBackend(
      link, QString::fromUtf16(reinterpret_cast<const char16_t*>(completed), completedLength)));
  // Quoting doubles single quotes only: backslashes must stay plain text.
  if (!backend->run(QStringLiteral("SET application_name = '") +
                        KvQuoteSqlText(KvDbApplicationName(), 1) + u'\'',
                    error, nullptr) ||
      !backend->run(QStringLiteral("SET standard_conforming_strings = on"), error, nullptr) ||
      !backend->run(QStringLiteral("SET lock_timeout = ") + QString::number(kKvLockWaitMs), error, nullptr))
    return nullptr;
  backend->m_connectInfo = info;
  KvEnrolServerSession(backend.get());
  return backend;
}

KvOdbcBackend::~KvOdbcBackend() { close(); }

void KvOdbcBackend::close() {
  KvWithdrawServerSession(this);
  if (!m_link)
    return;
  if (m_depth > 0)
    endTransaction(false);
  m_link.reset();
  m_depth = 0;
}

bool KvOdbcBackend::isOpen() const { return m_link && !connectionDead(m_link->dbc); }

bool KvOdbcBackend::dropIfLost() {
  if (!m_link || !connectionDead(m_link->dbc))
    return false;
  // The server ended the session: whatever the transaction held is gone.
  m_link.reset();
  m_depth = 0;
  noteIfLost();
  return true;
}

bool KvOdbcBackend::execute(const QString& sql, QString* error) {
  qint64 affected = 0;
  const bool ok = run(sql, error, &affected);
  m_rows = ok ? affected : 0;
  return ok;
}

SQLHSTMT KvOdbcBackend::newStatement(QString* error) {
  if (!m_link) {
    if (error)
      *error = QStringLiteral("database not open");
    return SQL_NULL_HSTMT;
  }
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, m_link->dbc, &stmt))) {
    if (error)
      *error = diagnostic(SQL_HANDLE_DBC, m_link->dbc);
    return SQL_NULL_HSTMT;
  }
  if (m_timeout > 0)
    SQLSetStmtAttr(stmt, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN(m_timeout)), 0);
  return stmt;
}

bool KvOdbcBackend::run(const QString& sql, QString* error, qint64* affected, qint64* value) {
  if (affected)
    *affected = 0;
  const SQLHSTMT stmt = newStatement(error);
  if (stmt == SQL_NULL_HSTMT)
    return false;
  SQLRETURN rc = SQLExecDirectW(stmt, const_cast<SQLWCHAR*>(wide(sql)), SQL_NTS);
  bool ok = SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA;
  if (!ok && error)
    *error = diagnostic(SQL_HANDLE_STMT, stmt);
  if (!ok && gaveUpWaiting(SQL_HANDLE_STMT, stmt))
    noteLockWait();
  // Several statements in one text give one count each.
  bool valueTaken = !value;
  while (ok) {
    SQLLEN count = 0;
    if (affected && SQL_SUCCEEDED(SQLRowCount(stmt, &count)) && count > 0)
      *affected += count;
    SQLSMALLINT columns = 0;
    if (!valueTaken && SQL_SUCCEEDED(SQLNumResultCols(stmt, &columns)) && columns > 0) {
      valueTaken = true;
      SQLBIGINT first = 0;
      SQLLEN indicator = 0;
      *value = SQL_SUCCEEDED(SQLFetch(stmt)) &&
                       SQL_SUCCEEDED(SQLGetData(stmt, 1, SQL_C_SBIGINT, &first, sizeof(first), &indicator)) &&
                       indicator != SQL_NULL_DATA
                   ? qint64(first)
                   : -1;
    }
    rc = SQLMoreResults(stmt);
    if (rc == SQL_NO_DATA)
      break;
    if (!SQL_SUCCEEDED(rc)) {
      ok = false;
      if (error)
        *error = diagnostic(SQL_HANDLE_STMT, stmt);
      if (gaveUpWaiting(SQL_HANDLE_STMT, stmt))
        noteLockWait();
    }
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  if (!ok)
    dropIfLost();
  return ok;
}

bool KvOdbcBackend::endTransaction(bool commit) {
  const bool ended = SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, m_link->dbc, commit ? SQL_COMMIT : SQL_ROLLBACK));
  const bool automatic = SQL_SUCCEEDED(SQLSetConnectAttrW(
      m_link->dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), SQL_IS_UINTEGER));
  m_depth = 0;
  endReadSnapshot();
  return ended && automatic;
}

bool KvOdbcBackend::beginTransaction() {
  if (!m_link)
    return false;
  if (m_depth == 0) {
    if (!SQL_SUCCEEDED(SQLSetConnectAttrW(m_link->dbc, SQL_ATTR_AUTOCOMMIT,
                                          reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF),
                                          SQL_IS_UINTEGER)))
      return false;
  } else if (!run(QStringLiteral("SAVEPOINT kv_nest_") + QString::number(m_depth + 1), nullptr, nullptr)) {
    return false;
  }
  ++m_depth;
  return true;
}

bool KvOdbcBackend::beginReadSnapshot() {
  if (!m_link)
    return false;
  if (m_depth > 0)
    return beginTransaction();
  // The driver begins the transaction itself before the next statement:
  // the session's default decides its kind, and is set back when it ends.
  if (!run(QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION ISOLATION LEVEL REPEATABLE "
                          "READ, READ ONLY"),
           nullptr, nullptr))
    return false;
  m_readSnapshot = true;
  if (!beginTransaction() || !run(QStringLiteral("SELECT 1"), nullptr, nullptr)) {
    if (m_depth > 0)
      endTransaction(false);
    else
      endReadSnapshot();
    return false;
  }
  return true;
}

void KvOdbcBackend::endReadSnapshot() {
  if (!std::exchange(m_readSnapshot, false))
    return;
  run(QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION ISOLATION LEVEL READ COMMITTED, "
                     "READ WRITE"),
      nullptr, nullptr);
}

bool KvOdbcBackend::commitTransaction() {
  // The driver answers a commit on a session the server has ended with
  // success: a lost session is looked for first.
  if (dropIfLost() || !m_link || m_depth == 0)
    return false;
  if (m_depth == 1) {
    const bool committed = endTransaction(true);
    return !dropIfLost() && committed;
  }
  // A release that fails leaves the level open for its rollback.
  if (!run(QStringLiteral("RELEASE SAVEPOINT kv_nest_") + QString::number(m_depth), nullptr, nullptr))
    return false;
  --m_depth;
  return true;
}

bool KvOdbcBackend::rollbackTransaction() {
  if (dropIfLost() || !m_link || m_depth == 0)
    return false;
  if (m_depth == 1)
    return endTransaction(false);
  const QString name = QStringLiteral("kv_nest_") + QString::number(m_depth--);
  return run(QStringLiteral("ROLLBACK TO SAVEPOINT ") + name, nullptr, nullptr) &&
         run(QStringLiteral("RELEASE SAVEPOINT ") + name, nullptr, nullptr);
}

bool KvOdbcBackend::lockTable(const QString& table, qint64* mark) {
  if (m_depth == 0)
    return false;
  const QString lock = QStringLiteral("LOCK TABLE ") + table + QStringLiteral(" IN SHARE ROW EXCLUSIVE MODE");
  if (!mark)
    return run(lock, nullptr, nullptr);
  // One text: the driver hands it to the server whole, and the mark is the
  // rows of its second statement.
  *mark = -1;
  return run(lock + u';' + QLatin1String(kKvCarriedMarkSql), nullptr, nullptr, mark);
}

QString KvOdbcBackend::databaseName() const {
  if (!m_link)
    return QString();
  SQLWCHAR name[256];
  SQLSMALLINT length = 0;
  if (!SQL_SUCCEEDED(SQLGetInfoW(m_link->dbc, SQL_DATABASE_NAME, name, sizeof(name), &length)))
    return QString();
  const qsizetype units = qMin<qsizetype>(length / 2, qsizetype(std::size(name) - 1));
  return QString::fromUtf16(reinterpret_cast<const char16_t*>(name), units);
}

// --- Rowsets and prepared statements ---

namespace {
bool isBinaryType(SQLSMALLINT type) {
  return type == SQL_BINARY || type == SQL_VARBINARY || type == SQL_LONGVARBINARY;
}

// Reads one binary column of the current row; false when the driver fails.
bool readBinaryColumn(SQLHSTMT stmt, int column, QByteArray* value, bool* isNull) {
  value->clear();
  *isNull = false;
  char buffer[8192];
  for (;;) {
    SQLLEN indicator = 0;
    const SQLRETURN rc =
        SQLGetData(stmt, SQLUSMALLINT(column + 1), SQL_C_BINARY, buffer, sizeof(buffer), &indicator);
    if (rc == SQL_NO_DATA)
      return true;
    if (!SQL_SUCCEEDED(rc))
      return false;
    if (indicator == SQL_NULL_DATA) {
      *isNull = true;
      return true;
    }
    const bool truncated = indicator == SQL_NO_TOTAL || indicator > SQLLEN(sizeof(buffer));
    value->append(buffer, truncated ? qsizetype(sizeof(buffer)) : qsizetype(indicator));
    if (!truncated)
      return true;
  }
}

// The names of the result's columns and which of them are binary; false
// when the statement gives no rows.
bool describeColumns(SQLHSTMT stmt, QStringList* names, QList<bool>* binaries) {
  SQLSMALLINT columns = 0;
  if (!SQL_SUCCEEDED(SQLNumResultCols(stmt, &columns)) || columns <= 0)
    return false;
  for (SQLSMALLINT c = 1; c <= columns; ++c) {
    SQLWCHAR name[256];
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT type = 0;
    SQLULEN size = 0;
    SQLSMALLINT digits = 0;
    SQLSMALLINT nullable = 0;
    if (!SQL_SUCCEEDED(SQLDescribeColW(stmt, SQLUSMALLINT(c), name, SQLSMALLINT(std::size(name)),
                                       &nameLength, &type, &size, &digits, &nullable)))
      nameLength = 0;
    nameLength = qMin<SQLSMALLINT>(nameLength, SQLSMALLINT(std::size(name) - 1));
    names->append(QString::fromUtf16(reinterpret_cast<const char16_t*>(name), nameLength));
    binaries->append(isBinaryType(type));
  }
  return true;
}

// The rows of a statement handle; the rowset frees the handle when it goes,
// or with bOwnsHandle false only closes its cursor (a prepared statement's
// handle is run again).
class OdbcRowset final : public KvDbRowset {
 public:
  OdbcRowset(std::shared_ptr<KvOdbcLink> link, SQLHSTMT stmt, const QStringList& names,
             const QList<bool>& binaries, bool bOwnsHandle = true)
      : m_link(std::move(link)),
        m_stmt(stmt),
        m_bOwnsHandle(bOwnsHandle),
        m_names(names),
        m_binaries(binaries),
        m_texts(names.size()),
        m_bytes(names.size()),
        m_nulls(names.size()) {}
  ~OdbcRowset() override {
    if (m_bOwnsHandle)
      SQLFreeHandle(SQL_HANDLE_STMT, m_stmt);
    else
      SQLFreeStmt(m_stmt, SQL_CLOSE);
  }
  OdbcRowset(const OdbcRowset&) = delete;
  OdbcRowset& operator=(const OdbcRowset&) = delete;

  // Fetches the next row; false at the end or on a failure.
  bool fetch() {
    m_end = !SQL_SUCCEEDED(SQLFetch(m_stmt));
    for (qsizetype c = 0; !m_end && c < m_names.size(); ++c) {
      bool isNull = false;
      m_texts[c].clear();
      m_bytes[c].clear();
      m_end = m_binaries[c] ? !readBinaryColumn(m_stmt, int(c), &m_bytes[c], &isNull)
                            : !readColumn(m_stmt, int(c), &m_texts[c], &isNull);
      m_nulls[c] = isNull;
    }
    return !m_end;
  }

  bool atEnd() const override { return m_end; }
  void next() override {
    if (!m_end)
      fetch();
  }
  int columnCount() const override { return int(m_names.size()); }
  qint64 integer(int column) const override {
    if (isNull(column))
      return 0;
    bool ok = false;
    const qint64 value = m_texts[column].toLongLong(&ok);
    if (ok)
      return value;
    const double real = m_texts[column].toDouble(&ok);  // numeric text: its integer part
    if (!ok)
      return 0;
    if (real >= 9.2e18)
      return std::numeric_limits<qint64>::max();
    if (real <= -9.2e18)
      return std::numeric_limits<qint64>::min();
    return qint64(real);
  }
  double real(int column) const override {
    return isNull(column) ? 0.0 : m_texts[column].toDouble();  // C locale, 0 when not a number
  }
  QString text(int column) const override {
    if (isNull(column))
      return QString();
    return m_binaries[column] ? QString::fromUtf8(m_bytes[column]) : m_texts[column];
  }
  QString columnName(int column) const override {
    return column >= 0 && column < m_names.size() ? m_names[column] : QString();
  }
  bool isNull(int column) const override {
    return m_end || column < 0 || column >= m_names.size() || m_nulls[column];
  }
  QByteArray binary(int column) const override {
    if (isNull(column))
      return QByteArray();
    return m_binaries[column] ? m_bytes[column] : m_texts[column].toUtf8();
  }

 private:
  std::shared_ptr<KvOdbcLink> m_link;
  SQLHSTMT m_stmt;
  bool m_bOwnsHandle;
  bool m_end = true;
  QStringList m_names;
  QList<bool> m_binaries;
  QList<QString> m_texts;
  QList<QByteArray> m_bytes;
  QList<bool> m_nulls;
};

class OdbcStatement final : public KvDbStatement {
 public:
  OdbcStatement(std::shared_ptr<KvOdbcLink> link, SQLHSTMT stmt, int parameters,
                std::weak_ptr<KvOdbcBackend*> owner)
      : m_link(std::move(link)), m_stmt(stmt), m_params(parameters), m_owner(std::move(owner)) {}
  ~OdbcStatement() override { SQLFreeHandle(SQL_HANDLE_STMT, m_stmt); }
  OdbcStatement(const OdbcStatement&) = delete;
  OdbcStatement& operator=(const OdbcStatement&) = delete;

  void bindInteger(int index, qint64 value) override {
    set(index, SQL_C_SBIGINT, SQL_BIGINT, QByteArray(reinterpret_cast<const char*>(&value), sizeof value), 0);
  }
  void bindReal(int index, double value) override {
    set(index, SQL_C_DOUBLE, SQL_DOUBLE, QByteArray(reinterpret_cast<const char*>(&value), sizeof value), 0);
  }
  void bindText(int index, const QString& value) override {
    set(index, SQL_C_WCHAR, SQL_WVARCHAR,
        QByteArray(reinterpret_cast<const char*>(value.utf16()), value.size() * 2),
        SQLULEN(qMax<qsizetype>(value.size(), 1)));
  }
  void bindBinary(int index, const QByteArray& value) override {
    set(index, SQL_C_BINARY, SQL_LONGVARBINARY, value, SQLULEN(qMax<qsizetype>(value.size(), 1)));
  }

  qint64 rowsAffected() const override { return m_rows; }

  bool run(QString* error) override {
    m_rows = 0;
    if (!execute(m_owner.lock(), error))
      return false;
    SQLLEN count = 0;
    if (SQL_SUCCEEDED(SQLRowCount(m_stmt, &count)) && count > 0)
      m_rows = count;
    SQLFreeStmt(m_stmt, SQL_CLOSE);
    return true;
  }

  std::unique_ptr<KvDbRowset> select(QString* error) override {
    m_rows = 0;
    if (!execute(m_owner.lock(), error))
      return nullptr;
    QStringList names;
    QList<bool> binaries;
    if (!describeColumns(m_stmt, &names, &binaries)) {
      if (error)
        *error = QStringLiteral("the statement returns no rows");
      SQLFreeStmt(m_stmt, SQL_CLOSE);
      return nullptr;
    }
    OdbcRowset rows(m_link, m_stmt, names, binaries, false);
    rows.fetch();
    return KvDbRowsInMemory::copy(rows);
  }

 private:
  // Binds the values and executes; false (and `error`) when the driver
  // refuses, a lost session then dropped. The cursor is left open.
  bool execute(const std::shared_ptr<KvOdbcBackend*>& owner, QString* error) {
    if (!owner || !(*owner)->isOpen()) {
      if (error)
        *error = QStringLiteral("database not open");
      return false;
    }
    for (qsizetype i = 0; i < m_params.size(); ++i) {
      Param& param = m_params[i];
      param.length = SQLLEN(param.data.size());
      // data() detaches: the driver gets a buffer of this statement's own.
      if (!SQL_SUCCEEDED(SQLBindParameter(m_stmt, SQLUSMALLINT(i + 1), SQL_PARAM_INPUT, param.cType,
                                          param.sqlType, param.size, 0, param.data.data(),
                                          param.length, &param.length))) {
        if (error)
          *error = diagnostic(SQL_HANDLE_STMT, m_stmt);
        return false;
      }
    }
    const SQLRETURN rc = SQLExecute(m_stmt);
    const bool ok = SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA;
    if (!ok) {
      if (error)
        *error = diagnostic(SQL_HANDLE_STMT, m_stmt);
      if (gaveUpWaiting(SQL_HANDLE_STMT, m_stmt))
        (*owner)->noteLockWait();
      SQLFreeStmt(m_stmt, SQL_CLOSE);
      (*owner)->dropIfLost();
    }
    return ok;
  }

  struct Param {
    SQLSMALLINT cType = SQL_C_CHAR;
    SQLSMALLINT sqlType = SQL_VARCHAR;
    QByteArray data;
    SQLULEN size = 1;
    SQLLEN length = 0;
  };

  void set(int index, SQLSMALLINT cType, SQLSMALLINT sqlType, const QByteArray& data, SQLULEN size) {
    if (index < 0 || index >= m_params.size())
      return;
    Param& param = m_params[index];
    param.cType = cType;
    param.sqlType = sqlType;
    param.data = data;
    param.size = size;
  }

  std::shared_ptr<KvOdbcLink> m_link;
  SQLHSTMT m_stmt;
  QList<Param> m_params;
  std::weak_ptr<KvOdbcBackend*> m_owner;
  qint64 m_rows = 0;
};
}  // namespace

QString KvOdbcBackend::transactionMark() {
  if (m_depth == 0)
    return QString();
  const std::unique_ptr<KvDbRowset> rows = openRowset(QStringLiteral("SELECT now()::text"), nullptr);
  return rows && !rows->atEnd() ? rows->text(0) : QString();
}

bool KvOdbcBackend::literalsTakeEscapes(bool* escapes, QString* error) {
  const std::unique_ptr<KvDbRowset> rows = openRowset(QStringLiteral("SHOW standard_conforming_strings"), error);
  if (!rows || rows->atEnd())
    return false;
  *escapes = rows->text(0).compare(u"on", Qt::CaseInsensitive) != 0;
  return true;
}

std::unique_ptr<KvDbRowset> KvOdbcBackend::openRowset(const QString& sql, QString* error) {
  const SQLHSTMT stmt = newStatement(error);
  if (stmt == SQL_NULL_HSTMT)
    return nullptr;
  if (!SQL_SUCCEEDED(SQLExecDirectW(stmt, const_cast<SQLWCHAR*>(wide(sql)), SQL_NTS))) {
    if (error)
      *error = diagnostic(SQL_HANDLE_STMT, stmt);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    dropIfLost();
    return nullptr;
  }
  QStringList names;
  QList<bool> binaries;
  if (!describeColumns(stmt, &names, &binaries)) {
    if (error)
      *error = QStringLiteral("the statement returns no rows");
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return nullptr;
  }
  auto rowset = std::make_unique<OdbcRowset>(m_link, stmt, names, binaries);
  rowset->fetch();
  return rowset;
}

std::unique_ptr<KvDbStatement> KvOdbcBackend::prepare(const QString& sql, QString* error) {
  const SQLHSTMT stmt = newStatement(error);
  if (stmt == SQL_NULL_HSTMT)
    return nullptr;
  SQLSMALLINT parameters = 0;
  if (!SQL_SUCCEEDED(SQLPrepareW(stmt, const_cast<SQLWCHAR*>(wide(sql)), SQL_NTS)) ||
      !SQL_SUCCEEDED(SQLNumParams(stmt, &parameters))) {
    if (error)
      *error = diagnostic(SQL_HANDLE_STMT, stmt);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return nullptr;
  }
  return std::make_unique<OdbcStatement>(m_link, stmt, parameters, m_liveToken);
}

// --- Server sessions ---

bool KvOdbcBackend::suspendSession() {
  if (!m_link || m_depth > 0)
    return false;
  // Kept statements are prepared again in the next session. A cursor still
  // reading shares the session: it cannot end now.
  dropKeptStatements();
  if (m_link.use_count() > 1)
    return false;
  m_link.reset();
  return true;
}

bool KvOdbcBackend::resumeSession() {
  if (m_link)
    return true;
  std::unique_ptr<KvOdbcBackend> fresh = open(m_connectInfo);
  if (!fresh)
    return false;
  m_link = std::move(fresh->m_link);
  m_connectString = fresh->m_connectString;
  return true;
}

std::unique_ptr<KvDbStatement> KvOdbcBackend::prepareBulkInsert(const QString& table, const QStringList& columns,
                                                                QString* error) {
  return KvBatchedInsert(this, table, columns, error);
}
