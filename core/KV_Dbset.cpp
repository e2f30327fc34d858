#include "core/KV_Dbset.h"

#include "core/KvMessage.h"
#include "core/KvSqlTranslator.h"

bool KV_Dbset::Open(const QString& sql) {
  const QString translated = KvTranslateSql(sql, false);
  if (!ConnectionOpen()) {
    Close();
    ClearValues();
    KvMessageBox(QStringLiteral("执行下列SQL语句时数据库未打开！\n") + translated);
    return false;
  }
  if (!Run(translated, nullptr)) {
    KvMessageBox(QStringLiteral("执行下列SQL语句时出错！\n") + translated);
    return false;
  }
  return true;
}
