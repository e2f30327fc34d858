// The print set of a form: stored and read back per printer profile, the
// modules' defaults when nothing is stored, the background colour.

#include "print/CKvPrintSet.h"

#include "KvPrintStoreFixture.h"
#include "core/KvMessage.h"
#include "print/KvPrintProviders.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPrinter>
#include <QWidget>

namespace {
class CKvPrintSetTest : public KvPrintStoreTest {};

CKvPrintSet sampleSet() {
  CKvPrintSet set;
  set.PageRow = 30;
  set.PageWidth = 2500;
  set.PageLength = 3530;
  set.PageLeft = 120;
  set.PageTop = 80;
  set.PageRight = 90;
  set.PageBottom = 70;
  set.PageCopies = 0;
  set.PageSpace = 55;
  set.Fonts[CKvPrintSet::TitleFont].faceName = QStringLiteral("楷体");
  set.Fonts[CKvPrintSet::TitleFont].height = 30;
  set.Fonts[CKvPrintSet::TitleFont].weight = 700;
  set.Fonts[CKvPrintSet::TextFont].height = -12;
  set.Fonts[CKvPrintSet::TextFont].italic = true;
  set.Fonts[CKvPrintSet::TailFont].underline = true;
  set.FontColors[CKvPrintSet::HeadFont] = QColor(10, 120, 240);
  set.ColumnWidths = {{0, 8}, {1, 20}, {5, 4}};
  return set;
}

void expectSame(const CKvPrintSet& a, const CKvPrintSet& b) {
  EXPECT_EQ(a.PageRow, b.PageRow);
  EXPECT_EQ(a.PageWidth, b.PageWidth);
  EXPECT_EQ(a.PageLength, b.PageLength);
  EXPECT_EQ(a.PageLeft, b.PageLeft);
  EXPECT_EQ(a.PageTop, b.PageTop);
  EXPECT_EQ(a.PageRight, b.PageRight);
  EXPECT_EQ(a.PageBottom, b.PageBottom);
  EXPECT_EQ(a.PageCopies, b.PageCopies);
  EXPECT_EQ(a.PageSpace, b.PageSpace);
  for (int role = 0; role < CKvPrintSet::FontCount; ++role) {
    EXPECT_EQ(a.Fonts[role].faceName, b.Fonts[role].faceName) << role;
    EXPECT_EQ(a.Fonts[role].height, b.Fonts[role].height) << role;
    EXPECT_EQ(a.Fonts[role].weight, b.Fonts[role].weight) << role;
    EXPECT_EQ(a.Fonts[role].italic, b.Fonts[role].italic) << role;
    EXPECT_EQ(a.Fonts[role].underline, b.Fonts[role].underline) << role;
    EXPECT_EQ(a.FontColors[role], b.FontColors[role]) << role;
  }
  EXPECT_EQ(a.ColumnWidths, b.ColumnWidths);
}
}  // namespace

TEST_P(CKvPrintSetTest, SavedSetReadsBackForItsKeyAndProfileOnly) {
  const QString mode = QStringLiteral("12'3");
  const CKvPrintSet saved = sampleSet();
  ASSERT_TRUE(saved.Save(&db(), 272, mode));

  CKvPrintSet loaded;
  ASSERT_TRUE(loaded.Load(&db(), 272, mode));
  expectSame(loaded, saved);
  EXPECT_TRUE(loaded.IsLandscape());
  // The current profile is the one named explicitly.
  ASSERT_TRUE(loaded.Load(&db(), 272, mode, QStringLiteral("教务处")));
  expectSame(loaded, saved);

  // Another profile, form or mode has nothing stored: constructed values.
  for (const auto& [flag, fieldMode, profile] :
       {std::tuple{272, mode, QStringLiteral("财务室")}, std::tuple{273, mode, QString()},
        std::tuple{272, QStringLiteral("123"), QString()}}) {
    ASSERT_TRUE(loaded.Load(&db(), flag, fieldMode, profile));
    expectSame(loaded, CKvPrintSet());
  }
}

