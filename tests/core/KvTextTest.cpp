#include "core/KvText.h"
#include "core/KvWidth.h"

#include <gtest/gtest.h>

#include <QObject>

TEST(KvText, CaseFoldingTouchesOnlyAsciiLetters) {
  EXPECT_EQ(KvUpper(QStringLiteral("abZ9中é")), QStringLiteral("ABZ9中é"));
  EXPECT_EQ(KvLower(QStringLiteral("ABz9中É")), QStringLiteral("abz9中É"));
  // Full-width letters are not ASCII and stay as they are.
  EXPECT_EQ(KvUpper(QStringLiteral("ａｂ")), QStringLiteral("ａｂ"));
  EXPECT_TRUE(KvEqualsIgnoreCase(QStringLiteral("sql Server"), QStringLiteral("SQL SERVER")));
  EXPECT_FALSE(KvEqualsIgnoreCase(QStringLiteral("é"), QStringLiteral("É")));
}

TEST(KvText, ReplaceDoesNotRescanWhatItInserted) {
  EXPECT_EQ(KvReplace(QStringLiteral("a,b,,c"), QStringLiteral(","), QString()),
            QStringLiteral("abc"));
  EXPECT_EQ(KvReplace(QStringLiteral("aaaa"), QStringLiteral("aa"), QStringLiteral("a")),
            QStringLiteral("aa"));
  EXPECT_EQ(KvReplace(QStringLiteral("ab"), QStringLiteral("a"), QStringLiteral("aa")),
            QStringLiteral("aab"));
  EXPECT_EQ(KvReplace(QStringLiteral("aaa"), QStringLiteral("aa"), QStringLiteral("b")),
            QStringLiteral("ba"));
  EXPECT_EQ(KvReplace(QStringLiteral("中文"), QString(), QStringLiteral("x")),
            QStringLiteral("中文"));
  EXPECT_EQ(KvReplace(QStringLiteral("一（二）"), QStringLiteral("（"), QStringLiteral("(")),
            QStringLiteral("一(二）"));
}

TEST(KvText, TrimAndStripUseTheWholeSet) {
  const QString text = QStringLiteral(" \t\r\n a b\tc \n\r ");
  EXPECT_EQ(KvTrimChars(text, KvWhiteSpace()), QStringLiteral("a b\tc"));
  EXPECT_EQ(KvStripChars(text, KvWhiteSpace()), QStringLiteral("abc"));
  EXPECT_EQ(KvTrimChars(QStringLiteral("**中*文**"), QStringLiteral("*")),
            QStringLiteral("中*文"));
  EXPECT_EQ(KvTrimChars(QStringLiteral("   "), KvWhiteSpace()), QString());
  EXPECT_EQ(KvStripChars(QStringLiteral("元/角/分"), QStringLiteral("/角")),
            QStringLiteral("元分"));
  // A character outside the basic plane is one member of the set, and a set
  // holding it does not tear other characters that share its first half.
  const QString wide = QString::fromUcs4(U"𠀀");
  const QString neighbour = QString::fromUcs4(U"𠀁");
  EXPECT_EQ(KvTrimChars(wide + u'x' + neighbour + wide, wide), u'x' + neighbour);
  EXPECT_EQ(KvStripChars(wide + neighbour, wide), neighbour);
}

TEST(KvText, TrimModes) {
  QString text = QStringLiteral("  a b  ");
  EXPECT_FALSE(KvTrimMode(text, 1));
  EXPECT_EQ(text, QStringLiteral("a b  "));
  text = QStringLiteral("  a b \r\n");
  EXPECT_FALSE(KvTrimMode(text, 2));
  EXPECT_EQ(text, QStringLiteral("  a b"));
  text = QStringLiteral(" a b\t");
  EXPECT_FALSE(KvTrimMode(text, 3));
  EXPECT_EQ(text, QStringLiteral("ab\t"));
  text = QStringLiteral(" \t ");
  EXPECT_TRUE(KvTrimMode(text, 7));
  EXPECT_EQ(text, QStringLiteral(" \t "));
  EXPECT_TRUE(KvTrimMode(text, 3));
  EXPECT_EQ(text, QStringLiteral("\t"));
}

