#include "print/KvPrintProviders.h"

#include "print/CKvPrintFieldDefs.h"

#include <utility>

namespace {
KvDefaultPrintSetFn& defaultPrintSet() {
  static KvDefaultPrintSetFn fn;
  return fn;
}
KvPrintPosFormsFn& printPosForms() {
  static KvPrintPosFormsFn fn;
  return fn;
}
}  // namespace

KvDefaultPrintSetFn KvSetDefaultPrintSetProvider(KvDefaultPrintSetFn fn) {
  return std::exchange(defaultPrintSet(), std::move(fn));
}

KvPrintPosFormsFn KvSetPrintPosFormsProvider(KvPrintPosFormsFn fn) {
  return std::exchange(printPosForms(), std::move(fn));
}

void GetDefaultPrintSet(int formNo, const QString& formName, CKvPrintSet& set) {
  const KvDefaultPrintSetFn fn = defaultPrintSet();
  if (fn)
    fn(formNo, formName, set);
}

int GetPrintPosForms(int layoutId, CKvPrintFieldDefs& defs) {
  const KvPrintPosFormsFn fn = printPosForms();
  if (fn)
    fn(layoutId, defs);
  return defs.Count();
}
