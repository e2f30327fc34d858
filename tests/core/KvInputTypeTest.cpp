#include "core/KvInputType.h"

#include <gtest/gtest.h>

namespace {
// The whole would-be text as the typed edit field passes it.
bool accepts(const QString& text, const QString& type, int limit1 = 0, int limit2 = 0) {
  return KvCheckTypeSpec(text, QString(), 0, type, limit1, limit2);
}
}  // namespace

TEST(KvInputType, EmptyInsertionsAndUnknownKindsPass) {
  EXPECT_TRUE(KvCheckTypeSpec(QString(), QStringLiteral("abc"), 1, QStringLiteral("NUMBER"), 0, 0));
  EXPECT_TRUE(accepts(QStringLiteral("x'y"), QString()));
  EXPECT_TRUE(accepts(QStringLiteral("anything"), QStringLiteral("PERCENT")));
  EXPECT_TRUE(accepts(QStringLiteral(",,,"), QStringLiteral("DOUBLE")));  // nothing left after the commas
}

TEST(KvInputType, NumbersWithDigitLimitsAndBounds) {
  EXPECT_TRUE(accepts(QStringLiteral("1,234.50"), QStringLiteral("DOUBLE"), 0, -1));
  EXPECT_FALSE(accepts(QStringLiteral("1,234.50"), QStringLiteral("NUMBER"), 0, -1));
  EXPECT_FALSE(accepts(QStringLiteral("12.5"), QStringLiteral("NUMBER"), 0, 0));
  EXPECT_TRUE(accepts(QStringLiteral("12.55"), QStringLiteral("NUMBER"), 2, 2));
  EXPECT_FALSE(accepts(QStringLiteral("123"), QStringLiteral("NUMBER"), 2, 2));
  EXPECT_FALSE(accepts(QStringLiteral("1.555"), QStringLiteral("DOUBLE"), 2, 2));

  const QString range = QStringLiteral("NUMBER 100 900");
  EXPECT_TRUE(accepts(QStringLiteral("5"), range));
  EXPECT_TRUE(accepts(QStringLiteral("50"), range));
  EXPECT_TRUE(accepts(QStringLiteral("500"), range));
  EXPECT_FALSE(accepts(QStringLiteral("-5"), range));
  EXPECT_FALSE(accepts(QStringLiteral("-"), range));
  EXPECT_FALSE(accepts(QStringLiteral("901"), range));

  const QString signedRange = QStringLiteral("NUMBER -50 50");
  EXPECT_TRUE(accepts(QStringLiteral("-49"), signedRange));
  EXPECT_TRUE(accepts(QStringLiteral("-"), signedRange));
  EXPECT_FALSE(accepts(QStringLiteral("-51"), signedRange));
  EXPECT_FALSE(accepts(QStringLiteral("51"), signedRange));

  EXPECT_TRUE(accepts(QStringLiteral("-99999"), QStringLiteral("NUMBER - +")));
  EXPECT_TRUE(accepts(QStringLiteral("99999"), QStringLiteral("NUMBER 0 0")));  // upper 0: no limit
  EXPECT_FALSE(accepts(QStringLiteral("1"), QStringLiteral("NUMBER -10 -1")));
  EXPECT_TRUE(accepts(QStringLiteral("-5"), QStringLiteral("NUMBER -10 -1")));
  EXPECT_TRUE(accepts(QStringLiteral("-5"), QStringLiteral("NUMBER -")));
}

TEST(KvInputType, InsertionGoesAtAWidthPosition) {
  // "中" is two wide: position 2 is after it.
  EXPECT_TRUE(KvCheckTypeSpec(QStringLiteral("5"), QStringLiteral("12"), 1, QStringLiteral("NUMBER"), 3, 0));
  EXPECT_FALSE(KvCheckTypeSpec(QStringLiteral("5"), QStringLiteral("123"), 1, QStringLiteral("NUMBER"), 3, 0));
  EXPECT_TRUE(KvCheckTypeSpec(QStringLiteral("ab"), QStringLiteral("中文"), 2, QStringLiteral("STRING"), 6, 0));
  EXPECT_FALSE(KvCheckTypeSpec(QStringLiteral("abc"), QStringLiteral("中文"), 2, QStringLiteral("STRING"), 6, 0));
  // A position inside a character never splits it.
  EXPECT_TRUE(KvCheckTypeSpec(QStringLiteral("."), QStringLiteral("12"), 1, QStringLiteral("NUMBER"), 0, 2));
  EXPECT_FALSE(KvCheckTypeSpec(QStringLiteral("-"), QStringLiteral("12"), 1, QStringLiteral("NUMBER -10 10"), 0, 0));
}

