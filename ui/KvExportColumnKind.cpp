#include "ui/KvExportColumnKind.h"

#include "core/KvNumber.h"
#include "core/KvNumberText.h"
#include "core/KvWidth.h"
#include "ui/KvListPrint.h"

namespace {

// Digits a double keeps exactly.
constexpr int kMaxNumberDigits = 15;

QString withoutCommas(const QString& cell) {
  QString plain = cell;
  plain.remove(u',');
  return plain;
}

// True when the cell, "," removed, is a number that is not a code; *decimals
// gets the decimals it shows.
bool readNumber(const QString& cell, int* decimals) {
  const QString plain = withoutCommas(cell);
  if (!KvIsNumberText(plain))
    return false;
  int digits = 0;
  for (QChar ch : plain)
    digits += ch.isDigit() ? 1 : 0;
  if (digits == 0 || digits > kMaxNumberDigits)
    return false;
  if (plain.size() > 1 && plain[0] == u'0' && plain[1].isDigit())
    return false;
  *decimals = 0;
  if (plain.contains(u'.')) {
    const QString shown = KvDoubleToText(KvTextToDouble(plain));
    const qsizetype point = shown.indexOf(u'.');
    *decimals = point < 0 ? 0 : int(shown.size() - point - 1);
  }
  return true;
}

}  // namespace

QString KvExportCellText(const KvRowSource& rows, int row, int column) {
  QString text = rows.CellText(row, column);
  qsizetype end = text.size();
  while (end > 0 && text[end - 1] == u' ')
    --end;
  text.truncate(end);
  return text;
}

double KvExportCellNumber(const QString& cell) { return KvTextToDouble(withoutCommas(cell)); }

KvExportColumn KvExportColumnKind(const KvRowSource& rows, int column) {
  KvExportColumn result;
  const int count = rows.RowCount();
  bool numeric = (rows.ColumnAlignment(column) & Qt::AlignRight) != 0;
  int decimals = 0;
  int width = 0;
  for (int row = 0; row < count; ++row) {
    const QString cell = KvExportCellText(rows, row, column);
    width = qMax(width, KvTextWidth(cell));
    int cellDecimals = 0;
    if (numeric && !cell.isEmpty()) {
      numeric = readNumber(cell, &cellDecimals);
      decimals = qMax(decimals, cellDecimals);
    }
  }
  if (numeric) {
    result.kind = decimals > 0 ? KvExportColumn::Decimal : KvExportColumn::Integer;
    result.decimals = decimals;
  } else {
    result.width = qMax(2, width);
  }
  return result;
}
