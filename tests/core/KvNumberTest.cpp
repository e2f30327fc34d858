#include "core/KvNumber.h"

#include <gtest/gtest.h>

#include <climits>

TEST(KvNumber, NumericTestAcceptsPlainDecimalsOnly) {
  EXPECT_TRUE(KvIsNumberText(QString()));
  EXPECT_TRUE(KvIsNumberText(QStringLiteral("-")));
  EXPECT_TRUE(KvIsNumberText(QStringLiteral(".")));
  EXPECT_TRUE(KvIsNumberText(QStringLiteral("-12.50")));
  EXPECT_FALSE(KvIsNumberText(QStringLiteral("1-2")));
  EXPECT_FALSE(KvIsNumberText(QStringLiteral("--1")));
  EXPECT_FALSE(KvIsNumberText(QStringLiteral("1.2.3")));
  EXPECT_FALSE(KvIsNumberText(QStringLiteral(" 12")));
  EXPECT_FALSE(KvIsNumberText(QStringLiteral("1e5")));
  EXPECT_FALSE(KvIsNumberText(QStringLiteral("+1")));
  EXPECT_FALSE(KvIsNumberText(QStringLiteral("１２")));  // full-width digits
}

TEST(KvNumber, NumericTestLimitsIgnoreLeadingAndTrailingZeros) {
  EXPECT_TRUE(KvIsNumberText(QStringLiteral("007.50"), 1, 1));
  EXPECT_FALSE(KvIsNumberText(QStringLiteral("17.5"), 1, 1));
  EXPECT_FALSE(KvIsNumberText(QStringLiteral("7.55"), 1, 1));
  EXPECT_TRUE(KvIsNumberText(QStringLiteral("-0.5"), 1, 1));
  EXPECT_FALSE(KvIsNumberText(QStringLiteral("5."), 3, 0));  // no decimal point at all
  EXPECT_TRUE(KvIsNumberText(QStringLiteral("12345"), 0, 0));
  EXPECT_TRUE(KvIsNumberText(QStringLiteral("1.23456789"), 2, -1));
}

TEST(KvNumber, TextToIntegerKeepsTheDefaultForBlanksOnly) {
  EXPECT_EQ(KvStrToInt(QStringLiteral("   "), 7), 7);
  EXPECT_EQ(KvStrToInt(QString(), 7), 7);
  EXPECT_EQ(KvStrToInt(QStringLiteral("abc"), 7), 0);
  EXPECT_EQ(KvStrToInt(QStringLiteral("-12"), 7), -12);
  EXPECT_EQ(KvStrToInt(QStringLiteral("12.9"), 7), 12);
  EXPECT_EQ(KvStrToInt(QStringLiteral(" 12"), 7), 0);
  EXPECT_EQ(KvStrToInt(QStringLiteral("-"), 7), 0);
  EXPECT_EQ(KvStrToInt(QStringLiteral("99999999999"), 0), INT_MAX);
  EXPECT_EQ(KvStrToLong(QStringLiteral("-99999999999"), 0), INT_MIN);
  EXPECT_EQ(KvLeadingInt(QStringLiteral("  +42abc")), 42);
  EXPECT_EQ(KvLeadingInt(QStringLiteral("x1")), 0);
}

TEST(KvNumber, TextToDoubleIgnoresTheLocale) {
  EXPECT_DOUBLE_EQ(KvTextToDouble(QStringLiteral("1234.5")), 1234.5);
  EXPECT_DOUBLE_EQ(KvTextToDouble(QStringLiteral("-.25")), -0.25);
  EXPECT_DOUBLE_EQ(KvTextToDouble(QStringLiteral("5.")), 5.0);
  EXPECT_DOUBLE_EQ(KvTextToDouble(QStringLiteral("1,234.5")), 0.0);
  EXPECT_DOUBLE_EQ(KvTextToDouble(QStringLiteral("-")), 0.0);
  EXPECT_DOUBLE_EQ(KvTextToDouble(QStringLiteral("12abc")), 0.0);
}

TEST(KvNumber, IntegersBecomeZeroPaddedDigits) {
  EXPECT_EQ(KvIntToText(7, 2), QStringLiteral("07"));
  EXPECT_EQ(KvIntToText(5, 0), QString());
  EXPECT_EQ(KvIntToText(2024, 4), QStringLiteral("2024"));
  EXPECT_EQ(KvIntToText(0, 2), QStringLiteral("00"));

  QString out = QStringLiteral("x");
  EXPECT_FALSE(KvFormatInt(0, &out, 3, false));
  EXPECT_EQ(out, QString());
  EXPECT_FALSE(KvFormatInt(-42, &out, 4, true));
  EXPECT_EQ(out, QStringLiteral("0042"));
  EXPECT_FALSE(KvFormatInt(12345, &out, 3, true));
  EXPECT_EQ(out, QStringLiteral("345"));
  EXPECT_FALSE(KvFormatInt(INT_MIN, &out, 10, true));
  EXPECT_EQ(out, QStringLiteral("2147483648"));
  EXPECT_TRUE(KvFormatInt(42, nullptr, 2, true));

  QString text = QStringLiteral(" 9 apples");
  EXPECT_TRUE(KvFormatIntFrom(text, 3, true));
  EXPECT_EQ(text, QStringLiteral("009"));
  EXPECT_EQ(KvFormatIntText(QStringLiteral("none"), 2), QStringLiteral("00"));
}

TEST(KvNumber, ListsAndSmallHelpers) {
  QList<int> ints(3, 1);
  KvFillInts(ints, 9);
  EXPECT_EQ(ints, QList<int>({9, 9, 9}));
  QList<double> doubles(2);
  KvFillDoubles(doubles, 0.5);
  EXPECT_EQ(doubles, QList<double>({0.5, 0.5}));
  quint32 words[4] = {1, 2, 3, 4};
  KvFillDwords(words, 3, 7);
  EXPECT_EQ(words[2], 7u);
  EXPECT_EQ(words[3], 4u);
  KvFillDwords(words, -1, 0);
  EXPECT_EQ(words[0], 7u);

  EXPECT_TRUE(KvIntInList(3, {1, 2, 3}));
  EXPECT_FALSE(KvIntInList(4, {}));
  EXPECT_EQ(KvIndexOfInt(5, {4, 5, 5}), 1);
  EXPECT_EQ(KvIndexOfInt(6, {4, 5}), -1);
  EXPECT_EQ(KvMax(-1, 2), 2);
  EXPECT_EQ(KvMin(-1, 2), -1);
  EXPECT_EQ(KvAbs(-5), 5);
  EXPECT_EQ(KvSign(0.00000001), 0);
  EXPECT_EQ(KvSign(-0.00000001), 0);
  EXPECT_EQ(KvSign(0.0000001), 1);
  EXPECT_EQ(KvSign(-0.0000002), -1);
}
