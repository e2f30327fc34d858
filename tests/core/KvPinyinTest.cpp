#include "core/KvPinyin.h"

#include <gtest/gtest.h>

#include <QList>

#include <iconv.h>

namespace {

// Pinyin initials need the C library's GBK converter; without it every
// initial would silently be missing, so its absence is a failure.
void requireGbkConverter() {
  const iconv_t cd = iconv_open("GBK", "UTF-32LE");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1))
      << "iconv has no GBK converter (install glibc's gconv modules)";
  iconv_close(cd);
}

QString initialOf(const char16_t* character) {
  return KvPinyinInitial(QString::fromUtf16(character).toUcs4().value(0));
}

}  // namespace

TEST(KvPinyin, FirstLevelCharactersTakeTheLetterOfTheirCodeRange) {
  requireGbkConverter();
  EXPECT_EQ(initialOf(u"啊"), u"A");  // 1601, the first of all
  EXPECT_EQ(initialOf(u"澳"), u"A");  // 1636, the last before B
  EXPECT_EQ(initialOf(u"芭"), u"B");  // 1637
  EXPECT_EQ(initialOf(u"李"), u"L");
  EXPECT_EQ(initialOf(u"王"), u"W");
  EXPECT_EQ(initialOf(u"张"), u"Z");
  EXPECT_EQ(initialOf(u"赵"), u"Z");
  EXPECT_EQ(initialOf(u"孕"), u"Y");  // 5248, the last before Z
  EXPECT_EQ(initialOf(u"座"), u"Z");  // 5589, the last of the first level
}

TEST(KvPinyin, SecondLevelCharactersComeFromTheTable) {
  requireGbkConverter();
  EXPECT_EQ(initialOf(u"亍"), u"C");  // the first second-level character
  EXPECT_EQ(initialOf(u"丌"), u"J");
  EXPECT_EQ(initialOf(u"匕"), u"B");
  EXPECT_EQ(initialOf(u"佟"), u"T");  // first of its row
  EXPECT_EQ(initialOf(u"鬻"), u"Y");
  EXPECT_EQ(initialOf(u"齄"), u"Z");  // the last one
}

TEST(KvPinyin, OtherCharactersComeBackUnchanged) {
  requireGbkConverter();
  EXPECT_EQ(initialOf(u"，"), u"，");  // a GB2312 symbol
  EXPECT_EQ(initialOf(u"張"), u"張");  // GBK only, outside GB2312
  EXPECT_EQ(initialOf(u"a"), u"a");
  EXPECT_EQ(KvPinyinInitial(U'😀'), QString::fromUcs4(U"😀"));  // no GBK code
}

TEST(KvPinyin, InitialsOfATextKeepAsciiAndDropWhatHasNoLetter) {
  requireGbkConverter();
  EXPECT_EQ(KvPinyinInitials(QStringLiteral("张三")), QStringLiteral("ZS"));
  EXPECT_EQ(KvPinyinInitials(QStringLiteral("初一(2)班，佟丌")), QStringLiteral("CY(2)BTJ"));
  EXPECT_EQ(KvPinyinInitials(QStringLiteral("張😀x")), QStringLiteral("x"));
  EXPECT_EQ(KvPinyinInitials(QString()), QString());
}
