#pragma once
// Pinyin initials of Chinese text, worked out from each character's GBK code:
// the first-level characters of GB2312 are ordered by pronunciation, so a
// code range gives the letter; the second-level characters take theirs from
// a fixed table. List pickers search by these initials.

#include <QString>

// The initial letter "A"-"Z" of a GB2312 character; "[" for a second-level
// character without a reading; any other character is returned unchanged.
QString KvPinyinInitial(char32_t character);

// The initials of a text: ASCII characters kept, each Chinese character
// replaced by its initial letter, every other character dropped.
QString KvPinyinInitials(const QString& text);
