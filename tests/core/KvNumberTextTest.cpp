#include "core/KvNumberText.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <clocale>
#include <string>

TEST(KvNumberText, RoundsHalfAwayFromZeroAsWritten) {
  EXPECT_DOUBLE_EQ(KvRoundDecimals(1.005, 2), 1.01);
  EXPECT_DOUBLE_EQ(KvRoundDecimals(-1.005, 2), -1.01);
  EXPECT_DOUBLE_EQ(KvRoundDecimals(2.675, 2), 2.68);
  EXPECT_DOUBLE_EQ(KvRoundDecimals(0.125, 2), 0.13);
  EXPECT_DOUBLE_EQ(KvRoundDecimals(2.5, 0), 3.0);
  EXPECT_DOUBLE_EQ(KvRoundDecimals(1.23456, -1), 1.23456);
  EXPECT_EQ(KvNumToText(1.005, 0, 2, 2, false), QStringLiteral("1.01"));
  EXPECT_EQ(KvNumToText(1234.565, 0, 2, 2, false), QStringLiteral("1,234.57"));
}

TEST(KvNumberText, GroupsThousandsAndTrimsDecimals) {
  EXPECT_EQ(KvFormatNumber(1234567.891, 0, 0, 2, false), QStringLiteral("1,234,567.89"));
  EXPECT_EQ(KvFormatNumber(1234.5, 0, 2, 2, false), QStringLiteral("1,234.50"));
  EXPECT_EQ(KvFormatNumber(1234.5, 0, 0, 4, false), QStringLiteral("1,234.5"));
  EXPECT_EQ(KvFormatNumber(1000.0, 0, 0, 2, false), QStringLiteral("1,000"));
  EXPECT_EQ(KvFormatNumber(999.999, 0, 0, 2, false), QStringLiteral("1,000"));
  EXPECT_EQ(KvFormatNumber(-123456.0, 0, 0, 0, false), QStringLiteral("-123,456"));
  EXPECT_EQ(KvFormatNumber(100.0, 0, 0, 0, false), QStringLiteral("100"));
  EXPECT_EQ(KvFormatNumber(0.5, 0, 0, 2, false), QStringLiteral("0.5"));
  EXPECT_EQ(KvFormatNumber(12.5, 0, 3, 1, false), QStringLiteral("12.500"));  // max raised to min
}

TEST(KvNumberText, AlignsInTheWidthAndFallsBackWhenItDoesNotFit) {
  EXPECT_EQ(KvFormatNumber(-5, 6, 0, 0, false), QStringLiteral("    -5"));
  EXPECT_EQ(KvFormatNumber(-5, -6, 0, 0, false), QStringLiteral("    -5"));
  EXPECT_EQ(KvFormatNumber(12345, 4, 0, 0, false), QStringLiteral("****"));
  EXPECT_EQ(KvFormatNumber(-1234, 4, 0, 0, false), QStringLiteral("****"));
  // Fits without separators only: they are left out.
  EXPECT_EQ(KvFormatNumber(12345, 5, 0, 0, false), QStringLiteral("12345"));
  EXPECT_EQ(KvFormatNumber(-12345, 6, 0, 0, false), QStringLiteral("-12345"));
  EXPECT_EQ(KvFormatNumber(-1234567, 9, 0, 0, false), QStringLiteral(" -1234567"));
  EXPECT_EQ(KvFormatNumber(-1234567, 10, 0, 0, false), QStringLiteral("-1,234,567"));
  EXPECT_EQ(KvFormatNumber(-12345, 8, 0, 0, false), QStringLiteral(" -12,345"));
  EXPECT_EQ(KvFormatNumber(1234.5, 10, 2, 2, false), QStringLiteral("  1,234.50"));
}

TEST(KvNumberText, ZeroIsBlankUnlessShown) {
  EXPECT_EQ(KvNumToText(0.0, 8, 2, 2, true), QStringLiteral("    0.00"));
  EXPECT_EQ(KvNumToText(0.0, 8, 2, 2, false), QStringLiteral("        "));
  EXPECT_EQ(KvNumToText(0.0, 0, 2, 2, true), QStringLiteral("0.00"));
  EXPECT_EQ(KvNumToText(-0.00000001, 0, 2, 2, true), QStringLiteral("0.00"));
  EXPECT_EQ(KvNumToText(0.004, 6, 0, 2, false), QStringLiteral("      "));
  EXPECT_EQ(KvNumToText(0.004, 0, 0, 2, false), QString());
  EXPECT_EQ(KvDoubleToText(0.0), QString());
}

TEST(KvNumberText, PrefixAndIntegerOverload) {
  EXPECT_EQ(KvNumToText(1234.5, 12, 2, 2, false, QStringLiteral("￥")), QStringLiteral("￥1,234.50"));
  EXPECT_EQ(KvNumToText(0.0, 12, 2, 2, false, QStringLiteral("￥")), QString(12, u' '));
  EXPECT_EQ(KvNumToText(-42, 5, 0, 0, false), QStringLiteral("  -42"));
  EXPECT_EQ(KvDoubleToText(1234567.1234567), QStringLiteral("1234567.123457"));
  EXPECT_EQ(KvDoubleToText(-0.5), QStringLiteral("-0.5"));
}

TEST(KvNumberText, IgnoresADecimalCommaLocale) {
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
    std::setlocale(LC_NUMERIC, "de_DE");
  const QLocale savedDefault;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  const QString text = KvNumToText(1234.5, 0, 2, 2, false);
  const double rounded = KvRoundDecimals(2.345, 2);
  QLocale::setDefault(savedDefault);
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_EQ(text, QStringLiteral("1,234.50"));
  EXPECT_DOUBLE_EQ(rounded, 2.35);
}

TEST(KvNumberText, SpreadsheetPatternsAndColumns) {
  EXPECT_EQ(KvNumberFormatPattern(0), QStringLiteral("#,##0"));
  EXPECT_EQ(KvNumberFormatPattern(-1), QStringLiteral("#,##0"));
  EXPECT_EQ(KvNumberFormatPattern(2), QStringLiteral("#,##0.00"));
  EXPECT_EQ(KvColumnLetters(0), QStringLiteral("A"));
  EXPECT_EQ(KvColumnLetters(25), QStringLiteral("Z"));
  EXPECT_EQ(KvColumnLetters(26), QStringLiteral("AA"));
  EXPECT_EQ(KvColumnLetters(27), QStringLiteral("AB"));
  EXPECT_EQ(KvColumnLetters(701), QStringLiteral("ZZ"));
  EXPECT_EQ(KvColumnLetters(702), QStringLiteral("AAA"));
  EXPECT_EQ(KvColumnLetters(-27), QStringLiteral("AB"));
}
