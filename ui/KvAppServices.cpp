#include "ui/KvAppServices.h"

#include "ui/CKvTreeCombo.h"

#include <QCoreApplication>
#include <QDate>

#include <utility>

namespace {
KvAppDbFn& appDb() {
  static KvAppDbFn fn;
  return fn;
}
KvRightTestFn& rightTest() {
  static KvRightTestFn fn;
  return fn;
}
KvLogFn& logService() {
  static KvLogFn fn;
  return fn;
}
KvQuitFn& quitHandler() {
  static KvQuitFn fn;
  return fn;
}
}  // namespace

KvAppDbFn KvSetAppDbProvider(KvAppDbFn fn) { return std::exchange(appDb(), std::move(fn)); }

KvRightTestFn KvSetRightTest(KvRightTestFn fn) {
  return std::exchange(rightTest(), std::move(fn));
}

KvLogFn KvSetLogService(KvLogFn fn) { return std::exchange(logService(), std::move(fn)); }

CKvDb* KvAppServiceDb() {
  const KvAppDbFn fn = appDb();
  return fn ? fn() : nullptr;
}

bool KvAppServiceHasRight(const QString& rightCode) {
  const KvRightTestFn fn = rightTest();
  return fn && fn(rightCode);
}

void KvAppServiceLog(int operationCode, const QString& detail) {
  const KvLogFn fn = logService();
  if (fn)
    fn(operationCode, detail);
}

KvQuitFn KvSetQuitHandler(KvQuitFn fn) { return std::exchange(quitHandler(), std::move(fn)); }

void KvRequestQuit(int exitCode) {
  // A copy: the handler may install another while it runs.
  const KvQuitFn fn = quitHandler();
  if (fn)
    fn(exitCode);
  else
    QCoreApplication::exit(exitCode);
}

// --- Accounting units, dialog positions and the data file's year ---

namespace {
KvFillDwComboFn& fillDwCombo() {
  static KvFillDwComboFn fn;
  return fn;
}
KvDwFromComboFn& dwFromCombo() {
  static KvDwFromComboFn fn;
  return fn;
}
KvCheckDwAccessFn& checkDwAccess() {
  static KvCheckDwAccessFn fn;
  return fn;
}
KvDwCaptionFn& dwCaption() {
  static KvDwCaptionFn fn;
  return fn;
}
KvRememberDlgPosFn& rememberDlgPos() {
  static KvRememberDlgPosFn fn;
  return fn;
}
KvRestoreDlgPosFn& restoreDlgPos() {
  static KvRestoreDlgPosFn fn;
  return fn;
}
KvDataFileYearFn& dataFileYear() {
  static KvDataFileYearFn fn;
  return fn;
}
}  // namespace

KvFillDwComboFn KvSetFillDwComboService(KvFillDwComboFn fn) {
  return std::exchange(fillDwCombo(), std::move(fn));
}
KvDwFromComboFn KvSetDwFromComboService(KvDwFromComboFn fn) {
  return std::exchange(dwFromCombo(), std::move(fn));
}
KvCheckDwAccessFn KvSetCheckDwAccessService(KvCheckDwAccessFn fn) {
  return std::exchange(checkDwAccess(), std::move(fn));
}
KvDwCaptionFn KvSetDwCaptionProvider(KvDwCaptionFn fn) {
  return std::exchange(dwCaption(), std::move(fn));
}
KvRememberDlgPosFn KvSetRememberDlgPosService(KvRememberDlgPosFn fn) {
  return std::exchange(rememberDlgPos(), std::move(fn));
}
KvRestoreDlgPosFn KvSetRestoreDlgPosService(KvRestoreDlgPosFn fn) {
  return std::exchange(restoreDlgPos(), std::move(fn));
}
KvDataFileYearFn KvSetDataFileYearProvider(KvDataFileYearFn fn) {
  return std::exchange(dataFileYear(), std::move(fn));
}

bool KvAppServiceFillDwCombo(CKvTreeCombo* picker, int displayFlag, const QString& operatorCode,
                             const QString& rootText) {
  const KvFillDwComboFn fn = fillDwCombo();
  if (fn)
    return fn(picker, displayFlag, operatorCode, rootText);
  if (picker)
    picker->DeleteAll();
  return false;
}

void KvAppServiceSetCurrentDwFromCombo(CKvTreeCombo* picker) {
  const KvDwFromComboFn fn = dwFromCombo();
  if (fn)
    fn(picker);
}

bool KvAppServiceCheckDwAccess(QWidget* focus, int mode) {
  const KvCheckDwAccessFn fn = checkDwAccess();
  return !fn || fn(focus, mode);
}

QString KvAppServiceDwCaption() {
  const KvDwCaptionFn fn = dwCaption();
  return fn ? fn() : QStringLiteral("独立核算单位");
}

void KvAppServiceRememberDlgPos(int id, const QWidget* window) {
  const KvRememberDlgPosFn fn = rememberDlgPos();
  if (fn)
    fn(id, window);
}

bool KvAppServiceRestoreDlgPos(int id, QWidget* window) {
  const KvRestoreDlgPosFn fn = restoreDlgPos();
  return fn && fn(id, window);
}

int KvAppServiceDataFileYear() {
  const KvDataFileYearFn fn = dataFileYear();
  return fn ? fn() : QDate::currentDate().year();
}
