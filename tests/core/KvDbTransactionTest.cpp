// Transactions that must keep all or nothing: the guard, texts of several
// statements, statements that end the transaction themselves, an SQLite
// file whose engine rolls the transaction back (a full file), and a server
// session that dies inside a transaction.

#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvBeforeTransaction.h"
#include "core/KvCopyTable.h"
#include "core/KvDbBackend.h"
#include "core/KvDbSnapshot.h"
#include "core/KvDbTransaction.h"
#include "core/KvLockWaitHook.h"
#include "core/KvMessage.h"
#include "support/KvTestDb.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {
QList<int> valuesOfA(CKvDb& db) {
  QList<int> values;
  CKvQuery query(1, 0, 0, &db);
  if (query.Open(QStringLiteral("Select A From T Order By A")))
    for (; !query.IsEOF(); query.MoveNext())
      values.append(query.GetLong(0));
  return values;
}

bool insert(CKvDb& db, int value) {
  return db.Execute(QStringLiteral("Insert Into T(A) Values(") + QString::number(value) + u')');
}
}  // namespace

class KvDbTransactionTest : public KvDbKindTest {
 protected:
  void SetUp() override {
    KvDbKindTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    ASSERT_TRUE(db().Execute(QStringLiteral("Create Table T(A \x07Long\x08)")));
  }
};

TEST_P(KvDbTransactionTest, GuardKeepsOnlyWhatWasCommitted) {
  {
    KvDbTransaction outer(db());
    ASSERT_TRUE(outer.IsActive());
    ASSERT_TRUE(insert(db(), 1));
    {
      KvDbTransaction dropped(db());  // an early return: undone alone
      ASSERT_TRUE(insert(db(), 2));
    }
    {
      KvDbTransaction kept(db());
      ASSERT_TRUE(insert(db(), 3));
      EXPECT_TRUE(kept.Commit());
      EXPECT_FALSE(kept.Commit());  // once only
    }
    EXPECT_EQ(db().TransactionDepth(), 1);
    EXPECT_TRUE(outer.Commit());
  }
  EXPECT_EQ(db().TransactionDepth(), 0);
  {
    KvDbTransaction undone(db());
    ASSERT_TRUE(insert(db(), 4));
    KvDbTransaction inner(db());
    ASSERT_TRUE(insert(db(), 5));
    EXPECT_TRUE(inner.Commit());  // the outer level's rollback takes it too
  }
  EXPECT_EQ(db().TransactionDepth(), 0);
  EXPECT_EQ(valuesOfA(db()), (QList<int>{1, 3}));
}

// A text of several statements is all or nothing on every kind, inside a
// transaction and outside one.
TEST_P(KvDbTransactionTest, TextOfSeveralStatementsIsAllOrNothing) {
  KvMessageRecorder recorder;
  const QString failing =
      QStringLiteral("Insert Into T(A) Values(1); Insert Into NoSuchTable(A) Values(2)");
  EXPECT_FALSE(db().Execute(failing));
  EXPECT_TRUE(valuesOfA(db()).isEmpty());
  EXPECT_TRUE(db().Execute(QStringLiteral("Insert Into T(A) Values(3);\nInsert Into T(A) Values(4);")));
  EXPECT_EQ(db().GetRowCount(), 2);

  ASSERT_TRUE(db().BeginTrans());
  ASSERT_TRUE(insert(db(), 5));
  EXPECT_FALSE(db().Execute(failing));
  EXPECT_EQ(db().TransactionDepth(), 1);
  ASSERT_TRUE(insert(db(), 6));
  EXPECT_TRUE(db().CommitTrans());
  EXPECT_EQ(valuesOfA(db()), (QList<int>{3, 4, 5, 6}));
  EXPECT_EQ(recorder.messages().size(), 2);
}

