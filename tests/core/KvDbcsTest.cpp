#include "core/KvDbcs.h"

#include <gtest/gtest.h>

TEST(KvDbcs, ClassOfEachWidthPosition) {
  const QString text = QStringLiteral("a中b");
  EXPECT_EQ(KvDbcsCharClass(text, 0), 0);
  EXPECT_EQ(KvDbcsCharClass(text, 1), 1);
  EXPECT_EQ(KvDbcsCharClass(text, 2), 2);
  EXPECT_EQ(KvDbcsCharClass(text, 3), 0);
  EXPECT_EQ(KvDbcsCharClass(text, 4), -1);
  EXPECT_EQ(KvDbcsCharClass(text, -1), -1);
  // A surrogate pair is one wide character of two positions.
  const QString pair = QString::fromUcs4(U"𠀀x");
  EXPECT_EQ(KvDbcsCharClass(pair, 1), 2);
  EXPECT_EQ(KvDbcsCharClass(pair, 2), 0);
  EXPECT_EQ(KvDbcsCharClass(QString(), 0), -1);
}

TEST(KvDbcs, CutDropsOnlyAHalfCharacterAtTheEnd) {
  const QString pair = QString::fromUcs4(U"备注𠀀");
  EXPECT_EQ(KvCutDbcs(pair.left(pair.size() - 1)), QStringLiteral("备注"));
  EXPECT_EQ(KvCutDbcs(pair), pair);
  EXPECT_EQ(KvCutDbcs(QStringLiteral("abc")), QStringLiteral("abc"));
  EXPECT_EQ(KvCutDbcs(QStringLiteral("中文")), QStringLiteral("中文"));
  EXPECT_EQ(KvCutDbcs(QString()), QString());
}
