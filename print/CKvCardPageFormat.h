#pragma once
// The page format of a card form (one record per page): the title text, the
// title and text fonts with one colour value each, the margins, the paper,
// the orientation and the size of the card on screen.
//
// Stored in SysCsTab class 9003 like the list page formats: CsNa the page
// format key, LPO the printer profile; CsN 1 title, 4 "width length
// orientation", 5 "left top right bottom", 6 "width height" of the card on
// screen in pixels (0 0: not set), 10 the title font and 12 the text font as
// "height weight italic underline colour face". Lengths in 0.1 mm, the paper
// upright. A missing or malformed row leaves its value at the default.

#include "core/KvPrinter.h"

#include <QMap>
#include <QString>

class CKvDb;

// SysCsTab class of the card page formats.
inline constexpr int KV_CS_CARD_PAGE_FORMAT = 9003;

class CKvCardPageFormat {
public:
  // No title; title 黑体 24 and text 宋体 12 with colour values 0; margins
  // 200 each; A4 2100 x 2970 portrait; card size not set; key 0.
  CKvCardPageFormat();

  QString Title;
  KvLogFont TitleFont;
  KvLogFont TextFont;
  // One value per font, handed on to the drawing (an RGB colour, 0 black).
  int TitleValue = 0;
  int TextValue = 0;
  int Left = 200;
  int Top = 200;
  int Right = 200;
  int Bottom = 200;
  int PaperWidth = 2100;
  int PaperLength = 2970;
  // Size of the card on screen in pixels; 0 x 0 when not set.
  int CardWidth = 0;
  int CardHeight = 0;
  // 0 portrait, anything else landscape.
  int Orientation = 0;
  // The key the format is stored under.
  int Key = 0;

  bool IsLandscape() const { return Orientation != 0; }

  // Reads the stored rows of Key for the profile (empty: the current one)
  // over the values held. False only when the rows cannot be read.
  bool Load(CKvDb* db, const QString& profile = QString());
  // Replaces the rows of Key for the profile in one transaction.
  bool Save(CKvDb* db, const QString& profile = QString()) const;
  // Writes only the rows that differ from those of `read` (the format as
  // loaded), in a transaction of its own or inside the caller's.
  bool SaveChanges(CKvDb* db, const CKvCardPageFormat& read, const QString& profile = QString()) const;
  // The rows Save writes, by CsN.
  QMap<int, QString> StoredRows() const;
};
