#pragma once
// Double-byte characters in width terms: a non-ASCII character takes two
// width positions (its first and second half), an ASCII character one.

#include <QString>

// What stands at width position `position`: 0 an ASCII character, 1 the
// first half of a wide character, 2 its second half, -1 beyond the end (or a
// negative position).
int KvDbcsCharClass(const QString& text, int position);

// The text without a trailing unpaired high surrogate (half a character left
// by a cut); any other text unchanged.
QString KvCutDbcs(const QString& text);