// The locked begin and the statements kept for the connection: a kept
// statement is prepared once and tells the rows it inserted; a locked begin
// is one statement, refused inside a transaction and leaving none open when
// it fails.
TEST_P(KvDbTransactionTest, LockedBeginAndKeptStatementsCountTheirRows) {
  const QString sql = QStringLiteral("Insert Into T(A) Select CAST(? AS INTEGER) Where Not Exists(Select 1 From T Where A=?)");
  {
    KvDbTransaction transaction(db(), QStringLiteral("T"));
    ASSERT_TRUE(transaction.IsActive());
    EXPECT_EQ(db().TransactionDepth(), 1);
    KvDbTransaction nested(db(), QStringLiteral("T"));
    EXPECT_FALSE(nested.IsActive());
    EXPECT_EQ(db().TransactionDepth(), 1);
    KvDbStatement* statement = db().GetBackend()->keptStatement(sql, nullptr);
    ASSERT_NE(statement, nullptr);
    EXPECT_EQ(db().GetBackend()->keptStatement(sql, nullptr), statement);
    const struct {
      int value;
      int rows;
    } runs[] = {{5, 1}, {5, 0}, {6, 1}};
    for (const auto& run : runs) {
      statement->bindInteger(0, run.value);
      statement->bindInteger(1, run.value);
      ASSERT_TRUE(statement->run(nullptr)) << run.value;
      EXPECT_EQ(statement->rowsAffected(), run.rows) << run.value;
    }
    EXPECT_TRUE(transaction.Commit());
  }
  EXPECT_EQ(valuesOfA(db()), (QList<int>{5, 6}));

  db().FailNthStatement(1);
  {
    KvDbTransaction refused(db(), QStringLiteral("T"));
    EXPECT_FALSE(refused.IsActive());
  }
  EXPECT_EQ(db().GetStatementsSent(), 1);
  db().FailNthStatement(0);
  EXPECT_EQ(db().TransactionDepth(), 0);
}

