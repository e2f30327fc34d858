#include "print/CKvPrintSet.h"

#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvCurrentPrinter.h"
#include "core/KvDbTransaction.h"
#include "print/KvPrintProviders.h"
#include "ui/CKvColourDlg.h"

#include <QPaintDevice>
#include <QPalette>
#include <QWidget>

namespace {
// Widths of the key's text columns.
constexpr int kFieldModeWidth = 20;
constexpr int kPrinterWidth = 30;
constexpr int kFaceWidth = 32;

KvLogFont makeFont(const QString& face, int height) {
  KvLogFont font = KvDefaultLogFont();
  font.faceName = face;
  font.height = height;
  font.weight = 400;
  return font;
}

// "Where nFlag=.. And SFIELDMODE='..' And SPRINTER='..'" of the key.
QString keyWhere(const CKvDb& db, int nFlag, const QString& sFieldMode, const QString& printer) {
  return QStringLiteral(" Where nFlag=%1 And SFIELDMODE='%2' And SPRINTER='%3'")
      .arg(QString::number(nFlag), db.QuoteText(sFieldMode, kFieldModeWidth),
           db.QuoteText(printer, kPrinterWidth));
}

// "nFlag,'SFIELDMODE','SPRINTER'" of the key, as values of an insert.
QString keyValues(const CKvDb& db, int nFlag, const QString& sFieldMode, const QString& printer) {
  return QStringLiteral("%1,'%2','%3'")
      .arg(QString::number(nFlag), db.QuoteText(sFieldMode, kFieldModeWidth), db.QuoteText(printer, kPrinterWidth));
}

QString profileOrCurrent(const QString& printer) {
  return printer.isEmpty() ? KvCurrentPrinterName() : printer;
}
}  // namespace

CKvPrintSet::CKvPrintSet() {
  Fonts[TitleFont] = makeFont(QStringLiteral("黑体"), 24);
  Fonts[HeadFont] = makeFont(QStringLiteral("宋体"), 12);
  Fonts[TextFont] = makeFont(QStringLiteral("宋体"), 12);
  Fonts[TailFont] = makeFont(QStringLiteral("宋体"), 12);
  FontColors.fill(QColor(Qt::black));
}

bool CKvPrintSet::Load(CKvDb* db, int nFlag, const QString& sFieldMode, const QString& printer) {
  // The form's defaults as the modules give them, under whatever is stored.
  *this = CKvPrintSet();
  GetDefaultPrintSet(nFlag, sFieldMode, *this);
  const bool readable =
      db && db->IsOpen() &&
      db->TablesExist({QStringLiteral("KVPAGESET"), QStringLiteral("KVFONT"), QStringLiteral("FIELDWIDTH")});
  if (!readable)
    return false;
  const QString where = keyWhere(*db, nFlag, sFieldMode, profileOrCurrent(printer));

  CKvQuery page(9, 0, 0, db);
  if (!page.Open(QStringLiteral("Select PageRow,PageWidth,PageLength,PageLeft,PageTop,"
                                "PageRight,PageBottom,PageCopies,PageSpace From KVPAGESET") +
                 where))
    return false;
  if (!page.IsEOF()) {
    PageRow = page.GetLong(0);
    PageWidth = page.GetLong(1);
    PageLength = page.GetLong(2);
    PageLeft = page.GetLong(3);
    PageTop = page.GetLong(4);
    PageRight = page.GetLong(5);
    PageBottom = page.GetLong(6);
    PageCopies = page.GetLong(7);
    PageSpace = page.GetLong(8);
  }
  page.Close();

  CKvQuery fonts(6, 0, 1, db);
  if (!fonts.Open(QStringLiteral("Select nFont,nHeight,nWeight,nItalic,nUnderline,nColor,sFace "
                                 "From KVFONT") +
                  where))
    return false;
  for (; !fonts.IsEOF(); fonts.MoveNext()) {
    const int role = fonts.GetLong(0);
    if (role < 0 || role >= FontCount)
      continue;
    KvLogFont& font = Fonts[role];
    font.height = fonts.GetLong(1);
    font.weight = fonts.GetLong(2);
    font.italic = fonts.GetLong(3) != 0;
    font.underline = fonts.GetLong(4) != 0;
    FontColors[role] = KvColorOf(quint32(fonts.GetLong(5)));
    if (!fonts.GetText(0).isEmpty())
      font.faceName = fonts.GetText(0);
  }
  fonts.Close();

  CKvQuery widths(2, 0, 0, db);
  if (!widths.Open(QStringLiteral("Select nCol,nWidth From FIELDWIDTH") + where +
                   QStringLiteral(" Order By nCol")))
    return false;
  for (; !widths.IsEOF(); widths.MoveNext())
    ColumnWidths.insert(widths.GetLong(0), widths.GetLong(1));
  return true;
}

