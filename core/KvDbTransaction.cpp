#include "core/KvDbTransaction.h"

#include "core/CKvDb.h"

KvDbTransaction::KvDbTransaction(CKvDb& db) : m_db(db) { m_active = m_db.BeginTrans(); }

KvDbTransaction::~KvDbTransaction() { Rollback(); }

bool KvDbTransaction::Commit() {
  if (!m_active) return false;
  m_active = false;
  if (m_db.CommitTrans()) return true;
  m_db.Rollback();
  return false;
}

void KvDbTransaction::Rollback() {
  if (!m_active) return;
  m_active = false;
  m_db.Rollback();
}
