#include "ui/KvAppServices.h"

#include <QCoreApplication>

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
