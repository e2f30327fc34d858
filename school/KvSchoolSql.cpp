#include "school/KvSchoolSql.h"

#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvCopyTable.h"
#include "core/KvDbBackend.h"
#include "core/KvMessage.h"
#include "core/KvSqlTranslator.h"

#include <QHash>

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

std::unique_ptr<KvDbRowset> KvSchoolSelectKept(CKvDb* pDb, const QString& sql,
                                               const std::function<void(KvDbStatement&)>& bind) {
  QString translated;
  KvDbStatement* statement = KvSchoolBoundKept(pDb, sql, bind, &translated);
  if (!statement)
    return nullptr;
  QString error;
  std::unique_ptr<KvDbRowset> rows = statement->select(&error);
  if (!rows)
    KvSchoolReportFailed(pDb, translated, error);
  return rows;
}

namespace {
// The kept statements' texts as the engine runs them, translated once: the
// same few texts come again with every save.
const QString& translatedKept(const QString& sql, bool bServer) {
  static QHash<QString, QString> texts[2];
  QHash<QString, QString>& kept = texts[bServer ? 1 : 0];
  const auto found = kept.constFind(sql);
  if (found != kept.constEnd())
    return *found;
  if (kept.size() >= 512)
    kept.clear();
  return *kept.insert(sql, KvTranslateSql(sql, bServer));
}
}  // namespace

KvDbStatement* KvSchoolBoundKept(CKvDb* pDb, const QString& sql, const std::function<void(KvDbStatement&)>& bind,
                                 QString* translated) {
  if (!pDb || !pDb->IsOpenOrFailsAsLost())
    return nullptr;
  *translated = translatedKept(sql, pDb->GetKind() != 0);
  // A lock wait noted before this statement is not its own.
  pDb->GetBackend()->takeLockWait();
  QString error;
  KvDbStatement* statement = pDb->GetBackend()->keptStatement(*translated, &error);
  if (!statement) {
    KvSchoolReportFailed(pDb, *translated, error);
    return nullptr;
  }
  bind(*statement);
  return statement;
}

void KvSchoolReportFailed(CKvDb* pDb, const QString& sql, const QString& error) {
  if (pDb && (pDb->FailsAsLost() || pDb->ReportLockWait()))
    return;
  const QString reason = pDb && pDb->GetKind() == 2 && !error.isEmpty() ? error + u'\n' : QString();
  KvMessageBox(reason + QStringLiteral("执行下列SQL语句时出错！\n") + sql);
}

bool KvCopyTableChecked(CKvDb* pSource, CKvDb* pTarget, const QString& table, const QString& where) {
  return KvCopyTableStrict(pSource, pTarget, table, nullptr, where);
}
