#include "core/KvFields.h"

#include <gtest/gtest.h>

TEST(KvFields, QuotedDelimitersDoNotSplit) {
  const QString text = QStringLiteral("a;\"b;c\";d");
  EXPECT_EQ(KvCountFields(text, u';', u'"'), 3);
  EXPECT_EQ(KvGetField(text, 1, u';', u'"'), QStringLiteral("\"b;c\""));
  EXPECT_EQ(KvGetField(text, 2, u';', u'"'), QStringLiteral("d"));
  // Without a quote character the inner delimiter splits.
  EXPECT_EQ(KvCountFields(text, u';'), 4);
  EXPECT_EQ(KvGetField(text, 1, u';'), QStringLiteral("\"b"));
  EXPECT_EQ(KvGetField(text, 2, u';'), QStringLiteral("c\""));
}

TEST(KvFields, FieldsAtTheEdges) {
  EXPECT_EQ(KvCountFields(QString(), u','), 1);
  EXPECT_EQ(KvCountFields(QStringLiteral(",,"), u','), 3);
  EXPECT_EQ(KvGetField(QStringLiteral("姓名,,性别"), 1, u','), QString());
  EXPECT_EQ(KvGetField(QStringLiteral("姓名,,性别"), 2, u','), QStringLiteral("性别"));
  EXPECT_EQ(KvGetField(QStringLiteral("a,b"), 2, u','), QString());
  EXPECT_EQ(KvGetField(QStringLiteral("a,b"), -1, u','), QString());
  EXPECT_EQ(KvGetField(QStringLiteral("a,b,"), 2, u','), QString());
  // An unclosed quote runs to the end of the text.
  EXPECT_EQ(KvGetField(QStringLiteral("x,'y,z"), 1, u',', u'\''), QStringLiteral("'y,z"));
}

TEST(KvFields, ParseListDropsEmptiesDuplicatesAndPrefixed) {
  QStringList list{QStringLiteral("stale")};
  EXPECT_EQ(KvParseList(QStringLiteral("a;;b;a"), &list, u';', false, false, false), 3);
  EXPECT_EQ(list, QStringList({"a", "b", "a"}));
  EXPECT_EQ(KvParseList(QStringLiteral("a;;b;a"), &list, u';', true, false, false), 4);
  EXPECT_EQ(KvParseList(QStringLiteral("a;;b;a;b"), &list, u';', false, true, false), 2);
  EXPECT_EQ(list, QStringList({"a", "b"}));
  EXPECT_EQ(KvParseList(QStringLiteral("0102;01;0201;02;01"), &list, u';', false, false, true),
            2);
  EXPECT_EQ(list, QStringList({"01", "02"}));
  EXPECT_EQ(KvParseList(QString(), &list, u';', false, true, true), 0);
  EXPECT_TRUE(list.isEmpty());
}

TEST(KvFields, WildcardsAnchorUntilTheFirstAny) {
  EXPECT_TRUE(KvWildcardMatch(QStringLiteral("ABCD"), QStringLiteral("A?C*"), u'?', u'*'));
  EXPECT_FALSE(KvWildcardMatch(QStringLiteral("ABCD"), QStringLiteral("A?C"), u'?', u'*'));
  EXPECT_FALSE(KvWildcardMatch(QStringLiteral("XABC"), QStringLiteral("AB*"), u'?', u'*'));
  EXPECT_TRUE(KvWildcardMatch(QStringLiteral("ABC"), QStringLiteral("ABC"), u'?', u'*'));
  EXPECT_FALSE(KvWildcardMatch(QStringLiteral("AB"), QStringLiteral("AB?"), u'?', u'*'));
  EXPECT_TRUE(KvWildcardMatch(QString(), QString(), u'?', u'*'));
  EXPECT_FALSE(KvWildcardMatch(QStringLiteral("A"), QString(), u'?', u'*'));
}

