#include "ui/KvCalculatorHook.h"

#include <utility>

namespace {
KvCalculatorFn& calculator() {
  static KvCalculatorFn fn;
  return fn;
}
}  // namespace

void KvSetCalculator(KvCalculatorFn fn) { calculator() = std::move(fn); }

bool KvRunCalculator(bool bSendBack, const QString& expression, QWidget* parent,
                     QString* result) {
  const KvCalculatorFn fn = calculator();
  if (!fn)
    return false;
  QString ignored;
  return fn(bSendBack, expression, parent, result ? result : &ignored);
}
