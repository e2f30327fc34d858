#include "core/KvLockOrder.h"

#include "core/CKvDb.h"
#include "core/KvText.h"

#include <algorithm>

namespace {

int lockRank(const QString& table) {
  // Tables before the gap rank ahead of every table the order does not
  // name; those after it behind them.
  static const QStringList before = {
      QStringLiteral("OPR"),     QStringLiteral("PWR"),  QStringLiteral("KVDW"), QStringLiteral("KVTASK"),
      QStringLiteral("STD"),     QStringLiteral("COST"), QStringLiteral("PC"),   QStringLiteral("TCHR"),
      QStringLiteral("SBT"),     QStringLiteral("PUBRM"), QStringLiteral("WKJH"), QStringLiteral("SBTTCHR"),
      QStringLiteral("WKT"),     QStringLiteral("PK")};
  static const QStringList after = {QStringLiteral("KVFORMLIST"), QStringLiteral("KVPAGESET"),
                                    QStringLiteral("KVFONT"), QStringLiteral("FIELDWIDTH"),
                                    QStringLiteral("SYSCSTAB")};
  const QString upper = KvUpper(table);
  if (const qsizetype at = before.indexOf(upper); at >= 0)
    return int(at);
  if (const qsizetype at = after.indexOf(upper); at >= 0)
    return int(before.size()) + 1 + int(at);
  return int(before.size());
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
