// The connection on each back-end kind: statements, rows touched, failure
// reports, nested transactions, connect information.

#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvDbBackend.h"
#include "core/KvMessage.h"
#include "support/KvTestDb.h"
#include "support/KvTestEnv.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSysInfo>


namespace {
const QString kErrorHead = QStringLiteral("执行下列SQL语句时出错！\n");

// The values of column A of table T, in order.
QList<int> valuesOfA(CKvDb& db) {
  QList<int> values;
  CKvQuery query(1, 0, 0, &db);
  if (query.Open(QStringLiteral("Select A From T Order By A")))
    for (; !query.IsEOF(); query.MoveNext())
      values.append(query.GetLong(0));
  return values;
}
}  // namespace

class CKvDbTest : public KvDbKindTest {};

TEST_P(CKvDbTest, StatementsTouchRowsAndKeepTheCount) {
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table T(A \x07Long\x08, B CHAR(10))")));
  EXPECT_TRUE(db().Execute(QStringLiteral("Insert Into T(A,B) Values(1,'x')")));
  EXPECT_EQ(db().GetRowCount(), 1);
  EXPECT_TRUE(db().Execute(QStringLiteral("Insert Into T(A,B) Values(2,'y')")));
  EXPECT_TRUE(db().Execute(QStringLiteral("Update T Set B='z'")));
  EXPECT_EQ(db().GetRowCount(), 2);
  // A statement that touches nothing counts 0, not the previous count.
  EXPECT_TRUE(db().Execute(QStringLiteral("Delete From T Where A=99")));
  EXPECT_EQ(db().GetRowCount(), 0);
  EXPECT_TRUE(db().Execute(QStringLiteral("Delete From T Where A=1")));
  EXPECT_EQ(db().GetRowCount(), 1);
  // Transaction control and selects leave the count of the last statement.
  ASSERT_TRUE(db().BeginTrans());
  ASSERT_TRUE(db().BeginTrans());
  EXPECT_EQ(valuesOfA(db()), QList<int>{2});
  EXPECT_TRUE(db().Rollback());
  EXPECT_EQ(db().GetRowCount(), 1);
  EXPECT_TRUE(db().CommitTrans());
  EXPECT_EQ(db().GetRowCount(), 1);
}

TEST_P(CKvDbTest, JetTextServesTheServerUnlessAServerTextIsGiven) {
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table T(A \x07Long\x08)")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into T(A) Values(1)"), QString()));
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into T(A) Values(10)"),
                           QStringLiteral("Insert Into T(A) Values(20)")));
  EXPECT_EQ(valuesOfA(db()), (QList<int>{1, kind() == 0 ? 10 : 20}));
}

TEST_P(CKvDbTest, FailedStatementIsReportedAsItRan) {
  KvMessageRecorder recorder;
  const QString sql = QStringLiteral("Insert Into NoSuchTable(A) Values(1)");
  EXPECT_FALSE(db().Execute(sql));
  ASSERT_EQ(recorder.messages().size(), 1);
  const KvMessage& message = recorder.messages().front();
  EXPECT_EQ(message.icon(), unsigned(KV_MB_ICONSTOP));
  if (kind() == 2) {
    // The server's own text and a line break come first.
    EXPECT_TRUE(message.text.endsWith(u'\n' + kErrorHead + sql)) << message.text.toStdString();
    EXPECT_TRUE(message.text.contains(QStringLiteral("nosuchtable"))) << message.text.toStdString();
  } else {
    EXPECT_EQ(message.text, kErrorHead + sql);
  }
  // The statement shown is the one that ran: translated.
  recorder.clear();
  EXPECT_FALSE(db().Execute(QStringLiteral("Alter Table NoSuchTable Add F \x07Long\x08")));
  ASSERT_EQ(recorder.messages().size(), 1);
  EXPECT_TRUE(recorder.last().endsWith(kind() == 0 ? QStringLiteral("Add F Long")
                                                   : QStringLiteral("Add F INT")))
      << recorder.last().toStdString();
  // Without reporting nothing is shown.
  recorder.clear();
  EXPECT_FALSE(db().Execute(sql, QString(), 128, false));
  EXPECT_TRUE(recorder.messages().isEmpty());
}

