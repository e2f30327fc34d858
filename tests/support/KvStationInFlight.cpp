#include "support/KvStationInFlight.h"

#include "core/CKvDb.h"
#include "core/KvDbTransaction.h"
#include "core/KvLockOrder.h"
#include "support/KvTestDb.h"

#include <QThread>

KvStationInFlight::KvStationInFlight(const KvTestDb& db, const QStringList& locks, const QStringList& statements,
                                     int delayMs, const QStringList& later)
    : m_db(std::make_unique<CKvDb>(db.kind())) {
  if (!db.OpenAnother(*m_db))
    return;
  m_transaction = std::make_unique<KvDbTransaction>(*m_db);
  if (!m_transaction->IsActive() || !KvLockTablesInOrder(m_db.get(), locks))
    return;
  for (const QString& statement : statements)
    if (!m_db->Execute(statement))
      return;
  m_thread = std::thread([this, delayMs, later] {
    QThread::msleep(delayMs);
    for (const QString& statement : later)
      if (!m_db->Execute(statement, QString(), 128, false))
        return;
    m_committed = m_transaction->Commit();
  });
}

KvStationInFlight::~KvStationInFlight() {
  if (m_thread.joinable())
    m_thread.join();
  m_transaction.reset();
}

bool KvStationInFlight::Committed() {
  if (m_thread.joinable())
    m_thread.join();
  return m_committed;
}
