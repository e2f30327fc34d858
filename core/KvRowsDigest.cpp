#include "core/KvRowsDigest.h"

#include "core/CKvDb.h"
#include "core/KvDbBackend.h"
#include "core/KvDbSnapshot.h"
#include "core/KvText.h"

#include <QCryptographicHash>
#include <QHash>

#include <memory>

bool KvIsLogTable(const QString& table) {
  return KvEqualsIgnoreCase(table, QStringLiteral("KvTask")) || KvEqualsIgnoreCase(table, QStringLiteral("KvLog")) ||
         KvEqualsIgnoreCase(table, QStringLiteral("KvLogOp"));
}

QByteArray KvRowsDigest(CKvDb* pDb, const QStringList& tables) {
  QCryptographicHash hash(QCryptographicHash::Sha256);
  for (const QString& table : tables) {
    std::unique_ptr<KvDbCursor> rows = pDb->GetBackend()->query(QStringLiteral("Select * From ") + table, nullptr);
    if (!rows)
      return QByteArray();
    // Two independent hashes of each row, added up: the same rows give the
    // same sums in any order, without sorting them.
    quint64 sums[2] = {0, 0};
    quint64 count = 0;
    const int columns = rows->columnCount();
    for (; !rows->atEnd(); rows->next()) {
      // Each value seeds the next one's hash: the values' places count.
      size_t row[2] = {1, 2};
      for (int column = 0; column < columns; ++column) {
        const QString value = rows->text(column);
        row[0] = qHash(value, row[0]);
        row[1] = qHash(value, row[1] ^ 0x9e3779b97f4a7c15u);
      }
      sums[0] += row[0];
      sums[1] += row[1];
      ++count;
    }
    hash.addData(table.toUtf8());
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(sums), sizeof sums));
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(&count), sizeof count));
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
