#include "school/KvSchoolSql.h"

#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvCopyTable.h"
#include "core/KvSqlTranslator.h"

QString KvLikePrefix(CKvDb* pDb, const QString& prefix) {
  return KvQuoteLikePattern(prefix, pDb ? pDb->GetKind() : 0) + KvAnyMarker();
}

int KvSchoolCount(CKvDb* pDb, const QString& sqlJet, const QString& sqlServer) {
  if (!pDb)
    return -1;
  CKvQuery query(1, 0, 0, pDb);
  if (!query.Open(sqlJet, sqlServer))
    return -1;
  return query.IsEOF() ? 0 : query.GetLong(0);
}

bool KvSchoolText(CKvDb* pDb, const QString& sqlJet, const QString& sqlServer, QString* value) {
  value->clear();
  if (!pDb)
    return false;
  CKvQuery query(0, 0, 1, pDb);
  if (!query.Open(sqlJet, sqlServer))
    return false;
  if (!query.IsEOF())
    *value = query.GetText(0);
  return true;
}

bool KvCopyTableChecked(CKvDb* pSource, CKvDb* pTarget, const QString& table, const QString& where) {
  return KvCopyTableStrict(pSource, pTarget, table, nullptr, where);
}
