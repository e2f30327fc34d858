#pragma once
// The one order in which a write locks several tables, so that two writes
// never wait on each other in a ring. Every write that locks more than one
// table takes its locks through KvLockTablesInOrder, or in this order by
// hand:
//   1. the application's own tables: OPR, PWR, KVDW, KvTask;
//   2. the modules' tables: STD or COST, then PC; the timetable's
//      catalogues TCHR, SBT and PUBRM; then WKJH, SBTTCHR, the period
//      schedule WKT, and PK;
//   3. any table this list does not name (the business months ZRVMONTH,
//      the log KvLogOp, the file's own SYSTAB, ...), in the order given;
//   4. the print and form tables: KvFormList, KVPAGESET, KVFONT, FIELDWIDTH;
//   5. the parameter store SysCsTab, last, since module and print writes
//      update its rows under their own table locks.

#include <QStringList>

class CKvDb;

// Locks each table once, in that order, inside the open transaction; false
// at the first lock refused (a lock wait given up is told by the connection).
bool KvLockTablesInOrder(CKvDb* pDb, const QStringList& tables);
