#include "core/KvFormat.h"

#include "core/KvWidth.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace {
struct Directive {
  bool left = false;
  bool plus = false;
  bool blank = false;
  bool alt = false;
  bool zero = false;
  int width = 0;
  int precision = -1;  // -1: none given
  char16_t conversion = 0;
};

// The longest fixed-point text of a double is 309 integer digits; precisions
// beyond this limit add only zeros the program never shows.
constexpr int kMaxPrecision = 300;
// Widths and precisions beyond this are taken as this (a runaway "*"
// argument must not ask for gigabytes).
constexpr int kMaxWidth = 100000;

inline void appendFill(QString& out, QChar ch, qsizetype count) {
  if (count > 0)
    out.resize(out.size() + count, ch);
}

inline void appendLatin1(QString& out, const char* text, qsizetype size) {
  out.append(QLatin1StringView(text, size));
}

// Appends sign + prefix + digits right- or left-aligned in the width; with
// zero padding the zeros go between the prefix and the digits.
void appendNumber(QString& out, const Directive& directive, const char* head, qsizetype headSize, const char* body,
                  qsizetype bodySize, bool zeroPad) {
  const qsizetype pad = directive.width - headSize - bodySize;
  if (directive.left) {
    appendLatin1(out, head, headSize);
    appendLatin1(out, body, bodySize);
    appendFill(out, u' ', pad);
  } else if (zeroPad) {
    appendLatin1(out, head, headSize);
    appendFill(out, u'0', pad);
    appendLatin1(out, body, bodySize);
  } else {
    appendFill(out, u' ', pad);
    appendLatin1(out, head, headSize);
    appendLatin1(out, body, bodySize);
  }
}

qint64 doubleToInt64(double value) {
  if (!(value == value))
    return 0;
  if (value >= 9.2233720368547758e18)
    return std::numeric_limits<qint64>::max();
  if (value <= -9.2233720368547758e18)
    return std::numeric_limits<qint64>::min();
  return qint64(value);
}

// The argument as an integer: its bits, whether they are signed, its size.
void integerOf(const KvFormatArg* arg, quint64& bits, bool& isSigned, int& bytes) {
  if (arg && (arg->kind() == KvFormatArg::Integer || arg->kind() == KvFormatArg::Character)) {
    bits = arg->bits();
    isSigned = arg->isSigned();
    bytes = arg->bytes();
  } else if (arg && arg->kind() == KvFormatArg::Floating) {
    bits = quint64(doubleToInt64(arg->floating()));
    isSigned = true;
    bytes = 8;
  } else {
    bits = 0;
    isSigned = true;
    bytes = 4;
  }
}

double floatingOf(const KvFormatArg* arg) {
  if (!arg)
    return 0.0;
  switch (arg->kind()) {
  case KvFormatArg::Floating:
    return arg->floating();
  case KvFormatArg::Integer:
  case KvFormatArg::Character:
    return arg->isSigned() ? double(qint64(arg->bits())) : double(arg->bits());
  default:
    return 0.0;
  }
}

void formatInteger(QString& out, const Directive& directive, const KvFormatArg* arg) {
  quint64 bits;
  bool isSigned;
  int bytes;
  integerOf(arg, bits, isSigned, bytes);
  const char16_t conv = directive.conversion;
  const bool signedConversion = conv == u'd' || conv == u'i';
  bool negative = false;
  quint64 magnitude = bits;
  if (isSigned && qint64(bits) < 0) {
    if (signedConversion) {
      negative = true;
      magnitude = 0 - bits;
    } else if (bytes < 8) {
      magnitude = bits & ((quint64(1) << (bytes * 8)) - 1);  // as the unsigned type of its size
    }
  }
  const int base = conv == u'x' || conv == u'X' ? 16 : conv == u'o' ? 8 : 10;

  char digits[96];
  char* const digitsEnd = digits + sizeof digits;
  // Digits are written at the end of the buffer so that zeros of the
  // precision can be put in front without moving them.
  char raw[24];
  const auto result = std::to_chars(raw, raw + sizeof raw, magnitude, base);
  qsizetype count = result.ptr - raw;
  if (directive.precision == 0 && magnitude == 0)
    count = 0;
  if (conv == u'X')
    for (qsizetype i = 0; i < count; ++i)
      if (raw[i] >= 'a')
        raw[i] = char(raw[i] - 'a' + 'A');
  const int precision = directive.precision > 64 ? 64 : directive.precision;
  qsizetype zeros = precision > count ? precision - count : 0;
  if (conv == u'o' && directive.alt && zeros == 0 && (count == 0 || raw[0] != '0'))
    zeros = 1;
  char* body = digitsEnd - count;
  std::memcpy(body, raw, size_t(count));
  body -= zeros;
  std::memset(body, '0', size_t(zeros));

  char head[3];
  qsizetype headSize = 0;
  if (signedConversion) {
    if (negative)
      head[headSize++] = '-';
    else if (directive.plus)
      head[headSize++] = '+';
    else if (directive.blank)
      head[headSize++] = ' ';
  } else if (base == 16 && directive.alt && magnitude != 0) {
    head[headSize++] = '0';
    head[headSize++] = char(conv);
  }
  appendNumber(out, directive, head, headSize, body, digitsEnd - body, directive.zero && directive.precision < 0);
}

