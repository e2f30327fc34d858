#pragma once
// A write to the data file and its operation-log entry as one piece of work: the
// write runs in a transaction on the connection, the log row (the code, the
// note) is inserted on the same connection inside it, and nothing is kept
// unless both succeed. With the data file's log switched off only the write
// runs. Transactions of the write nest inside.

#include <QString>
#include <functional>

class CKvDb;

// True when the write (and its log row) were committed. The note is read
// after the write ran, so the write may fill it in.
bool KvLoggedWrite(CKvDb* pDb, int nCode, const QString& note, const std::function<bool()>& write);
