// The digit codec of stored credentials: its exact digits and round trips.

#include "core/KvScrambleDigits.h"

#include <gtest/gtest.h>

namespace {
const QChar kMarker(7);
}

TEST(KvScrambleDigitsTest, EncodesEachByteAsThreeDigits) {
  // 'A' is 65: v = 193, units 3, tens 9, hundreds 1.
  EXPECT_EQ(KvScrambleDigits(QStringLiteral("A"), true), QString(kMarker) + QStringLiteral("939"));
  EXPECT_EQ(KvScrambleDigits(QStringLiteral("A"), false), QStringLiteral("A"));
  EXPECT_EQ(KvScrambleDigits(QString(kMarker) + QStringLiteral("939"), false), QStringLiteral("A"));
  EXPECT_EQ(KvScrambleDigits(QString(), true), QString(kMarker));
  EXPECT_EQ(KvScrambleDigits(QString(kMarker), false), QString());
  // A Chinese character is three UTF-8 bytes here.
  EXPECT_EQ(KvScrambleDigits(QStringLiteral("密"), true).size(), 1 + 3 * 3);
}

TEST(KvScrambleDigitsTest, RoundTripsEveryByteAndChineseText) {
  QByteArray bytes;
  for (int i = 0; i < 256; ++i)
    bytes.append(char(i));
  const QByteArray encoded = KvScrambleDigitBytes(bytes, true);
  ASSERT_EQ(encoded.size(), 1 + 3 * 256);
  for (qsizetype i = 1; i < encoded.size(); ++i)
    ASSERT_TRUE(encoded[i] >= '0' && encoded[i] <= '9') << i;
  EXPECT_EQ(KvScrambleDigitBytes(encoded, false), bytes);

  for (const QString& text : {QStringLiteral("sa"), QStringLiteral("口令 Pass'w\"ord;{}"),
                              QStringLiteral("中文密码𠀀")}) {
    const QString encodedText = KvScrambleDigits(text, true);
    EXPECT_NE(encodedText, text);
    EXPECT_EQ(KvScrambleDigits(encodedText, false), text);
  }
}

TEST(KvScrambleDigitsTest, DecodesWholeGroupsAndToleratesNonDigits) {
  // A short tail is ignored.
  EXPECT_EQ(KvScrambleDigits(QString(kMarker) + QStringLiteral("93912"), false), QStringLiteral("A"));
  // Non-digits give some byte each, never a failure.
  EXPECT_EQ(KvScrambleDigitBytes(QByteArray("\x07xy-z#!", 7), false).size(), 2);
}
