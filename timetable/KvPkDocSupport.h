#pragma once
// What the teaching-plan and timetable documents share: their remembered
// open arguments (year, term, date, code, ...) made sound, the version rule
// that makes an earlier version read-only, and the node path their heads
// and log entries name.

#include <QString>
#include <QStringList>

class CKvDb;
class KvDbTransaction;

// Gives the list exactly `count` entries (all empty but the data file's
// year and "yyyy0301" when it had another size), then a term other than 0
// or 1 becomes "0" and a date that is no date becomes "yyyy0301" of the
// year entry (of the data file's year when that is no year).
void KvPkNormalizeOpenArgs(QStringList& args, int count);

// Whether a plan version later than (year, term, date) exists: 1 yes, 0 no,
// -1 when it cannot be read (callers then treat the version as old). With
// bSameDateCounts a version of the same date in another year or term is
// later too.
int KvPkLaterPlanExists(const QString& year, int term, const QString& date, bool bSameDateCounts, CKvDb* pDb);

// Under the locks of a timetable write (WKJH held): true when no plan
// version later than (year, term, date) has been set up, by the plan
// editor's rule (KvPkLaterPlanExists with bSameDateCounts). Otherwise the
// transaction is rolled back and then, when the versions could be read,
// `refusal` is shown (stop icon).
bool KvPkStillLatestPlan(const QString& year, int term, const QString& date, CKvDb* pDb, KvDbTransaction& trans,
                         const char* refusal);

// The names from the unit down to the node joined with "/" (a missing
// ancestor shown by its code, empty when the node itself is missing), read
// in one select; false when it could not be read.
bool KvPkReadNodePath(const QString& code, QString* path, CKvDb* pDb);