// Every begin runs the before-transaction function once. On a server a year carried since the connection read its
// mark refuses under the first lock of a table other than the log's (at the commit when it locked none and wrote
// one), rolled back, then told; a single write outside a transaction runs in one of its own and meets the same check
// and keeps its row count. A table dropped counts, also one whose log-table name another table took. Not refused: a
// transaction or a statement that writes only the log (a text long enough for the log's TOAST table too) or writes
// the mark, a connection that read the year as carried or read no mark.
TEST_P(KvDbTransactionTest, EveryBeginRunsTheHookAndACarriedYearRefusesUnderTheLock) {
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table SysTab(MM \x07Long\x08);Insert Into SysTab(MM) Values(12);"
                                          "Create Table KvLog(A \x07Long\x08,S Text)")));
  int hooks = 0;
  struct Hook { KvBeforeTransactionFn previous; ~Hook() { KvSetBeforeTransaction(previous); } };  // removed also on a failure
  const Hook hook{KvSetBeforeTransaction([&](CKvDb&) { return ++hooks > 0; })};
  const std::unique_ptr<KvDbStatement> select = db().GetBackend()->prepare(QStringLiteral("Select A From T"), nullptr);
  const QString t = QStringLiteral("Insert Into T(A) Values(7)");
  const QString log = QStringLiteral("Insert Into KvLog(A) Values(7)");
  const QString mark = QStringLiteral("Update SysTab Set MM=12");
  QString noise;  // too long for the log's row even compressed: it goes to the TOAST table
  for (quint32 i = 1; noise.size() < 20000; ++i)
    noise += QString::number(i * 2654435761u, 36);
  const QString longLog = QStringLiteral("Insert Into KvLog(A,S) Values(7,'%1')").arg(noise);
  const QString drop = QStringLiteral("Drop Table T");
  const QString renamed = QStringLiteral("Drop Table KvLog;Alter Table T Rename To KvLog");
  const struct {
    int begin;  // plain, locked, locked select, none
    QString lock;
    bool writesMark;
    int baseline;
    QString write;
    bool refused;
  } rows[] = {{0, "", false, 0, t, true},        {0, "KvLog", false, 0, log, false}, {0, "KvLog", false, 0, t, true},
              {0, "", false, 0, log, false},     {0, "", false, 0, "", false},       {0, "T", false, 0, t, true},
              {0, "T", true, 0, t, false},       {1, "", false, 0, t, true},         {2, "", false, 0, t, true},
              {0, "T", false, 12, t, false},     {1, "", false, -1, t, false},       {3, "", false, 0, t, true},
              {3, "", false, 0, log, false},     {3, "", false, 0, mark, false},     {3, "", false, 12, t, false},
              {0, "", false, 0, longLog, false}, {0, "", false, 0, drop, true},      {0, "", false, 0, renamed, true}};
  int kept = 0;
  for (const auto& row : rows) {
    if (kind() == 0 && (row.write == drop || row.write == renamed))
      continue;  // never refused on a data file
    KvMessageRecorder recorder;
    db().SetCarriedBaseline(row.baseline);
    hooks = 0;
    std::unique_ptr<KvDbRowset> read;
    std::optional<KvDbTransaction> transaction;
    row.begin == 0 ? void(transaction.emplace(db())) : row.begin == 1 ? void(transaction.emplace(db(), QStringLiteral("T")))
                   : row.begin == 2 ? void(transaction.emplace(db(), QStringLiteral("T"), *select, &read, nullptr)) : void();
    if (row.writesMark)
      db().SkipCarriedCheck();
    const bool ok = (!transaction || transaction->IsActive()) && (row.lock.isEmpty() || db().LockTable(row.lock)) &&
                    (row.write.isEmpty() || db().Execute(row.write)) && (!transaction || transaction->Commit());
    const bool refused = row.refused && kind() != 0;
    kept += !refused && row.write == t ? 1 : 0;
    EXPECT_EQ(ok, !refused) << row.lock.toStdString() << row.begin << row.write.left(60).toStdString();
    EXPECT_EQ(recorder.texts(), refused ? QStringList{"本年度数据已结转到新年度，不能再保存！"} : QStringList());
    const bool begun = transaction || (kind() != 0 && row.write == t && row.baseline == 0);
    EXPECT_EQ(hooks + db().TransactionDepth(), begun ? 1 : 0) << row.begin;
    if (!transaction) {
      EXPECT_EQ(db().GetRowCount(), refused ? 0 : 1) << row.write.toStdString();
    }
  }
  EXPECT_EQ(valuesOfA(db()), QList<int>(kept, 7));
  db().SetCarriedBaseline(0);  // a connection opened beside db() goes by its reading, not by the mark it finds
  CKvDb beside;
  ASSERT_TRUE(beside.OpenBeside(db()));
  KvDbTransaction besides(beside);
  EXPECT_EQ(beside.Execute(t) && besides.Commit(), kind() == 0);
}

// A data file's commit under another connection's snapshot (a backup), with
// or without its last statement: it waits, shown, gives up, says why, keeps nothing.
TEST_P(KvDbTransactionTest, ACommitUnderAnotherConnectionsSnapshotGivesUpAndSaysWhy) {
  if (kind() != 0)
    GTEST_SKIP() << "a server's commit does not wait for its readers";
  CKvDb reader;
  ASSERT_TRUE(testDb().OpenAnother(reader));
  const QString sql = QStringLiteral("Insert Into T(A) Values(2)");
  QList<bool> shown;
  const KvLockWaitFn previous = KvSetLockWaitHandler([&shown](bool waiting) { shown.append(waiting); });
  for (const bool withStatement : {false, true}) {
    KvMessageRecorder recorder;
    shown.clear();
    KvDbSnapshot snapshot(reader);
    KvDbTransaction transaction(db(), QStringLiteral("T"));
    std::unique_ptr<KvDbStatement> statement = db().GetBackend()->prepare(sql, nullptr);
    EXPECT_FALSE(withStatement ? transaction.CommitWith(*statement, sql) : insert(db(), 1) && transaction.Commit());
    EXPECT_EQ(recorder.texts(), QStringList{QStringLiteral(
                                    "数据正被另一工作站锁定（其修改尚未提交），等待10秒后已放弃，本次操作未作任何修改！")});
    EXPECT_EQ(shown, (QList<bool>{true, false}));
  }
  KvSetLockWaitHandler(previous);
  EXPECT_TRUE(valuesOfA(db()).isEmpty());
}

