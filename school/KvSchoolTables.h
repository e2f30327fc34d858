#pragma once
// The statements that create the fee module's tables (STD, COST, PC) and
// the three timetabling tables that refer to the code tree (WKJH, SBTTCHR,
// PK). Both modules create the latter when they are missing, through the
// one function here.
//
// Each table is created only when the data file lacks it, its indexes right
// after it; a table that exists is left untouched (no index is added). Each
// statement runs through CKvDb::Execute with the error report on; a failed
// one does not stop the following ones, and the result is then false.

#include <QString>
#include <QStringList>

class CKvDb;

// Creates the table with createJet (createServer on the server kinds, the
// Jet text when empty) and then each index statement (one text for both
// dialects), unless the table exists. False when a statement failed.
bool KvCreateMissingTable(CKvDb* pDb, const QString& table, const QString& createJet,
                          const QString& createServer, const QStringList& indexes);

// STD with its index, COST, PC with its indexes on (STD, T), (T, F) and
// (F, DH).
bool KvCreateSchoolTables(CKvDb* pDb);

// WKJH, SBTTCHR and PK with their indexes, in this order.
bool KvCreateTimetablePlanTables(CKvDb* pDb);
