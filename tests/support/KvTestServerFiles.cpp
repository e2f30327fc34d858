#include "KvTestServerFiles.h"

#include "KvTestDb.h"
#include "core/KvDbBackend.h"

#include <QRandomGenerator>

namespace {
// The integer a query answers; -1 when it fails.
qint64 answer(CKvDb& admin, const QString& sql) {
  auto rows = admin.GetBackend()->query(sql, nullptr);
  return rows && !rows->atEnd() ? rows->integer(0) : -1;
}
}  // namespace

KvTestServerFiles::~KvTestServerFiles() {
  if (!m_set.isEmpty())
    KvTestDb::DropOnServer(QStringLiteral("xxd") + m_set, true);
}

bool KvTestServerFiles::Take(QString* whyNot, int firstTry) {
  const auto fail = [whyNot](const QString& reason) {
    if (whyNot)
      *whyNot = reason;
    return false;
  };
  if (!m_admin.Open(QStringLiteral("master"), KvTestDb::ServerInfo(2)))
    return fail(QStringLiteral("cannot connect to PostgreSQL"));
  for (int tries = 0; tries < 100; ++tries) {
    const int set = tries == 0 && firstTry > 0 ? firstTry : QRandomGenerator::global()->bounded(1, 10000);
    const QString prefix = QStringLiteral("xxd%1").arg(set, 4, 10, QChar(u'0'));
    if (answer(m_admin, QStringLiteral("SELECT CASE WHEN pg_try_advisory_lock(%1, %2) THEN 1 ELSE 0 END")
                            .arg(kLockClass)
                            .arg(set)) != 1)
      continue;
    if (answer(m_admin, QStringLiteral("SELECT count(*) FROM pg_database WHERE left(datname, 7) = '%1'")
                            .arg(prefix)) == 0) {
      m_set = prefix.mid(3);
      return true;
    }
    answer(m_admin, QStringLiteral("SELECT CASE WHEN pg_advisory_unlock(%1, %2) THEN 1 ELSE 0 END")
                        .arg(kLockClass)
                        .arg(set));
  }
  return fail(QStringLiteral("no free set of data files on the server"));
}