TEST_P(CKvDbTest, FailedStatementInsideATransactionLeavesItUsable) {
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table T(A \x07Long\x08)")));
  KvMessageRecorder recorder;
  ASSERT_TRUE(db().BeginTrans());
  EXPECT_TRUE(db().Execute(QStringLiteral("Insert Into T(A) Values(1)")));
  EXPECT_FALSE(db().Execute(QStringLiteral("Insert Into NoSuchTable(A) Values(2)")));
  EXPECT_TRUE(db().Execute(QStringLiteral("Insert Into T(A) Values(3)")));
  // A failed select inside the transaction does not end it either.
  CKvQuery broken(1, 0, 0, &db());
  EXPECT_FALSE(broken.Open(QStringLiteral("Select A From NoSuchTable")));
  EXPECT_TRUE(db().Execute(QStringLiteral("Insert Into T(A) Values(4)")));
  EXPECT_TRUE(db().CommitTrans());
  EXPECT_EQ(valuesOfA(db()), (QList<int>{1, 3, 4}));
  EXPECT_EQ(recorder.messages().size(), 2);
}

TEST_P(CKvDbTest, InnerTransactionsAreSavepoints) {
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table T(A \x07Long\x08)")));
  KvMessageRecorder recorder;
  ASSERT_TRUE(db().BeginTrans());
  EXPECT_TRUE(db().Execute(QStringLiteral("Insert Into T(A) Values(1)")));

  ASSERT_TRUE(db().BeginTrans());  // rolled back below, with its failure
  EXPECT_TRUE(db().Execute(QStringLiteral("Insert Into T(A) Values(2)")));
  EXPECT_FALSE(db().Execute(QStringLiteral("Insert Into T(NoSuchColumn) Values(3)")));
  EXPECT_TRUE(db().Execute(QStringLiteral("Insert Into T(A) Values(4)")));
  EXPECT_TRUE(db().Rollback());

  ASSERT_TRUE(db().BeginTrans());  // kept
  EXPECT_TRUE(db().Execute(QStringLiteral("Insert Into T(A) Values(5)")));
  ASSERT_TRUE(db().BeginTrans());  // nested twice, rolled back
  EXPECT_TRUE(db().Execute(QStringLiteral("Insert Into T(A) Values(6)")));
  EXPECT_TRUE(db().Rollback());
  EXPECT_TRUE(db().CommitTrans());

  EXPECT_TRUE(db().Execute(QStringLiteral("Insert Into T(A) Values(7)")));
  EXPECT_EQ(valuesOfA(db()), (QList<int>{1, 5, 7}));  // seen inside the transaction
  EXPECT_TRUE(db().CommitTrans());
  EXPECT_FALSE(db().CommitTrans());  // nothing left to commit
  EXPECT_EQ(valuesOfA(db()), (QList<int>{1, 5, 7}));

  ASSERT_TRUE(db().BeginTrans());
  EXPECT_TRUE(db().Execute(QStringLiteral("Delete From T")));
  EXPECT_TRUE(db().Rollback());
  EXPECT_EQ(valuesOfA(db()), (QList<int>{1, 5, 7}));
  // The failed insert and the commit with nothing to commit.
  EXPECT_EQ(recorder.messages().size(), 2);
}

