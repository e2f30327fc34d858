#pragma once
// A column definition, the text stored in a column's sFormula:
// "title/type/alignment/d1d2d3d4/scale/formula". The formula is everything
// after the fifth "/", slashes included. A title that holds "/" is read
// whole when the field after it is no type ("STRING", "MDBSTRING",
// "NUMBER..."): the title then runs up to the first field that is a type.
//
// Reading: an empty type is "MDBSTRING", an empty alignment "LEFT"; the
// digit field is read from its right end (its last character is d4, the one
// before it d3, then d2, then d1), and a digit that a shorter field lacks
// keeps the value the definition had before (so "1" sets only d4). A digit
// field that is not one to four digits, or a scale that is not a whole
// number from -6 to 6, makes the definition unparsable: its digits and
// scale then take the defaults (0) and the parser answers false.
//
// Writing joins the parts with all four digits; an empty type is written
// "STRING", a total (d3) on a type other than "NUMBER" is written 0 and a
// kind (d4) outside 0..2 is written 0.

#include <QString>

struct KvFormula;

struct KvColumnDef {
  QString sTitle;
  QString sType = QStringLiteral("MDBSTRING");
  QString sAlign = QStringLiteral("LEFT");
  // Simplified number format allowed.
  int d1 = 0;
  // Text wraps in the cell.
  int d2 = 0;
  // Total: 0 none, 1 vertical sum, 2 horizontal computation.
  int d3 = 0;
  // Kind: 0 fixed, 1 formula column, 2 computed column.
  int d4 = 0;
  // The shown value is the stored one × 10 to this power (-6..6).
  int nScale = 0;
  QString sFormula;

  bool IsNumber() const { return sType.startsWith(QLatin1String("NUMBER")); }
};

// Reads the definition into def (see above); false when unparsable.
bool KvParseColumnDef(const QString& text, KvColumnDef& def);
bool KvParseColumnDef(const KvFormula& formula, KvColumnDef& def);
// The definition text of def.
QString KvWriteColumnDef(const KvColumnDef& def);
// Writes def into the formula's sFormula; a formula or computed column
// (kind 1 or 2) loses its field link.
void KvWriteColumnDef(KvFormula& formula, const KvColumnDef& def);
