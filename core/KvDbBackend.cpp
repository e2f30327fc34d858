#include "core/KvDbBackend.h"

#include "core/KvSqlStatements.h"
#include "core/KvConst.h"
#include "core/KvText.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QSysInfo>

#include <variant>

bool KvDbBackend::beginLockedSelect(const QString& table, KvDbStatement& statement,
                                    std::unique_ptr<KvDbRowset>* rows, QString* error, StatementFailure,
                                    qint64* mark) {
  if (!beginLocked(table, mark))
    return false;
  *rows = statement.select(error);
  return true;
}

void KvDbBackend::noteIfLost() {
  if (m_lostNoted || isOpen())
    return;
  m_lostNoted = true;
  if (m_onLost)
    m_onLost();
}

bool KvDbBackend::runAndCommit(KvDbStatement& statement, QString* error) {
  return statement.run(error) && commitTransaction();
}

std::unique_ptr<KvDbRowset> KvDbStatement::select(QString* error) {
  if (error)
    *error = QStringLiteral("the statement returns no rows");
  return nullptr;
}

std::unique_ptr<KvDbRowsInMemory> KvDbRowsInMemory::copy(KvDbRowset& rows) {
  const int columns = rows.columnCount();
  QStringList names;
  for (int c = 0; c < columns; ++c)
    names.append(rows.columnName(c));
  auto copied = std::make_unique<KvDbRowsInMemory>(names);
  for (; !rows.atEnd(); rows.next()) {
    QList<Value> row(columns);
    for (int c = 0; c < columns; ++c) {
      Value& value = row[c];
      value.null = rows.isNull(c);
      if (value.null)
        continue;
      value.integer = rows.integer(c);
      value.real = rows.real(c);
      value.bytes = rows.binary(c);
    }
    copied->append(row);
  }
  return copied;
}

const KvDbRowsInMemory::Value& KvDbRowsInMemory::value(int column) const {
  static const Value none;
  if (atEnd() || column < 0 || column >= m_rows.at(m_row).size())
    return none;
  return m_rows.at(m_row).at(column);
}

bool KvDbBackend::beginLocked(const QString& table, qint64* mark) {
  if (transactionDepth() > 0 || !beginTransaction())
    return false;
  if (lockTable(table, mark))
    return true;
  rollbackTransaction();
  return false;
}

KvDbStatement* KvDbBackend::keptStatement(const QString& sql, QString* error) {
  auto found = m_kept.find(sql);
  if (found != m_kept.end())
    return found->second.get();
  std::unique_ptr<KvDbStatement> statement = prepare(sql, error);
  if (!statement)
    return nullptr;
  return m_kept.emplace(sql, std::move(statement)).first->second.get();
}

QString KvDbSessionTag(qint64 pid, const QString& host) {
  // The server keeps at most this many bytes of an application name.
  constexpr qsizetype kMaxBytes = 63;
  constexpr qsizetype kHashDigits = 8;
  const QByteArray head = "kv|" + QByteArray::number(pid) + '|';
  const QByteArray name = host.toUtf8();
  if (head.size() + name.size() <= kMaxBytes)
    return QString::fromUtf8(head + name);
  // Cut at a whole character, and marked with a digest of the whole name so
  // that two long names with the same beginning stay apart.
  qsizetype end = qMax<qsizetype>(0, kMaxBytes - head.size() - 1 - kHashDigits);
  while (end > 0 && (uchar(name[end]) & 0xC0) == 0x80)
    --end;
  const QByteArray digest =
      QCryptographicHash::hash(name, QCryptographicHash::Sha256).toHex().left(kHashDigits);
  return QString::fromUtf8(head + name.left(end) + '~' + digest);
}

QString KvDbWorkstationName(const QString& host, const QString& program) {
  // The program's own tag, "kv|<pid>|<host>", names its machine; the
  // process number means nothing to the person reading the message.
  const QStringList parts = program.split(u'|');
  bool isPid = false;
  if (parts.size() >= 3 && parts[0] == u"kv")
    parts[1].toLongLong(&isPid);
  if (isPid)
    return program.section(u'|', 2) + QStringLiteral("（") + QString::fromUtf8(kv::kProductName) +
           QStringLiteral("）");
  if (program.isEmpty())
    return host;
  return host + QStringLiteral("（") + program + QStringLiteral("）");
}

QString KvDbApplicationName() {
  return KvDbSessionTag(QCoreApplication::applicationPid(), QSysInfo::machineHostName());
}

QString KvServerDatabaseName(const QString& name) {
  const QString folded = KvLower(name);
  return folded == u"master" ? QStringLiteral("postgres") : folded;
}

