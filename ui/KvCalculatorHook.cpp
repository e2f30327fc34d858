#include "ui/KvCalculatorHook.h"

#include "core/KvMessage.h"
#include "core/KvNumberText.h"

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

QString KvCalculatorResultFor(const QString& result, int decimals) {
  const qsizetype point = result.indexOf(u'.');
  bool ok = false;
  const double value = result.toDouble(&ok);
  if (decimals < 0 || point < 0 || result.size() - point - 1 <= decimals || !ok)
    return result;
  return KvFormatNumber(KvRoundDecimals(value, decimals), 0, 0, decimals, true).remove(u',');
}

void KvTellCalculatorResultRefused(const QString& result) {
  KvMessageBox(QStringLiteral("计算结果“%1”不能放入本栏！").arg(result));
}
