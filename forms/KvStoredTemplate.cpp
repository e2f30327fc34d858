#include "forms/KvStoredTemplate.h"

#include "core/CKvDb.h"
#include "core/KvDbTransaction.h"

namespace {

constexpr int kMaxHeadRows = 10;
constexpr int kMaxColumns = 255;
constexpr int kMaxDecimals = 9;
constexpr int kMaxNoteRows = 15;
constexpr int kMaxEditLength = 50;

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

bool KvStoredTemplate::Write(CKvDb* pDb, int nFlag, int nForm, int nOpen) const {
  if (!pDb || !pDb->IsOpen())
    return false;
  KvDbTransaction transaction(*pDb);
  if (!transaction.IsActive())
    return false;
  if (!KvDeleteForms(nFlag, nForm, pDb))
    return false;
  KvFormEntry written = entry;
  written.SetKey(pDb, nFlag, nForm);
  written.nOpen = nOpen;
  if (!written.SaveLayout() || !print.Save(pDb, nFlag, QString::number(nForm)))
    return false;
  return transaction.Commit();
}

bool KvCheckTemplateLayout(const KvFormEntry& entry) {
  if (!within(entry.nTopNum, 1, kMaxHeadRows) || !within(entry.nOption, 0, 3) ||
      entry.formulas.size() > kMaxColumns)
    return false;
  for (const KvFormula& f : entry.formulas) {
    if (!within(f.nType, 0, 199) || !within(f.nFact, 0, 9999) ||
        !within(f.nLess, 0, kMaxDecimals) || !within(f.nMore, 0, kMaxDecimals))
      return false;
  }
  const int columns = int(entry.formulas.size());
  for (const KvTopWord& w : entry.topWords) {
    if (!within(w.nCol1, 1, columns) || !within(w.nCol2, w.nCol1, columns) ||
        !within(w.nRow1, 1, entry.nTopNum) || !within(w.nRow2, w.nRow1, entry.nTopNum))
      return false;
  }
  for (const KvHeadNote& n : entry.headNotes) {
    if (!within(n.bIsTail, 0, 1) || !within(n.nRow, 0, kMaxNoteRows - 1) ||
        !within(n.nColPecent, 0, kMaxEditLength * 100 + 100) ||
        !within(n.bIsUse, 0, 1) || !within(n.bIsSystem, 0, 1))
      return false;
  }
  return true;
}
