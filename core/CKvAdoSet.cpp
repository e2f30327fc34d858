#include "core/CKvAdoSet.h"

#include "core/KvMessage.h"
#include "core/KvSqlTranslator.h"

bool CKvAdoSet::Open(const QString& sql) {
  Close();
  ClearValues();
  if (!ConnectionOpen())
    return false;
  const QString translated = KvTranslateSql(sql, true);
  QString error;
  if (!Run(translated, &error)) {
    if (!ConnectionLost())
      KvMessageBox(error + QStringLiteral("\n执行下列SQL语句时出错！\n") + translated);
    return false;
  }
  return true;
}