TEST(KvInputType, TimeStrings) {
  const QString time = QStringLiteral("TIMESTRING");
  EXPECT_TRUE(accepts(QStringLiteral("20240229"), time, 111));
  EXPECT_FALSE(accepts(QStringLiteral("20230229"), time, 111));
  EXPECT_FALSE(accepts(QStringLiteral("19891231"), time, 111));
  EXPECT_FALSE(accepts(QStringLiteral("20241301"), time, 111));
  EXPECT_FALSE(accepts(QStringLiteral("20240100"), time, 111));
  EXPECT_FALSE(accepts(QStringLiteral("202401011"), time, 111));  // too many digits
  EXPECT_TRUE(accepts(QStringLiteral("202412"), time, 110));
  EXPECT_FALSE(accepts(QStringLiteral("2024.1"), time, 110));
  EXPECT_TRUE(accepts(QStringLiteral("2024"), time, 100));
  EXPECT_TRUE(accepts(QStringLiteral("0229"), time, 11));  // year taken as 2000
  EXPECT_FALSE(accepts(QStringLiteral("0230"), time, 11));
  EXPECT_TRUE(accepts(QStringLiteral("04"), time, 10));
  EXPECT_FALSE(accepts(QStringLiteral("13"), time, 10));
  // Leading zeros are digits of the text: no more than the parts hold.
  EXPECT_FALSE(accepts(QStringLiteral("01010"), time, 11));
  EXPECT_FALSE(accepts(QStringLiteral("012"), time, 10));
  EXPECT_FALSE(accepts(QStringLiteral("010"), time, 1));
  EXPECT_FALSE(accepts(QStringLiteral("020240101"), time, 111));
  EXPECT_TRUE(accepts(QStringLiteral("01"), time, 1));
}

TEST(KvInputType, TimeStringsCanBeTypedOneDigitAtATime) {
  const QString time = QStringLiteral("TIMESTRING");
  const QString date = QStringLiteral("19950131");
  for (qsizetype n = 1; n <= date.size(); ++n)
    EXPECT_TRUE(accepts(date.left(n), time, 111)) << qPrintable(date.left(n));
  // A start that no valid date begins with is refused at once.
  EXPECT_FALSE(accepts(QStringLiteral("0"), time, 111));
  EXPECT_FALSE(accepts(QStringLiteral("198"), time, 111));
  EXPECT_FALSE(accepts(QStringLiteral("20242"), time, 111));    // month 2x
  EXPECT_FALSE(accepts(QStringLiteral("2024014"), time, 111));  // day 4x
  EXPECT_FALSE(accepts(QStringLiteral("202400"), time, 110));
  EXPECT_TRUE(accepts(QStringLiteral("2024"), time, 110));      // month still to come
  EXPECT_TRUE(accepts(QStringLiteral("2023023"), time, 111));   // 30 or 31 may not fit, 3x may
}

TEST(KvInputType, ClassNumbers) {
  const QString cls = QStringLiteral("CLASSNOSTRING");
  EXPECT_TRUE(accepts(QStringLiteral("2024-3"), cls, -1, 0));
  EXPECT_TRUE(accepts(QStringLiteral("2024-"), cls, -1, 0));  // separator just typed
  EXPECT_FALSE(accepts(QStringLiteral("2024--3"), cls, -1, 0));
  EXPECT_FALSE(accepts(QStringLiteral("-2024"), cls, -1, 0));
  EXPECT_FALSE(accepts(QStringLiteral("2024-03"), cls, -1, 0));
  EXPECT_FALSE(accepts(QStringLiteral("2024-a"), cls, -1, 0));
  EXPECT_FALSE(accepts(QStringLiteral("2024-3-1"), cls, 1, 0));
  EXPECT_FALSE(accepts(QStringLiteral("2024-31"), cls, -1, 6));
  EXPECT_TRUE(accepts(QStringLiteral("2024.3"), QStringLiteral("CLASSNOSTRING ."), -1, 0));
  EXPECT_FALSE(accepts(QStringLiteral("2024-3"), QStringLiteral("CLASSNOSTRING ."), -1, 0));
  // A trailing separator is accepted only while typing at the end.
  EXPECT_TRUE(KvCheckTypeSpec(QStringLiteral("-"), QStringLiteral("3"), 1, cls, -1, 0));
  EXPECT_FALSE(KvCheckTypeSpec(QStringLiteral("3"), QStringLiteral("-"), 0, cls, -1, 0));

  EXPECT_TRUE(KvCheckClassNo(QString(), 0, u'-'));
  EXPECT_TRUE(KvCheckClassNo(QStringLiteral("01-2"), -1, u'-'));
  EXPECT_FALSE(KvCheckClassNo(QStringLiteral("1-2-3"), 1, u'-'));
  EXPECT_FALSE(KvCheckClassNo(QStringLiteral("1-"), -1, u'-'));
}