// Writes `value` (not negative, finite) into buf in the given style; returns
// the length.
qsizetype floatingDigits(char* buf, qsizetype size, double value, char16_t style, int precision, bool alt) {
  char* const end = buf + size;
  char* p = buf;
  switch (style) {
  case u'f':
    p = std::to_chars(buf, end, value, std::chars_format::fixed, precision).ptr;
    if (alt && precision == 0)
      *p++ = '.';
    break;
  case u'e':
    p = std::to_chars(buf, end, value, std::chars_format::scientific, precision).ptr;
    if (alt && precision == 0) {
      // "1e+05" becomes "1.e+05".
      std::memmove(buf + 2, buf + 1, size_t(p - buf - 1));
      buf[1] = '.';
      ++p;
    }
    break;
  default: {  // 'g'
    const int significant = precision == 0 ? 1 : precision;
    if (!alt) {
      p = std::to_chars(buf, end, value, std::chars_format::general, significant).ptr;
      break;
    }
    // "#": trailing zeros and the point are kept, so choose the style as
    // printf does from the exponent and print without stripping.
    p = std::to_chars(buf, end, value, std::chars_format::scientific, significant - 1).ptr;
    const char* e = static_cast<const char*>(std::memchr(buf, 'e', size_t(p - buf)));
    int exponent = 0;
    std::from_chars(e + (e[1] == '+' ? 2 : 1), p, exponent);
    if (exponent < -4 || exponent >= significant)
      return floatingDigits(buf, size, value, u'e', significant - 1, true);
    return floatingDigits(buf, size, value, u'f', significant - 1 - exponent, true);
  }
  }
  return p - buf;
}

void formatFloating(QString& out, const Directive& directive, const KvFormatArg* arg) {
  const double value = floatingOf(arg);
  const char16_t conv = directive.conversion;
  const bool upper = conv == u'F' || conv == u'E' || conv == u'G';
  const char16_t style = upper ? char16_t(conv - u'A' + u'a') : conv;
  char head[1];
  qsizetype headSize = 0;
  if (std::signbit(value) && !std::isnan(value))
    head[headSize++] = '-';
  else if (directive.plus)
    head[headSize++] = '+';
  else if (directive.blank)
    head[headSize++] = ' ';

  if (!std::isfinite(value)) {
    const char* text = std::isnan(value) ? (upper ? "NAN" : "nan") : (upper ? "INF" : "inf");
    appendNumber(out, directive, head, headSize, text, 3, false);
    return;
  }
  int precision = directive.precision < 0 ? 6 : directive.precision;
  if (precision > kMaxPrecision)
    precision = kMaxPrecision;
  char buf[kMaxPrecision + 400];
  qsizetype size = floatingDigits(buf, sizeof buf, std::fabs(value), style, precision, directive.alt);
  if (upper)
    for (qsizetype i = 0; i < size; ++i)
      if (buf[i] == 'e')
        buf[i] = 'E';
  appendNumber(out, directive, head, headSize, buf, size, directive.zero);
}

// Text of an argument shown with %s.
QString textOf(const KvFormatArg* arg) {
  if (!arg)
    return QString();
  switch (arg->kind()) {
  case KvFormatArg::Text:
    return arg->text();
  case KvFormatArg::Utf8:
    return QString::fromUtf8(arg->utf8(), arg->utf8Size());
  case KvFormatArg::Integer:
    return arg->isSigned() ? QString::number(qint64(arg->bits())) : QString::number(arg->bits());
  case KvFormatArg::Character:
    return QString(QChar(char16_t(arg->bits())));
  case KvFormatArg::Floating: {
    char buf[32];
    const auto result = std::to_chars(buf, buf + sizeof buf, arg->floating());
    return QString::fromLatin1(buf, result.ptr - buf);
  }
  }
  return QString();
}

void appendAligned(QString& out, const Directive& directive, const QString& text) {
  const int pad = directive.width > 0 ? directive.width - KvTextWidth(text) : 0;
  if (!directive.left)
    appendFill(out, u' ', pad);
  out.append(text);
  if (directive.left)
    appendFill(out, u' ', pad);
}