TEST_P(CKvDbTest, WritesOfATransactionAreHiddenFromOthersUntilCommit) {
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table T(A \x07Long\x08)")));
  CKvDb other;
  ASSERT_TRUE(testDb().OpenAnother(other));
  // A data file's change mark moves with a row changed on its connection and
  // a commit of another one; a server has none.
  const QString mark = other.GetDataChangeMark(), own = db().GetDataChangeMark();
  ASSERT_TRUE(db().BeginTrans());
  EXPECT_TRUE(db().LockTable(QStringLiteral("T")));
  EXPECT_TRUE(db().Execute(QStringLiteral("Insert Into T(A) Values(1)")));
  EXPECT_EQ(other.GetLong(QStringLiteral("Select Count(*) From T")), 0);
  EXPECT_TRUE(other.GetDataChangeMark() == mark && (db().GetDataChangeMark() != own) == (GetParam() == 0));
  EXPECT_TRUE(db().CommitTrans());
  EXPECT_EQ(other.GetLong(QStringLiteral("Select Count(*) From T")), 1);
  EXPECT_EQ(other.GetDataChangeMark() != mark, GetParam() == 0);
  // Outside a transaction there is nothing to hold the lock.
  EXPECT_FALSE(db().LockTable(QStringLiteral("T")));
}

TEST_P(CKvDbTest, TextsKeepTheirCharactersAndQuotes) {
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table T(A \x07Long\x08, B CHAR(40))")));
  const QString text = QStringLiteral("王'小|二\\n 𠀋");
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into T(A,B) Values(1,'") + db().QuoteText(text) +
                           QStringLiteral("')")));
  const QString stored = db().LookupText(QStringLiteral("max(B) From T"));
  // The Jet file keeps the full-width bar that quoting put in.
  EXPECT_EQ(stored, kind() == 0 ? QStringLiteral("王'小｜二\\n 𠀋") : text);
  EXPECT_EQ(db().QuoteText(QStringLiteral("青禾苑"), 5), QStringLiteral("青禾"));
}

// One prepared statement run row after row: each row keeps its own texts,
// whatever the lengths and characters of the rows before.
TEST_P(CKvDbTest, APreparedStatementKeepsEachRowsTexts) {
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table T(A \x07Long\x08, B VARCHAR(40))")));
  std::unique_ptr<KvDbStatement> insert =
      db().GetBackend()->prepare(QStringLiteral("Insert Into T(A,B) Values(?,?)"), nullptr);
  ASSERT_NE(insert, nullptr);
  const QStringList texts = {QStringLiteral("青禾苑学校管理软件 long text"), QStringLiteral("a"), QString(),
                             QStringLiteral("王'小二 𠀋"), QStringLiteral("ab")};
  for (int i = 0; i < texts.size(); ++i) {
    insert->bindInteger(0, i);
    insert->bindText(1, texts[i]);
    ASSERT_TRUE(insert->run(nullptr)) << i;
  }
  insert.reset();
  QStringList stored;
  CKvQuery query(1, 0, 1, &db());
  ASSERT_TRUE(query.Open(QStringLiteral("Select A,B From T Order By A")));
  for (; !query.IsEOF(); query.MoveNext())
    stored.append(query.GetText(0));
  EXPECT_EQ(stored, texts);
}

// The marker statements of the dialect layer, run on the engines.
TEST_P(CKvDbTest, MarkedStatementsRunOnEveryEngine) {
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table T(A \x07Long\x08, Na CHAR(20))")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into T(A,Na) Values(1,'xABCy')")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into T(A,Na) Values(-1,'abd')")));
  EXPECT_EQ(db().GetLong(QStringLiteral("Select Count(*) From T Where Na Like '\x07*\x08" "abc\x07*\x08'")), 1);
  EXPECT_EQ(db().GetLong(QStringLiteral("Select Count(*) From T Where Na Like 'ab\x07?\x08'")), 1);
  EXPECT_EQ(db().LookupLong(QStringLiteral("Sum(case when A>0 then 1 else 0 end) From T")), 1);
  EXPECT_TRUE(db().Execute(QStringLiteral("Alter Table T Add F \x07Numeric(12,2)\x08")));
  EXPECT_TRUE(db().Execute(QStringLiteral("Update T Set F=2.25 Where A=1")));
  EXPECT_DOUBLE_EQ(db().LookupDouble(QStringLiteral("Max(F) From T")), 2.25);
  EXPECT_EQ(db().LookupText(QStringLiteral("Max(\x07Mid\x08(Na,2,3)) From T")), QStringLiteral("bd"));
}