KV_DB_KIND_TEST_SUITE(KvDbTransactionTest);

class KvDbTransactionControlTest : public KvDbTransactionTest {};

// A statement that ends or begins the transaction itself takes the
// connection's transactions with it. (Through ODBC the driver keeps a
// transaction state of its own, which such a text leaves behind: the
// program never runs one there.)
TEST_P(KvDbTransactionControlTest, StatementsThatEndTheTransactionAreFollowed) {
  KvMessageRecorder recorder;
  CKvDb other;
  ASSERT_TRUE(testDb().OpenAnother(other));
  ASSERT_TRUE(db().BeginTrans());
  ASSERT_TRUE(db().BeginTrans());
  ASSERT_TRUE(insert(db(), 1));
  EXPECT_TRUE(db().Execute(QStringLiteral("Commit")));
  EXPECT_EQ(db().TransactionDepth(), 0);
  EXPECT_EQ(valuesOfA(other), QList<int>{1});
  EXPECT_FALSE(db().CommitTrans());

  EXPECT_TRUE(db().Execute(QStringLiteral("Begin")));
  EXPECT_EQ(db().TransactionDepth(), 1);
  ASSERT_TRUE(insert(db(), 2));
  // A failed statement is still undone alone.
  EXPECT_FALSE(db().Execute(QStringLiteral("Insert Into NoSuchTable(A) Values(3)")));
  ASSERT_TRUE(insert(db(), 4));
  EXPECT_EQ(valuesOfA(other), QList<int>{1});
  EXPECT_TRUE(db().CommitTrans());
  EXPECT_EQ(valuesOfA(other), (QList<int>{1, 2, 4}));
  // The failed statement and the commit with nothing to commit.
  EXPECT_EQ(recorder.messages().size(), 2);
}

INSTANTIATE_TEST_SUITE_P(Kinds, KvDbTransactionControlTest, ::testing::Values(0, 2), KvDbKindName);

// --- an SQLite file that fills up ---

namespace {
// Lets the file grow by a few pages at most, on this connection.
void limitFileGrowth(CKvDb& db) {
  const int pages = db.GetLong(QStringLiteral("PRAGMA page_count"));
  ASSERT_GT(pages, 0);
  ASSERT_TRUE(db.Execute(QStringLiteral("PRAGMA max_page_count=") + QString::number(pages + 3)));
}

// Inserts wide rows until the file is full; true when it filled up.
bool fillUp(CKvDb& db) {
  const QString wide = QString(3000, u'x');
  for (int i = 0; i < 100; ++i) {
    if (!db.Execute(QStringLiteral("Insert Into W(B) Values('") + wide + QStringLiteral("')")))
      return true;
  }
  return false;
}
}  // namespace

class KvDbFullFileTest : public KvDbKindTest {};

TEST_P(KvDbFullFileTest, TransactionTheEngineRolledBackStaysBroken) {
  KvMessageRecorder recorder;
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table T(A \x07Long\x08)")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table W(B TEXT)")));
  limitFileGrowth(db());
  {
    KvDbTransaction outer(db());
    ASSERT_TRUE(insert(db(), 1));
    {
      KvDbTransaction inner(db());
      ASSERT_TRUE(fillUp(db()));
      // The engine has undone the whole transaction: nothing of it may now
      // be written on its own, outside it.
      EXPECT_FALSE(insert(db(), 2));
      EXPECT_FALSE(inner.Commit());
      EXPECT_EQ(db().TransactionDepth(), 1);  // the inner level is closed
    }
    EXPECT_FALSE(insert(db(), 3));
    EXPECT_FALSE(db().CommitTrans());
    EXPECT_EQ(db().TransactionDepth(), 1);  // only a rollback ends it
    EXPECT_FALSE(outer.Commit());
    EXPECT_EQ(db().TransactionDepth(), 0);
  }
  EXPECT_TRUE(valuesOfA(db()).isEmpty());
  EXPECT_EQ(db().GetLong(QStringLiteral("Select Count(*) From W")), 0);
  // The connection goes on.
  EXPECT_TRUE(insert(db(), 4));
  EXPECT_EQ(valuesOfA(db()), QList<int>{4});
}

