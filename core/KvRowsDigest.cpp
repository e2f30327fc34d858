#include "core/KvRowsDigest.h"

#include "core/CKvDb.h"
#include "core/KvDbBackend.h"
#include "core/KvDbSnapshot.h"
#include "core/KvText.h"

#include <QCryptographicHash>

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
    QStringList lines;
    for (; !rows->atEnd(); rows->next()) {
      QString line;
      for (int column = 0; column < rows->columnCount(); ++column)
        line += rows->text(column) + u'\x1f';
      lines.append(line);
    }
    lines.sort();
    hash.addData((table + u'\x1e' + lines.join(u'\x1e') + u'\x1d').toUtf8());
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
