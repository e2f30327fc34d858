#include "core/KvScrambleDigits.h"

namespace {
constexpr char kMarker = 7;

// The digit's value 0..9; any other character still gives a value in 0..9.
int digitValue(char ch) { return ((ch - '0') % 10 + 10) % 10; }
}  // namespace

QByteArray KvScrambleDigitBytes(const QByteArray& bytes, bool bEncode) {
  if (bEncode) {
    QByteArray out;
    out.reserve(1 + 3 * bytes.size());
    out.append(kMarker);
    for (const char byte : bytes) {
      const int v = static_cast<signed char>(byte) + 128;  // 0..255
      out.append(char('0' + (3 * (v % 10)) % 10));
      out.append(char('0' + (7 * (v / 10 % 10)) % 10));
      out.append(char('0' + (9 * (v / 100)) % 10));
    }
    return out;
  }
  if (bytes.isEmpty() || bytes[0] != kMarker)
    return bytes;
  QByteArray out;
  out.reserve((bytes.size() - 1) / 3);
  // 7 undoes 3 and 9 undoes itself, modulo 10.
  for (qsizetype i = 1; i + 3 <= bytes.size(); i += 3) {
    const int units = (7 * digitValue(bytes[i])) % 10;
    const int tens = (3 * digitValue(bytes[i + 1])) % 10;
    const int hundreds = (9 * digitValue(bytes[i + 2])) % 10;
    out.append(char((100 * hundreds + 10 * tens + units + 128) % 256));
  }
  return out;
}

QString KvScrambleDigits(const QString& text, bool bEncode) {
  if (bEncode)
    return QString::fromLatin1(KvScrambleDigitBytes(text.toUtf8(), true));
  if (!text.startsWith(QChar(kMarker)))
    return text;
  return QString::fromUtf8(KvScrambleDigitBytes(text.toUtf8(), false));
}
