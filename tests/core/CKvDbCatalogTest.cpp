// Scalar and catalogue queries of the connection on each back-end kind.

#include "core/CKvDb.h"
#include "core/KvMessage.h"
#include "support/KvTestDb.h"

#include <gtest/gtest.h>

class CKvDbCatalogTest : public KvDbKindTest {
 protected:
  void SetUp() override {
    KvDbKindTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    // The program's table shapes: Long, Numeric (Double on Jet), CHAR and
    // binary columns, an index of its own name and one on two columns.
    ASSERT_TRUE(db().Execute(
        QStringLiteral("CREATE TABLE SysCsTab(CS \x07Long\x08,CSN \x07Long\x08,"
                       "CSNA CHAR(255),CSVAL CHAR(255),MY \x07Numeric(12,2)\x08,LPO char(30))")));
    ASSERT_TRUE(db().Execute(QStringLiteral("CREATE Index SYSCSTAB On SysCsTab(CS)")));
    ASSERT_TRUE(db().Execute(QStringLiteral("CREATE Index CsPair On SysCsTab(CSN,CS)")));
    ASSERT_TRUE(db().Execute(QStringLiteral("CREATE Index CsName On SysCsTab(CSNA)")));
    ASSERT_TRUE(db().Execute(QStringLiteral("Create Table Img(Flag \x07Long\x08,Prg Image)"),
                             QStringLiteral("Create Table Img(Flag INT,Prg BYTEA)")));
  }
  void Insert(int cs, int csn, const QString& na) {
    ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into SysCsTab(CS,CSN,CSNA,CSVAL,MY,LPO) Values(") +
                             QString::number(cs) + u',' + QString::number(csn) + QStringLiteral(",'") +
                             db().QuoteText(na) + QStringLiteral("','v',2.5,'')")));
  }
};

TEST_P(CKvDbCatalogTest, ScalarQueriesAndTheirCounts) {
  Insert(4000, 1, QStringLiteral("A"));
  Insert(4000, 2, QStringLiteral("张三"));
  EXPECT_EQ(db().GetLong(QStringLiteral("Select Count(*) From SysCsTab")), 2);
  EXPECT_EQ(db().GetLong(QStringLiteral("Select CS From SysCsTab Where CS=9")), 0);

  int count = -1;
  EXPECT_EQ(db().LookupLong(QStringLiteral("Max(CSN) From SysCsTab Where CS=4000"), QString(), &count), 2);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(db().LookupLong(QStringLiteral("Max(CSN) From SysCsTab Where CS=1"), QString(), &count), 0);
  EXPECT_EQ(count, 0);
  EXPECT_DOUBLE_EQ(db().LookupDouble(QStringLiteral("Sum(MY) From SysCsTab"), QString(), &count), 5.0);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(db().LookupText(QStringLiteral("Max(CSNA) From SysCsTab Where CSN=2"), QString(), &count),
            QStringLiteral("张三"));
  EXPECT_EQ(count, 1);
  // A failed select looks like a count of 0, silently.
  KvMessageRecorder recorder;
  EXPECT_EQ(db().LookupText(QStringLiteral("Max(X) From NoSuchTable"), QString(), &count), QString());
  EXPECT_EQ(count, 0);
  EXPECT_EQ(db().GetLong(QStringLiteral("Select Count(*) From NoSuchTable")), 0);
  EXPECT_TRUE(recorder.messages().isEmpty());
  // The server text, when given, is what runs on the server kinds.
  EXPECT_EQ(db().LookupLong(QStringLiteral("1 From SysCsTab"), QStringLiteral("2 From SysCsTab")),
            kind() == 0 ? 1 : 2);
}

TEST_P(CKvDbCatalogTest, ReportingLookupsTellAFailedSelectFromNoRow) {
  Insert(4000, 2, QStringLiteral("张三"));
  const struct {
    const char* rest;
    int failAt;  // the statement refused; 0 none
    bool read;
    int value;
    const char* text;
  } cases[] = {
      {"Max(CSN) From SysCsTab Where CS=4000", 0, true, 2, "2"},
      {"Max(CSNA) From SysCsTab Where CS=4000", 0, true, 0, "张三"},
      {"Max(CSN) From SysCsTab Where CS=1", 0, true, 0, ""},
      {"Max(CSN) From SysCsTab Where CS=4000", 1, false, 0, ""},
      {"Max(X) From NoSuchTable", 0, false, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rest);
    for (bool text : {false, true}) {
      KvMessageRecorder recorder;
      int value = -1;
      QString found = QStringLiteral("x");
      db().FailNthStatement(c.failAt);
      const bool read = text ? db().LookupText(QString::fromUtf8(c.rest), &found)
                             : db().LookupLong(QString::fromUtf8(c.rest), &value);
      db().FailNthStatement(0);
      EXPECT_EQ(read, c.read);
      if (text) {
        EXPECT_EQ(found, QString::fromUtf8(c.text));
      } else if (QString::fromUtf8(c.rest).contains(u"CSN)")) {
        EXPECT_EQ(value, c.value);
      }
      // A failed select is shown, as a failed statement is.
      EXPECT_EQ(recorder.messages().size(), c.read ? 0 : 1);
      if (!c.read) {
        EXPECT_TRUE(recorder.last().contains(QStringLiteral("执行下列SQL语句时出错！"))) << qPrintable(recorder.last());
      }
    }
  }
}

