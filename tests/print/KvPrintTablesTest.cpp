// The print-format tables: made when missing, and older tables given the
// columns they lack with values that read as they printed before.

#include "print/KvPrintTables.h"

#include "print/CKvPrintSet.h"
#include "support/KvTestDb.h"

#include <gtest/gtest.h>

namespace {
class KvPrintTablesTest : public KvDbKindTest {};
}  // namespace

TEST_P(KvPrintTablesTest, MissingTablesAreMadeAndASecondRunChangesNothing) {
  ASSERT_TRUE(KvCreatePageSetTable(&db()));
  ASSERT_TRUE(KvCreateFontTable(&db()));
  for (const char* table : {"KVPAGESET", "FIELDWIDTH", "KVFONT"})
    EXPECT_TRUE(db().TableExists(QString::fromLatin1(table))) << table;
  ASSERT_TRUE(CKvPrintSet().Save(&db(), 1, QStringLiteral("1"), QStringLiteral("P")));
  EXPECT_TRUE(KvCreatePageSetTable(&db()));
  EXPECT_TRUE(KvCreateFontTable(&db()));
  EXPECT_EQ(db().GetLong(QStringLiteral("Select Count(*) From KVFONT")), 4);
}

TEST_P(KvPrintTablesTest, OlderTablesGainTheirNewerColumnsFilledAsBefore) {
  // A page table from before the orientation flag and line spacing, a font
  // table from before colours, each with a stored row.
  ASSERT_TRUE(db().Execute(QStringLiteral(
      "Create Table KVPAGESET(nFlag Long,SFIELDMODE Char(20),SPRINTER Char(30),PageRow Long,"
      "PageWidth Long,PageLength Long,PageLeft Long,PageTop Long,PageRight Long,"
      "PageBottom Long)")));
  ASSERT_TRUE(db().Execute(QStringLiteral(
      "Insert Into KVPAGESET Values(7,'1','P',20,2100,2970,150,250,100,200)")));
  ASSERT_TRUE(db().Execute(QStringLiteral(
      "Create Table KVFONT(nFlag Long,SFIELDMODE Char(20),SPRINTER Char(30),nFont Long,"
      "sFace Char(32),nHeight Long,nWeight Long,nItalic Long,nUnderline Long)")));
  ASSERT_TRUE(db().Execute(
      QStringLiteral("Insert Into KVFONT Values(7,'1','P',2,'仿宋',16,400,0,0)")));

  ASSERT_TRUE(KvCreatePageSetTable(&db()));
  ASSERT_TRUE(KvCreateFontTable(&db()));
  int width = 0;
  for (const char* column : {"PageCopies", "PageSpace"})
    EXPECT_TRUE(db().GetColumnWidth(QStringLiteral("KVPAGESET"), QString::fromLatin1(column), &width));
  EXPECT_TRUE(db().GetColumnWidth(QStringLiteral("KVFONT"), QStringLiteral("nColor"), &width));
  EXPECT_TRUE(db().TableExists(QStringLiteral("FIELDWIDTH")));

  CKvPrintSet set;
  ASSERT_TRUE(set.Load(&db(), 7, QStringLiteral("1"), QStringLiteral("P")));
  EXPECT_EQ(set.PageRow, 20);
  EXPECT_FALSE(set.IsLandscape());
  EXPECT_EQ(set.PageSpace, 40);
  EXPECT_EQ(set.Fonts[CKvPrintSet::TextFont].faceName, QStringLiteral("仿宋"));
  EXPECT_EQ(set.Fonts[CKvPrintSet::TextFont].height, 16);
  EXPECT_EQ(set.FontColors[CKvPrintSet::TextFont], QColor(Qt::black));
}

KV_DB_KIND_TEST_SUITE(KvPrintTablesTest);
