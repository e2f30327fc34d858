#pragma once
// Text helpers: case, replace, trim and strip, words, captions, character
// class tests and the fixed list of nationalities. Case folding is ASCII-only
// (only a-z and A-Z change), as codes and names were folded under the old
// Chinese code page; every other character is left as it is.

#include <QString>
#include <QStringList>

class QObject;

// The white-space set the program trims with.
inline QString KvWhiteSpace() { return QStringLiteral(" \n\t\r\n"); }

// Copy with a-z turned into A-Z (KvUpper) or A-Z into a-z (KvLower).
QString KvUpper(const QString& text);
QString KvLower(const QString& text);

// True when the two texts are equal once ASCII letters are folded.
bool KvEqualsIgnoreCase(const QString& a, const QString& b);

// Every occurrence of `from` replaced, left to right, without overlap; the
// inserted text is not searched again. An empty `from` leaves the text as is.
QString KvReplace(const QString& text, const QString& from, const QString& to);

// Removes from the start, then from the end, every character of `set`.
QString KvTrimChars(const QString& text, const QString& set);

// Removes every character of `set` wherever it stands.
QString KvStripChars(const QString& text, const QString& set);

// Mode 1 trims white space on the left, 2 on the right, 3 removes every
// blank " "; other modes leave the text. True when the text holds nothing but
// white space.
bool KvTrimMode(QString& text, int mode);

// The text up to the first blank, tab, CR or LF (the whole text without one).
QString KvFirstWord(const QString& text);

// The part before the last occurrence of `ch`; empty when it does not occur.
QString KvLeftOfLast(const QString& text, QChar ch);

// Removes blanks, line breaks, tabs and "\", then turns ASCII parentheses into
// full-width ones.
QString KvNormalizeCaption(const QString& text);

// Cuts a caption into pieces of about equal width, none wider than
// `pieceWidth` (below 1: one piece), never inside a character (a single
// character wider than pieceWidth makes a piece of its own), and joins them
// with "\".
// The pieces are also appended to `pieces` when given.
QString KvSplitTextDbcs(int pieceWidth, const QString& text, QStringList* pieces = nullptr);

// True when every character is an ASCII digit (resp. letter); true for "".
bool KvIsAllDigits(const QString& text);
bool KvIsAllAlpha(const QString& text);

// The class name of an object (empty for none).
QString KvGetClassName(const QObject* object);

// Replaces the list with the 56 nationalities and "其他"; returns 57.
int KvFillNationalities(QStringList* names);
