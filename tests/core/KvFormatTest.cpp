#include "core/KvFormat.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <climits>
#include <clocale>
#include <cstdio>
#include <limits>
#include <string>

TEST(KvFormat, IntegersFollowPrintf) {
  EXPECT_EQ(KvFormat(QStringLiteral("%d|%i|%5d|%-5d|%05d"), 42, -7, -42, 42, -42),
            QStringLiteral("42|-7|  -42|42   |-0042"));
  EXPECT_EQ(KvFormat(QStringLiteral("%+d|% d|%.3d|%6.3d|%.0d|%05.2d"), 5, 5, 7, -7, 0, 3),
            QStringLiteral("+5| 5|007|  -007||   03"));
  EXPECT_EQ(KvFormat(QStringLiteral("%u|%x|%X|%#x|%o|%#o"), -1, 255, 255, 255, 8, 8),
            QStringLiteral("4294967295|ff|FF|0xff|10|010"));
  EXPECT_EQ(KvFormat(QStringLiteral("%ld|%lld|%I64d|%hd"), 1L, qint64(1) << 40, qint64(-3), 4),
            QStringLiteral("1|1099511627776|-3|4"));
  EXPECT_EQ(KvFormat(QStringLiteral("%d|%u"), INT_MIN, std::numeric_limits<quint64>::max()),
            QStringLiteral("-2147483648|18446744073709551615"));
  EXPECT_EQ(KvFormat(QStringLiteral("%lx"), qint64(-1)), QStringLiteral("ffffffffffffffff"));
}

TEST(KvFormat, IntegerFlagsMatchTheCLibrary) {
  const int values[] = {0, 1, -1, 42, -42, 255, INT_MAX, INT_MIN};
  const char* formats[] = {"%d",  "%5d",  "%-5d|", "%05d", "%+d",   "%% %d", "% d",    "%.3d",  "%8.3d", "%-8.3d|",
                           "%x",  "%#X",  "%#o",   "%o",   "%u",    "%+05d", "% 05d",  "%#8x",  "%-#8x|", "%08.3d",
                           "%.0x", "%#.0o", "%i",  "%3i"};
  for (const char* format : formats) {
    for (int value : values) {
      char expected[64];
      std::snprintf(expected, sizeof expected, format, value);
      EXPECT_EQ(KvFormat(QString::fromLatin1(format), value), QString::fromLatin1(expected)) << format << " " << value;
    }
  }
}

TEST(KvFormat, FloatingPointMatchesTheCLocale) {
  const double values[] = {0.0, -0.0, 1.005, 2.5, -1234.5678, 1e-7, 123456789.0, 1e300, 0.1};
  const char* formats[] = {"%f", "%.2f", "%10.3f", "%-10.1f|", "%+.0f", "%#.0f", "%e", "%.3E",
                           "%g", "%G", "%.10g", "%#g", "%010.2f", "% .1f", "%lf"};
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  std::setlocale(LC_NUMERIC, "C");  // the reference output of snprintf
  for (const char* format : formats) {
    for (double value : values) {
      char expected[512];
      std::snprintf(expected, sizeof expected, format, value);
      EXPECT_EQ(KvFormat(QString::fromLatin1(format), value), QString::fromLatin1(expected))
          << format << " " << value;
    }
  }
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_EQ(KvFormat(QStringLiteral("%f|%5.1f|%E"), std::numeric_limits<double>::infinity(),
                     -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()),
            QStringLiteral("inf| -inf|NAN"));
}

TEST(KvFormat, NumbersIgnoreADecimalCommaLocale) {
  // A German-like locale for the C library (when one is installed) and for Qt.
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
    std::setlocale(LC_NUMERIC, "de_DE");
  const QLocale savedDefault;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  const QString text = KvFormat(QStringLiteral("%.2f|%g|%e"), 1234.5, 0.25, 1.5);
  QLocale::setDefault(savedDefault);
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_EQ(text, QStringLiteral("1234.50|0.25|1.500000e+00"));
}

TEST(KvFormat, TextWidthsCountWideCharactersTwice) {
  const QString name = QStringLiteral("张三");
  EXPECT_EQ(KvFormat(QStringLiteral("[%6s]"), name), QStringLiteral("[  张三]"));
  EXPECT_EQ(KvFormat(QStringLiteral("[%-6s]"), name), QStringLiteral("[张三  ]"));
  EXPECT_EQ(KvFormat(QStringLiteral("[%.3s]"), name), QStringLiteral("[张]"));
  EXPECT_EQ(KvFormat(QStringLiteral("[%.1s]"), name), QStringLiteral("[]"));
  EXPECT_EQ(KvFormat(QStringLiteral("[%*.*s]"), 5, 4, QStringLiteral("ab张三")), QStringLiteral("[ ab张]"));
  EXPECT_EQ(KvFormat(QStringLiteral("[%*s]"), -4, "ab"), QStringLiteral("[ab  ]"));
  EXPECT_EQ(KvFormat(QStringLiteral("[%3c][%-3c][%c]"), QChar(u'中'), 'x', 0), QStringLiteral("[ 中][x  ][]"));
  EXPECT_EQ(KvFormat(QStringLiteral("%s-%s"), "学校", QByteArray("x")), QStringLiteral("学校-x"));
  EXPECT_EQ(KvFormat(QStringLiteral("%c"), 0x20000), QString::fromUcs4(U"\U00020000"));
  EXPECT_EQ(KvFormat(QStringLiteral("%s|%d|%c"), QChar(u'甲'), 'A', u'乙'), QStringLiteral("甲|65|乙"));
}

TEST(KvFormat, MissingAndMismatchedArgumentsNeverCrash) {
  EXPECT_EQ(KvFormat(QStringLiteral("%d|%s|%.1f|%c|%5s"), 1), QStringLiteral("1||0.0||     "));
  EXPECT_EQ(KvFormat(QStringLiteral("%s %d"), 12, QStringLiteral("x")), QStringLiteral("12 0"));
  EXPECT_EQ(KvFormat(QStringLiteral("%d"), 12.9), QStringLiteral("12"));
  EXPECT_EQ(KvFormat(QStringLiteral("%.2f"), 3), QStringLiteral("3.00"));
  EXPECT_EQ(KvFormat(QStringLiteral("%s"), static_cast<const char*>(nullptr)), QString());
  EXPECT_EQ(KvFormat(QStringLiteral("100%% %y %")), QStringLiteral("100% %y %"));
  EXPECT_EQ(KvFormat(QStringLiteral("%n%p"), 1, 2), QStringLiteral("%n%p"));
  EXPECT_EQ(KvFormat(QStringLiteral("plain")), QStringLiteral("plain"));
  EXPECT_EQ(KvFormat(QStringLiteral("%*d"), INT_MAX, 1).size(), 100000);
}
