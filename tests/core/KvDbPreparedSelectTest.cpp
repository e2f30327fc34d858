// Selects kept prepared on a connection, on each back-end kind: bound
// values, rows read by type and name, runs again with new values while
// earlier rows are still read, failures that leave the transaction usable,
// and the locked begin that runs one.

#include "core/CKvDb.h"
#include "core/KvDbBackend.h"
#include "core/KvPresenceLock.h"
#include "support/KvTestDb.h"

#include <gtest/gtest.h>

namespace {
constexpr auto kUsable = KvDbBackend::StatementFailure::kUndoneAlone;
constexpr auto kWhole = KvDbBackend::StatementFailure::kEndsTransaction;

// The rows of a rowset from its current one, each as "A:B:C" (C as a real,
// NULL as "-").
QStringList rowsOf(KvDbRowset& rows) {
  QStringList texts;
  for (; !rows.atEnd(); rows.next())
    texts.append(QStringLiteral("%1:%2:%3")
                     .arg(rows.integer(0))
                     .arg(KvDbTrimRight(rows.text(1)))
                     .arg(rows.isNull(2) ? QStringLiteral("-") : QString::number(rows.real(2))));
  return texts;
}
}  // namespace

class KvDbPreparedSelectTest : public KvDbKindTest {};

TEST_P(KvDbPreparedSelectTest, KeptSelectsRunAgainWithNewValues) {
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table T(A \x07Long\x08, B VARCHAR(20), C \x07Numeric(12,2)\x08)")));
  for (const char* row : {"1,'王''一',1.5", "2,'b',NULL", "3,'c',-2.25", "4,'王''一',0"})
    ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into T(A,B,C) Values(%1)").arg(QString::fromUtf8(row))));
  KvDbBackend* backend = db().GetBackend();
  const QString sql = QStringLiteral("Select A,B,C From T Where A>=? And B<>? Order By A");
  KvDbStatement* select = backend->keptStatement(sql, nullptr);
  ASSERT_NE(select, nullptr);
  EXPECT_EQ(backend->keptStatement(sql, nullptr), select);

  struct Case {
    int nFrom;
    QString strNot;
    QStringList rows;
  };
  const Case cases[] = {
      {1, QStringLiteral("b"), {"1:王'一:1.5", "3:c:-2.25", "4:王'一:0"}},
      {2, QStringLiteral("王'一"), {"2:b:-", "3:c:-2.25"}},
      {5, QStringLiteral("b"), {}},
  };
  std::unique_ptr<KvDbRowset> first;
  for (const Case& c : cases) {
    select->bindInteger(0, c.nFrom);
    select->bindText(1, c.strNot);
    std::unique_ptr<KvDbRowset> rows = select->select(nullptr);
    ASSERT_NE(rows, nullptr) << c.nFrom;
    EXPECT_EQ(rows->columnCount(), 3);
    EXPECT_EQ(rows->columnName(0).toUpper(), QStringLiteral("A"));
    if (!first) {
      first = std::move(rows);
      continue;
    }
    EXPECT_EQ(rowsOf(*rows), c.rows) << c.nFrom;
  }
  // The first rows stay readable after the statement ran again.
  EXPECT_EQ(rowsOf(*first), cases[0].rows);
  EXPECT_TRUE(first->isNull(0));
  EXPECT_EQ(first->text(1), QString());

  // Inside a transaction a failed select is undone alone: a table gone
  // since the statement was prepared.
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table Gone(A \x07Long\x08)")));
  KvDbStatement* gone = backend->keptStatement(QStringLiteral("Select A From Gone Where A>?"), nullptr);
  ASSERT_NE(gone, nullptr);
  ASSERT_TRUE(db().Execute(QStringLiteral("Drop Table Gone")));
  ASSERT_TRUE(db().BeginTrans());
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into T(A,B,C) Values(5,'e',5)")));
  gone->bindInteger(0, 0);
  QString error;
  EXPECT_EQ(gone->select(&error), nullptr);
  EXPECT_FALSE(error.isEmpty());
  select->bindInteger(0, 5);
  select->bindText(1, QString());
  std::unique_ptr<KvDbRowset> rows = select->select(nullptr);
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(rowsOf(*rows), QStringList{"5:e:5"});
  ASSERT_TRUE(db().CommitTrans());
  EXPECT_EQ(db().GetLong(QStringLiteral("Select Count(*) From T")), 5);

  // A bulk load gives no rows; a statement that outlives its connection
  // runs nothing.
  std::unique_ptr<KvDbStatement> load = backend->prepareBulkInsert(QStringLiteral("T"), {QStringLiteral("A")}, nullptr);
  ASSERT_NE(load, nullptr);
  EXPECT_EQ(load->select(nullptr), nullptr);
  load.reset();
  std::unique_ptr<KvDbStatement> own = backend->prepare(sql, nullptr);
  ASSERT_NE(own, nullptr);
  db().Close();
  error.clear();
  EXPECT_EQ(own->select(&error), nullptr);
  EXPECT_FALSE(error.isEmpty());
}

