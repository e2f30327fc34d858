#include "core/KvNumberText.h"

#include "core/KvFormat.h"
#include "core/KvNumber.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace {
// Fixed-point digits of a finite double never need more than 309 integer
// digits; decimals are capped far beyond what a double holds.
constexpr int kMaxDecimals = 300;
constexpr qsizetype kBufferSize = kMaxDecimals + 400;

// Writes the value in fixed notation into buf (kBufferSize bytes); returns
// the length.
qsizetype fixedChars(char* buf, double value, int decimals) {
  if (decimals > kMaxDecimals)
    decimals = kMaxDecimals;
  return std::to_chars(buf, buf + kBufferSize, value, std::chars_format::fixed, decimals).ptr - buf;
}
}  // namespace

double KvRoundDecimals(double value, int decimals) {
  if (decimals < 0 || !std::isfinite(value))
    return value;
  const double nudged = value < 0 ? value - 0.0000000001 : value + 0.0000000001;
  char buf[kBufferSize];
  const qsizetype size = fixedChars(buf, nudged, decimals);
  double rounded = 0.0;
  std::from_chars(buf, buf + size, rounded);
  return rounded;
}

QString KvFormatNumber(double value, int width, int minDecimals, int maxDecimals, bool showZero) {
  if (showZero && std::fabs(value) < 0.0000001) {
    // Printed as an exact zero: a tiny negative value would show as "-0.00".
    if (width != 0)
      return KvFormat(QStringLiteral("%*.*f"), width, minDecimals, 0.0);
    return KvFormat(QStringLiteral("%.*f"), minDecimals, 0.0);
  }
  width = KvAbs(width);
  if (minDecimals < 0)
    minDecimals = 0;
  if (maxDecimals < minDecimals)
    maxDecimals = minDecimals;

  // KvRoundDecimals reads back the printed digits, so its sign is the sign
  // of what is shown.
  const double rounded = KvRoundDecimals(value, maxDecimals);
  const int sign = KvSign(rounded);
  if (sign == 0)
    return QString(width, u' ');
  const bool negative = sign < 0;

  char digits[kBufferSize];
  qsizetype length = fixedChars(digits, std::fabs(rounded), maxDecimals);
  const char* dot = static_cast<const char*>(std::memchr(digits, '.', size_t(length)));
  const qsizetype intDigits = dot ? dot - digits : length;
  if (dot) {
    while (length - intDigits - 1 > minDecimals && digits[length - 1] == '0')
      --length;
    if (length == intDigits + 1)
      --length;
  }
  const qsizetype signWidth = negative ? 1 : 0;
  if (width > 0 && width < length + signWidth)
    return QString(width, u'*');
  const qsizetype separators = (intDigits - 1) / 3;
  const bool grouped = !(width > 0 && width < length + signWidth + separators);

  // Sign, digits and separators, then right-aligned in the width.
  char text[kBufferSize + kBufferSize / 3 + 2];
  qsizetype n = 0;
  if (negative)
    text[n++] = '-';
  for (qsizetype i = 0; i < length; ++i) {
    if (grouped && i > 0 && i < intDigits && (intDigits - i) % 3 == 0)
      text[n++] = ',';
    text[n++] = digits[i];
  }
  QString result;
  result.reserve(qMax<qsizetype>(width, n));
  if (width > n)
    result.fill(u' ', width - n);
  result.append(QLatin1StringView(text, n));
  return result;
}

QString KvNumToText(double value, int width, int minDecimals, int maxDecimals, bool showZero,
                    const QString& prefix) {
  const QString text = KvFormatNumber(value, width, minDecimals, maxDecimals, showZero);
  if (prefix.isEmpty())
    return text;
  const QString bare = text.trimmed();
  if (bare.isEmpty())
    return text;
  return prefix + bare;
}

QString KvNumToText(int value, int width, int minDecimals, int maxDecimals, bool showZero,
                    const QString& prefix) {
  return KvNumToText(double(value), width, minDecimals, maxDecimals, showZero, prefix);
}

QString KvDoubleToText(double value) {
  QString text = KvNumToText(value, 0, 0, 6, false);
  text.remove(u',');
  return text;
}

QString KvNumberFormatPattern(int decimals) {
  QString pattern = QStringLiteral("#,##0");
  if (decimals > 0) {
    pattern += u'.';
    pattern += QString(decimals, u'0');
  }
  return pattern;
}

QString KvColumnLetters(int column) {
  qint64 n = column < 0 ? -qint64(column) : qint64(column);
  QString letters;
  for (;;) {
    letters.prepend(QChar(u'A' + int(n % 26)));
    if (n / 26 <= 0)
      break;
    n = n / 26 - 1;
  }
  return letters;
}
