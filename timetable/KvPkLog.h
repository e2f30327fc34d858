#pragma once
// The log entry of a timetabling write, written on the write's own
// connection so that it goes in or out with the write's transaction.

#include <QString>

class CKvDb;

// Operation nOp of module 19 with the text, by the logged-in operator in
// the current work period. True when written or the log is off (or there is
// no application); false when the insert failed.
bool KvPkInsertLog(CKvDb* pDb, int nOp, const QString& text);

// "春" for term 0, "秋" otherwise: the season in the logged and printed
// term texts.
inline QString KvPkSeason(int term) { return term == 0 ? QStringLiteral("春") : QStringLiteral("秋"); }
