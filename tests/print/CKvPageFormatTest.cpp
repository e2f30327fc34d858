// The list and card page formats in the parameter table: round trips per
// printer profile, rows that are missing or malformed, and the format a list
// prints with.

#include "print/CKvCardPageFormat.h"
#include "print/CKvPageFormat.h"

#include "KvPrintStoreFixture.h"
#include "print/CKvPrintSet.h"
#include "ui/KvListPrint.h"

#include <gtest/gtest.h>

namespace {
class CKvPageFormatTest : public KvPrintStoreTest {
 protected:
  void storeRow(int cs, const QString& key, int csn, const QString& value) {
    CKvCsRec rec(&db());
    rec.Set(cs, csn, key, value, QStringLiteral("教务处"));
    ASSERT_TRUE(rec.Insert());
  }
};

CKvPageFormat sampleFormat() {
  CKvPageFormat format;
  format.Title = QStringLiteral("学生名册 '2024'");
  format.Head = QStringLiteral("班级：初一(1)班");
  format.Foot = QStringLiteral("制表：教务处");
  format.Fonts[CKvPageFormat::TitleFont].faceName = QStringLiteral("Noto Sans CJK SC");
  format.Fonts[CKvPageFormat::TitleFont].height = 28;
  format.Fonts[CKvPageFormat::TitleFont].weight = 700;
  format.Fonts[CKvPageFormat::FootFont].height = -10;
  format.Fonts[CKvPageFormat::FootFont].italic = true;
  format.FontColors[CKvPageFormat::HeadFont] = QColor(200, 0, 30);
  format.PaperWidth = 2570;
  format.PaperLength = 3640;
  format.Orientation = 1;
  format.Left = 100;
  format.Top = 120;
  format.Right = 130;
  format.Bottom = 140;
  return format;
}
}  // namespace

TEST_P(CKvPageFormatTest, ListFormatReadsBackForItsFormAndProfile) {
  const CKvPageFormat saved = sampleFormat();
  ASSERT_TRUE(saved.Save(&db(), 803));
  ASSERT_TRUE(saved.Save(&db(), 803));  // saving again replaces, not adds

  CKvPageFormat loaded;
  ASSERT_TRUE(loaded.Load(&db(), 803));
  EXPECT_EQ(loaded.Title, saved.Title);
  EXPECT_EQ(loaded.Head, saved.Head);
  EXPECT_EQ(loaded.Foot, saved.Foot);
  EXPECT_EQ(loaded.PaperWidth, 2570);
  EXPECT_EQ(loaded.PaperLength, 3640);
  EXPECT_TRUE(loaded.IsLandscape());
  EXPECT_EQ(loaded.PrintWidth(), 3640);
  EXPECT_EQ(QList<int>({loaded.Left, loaded.Top, loaded.Right, loaded.Bottom}),
            QList<int>({100, 120, 130, 140}));
  for (int role = 0; role < CKvPageFormat::FontCount; ++role) {
    EXPECT_EQ(loaded.Fonts[role].faceName, saved.Fonts[role].faceName) << role;
    EXPECT_EQ(loaded.Fonts[role].height, saved.Fonts[role].height) << role;
    EXPECT_EQ(loaded.Fonts[role].weight, saved.Fonts[role].weight) << role;
    EXPECT_EQ(loaded.Fonts[role].italic, saved.Fonts[role].italic) << role;
    EXPECT_EQ(loaded.FontColors[role], saved.FontColors[role]) << role;
  }
  EXPECT_EQ(count(QStringLiteral("Select Count(*) From SysCsTab Where Cs=9002")), 9);

  CKvPageFormat other;
  ASSERT_TRUE(other.Load(&db(), 803, QStringLiteral("财务室")));
  EXPECT_TRUE(other.Title.isEmpty());
  EXPECT_EQ(other.PaperWidth, 2100);
  ASSERT_TRUE(other.Load(&db(), 804));
  EXPECT_TRUE(other.Title.isEmpty());
}

TEST_P(CKvPageFormatTest, MalformedRowsKeepTheirDefaults) {
  storeRow(9002, QStringLiteral("5"), 1, QStringLiteral("名册"));
  storeRow(9002, QStringLiteral("5"), 4, QStringLiteral("2100 abc 0"));
  storeRow(9002, QStringLiteral("5"), 5, QStringLiteral("10 20 30"));
  storeRow(9002, QStringLiteral("5"), 10, QStringLiteral("20 400 0 0"));
  storeRow(9002, QStringLiteral("5"), 12, QStringLiteral("-14 700 1 0 255 Noto Serif CJK SC"));
  CKvPageFormat loaded;
  ASSERT_TRUE(loaded.Load(&db(), 5));
  const CKvPageFormat defaults;
  EXPECT_EQ(loaded.Title, QStringLiteral("名册"));
  EXPECT_EQ(loaded.PaperLength, defaults.PaperLength);
  EXPECT_EQ(loaded.Left, defaults.Left);
  EXPECT_EQ(loaded.Fonts[CKvPageFormat::TitleFont].faceName, QStringLiteral("黑体"));
  EXPECT_EQ(loaded.Fonts[CKvPageFormat::TitleFont].height, 24);
  EXPECT_EQ(loaded.Fonts[CKvPageFormat::TextFont].faceName, QStringLiteral("Noto Serif CJK SC"));
  EXPECT_EQ(loaded.Fonts[CKvPageFormat::TextFont].height, -14);
  EXPECT_EQ(loaded.FontColors[CKvPageFormat::TextFont], QColor(255, 0, 0));
}

