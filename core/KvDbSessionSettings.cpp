#include "core/KvDbSessionSettings.h"

#include "core/CKvDb.h"
#include "core/KvDbBackend.h"

#include <QHash>

#include <memory>

namespace {

// Every setting a session of an ordinary user may change, with the role it
// acts as (not listed among them); the transaction's own settings end with
// the transaction. The quoting of literals comes first: the values set
// again after it are quoted for it.
const QString kSettingsSql = QStringLiteral(
    "SELECT name,setting FROM (SELECT name,setting FROM pg_catalog.pg_settings "
    "WHERE context IN ('user','superuser') AND left(name,12)<>'transaction_' "
    "UNION ALL SELECT 'role',current_setting('role')) s "
    "ORDER BY name<>'standard_conforming_strings',name");

bool readSettings(CKvDb& db, QList<QPair<QString, QString>>* settings) {
  std::unique_ptr<KvDbCursor> rows = db.GetBackend()->query(kSettingsSql, nullptr);
  if (!rows)
    return false;
  for (; !rows->atEnd(); rows->next())
    settings->append({rows->text(0), rows->text(1)});
  return true;
}

}  // namespace

bool KvDbSessionSettings::Save(CKvDb& db) {
  m_settings.clear();
  if (!db.IsOpen())
    return false;
  return db.GetKind() == 0 || readSettings(db, &m_settings);
}

bool KvDbSessionSettings::Restore(CKvDb& db) const {
  if (!db.IsOpen())
    return false;
  if (db.GetKind() == 0)
    return db.GetBackend()->setUp();
  QList<QPair<QString, QString>> read;
  if (!readSettings(db, &read))
    return false;
  QHash<QString, QString> now;
  for (const auto& [name, value] : read)
    now.insert(name, value);
  for (const auto& [name, value] : m_settings) {
    if (now.value(name) == value)
      continue;
    if (!db.Execute(QStringLiteral("SELECT pg_catalog.set_config('%1','%2',false)")
                        .arg(db.QuoteText(name), db.QuoteText(value))))
      return false;
  }
  return true;
}
