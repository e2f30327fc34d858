#pragma once
// Kind 1: an ODBC data source through the unixODBC C API (wide calls), with
// PostgreSQL behind it through psqlODBC. The driver gets the connect string
// of kind 1 with the database name as the server knows it ("master" is
// "postgres") and statement-level rollback on errors, so that a failed
// statement inside a transaction is undone alone; the session carries the
// program's application_name and standard_conforming_strings.

#include "core/CKvDbInfo.h"
#include "core/KvDbBackend.h"

#include <sql.h>

struct KvOdbcLink;

// Why the user or database name of the connect information cannot reach
// the server through the ODBC driver (it reads them up to the next ";" and
// takes braces around a value for the password only); empty when they can.
QString KvOdbcLoginNameProblem(const CKvDbInfo& info);

class KvOdbcBackend final : public KvDbBackend {
 public:
  // Connects through the data source info.m_strServer to the database of
  // info.m_strDatabase; null when the driver refuses (*error, when given,
  // then holds the driver's reason).
  static std::unique_ptr<KvOdbcBackend> open(const CKvDbInfo& info, QString* error = nullptr);

  ~KvOdbcBackend() override;
  KvOdbcBackend(const KvOdbcBackend&) = delete;
  KvOdbcBackend& operator=(const KvOdbcBackend&) = delete;

  // False also once the server has ended the session.
  bool isOpen() const override;
  void close() override;
  bool execute(const QString& sql, QString* error) override;
  qint64 rowsAffected() const override { return m_rows; }
  bool beginTransaction() override;
  bool beginReadSnapshot() override;
  bool commitTransaction() override;
  bool rollbackTransaction() override;
  int transactionDepth() const override { return m_depth; }
  bool lockTable(const QString& table, qint64* mark) override;
  QString databaseName() const override;
  // The connect string the driver completed when connecting.
  QString connectString() const override { return m_connectString; }
  void setQueryTimeout(int seconds) override { m_timeout = seconds; }

  // --- Rowsets and prepared statements ---
  std::unique_ptr<KvDbRowset> openRowset(const QString& sql, QString* error) override;
  std::unique_ptr<KvDbStatement> prepare(const QString& sql, QString* error) override;
  // Many rows to one bound insert (KvBatchedInsert): a round trip carries
  // a batch of rows.
  std::unique_ptr<KvDbStatement> prepareBulkInsert(const QString& table, const QStringList& columns,
                                                   QString* error) override;
  // The driver keeps the transaction to itself: the mark is the server's
  // start time of the transaction the session is in.
  QString transactionMark() override;

 protected:
  // As the session's standard_conforming_strings says now: the program
  // sets it on, but a statement the operator typed may have set it off.
  bool literalsTakeEscapes(bool* escapes, QString* error) override;

 private:
  KvOdbcBackend(std::shared_ptr<KvOdbcLink> link, const QString& connectString)
      : m_link(std::move(link)), m_connectString(connectString) {}
  // Runs a statement; the rows it touched go to `affected` (when given).
  // With `value`, the first column of the first row of the first result
  // with columns goes there (-1 when that result has no row).
  bool run(const QString& sql, QString* error, qint64* affected, qint64* value = nullptr);
  // A new statement handle on the session with the query time-out set;
  // SQL_NULL_HSTMT (and `error`) when there is none.
  SQLHSTMT newStatement(QString* error);
  bool endTransaction(bool commit);
  // Sets the session's transactions back to read-write after a snapshot.
  void endReadSnapshot();

 public:
  // When the server has ended the session: lets it go (the connection is no
  // longer open and its transaction is lost) and answers true.
  bool dropIfLost();

 private:

  // Shared with the cursors, so that the session ends after the last of them.
  std::shared_ptr<KvOdbcLink> m_link;
  QString m_connectString;
  qint64 m_rows = 0;
  int m_depth = 0;
  bool m_readSnapshot = false;
  int m_timeout = 0;
  // Rowsets and prepared statements: a statement holds this weakly and runs
  // only while its back end exists and is open.
  std::shared_ptr<KvOdbcBackend*> m_liveToken = std::make_shared<KvOdbcBackend*>(this);

  // --- Server sessions (whole-database maintenance) ---
 public:
  bool suspendSession() override;
  bool resumeSession() override;

 private:
  CKvDbInfo m_connectInfo;  // what the session was opened with
};