TEST(KvInputType, StringsJudgeOnlyTheInsertedCharacters) {
  EXPECT_TRUE(accepts(QStringLiteral("1234"), QStringLiteral("STRING DIGIT"), 4));
  EXPECT_FALSE(accepts(QStringLiteral("12345"), QStringLiteral("STRING DIGIT"), 4));
  EXPECT_FALSE(accepts(QStringLiteral("12a"), QStringLiteral("STRING DIGIT"), 4));
  EXPECT_TRUE(accepts(QStringLiteral("1;2"), QStringLiteral("STRING 0123456789;")));
  EXPECT_FALSE(accepts(QStringLiteral("1,2"), QStringLiteral("STRING 0123456789;")));
  EXPECT_FALSE(accepts(QStringLiteral("张三's"), QStringLiteral("STRING NOT |[]'")));
  EXPECT_FALSE(accepts(QStringLiteral("a[1]"), QStringLiteral("MDBSTRING")));
  EXPECT_TRUE(accepts(QStringLiteral("张三 (1)"), QStringLiteral("MDBSTRING")));
  EXPECT_FALSE(accepts(QStringLiteral("张三李"), QStringLiteral("STRING"), 5));
  EXPECT_TRUE(accepts(QStringLiteral("张三a"), QStringLiteral("STRING"), 5));
  // The text already in the field is not judged, only its length.
  EXPECT_TRUE(KvCheckTypeSpec(QStringLiteral("7"), QStringLiteral("ab"), 2, QStringLiteral("STRING DIGIT"), 0, 0));
  EXPECT_FALSE(KvCheckTypeSpec(QStringLiteral("7"), QStringLiteral("ab"), 2, QStringLiteral("STRING DIGIT"), 2, 0));
}

TEST(KvInputType, CharacterSets) {
  EXPECT_TRUE(KvCharInSet(QStringLiteral("NOT"), QStringLiteral("中")));
  EXPECT_TRUE(KvCharInSet(QStringLiteral("UPPERCHAR"), QStringLiteral("Q")));
  EXPECT_FALSE(KvCharInSet(QStringLiteral("UPPERCHAR"), QStringLiteral("q")));
  EXPECT_TRUE(KvCharInSet(QStringLiteral("LOWERCHAR"), QStringLiteral("q")));
  EXPECT_TRUE(KvCharInSet(QStringLiteral("SPACE"), QStringLiteral("\t")));
  EXPECT_TRUE(KvCharInSet(QStringLiteral("ASCII"), QStringLiteral("~")));
  EXPECT_FALSE(KvCharInSet(QStringLiteral("ASCII"), QStringLiteral("中")));
  EXPECT_TRUE(KvCharInSet(QStringLiteral("CHAR_DIGIT"), QStringLiteral("7")));
  EXPECT_FALSE(KvCharInSet(QStringLiteral("CHAR"), QStringLiteral("7")));
  EXPECT_TRUE(KvCharInSet(QStringLiteral("甲乙丙"), QStringLiteral("乙")));
  EXPECT_FALSE(KvCharInSet(QStringLiteral("DIGIT"), QStringLiteral("中")));
  EXPECT_FALSE(KvCharInSet(QStringLiteral("abc"), QString()));

  EXPECT_EQ(KvMatchCharSet(QStringLiteral("DIGIT"), QString()), 1);
  EXPECT_EQ(KvMatchCharSet(QStringLiteral("DIGIT"), QStringLiteral("123")), 1);
  EXPECT_EQ(KvMatchCharSet(QStringLiteral("DIGIT"), QStringLiteral("ab")), -1);
  EXPECT_EQ(KvMatchCharSet(QStringLiteral("DIGIT"), QStringLiteral("1中")), 0);
  EXPECT_EQ(KvMatchCharSet(QString(), QStringLiteral("中")), -1);
}
