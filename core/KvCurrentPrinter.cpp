#include "core/KvCurrentPrinter.h"

namespace {
QString& currentPrinterName() {
  static QString name;
  return name;
}
}  // namespace

QString KvCurrentPrinterName() { return currentPrinterName(); }

void KvSetCurrentPrinterName(const QString& name) { currentPrinterName() = name; }
