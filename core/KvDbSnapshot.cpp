#include "core/KvDbSnapshot.h"

#include "core/CKvDb.h"
#include "core/KvDbBackend.h"

KvDbSnapshot::KvDbSnapshot(CKvDb& db) : m_db(db) {
  if (m_db.IsOpen() && m_db.GetBackend()->beginReadSnapshot())
    m_level = m_db.TransactionDepth();
}

KvDbSnapshot::~KvDbSnapshot() {
  if (m_level == 0)
    return;
  // Levels opened inside this one and left open end with it.
  while (m_db.TransactionDepth() >= m_level) {
    if (!m_db.Rollback())
      break;
  }
}
