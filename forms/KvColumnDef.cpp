#include "forms/KvColumnDef.h"

#include "forms/KvFormEntry.h"

#include <QStringList>

namespace {

bool isDigits(const QString& text) {
  for (QChar c : text)
    if (c < u'0' || c > u'9')
      return false;
  return true;
}

bool isType(const QString& field) {
  return field == u"STRING" || field == u"MDBSTRING" || field.startsWith(QLatin1String("NUMBER"));
}

}  // namespace

bool KvParseColumnDef(const QString& text, KvColumnDef& def) {
  QStringList parts = text.split(u'/');
  // A title holding "/" (a fee item's name, in a layout stored before such
  // titles were written safe) shifts every field: when the field after the
  // title is no type, the title runs up to the first field that is one.
  if (parts.size() > 2 && !parts.at(1).isEmpty() && !isType(parts.at(1))) {
    for (qsizetype i = 2; i < parts.size(); ++i) {
      if (!isType(parts.at(i)))
        continue;
      parts.replace(0, parts.mid(0, i).join(u'/'));
      parts.remove(1, i - 1);
      break;
    }
  }
  const auto part = [&](int i) { return i < parts.size() ? parts.at(i) : QString(); };

  def.sTitle = part(0);
  def.sType = part(1).isEmpty() ? QStringLiteral("MDBSTRING") : part(1);
  def.sAlign = part(2).isEmpty() ? QStringLiteral("LEFT") : part(2);
  def.sFormula = parts.size() > 5 ? parts.mid(5).join(u'/') : QString();

  bool ok = true;
  const QString digits = part(3);
  if (digits.size() > 4 || !isDigits(digits)) {
    ok = false;
  } else {
    int* fields[4] = {&def.d4, &def.d3, &def.d2, &def.d1};
    for (int i = 0; i < digits.size(); ++i)
      *fields[i] = digits.at(digits.size() - 1 - i).digitValue();
  }
  const QString scaleText = part(4).trimmed();
  int scale = 0;
  if (!scaleText.isEmpty()) {
    bool isNumber = false;
    scale = scaleText.toInt(&isNumber);
    if (!isNumber || scale < -6 || scale > 6)
      ok = false;
  }
  if (!ok) {
    def.d1 = def.d2 = def.d3 = def.d4 = 0;
    def.nScale = 0;
    return false;
  }
  def.nScale = scale;
  return true;
}

bool KvParseColumnDef(const KvFormula& formula, KvColumnDef& def) {
  return KvParseColumnDef(formula.sFormula, def);
}

QString KvWriteColumnDef(const KvColumnDef& def) {
  const QString type = def.sType.isEmpty() ? QStringLiteral("STRING") : def.sType;
  const int total = def.IsNumber() ? def.d3 : 0;
  const int kind = def.d4 >= 0 && def.d4 <= 2 ? def.d4 : 0;
  const auto digit = [](int d) { return QString::number(d >= 0 && d <= 9 ? d : 0); };
  return QStringLiteral("%1/%2/%3/%4%5%6%7/%8/%9")
      .arg(def.sTitle, type, def.sAlign, digit(def.d1), digit(def.d2), digit(total), digit(kind),
           QString::number(def.nScale), def.sFormula);
}

void KvWriteColumnDef(KvFormula& formula, const KvColumnDef& def) {
  formula.sFormula = KvWriteColumnDef(def);
  const int kind = def.d4 >= 0 && def.d4 <= 2 ? def.d4 : 0;
  if (kind == 1 || kind == 2)
    formula.nType = formula.IsShown() ? 100 : 0;
}
