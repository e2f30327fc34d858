#pragma once
// Kind 2: a PostgreSQL database through libpq. The connect information's
// four fields are handed over as separate parameters (a name is never read
// as a connection string): "(local)" or an empty server is the local socket,
// "host,port" names a port, "master" is the maintenance database
// "postgres"; every connection has a 5 s connect time-out, UTF-8 client
// encoding, the program's application_name and standard_conforming_strings
// (a backslash in a literal is a plain character).
//
// Inside a transaction every statement runs under a savepoint of its own, so
// that a failed statement is undone alone and the transaction goes on, as
// the program expects of every back end. A text that commits, rolls back or
// begins the transaction itself runs without it, and the nesting count
// follows what it did.

#include "core/CKvDbInfo.h"
#include "core/KvDbBackend.h"

#include <QByteArray>

struct pg_conn;
struct pg_result;

class KvPgBackend final : public KvDbBackend {
 public:
  // Connects to the database of info.m_strDatabase; null when the server
  // cannot be reached or refuses the login (*error, when given, then holds
  // the client library's reason).
  static std::unique_ptr<KvPgBackend> open(const CKvDbInfo& info, QString* error = nullptr);

  ~KvPgBackend() override;
  KvPgBackend(const KvPgBackend&) = delete;
  KvPgBackend& operator=(const KvPgBackend&) = delete;

  pg_conn* handle() const { return m_conn; }

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
  bool beginLocked(const QString& table, qint64* mark) override;
  // The begin, the lock, the statement savepoint and the select go to the
  // server in one pipeline.
  bool beginLockedSelect(const QString& table, KvDbStatement& statement, std::unique_ptr<KvDbRowset>* rows,
                         QString* error, StatementFailure failure, qint64* mark) override;
  // Inside a transaction whose failed statements end it: no savepoint
  // stands before its statements.
  bool inWholeTransaction() const { return m_depth > 0 && m_whole; }
  bool runAndCommit(KvDbStatement& statement, QString* error) override;
  QString databaseName() const override;
  // The provider text of the live connection: its server as given, the user
  // and database the server reports, no password.
  QString connectString() const override;
  void setQueryTimeout(int) override {}

  // --- Rowsets and prepared statements ---
  std::unique_ptr<KvDbRowset> openRowset(const QString& sql, QString* error) override;
  std::unique_ptr<KvDbStatement> prepare(const QString& sql, QString* error) override;
  std::unique_ptr<KvDbStatement> prepareBulkInsert(const QString& table, const QStringList& columns,
                                                   QString* error) override;
  // The statement ends where the server's reading ends it, and the server
  // must take it as one statement alone (prepared unnamed).
  bool nextTypedStatement(const QString& sql, QString* statement, qsizetype* used, QString* error) override;
  QString transactionMark() override;

 private:
  KvPgBackend(pg_conn* conn, const QString& server) : m_conn(conn), m_server(server) {}
  // Sends one text and collects its results: the first row set is handed to
  // `rows`, the rows touched are summed into `affected`, the first error's
  // text goes to `error` (each when given). False when any statement failed.
  bool send(const QByteArray& sql, QString* error, pg_result** rows, qint64* affected);
  // Runs a statement, or in a transaction the statement under its savepoint.
  bool guarded(const QString& sql, QString* error, pg_result** rows, qint64* affected);
  bool control(const QByteArray& sql);
  void syncDepth();

  pg_conn* m_conn;
  QString m_server;
  qint64 m_rows = 0;
  int m_depth = 0;
  bool m_whole = false;  // the open transaction keeps no statement savepoint
  // Rowsets and prepared statements: a statement holds this weakly and runs
  // only while its back end exists and is open.
  std::shared_ptr<KvPgBackend*> m_liveToken = std::make_shared<KvPgBackend*>(this);

  // --- Server sessions (whole-database maintenance) ---
 public:
  bool suspendSession() override;
  bool resumeSession() override;

 private:
  CKvDbInfo m_connectInfo;  // what the session was opened with
};
