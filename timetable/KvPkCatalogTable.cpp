#include "timetable/KvPkCatalogTable.h"

#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "school/KvSchoolSql.h"

namespace {
void stop(const QString& text) { KvMessageBox(text, KV_MB_OK | KV_MB_ICONSTOP); }

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
  QString code;
  KvFormatInt(KvStrToInt(last) + 1, &code, width, true);
  return code;
}

bool Insert(CKvDb* pDb, const QString& insertSql, const QString& table, const QString& code,
            const QString& duplicate) {
  // Under the table lock a second workstation's insert of the same code
  // waits for this transaction and then counts two.
  KvDbTransaction trans(*pDb);
  if (!trans.IsActive() || !pDb->LockTable(table) || !pDb->Execute(insertSql, QString(), 1, true))
    return false;
  const int n = KvSchoolCount(pDb, codeCount(pDb, table, QStringLiteral("KNO"), code));
  if (n != 1) {
    trans.Rollback();
    // A count that cannot be read has been reported; it proves no duplicate.
    if (n >= 0)
      stop(duplicate);
    return false;
  }
  return trans.Commit();
}

bool Update(CKvDb* pDb, const QString& updateSql, const QString& table, const QString& oldCode,
            const QString& newCode, const QString& duplicate, const QList<KvPkCodeRef>& refs) {
  KvDbTransaction trans(*pDb);
  if (!trans.IsActive() || !pDb->LockTable(table) || !pDb->Execute(updateSql, QString(), 1, true))
    return false;
  const int n = KvSchoolCount(pDb, codeCount(pDb, table, QStringLiteral("KNO"), newCode));
  if (n < 0 || n > 1) {
    trans.Rollback();
    if (n > 1)
      stop(duplicate);
    return false;
  }
  // The referring rows follow the new code inside the same transaction, so
  // a failed rewrite leaves the catalogue row unchanged as well.
  if (newCode != oldCode) {
    for (const KvPkCodeRef& ref : refs) {
      if (!pDb->Execute(KvFormat("Update %s Set %s='%s' Where %s='%s'", ref.table, ref.column,
                                 pDb->QuoteText(newCode), ref.column, pDb->QuoteText(oldCode))))
        return false;
    }
  }
  return trans.Commit();
}

bool Delete(CKvDb* pDb, const QString& table, const QString& code, const QList<KvPkCodeRef>& refs) {
  KvDbTransaction trans(*pDb);
  if (!trans.IsActive() ||
      !pDb->Execute(KvFormat("Delete From %s Where KNO='%s'", table, pDb->QuoteText(code)), QString(),
                    1, true))
    return false;
  for (const KvPkCodeRef& ref : refs) {
    // A place whose count cannot be read is taken as referring.
    if (KvSchoolCount(pDb, codeCount(pDb, ref.table, ref.column, code)) != 0) {
      trans.Rollback();
      stop(KvFormat(ref.refusal, code));
      return false;
    }
  }
  return trans.Commit();
}

}  // namespace KvPkCatalogTable