TEST_P(CKvDbCatalogTest, QueryTextsFillsOneListPerColumn) {
  Insert(1, 1, QStringLiteral("甲"));
  Insert(1, 2, QStringLiteral("乙"));
  QStringList columns[2] = {{QStringLiteral("stale")}, {}};
  EXPECT_EQ(db().QueryTexts(QStringLiteral("Select CSNA,CSVAL From SysCsTab Order By CSN"), columns, 2), 2);
  EXPECT_EQ(columns[0], (QStringList{QStringLiteral("甲"), QStringLiteral("乙")}));
  EXPECT_EQ(columns[1], (QStringList{QStringLiteral("v"), QStringLiteral("v")}));
  EXPECT_EQ(db().QueryTexts(QStringLiteral("Select X From NoSuchTable"), columns, 2), 0);
  EXPECT_TRUE(columns[0].isEmpty());
}

TEST_P(CKvDbCatalogTest, TablesAreFoundWhateverTheCase) {
  EXPECT_TRUE(db().TableExists(QStringLiteral("SysCsTab")));
  EXPECT_TRUE(db().TableExists(QStringLiteral("SYSCSTAB")));
  EXPECT_TRUE(db().TableExists(QStringLiteral("syscstab")));
  EXPECT_FALSE(db().TableExists(QStringLiteral("SysCs")));
  EXPECT_FALSE(db().TableExists(QStringLiteral("x' Or '1'='1")));
  EXPECT_TRUE(db().TablesExist({QStringLiteral("SysCsTab"), QStringLiteral("IMG"), QStringLiteral("syscstab")}));
  EXPECT_FALSE(db().TablesExist({QStringLiteral("SysCsTab"), QStringLiteral("SysCs")}));
  EXPECT_FALSE(db().TablesExist({QStringLiteral("SysCsTab"), QStringLiteral("x') Or ('1'='1")}));
  EXPECT_TRUE(db().TablesExist({}));

  QStringList names{QStringLiteral("kept")};
  EXPECT_EQ(db().ListUserTables(&names), 3);
  EXPECT_EQ(names.mid(1).join(u',').toLower(), QStringLiteral("syscstab,img"));
}

TEST_P(CKvDbCatalogTest, ColumnsAreSortedByKindWithTextWidths) {
  QStringList lists[4];
  QList<int> widths;
  EXPECT_EQ(db().GetColumns(QStringLiteral("syscstab"), lists, &widths), 6);
  EXPECT_EQ(lists[0].join(u',').toUpper(), QStringLiteral("CS,CSN"));
  EXPECT_EQ(lists[1].join(u',').toUpper(), QStringLiteral("MY"));
  EXPECT_EQ(lists[2].join(u',').toUpper(), QStringLiteral("CSNA,CSVAL,LPO"));
  EXPECT_TRUE(lists[3].isEmpty());
  EXPECT_EQ(widths, (QList<int>{255, 255, 30}));

  QStringList binary[4];
  EXPECT_EQ(db().GetColumns(QStringLiteral("Img"), binary, nullptr), 2);
  EXPECT_EQ(binary[3].join(u',').toUpper(), QStringLiteral("PRG"));

  QStringList missing[4];
  EXPECT_EQ(db().GetColumns(QStringLiteral("NoSuchTable"), missing, nullptr), 0);
  // A column of a type the program does not use makes the whole table fail.
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table D(A \x07Long\x08, W Date)"),
                           QStringLiteral("Create Table D(A INT, W Date)")));
  QStringList dated[4];
  EXPECT_EQ(db().GetColumns(QStringLiteral("D"), dated, nullptr), 0);
}

TEST_P(CKvDbCatalogTest, ColumnWidthTellsWhetherTheColumnExists) {
  int width = -1;
  EXPECT_TRUE(db().GetColumnWidth(QStringLiteral("SysCsTab"), QStringLiteral("lpo"), &width));
  EXPECT_EQ(width, 30);
  EXPECT_TRUE(db().GetColumnWidth(QStringLiteral("SysCsTab"), QStringLiteral("CS"), &width));
  EXPECT_EQ(width, 4);
  width = -1;
  EXPECT_FALSE(db().GetColumnWidth(QStringLiteral("SysCsTab"), QStringLiteral("HDO"), &width));
  EXPECT_FALSE(db().GetColumnWidth(QStringLiteral("NoSuchTable"), QStringLiteral("CS"), &width));
  EXPECT_EQ(width, -1);
  // A column of a type the program does not use has no width to give.
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table D(A \x07Long\x08, W Date)"),
                           QStringLiteral("Create Table D(A INT, W Date)")));
  EXPECT_FALSE(db().GetColumnWidth(QStringLiteral("D"), QStringLiteral("W"), &width));
  EXPECT_EQ(width, -1);
}