TEST_P(CKvPageFormatTest, CardFormatReadsBackUnderItsKey) {
  CKvCardPageFormat saved;
  saved.Key = 4181;
  saved.Title = QStringLiteral("收费收据");
  saved.TitleFont.height = 30;
  saved.TextFont.faceName = QStringLiteral("仿宋");
  saved.TitleValue = 0x0000FF;
  saved.TextValue = 0x00FF00;
  saved.Left = 50;
  saved.Bottom = 60;
  saved.PaperWidth = 2410;
  saved.PaperLength = 1400;
  saved.CardWidth = 800;
  saved.CardHeight = 460;
  saved.Orientation = 1;
  ASSERT_TRUE(saved.Save(&db()));

  CKvCardPageFormat loaded;
  loaded.Key = 4181;
  ASSERT_TRUE(loaded.Load(&db()));
  EXPECT_EQ(loaded.Title, saved.Title);
  EXPECT_EQ(loaded.TitleFont.height, 30);
  EXPECT_EQ(loaded.TextFont.faceName, QStringLiteral("仿宋"));
  EXPECT_EQ(loaded.TitleValue, 0x0000FF);
  EXPECT_EQ(loaded.TextValue, 0x00FF00);
  EXPECT_EQ(QList<int>({loaded.Left, loaded.Top, loaded.Right, loaded.Bottom}),
            QList<int>({50, 200, 200, 60}));
  EXPECT_EQ(loaded.PaperWidth, 2410);
  EXPECT_EQ(loaded.PaperLength, 1400);
  EXPECT_EQ(loaded.CardWidth, 800);
  EXPECT_EQ(loaded.CardHeight, 460);
  EXPECT_TRUE(loaded.IsLandscape());

  // The list format of the same number is another row set.
  CKvPageFormat list;
  ASSERT_TRUE(list.Load(&db(), 4181));
  EXPECT_TRUE(list.Title.isEmpty());
  CKvCardPageFormat unset;
  unset.Key = 4182;
  ASSERT_TRUE(unset.Load(&db()));
  EXPECT_EQ(unset.CardWidth, 0);
  EXPECT_EQ(unset.TitleFont.faceName, QStringLiteral("黑体"));
  EXPECT_EQ(unset.TextFont.height, 12);
}

TEST_P(CKvPageFormatTest, ListPrintsWithItsStoredFormatAndItsOwnPrintSet) {
  KvListPrintTarget target;
  target.db = &db();
  target.formId = 803;
  target.title = QStringLiteral("教师名单");
  CKvPageFormat format;
  ASSERT_TRUE(KvLoadListPageFormat(target, &format));
  EXPECT_EQ(format.Title, QStringLiteral("教师名单"));

  CKvPageFormat stored = sampleFormat();
  ASSERT_TRUE(stored.Save(&db(), 803));
  ASSERT_TRUE(KvLoadListPageFormat(target, &format));
  EXPECT_EQ(format.Title, stored.Title);
  EXPECT_EQ(format.PaperWidth, 2570);
  EXPECT_EQ(format.Rows, 0);

  // A view's print set gives the page, fonts and rows; the texts stay.
  CKvPrintSet set;
  set.PageRow = 25;
  set.PageWidth = 2100;
  set.PageCopies = 1;
  set.Fonts[CKvPrintSet::TextFont].height = 15;
  ASSERT_TRUE(set.Save(&db(), 803, QString::fromLatin1(KV_LIST_PRINTSET_MODE)));
  CKvPrintSet shared;  // the application's, holding another form's values
  shared.PageRow = 99;
  target.printSet = &shared;
  ASSERT_TRUE(KvLoadListPageFormat(target, &format));
  EXPECT_EQ(format.Head, stored.Head);
  EXPECT_EQ(format.Rows, 25);
  EXPECT_EQ(format.PaperWidth, 2100);
  EXPECT_FALSE(format.IsLandscape());
  EXPECT_EQ(format.Fonts[CKvPageFormat::TextFont].height, 15);
  EXPECT_EQ(shared.PageRow, 25);
}

KV_DB_KIND_TEST_SUITE(CKvPageFormatTest);
