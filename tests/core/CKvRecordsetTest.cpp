// The untyped recordset on each back-end kind: rows added through bound
// values and read back by name, binary data of every byte value, the
// neutral values of missing fields, and failures.

#include "core/CKvDb.h"
#include "core/CKvRecordset.h"
#include "core/KvMessage.h"
#include "support/KvTestDb.h"
#include "support/KvTestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

namespace {
QByteArray everyByte() {
  QByteArray bytes;
  for (int i = 0; i < 256; ++i)
    bytes.append(char(i));
  return bytes;
}
}  // namespace

class CKvRecordsetTest : public KvDbKindTest {
 protected:
  void SetUp() override {
    KvDbKindTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    ASSERT_TRUE(db().Execute(QStringLiteral("Create Table R(K \x07Long\x08, N Double, S CHAR(20), B Image)")));
  }

  int count() { return db().GetLong(QStringLiteral("Select Count(*) From R")); }
};

TEST_P(CKvRecordsetTest, AddsRowsAndReadsThemBackByName) {
  // Quotes, backslashes and zero bytes must reach the engine as data.
  const QByteArray block = everyByte() + QByteArray("'\\'\0x", 5);
  QByteArray large(1 << 20, '\0');
  for (qsizetype i = 0; i < large.size(); ++i)
    large[i] = char(i * 7 + i / 256);
  {
    CKvRecordset rs(&db());
    ASSERT_TRUE(rs.Open(QStringLiteral("Select K,N,S,B From R")));
    EXPECT_TRUE(rs.IsEOF());
    ASSERT_TRUE(rs.AddNew());
    EXPECT_TRUE(rs.SetLong(QStringLiteral("K"), 1));
    EXPECT_TRUE(rs.SetDouble(QStringLiteral("n"), -1234.125));  // names ignore case
    EXPECT_TRUE(rs.SetText(QStringLiteral("S"), QStringLiteral("二年级 'a'\\")));
    EXPECT_TRUE(rs.SetBinary(QStringLiteral("B"), block));
    ASSERT_TRUE(rs.Update());
    // Other sets of fields use statements of their own.
    ASSERT_TRUE(rs.AddNew());
    EXPECT_TRUE(rs.SetLong(QStringLiteral("K"), 2));
    ASSERT_TRUE(rs.Update());
    ASSERT_TRUE(rs.AddNew());
    EXPECT_TRUE(rs.SetLong(QStringLiteral("K"), 3));
    EXPECT_TRUE(rs.SetBinary(QStringLiteral("B"), large));
    ASSERT_TRUE(rs.Update());
  }
  EXPECT_EQ(count(), 3);

  CKvRecordset rs(&db());
  ASSERT_TRUE(rs.Open(QStringLiteral("Select K,N,S,B From R Order By K")));
  ASSERT_FALSE(rs.IsEOF());
  EXPECT_EQ(rs.GetLong(QStringLiteral("k")), 1);
  EXPECT_EQ(rs.GetDouble(QStringLiteral("N")), -1234.125);
  EXPECT_EQ(rs.GetText(QStringLiteral("S")), QStringLiteral("二年级 'a'\\"));
  QByteArray data;
  EXPECT_TRUE(rs.GetBinary(QStringLiteral("B"), &data));
  EXPECT_EQ(data, block);
  rs.MoveNext();
  ASSERT_FALSE(rs.IsEOF());
  EXPECT_EQ(rs.GetLong(QStringLiteral("K")), 2);
  EXPECT_EQ(rs.GetDouble(QStringLiteral("N")), 0.0);
  EXPECT_EQ(rs.GetText(QStringLiteral("S")), QString());
  EXPECT_TRUE(rs.GetBinary(QStringLiteral("B"), &data));
  EXPECT_TRUE(data.isNull());
  rs.MoveNext();
  ASSERT_FALSE(rs.IsEOF());
  EXPECT_TRUE(rs.GetBinary(QStringLiteral("B"), &data));
  EXPECT_EQ(data, large);
  rs.MoveNext();
  EXPECT_TRUE(rs.IsEOF());
}

