#include "timetable/KvPkCatalogTable.h"

#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "school/KvSchoolSql.h"

namespace {
// A refusal rolls the write back first. It is then shown, or handed to the
// caller, whose own transaction is still open: it shows it once that ended.
void refuse(KvDbTransaction& trans, const QString& text, QString* pRefusal) {
  trans.Rollback();
  if (pRefusal)
    *pRefusal = text;
  else
    KvMessageBox(text, KV_MB_OK | KV_MB_ICONSTOP);
}

// The catalogue's table, then the tables that refer to it, in the order
// every write locks them (the places are listed as WKJH, SBTTCHR, PK).
bool lockWithReferences(CKvDb* pDb, const QString& table, const QList<KvPkCodeRef>& refs) {
  if (!pDb->LockTable(table))
    return false;
  for (const KvPkCodeRef& ref : refs)
    if (!pDb->LockTable(ref.table))
      return false;
  return true;
}

QString codeCount(CKvDb* pDb, const QString& table, const QString& column, const QString& code) {
  return KvFormat("Select Count(*) From %s Where %s='%s'", table, column, pDb->QuoteText(code));
}
}  // namespace

namespace KvPkCatalogTable {

QList<QStringList> Select(CKvDb* pDb, const QString& sql, int nColumns, bool* pRead) {
  QList<QStringList> rows;
  CKvQuery query(0, 0, nColumns, pDb);
  const bool read = query.Open(sql);
  if (pRead)
    *pRead = read;
  if (!read)
    return rows;
  for (; !query.IsEOF(); query.MoveNext()) {
    QStringList row;
    row.reserve(nColumns);
    for (int i = 0; i < nColumns; ++i)
      row.append(query.GetText(i));
    rows.append(row);
  }
  return rows;
}

QString NextCode(CKvDb* pDb, const QString& table, int width) {
  const QString last = pDb->LookupText(KvFormat("Max(KNO) From %s", table));
  QString full;
  const QString code = KvNextNumberText(KvStrToInt(last), width, QStringLiteral("代码"), &full);
  if (!full.isEmpty())
    KvMessageBox(full, KV_MB_OK | KV_MB_ICONSTOP);
  return code;
}

bool Insert(CKvDb* pDb, const QString& insertSql, const QString& table, const QString& code,
            const QString& duplicate, QString* pRefusal) {
  // Under the table lock a second workstation's insert of the same code
  // waits for this transaction and then counts two.
  KvDbTransaction trans(*pDb);
  if (!trans.IsActive() || !pDb->LockTable(table) || !pDb->Execute(insertSql, QString(), 1, true))
    return false;
  const int n = KvSchoolCount(pDb, codeCount(pDb, table, QStringLiteral("KNO"), code));
  if (n != 1) {
    // A count that cannot be read has been reported; it proves no duplicate.
    if (n >= 0)
      refuse(trans, duplicate, pRefusal);
    return false;
  }
  return trans.Commit();
}

bool Update(CKvDb* pDb, const QString& updateSql, const QString& table, const QString& oldCode,
            const QString& newCode, const QString& duplicate, const QList<KvPkCodeRef>& refs,
            QString* pRefusal) {
  KvDbTransaction trans(*pDb);
  if (!trans.IsActive() || !pDb->LockTable(table) || !pDb->Execute(updateSql, QString(), 1, true))
    return false;
  const int n = KvSchoolCount(pDb, codeCount(pDb, table, QStringLiteral("KNO"), newCode));
  if (n < 0 || n > 1) {
    if (n > 1)
      refuse(trans, duplicate, pRefusal);
    return false;
  }
  // The referring rows follow the new code inside the same transaction, so
  // a failed rewrite leaves the catalogue row unchanged as well. Their
  // tables are locked first: a row another workstation is storing under
  // the old code is waited for and rewritten too.
  if (newCode != oldCode) {
    if (!lockWithReferences(pDb, table, refs))
      return false;
    for (const KvPkCodeRef& ref : refs) {
      if (!pDb->Execute(KvFormat("Update %s Set %s='%s' Where %s='%s'", ref.table, ref.column,
                                 pDb->QuoteText(newCode), ref.column, pDb->QuoteText(oldCode))))
        return false;
    }
  }
  return trans.Commit();
}

bool Delete(CKvDb* pDb, const QString& table, const QString& code, const QList<KvPkCodeRef>& refs,
            QString* pRefusal) {
  // The places are counted under the locks of their tables: a plan row or
  // a lesson another workstation is storing is waited for and counted, and
  // none is stored under the code until the row is gone.
  KvDbTransaction trans(*pDb);
  if (!trans.IsActive() || !lockWithReferences(pDb, table, refs))
    return false;
  for (const KvPkCodeRef& ref : refs) {
    // A place whose count cannot be read is taken as referring.
    if (KvSchoolCount(pDb, codeCount(pDb, ref.table, ref.column, code)) != 0) {
      refuse(trans, KvFormat(ref.refusal, code), pRefusal);
      return false;
    }
  }
  return pDb->Execute(KvFormat("Delete From %s Where KNO='%s'", table, pDb->QuoteText(code)), QString(), 1,
                      true) &&
         trans.Commit();
}

}  // namespace KvPkCatalogTable
