#include "app/CKvTaskLog.h"

#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvDbTransaction.h"
#include "core/KvSqlTranslator.h"
#include "core/KvText.h"

namespace {

// Runs a select of text columns only into the list (emptied first); -1 when
// it fails.
int loadTexts(const QString& sql, QStringList* pList, CKvDb* pDb) {
  pList->clear();
  CKvQuery query(0, 0, 1, pDb);
  if (!query.Open(sql))
    return -1;
  for (; !query.IsEOF(); query.MoveNext())
    pList->append(query.GetText(0));
  return static_cast<int>(pList->size());
}

// "<select> <condition> <order>" without blanks for empty parts.
QString withClauses(const QString& select, const QString& condition, const QString& order) {
  QString sql = select;
  for (const QString& clause : {condition, order})
    if (!clause.isEmpty())
      sql += u' ' + clause;
  return sql;
}

}  // namespace

bool CKvTaskLog::CreateTables(CKvDb* pDb) {
  if (!pDb)
    return false;
  if (pDb->TableExists(QStringLiteral("KvTask")))
    return true;
  const QStringList statements = {
      QStringLiteral("Create Table KvTask(nTask Long,nThreadID Long,"
                     "sT1 Char(14),sT2 Char(14),sComputer Char(240),sUser Char(240))"),
      QStringLiteral("Create Table KvLog(nTask Long,sOp Char(20),sT Char(14),nTaskID Long,sNote Char(240))"),
      QStringLiteral("Create Table KvLogOp(sOp Char(20))"),
  };
  bool ok = true;
  for (const QString& sql : statements)
    ok &= pDb->Execute(sql, KvReplace(sql, QStringLiteral("Long"), QStringLiteral("INT")));
  return ok;
}

int CKvTaskLog::LoadTasks(const QString& condition, const QString& order,
                          QList<CKvOperation>* pTasks, CKvDb* pDb) {
  pTasks->clear();
  CKvQuery query(2, 0, 4, pDb);
  query.SetFieldNames(0, {QStringLiteral("nThreadID"), QStringLiteral("nTask")});
  if (!query.Open(withClauses(QStringLiteral("SELECT nThreadID,nTask,rtrim(sT1),rtrim(sT2),"
                                             "rtrim(sComputer),rtrim(sUser) From KvTask"),
                              condition, order)))
    return -1;
  for (; !query.IsEOF(); query.MoveNext()) {
    CKvOperation task;
    task.nThreadID = query.GetLong(0);
    task.nTask = query.GetLong(1);
    task.sT1 = query.GetText(0);
    task.sT2 = query.GetText(1);
    task.sComputer = query.GetText(2);
    task.sUser = query.GetText(3);
    pTasks->append(task);
  }
  return static_cast<int>(pTasks->size());
}

bool CKvTaskLog::LoadTask(int nTask, CKvOperation* pTask, CKvDb* pDb) {
  QList<CKvOperation> tasks;
  if (LoadTasks(QStringLiteral("Where nTask=%1").arg(nTask), QString(), &tasks, pDb) <= 0)
    return false;
  *pTask = tasks.first();
  return true;
}

int CKvTaskLog::LoadLogRows(const QString& condition, const QString& order,
                            QList<CKvLogRec>* pRows, CKvDb* pDb) {
  pRows->clear();
  CKvQuery query(2, 0, 3, pDb);
  query.SetFieldNames(0, {QStringLiteral("nTask"), QStringLiteral("nTaskID")});
  if (!query.Open(withClauses(
          QStringLiteral("SELECT nTask,nTaskID,rtrim(sOp),rtrim(sT),rtrim(sNote) From KvLog"),
          condition, order)))
    return -1;
  for (; !query.IsEOF(); query.MoveNext()) {
    CKvLogRec row;
    row.nTask = query.GetLong(0);
    row.nTaskID = query.GetLong(1);
    row.sOp = query.GetText(0);
    row.sT = query.GetText(1);
    row.sNote = query.GetText(2);
    row.sOpName = CKvOperation::GetOperationName(row.nTaskID);
    pRows->append(row);
  }
  return static_cast<int>(pRows->size());
}

int CKvTaskLog::LoadLog(int nTask, QList<CKvLogRec>* pRows, CKvDb* pDb) {
  return LoadLogRows(QStringLiteral("Where nTask = %1").arg(nTask),
                     QStringLiteral("Order By sT,-1*nTaskID"), pRows, pDb);
}

int CKvTaskLog::LoadLogTasks(const QString& condition, QList<int>* pTasks, CKvDb* pDb) {
  if (condition.isEmpty())
    return -1;
  CKvQuery query(1, 0, 0, pDb);
  query.SetFieldName(0, 0, QStringLiteral("nTask"));
  if (!query.Open(QStringLiteral("SELECT distinct nTask From KvLog ") + condition))
    return -2;
  for (; !query.IsEOF(); query.MoveNext())
    pTasks->append(query.GetLong(0));
  return static_cast<int>(pTasks->size());
}

int CKvTaskLog::LoadOpNames(QStringList* pNames, CKvDb* pDb) {
  return loadTexts(QStringLiteral("SELECT RTrim(sOp) From KvLogOp"), pNames, pDb);
}

int CKvTaskLog::LoadComputers(QStringList* pNames, CKvDb* pDb) {
  return loadTexts(QStringLiteral("SELECT distinct rtrim(sComputer) From KvTask"), pNames, pDb);
}

int CKvTaskLog::QueryGroups(const QString& prefix, QStringList* pGroups, CKvDb* pDb) {
  int end = 0;
  switch (prefix.size()) {
    case 0: end = 4; break;
    case 4: end = 6; break;
    case 6: end = 8; break;
    default: pGroups->clear(); return 0;
  }
  const QString expr =
      QStringLiteral("Right(Left(sT1,%1),%2)").arg(end).arg(end - prefix.size());
  QString sql = QStringLiteral("Select %1 From KvTask").arg(expr);
  if (!prefix.isEmpty())
    sql += QStringLiteral(" Where sT1 Like '%1\x07*\x08'")
               .arg(KvQuoteLikePattern(prefix, pDb ? pDb->GetKind() : 0));
  sql += QStringLiteral(" Group By %1 Order By %1").arg(expr);
  return loadTexts(sql, pGroups, pDb);
}

bool CKvTaskLog::DeleteTask(int nTask, CKvDb* pDb) {
  if (!pDb)
    return false;
  KvDbTransaction transaction(*pDb);
  return transaction.IsActive() &&
         pDb->Execute(QStringLiteral("Delete From KvTask Where nTask=%1").arg(nTask)) &&
         pDb->Execute(QStringLiteral("Delete From KvLog Where nTask=%1").arg(nTask)) &&
         transaction.Commit();
}

bool CKvTaskLog::PurgeOpNames(CKvDb* pDb) {
  return pDb && pDb->Execute(QStringLiteral("Delete From KvLogOp Where sOp Not In "
                                            "(Select sOp From KvLog)"));
}