// The locked begin that runs a select in the transaction it opens: the
// select's rows or its failure in a usable transaction, a refused begin
// inside a transaction, and each of its two statements refused by the
// test seam.
TEST_P(KvDbPreparedSelectTest, LockedBeginRunsItsSelectInTheTransaction) {
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table T(A \x07Long\x08, B VARCHAR(20))")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into T(A,B) Values(1,'a')")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table Gone(A \x07Long\x08)")));
  KvDbBackend* backend = db().GetBackend();
  KvDbStatement* select = backend->keptStatement(QStringLiteral("Select A,B,Null From T Where A>=? Order By A"), nullptr);
  KvDbStatement* gone = backend->keptStatement(QStringLiteral("Select A From Gone Where A>?"), nullptr);
  ASSERT_NE(select, nullptr);
  ASSERT_NE(gone, nullptr);
  ASSERT_TRUE(db().Execute(QStringLiteral("Drop Table Gone")));
  select->bindInteger(0, 0);
  gone->bindInteger(0, 0);

  struct Case {
    const char* name;
    bool bGone;     // the select fails
    int nFailAt;    // the seam refuses this statement (0: none)
    bool bBegun;
    QStringList rows;
  };
  const Case cases[] = {
      {"rows", false, 0, true, {"1:a:-"}},
      {"select fails", true, 0, true, {}},
      {"begin refused", false, 1, false, {}},
      {"select refused", false, 2, true, {}},
  };
  for (const Case& c : cases) {
    db().FailNthStatement(c.nFailAt);
    std::unique_ptr<KvDbRowset> rows;
    QString error;
    KvDbBackend* current = db().GetBackend();
    const bool begun = current->beginLockedSelect(QStringLiteral("T"), c.bGone ? *gone : *select, &rows, &error, kUsable, nullptr);
    db().FailNthStatement(0);
    EXPECT_EQ(begun, c.bBegun) << c.name;
    EXPECT_EQ(db().TransactionDepth(), c.bBegun ? 1 : 0) << c.name;
    EXPECT_EQ(rows != nullptr, !c.rows.isEmpty()) << c.name;
    EXPECT_EQ(error.isEmpty(), !c.rows.isEmpty() || !c.bBegun) << c.name;
    if (rows) {
      EXPECT_EQ(rowsOf(*rows), c.rows) << c.name;
    }
    if (!begun)
      continue;
    // The transaction goes on after a failed select, and a begin inside it
    // is refused.
    std::unique_ptr<KvDbRowset> inner;
    EXPECT_FALSE(backend->beginLockedSelect(QStringLiteral("T"), *select, &inner, nullptr, kUsable, nullptr)) << c.name;
    EXPECT_EQ(inner, nullptr) << c.name;
    ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into T(A,B) Values(2,'b')"))) << c.name;
    ASSERT_TRUE(db().CommitTrans()) << c.name;
    ASSERT_TRUE(db().Execute(QStringLiteral("Delete From T Where A=2"))) << c.name;
  }
}

