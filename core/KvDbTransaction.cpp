#include "core/KvDbTransaction.h"

#include "core/CKvDb.h"
#include "core/KvDbBackend.h"

KvDbTransaction::KvDbTransaction(CKvDb& db) : m_db(db) {
  if (m_db.BeginTrans())
    m_level = m_db.TransactionDepth();
}

KvDbTransaction::KvDbTransaction(CKvDb& db, const QString& lockTable) : m_db(db) {
  if (m_db.IsOpen())
    m_db.GetBackend()->takeLockWait();
  if (m_db.IsOpen() && m_db.GetBackend()->beginLocked(lockTable))
    m_level = m_db.TransactionDepth();
  else if (!m_db.FailsAsLost())
    m_db.ReportLockWait();
}

KvDbTransaction::KvDbTransaction(CKvDb& db, const QString& lockTable, KvDbStatement& select,
                                 std::unique_ptr<KvDbRowset>* rows, QString* error)
    : m_db(db) {
  if (m_db.IsOpen())
    m_db.GetBackend()->takeLockWait();
  if (m_db.IsOpen() && m_db.GetBackend()->beginLockedSelect(lockTable, select, rows, error,
                                                                   KvDbBackend::StatementFailure::kEndsTransaction))
    m_level = m_db.TransactionDepth();
  else if (!m_db.FailsAsLost())
    m_db.ReportLockWait();
}

KvDbTransaction::~KvDbTransaction() { Rollback(); }

bool KvDbTransaction::Commit() {
  if (m_level == 0)
    return false;
  if (m_db.TransactionDepth() != m_level) {
    // A level begun inside this one was left open, or the transaction is
    // gone (a lost session): nothing is kept.
    Rollback();
    return false;
  }
  const int level = m_level;
  m_level = 0;
  if (m_db.CommitTrans())
    return true;
  // A commit that failed may have ended the level already (an outermost
  // commit always does); one it left open is rolled back here, and only
  // this one: the outer levels stay for their own guards.
  if (m_db.TransactionDepth() >= level)
    m_db.Rollback();
  return false;
}

bool KvDbTransaction::CommitWith(KvDbStatement& last, QString* error) {
  if (m_level != 1 || m_db.TransactionDepth() != 1) {
    if (m_level > 0 && last.run(error))
      return Commit();
    Rollback();
    return false;
  }
  if (m_db.GetBackend()->runAndCommit(last, error)) {
    m_level = 0;
    return true;
  }
  Rollback();
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
