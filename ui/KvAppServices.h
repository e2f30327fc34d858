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

// --- Accounting units, dialog positions and the data file's year ---
// The dialog bases ask the shell for these; until it installs them there are
// no units (a picker stays empty and offers no choice, every unit check
// passes), no position is kept, and the year is the calendar's.

class CKvTreeCombo;
class QWidget;

// Fills the unit picker with the units the operator (empty: the one logged
// in) may see, under a root line with the root text, selects the current
// unit and makes the picker's unit current. Display flag 0, or 2 when the
// operator has no choice, hides and disables the picker. True when the
// picker offers a choice.
using KvFillDwComboFn = std::function<bool(CKvTreeCombo* picker, int displayFlag,
                                           const QString& operatorCode, const QString& rootText)>;
// Makes the unit of the picker's selected path the current unit.
using KvDwFromComboFn = std::function<void(CKvTreeCombo* picker)>;
// The check before data are entered for the current unit (modes as the
// dialog bases give them). A refusal shows its own message, puts the focus
// on the window and gives false.
using KvCheckDwAccessFn = std::function<bool(QWidget* focus, int mode)>;
// What the program calls an accounting unit, for the pickers' labels.
using KvDwCaptionFn = std::function<QString()>;
// Keeps the window's screen place under the id.
using KvRememberDlgPosFn = std::function<void(int id, const QWidget* window)>;
// Moves the window to the place kept under the id; false when none is kept
// (or it lies on no screen).
using KvRestoreDlgPosFn = std::function<bool(int id, QWidget* window)>;
// The year of the open data file.
using KvDataFileYearFn = std::function<int()>;

KvFillDwComboFn KvSetFillDwComboService(KvFillDwComboFn fn);
KvDwFromComboFn KvSetDwFromComboService(KvDwFromComboFn fn);
KvCheckDwAccessFn KvSetCheckDwAccessService(KvCheckDwAccessFn fn);
KvDwCaptionFn KvSetDwCaptionProvider(KvDwCaptionFn fn);
KvRememberDlgPosFn KvSetRememberDlgPosService(KvRememberDlgPosFn fn);
KvRestoreDlgPosFn KvSetRestoreDlgPosService(KvRestoreDlgPosFn fn);
KvDataFileYearFn KvSetDataFileYearProvider(KvDataFileYearFn fn);

// Without a service: the picker emptied, false.
bool KvAppServiceFillDwCombo(CKvTreeCombo* picker, int displayFlag, const QString& operatorCode,
                             const QString& rootText);
// Without a service: nothing.
void KvAppServiceSetCurrentDwFromCombo(CKvTreeCombo* picker);
// Without a service: true.
bool KvAppServiceCheckDwAccess(QWidget* focus, int mode);
// Without a provider: "独立核算单位".
QString KvAppServiceDwCaption();
// Without a service: nothing is kept.
void KvAppServiceRememberDlgPos(int id, const QWidget* window);
// Without a service: false, the window stays.
bool KvAppServiceRestoreDlgPos(int id, QWidget* window);
// Without a provider: the current calendar year.
int KvAppServiceDataFileYear();