void formatText(QString& out, const Directive& directive, const KvFormatArg* arg) {
  if (directive.width <= 0 && directive.precision < 0 && arg && arg->kind() == KvFormatArg::Text) {
    out.append(arg->text());  // the common case: no copy, no measuring
    return;
  }
  QString text = textOf(arg);
  if (directive.precision >= 0)
    text.truncate(KvIndexAtWidth(text, directive.precision));
  appendAligned(out, directive, text);
}

void formatChar(QString& out, const Directive& directive, const KvFormatArg* arg) {
  QString text;
  if (arg && arg->kind() != KvFormatArg::Text && arg->kind() != KvFormatArg::Utf8) {
    quint64 bits;
    bool isSigned;
    int bytes;
    integerOf(arg, bits, isSigned, bytes);
    const char32_t code = char32_t(bits);
    // A NUL character would end the text in a C string; it writes nothing.
    if (bits != 0 && bits <= 0x10FFFF && !QChar::isSurrogate(code))
      text = QString::fromUcs4(&code, 1);
  }
  appendAligned(out, directive, text);
}
}  // namespace

QString KvFormatArgs(const QString& format, const KvFormatArg* args, qsizetype count) {
  QString out;
  out.reserve(format.size() + count * 12);
  const QChar* p = format.constData();
  const QChar* const end = p + format.size();
  qsizetype next = 0;
  auto takeArg = [&]() -> const KvFormatArg* { return next < count ? &args[next++] : nullptr; };
  auto takeInt = [&]() -> int {
    quint64 bits;
    bool isSigned;
    int bytes;
    integerOf(takeArg(), bits, isSigned, bytes);
    const qint64 v = isSigned ? qint64(bits) : qint64(bits > quint64(kMaxWidth) ? kMaxWidth : bits);
    return v > kMaxWidth ? kMaxWidth : v < -kMaxWidth ? -kMaxWidth : int(v);
  };
  auto readNumber = [&]() -> int {
    int v = 0;
    while (p < end && p->unicode() >= u'0' && p->unicode() <= u'9') {
      if (v <= kMaxWidth)
        v = v * 10 + (p->unicode() - u'0');
      ++p;
    }
    return v > kMaxWidth ? kMaxWidth : v;
  };

  while (p < end) {
    const QChar* literal = p;
    while (p < end && *p != u'%')
      ++p;
    if (p > literal)
      out.append(literal, p - literal);
    if (p == end)
      break;
    const QChar* const percent = p++;

    Directive directive;
    for (; p < end; ++p) {
      const char16_t c = p->unicode();
      if (c == u'-')
        directive.left = true;
      else if (c == u'+')
        directive.plus = true;
      else if (c == u' ')
        directive.blank = true;
      else if (c == u'#')
        directive.alt = true;
      else if (c == u'0')
        directive.zero = true;
      else
        break;
    }
    if (p < end && *p == u'*') {
      ++p;
      directive.width = takeInt();
      if (directive.width < 0) {
        directive.left = true;
        directive.width = -directive.width;
      }
    } else {
      directive.width = readNumber();
    }
    if (p < end && *p == u'.') {
      ++p;
      if (p < end && *p == u'*') {
        ++p;
        directive.precision = takeInt();
        if (directive.precision < 0)
          directive.precision = -1;
      } else {
        directive.precision = readNumber();
      }
    }
    // Length modifiers: the argument's own type decides the size.
    while (p < end) {
      const char16_t c = p->unicode();
      if (c == u'h' || c == u'l' || c == u'L' || c == u'q' || c == u'j' || c == u'z' || c == u't') {
        ++p;
      } else if (c == u'I' && end - p >= 3 && (p[1] == u'6' || p[1] == u'3')) {
        p += 3;  // I64, I32
      } else if (c == u'I') {
        ++p;
      } else {
        break;
      }
    }
    if (p == end) {
      out.append(percent, end - percent);  // an unfinished conversion stays as written
      break;
    }
    directive.conversion = p->unicode();
    ++p;
    switch (directive.conversion) {
    case u'd':
    case u'i':
    case u'u':
    case u'o':
    case u'x':
    case u'X':
      formatInteger(out, directive, takeArg());
      break;
    case u'f':
    case u'F':
    case u'e':
    case u'E':
    case u'g':
    case u'G':
      formatFloating(out, directive, takeArg());
      break;
    case u's':
    case u'S':
      formatText(out, directive, takeArg());
      break;
    case u'c':
    case u'C':
      formatChar(out, directive, takeArg());
      break;
    case u'%':
      out.append(u'%');
      break;
    default:
      out.append(percent, p - percent);  // unknown conversion: kept as written
      break;
    }
  }
  return out;
}
