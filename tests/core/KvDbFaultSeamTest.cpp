// The statement-failure seam on each back-end kind: exactly the n-th
// statement is refused as the engine refuses one, a transaction survives a
// refused statement, and a refused COMMIT or RELEASE leaves the work to be
// rolled back.

#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvDbTransaction.h"
#include "core/KvMessage.h"
#include "support/KvTestDb.h"

#include <gtest/gtest.h>

namespace {
QStringList valuesOfA(CKvDb& db) {
  QStringList values;
  db.QueryTexts(QStringLiteral("Select A From T Order By A"), &values, 1);
  return values;
}
}  // namespace

class KvDbFaultSeamTest : public KvDbKindTest {
 protected:
  void SetUp() override {
    KvDbKindTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    ASSERT_TRUE(db().Execute(QStringLiteral("Create Table T(A \x07Long\x08)")));
  }
  KvMessageRecorder m_recorder;
};

TEST_P(KvDbFaultSeamTest, OnlyTheNthStatementIsRefused) {
  db().FailNthStatement(2);
  EXPECT_TRUE(db().Execute(QStringLiteral("Insert Into T(A) Values(1)")));
  EXPECT_FALSE(db().Execute(QStringLiteral("Insert Into T(A) Values(2)")));
  CKvQuery query(1, 0, 0, &db());
  EXPECT_TRUE(query.Open(QStringLiteral("Select A From T")));
  EXPECT_EQ(db().GetStatementsSent(), 3);
  db().FailNthStatement(1);
  CKvQuery refused(1, 0, 0, &db());
  EXPECT_FALSE(refused.Open(QStringLiteral("Select A From T")));
  db().FailNthStatement(0);
  EXPECT_EQ(db().GetStatementsSent(), 0);
  EXPECT_EQ(valuesOfA(db()), QStringList{"1"});
}

TEST_P(KvDbFaultSeamTest, TransactionsSurviveARefusedStatement) {
  {
    db().FailNthStatement(3);
    KvDbTransaction transaction(db());  // 1: BEGIN
    EXPECT_TRUE(db().Execute(QStringLiteral("Insert Into T(A) Values(1)")));
    EXPECT_FALSE(db().Execute(QStringLiteral("Insert Into T(A) Values(2)")));
    EXPECT_TRUE(db().Execute(QStringLiteral("Insert Into T(A) Values(3)")));
    EXPECT_TRUE(transaction.Commit());
  }
  EXPECT_EQ(valuesOfA(db()), (QStringList{"1", "3"}));
  // A refused RELEASE: the inner work goes, the outer stays.
  {
    KvDbTransaction outer(db());
    EXPECT_TRUE(db().Execute(QStringLiteral("Insert Into T(A) Values(4)")));
    db().FailNthStatement(3);
    KvDbTransaction inner(db());  // 1: SAVEPOINT
    EXPECT_TRUE(db().Execute(QStringLiteral("Insert Into T(A) Values(5)")));
    EXPECT_FALSE(inner.Commit());  // 3: RELEASE
    EXPECT_TRUE(outer.Commit());
  }
  EXPECT_EQ(valuesOfA(db()), (QStringList{"1", "3", "4"}));
  // A refused COMMIT: nothing is kept, and the connection goes on.
  {
    db().FailNthStatement(3);
    KvDbTransaction transaction(db());
    EXPECT_TRUE(db().Execute(QStringLiteral("Insert Into T(A) Values(6)")));
    EXPECT_FALSE(transaction.Commit());
  }
  db().FailNthStatement(0);
  EXPECT_EQ(valuesOfA(db()), (QStringList{"1", "3", "4"}));
  EXPECT_TRUE(db().Execute(QStringLiteral("Insert Into T(A) Values(7)")));
}

KV_DB_KIND_TEST_SUITE(KvDbFaultSeamTest);