TEST_P(CKvDbCatalogTest, IndexesOfAColumnAreListedAndDropped) {
  QStringList names;
  EXPECT_EQ(db().GetColumnIndexes(&names, QStringLiteral("SysCsTab"), QStringLiteral("cs")), 2);
  EXPECT_EQ(db().GetColumnIndexes(&names, QStringLiteral("SysCsTab"), QStringLiteral("CS")), 2);  // once each
  // The server form starts from an empty list; the file form appends.
  names = QStringList{QStringLiteral("earlier")};
  EXPECT_EQ(db().GetColumnIndexes(&names, QStringLiteral("SysCsTab"), QStringLiteral("CSNA")),
            kind() == 0 ? 2 : 1);
  EXPECT_EQ(names.contains(QStringLiteral("earlier")), kind() == 0);
  names.clear();
  EXPECT_EQ(db().GetColumnIndexes(&names, QStringLiteral("SysCsTab"), QStringLiteral("LPO")), 0);

  KvMessageRecorder recorder;
  EXPECT_EQ(db().DropColumnIndexes(QStringLiteral("SysCsTab"), QStringLiteral("CS")), 2);
  EXPECT_TRUE(recorder.messages().isEmpty()) << recorder.last().toStdString();
  names.clear();
  EXPECT_EQ(db().GetColumnIndexes(&names, QStringLiteral("SysCsTab"), QStringLiteral("CS")), 0);
  EXPECT_EQ(db().GetColumnIndexes(&names, QStringLiteral("SysCsTab"), QStringLiteral("CSNA")), 1);
}

TEST_P(CKvDbCatalogTest, TablesByListAreCountedAndCleared) {
  EXPECT_TRUE(db().TablesEmpty(QStringLiteral("  SysCsTab \t  Img ")));
  EXPECT_TRUE(db().TablesEmpty(QString()));
  Insert(1, 1, QStringLiteral("x"));
  EXPECT_FALSE(db().TablesEmpty(QStringLiteral("Img SysCsTab")));
  // A table that cannot be read is not reported empty.
  KvMessageRecorder recorder;
  EXPECT_FALSE(db().TablesEmpty(QStringLiteral("Img NoSuchTable")));
  EXPECT_TRUE(recorder.messages().isEmpty());

  EXPECT_TRUE(db().ClearTables(QStringLiteral("Img  SysCsTab")));
  EXPECT_TRUE(db().TablesEmpty(QStringLiteral("SysCsTab")));
  Insert(1, 1, QStringLiteral("x"));
  // The first failure is reported and ends the walk: SysCsTab keeps its row.
  EXPECT_FALSE(db().ClearTables(QStringLiteral("NoSuchTable SysCsTab")));
  EXPECT_EQ(recorder.messages().size(), 1);
  EXPECT_FALSE(db().TablesEmpty(QStringLiteral("SysCsTab")));
}

TEST_P(CKvDbCatalogTest, DatabaseExistsByFileOrName) {
  EXPECT_TRUE(db().DatabaseExists(testDb().name()));
  EXPECT_FALSE(db().DatabaseExists(testDb().name() + QStringLiteral("x")));
  if (kind() == 0)
    EXPECT_FALSE(db().DatabaseExists(QStringLiteral("/tmp")));  // a folder is no data file
  else
    EXPECT_TRUE(db().DatabaseExists(QStringLiteral("master")));
}

// The column-resizing statement sequence runs on every kind.
TEST_P(CKvDbCatalogTest, CharColumnCanBeRebuiltWithAnotherWidth) {
  Insert(1, 1, QStringLiteral("长的名字"));
  KvMessageRecorder recorder;
  db().DropColumnIndexes(QStringLiteral("SysCsTab"), QStringLiteral("CSNA"));
  EXPECT_TRUE(db().Execute(QStringLiteral("Alter Table SysCsTab Add tempField CHAR(40)")));
  EXPECT_TRUE(db().Execute(QStringLiteral("Update SysCsTab Set tempField=CSNA")));
  EXPECT_TRUE(db().Execute(QStringLiteral("Alter Table SysCsTab Drop Column CSNA")));
  EXPECT_TRUE(db().Reopen());
  EXPECT_TRUE(db().Execute(QStringLiteral("Alter Table SysCsTab Add CSNA CHAR(40)")));
  EXPECT_TRUE(db().Execute(QStringLiteral("Update SysCsTab Set CSNA=tempField")));
  EXPECT_TRUE(db().Execute(QStringLiteral("Alter Table SysCsTab Drop Column tempField")));
  EXPECT_TRUE(db().Reopen());
  EXPECT_TRUE(recorder.messages().isEmpty()) << recorder.last().toStdString();
  int width = 0;
  EXPECT_TRUE(db().GetColumnWidth(QStringLiteral("SysCsTab"), QStringLiteral("CSNA"), &width));
  EXPECT_EQ(width, 40);
  EXPECT_EQ(db().LookupText(QStringLiteral("Max(CSNA) From SysCsTab")), QStringLiteral("长的名字"));
}

KV_DB_KIND_TEST_SUITE(CKvDbCatalogTest);
