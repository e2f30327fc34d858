// The typed query on each back-end kind: values by type and index, trimming,
// NULLs, empty results and the messages of failures.

#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvMessage.h"
#include "support/KvTestDb.h"

#include <gtest/gtest.h>

namespace {
const QString kErrorHead = QStringLiteral("执行下列SQL语句时出错！\n");
}

class CKvQueryTest : public KvDbKindTest {
 protected:
  void SetUp() override {
    KvDbKindTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    ASSERT_TRUE(db().Execute(QStringLiteral(
        "Create Table T(K \x07Long\x08, N \x07Numeric(12,2)\x08, S CHAR(255), U CHAR(20))")));
  }
};

TEST_P(CKvQueryTest, ReadsRowsByTypeAndIndex) {
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into T(K,N,S,U) Values(1,1234.5,'一  ','a')")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into T(K,N,S,U) Values(-2,-0.25,'b\t','二 三 ')")));
  CKvQuery query(2, 1, 2, &db());
  ASSERT_TRUE(query.Open(QStringLiteral("Select K,K*10,N,S,U From T Order By K Desc")));
  ASSERT_FALSE(query.IsEOF());
  EXPECT_EQ(query.GetLong(0), 1);
  EXPECT_EQ(query.GetLong(1), 10);
  EXPECT_DOUBLE_EQ(query.GetDouble(0), 1234.5);
  // Trailing white space goes; leading and inner blanks stay.
  EXPECT_EQ(query.GetText(0), QStringLiteral("一"));
  EXPECT_EQ(query.GetText(1), QStringLiteral("a"));
  query.MoveNext();
  ASSERT_FALSE(query.IsEOF());
  EXPECT_EQ(query.GetLong(0), -2);
  EXPECT_DOUBLE_EQ(query.GetDouble(0), -0.25);
  EXPECT_EQ(query.GetText(0), QStringLiteral("b"));
  EXPECT_EQ(query.GetText(1), QStringLiteral("二 三"));
  query.MoveNext();
  EXPECT_TRUE(query.IsEOF());
  EXPECT_EQ(query.GetLong(0), 0);
  EXPECT_EQ(query.GetText(0), QString());
}

TEST_P(CKvQueryTest, PaddedTextOfFullWidthComesBackTrimmed) {
  const QString value = QStringLiteral("x").repeated(200) + QStringLiteral("   ");
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into T(K,S) Values(1,'") + value + QStringLiteral("')")));
  CKvQuery query(0, 0, 1, &db());
  ASSERT_TRUE(query.Open(QStringLiteral("Select S From T")));
  EXPECT_EQ(query.GetText(0), QStringLiteral("x").repeated(200));
}

TEST_P(CKvQueryTest, NullsReadAsZeroAndEmpty) {
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into T(K) Values(Null)")));
  CKvQuery query(1, 1, 1, &db());
  ASSERT_TRUE(query.Open(QStringLiteral("Select K,N,S From T")));
  ASSERT_FALSE(query.IsEOF());
  EXPECT_EQ(query.GetLong(0), 0);
  EXPECT_EQ(query.GetDouble(0), 0.0);
  EXPECT_EQ(query.GetText(0), QString());
  // An aggregate over no rows is NULL too.
  CKvQuery max(1, 1, 1, &db());
  ASSERT_TRUE(max.Open(QStringLiteral("Select Max(K),Max(N),Max(S) From T Where K=5")));
  EXPECT_EQ(max.GetLong(0), 0);
  EXPECT_EQ(max.GetDouble(0), 0.0);
  EXPECT_EQ(max.GetText(0), QString());
}

TEST_P(CKvQueryTest, EmptyResultOpensAtItsEnd) {
  KvMessageRecorder recorder;
  CKvQuery query(1, 1, 1, &db());
  EXPECT_TRUE(query.IsEOF());  // before Open
  ASSERT_TRUE(query.Open(QStringLiteral("Select K,N,S From T")));
  EXPECT_TRUE(query.IsEOF());
  EXPECT_EQ(query.GetLong(0), 0);
  EXPECT_EQ(query.GetDouble(0), 0.0);
  EXPECT_EQ(query.GetText(0), QString());
  query.MoveNext();
  EXPECT_TRUE(query.IsEOF());
  EXPECT_TRUE(recorder.messages().isEmpty());
}

