#pragma once
// The reversible digit codec of the credentials kept in the settings: a text
// becomes a marker character (code 7) followed by three decimal digits per
// byte of its UTF-8 form, and back. It hides a value from a casual glance;
// it is not encryption.

#include <QByteArray>
#include <QString>

// bEncode true: the encoded text. False: the decoded text; a text that does
// not begin with the marker was never encoded and comes back unchanged.
QString KvScrambleDigits(const QString& text, bool bEncode);

// The same on bytes: every byte value survives encoding and decoding.
// Decoding reads whole groups of three characters (a shorter tail is
// ignored); characters other than digits give meaningless bytes, no error.
QByteArray KvScrambleDigitBytes(const QByteArray& bytes, bool bEncode);