TEST_P(CKvDbTest, ClosedConnectionDoesNothing) {
  db().Close();
  EXPECT_FALSE(db().IsOpen());
  KvMessageRecorder recorder;
  EXPECT_FALSE(db().Execute(QStringLiteral("Create Table T(A \x07Long\x08)"), QString(), 128, false));
  EXPECT_FALSE(db().BeginTrans());
  EXPECT_EQ(db().GetRowCount(), 0);
  EXPECT_EQ(db().GetDatabaseName(true), QString());
  EXPECT_TRUE(recorder.messages().isEmpty());
  EXPECT_EQ(db().Reopen(), kind() != 0);
  // A closed connection gives the kind's defaults.
  const CKvDbInfo info = db().GetConnectInfo();
  EXPECT_EQ(info.m_strDatabase, QStringLiteral("master"));
  EXPECT_EQ(info.m_strUser, QStringLiteral("sa"));
}

KV_DB_KIND_TEST_SUITE(CKvDbTest);

// --- the server kinds ---

class CKvDbServerTest : public KvDbKindTest {};

TEST_P(CKvDbServerTest, TheFileArgumentNamesTheDatabase) {
  CKvDbInfo info = testDb().info();
  info.m_strDatabase = QStringLiteral("somewhere_else");
  CKvDb other(kind());
  // Any case: the program's databases are named in lower case.
  ASSERT_TRUE(other.Open(testDb().name().toUpper(), info));
  EXPECT_EQ(other.GetDatabaseName(true), testDb().name());
  EXPECT_EQ(other.GetDatabaseName(false), testDb().name());
  EXPECT_TRUE(other.Reopen());
  EXPECT_TRUE(other.IsOpen());

  const CKvDbInfo live = other.GetConnectInfo();
  EXPECT_EQ(live.m_strServer, info.m_strServer);
  EXPECT_EQ(live.m_strUser, info.m_strUser);
  EXPECT_EQ(live.m_strPassword, info.m_strPassword);
  EXPECT_EQ(live.m_strDatabase, testDb().name());
}

TEST_P(CKvDbServerTest, MasterIsTheMaintenanceDatabaseAndSessionsAreNamed) {
  CKvDb master(kind());
  ASSERT_TRUE(master.Open(QStringLiteral("master"), testDb().info()));
  EXPECT_EQ(master.GetDatabaseName(true), QStringLiteral("postgres"));
  EXPECT_TRUE(master.DatabaseExists(testDb().name()));
  const QString name = master.LookupText(QStringLiteral("max(application_name) From pg_stat_activity "
                                                        "Where pid=pg_backend_pid()"));
  EXPECT_EQ(name, QStringLiteral("kv|") + QString::number(QCoreApplication::applicationPid()) + u'|' +
                      QSysInfo::machineHostName());
}

TEST_P(CKvDbServerTest, DatabasesAreMadeAndDroppedThroughMaster) {
  CKvDb master(kind());
  ASSERT_TRUE(master.Open(QStringLiteral("master"), testDb().info()));
  const QString name = testDb().name() + QStringLiteral("_copy");
  ASSERT_TRUE(master.Execute(QStringLiteral("Create Database ") + name));
  EXPECT_TRUE(master.DatabaseExists(name));
  EXPECT_TRUE(master.Execute(QStringLiteral("Drop Database ") + name));
  EXPECT_FALSE(master.DatabaseExists(name));
}

