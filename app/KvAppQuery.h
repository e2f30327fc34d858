#pragma once
// Quiet reads for the application's own bookkeeping (operators, the log's
// period numbers, reference counts). Unlike CKvQuery nothing is shown to the
// user, and unlike CKvDb's scalar queries a failed select is told apart from
// one without rows, so that a broken read is never taken for "none".

#include <QString>
#include <memory>

class CKvDb;
class KvDbCursor;

// Runs the Jet text on kind 0, the server text (the Jet text when empty) on
// the server kinds, translated for the back end. Null when the connection is
// closed or the select fails.
std::unique_ptr<KvDbCursor> KvAppSelect(CKvDb* pDb, const QString& sqlJet,
                                        const QString& sqlServer = QString());

// The integer in the first column of the first row (0 for a NULL or no
// row); false when the select fails.
bool KvAppSelectInt(CKvDb* pDb, const QString& sqlJet, const QString& sqlServer, int* pnValue);
