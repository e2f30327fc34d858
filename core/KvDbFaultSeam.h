#pragma once
// The statement-failure seam of a connection, for tests: a back end that
// stands in front of the real one and counts every statement the connection
// sends (statements run, selects opened, prepared statements run, and the
// transaction statements BEGIN/SAVEPOINT, COMMIT/RELEASE and LOCK, and the
// end of a bulk load). The n-th
// one after the seam was set fails as the engine refuses a statement: it is
// not run, its caller gets false (or no rows) with an error text, and an
// open transaction stays usable, exactly as after a refused statement. A
// rollback is never refused. Only one statement fails; the later ones run.
//
// Set through CKvDb::FailNthStatement, and shared by a connection opened
// beside one that has it (CKvDb::OpenBeside); everything else passes through.

#include "core/KvDbBackend.h"

#include <memory>

class KvDbFaultSeam final : public KvDbBackend {
 public:
  explicit KvDbFaultSeam(std::unique_ptr<KvDbBackend> inner);
  // A seam that counts on the same count as `shared`: the n-th statement
  // of either connection fails.
  KvDbFaultSeam(std::unique_ptr<KvDbBackend> inner, const KvDbFaultSeam& shared);
  ~KvDbFaultSeam() override;

  // Arms the seam: the n-th statement from now on fails (n <= 0: none).
  void Arm(int n);
  int StatementsSent() const;
  // Gives the real back end back (the seam is then empty).
  std::unique_ptr<KvDbBackend> Release();

  bool isOpen() const override;
  void close() override;
  bool execute(const QString& sql, QString* error) override;
  qint64 rowsAffected() const override;
  bool beginTransaction() override;
  bool beginReadSnapshot() override;
  bool commitTransaction() override;
  bool rollbackTransaction() override;
  int transactionDepth() const override;
  bool lockTable(const QString& table, qint64* mark) override;
  // Counted as one statement, as it is one round trip where the back end
  // sends both together.
  bool beginLocked(const QString& table, qint64* mark) override;
  // Counted as two statements, the begin and the select, whichever may be
  // refused, though the back end may send both in one round trip.
  bool beginLockedSelect(const QString& table, KvDbStatement& statement, std::unique_ptr<KvDbRowset>* rows,
                         QString* error, StatementFailure failure, qint64* mark) override;
  // Counted as two statements, the statement and the commit, whichever may
  // be refused, though the back end may send both in one round trip.
  bool runAndCommit(KvDbStatement& statement, QString* error) override;
  QString databaseName() const override;
  QString connectString() const override;
  void setQueryTimeout(int seconds) override;
  std::unique_ptr<KvDbRowset> openRowset(const QString& sql, QString* error) override;
  std::unique_ptr<KvDbStatement> prepare(const QString& sql, QString* error) override;
  std::unique_ptr<KvDbStatement> prepareBulkInsert(const QString& table, const QStringList& columns,
                                                   QString* error) override;
  bool nextTypedStatement(const QString& sql, QString* statement, qsizetype* used, QString* error) override;
  QString transactionMark() override;
  bool suspendSession() override;
  bool resumeSession() override;
  bool aloneOnFile() override;
  // Read from the engine's counters; not counted.
  QString dataChangeMark() override;

  // The count shared with the prepared statements, which may outlive the
  // seam.
  struct Counter {
    int failAt = 0;
    int sent = 0;
    // True when this statement is the one to fail.
    bool Next();
  };

 private:
  std::unique_ptr<KvDbBackend> m_inner;
  std::shared_ptr<Counter> m_counter;
};
