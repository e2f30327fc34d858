#pragma once
// How an exported list column is written: as numbers (whole or with
// decimals) or as text. A column holds numbers only when it is right-aligned
// on screen and every non-empty cell (trailing blanks trimmed, "," removed)
// is a plain decimal number that is not a code: a cell that begins with "0"
// followed by a digit ("0012") is a code, while "0", "0.50" and "-0.5" are
// numbers. A cell of more than 15 digits is beyond what a number keeps
// exactly, so it makes its column text. A cell without any digit ("-", ".")
// is not a number.

#include <QString>

class KvRowSource;

struct KvExportColumn {
  enum Kind { Text, Integer, Decimal };
  Kind kind = Text;
  // Numeric columns: the most decimals any cell shows once read as a number
  // and written back with at most 6 decimals and no trailing zeros.
  int decimals = 0;
  // Text columns: the widest cell's width (core/KvWidth.h), at least 2.
  int width = 2;
};

KvExportColumn KvExportColumnKind(const KvRowSource& rows, int column);

// A cell as the writers take it: trailing blanks trimmed.
QString KvExportCellText(const KvRowSource& rows, int row, int column);

// The value of a cell of a numeric column: "," removed, the empty text 0.
double KvExportCellNumber(const QString& cell);
