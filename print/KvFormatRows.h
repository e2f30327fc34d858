#pragma once
// The stored rows of the page formats (list and card) in SysCsTab: one row
// per CsN under (class, key in CsNa, printer profile in LPO), and the texts
// the numbers and fonts are kept as.

#include "core/KvPrinter.h"

#include <QList>
#include <QMap>
#include <QString>

class CKvDb;

// The profile a format is kept for: the given one, else the current one.
QString KvFormatProfile(const QString& profile);

// Reads the rows of (cs, key, profile) as CsN -> CsVal. False when the
// parameter table cannot be read.
bool KvLoadFormatRows(CKvDb* db, int cs, const QString& key, const QString& profile,
                      QMap<int, QString>* rows);
// Replaces the rows of (cs, key, profile) in one transaction.
bool KvSaveFormatRows(CKvDb* db, int cs, const QString& key, const QString& profile,
                      const QMap<int, QString>& rows);
// Writes, in one transaction (an inner one inside the caller's), the rows
// of `after` whose text differs from `before`'s, each in place of the
// stored row of its CsN; the other rows stay as stored.
bool KvSaveChangedFormatRows(CKvDb* db, int cs, const QString& key, const QString& profile,
                             const QMap<int, QString>& before, const QMap<int, QString>& after);

// Numbers separated by blanks: "2100 2970 0".
QString KvIntsText(const QList<int>& values);
// Exactly `count` whole numbers; false (values untouched) for anything else.
bool KvParseInts(const QString& text, int count, QList<int>* values);

// Take the paper row "width length orientation" (sides above 0; any
// orientation other than 0 is landscape, 1) and the margin row "left top
// right bottom" (none below 0); a malformed row leaves the values alone.
void KvTakePaperRow(const QString& text, int* width, int* length, int* orientation);
void KvTakeMarginRow(const QString& text, int* left, int* top, int* right, int* bottom);

// A font as "height weight italic underline colour face" (the face may hold
// blanks; colour as 0x00BBGGRR).
QString KvFontRowText(const KvLogFont& font, quint32 colour);
// False, font and colour untouched, when the text is malformed.
bool KvParseFontRow(const QString& text, KvLogFont* font, quint32* colour);