TEST(KvFields, FloatingModeFindsStretchesFurtherOnAndLeavesTheEndOpen) {
  EXPECT_TRUE(KvWildcardMatch(QStringLiteral("XXABYYCD"), QStringLiteral("*AB*CD"), u'?', u'*'));
  EXPECT_TRUE(KvWildcardMatch(QStringLiteral("张三丰"), QStringLiteral("*三"), u'?', u'*'));
  // After the any-wildcard the text need not be used up.
  EXPECT_TRUE(KvWildcardMatch(QStringLiteral("ACX"), QStringLiteral("A*C"), u'?', u'*'));
  // The leftmost occurrence is taken; the one-wildcard then needs a character
  // right after it.
  EXPECT_FALSE(KvWildcardMatch(QStringLiteral("XA"), QStringLiteral("*A?"), u'?', u'*'));
  EXPECT_TRUE(KvWildcardMatch(QStringLiteral("ABXAB"), QStringLiteral("*AB?"), u'?', u'*'));
  EXPECT_FALSE(KvWildcardMatch(QStringLiteral("ABC"), QStringLiteral("*D"), u'?', u'*'));
}

TEST(KvFields, OneWildcardTakesAWholeCharacter) {
  EXPECT_TRUE(KvWildcardMatch(QStringLiteral("张三"), QStringLiteral("?三"), u'?', u'*'));
  const QString pair = QString::fromUcs4(U"𠀀x");
  EXPECT_TRUE(KvWildcardMatch(pair, QStringLiteral("?x"), u'?', u'*'));
  EXPECT_FALSE(KvWildcardMatch(pair, QStringLiteral("??x"), u'?', u'*'));
}

TEST(KvFields, MatchTextModes) {
  EXPECT_TRUE(KvMatchText(-1, QStringLiteral("abc"), QStringLiteral("abc"), true));
  EXPECT_FALSE(KvMatchText(-1, QStringLiteral("abc"), QStringLiteral("ABC"), false));
  EXPECT_TRUE(KvMatchText(-2, QStringLiteral("abc"), QStringLiteral("ABC"), false));
  EXPECT_FALSE(KvMatchText(-2, QStringLiteral("abc"), QStringLiteral("AB"), true));
  EXPECT_TRUE(KvMatchText(0, QStringLiteral("ABCD"), QStringLiteral("A?C*"), false));
  EXPECT_FALSE(KvMatchText(0, QStringLiteral("ABCD"), QStringLiteral("A_C"), true));
  EXPECT_TRUE(KvMatchText(1, QStringLiteral("ABCD"), QStringLiteral("A_C"), true));
  EXPECT_FALSE(KvMatchText(1, QStringLiteral("ABCD"), QStringLiteral("A_C"), false));
  // In the "_"/"%" mode "?" and "*" are plain characters.
  EXPECT_FALSE(KvMatchText(1, QStringLiteral("AB"), QStringLiteral("A?"), false));
}

TEST(KvFields, MatchAnyOfSemicolonSeparatedPatterns) {
  EXPECT_TRUE(KvMatchAny(0, QStringLiteral("0102"), QString()));
  EXPECT_TRUE(KvMatchAny(0, QStringLiteral("0102"), QStringLiteral(";;")));
  EXPECT_TRUE(KvMatchAny(0, QStringLiteral("0102"), QStringLiteral("02*;01*")));
  EXPECT_FALSE(KvMatchAny(0, QStringLiteral("0102"), QStringLiteral("02*;03*")));
  EXPECT_TRUE(KvMatchAny(-2, QStringLiteral("abc"), QStringLiteral("x;ABC")));
}

TEST(KvFields, NthArgFallsBackToTheLast) {
  EXPECT_EQ(KvNthArg(1, {"a", "b", "c"}), QStringLiteral("b"));
  EXPECT_EQ(KvNthArg(5, {"a", "b", "c"}), QStringLiteral("c"));
  EXPECT_EQ(KvNthArg(-1, {"a", "b"}), QString());
  EXPECT_EQ(KvNthArg(0, {}), QString());
}
