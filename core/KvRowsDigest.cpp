#include "core/KvRowsDigest.h"

#include "core/CKvDb.h"
#include "core/KvDbBackend.h"
#include "core/KvDbSnapshot.h"
#include "core/KvSqliteFunctions.h"

#include <QCryptographicHash>

#include <memory>

const QStringList& KvLogTables() {
  static const QStringList tables = {QStringLiteral("KvTask"), QStringLiteral("KvLog"), QStringLiteral("KvLogOp")};
  return tables;
}

bool KvIsLogTable(const QString& table) { return KvLogTables().contains(table, Qt::CaseInsensitive); }

namespace {
// The select that digests the table's rows where they are: a count and two
// 64-bit sums of per-row hashes, so that row order does not matter and a
// duplicated row counts. On PostgreSQL the hashes are the server's own
// 64-bit hash of the row's values, by each value's type and never by their
// text (the two reads of a restore run on two databases, whose date style
// or time zone may differ), with two seeds (sum(bigint) is numeric: it
// cannot overflow). That row hash is linear in its values' hashes, so a sum
// of them stays the same when two rows exchange values in a column: each
// is hashed again, through a non-linear mix, before the sum. On a data file
// the program's own aggregate chains each value's type and bytes through
// the row. Empty when the table's columns cannot be read.
QString digestSelect(CKvDb* pDb, const QString& table) {
  if (pDb->GetKind() != 0)
    return QStringLiteral("SELECT count(*),sum(hashint8extended(hash_record_extended(kv_row,1),1)),"
                          "sum(hashint8extended(hash_record_extended(kv_row,2),2)) FROM ") +
           table + QStringLiteral(" kv_row");
  const QString quoted = u'"' + QString(table).replace(u'"', QStringLiteral("\"\"")) + u'"';
  std::unique_ptr<KvDbCursor> names =
      pDb->GetBackend()->query(QStringLiteral("SELECT name FROM pragma_table_info('%1')").arg(pDb->QuoteText(table)), nullptr);
  QStringList columns;
  for (; names && !names->atEnd(); names->next())
    columns.append(u'"' + names->text(0).replace(u'"', QStringLiteral("\"\"")) + u'"');
  if (columns.isEmpty())
    return QString();
  // A function takes at most 127 arguments: a wide row is given in parts.
  constexpr qsizetype kPart = 100;
  QStringList parts;
  for (qsizetype i = 0; i < columns.size(); i += kPart)
    parts.append(columns.size() <= kPart ? columns.join(u',')
                                         : QStringLiteral("%1(%2)").arg(QLatin1String(KV_SQLITE_VALUES),
                                                                        columns.mid(i, kPart).join(u',')));
  return QStringLiteral("SELECT %1(%2) FROM %3").arg(QLatin1String(KV_SQLITE_ROWS_DIGEST), parts.join(u','), quoted);
}
}  // namespace

QByteArray KvRowsDigest(CKvDb* pDb, const QStringList& tables) {
  QCryptographicHash hash(QCryptographicHash::Sha256);
  for (const QString& table : tables) {
    const QString sql = digestSelect(pDb, table);
    std::unique_ptr<KvDbCursor> row = sql.isEmpty() ? nullptr : pDb->GetBackend()->query(sql, nullptr);
    if (!row || row->atEnd())
      return QByteArray();
    hash.addData(table.toUtf8());
    for (int column = 0; column < row->columnCount(); ++column) {
      hash.addData(row->text(column).toLatin1());
      hash.addData(QByteArrayView("", 1));
    }
  }
  return hash.result();
}

QByteArray KvDataDigest(CKvDb* pDb) {
  if (!pDb || !pDb->IsOpen())
    return QByteArray();
  KvDbSnapshot snapshot(*pDb);
  QStringList tables;
  if (!snapshot.IsActive() || pDb->ListUserTables(&tables) <= 0)
    return QByteArray();
  tables.removeIf([](const QString& table) { return KvIsLogTable(table); });
  tables.sort(Qt::CaseInsensitive);
  return KvRowsDigest(pDb, tables);
}