TEST_P(CKvDbServerTest, WrongServerOrLoginFailsSilently) {
  KvMessageRecorder recorder;
  CKvDbInfo info = testDb().info();
  info.m_strPassword = QStringLiteral("wrong");
  CKvDb other(kind());
  EXPECT_FALSE(other.Open(testDb().name(), info));
  EXPECT_FALSE(other.IsOpen());
  EXPECT_FALSE(other.Open(QStringLiteral("kv_no_such_database"), testDb().info()));
  EXPECT_TRUE(recorder.messages().isEmpty());
}

namespace {
// Login roles with odd characters in their names, "kvt_<run token>_...",
// made for one test and dropped after it.
class OddRoles {
 public:
  OddRoles() { m_ok = m_admin.Open(QStringLiteral("master"), KvTestDb::ServerInfo(2)); }
  ~OddRoles() {
    for (const QString& name : m_made)
      Drop(name);
  }
  bool ok() const { return m_ok; }
  // A login role named "kvt_<run token>_" + tail (with blanks where asked).
  QString Make(const QString& before, const QString& tail, const QString& password) {
    const QString name = before + QStringLiteral("kvt_%1_").arg(KvTestRunToken()) + tail;
    QString quoted = name;
    quoted.replace(u'"', QStringLiteral("\"\""));
    if (m_admin.GetBackend()->execute(QStringLiteral("CREATE ROLE \"") + quoted +
                                          QStringLiteral("\" LOGIN PASSWORD '") +
                                          m_admin.QuoteText(password) + u'\'',
                                      nullptr))
      m_made.append(name);
    return name;
  }

 private:
  void Drop(const QString& name) {
    QString quoted = name;
    quoted.replace(u'"', QStringLiteral("\"\""));
    m_admin.GetBackend()->execute(QStringLiteral("DROP ROLE IF EXISTS \"") + quoted + u'"', nullptr);
  }

  CKvDb m_admin{2};
  bool m_ok = false;
  QStringList m_made;
};
}  // namespace

// User names the server allows log in through either back end, or, where
// the ODBC driver cannot take them, are refused before connecting with the
// reason.
TEST_P(CKvDbServerTest, OddUserNamesLogInOrAreRefusedWithTheReason) {
  OddRoles roles;
  ASSERT_TRUE(roles.ok());
  const QString password = QStringLiteral("p}w;{x");
  const QStringList usable = {roles.Make(QString(), QStringLiteral("o'neil"), password),
                              roles.Make(QString(), QStringLiteral("say\"hi\""), password),
                              roles.Make(QString(), QStringLiteral("a{b}c"), password),
                              roles.Make(QString(), QStringLiteral("edge "), password),
                              roles.Make(QStringLiteral(" "), QStringLiteral("lead"), password)};
  const QStringList refusedOnOdbc = {roles.Make(QString(), QStringLiteral("semi;colon"), password),
                                     roles.Make(QStringLiteral("{"), QStringLiteral("brace}"), password)};
  for (const QString& user : usable + refusedOnOdbc) {
    KvMessageRecorder recorder;
    CKvDbInfo info = testDb().info();
    info.m_strUser = user;
    info.m_strPassword = password;
    CKvDb other(kind());
    const bool opened = other.Open(testDb().name(), info);
    if (kind() == 1 && refusedOnOdbc.contains(user)) {
      EXPECT_FALSE(opened) << user.toStdString();
      ASSERT_EQ(recorder.messages().size(), 1) << user.toStdString();
      EXPECT_TRUE(recorder.last().contains(user)) << recorder.last().toStdString();
      continue;
    }
    ASSERT_TRUE(opened) << user.toStdString();
    EXPECT_EQ(other.LookupText(QStringLiteral("max(current_user) From pg_roles")), KvDbTrimRight(user))
        << user.toStdString();
    EXPECT_TRUE(recorder.messages().isEmpty()) << recorder.last().toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, CKvDbServerTest, ::testing::Values(1, 2), KvDbKindName);
