#pragma once
// What the controls and dialogs need of the application: its open connection,
// the rights test of the logged-in operator and the operation log. The
// application shell fills them in at start-up; until then there is no
// connection, no right, and logging does nothing.

#include <QString>
#include <functional>

class CKvDb;

using KvAppDbFn = std::function<CKvDb*()>;
using KvRightTestFn = std::function<bool(const QString& rightCode)>;
using KvLogFn = std::function<void(int operationCode, const QString& detail)>;

// Install the providers (an empty function removes one); each returns the
// one that was in place.
KvAppDbFn KvSetAppDbProvider(KvAppDbFn fn);
KvRightTestFn KvSetRightTest(KvRightTestFn fn);
KvLogFn KvSetLogService(KvLogFn fn);

// The application's open connection; null when none is open or the shell has
// not made it known.
CKvDb* KvAppServiceDb();

// True when the logged-in operator holds the right (a four-character code
// such as "0012"); false while no rights test is installed.
bool KvAppServiceHasRight(const QString& rightCode);

// Writes one entry of the operation log (an operation number of the shared
// operations, such as 16 page setup, 17 print, 28 printers, 29 export, and the
// entry's text); does nothing while no log is installed.
void KvAppServiceLog(int operationCode, const QString& detail);

// How the program ends when it must end at once (a data file that can no
// longer be reopened, a guard that finds the setup unusable): the handler
// runs the shell's shut-down (the working period ended, the data file
// closed, the settings saved) and ends the event loop with the exit code.
// The shell installs it at start-up; tests install their own. Without one,
// the event loop ends with the code and nothing else happens. Nothing in the
// program calls exit().
using KvQuitFn = std::function<void(int exitCode)>;
KvQuitFn KvSetQuitHandler(KvQuitFn fn);
void KvRequestQuit(int exitCode);
