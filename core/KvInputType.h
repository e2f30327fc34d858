#pragma once
// Input types: short texts such as "STRING DIGIT",
// "STRING NOT |[]'", "MDBSTRING", "NUMBER 100 900", "DOUBLE", "TIMESTRING"
// and "CLASSNOSTRING" that declare what an edit field accepts, and the one
// checker that judges a candidate edit against them. No message is shown;
// the caller refuses the keystroke or restores the last accepted text.
//
// Lengths and positions are text widths (KvWidth.h): ASCII 1, other 2.

#include <QChar>
#include <QString>

// Whether inserting `insert` at width position `position` of `current` gives
// a text the input type `type` admits. The limits depend on the kind:
// NUMBER/DOUBLE: most integer digits (0 or less: no limit), most decimals
//   (0: no decimal point, below 0: no limit);
// TIMESTRING: 100 x year + 10 x month + day, each 0 or 1 (111 = yyyymmdd);
// CLASSNOSTRING: most separators (below 0: no limit), longest width (below
//   1: no limit);
// STRING: longest width (below 1: no limit).
// An empty insertion or input type, and an input type of another kind,
// are accepted.
bool KvCheckTypeSpec(const QString& insert, const QString& current, int position, const QString& type,
                     int limit1, int limit2);

// The text the check of `type` judges: for "DOUBLE" the text without its
// thousands separators, else the text itself. A field stores this text, so
// that what is read from it later is what was checked.
QString KvJudgedText(const QString& text, const QString& type);

// Whether the first character of `character` belongs to a set word: "NOT"
// (every character), "UPPERCHAR", "LOWERCHAR", "SPACE", "DIGIT", "ASCII",
// "CHAR_DIGIT", "CHAR" (keywords that apply to ASCII characters), or else a
// literal list of characters.
bool KvCharInSet(const QString& set, const QString& character);

// 1 when every character of the text belongs to the set (also for the empty
// text), -1 when none does, 0 when some do and some do not.
int KvMatchCharSet(const QString& set, const QString& text);

// Whether the text is a class number such as "2024-3": digits in parts joined
// by the separator, no empty part, no part after the first beginning with 0,
// and at most `maxSeparators` separators (below 0: no limit).
bool KvCheckClassNo(const QString& text, int maxSeparators, QChar separator);
