#include "ui/KvListPrint.h"

#include <utility>

namespace {
KvListPrintFn& listPrinter() {
  static KvListPrintFn fn;
  return fn;
}
KvListPageSetupFn& listPageSetup() {
  static KvListPageSetupFn fn;
  return fn;
}
KvListTitleFn& listTitle() {
  static KvListTitleFn fn;
  return fn;
}
KvAppPrintSetFn& appPrintSet() {
  static KvAppPrintSetFn fn;
  return fn;
}
}  // namespace

KvListPrintFn KvSetListPrinter(KvListPrintFn fn) { return std::exchange(listPrinter(), std::move(fn)); }

KvListPageSetupFn KvSetListPageSetup(KvListPageSetupFn fn) {
  return std::exchange(listPageSetup(), std::move(fn));
}

KvListTitleFn KvSetListTitleReader(KvListTitleFn fn) { return std::exchange(listTitle(), std::move(fn)); }

KvAppPrintSetFn KvSetAppPrintSetProvider(KvAppPrintSetFn fn) {
  return std::exchange(appPrintSet(), std::move(fn));
}

bool KvPrintListRows(const KvRowSource& rows, const KvListPrintTarget& target, int command) {
  const KvListPrintFn fn = listPrinter();
  return fn && fn(rows, target, command);
}

bool KvRunListPageSetup(const KvListPrintTarget& target, QWidget* parent) {
  const KvListPageSetupFn fn = listPageSetup();
  return fn && fn(target, parent);
}

QString KvStoredListTitle(CKvDb* db, int formId) {
  const KvListTitleFn fn = listTitle();
  return fn ? fn(db, formId) : QString();
}

CKvPrintSet* KvAppPrintSet() {
  const KvAppPrintSetFn fn = appPrintSet();
  return fn ? fn() : nullptr;
}