TEST(KvText, WordsAndCaptions) {
  EXPECT_EQ(KvFirstWord(QStringLiteral("SELECT\t* FROM")), QStringLiteral("SELECT"));
  EXPECT_EQ(KvFirstWord(QStringLiteral("班级名称")), QStringLiteral("班级名称"));
  EXPECT_EQ(KvFirstWord(QStringLiteral("\nx")), QString());
  EXPECT_EQ(KvLeftOfLast(QStringLiteral("a/b/c"), u'/'), QStringLiteral("a/b"));
  EXPECT_EQ(KvLeftOfLast(QStringLiteral("abc"), u'/'), QString());
  EXPECT_EQ(KvNormalizeCaption(QStringLiteral(" 金额\\\n(元)\t")), QStringLiteral("金额（元）"));
}

TEST(KvText, SplitsCaptionsByWidthWithoutTearingCharacters) {
  QStringList pieces;
  EXPECT_EQ(KvSplitTextDbcs(4, QStringLiteral("应收金额"), &pieces),
            QStringLiteral("应收\\金额"));
  EXPECT_EQ(pieces, QStringList({QStringLiteral("应收"), QStringLiteral("金额")}));
  // Width 7 in pieces of 3 becomes three pieces of width 2; the cut inside
  // a Chinese character moves past it.
  EXPECT_EQ(KvSplitTextDbcs(3, QStringLiteral("a中文字"), nullptr),
            QStringLiteral("a中\\文\\字"));
  // Nothing of the text is lost when the width does not divide evenly.
  EXPECT_EQ(KvSplitTextDbcs(4, QStringLiteral("abcdefghij"), nullptr),
            QStringLiteral("abc\\def\\ghij"));
  EXPECT_EQ(KvSplitTextDbcs(0, QStringLiteral("学号"), nullptr), QStringLiteral("学号"));
  EXPECT_EQ(KvSplitTextDbcs(1, QStringLiteral("中中"), nullptr), QStringLiteral("中\\中"));
  EXPECT_EQ(KvSplitTextDbcs(2, QString(), nullptr), QString());
  // No piece is wider than asked, the last one included.
  EXPECT_EQ(KvSplitTextDbcs(3, QStringLiteral("中中中"), nullptr), QStringLiteral("中\\中\\中"));
  pieces.clear();
  KvSplitTextDbcs(5, QStringLiteral("学生a姓名bc缴费金额"), &pieces);
  for (const QString& piece : pieces)
    EXPECT_LE(KvTextWidth(piece), 5) << piece.toStdString();
  EXPECT_EQ(pieces.join(QString()), QStringLiteral("学生a姓名bc缴费金额"));
}

TEST(KvText, CharacterClassTests) {
  EXPECT_TRUE(KvIsAllDigits(QString()));
  EXPECT_TRUE(KvIsAllDigits(QStringLiteral("0123")));
  EXPECT_FALSE(KvIsAllDigits(QStringLiteral("12 ")));
  EXPECT_FALSE(KvIsAllDigits(QStringLiteral("１２")));  // full-width digits
  EXPECT_TRUE(KvIsAllAlpha(QStringLiteral("abcXYZ")));
  EXPECT_FALSE(KvIsAllAlpha(QStringLiteral("ab1")));
  EXPECT_FALSE(KvIsAllAlpha(QStringLiteral("中")));
}

TEST(KvText, ClassNameAndNationalities) {
  QObject object;
  EXPECT_EQ(KvGetClassName(&object), QStringLiteral("QObject"));
  EXPECT_EQ(KvGetClassName(nullptr), QString());

  QStringList names{QStringLiteral("old")};
  EXPECT_EQ(KvFillNationalities(&names), 57);
  ASSERT_EQ(names.size(), 57);
  EXPECT_EQ(names.first(), QStringLiteral("阿昌"));
  EXPECT_EQ(names.last(), QStringLiteral("其他"));
  EXPECT_EQ(names.removeDuplicates(), 0);
}
