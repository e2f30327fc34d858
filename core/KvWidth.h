#pragma once
// Text width: the measure every cut, pad, field width and length limit of the
// program uses. An ASCII character counts 1, any other character 2 (as a
// Chinese character took two bytes in the old code page); a surrogate pair is
// one character. Cuts never split a character.

#include <QString>

// Width of one character given as a code point.
inline int KvCharWidth(char32_t code) { return code < 0x80 ? 1 : 2; }

// True for a character that counts 2 (a "double-byte" character).
inline bool KvIsWide(QChar ch) { return ch.unicode() >= 0x80; }

int KvTextWidth(const QString& text);

// Number of UTF-16 units of the text's longest start that is at most
// `width` wide (never ends inside a character or a surrogate pair).
qsizetype KvIndexAtWidth(const QString& text, int width);

// Width of the first `index` UTF-16 units (an index inside a surrogate pair
// counts the whole pair).
int KvWidthAtIndex(const QString& text, qsizetype index);

// The longest start of the text that is at most `width` wide.
QString KvLeftByWidth(const QString& text, int width);

// The text from width position `width` on; a wide character that straddles
// the position is dropped with the part before it.
QString KvMidByWidth(const QString& text, int width);

// The longest end of the text that is at most `width` wide.
QString KvRightByWidth(const QString& text, int width);

// The text padded with blanks to `width` (on the left when `right` is true);
// a text already as wide or wider is returned unchanged.
QString KvPadToWidth(const QString& text, int width, bool right = false);
