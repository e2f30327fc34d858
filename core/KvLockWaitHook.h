#pragma once
// What the program shows while a connection waits for a lock another
// connection holds (up to kKvLockWaitMs): the user interface installs a
// handler that shows the wait cursor; core only says when a wait begins and
// when it ends. Without a handler nothing is shown.
//
// A data file says so from the first nap of its busy handler until the call
// that waited returns; the server kinds say so around each BeginTrans,
// LockTable and commit (the calls that wait for another session's lock).
// The handler is called on the thread that waits, a begin always followed
// by its end on the same thread, and never while a message is shown.

#include <functional>

using KvLockWaitFn = std::function<void(bool bWaiting)>;

// Installs the handler (empty: none) and returns the one in place.
KvLockWaitFn KvSetLockWaitHandler(KvLockWaitFn fn);

// Tells the handler that a wait begins (true) or ends (false).
void KvShowLockWait(bool bWaiting);

// Shows the wait while it lives, when `active`.
class KvLockWaitScope {
 public:
  explicit KvLockWaitScope(bool active);
  ~KvLockWaitScope();
  KvLockWaitScope(const KvLockWaitScope&) = delete;
  KvLockWaitScope& operator=(const KvLockWaitScope&) = delete;

 private:
  bool m_active;
};
