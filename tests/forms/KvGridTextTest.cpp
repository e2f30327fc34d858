// The texts around a form's table: macros page by page, the defaults of the
// well-known note fields, captions broken into lines, totals and the find
// rule.

#include "forms/CKvDoc.h"
#include "forms/KvGridModel.h"
#include "forms/KvGridText.h"

#include <gtest/gtest.h>

namespace {

QList<KvMacroRow> macros() {
  return {{QStringLiteral("单位名称"), QStringLiteral("#co_name"), QStringLiteral("青禾实验学校")},
          {QStringLiteral("总页数"), QStringLiteral("#pt"), QString()},
          {QStringLiteral("页号"), QStringLiteral("#pp"), QString()},
          {QStringLiteral("起始页号"), QStringLiteral("#printstartpage"), QString()},
          {QString(), QStringLiteral("#normal_print"), QString()},
          {QString(), QStringLiteral("#print_without_line"), QString()}};
}

KvMacroPage page(bool printing, bool overlay, int page = 2, int total = 3) {
  KvMacroPage result;
  result.printing = printing;
  result.overlay = overlay;
  result.page = page;
  result.totalPages = total;
  return result;
}

}  // namespace

TEST(KvGridTextTest, PageNumberNotePrintsOnlyOnNormalPrintouts) {
  QList<KvMacroRow> list = macros();
  const QString pageNote = KvDefaultNoteText(QStringLiteral("页码"));
  EXPECT_EQ(KvExpandMacros(pageNote, page(true, false), &list), QStringLiteral("第 2 页"));
  EXPECT_TRUE(KvExpandMacros(pageNote, page(false, false), &list).isEmpty());
  EXPECT_TRUE(KvExpandMacros(pageNote, page(true, true), &list).isEmpty());

  const QString overlayNote = KvDefaultNoteText(QStringLiteral("套打页码"));
  EXPECT_EQ(KvExpandMacros(overlayNote, page(true, true), &list), QStringLiteral("2"));
  EXPECT_TRUE(KvExpandMacros(overlayNote, page(true, false), &list).isEmpty());
  EXPECT_TRUE(KvExpandMacros(overlayNote, page(false, true), &list).isEmpty());
}

TEST(KvGridTextTest, TokensTakeTheirValuesAndUnknownTokensStay) {
  QList<KvMacroRow> list = macros();
  KvMacroPage third = page(true, false, 3, 3);
  third.pageOffset = 4;
  EXPECT_EQ(KvExpandMacros(QStringLiteral("#co_name 共#pt页 第#pp页 #printstartpage #xx_unknown"), third, &list),
            QStringLiteral("青禾实验学校 共3页 第3页 7 #xx_unknown"));
  // Without a document's list nothing is replaced.
  EXPECT_EQ(KvExpandMacros(QStringLiteral("#co_name"), third, nullptr), QStringLiteral("#co_name"));
  EXPECT_EQ(KvDefaultNoteText(QStringLiteral("当前时间")), QStringLiteral("#yy年#mm月#dd日"));
  EXPECT_TRUE(KvDefaultNoteText(QStringLiteral("备注")).isEmpty());
}

TEST(KvGridTextTest, CaptionsBreakAtSingleBackslashesOnly) {
  EXPECT_EQ(KvSplitCaptionLines(QStringLiteral("周\\学\\时")),
            (QStringList{QStringLiteral("周"), QStringLiteral("学"), QStringLiteral("时")}));
  EXPECT_EQ(KvSplitCaptionLines(QStringLiteral("a\\\\b\\c")), (QStringList{QStringLiteral("a\\b"), QStringLiteral("c")}));
  EXPECT_EQ(KvSplitCaptionLines(QString()), QStringList{QString()});
}

TEST(KvGridTextTest, TotalsUseTheColumnsDecimals) {
  KvGridColumn money;
  money.valueType = QStringLiteral("NUMBER");
  money.total = true;
  money.nLess = 0;
  money.nMore = 2;
  EXPECT_EQ(KvFormatColumnTotal(1234.5, money), QStringLiteral("1,234.50"));
  money.simplified = true;
  EXPECT_EQ(KvFormatColumnTotal(1234.5, money), QStringLiteral("1,234.5"));
  EXPECT_EQ(KvFormatColumnTotal(1234.0, money), QStringLiteral("1,234"));
  EXPECT_TRUE(KvFormatColumnTotal(0.0, money).isEmpty());
}

TEST(KvGridTextTest, FindMatchesPartsOrWholeCells) {
  EXPECT_TRUE(KvCellMatches(QStringLiteral("秋季学期"), QStringLiteral("学期"), false));
  EXPECT_FALSE(KvCellMatches(QStringLiteral("秋季学期"), QStringLiteral("学期"), true));
  EXPECT_TRUE(KvCellMatches(QStringLiteral("学期"), QStringLiteral("学期"), true));
  EXPECT_FALSE(KvCellMatches(QStringLiteral("abc"), QStringLiteral("B"), false));
  EXPECT_FALSE(KvCellMatches(QStringLiteral("abc"), QString(), false));
}
