#pragma once
// Changes of the unit tree of a data file and what follows from them. The
// operations on one unit (add, modify, delete, the code length of a level)
// are members of CKvDwRec (CKvDwRec.h); here are the helpers on a unit's
// data in the unit-bearing tables: the places that the application's code
// references of kind "KVDW" name (table, unit column, a flag character and a
// caption, a condition for the file kind and one for the server kinds; flag
// "0" marks a table left alone when the first unit of a file is added).
//
// Each operation keeps KVDW, the visibility rows (SysCsTab Cs 4000) and the
// unit-bearing tables together in one transaction: a refusal or a failed
// statement leaves all three as they were.

#include <QString>
#include <QStringList>

class CKvDb;

// True when no unit-bearing table holds a row of the unit or of its
// descendants (any row when the code is empty). Otherwise false, with the
// first such table's caption in *pCaption, or shown as
// "此单位下列表中已有数据：\n%s" under the stop icon when pCaption is null. A
// table whose rows cannot be counted counts as holding rows.
bool KvDwHasData(const QString& code, QString* pCaption, CKvDb* pDb);

// Makes an unscheduled backup archive, then deletes the rows of the unit
// and its descendants from the unit-bearing tables in one transaction.
// Nothing is deleted without a backup; false then.
bool KvDeleteDwData(const QString& code, CKvDb* pDb);

// The deletion of KvDeleteDwData without its backup, for a caller that
// took one and runs it inside a transaction of its own; false at the first
// failed statement.
bool KvDeleteDwRows(const QString& code, CKvDb* pDb);

// Makes the target (a copy of the source data file) the data file of one
// unit: every table but KVDW and the log tables is copied from the source
// with the common rows and the unit's rows; in the target the common rows
// of tables with HDO are dropped and the unit's rows become common, and
// SysTab takes the unit's name, manager and person in charge. An empty code
// keeps the common rows only. A table the target does not have (one the
// program does not make) is left out and named in *pSkipped (when given).
// Each table is copied whole or not at all; false at the first table that
// failed (the target is then incomplete and only fit to be thrown away).
bool KvExtractDwData(const QString& unitCode, CKvDb* pSource, CKvDb* pTarget, QStringList* pSkipped = nullptr);
