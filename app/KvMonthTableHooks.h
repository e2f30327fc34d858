#pragma once
// The business-month table ZRVMONTH belongs to the data-file administration,
// a library above this one; it installs what the application needs of that
// table at start-up. While a hook is not installed the application leaves
// the table alone.

#include <functional>

class CKvDb;

struct KvMonthTableHooks {
  // Creates the table when missing; false when a statement failed.
  std::function<bool(CKvDb* pDb)> create;
  // Brings an older table up to date.
  std::function<void(CKvDb* pDb)> upgrade;
  // Turns the months carried into a new year's data file into that year's;
  // false when a statement failed.
  std::function<bool(CKvDb* pNewDb)> carryToNewYear;
};

// Installs the hooks; returns the ones in place before.
KvMonthTableHooks KvSetMonthTableHooks(KvMonthTableHooks hooks);
const KvMonthTableHooks& KvGetMonthTableHooks();