TEST_P(KvDbFullFileTest, CopyIntoAFullFileStoresNothing) {
  KvMessageRecorder recorder;
  KvTestDb source(0);
  KV_CREATE_TEST_DB(source);
  for (CKvDb* each : {&source.db(), &db()})
    ASSERT_TRUE(each->Execute(QStringLiteral("Create Table W(N \x07Long\x08, B TEXT)")));
  const QString wide = QString(250, u'y');
  for (int i = 0; i < 200; ++i)
    ASSERT_TRUE(source.db().Execute(QStringLiteral("Insert Into W(N,B) Values(") + QString::number(i) +
                                    QStringLiteral(",'") + wide + QStringLiteral("')")));
  limitFileGrowth(db());
  EXPECT_EQ(KvCopyTable(&source.db(), &db(), QStringLiteral("W")), 0);
  EXPECT_EQ(db().TransactionDepth(), 0);
  EXPECT_EQ(db().GetLong(QStringLiteral("Select Count(*) From W")), 0);
  EXPECT_TRUE(recorder.messages().isEmpty()) << recorder.last().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Kinds, KvDbFullFileTest, ::testing::Values(0), KvDbKindName);

// --- a server session that dies ---

namespace {
// Ends, from a session of its own, every other client session on the
// database (an autovacuum worker visiting it belongs to the server and may
// not be ended by the test's role).
void endSessionsOn(const QString& database) {
  CKvDb admin(2);
  ASSERT_TRUE(admin.Open(QStringLiteral("master"), KvTestDb::ServerInfo(2)));
  ASSERT_TRUE(admin.GetBackend()->execute(
      QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname='") +
          database + QStringLiteral("' AND pid<>pg_backend_pid() AND backend_type='client backend'"),
      nullptr));
}
}  // namespace

class KvDbLostSessionTest : public KvDbKindTest {};

TEST_P(KvDbLostSessionTest, CommitAfterTheSessionEndedFails) {
  KvMessageRecorder recorder;
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table T(A \x07Long\x08)")));
  ASSERT_TRUE(db().BeginTrans());
  ASSERT_TRUE(insert(db(), 1));
  endSessionsOn(testDb().name());
  EXPECT_FALSE(insert(db(), 2));
  EXPECT_FALSE(db().CommitTrans());
  EXPECT_FALSE(db().IsOpen());
  EXPECT_FALSE(db().BeginTrans());  // no later transaction "succeeds"
  CKvDb fresh;
  ASSERT_TRUE(testDb().OpenAnother(fresh));
  EXPECT_TRUE(valuesOfA(fresh).isEmpty());
}

TEST_P(KvDbLostSessionTest, CopyIntoATargetWhoseSessionDiesStoresNothing) {
  KvMessageRecorder recorder;
  KvTestDb source(0);
  KV_CREATE_TEST_DB(source);
  for (CKvDb* each : {&source.db(), &db()})
    ASSERT_TRUE(each->Execute(QStringLiteral("Create Table T(A \x07Long\x08)")));
  for (int i = 1; i <= 6; ++i)
    ASSERT_TRUE(insert(source.db(), i));
  // The target's own session ends when the third row arrives.
  ASSERT_TRUE(db().GetBackend()->execute(
      QStringLiteral("CREATE FUNCTION kv_end_session() RETURNS trigger AS $$ BEGIN "
                     "IF NEW.a=3 THEN PERFORM pg_terminate_backend(pg_backend_pid()); END IF; "
                     "RETURN NEW; END $$ LANGUAGE plpgsql"),
      nullptr));
  ASSERT_TRUE(db().GetBackend()->execute(
      QStringLiteral("CREATE TRIGGER kv_end BEFORE INSERT ON t FOR EACH ROW "
                     "EXECUTE FUNCTION kv_end_session()"),
      nullptr));
  EXPECT_EQ(KvCopyTable(&source.db(), &db(), QStringLiteral("T")), 0);
  EXPECT_FALSE(db().IsOpen());
  CKvDb fresh;
  ASSERT_TRUE(testDb().OpenAnother(fresh));
  EXPECT_TRUE(valuesOfA(fresh).isEmpty());
}