bool KvIsMaintenanceDatabase(const QString& name) { return KvServerDatabaseName(name) == u"postgres"; }

QString KvDbTrimRight(const QString& text) {
  qsizetype end = text.size();
  while (end > 0) {
    const char16_t ch = text[end - 1].unicode();
    if (ch != u' ' && (ch < u'\t' || ch > u'\r'))
      break;
    --end;
  }
  return end == text.size() ? text : text.left(end);
}

std::unique_ptr<KvDbStatement> KvDbBackend::prepareBulkInsert(const QString& table, const QStringList& columns,
                                                              QString* error) {
  const QStringList marks(columns.size(), QStringLiteral("?"));
  return prepare(QStringLiteral("Insert Into ") + table + u'(' + columns.join(u',') + QStringLiteral(") Values(") +
                     marks.join(u',') + u')',
                 error);
}

namespace {
class BatchedInsert final : public KvDbStatement {
 public:
  BatchedInsert(KvDbBackend* backend, QString head, int columns)
      : m_backend(backend), m_head(std::move(head)), m_columns(columns),
        m_batchRows(qMax(1, kParameters / qMax(1, columns))), m_row(columns) {}

  void bindInteger(int index, qint64 value) override { set(index, value); }
  void bindReal(int index, double value) override { set(index, value); }
  void bindText(int index, const QString& value) override { set(index, value); }
  void bindBinary(int index, const QByteArray& value) override { set(index, value); }

  bool run(QString* error) override {
    m_pending.append(m_row);
    return m_pending.size() < m_batchRows || send(error);
  }
  bool finish(QString* error) override { return m_pending.isEmpty() || send(error); }
  // The rows of the last batch sent.
  qint64 rowsAffected() const override { return m_sent; }

 private:
  // Parameters of one statement at most.
  static constexpr int kParameters = 1000;
  using Value = std::variant<qint64, double, QString, QByteArray>;

  void set(int index, Value value) {
    if (index >= 0 && index < m_columns)
      m_row[index] = std::move(value);
  }
  // One statement for the pending rows; the full batch's is kept.
  bool send(QString* error) {
    const int rows = int(m_pending.size());
    std::unique_ptr<KvDbStatement> once;
    KvDbStatement* insert = rows == m_batchRows ? m_full.get() : nullptr;
    if (!insert) {
      QStringList marks(m_columns, QStringLiteral("?"));
      const QStringList groups(rows, u'(' + marks.join(u',') + u')');
      once = m_backend->prepare(m_head + groups.join(u','), error);
      if (!once)
        return false;
      insert = once.get();
      if (rows == m_batchRows)
        m_full = std::move(once);
    }
    int index = 0;
    for (const QList<Value>& row : std::as_const(m_pending)) {
      for (const Value& value : row) {
        if (const auto* integer = std::get_if<qint64>(&value))
          insert->bindInteger(index, *integer);
        else if (const auto* real = std::get_if<double>(&value))
          insert->bindReal(index, *real);
        else if (const auto* text = std::get_if<QString>(&value))
          insert->bindText(index, *text);
        else
          insert->bindBinary(index, std::get<QByteArray>(value));
        ++index;
      }
    }
    m_pending.clear();
    if (!insert->run(error))
      return false;
    m_sent = insert->rowsAffected();
    return true;
  }

  KvDbBackend* m_backend;
  QString m_head;
  int m_columns;
  int m_batchRows;
  QList<Value> m_row;
  QList<QList<Value>> m_pending;
  std::unique_ptr<KvDbStatement> m_full;
  qint64 m_sent = 0;
};
}  // namespace

std::unique_ptr<KvDbStatement> KvBatchedInsert(KvDbBackend* backend, const QString& table,
                                               const QStringList& columns, QString* error) {
  if (!backend || !backend->isOpen() || columns.isEmpty()) {
    if (error)
      *error = QStringLiteral("database not open");
    return nullptr;
  }
  return std::make_unique<BatchedInsert>(
      backend, QStringLiteral("Insert Into ") + table + u'(' + columns.join(u',') + QStringLiteral(") Values"),
      int(columns.size()));
}

bool KvDbBackend::literalsTakeEscapes(bool* escapes, QString*) {
  *escapes = false;
  return true;
}

bool KvDbBackend::nextTypedStatement(const QString& sql, QString* statement, qsizetype* used, QString* error) {
  bool escapes = false;
  if (!literalsTakeEscapes(&escapes, error))
    return false;
  const qsizetype end = KvServerStatementEnd(sql, escapes);
  *used = qMin(end + 1, sql.size());
  *statement = sql.left(end);
  if (KvSqlLeadingWords(*statement, 1, true).isEmpty())
    statement->clear();  // blanks and comments only
  return true;
}
