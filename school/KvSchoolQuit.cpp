#include "school/KvSchoolQuit.h"

#include <QCoreApplication>

namespace {
KvSchoolQuitFn& hook() {
  static KvSchoolQuitFn fn;
  return fn;
}
}  // namespace

KvSchoolQuitFn KvSetSchoolQuitHook(KvSchoolQuitFn fn) {
  KvSchoolQuitFn previous = std::move(hook());
  hook() = std::move(fn);
  return previous;
}

void KvSchoolRequestQuit() {
  if (hook())
    hook()();
  else
    QCoreApplication::exit(0);
}
