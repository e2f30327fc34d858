#pragma once
// The print-format settings of one form for one named printer profile: the
// page (lengths in 0.1 mm), four fonts (title, page head, text, page foot)
// with their colours, and the stored column widths in characters. Kept in
// the data file's tables KVPAGESET, KVFONT and FIELDWIDTH under the key
// (nFlag, sFieldMode, printer profile).
//
// PageCopies is the orientation flag the modules write: 1 portrait, 0
// landscape. PageWidth x PageLength always describe the paper upright and are
// exchanged for printing when the flag is 0. PageSpace is the line spacing.

#include "core/KvPrinter.h"

#include <QColor>
#include <QList>
#include <QMap>
#include <QString>
#include <array>

class CKvDb;
class QPaintDevice;

class CKvPrintSet {
public:
  enum FontRole { TitleFont = 0, HeadFont = 1, TextFont = 2, TailFont = 3, FontCount = 4 };

  // A4 portrait, margins 150/250/100/200, rows per page fitted to the page,
  // title 黑体 24, the other fonts 宋体 12, black.
  CKvPrintSet();

  int PageRow = 0;
  int PageWidth = 2100;
  int PageLength = 2970;
  int PageLeft = 150;
  int PageTop = 250;
  int PageRight = 100;
  int PageBottom = 200;
  int PageCopies = 1;
  int PageSpace = 40;

  std::array<KvLogFont, FontCount> Fonts;
  std::array<QColor, FontCount> FontColors;

  // Column number -> width in characters; empty when none is stored.
  QMap<int, int> ColumnWidths;

  bool IsLandscape() const { return PageCopies == 0; }

  // Reads the stored rows of the key over the constructed values passed
  // through the modules' default provider, which stand where no page row or
  // no font row is stored. An empty printer means the current printer
  // profile. False only when the tables cannot be read.
  bool Load(CKvDb* db, int nFlag, const QString& sFieldMode, const QString& printer = QString());

  // Replaces the stored rows of the key in one transaction.
  bool Save(CKvDb* db, int nFlag, const QString& sFieldMode, const QString& printer = QString()) const;
  // Writes the page row and each font that differs from `read` (the set as
  // loaded), in a transaction of its own or inside the caller's; the other
  // fonts and the stored column widths stay as they are.
  bool SaveChanges(CKvDb* db, int nFlag, const QString& sFieldMode, const CKvPrintSet& read,
                   const QString& printer = QString()) const;
  // The same page and fonts (the column widths aside).
  bool SamePageAndFonts(const CKvPrintSet& other) const;

  // The colour a form is drawn on: the window's base colour on screen (a
  // widget), white on paper, in a file or an image, or with no device.
  QColor GetBkColor(const QPaintDevice* device = nullptr) const;

 private:
  QList<int> pageValues() const;
  bool sameFont(const CKvPrintSet& other, int role) const;
  // Replaces the stored page and fonts of the key.
  bool writePageAndFonts(CKvDb& db, int nFlag, const QString& sFieldMode, const QString& profile) const;
  // Insert the page row, or the font of `role`, under the key's values.
  bool insertPage(CKvDb& db, const QString& key) const;
  bool insertFont(CKvDb& db, const QString& key, int role) const;
};