TEST_P(CKvQueryTest, ServerTextRunsOnTheServerKinds) {
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into T(K,S) Values(1,'abcdef')")));
  CKvQuery query(0, 0, 1, &db());
  // Mid reaches the server as substring; an explicit server text wins there.
  ASSERT_TRUE(query.Open(QStringLiteral("Select Mid(S,2,3) From T")));
  EXPECT_EQ(query.GetText(0), QStringLiteral("bcd"));
  CKvQuery both(0, 0, 1, &db());
  ASSERT_TRUE(both.Open(QStringLiteral("Select 'jet' From T"), QStringLiteral("Select 'server' From T")));
  EXPECT_EQ(both.GetText(0), kind() == 0 ? QStringLiteral("jet") : QStringLiteral("server"));
}

TEST_P(CKvQueryTest, IndexBeyondTheDeclaredCountIsReported) {
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into T(K,N,S) Values(7,1.5,'s')")));
  KvMessageRecorder recorder;
  CKvQuery query(1, 1, 1, &db());
  ASSERT_TRUE(query.Open(QStringLiteral("Select K,N,S From T")));
  EXPECT_EQ(query.GetLong(1), 0);
  EXPECT_EQ(query.GetDouble(-1), 0.0);
  EXPECT_EQ(query.GetText(3), QString());
  EXPECT_EQ(recorder.texts(), (QStringList{QStringLiteral("执行查询时，第1个整数值超界！"),
                                           QStringLiteral("执行查询时，第-1个小数值超界！"),
                                           QStringLiteral("执行查询时，第3个字符值超界！")}));
  EXPECT_EQ(recorder.messages().front().icon(), unsigned(KV_MB_ICONSTOP));
  // The query stays usable.
  EXPECT_EQ(query.GetLong(0), 7);
  EXPECT_EQ(query.GetText(0), QStringLiteral("s"));
}

TEST_P(CKvQueryTest, RefusedSelectIsReportedWithTheTranslatedText) {
  KvMessageRecorder recorder;
  CKvQuery query(1, 0, 0, &db());
  const QString sql = QStringLiteral("Select K From NoSuchTable Where S Like 'a\x07*\x08'");
  EXPECT_FALSE(query.Open(sql));
  EXPECT_TRUE(query.IsEOF());
  ASSERT_EQ(recorder.messages().size(), 1);
  const QString ran = kind() == 0 ? QStringLiteral("Select K From NoSuchTable Where S Like 'a*'")
                                  : QStringLiteral("Select K From NoSuchTable Where S ILike 'a%'");
  if (kind() == 2) {
    EXPECT_TRUE(recorder.last().endsWith(u'\n' + kErrorHead + ran)) << recorder.last().toStdString();
    EXPECT_FALSE(recorder.last().startsWith(u'\n'));
  } else {
    EXPECT_EQ(recorder.last(), kErrorHead + ran);
  }
}

TEST_P(CKvQueryTest, SelectWithFewerColumnsThanDeclaredFails) {
  KvMessageRecorder recorder;
  CKvQuery query(2, 0, 0, &db());
  EXPECT_FALSE(query.Open(QStringLiteral("Select K From T")));
  EXPECT_EQ(recorder.messages().size(), 1);
}

TEST_P(CKvQueryTest, ClosedConnectionIsReportedExceptOnKind2) {
  db().Close();
  KvMessageRecorder recorder;
  CKvQuery query(1, 0, 0, &db());
  EXPECT_FALSE(query.Open(QStringLiteral("Select K From T")));
  EXPECT_TRUE(query.IsEOF());
  if (kind() == 2)
    EXPECT_TRUE(recorder.messages().isEmpty());
  else
    EXPECT_EQ(recorder.texts(), QStringList{QStringLiteral("执行下列SQL语句时数据库未打开！\nSelect K From T")});
}

TEST_P(CKvQueryTest, QueryOutlivingItsConnectionIsHarmless) {
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into T(K) Values(1)")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into T(K) Values(2)")));
  CKvQuery query(1, 0, 0, &db());
  ASSERT_TRUE(query.Open(QStringLiteral("Select K From T Order By K")));
  EXPECT_EQ(query.GetLong(0), 1);
  db().Close();
  // The values read stay; the query is destroyed after the connection.
  EXPECT_EQ(query.GetLong(0), 1);
}

KV_DB_KIND_TEST_SUITE(CKvQueryTest);
