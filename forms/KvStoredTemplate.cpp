#include "forms/KvStoredTemplate.h"

#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvDbTransaction.h"

#include <algorithm>

namespace {

constexpr int kMaxColumns = 255;

bool within(int value, int low, int high) { return value >= low && value <= high; }

}  // namespace

int KvStoredTemplate::Load(CKvDb* pDb, int nFlag, int nForm) {
  entry = KvFormEntry();
  entry.SetKey(pDb, nFlag, nForm);
  const int found = entry.Load();
  if (found <= 0)
    return found;
  if (!entry.LoadFormulas() || !entry.LoadTopWords() || !entry.LoadHeadNotes() ||
      !print.Load(pDb, nFlag, QString::number(nForm)))
    return -1;
  return 1;
}

bool KvStoredTemplate::writeRows(CKvDb* pDb, int nFlag, int nForm, int nOpen) const {
  // Rows of no stored template (print settings of a type never saved, or
  // left by an older program) must not stand in the way of the new ones.
  if (!KvDeleteForms(nFlag, nForm, pDb))
    return false;
  KvFormEntry written = entry;
  written.SetKey(pDb, nFlag, nForm);
  written.nOpen = nOpen;
  return written.SaveLayout() && print.Save(pDb, nFlag, QString::number(nForm));
}

bool KvStoredTemplate::Write(CKvDb* pDb, int nFlag, int nForm, int nOpen) const {
  if (!pDb || !pDb->IsOpenOrFailsAsLost())
    return false;
  bool taken = false;
  {
    KvDbTransaction transaction(*pDb);
    if (!transaction.IsActive() || !pDb->LockTable(QStringLiteral("KvFormList")))
      return false;
    CKvQuery query(1, 0, 0, pDb);
    if (!query.Open(KvFormat(QStringLiteral("Select Count(*) From KvFormList Where nFlag=%d And nForm=%d"),
                             nFlag, nForm)))
      return false;
    taken = !query.IsEOF() && query.GetLong(0) > 0;
    query.Close();
    if (!taken)
      return writeRows(pDb, nFlag, nForm, nOpen) && transaction.Commit();
  }
  // Said once the lock is given up: the other workstations wait for none.
  KvMessageBox(KvFormat(QStringLiteral("文档模板(%d-%d)已存在，不能写入！"), nFlag, nForm),
               KV_MB_OK | KV_MB_ICONSTOP);
  return false;
}

bool KvStoredTemplate::Replace(CKvDb* pDb, int nFlag, int nForm, int nOpen) const {
  if (!pDb || !pDb->IsOpenOrFailsAsLost())
    return false;
  KvDbTransaction transaction(*pDb);
  return transaction.IsActive() && pDb->LockTable(QStringLiteral("KvFormList")) &&
         writeRows(pDb, nFlag, nForm, nOpen) && transaction.Commit();
}

bool KvStoredTemplate::WriteCopy(CKvDb* pDb, int nFlag, int nLeast, int* pnForm) const {
  if (!pDb || !pDb->IsOpenOrFailsAsLost())
    return false;
  KvDbTransaction transaction(*pDb);
  if (!transaction.IsActive() || !pDb->LockTable(QStringLiteral("KvFormList")))
    return false;
  // The number comes from the data file, not from a list that another
  // workstation may have overtaken.
  CKvQuery query(2, 0, 0, pDb);
  if (!query.Open(KvFormat(QStringLiteral("Select Count(*),Max(nForm) From KvFormList Where nFlag=%d"), nFlag)))
    return false;
  // Computed wide: a stored number at the top of the column's range must
  // not wrap round onto the first copy's number.
  const qint64 nNext = query.IsEOF() || query.GetLong(0) == 0
                           ? nLeast
                           : std::max<qint64>(nLeast, qint64(query.GetLong(1)) + 1);
  const int nHighest = query.IsEOF() ? 0 : query.GetLong(1);
  query.Close();
  if (nNext > kKvMaxTemplateNumber) {
    transaction.Rollback();
    KvMessageBox(KvFormat(QStringLiteral("模板号%d的复件序号已到%d，不能再增加复件！"), nFlag, nHighest),
                 KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  const int nForm = int(nNext);
  if (!writeRows(pDb, nFlag, nForm, 1) || !transaction.Commit())
    return false;
  *pnForm = nForm;
  return true;
}

bool KvCheckTemplateLayout(const KvFormEntry& entry) {
  // The numbers that size the form have the ranges the load brings them
  // into: a template whose load had to, or that lies outside, is damaged.
  if (entry.bOutOfRange || kKvHeadRows.Bound(entry.nTopNum) != entry.nTopNum ||
      !within(entry.nOption, 0, 3) || entry.formulas.size() > kMaxColumns)
    return false;
  for (KvFormula f : entry.formulas) {
    if (!within(f.nType, 0, 199) || f.BoundToSheet())
      return false;
  }
  const int columns = int(entry.formulas.size());
  for (const KvTopWord& w : entry.topWords) {
    if (!within(w.nCol1, 1, columns) || !within(w.nCol2, w.nCol1, columns) ||
        !within(w.nRow1, 1, entry.nTopNum) || !within(w.nRow2, w.nRow1, entry.nTopNum))
      return false;
  }
  for (KvHeadNote n : entry.headNotes) {
    if (!within(n.bIsTail, 0, 1) || !within(n.bIsUse, 0, 1) || !within(n.bIsSystem, 0, 1) ||
        n.BoundToSheet())
      return false;
  }
  return true;
}
