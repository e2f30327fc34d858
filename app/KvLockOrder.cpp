#include "app/KvLockOrder.h"

#include "core/CKvDb.h"
#include "core/KvText.h"

#include <algorithm>

namespace {

int lockRank(const QString& table) {
  static const QStringList known = {
      QStringLiteral("OPR"), QStringLiteral("PWR"),  QStringLiteral("KVDW"),    QStringLiteral("KVTASK"),
      QStringLiteral("STD"), QStringLiteral("COST"), QStringLiteral("PC"),      QStringLiteral("WKJH"),
      QStringLiteral("SBTTCHR"), QStringLiteral("PK")};
  const QString upper = KvUpper(table);
  if (upper == u"SYSCSTAB")
    return int(known.size()) + 1;
  const qsizetype at = known.indexOf(upper);
  return at < 0 ? int(known.size()) : int(at);
}

}  // namespace

bool KvLockTablesInOrder(CKvDb* pDb, const QStringList& tables) {
  QStringList ordered;
  for (const QString& table : tables) {
    if (!ordered.contains(table, Qt::CaseInsensitive))
      ordered.append(table);
  }
  std::stable_sort(ordered.begin(), ordered.end(),
                   [](const QString& a, const QString& b) { return lockRank(a) < lockRank(b); });
  for (const QString& table : ordered) {
    if (!pDb->LockTable(table))
      return false;
  }
  return true;
}
