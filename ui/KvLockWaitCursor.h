#pragma once
// Shows the wait cursor while a connection waits for another connection's
// lock (core/KvLockWaitHook.h).

// Installs the handler that sets QApplication's override cursor when a wait
// begins and restores it when the wait ends; waits on other threads than
// the application's show nothing.
void KvInstallLockWaitCursor();
