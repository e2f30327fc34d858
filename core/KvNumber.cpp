#include "core/KvNumber.h"

#include <QStringList>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>

namespace {
inline bool isDigit(QChar ch) { return ch.unicode() >= u'0' && ch.unicode() <= u'9'; }

// The C library's isspace in the C locale.
inline bool isCSpace(QChar ch) {
  const char16_t c = ch.unicode();
  return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// Digits [begin, end) of `text` as a clamped int with the given sign.
int digitsToInt(const QString& text, qsizetype begin, qsizetype end, bool negative) {
  qint64 value = 0;
  for (qsizetype i = begin; i < end; ++i) {
    value = value * 10 + (text.at(i).unicode() - u'0');
    if (value > qint64(INT_MAX) + 1)
      break;  // already out of range; the clamp below decides
  }
  if (negative)
    value = -value;
  if (value > INT_MAX)
    return INT_MAX;
  if (value < INT_MIN)
    return INT_MIN;
  return int(value);
}

bool allDigits(const QString& text, qsizetype begin, qsizetype end) {
  for (qsizetype i = begin; i < end; ++i)
    if (!isDigit(text.at(i)))
      return false;
  return true;
}
}  // namespace

bool KvIsNumberText(const QString& text, int maxIntDigits, int maxDecimals) {
  const qsizetype minus = text.lastIndexOf(u'-');
  if (minus > 0)
    return false;
  qsizetype begin = minus == 0 ? 1 : 0;
  const qsizetype end = text.size();
  if (end - begin >= 2 && text.at(begin) == u'0' && text.at(begin + 1) == u'.')
    ++begin;
  const qsizetype dot = text.indexOf(u'.', begin);
  if (maxDecimals == 0 && dot >= 0)
    return false;
  const qsizetype intEnd = dot >= 0 ? dot : end;
  const qsizetype decBegin = dot >= 0 ? dot + 1 : end;
  if (!allDigits(text, begin, intEnd) || !allDigits(text, decBegin, end))
    return false;
  qsizetype intStart = begin;
  while (intStart < intEnd && text.at(intStart) == u'0')
    ++intStart;
  if (maxIntDigits > 0 && intEnd - intStart > maxIntDigits)
    return false;
  qsizetype decEnd = end;
  while (decEnd > decBegin && text.at(decEnd - 1) == u'0')
    --decEnd;
  if (maxDecimals > 0 && decEnd - decBegin > maxDecimals)
    return false;
  return true;
}

int KvLeadingInt(const QString& text) {
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n && isCSpace(text.at(i)))
    ++i;
  bool negative = false;
  if (i < n && (text.at(i) == u'-' || text.at(i) == u'+')) {
    negative = text.at(i) == u'-';
    ++i;
  }
  const qsizetype begin = i;
  while (i < n && isDigit(text.at(i)))
    ++i;
  return digitsToInt(text, begin, i, negative);
}

int KvScanInts(const QString& text, int* values, int count) {
  const QStringList items = text.simplified().split(u' ', Qt::SkipEmptyParts);
  int read = 0;
  for (; read < count && read < items.size(); ++read) {
    bool ok = false;
    const int value = items[read].toInt(&ok);
    if (!ok)
      break;
    values[read] = value;
  }
  return read;
}

int KvStrToInt(const QString& text, int defaultValue) {
  bool blank = true;
  for (QChar ch : text) {
    if (ch != u' ' && ch != u'\n' && ch != u'\t' && ch != u'\r') {
      blank = false;
      break;
    }
  }
  if (blank)
    return defaultValue;
  if (!KvIsNumberText(text))
    return 0;
  return KvLeadingInt(text);
}

int KvStrToLong(const QString& text, int defaultValue) { return KvStrToInt(text, defaultValue); }

double KvTextToDouble(const QString& text) {
  if (text.isEmpty() || !KvIsNumberText(text))
    return 0.0;
  // The text now holds only ASCII digits, "-" and ".".
  const QByteArray ascii = text.toLatin1();
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(ascii.constData(), ascii.constData() + ascii.size(), value);
  (void)ptr;
  if (ec == std::errc::result_out_of_range) {
    // As strtod: an overflow gives an infinite value, an underflow 0.
    const bool negative = ascii.startsWith('-');
    const qsizetype dot = ascii.indexOf('.');
    QByteArray whole = ascii.left(dot >= 0 ? dot : ascii.size());
    whole.replace("-", "").replace("0", "");
    if (whole.isEmpty())
      return negative ? -0.0 : 0.0;
    return negative ? -HUGE_VAL : HUGE_VAL;
  }
  if (ec != std::errc())
    return 0.0;  // "-", "." and the like hold no digits
  return value;
}

bool KvReadTypedNumber(const QString& text, int maxIntDigits, int maxDecimals, double* value) {
  *value = 0.0;
  if (text.isEmpty())
    return true;
  if (!KvIsNumberText(text, maxIntDigits, maxDecimals) || std::none_of(text.begin(), text.end(), isDigit))
    return false;
  *value = KvTextToDouble(text);
  return true;
}

bool KvFormatInt(int value, QString* out, int width, bool keepZero) {
  if (value == 0 && !keepZero) {
    if (out)
      out->clear();
    return false;
  }
  bool fitted = value >= 0;
  const qint64 magnitude = value < 0 ? -qint64(value) : qint64(value);
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, magnitude);
  const int count = int(result.ptr - digits);
  const int shown = width < 0 ? 0 : width;
  QString text;
  if (count > shown) {
    fitted = false;
    text = QString::fromLatin1(result.ptr - shown, shown);
  } else {
    text.reserve(shown);
    text.fill(u'0', shown - count);
    text += QString::fromLatin1(digits, count);
  }
  if (out)
    *out = text;
  return fitted;
}

QString KvIntToText(int value, int width) {
  QString text;
  KvFormatInt(value, &text, width, true);
  return text;
}

QString KvNextNumberText(qint64 highest, int width, const QString& what, QString* pRefusal) {
  qint64 bound = 0;
  for (int i = 0; i < width && bound < INT_MAX; ++i)
    bound = bound * 10 + 9;
  bound = std::min<qint64>(bound, INT_MAX);
  const qint64 next = highest + 1;
  if (next > bound) {
    if (pRefusal)
      *pRefusal = QStringLiteral("%1已到最大值%2，不能再自动编号！").arg(what, QString::number(bound));
    return QString();
  }
  return KvIntToText(int(next), width);
}

bool KvFormatIntFrom(QString& text, int width, bool keepZero) {
  return KvFormatInt(KvLeadingInt(text), &text, width, keepZero);
}

QString KvFormatIntText(const QString& text, int width) {
  QString copy = text;
  KvFormatIntFrom(copy, width, true);
  return copy;
}

void KvFillInts(QList<int>& list, int value) { list.fill(value); }

void KvFillDoubles(QList<double>& list, double value) { list.fill(value); }

void KvFillDwords(quint32* buffer, int count, quint32 value) {
  if (!buffer)
    return;
  for (int i = 0; i < count; ++i)
    buffer[i] = value;
}

bool KvIntInList(int value, std::initializer_list<int> values) {
  for (int v : values)
    if (v == value)
      return true;
  return false;
}

int KvIndexOfInt(int value, const QList<int>& list) { return int(list.indexOf(value)); }

int KvSign(double value) {
  if (value >= 0.0000001)
    return 1;
  if (value >= -0.0000001)
    return 0;
  return -1;
}
