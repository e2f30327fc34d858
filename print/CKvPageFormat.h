#pragma once
// The page format of list printing for one form: the title, the page head
// and foot texts, four fonts with their colours (title, head, text, foot),
// the paper, its orientation, the margins and the rows per page.
//
// Stored in SysCsTab class 9002: CsNa the form id, LPO the printer profile,
// one row per CsN: 1 title, 2 head, 3 foot, 4 "width length orientation",
// 5 "left top right bottom", 10 to 13 the fonts as "height weight italic
// underline colour face". Lengths in 0.1 mm; the paper is always given
// upright and turned for printing when the orientation is landscape. Font
// heights are stored as the fonts are (|height| in 1/100 inch on paper).
//
// A row that is missing or malformed leaves the value it holds at its
// default; Load never changes the data, Save replaces the form's rows of
// that profile in one transaction.

#include "core/KvPrinter.h"

#include <QColor>
#include <QMap>
#include <QString>
#include <array>

class CKvDb;
class CKvPrintSet;
struct KvListPrintTarget;

// SysCsTab class of the list page formats.
inline constexpr int KV_CS_LIST_PAGE_FORMAT = 9002;

class CKvPageFormat {
public:
  enum FontRole { TitleFont = 0, HeadFont = 1, TextFont = 2, FootFont = 3, FontCount = 4 };

  // No texts; A4 portrait, margins 150/250/100/200, rows fitted to the page;
  // title 黑体 24, the other fonts 宋体 12, black.
  CKvPageFormat();

  QString Title;
  QString Head;
  QString Foot;
  std::array<KvLogFont, FontCount> Fonts;
  std::array<QColor, FontCount> FontColors;
  int PaperWidth = 2100;
  int PaperLength = 2970;
  // 0 portrait, anything else landscape.
  int Orientation = 0;
  int Left = 150;
  int Top = 250;
  int Right = 100;
  int Bottom = 200;
  // Rows per page, 0 fitting as many as the page holds. Not kept in the
  // page format itself: it comes from a print set (TakePrintSet).
  int Rows = 0;

  bool IsLandscape() const { return Orientation != 0; }
  // The paper as printed: turned for landscape.
  int PrintWidth() const { return IsLandscape() ? PaperLength : PaperWidth; }
  int PrintLength() const { return IsLandscape() ? PaperWidth : PaperLength; }

  // Reads the stored rows of the form for the profile (empty: the current
  // one) over the values held. False only when the rows cannot be read.
  bool Load(CKvDb* db, int formId, const QString& profile = QString());
  // Replaces the form's rows of the profile (empty: the current one).
  bool Save(CKvDb* db, int formId, const QString& profile = QString()) const;
  // Writes only the rows that differ from those of `read` (the format as
  // loaded), in a transaction of its own or inside the caller's.
  bool SaveChanges(CKvDb* db, int formId, const CKvPageFormat& read, const QString& profile = QString()) const;
  // The rows Save writes, by CsN.
  QMap<int, QString> StoredRows() const;

  // Takes the page, margins, orientation, rows and fonts of a print set; and
  // gives them back to one (the texts are not part of a print set).
  void TakePrintSet(const CKvPrintSet& set);
  void PutPrintSet(CKvPrintSet* set) const;
};

// The key under which a list's own print set (a view's) is stored: the
// form id and this field mode.
inline constexpr const char* KV_LIST_PRINTSET_MODE = "";

// The page format a list prints with: the stored format of the target's
// form (its title, when none is stored, the target's title); when the target
// carries a print set, that set is loaded for the form and its page, fonts
// and rows replace the stored ones. False when the rows cannot be read.
bool KvLoadListPageFormat(const KvListPrintTarget& target, CKvPageFormat* format);
