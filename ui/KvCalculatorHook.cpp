#include "ui/KvCalculatorHook.h"

#include "core/KvMessage.h"

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

void KvTellCalculatorResultRefused(const QString& result) {
  KvMessageBox(QStringLiteral("计算结果“%1”不能放入本栏！").arg(result));
}
