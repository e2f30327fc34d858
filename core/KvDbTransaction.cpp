#include "core/KvDbTransaction.h"

#include "core/CKvDb.h"
#include "core/KvDbBackend.h"
#include "core/KvLockWaitHook.h"

KvDbTransaction::KvDbTransaction(CKvDb& db) : m_db(db) {
  if (m_db.BeginTrans())
    m_level = m_db.TransactionDepth();
}

namespace {
// Tells a failure as the connection's transaction operations tell theirs.
void tell(const CKvDb& db, const QString& sql, const QString& error = QString()) {
  if (db.IsOpen())
    db.ReportFailed(sql, error);
  else
    db.FailsAsLost();
}
}  // namespace

KvDbTransaction::KvDbTransaction(CKvDb& db, const QString& lockTable) : m_db(db) {
  if (m_db.BeginLocked(lockTable))
    m_level = m_db.TransactionDepth();
}

KvDbTransaction::KvDbTransaction(CKvDb& db, const QString& lockTable, KvDbStatement& select,
                                 std::unique_ptr<KvDbRowset>* rows, QString* error)
    : m_db(db) {
  if (m_db.BeginLockedSelect(lockTable, select, rows, error))
    m_level = m_db.TransactionDepth();
}

KvDbTransaction::~KvDbTransaction() { Rollback(); }

bool KvDbTransaction::Commit() {
  if (m_level == 0)
    return false;
  if (m_db.TransactionDepth() != m_level) {
    // A level begun inside this one was left open, or the transaction is
    // gone (a lost session): nothing is kept.
    Rollback();
    tell(m_db, QStringLiteral("COMMIT"));
    return false;
  }
  const int level = m_level;
  m_level = 0;
  if (m_db.CommitTrans())
    return true;
  // A commit that failed (and said why) may have ended the level already
  // (an outermost commit always does); one it left open is rolled back
  // here, and only this one: the outer levels stay for their own guards.
  if (m_db.TransactionDepth() >= level)
    m_db.Rollback();
  return false;
}

bool KvDbTransaction::CommitWith(KvDbStatement& last, const QString& sql) {
  if (m_level == 0)
    return false;
  QString error;
  if (m_level != 1 || m_db.TransactionDepth() != 1) {
    if (m_db.IsOpen())
      m_db.GetBackend()->takeLockWait();
    if (last.run(&error))
      return Commit();
    Rollback();
    tell(m_db, sql, error);
    return false;
  }
  if (!m_db.PassesCarriedCheckBeforeCommit()) {
    m_level = 0;
    return false;
  }
  bool committed = false;
  {
    const KvLockWaitScope waiting(m_db.GetKind() != 0);
    m_db.GetBackend()->takeLockWait();
    committed = m_db.GetBackend()->runAndCommit(last, &error);
  }
  if (committed) {
    m_level = 0;
    return true;
  }
  // Rolled back first: the message comes with nothing of the transaction
  // held.
  Rollback();
  tell(m_db, sql, error);
  return false;
}

void KvDbTransaction::Rollback() {
  if (m_level == 0)
    return;
  const int level = m_level;
  m_level = 0;
  // Levels opened inside this one and left open are this one's work too.
  while (m_db.TransactionDepth() >= level) {
    if (!m_db.Rollback())
      break;
  }
}