TEST_P(CKvPrintSetTest, SaveReplacesTheStoredRowsOfItsKey) {
  ASSERT_TRUE(sampleSet().Save(&db(), 5, QStringLiteral("1")));
  ASSERT_TRUE(sampleSet().Save(&db(), 5, QStringLiteral("1"), QStringLiteral("财务室")));
  CKvPrintSet second;
  second.ColumnWidths = {{2, 9}};
  ASSERT_TRUE(second.Save(&db(), 5, QStringLiteral("1")));

  CKvPrintSet loaded;
  ASSERT_TRUE(loaded.Load(&db(), 5, QStringLiteral("1")));
  expectSame(loaded, second);
  EXPECT_EQ(count(QStringLiteral("Select Count(*) From KVPAGESET Where SPRINTER='教务处'")), 1);
  EXPECT_EQ(count(QStringLiteral("Select Count(*) From KVFONT Where SPRINTER='教务处'")), 4);
  EXPECT_EQ(count(QStringLiteral("Select Count(*) From FIELDWIDTH Where SPRINTER='教务处'")), 1);
  // The other profile's rows stay.
  ASSERT_TRUE(loaded.Load(&db(), 5, QStringLiteral("1"), QStringLiteral("财务室")));
  expectSame(loaded, sampleSet());
}

TEST_P(CKvPrintSetTest, FailedSaveLeavesTheStoredSetAsItWas) {
  ASSERT_TRUE(sampleSet().Save(&db(), 5, QStringLiteral("1")));
  // A widths table that refuses the rows makes the whole save fail.
  ASSERT_TRUE(db().Execute(QStringLiteral("Drop Table FIELDWIDTH")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table FIELDWIDTH(nFlag Long)")));
  KvMessageRecorder recorder;
  EXPECT_FALSE(CKvPrintSet().Save(&db(), 5, QStringLiteral("1")));
  EXPECT_FALSE(recorder.messages().isEmpty());

  CKvPrintSet loaded;
  loaded.Load(&db(), 5, QStringLiteral("1"));
  EXPECT_EQ(loaded.PageWidth, 2500);
  EXPECT_EQ(loaded.Fonts[CKvPrintSet::TitleFont].faceName, QStringLiteral("楷体"));
}

TEST_P(CKvPrintSetTest, NothingStoredTakesTheModulesDefaults) {
  // As the timetable module gives them: 22 rows (68 for its timetable form),
  // landscape, text font height -12.
  KvSetDefaultPrintSetProvider([](int formNo, const QString&, CKvPrintSet& set) {
    set.PageRow = formNo == 272 ? 68 : 22;
    set.PageCopies = 0;
    set.Fonts[CKvPrintSet::TextFont].height = -12;
  });
  CKvPrintSet loaded;
  ASSERT_TRUE(loaded.Load(&db(), 272, QStringLiteral("1")));
  EXPECT_EQ(loaded.PageRow, 68);
  EXPECT_TRUE(loaded.IsLandscape());
  EXPECT_EQ(loaded.Fonts[CKvPrintSet::TextFont].height, -12);
  EXPECT_EQ(loaded.PageWidth, 2100);
  ASSERT_TRUE(loaded.Load(&db(), 9, QStringLiteral("1")));
  EXPECT_EQ(loaded.PageRow, 22);

  // A stored set wins over the defaults.
  ASSERT_TRUE(sampleSet().Save(&db(), 272, QStringLiteral("1")));
  ASSERT_TRUE(loaded.Load(&db(), 272, QStringLiteral("1")));
  expectSame(loaded, sampleSet());
}

KV_DB_KIND_TEST_SUITE(CKvPrintSetTest);

TEST(CKvPrintSetBackground, WindowBaseOnScreenWhiteElsewhere) {
  QWidget widget;
  QPalette palette = widget.palette();
  palette.setColor(QPalette::Base, QColor(250, 240, 200));
  widget.setPalette(palette);
  const CKvPrintSet set;
  EXPECT_EQ(set.GetBkColor(&widget), QColor(250, 240, 200));
  QPrinter printer;
  printer.setOutputFormat(QPrinter::PdfFormat);
  EXPECT_EQ(set.GetBkColor(&printer), QColor(Qt::white));
  QImage image(4, 4, QImage::Format_RGB32);
  EXPECT_EQ(set.GetBkColor(&image), QColor(Qt::white));
  EXPECT_EQ(set.GetBkColor(), QColor(Qt::white));
}
