#include "core/KvChineseAmount.h"

#include <charconv>
#include <cmath>

namespace {
QString unitOf(int position) {
  switch (position) {
  case -2:
    return QStringLiteral("分");
  case -1:
    return QStringLiteral("角");
  case 0:
    return QStringLiteral("元");
  default:
    break;
  }
  if (position < 0)
    return QString();
  switch (position % 4) {
  case 1:
    return QStringLiteral("拾");
  case 2:
    return QStringLiteral("佰");
  case 3:
    return QStringLiteral("仟");
  default:
    // Places 4, 12, 20, ... are 万; places 8, 16, ... are 亿.
    return (position / 4) % 2 == 1 ? QStringLiteral("万") : QStringLiteral("亿");
  }
}

// Whether a zero digit at this position still writes its unit.
bool zeroKeepsUnit(int position) { return position == 0 || (position > 0 && position % 4 == 0); }
}  // namespace

void KvDigitToCapital(int digit, int position, QString* out) {
  if (!out)
    return;
  static const char16_t capitals[] = u"壹贰叁肆伍陆柒捌玖";
  out->clear();
  if (digit < 0 || digit > 9)
    return;
  if (digit == 0) {
    if (zeroKeepsUnit(position))
      *out = unitOf(position);
    return;
  }
  *out = QChar(capitals[digit - 1]);
  *out += unitOf(position);
}

QString KvAmountToChinese(double amount) {
  if (!std::isfinite(amount))
    return QString();
  const double magnitude = std::fabs(amount);
  if (magnitude < 0.005)
    return QStringLiteral("零元整");

  char buf[400];
  const auto printed = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::fixed, 2);
  QByteArray digits(buf, printed.ptr - buf);
  digits.remove(digits.size() - 3, 1);  // the "." before the two decimals

  QString result;
  result.reserve(digits.size() * 2 + 4);
  if (amount < 0)
    result = QStringLiteral("负");
  const qsizetype n = digits.size();
  bool wroteDigit = false;
  QString piece;
  for (qsizetype i = 0; i < n; ++i) {
    const int digit = digits.at(i) - '0';
    const int position = int(n - i - 3);
    KvDigitToCapital(digit, position, &piece);
    if (digit != 0) {
      if (i > 0 && digits.at(i - 1) == '0' && wroteDigit)
        result += QStringLiteral("零");
      result += piece;
      wroteDigit = true;
    } else if (i > 0) {
      result += piece;
    }
  }
  result.replace(QStringLiteral("亿万"), QStringLiteral("亿"));
  if (digits.endsWith('0'))
    result += QStringLiteral("整");
  return result;
}
