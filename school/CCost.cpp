#include "school/CCost.h"

#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "core/KvText.h"
#include "school/KvSchoolSql.h"

namespace {
QString codeCount(CKvDb* pDb, const QString& code) {
  return KvFormat(QStringLiteral("Select Count(*) From COST Where KNO='%s'"), pDb->QuoteText(code));
}

// Under the COST lock: 1 when the item is stored as it was read, 0 when
// another window or station changed or deleted it meanwhile, -1 when it
// cannot be read.
int storedAsRead(const CCost& read, CKvDb* pDb) {
  CCost stored;
  const int found = stored.Load(read.KNO, pDb);
  if (found < 0)
    return -1;
  return found == 1 && stored.NA == read.NA && stored.NT == read.NT ? 1 : 0;
}

// Refuses a change of an item that is no longer as read; always false.
bool refuseChanged(int state, const CCost& read) {
  if (state == 0)
    KvMessageBox(KvFormat(QStringLiteral("费用项目<%s>已被其他窗口或工作站修改或删除，请重新打开后再修改！"), read.KNO),
                 KV_MB_OK | KV_MB_ICONSTOP);
  return false;
}
}  // namespace

void CCost::Clear() {
  KNO.clear();
  NA.clear();
  NT.clear();
}

QString CCost::ColumnTitle() const { return KvSplitTextDbcs(6, QString(NA).replace(u'/', QStringLiteral("／"))); }

int CCost::Select(const QString& where, const QString& order, QList<CCost>* items, CKvDb* pDb) {
  items->clear();
  CKvQuery query(0, 0, 3, pDb);
  if (!query.Open(KvFormat(QStringLiteral("Select rtrim(KNO),rtrim(NA),rtrim(NT) From COST %s %s"), where, order)))
    return -1;
  for (; !query.IsEOF(); query.MoveNext())
    items->append(CCost{query.GetText(0), query.GetText(1), query.GetText(2)});
  return int(items->size());
}

int CCost::Load(const QString& code, CKvDb* pDb) {
  QList<CCost> items;
  const int count =
      Select(KvFormat(QStringLiteral("Where KNO='%s'"), pDb->QuoteText(code)), QString(), &items, pDb);
  if (count > 0)
    *this = items.first();
  return count;
}

int CCost::SelectAll(QList<CCost>* items, CKvDb* pDb) {
  return Select(QString(), QStringLiteral("Order By KNO"), items, pDb);
}

bool CCost::Insert(CKvDb* pDb) {
  KvDbTransaction transaction(*pDb);
  if (!transaction.IsActive() || !pDb->LockTable(QStringLiteral("COST")))
    return false;
  if (!pDb->Execute(KvFormat(QStringLiteral("Insert Into COST(KNO,NA,NT) Values('%s','%s','%s')"),
                             pDb->QuoteText(KNO), pDb->QuoteText(NA), pDb->QuoteText(NT)),
                    QString(), 1))
    return false;
  if (KvSchoolCount(pDb, codeCount(pDb, KNO)) != 1)
    return false;
  return transaction.Commit();
}

bool CCost::Update(const CCost& read, CKvDb* pDb) {
  const QString& oldCode = read.KNO;
  const QString update = KvFormat(QStringLiteral("Update COST Set KNO='%s',NA='%s',NT='%s' Where KNO='%s'"),
                                  pDb->QuoteText(KNO), pDb->QuoteText(NA), pDb->QuoteText(NT),
                                  pDb->QuoteText(oldCode));
  const QString relink = KvFormat(QStringLiteral("Update PC Set COST='%s' Where COST='%s'"),
                                  pDb->QuoteText(KNO), pDb->QuoteText(oldCode));
  int state = 0;
  {
    KvDbTransaction transaction(*pDb);
    if (!transaction.IsActive() || !pDb->LockTable(QStringLiteral("COST")))
      return false;
    state = storedAsRead(read, pDb);
    if (state > 0) {
      if (!pDb->Execute(update, QString(), 1))
        return false;
      const int count = KvSchoolCount(pDb, codeCount(pDb, KNO));
      if (count < 0)
        return false;
      if (count == 1) {
        if (KNO != oldCode && (!pDb->LockTable(QStringLiteral("PC")) || !pDb->Execute(relink)))
          return false;
        return transaction.Commit();
      }
    }
  }
  if (state <= 0)
    return refuseChanged(state, read);
  // The new code belongs to another item: merge on request, the item under
  // the new code keeping its own name and note. After the answer both items
  // are checked again.
  if (KvMessageBox(KvFormat(QStringLiteral("要将费用<%s>与<%s>合并吗？"), oldCode, KNO),
                   KV_MB_YESNO | KV_MB_ICONQUESTION | KV_MB_DEFBUTTON2) != KV_IDYES)
    return false;
  int target = 0;
  {
    KvDbTransaction transaction(*pDb);
    if (!transaction.IsActive() || !pDb->LockTable(QStringLiteral("COST")))
      return false;
    state = storedAsRead(read, pDb);
    target = state > 0 ? KvSchoolCount(pDb, codeCount(pDb, KNO)) : -1;
    if (target == 1) {
      if (!pDb->LockTable(QStringLiteral("PC")) ||
          !pDb->Execute(KvFormat(QStringLiteral("Delete From COST Where KNO='%s'"), pDb->QuoteText(oldCode))) ||
          !pDb->Execute(relink))
        return false;
      return transaction.Commit();
    }
  }
  if (state <= 0)
    return refuseChanged(state, read);
  if (target == 0)
    KvMessageBox(KvFormat(QStringLiteral("费用项目<%s>已被其他窗口或工作站删除，不能合并！"), KNO),
                 KV_MB_OK | KV_MB_ICONSTOP);
  return false;
}

bool CCost::Delete(const QString& code, CKvDb* pDb, bool* pReferenced) {
  if (pReferenced)
    *pReferenced = false;
  // The fee lines are counted under the PC lock (after COST's, in the
  // program's order): a receipt or a class sheet in flight is waited for.
  KvDbTransaction transaction(*pDb);
  if (!transaction.IsActive() || !pDb->LockTable(QStringLiteral("COST")) || !pDb->LockTable(QStringLiteral("PC")))
    return false;
  const int uses =
      KvSchoolCount(pDb, KvFormat(QStringLiteral("Select Count(*) From PC Where COST='%s'"), pDb->QuoteText(code)));
  if (uses != 0) {
    if (pReferenced)
      *pReferenced = uses > 0;
    return false;
  }
  if (!pDb->Execute(KvFormat(QStringLiteral("Delete From COST Where KNO='%s'"), pDb->QuoteText(code)), QString(), 1))
    return false;
  return transaction.Commit();
}

QString CCost::NextCode(CKvDb* pDb) {
  QString largest;
  if (!KvSchoolText(pDb, QStringLiteral("Select Max(KNO) From COST"), QString(), &largest))
    return QString();
  QString full;
  const QString code = KvNextNumberText(KvStrToInt(largest), 2, QStringLiteral("代码"), &full);
  if (!full.isEmpty())
    KvMessageBox(full, KV_MB_OK | KV_MB_ICONSTOP);
  return code;
}