// A whole locked transaction: the work of its statements, kept statements
// and text alike, is committed as one, or undone as one by the rollback
// that follows a statement that failed in it (on PostgreSQL no savepoint
// stands before its statements).
TEST_P(KvDbPreparedSelectTest, WholeLockedTransactionIsKeptOrUndoneAsOne) {
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table T(A \x07Long\x08, B VARCHAR(20))")));
  KvDbBackend* backend = db().GetBackend();
  KvDbStatement* select = backend->keptStatement(QStringLiteral("Select Count(*),'',Null From T Where A>=?"), nullptr);
  KvDbStatement* insert = backend->keptStatement(QStringLiteral("Insert Into T(A,B) Values(?,?)"), nullptr);
  ASSERT_NE(select, nullptr);
  ASSERT_NE(insert, nullptr);
  select->bindInteger(0, 0);
  for (const bool bFails : {true, false}) {
    std::unique_ptr<KvDbRowset> rows;
    QString error;
    ASSERT_TRUE(backend->beginLockedSelect(QStringLiteral("T"), *select, &rows, &error, kWhole, nullptr)) << error.toStdString();
    ASSERT_NE(rows, nullptr) << error.toStdString();
    EXPECT_EQ(rowsOf(*rows), QStringList{"0::-"});
    insert->bindInteger(0, 1);
    insert->bindText(1, QStringLiteral("王"));
    EXPECT_TRUE(insert->run(&error)) << error.toStdString();
    EXPECT_TRUE(db().Execute(QStringLiteral("Insert Into T(A,B) Values(2,'b')")));
    if (bFails) {
      EXPECT_FALSE(db().Execute(QStringLiteral("Insert Into Missing(A) Values(3)"), QString(), 128, false));
      ASSERT_TRUE(db().Rollback());
    } else {
      ASSERT_TRUE(db().CommitTrans());
    }
    EXPECT_EQ(db().TransactionDepth(), 0);
    EXPECT_EQ(db().GetLong(QStringLiteral("Select Count(*) From T")), bFails ? 0 : 2) << bFails;
  }
}

// A server database copied or replaced while this process's sessions on it
// are away: keeping statements never stops the session from ending, and
// each kept one is prepared again in the session made anew.
TEST_P(KvDbPreparedSelectTest, KeptStatementsOutliveTheSessionBeingMadeAgain) {
  if (kind() == 0)
    GTEST_SKIP() << "an SQLite file has no session";
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table T(A \x07Long\x08, B VARCHAR(20))")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into T(A,B) Values(1,'a')")));
  const QString sql = QStringLiteral("Select A,B,Null From T Where A>=?");
  for (int round = 0; round < 2; ++round) {
    KvDbStatement* select = db().GetBackend()->keptStatement(sql, nullptr);
    ASSERT_NE(select, nullptr) << round;
    select->bindInteger(0, 0);
    QString error;
    std::unique_ptr<KvDbRowset> rows = select->select(&error);
    ASSERT_NE(rows, nullptr) << round << error.toStdString();
    EXPECT_EQ(rowsOf(*rows), QStringList{"1:a:-"}) << round;
    rows.reset();
    if (round == 0) {
      bool resumed = false;
      EXPECT_TRUE(KvRunWithoutServerSessions(db().GetBackend()->databaseName(), [] { return true; }, &resumed));
      EXPECT_TRUE(resumed);
    }
  }
  EXPECT_TRUE(db().ExecuteKept(QStringLiteral("Insert Into T(A,B) Values(?,'b')"),
                               [](KvDbStatement& insert) { insert.bindInteger(0, 2); }));
  EXPECT_EQ(db().GetLong(QStringLiteral("Select Count(*) From T")), 2);
}

KV_DB_KIND_TEST_SUITE(KvDbPreparedSelectTest);
