#include "print/CKvCardPageFormat.h"

#include "print/CKvPrintSet.h"
#include "print/KvFormatRows.h"

namespace {
enum Row {
  TitleRow = 1,
  PaperRow = 4,
  MarginRow = 5,
  CardRow = 6,
  TitleFontRow = 10,
  TextFontRow = 12
};
}  // namespace

CKvCardPageFormat::CKvCardPageFormat() {
  // The fonts a print set is made with.
  const CKvPrintSet defaults;
  TitleFont = defaults.Fonts[CKvPrintSet::TitleFont];
  TextFont = defaults.Fonts[CKvPrintSet::TextFont];
}

bool CKvCardPageFormat::Load(CKvDb* db, const QString& profile) {
  QMap<int, QString> rows;
  if (!KvLoadFormatRows(db, KV_CS_CARD_PAGE_FORMAT, QString::number(Key), profile, &rows))
    return false;
  if (rows.contains(TitleRow))
    Title = rows.value(TitleRow);
  KvTakePaperRow(rows.value(PaperRow), &PaperWidth, &PaperLength, &Orientation);
  KvTakeMarginRow(rows.value(MarginRow), &Left, &Top, &Right, &Bottom);
  QList<int> values;
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
  return KvSaveFormatRows(db, KV_CS_CARD_PAGE_FORMAT, QString::number(Key), profile, StoredRows());
}

bool CKvCardPageFormat::SaveChanges(CKvDb* db, const CKvCardPageFormat& read, const QString& profile) const {
  return KvSaveChangedFormatRows(db, KV_CS_CARD_PAGE_FORMAT, QString::number(Key), profile, read.StoredRows(),
                                 StoredRows());
}

QMap<int, QString> CKvCardPageFormat::StoredRows() const {
  QMap<int, QString> rows;
  rows.insert(TitleRow, Title);
  rows.insert(PaperRow, KvIntsText({PaperWidth, PaperLength, Orientation}));
  rows.insert(MarginRow, KvIntsText({Left, Top, Right, Bottom}));
  rows.insert(CardRow, KvIntsText({CardWidth, CardHeight}));
  rows.insert(TitleFontRow, KvFontRowText(TitleFont, quint32(TitleValue)));
  rows.insert(TextFontRow, KvFontRowText(TextFont, quint32(TextValue)));
  return rows;
}