TEST_P(CKvRecordsetTest, ReadsTheFieldsOfRowsWrittenByStatements) {
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into R(K,N,S) Values(5, 2e18, '一二  ')")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into R(K,N) Values(6, -1e18)")));
  CKvRecordset rs(&db());
  ASSERT_TRUE(rs.Open(QStringLiteral("Select * From R Order By K")));
  ASSERT_FALSE(rs.IsEOF());
  EXPECT_EQ(rs.GetLong(QStringLiteral("K")), 5);
  EXPECT_EQ(rs.GetDouble(QStringLiteral("N")), 0.0);  // beyond 10^18
  EXPECT_EQ(rs.GetText(QStringLiteral("S")), QStringLiteral("一二"));
  // A NULL block gives no data.
  QByteArray data("x");
  EXPECT_TRUE(rs.GetBinary(QStringLiteral("B"), &data));
  EXPECT_TRUE(data.isNull());
  // A missing field gives the neutral values.
  EXPECT_EQ(rs.GetLong(QStringLiteral("Nope")), 0);
  EXPECT_EQ(rs.GetText(QStringLiteral("Nope")), QString());
  EXPECT_FALSE(rs.GetBinary(QStringLiteral("Nope"), &data));
  rs.MoveNext();
  EXPECT_EQ(rs.GetDouble(QStringLiteral("N")), -1e18);
  rs.MoveNext();
  EXPECT_TRUE(rs.IsEOF());
  EXPECT_EQ(rs.GetLong(QStringLiteral("K")), 0);
  EXPECT_FALSE(rs.GetBinary(QStringLiteral("B"), &data));
}

TEST_P(CKvRecordsetTest, EmptyBlockReadsAsNoData) {
  {
    CKvRecordset rs(&db());
    ASSERT_TRUE(rs.Open(QStringLiteral("Select K,B From R")));
    ASSERT_TRUE(rs.AddNew());
    rs.SetLong(QStringLiteral("K"), 1);
    rs.SetBinary(QStringLiteral("B"), QByteArray(""));
    ASSERT_TRUE(rs.Update());
  }
  EXPECT_EQ(db().GetLong(QStringLiteral("Select Count(*) From R Where B Is Not Null")), 1);
  CKvRecordset rs(&db());
  ASSERT_TRUE(rs.Open(QStringLiteral("Select B From R")));
  QByteArray data("x");
  EXPECT_TRUE(rs.GetBinary(QStringLiteral("B"), &data));
  EXPECT_TRUE(data.isNull());
}

TEST_P(CKvRecordsetTest, WritesNeedANewRowAndAFittingColumn) {
  CKvRecordset rs(&db());
  EXPECT_FALSE(rs.AddNew());  // not open
  ASSERT_TRUE(rs.Open(QStringLiteral("Select K,S From R")));
  EXPECT_FALSE(rs.SetLong(QStringLiteral("K"), 1));
  EXPECT_FALSE(rs.Update());
  ASSERT_TRUE(rs.AddNew());
  EXPECT_FALSE(rs.SetDouble(QStringLiteral("N"), 1.0));  // not selected
  EXPECT_TRUE(rs.SetText(QStringLiteral("S"), QStringLiteral("一二三四五六七八九十")));
  // 11 wide characters are 22 wide: more than CHAR(20) holds.
  EXPECT_FALSE(rs.SetText(QStringLiteral("S"), QStringLiteral("一二三四五六七八九十一")));
  EXPECT_TRUE(rs.SetLong(QStringLiteral("K"), 1));
  EXPECT_TRUE(rs.Update());
  EXPECT_FALSE(rs.Update());  // the new row was stored
  EXPECT_EQ(db().LookupText(QStringLiteral("Max(S) From R")), QStringLiteral("一二三四五六七八九十"));

  // Rows are added to a select of one table only.
  CKvRecordset joined(&db());
  ASSERT_TRUE(joined.Open(QStringLiteral("Select a.K From R a, R b")));
  EXPECT_FALSE(joined.AddNew());
  ASSERT_TRUE(joined.Open(QStringLiteral("Select a.K From R a Inner Join R b On a.K=b.K")));
  EXPECT_FALSE(joined.AddNew());
}

TEST_P(CKvRecordsetTest, RefusedRowIsUndoneAloneInsideATransaction) {
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Unique Index RK On R(K)")));
  ASSERT_TRUE(db().BeginTrans());
  CKvRecordset rs(&db());
  ASSERT_TRUE(rs.Open(QStringLiteral("Select K,S From R Where 1=0")));
  const QList<int> keys = {1, 1, 2};
  const QList<bool> stored = {true, false, true};
  for (qsizetype i = 0; i < keys.size(); ++i) {
    ASSERT_TRUE(rs.AddNew());
    rs.SetLong(QStringLiteral("K"), keys[i]);
    rs.SetText(QStringLiteral("S"), QStringLiteral("值"));
    EXPECT_EQ(rs.Update(), stored[i]) << i;
  }
  rs.Close();
  ASSERT_TRUE(db().CommitTrans());
  EXPECT_EQ(count(), 2);
}

