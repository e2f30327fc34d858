#pragma once
// The one order in which a write locks several tables, so that two writes
// never wait on each other in a ring: the application's own tables first
// (OPR, PWR, KVDW, KvTask), then the modules' tables (STD or COST, then PC,
// then WKJH, SBTTCHR, PK; a table this list does not know after them), and
// the parameter store SysCsTab last, since module writes update its rows
// under their own table locks.

#include <QStringList>

class CKvDb;

// Locks each table once, in that order, inside the open transaction; false
// at the first lock refused (a lock wait given up is told by the connection).
bool KvLockTablesInOrder(CKvDb* pDb, const QStringList& tables);
