#pragma once
// A function that runs before the outermost transaction of a connection
// begins, however it begins (CKvDb::BeginTrans at depth 0,
// CKvDb::BeginLocked, CKvDb::BeginLockedSelect): the application registers there a
// work period its login could not register, so that the log entries written
// inside the transaction carry it. It answers false to refuse the begin,
// having told why; the begin then fails without a message of its own.
// Without a function every begin goes on.

#include <functional>

class CKvDb;

using KvBeforeTransactionFn = std::function<bool(CKvDb&)>;

// Installs the function (empty: none) and returns the one in place.
KvBeforeTransactionFn KvSetBeforeTransaction(KvBeforeTransactionFn fn);

// Runs the function in place; true without one.
bool KvRunBeforeTransaction(CKvDb& db);