TEST_P(CKvRecordsetTest, AddsRowsToQuotedTablesWithAnyColumnNames) {
  // Names that are keywords, begin with a digit or hold blanks and quotes.
  ASSERT_TRUE(db().Execute(QStringLiteral(
      "Create Table \"学生 (名单)\"(\"Order\" \x07Long\x08, \"1班\" CHAR(10), \"A\"\"B\" CHAR(10))")));
  CKvRecordset rs(&db());
  ASSERT_TRUE(rs.Open(QStringLiteral(
      "Select \"Order\",\"1班\",\"A\"\"B\" From \"学生 (名单)\" Where 1=0")));
  ASSERT_TRUE(rs.AddNew());
  EXPECT_TRUE(rs.SetLong(QStringLiteral("Order"), 7));
  EXPECT_TRUE(rs.SetText(QStringLiteral("1班"), QStringLiteral("O'Brien")));
  EXPECT_TRUE(rs.SetText(QStringLiteral("A\"B"), QStringLiteral("x")));
  // The catalogue still gives the declared widths.
  EXPECT_FALSE(rs.SetText(QStringLiteral("1班"), QStringLiteral("一二三四五六")));
  ASSERT_TRUE(rs.Update());
  rs.Close();
  ASSERT_TRUE(rs.Open(QStringLiteral("Select * From \"学生 (名单)\"")));
  ASSERT_FALSE(rs.IsEOF());
  EXPECT_EQ(rs.GetLong(QStringLiteral("Order")), 7);
  EXPECT_EQ(rs.GetText(QStringLiteral("1班")), QStringLiteral("O'Brien"));
  EXPECT_EQ(rs.GetText(QStringLiteral("A\"B")), QStringLiteral("x"));
}

TEST_P(CKvRecordsetTest, FailuresToOpenAreShown) {
  KvMessageRecorder recorder;
  CKvRecordset rs(&db());
  EXPECT_FALSE(rs.Open(QStringLiteral("Select Q From Missing Where S Like 'a\x07*\x08'")));
  EXPECT_TRUE(rs.IsEOF());
  ASSERT_EQ(recorder.messages().size(), 1);
  const QString shown = kind() == 0 ? QStringLiteral("Select Q From Missing Where S Like 'a*'")
                                    : QStringLiteral("Select Q From Missing Where S ILike 'a%'");
  EXPECT_EQ(recorder.last(), QStringLiteral("执行下列SQL语句时出错！\n") + shown);
  EXPECT_EQ(recorder.messages()[0].icon(), unsigned(KV_MB_ICONSTOP));

  // A statement left from a closed connection no longer runs.
  ASSERT_TRUE(rs.Open(QStringLiteral("Select K From R")));
  ASSERT_TRUE(rs.AddNew());
  rs.SetLong(QStringLiteral("K"), 1);
  ASSERT_TRUE(rs.Update());
  ASSERT_TRUE(rs.AddNew());
  rs.SetLong(QStringLiteral("K"), 2);
  db().Close();
  EXPECT_FALSE(rs.Update());
  EXPECT_FALSE(rs.Open(QStringLiteral("Select K From R")));
  EXPECT_TRUE(recorder.last().startsWith(kind() == 0 ? QStringLiteral("执行下列SQL语句时出错！\n")
                                                     : QStringLiteral("执行下列SQL语句时数据库未打开！\n")));
}

KV_DB_KIND_TEST_SUITE(CKvRecordsetTest);

TEST(KvFileTest, WritesAndReadsWholeFiles) {
  const QString path = QDir(KvTestHome()).filePath(QStringLiteral("image.bin"));
  const QByteArray bytes = everyByte().repeated(3);
  ASSERT_TRUE(KvWriteFile(path, bytes));
  QByteArray read;
  ASSERT_TRUE(KvReadFile(path, &read));
  EXPECT_EQ(read, bytes);
  // A shorter block truncates; a null block writes nothing.
  ASSERT_TRUE(KvWriteFile(path, QByteArray("ab")));
  EXPECT_FALSE(KvWriteFile(path, QByteArray()));
  ASSERT_TRUE(KvReadFile(path, &read));
  EXPECT_EQ(read, QByteArray("ab"));
  EXPECT_FALSE(KvReadFile(path + QStringLiteral(".missing"), &read));
  EXPECT_FALSE(KvWriteFile(QDir(KvTestHome()).filePath(QStringLiteral("no/such/folder/x")), bytes));
}
