#include "print/CKvPageFormat.h"

#include "print/CKvPrintSet.h"
#include "print/KvFormatRows.h"
#include "ui/CKvColourDlg.h"
#include "ui/KvListPrint.h"


namespace {
enum Row { TitleRow = 1, HeadRow = 2, FootRow = 3, PaperRow = 4, MarginRow = 5, FontRow = 10 };
}  // namespace

CKvPageFormat::CKvPageFormat() {
  // The same page and fonts as a print set is made with.
  TakePrintSet(CKvPrintSet());
  Rows = 0;
}

bool CKvPageFormat::Load(CKvDb* db, int formId, const QString& profile) {
  QMap<int, QString> rows;
  if (!KvLoadFormatRows(db, KV_CS_LIST_PAGE_FORMAT, QString::number(formId), profile, &rows))
    return false;
  if (rows.contains(TitleRow))
    Title = rows.value(TitleRow);
  if (rows.contains(HeadRow))
    Head = rows.value(HeadRow);
  if (rows.contains(FootRow))
    Foot = rows.value(FootRow);
  KvTakePaperRow(rows.value(PaperRow), &PaperWidth, &PaperLength, &Orientation);
  KvTakeMarginRow(rows.value(MarginRow), &Left, &Top, &Right, &Bottom);
  for (int role = 0; role < FontCount; ++role) {
    quint32 colour = 0;
    if (KvParseFontRow(rows.value(FontRow + role), &Fonts[role], &colour))
      FontColors[role] = KvColorOf(colour);
  }
  return true;
}

bool CKvPageFormat::Save(CKvDb* db, int formId, const QString& profile) const {
  return KvSaveFormatRows(db, KV_CS_LIST_PAGE_FORMAT, QString::number(formId), profile, StoredRows());
}

bool CKvPageFormat::SaveChanges(CKvDb* db, int formId, const CKvPageFormat& read, const QString& profile) const {
  return KvSaveChangedFormatRows(db, KV_CS_LIST_PAGE_FORMAT, QString::number(formId), profile, read.StoredRows(),
                                 StoredRows());
}

QMap<int, QString> CKvPageFormat::StoredRows() const {
  QMap<int, QString> rows;
  rows.insert(TitleRow, Title);
  rows.insert(HeadRow, Head);
  rows.insert(FootRow, Foot);
  rows.insert(PaperRow, KvIntsText({PaperWidth, PaperLength, Orientation}));
  rows.insert(MarginRow, KvIntsText({Left, Top, Right, Bottom}));
  for (int role = 0; role < FontCount; ++role)
    rows.insert(FontRow + role, KvFontRowText(Fonts[role], KvRgbValueOf(FontColors[role])));
  return rows;
}

void CKvPageFormat::TakePrintSet(const CKvPrintSet& set) {
  PaperWidth = set.PageWidth;
  PaperLength = set.PageLength;
  Orientation = set.IsLandscape() ? 1 : 0;
  Left = set.PageLeft;
  Top = set.PageTop;
  Right = set.PageRight;
  Bottom = set.PageBottom;
  Rows = set.PageRow;
  for (int role = 0; role < FontCount; ++role) {
    Fonts[role] = set.Fonts[role];
    FontColors[role] = set.FontColors[role];
  }
}

void CKvPageFormat::PutPrintSet(CKvPrintSet* set) const {
  set->PageWidth = PaperWidth;
  set->PageLength = PaperLength;
  set->PageCopies = IsLandscape() ? 0 : 1;
  set->PageLeft = Left;
  set->PageTop = Top;
  set->PageRight = Right;
  set->PageBottom = Bottom;
  set->PageRow = Rows;
  for (int role = 0; role < FontCount; ++role) {
    set->Fonts[role] = Fonts[role];
    set->FontColors[role] = FontColors[role];
  }
}

bool KvLoadListPageFormat(const KvListPrintTarget& target, CKvPageFormat* format) {
  *format = CKvPageFormat();
  bool ok = format->Load(target.db, target.formId);
  if (format->Title.isEmpty())
    format->Title = target.title;
  if (target.printSet) {
    ok = target.printSet->Load(target.db, target.formId, QString::fromLatin1(KV_LIST_PRINTSET_MODE)) &&
         ok;
    format->TakePrintSet(*target.printSet);
  }
  return ok;
}
