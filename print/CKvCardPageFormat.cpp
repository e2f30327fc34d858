#include "print/CKvCardPageFormat.h"

#include "print/KvFormatRows.h"

#include <algorithm>

namespace {
enum Row { TitleRow = 1, PaperRow = 4, MarginRow = 5, CardRow = 6, TitleFontRow = 10, TextFontRow = 12 };

KvLogFont makeFont(const QString& face, int height) {
  KvLogFont font = KvDefaultLogFont();
  font.faceName = face;
  font.height = height;
  font.weight = 400;
  return font;
}
}  // namespace

CKvCardPageFormat::CKvCardPageFormat()
    : TitleFont(makeFont(QStringLiteral("黑体"), 24)),
      TextFont(makeFont(QStringLiteral("宋体"), 12)) {}

bool CKvCardPageFormat::Load(CKvDb* db, const QString& profile) {
  QMap<int, QString> rows;
  if (!KvLoadFormatRows(db, KV_CS_CARD_PAGE_FORMAT, QString::number(Key), profile, &rows))
    return false;
  if (rows.contains(TitleRow))
    Title = rows.value(TitleRow);
  QList<int> values;
  if (KvParseInts(rows.value(PaperRow), 3, &values) && values[0] > 0 && values[1] > 0) {
    PaperWidth = values[0];
    PaperLength = values[1];
    Orientation = values[2] != 0 ? 1 : 0;
  }
  if (KvParseInts(rows.value(MarginRow), 4, &values) &&
      std::all_of(values.cbegin(), values.cend(), [](int v) { return v >= 0; })) {
    Left = values[0];
    Top = values[1];
    Right = values[2];
    Bottom = values[3];
  }
  if (KvParseInts(rows.value(CardRow), 2, &values) && values[0] >= 0 && values[1] >= 0) {
    CardWidth = values[0];
    CardHeight = values[1];
  }
  quint32 value = 0;
  if (KvParseFontRow(rows.value(TitleFontRow), &TitleFont, &value))
    TitleValue = int(value);
  if (KvParseFontRow(rows.value(TextFontRow), &TextFont, &value))
    TextValue = int(value);
  return true;
}

bool CKvCardPageFormat::Save(CKvDb* db, const QString& profile) const {
  QMap<int, QString> rows;
  rows.insert(TitleRow, Title);
  rows.insert(PaperRow, KvIntsText({PaperWidth, PaperLength, Orientation}));
  rows.insert(MarginRow, KvIntsText({Left, Top, Right, Bottom}));
  rows.insert(CardRow, KvIntsText({CardWidth, CardHeight}));
  rows.insert(TitleFontRow, KvFontRowText(TitleFont, quint32(TitleValue)));
  rows.insert(TextFontRow, KvFontRowText(TextFont, quint32(TextValue)));
  return KvSaveFormatRows(db, KV_CS_CARD_PAGE_FORMAT, QString::number(Key), profile, rows);
}
