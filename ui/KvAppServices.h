#pragma once
// What the controls and dialogs need of the application: its open connection
// and the rights test of the logged-in operator. The application shell fills
// them in at start-up; until then there is no connection and no right.

#include <QString>
#include <functional>

class CKvDb;

using KvAppDbFn = std::function<CKvDb*()>;
using KvRightTestFn = std::function<bool(const QString& rightCode)>;

// Install the providers (an empty function removes one); each returns the
// one that was in place.
KvAppDbFn KvSetAppDbProvider(KvAppDbFn fn);
KvRightTestFn KvSetRightTest(KvRightTestFn fn);

// The application's open connection; null when none is open or the shell has
// not made it known.
CKvDb* KvAppServiceDb();

// True when the logged-in operator holds the right (a four-character code
// such as "0012"); false while no rights test is installed.
bool KvAppServiceHasRight(const QString& rightCode);
