#include "core/KvWidth.h"

#include <gtest/gtest.h>

TEST(KvWidth, CountsAsciiOneAndEveryOtherCharacterTwo) {
  EXPECT_EQ(KvTextWidth(QString()), 0);
  EXPECT_EQ(KvTextWidth(QStringLiteral("ab")), 2);
  EXPECT_EQ(KvTextWidth(QStringLiteral("a中b")), 4);
  EXPECT_EQ(KvTextWidth(QStringLiteral("é")), 2);
  // A character outside the basic plane is one character of width 2.
  EXPECT_EQ(KvTextWidth(QString::fromUcs4(U"𠀀x")), 3);
}

TEST(KvWidth, CutsNeverSplitACharacter) {
  const QString text = QStringLiteral("张三abc");
  EXPECT_EQ(KvLeftByWidth(text, 3), QStringLiteral("张"));
  EXPECT_EQ(KvLeftByWidth(text, 4), QStringLiteral("张三"));
  EXPECT_EQ(KvLeftByWidth(text, 0), QString());
  EXPECT_EQ(KvRightByWidth(text, 4), QStringLiteral("abc"));
  EXPECT_EQ(KvRightByWidth(text, 5), QStringLiteral("三abc"));
  EXPECT_EQ(KvMidByWidth(text, 1), QStringLiteral("三abc"));
  EXPECT_EQ(KvMidByWidth(text, 4), QStringLiteral("abc"));
  const QString pair = QString::fromUcs4(U"𠀀y");
  EXPECT_EQ(KvLeftByWidth(pair, 1), QString());
  EXPECT_EQ(KvIndexAtWidth(pair, 2), 2);
  EXPECT_EQ(KvWidthAtIndex(pair, 1), 2);
}

TEST(KvWidth, PadsByWidth) {
  EXPECT_EQ(KvPadToWidth(QStringLiteral("中"), 4), QStringLiteral("中  "));
  EXPECT_EQ(KvPadToWidth(QStringLiteral("中"), 4, true), QStringLiteral("  中"));
  EXPECT_EQ(KvPadToWidth(QStringLiteral("中文"), 3), QStringLiteral("中文"));
}