bool CKvPrintSet::Save(CKvDb* db, int nFlag, const QString& sFieldMode,
                       const QString& printer) const {
  if (!db || !db->IsOpenOrFailsAsLost())
    return false;
  const QString profile = profileOrCurrent(printer);
  KvDbTransaction transaction(*db);
  if (!transaction.IsActive() || !writePageAndFonts(*db, nFlag, sFieldMode, profile) ||
      !db->Execute(QStringLiteral("Delete From FIELDWIDTH") + keyWhere(*db, nFlag, sFieldMode, profile)))
    return false;
  for (auto it = ColumnWidths.cbegin(); it != ColumnWidths.cend(); ++it) {
    if (!db->Execute(
            QStringLiteral("Insert Into FIELDWIDTH(nFlag,SFIELDMODE,SPRINTER,nCol,nWidth) "
                           "Values(%1,%2,%3)")
                .arg(keyValues(*db, nFlag, sFieldMode, profile), QString::number(it.key()),
                     QString::number(it.value()))))
      return false;
  }
  return transaction.Commit();
}

bool CKvPrintSet::SaveChanges(CKvDb* db, int nFlag, const QString& sFieldMode, const CKvPrintSet& read,
                              const QString& printer) const {
  if (SamePageAndFonts(read))
    return true;
  if (!db || !db->IsOpenOrFailsAsLost())
    return false;
  const QString profile = profileOrCurrent(printer);
  const QString where = keyWhere(*db, nFlag, sFieldMode, profile);
  const QString key = keyValues(*db, nFlag, sFieldMode, profile);
  KvDbTransaction transaction(*db);
  if (!transaction.IsActive())
    return false;
  if (pageValues() != read.pageValues() &&
      !(db->Execute(QStringLiteral("Delete From KVPAGESET") + where) && insertPage(*db, key)))
    return false;
  for (int role = 0; role < FontCount; ++role) {
    if (sameFont(read, role))
      continue;
    if (!db->Execute(QStringLiteral("Delete From KVFONT") + where + QStringLiteral(" And nFont=") +
                     QString::number(role)) ||
        !insertFont(*db, key, role))
      return false;
  }
  return transaction.Commit();
}

QList<int> CKvPrintSet::pageValues() const {
  return {PageRow, PageWidth, PageLength, PageLeft, PageTop, PageRight, PageBottom, PageCopies, PageSpace};
}

bool CKvPrintSet::sameFont(const CKvPrintSet& other, int role) const {
  const KvLogFont& a = Fonts[role];
  const KvLogFont& b = other.Fonts[role];
  return FontColors[role] == other.FontColors[role] && a.faceName == b.faceName && a.height == b.height &&
         a.weight == b.weight && a.italic == b.italic && a.underline == b.underline;
}

bool CKvPrintSet::SamePageAndFonts(const CKvPrintSet& other) const {
  if (pageValues() != other.pageValues())
    return false;
  for (int role = 0; role < FontCount; ++role)
    if (!sameFont(other, role))
      return false;
  return true;
}

bool CKvPrintSet::writePageAndFonts(CKvDb& db, int nFlag, const QString& sFieldMode, const QString& profile) const {
  const QString where = keyWhere(db, nFlag, sFieldMode, profile);
  const QString key = keyValues(db, nFlag, sFieldMode, profile);
  for (const char* table : {"KVPAGESET", "KVFONT"}) {
    if (!db.Execute(QStringLiteral("Delete From ") + QLatin1String(table) + where))
      return false;
  }
  if (!insertPage(db, key))
    return false;
  for (int role = 0; role < FontCount; ++role)
    if (!insertFont(db, key, role))
      return false;
  return true;
}

bool CKvPrintSet::insertPage(CKvDb& db, const QString& key) const {
  QStringList values;
  for (int value : pageValues())
    values << QString::number(value);
  return db.Execute(QStringLiteral("Insert Into KVPAGESET(nFlag,SFIELDMODE,SPRINTER,PageRow,"
                                   "PageWidth,PageLength,PageLeft,PageTop,PageRight,PageBottom,"
                                   "PageCopies,PageSpace) Values(%1,%2)")
                        .arg(key, values.join(u',')));
}

bool CKvPrintSet::insertFont(CKvDb& db, const QString& key, int role) const {
  const KvLogFont& font = Fonts[role];
  const QString values =
      QStringLiteral("%1,%2,'%3',%4,%5,%6,%7,%8")
          .arg(key, QString::number(role), db.QuoteText(font.faceName, kFaceWidth), QString::number(font.height),
               QString::number(font.weight), QString::number(font.italic ? 1 : 0),
               QString::number(font.underline ? 1 : 0), QString::number(qint32(KvRgbValueOf(FontColors[role]))));
  return db.Execute(QStringLiteral("Insert Into KVFONT(nFlag,SFIELDMODE,SPRINTER,nFont,sFace,"
                                   "nHeight,nWeight,nItalic,nUnderline,nColor) Values(") +
                    values + u')');
}

QColor CKvPrintSet::GetBkColor(const QPaintDevice* device) const {
  // On screen a form is drawn on the window's base colour; on paper, in a
  // PDF file, an image or with no device, on white.
  if (device && device->devType() == QInternal::Widget)
    return static_cast<const QWidget*>(device)->palette().color(QPalette::Base);
  return QColor(Qt::white);
}