TEST_P(KvDbLostSessionTest, TheLossIsToldOnceAndItsStatementsSayNoMore) {
  // Each way a statement can be the first to find the session gone.
  const struct {
    const char* name;
    std::function<bool(CKvDb&)> before;  // while the session still stands
    std::function<bool(CKvDb&)> first;
  } cases[] = {
      {"execute", nullptr, [](CKvDb& db) { return insert(db, 7); }},
      {"typed select", nullptr,
       [](CKvDb& db) { return CKvQuery(1, 0, 0, &db).Open(QStringLiteral("Select A From T")); }},
      {"kept statement", nullptr,
       [](CKvDb& db) {
         return db.ExecuteKept(QStringLiteral("Insert Into T(A) Values(?)"),
                               [](KvDbStatement& statement) { statement.bindInteger(0, 8); });
       }},
      {"commit", [](CKvDb& db) { return db.BeginTrans() && insert(db, 9); },
       [](CKvDb& db) { return db.CommitTrans(); }},
  };
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table T(A \x07Long\x08)")));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CKvDb session;
    ASSERT_TRUE(testDb().OpenAnother(session));
    int told = 0;
    const KvConnectionLostFn previous = KvSetConnectionLostHandler([&](CKvDb& lost) {
      EXPECT_EQ(&lost, &session);
      ++told;
      return true;
    });
    KvMessageRecorder recorder;
    // A statement the server refuses is no loss: reported, the session goes on.
    EXPECT_FALSE(session.Execute(QStringLiteral("Insert Into NoSuchTable(A) Values(1)")));
    EXPECT_EQ(recorder.messages().size(), 1);
    EXPECT_EQ(told, 0);
    EXPECT_FALSE(session.IsLost());
    ASSERT_TRUE(session.IsOpen());

    recorder.clear();
    if (c.before) {
      ASSERT_TRUE(c.before(session));
    }
    endSessionsOn(testDb().name());
    EXPECT_FALSE(c.first(session));
    EXPECT_EQ(told, 1);
    EXPECT_TRUE(session.IsLost());
    EXPECT_FALSE(session.IsOpen());
    // Every later statement fails at once, unreported, and is not told again.
    EXPECT_FALSE(insert(session, 10));
    EXPECT_FALSE(CKvQuery(1, 0, 0, &session).Open(QStringLiteral("Select A From T")));
    EXPECT_FALSE(session.BeginTrans());
    EXPECT_EQ(told, 1);
    EXPECT_TRUE(recorder.messages().isEmpty()) << recorder.last().toStdString();

    // Opened again, the connection is no longer lost.
    ASSERT_TRUE(testDb().OpenAnother(session));
    EXPECT_FALSE(session.IsLost());
    KvSetConnectionLostHandler(previous);
  }
  // No handler takes the loss on: the failure is reported as any other.
  CKvDb session;
  ASSERT_TRUE(testDb().OpenAnother(session));
  const KvConnectionLostFn previous = KvSetConnectionLostHandler([](CKvDb&) { return false; });
  KvMessageRecorder recorder;
  endSessionsOn(testDb().name());
  EXPECT_FALSE(insert(session, 11));
  EXPECT_FALSE(session.IsLost());
  EXPECT_EQ(recorder.messages().size(), 1);
  KvSetConnectionLostHandler(previous);
  CKvDb fresh;
  ASSERT_TRUE(testDb().OpenAnother(fresh));
  EXPECT_TRUE(valuesOfA(fresh).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Kinds, KvDbLostSessionTest, ::testing::Values(1, 2), KvDbKindName);
