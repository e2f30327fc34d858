// Whole databases on each back-end kind: create, drop, re-create, copy and
// snapshot them, widen and narrow a text column, and tell whether another
// program uses a database. The other program is this test binary run again
// in a second process (see SecondProcess below).

#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvDbBackend.h"
#include "core/KvMdbPassword.h"
#include "core/KvMessage.h"
#include "core/KvPresenceLock.h"
#include "core/KvSqliteBackend.h"
#include "core/KvText.h"
#include "support/KvTestDb.h"
#include "support/KvTestEnv.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSysInfo>
#include <QThread>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
const QString kErrorHead = QStringLiteral("执行下列SQL语句时出错！\n");

// --- The second process ---
//
// The parent starts the running test again with a role in KV_TEST_HOLDER:
// "<role>|<kind>|<file or database>". In the child the test body calls
// servedAsSecondProcess() first, which opens the database, prints
// "KV-HOLDER READY" (or "KV-HOLDER FAILED" when it cannot), keeps it until
// the parent closes the child's input, and ends the test there. Roles:
// "hold" opens the database, "keep" also holds a data file exclusively.
constexpr char kRoleVariable[] = "KV_TEST_HOLDER";

bool servedAsSecondProcess() {
  const QString request = QString::fromUtf8(qgetenv(kRoleVariable));
  if (request.isEmpty())
    return false;
  const QStringList parts = request.split(u'|');
  const int kind = parts.value(1).toInt();
  CKvDb db(kind);
  bool ok = db.Open(parts.value(2), kind == 0 ? CKvDbInfo(0) : KvTestDb::ServerInfo(kind));
  if (ok && parts.value(0) == u"keep")
    ok = db.ReopenMdbExclusive(true);
  std::printf("\nKV-HOLDER %s\n", ok ? "READY" : "FAILED");
  std::fflush(stdout);
  char buffer[64];
  while (::read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
  }
  return true;
}

class SecondProcess {
 public:
  ~SecondProcess() { Stop(); }

  // Runs the current test in another process in the role; true when that
  // process has the database open.
  bool Start(const QString& role, int kind, const QString& name) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kRoleVariable),
                       role + u'|' + QString::number(kind) + u'|' + name);
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(
        QCoreApplication::applicationFilePath(),
        {QStringLiteral("--gtest_filter=") + QString::fromUtf8(test->test_suite_name()) + u'.' +
         QString::fromUtf8(test->name())});
    QByteArray output;
    while (m_process.waitForReadyRead(60000)) {
      output += m_process.readAllStandardOutput();
      if (output.contains("KV-HOLDER READY"))
        return true;
      if (output.contains("KV-HOLDER FAILED"))
        return false;
    }
    return false;
  }
  qint64 Pid() const { return m_process.processId(); }
  void Stop() {
    if (m_process.state() == QProcess::NotRunning)
      return;
    m_process.closeWriteChannel();
    m_process.waitForFinished(60000);
  }

 private:
  QProcess m_process;
};

// --- Databases a test makes besides its own ---

int counter = 0;

class ExtraDatabases {
 public:
  ~ExtraDatabases() {
    for (const QString& name : m_names)
      KvTestDb::DropOnServer(name, true);
  }
  // A fresh name: a file path on kind 0, on the server a database name of
  // this run's own (the run token; six digits, so that none begins with
  // another).
  QString Fresh(int kind) {
    if (kind == 0)
      return KvTestHome() + QStringLiteral("/maint-%1.xxd").arg(++counter);
    return Add(QStringLiteral("kvt_%1_m%2").arg(KvTestRunToken()).arg(++counter, 6, 10, QChar(u'0')));
  }
  QString Add(const QString& name) {
    m_names.append(name);
    return name;
  }

 private:
  QStringList m_names;
};

QList<QString> valuesOf(CKvDb& db, const QString& select) {
  QList<QString> values;
  CKvQuery query(0, 0, 1, &db);
  if (query.Open(select))
    for (; !query.IsEOF(); query.MoveNext())
      values.append(query.GetText(0));
  return values;
}

void makeTableT(CKvDb& db) {
  ASSERT_TRUE(db.Execute(QStringLiteral("Create Table T(ID \x07Long\x08, A CHAR(10), B CHAR(4))")));
  ASSERT_TRUE(db.Execute(QStringLiteral("Insert Into T(ID,A,B) Values(1,'alpha','x')")));
  ASSERT_TRUE(db.Execute(QStringLiteral("Insert Into T(ID,A,B) Values(2,'数据','y')")));
  ASSERT_TRUE(db.Execute(QStringLiteral("Create Index TA On T(A,B)")));
}

const QString kSelectA = QStringLiteral("Select A From T Order By ID");

// Asks until `done` holds, for at most 10 s: the server may list a session
// for a moment after its client has gone.
bool onceSessionsLeft(const std::function<bool()>& done) {
  QElapsedTimer waited;
  waited.start();
  while (!done()) {
    if (waited.elapsed() > 10000)
      return false;
    QThread::msleep(50);
  }
  return true;
}
}  // namespace

class KvDbMaintenanceTest : public KvDbKindTest {
 protected:
  // Opens another connection of this kind on a database of the test.
  bool OpenOn(CKvDb& other, const QString& name) {
    other.SetKind(kind());
    return other.Open(name, testDb().info());
  }

  ExtraDatabases m_extra;
};

TEST_P(KvDbMaintenanceTest, CreateAndDropRoundTrip) {
  KvMessageRecorder recorder;
  const QString name = m_extra.Fresh(kind());
  CKvDb made(kind());
  ASSERT_TRUE(made.CreateDatabase(name, testDb().info()));
  ASSERT_TRUE(made.IsOpen());
  EXPECT_TRUE(made.Execute(QStringLiteral("Create Table N(A CHAR(5))")));
  EXPECT_TRUE(made.DatabaseExists(name));
  // An existing database is never made again over its data.
  CKvDb again(kind());
  EXPECT_FALSE(again.CreateDatabase(name, testDb().info()));
  made.Close();
  CKvDb reader(kind());
  ASSERT_TRUE(OpenOn(reader, name));
  EXPECT_TRUE(reader.TableExists(QStringLiteral("N")));
  if (kind() == 0) {  // a new file carries the standard password
    EXPECT_EQ(static_cast<KvSqliteBackend*>(reader.GetBackend())->passwordDigest(),
              KvMdbPasswordDigest(KvGetStdMdbPassword()));
  }
  reader.Close();

  recorder.clear();
  EXPECT_TRUE(made.DropDatabase(name, testDb().info()));
  EXPECT_FALSE(made.IsOpen());
  EXPECT_FALSE(reader.Open(name, testDb().info()));
  EXPECT_TRUE(recorder.messages().isEmpty());
  if (kind() == 0) {
    EXPECT_FALSE(QFileInfo::exists(name));
    EXPECT_FALSE(QFileInfo::exists(KvPresenceLock::lockFilePath(name)));  // gone with its file
  }
  EXPECT_FALSE(made.DropDatabase(name, testDb().info()));  // gone already
}

TEST_P(KvDbMaintenanceTest, RecreateGivesAnEmptyDatabaseOfTheSameName) {
  makeTableT(db());
  const QString before = db().GetDatabaseName(true);
  ASSERT_TRUE(db().RecreateDatabase(testDb().info()));
  EXPECT_TRUE(db().IsOpen());
  EXPECT_EQ(db().GetDatabaseName(true), before);
  EXPECT_FALSE(db().TableExists(QStringLiteral("T")));
  EXPECT_TRUE(db().Execute(QStringLiteral("Create Table T(A CHAR(5))")));
  db().Close();
  EXPECT_FALSE(db().RecreateDatabase(testDb().info()));  // nothing open
}

TEST_P(KvDbMaintenanceTest, CopyKeepsTheSourceOpenAndRefusesAnExistingName) {
  KvMessageRecorder recorder;
  makeTableT(db());
  // Another connection of this program on the source.
  CKvDb other;
  ASSERT_TRUE(OpenOn(other, testDb().name()));
  const QString copy = m_extra.Fresh(kind());
  ASSERT_TRUE(db().CopyDatabase(copy));
  EXPECT_TRUE(recorder.messages().isEmpty()) << recorder.last().toStdString();
  EXPECT_EQ(valuesOf(db(), kSelectA),
            (QList<QString>{QStringLiteral("alpha"), QStringLiteral("数据")}));
  EXPECT_EQ(valuesOf(other, kSelectA).size(), 2);

  CKvDb copied;
  ASSERT_TRUE(OpenOn(copied, copy));
  EXPECT_EQ(valuesOf(copied, kSelectA), valuesOf(db(), kSelectA));
  // The copy is a database of its own.
  EXPECT_TRUE(copied.Execute(QStringLiteral("Delete From T")));
  EXPECT_EQ(valuesOf(db(), kSelectA).size(), 2);
  copied.Close();

  // An existing name is refused and left as it is.
  EXPECT_FALSE(db().CopyDatabase(copy));
  ASSERT_TRUE(OpenOn(copied, copy));
  EXPECT_TRUE(valuesOf(copied, kSelectA).isEmpty());
  EXPECT_TRUE(db().IsOpen());
}

TEST_P(KvDbMaintenanceTest, SnapshotIsATimeStampedCopy) {
  makeTableT(db());
  QString target;
  ASSERT_TRUE(db().SnapshotDataFile(&target));
  const QString source = db().GetDatabaseName(false);
  if (kind() == 0) {
    const QString base = source.left(source.size() - 4);  // ".xxd"
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(base) +
                                   QStringLiteral("\\(\\d{14}\\)\\.XXD$"))
                    .match(target)
                    .hasMatch())
        << target.toStdString();
  } else {
    m_extra.Add(target);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^") + source + QStringLiteral("_\\d{14}$"))
                    .match(target)
                    .hasMatch())
        << target.toStdString();
  }
  EXPECT_TRUE(db().IsOpen());
  CKvDb snapshot;
  ASSERT_TRUE(OpenOn(snapshot, target));
  EXPECT_EQ(valuesOf(snapshot, kSelectA).size(), 2);
  // A copy somebody looks at stays; once they have gone it is dropped.
  EXPECT_FALSE(db().DropSnapshot(target));
  snapshot.Close();
  EXPECT_TRUE(onceSessionsLeft([&] { return db().DropSnapshot(target); }));
  if (kind() == 0) {
    // A snapshot of the same name is replaced by the newer one.
    ASSERT_TRUE(db().Execute(QStringLiteral("Delete From T Where ID=1")));
    ASSERT_TRUE(db().SnapshotDataFile(&target));
    ASSERT_TRUE(OpenOn(snapshot, target));
    EXPECT_EQ(valuesOf(snapshot, kSelectA), QList<QString>{QStringLiteral("数据")});
  }
}

TEST_P(KvDbMaintenanceTest, ResizedColumnKeepsValuesAndIndexes) {
  makeTableT(db());
  db().ResizeCharColumn(QStringLiteral("T"), QStringLiteral("A"), 30);
  int width = 0;
  EXPECT_TRUE(db().GetColumnWidth(QStringLiteral("T"), QStringLiteral("A"), &width));
  EXPECT_EQ(width, 30);
  EXPECT_EQ(valuesOf(db(), kSelectA),
            (QList<QString>{QStringLiteral("alpha"), QStringLiteral("数据")}));
  QStringList indexes;
  db().GetColumnIndexes(&indexes, QStringLiteral("T"), QStringLiteral("A"));
  EXPECT_EQ(indexes.size(), 1);

  db().ResizeCharColumn(QStringLiteral("T"), QStringLiteral("A"), 6);
  EXPECT_TRUE(db().GetColumnWidth(QStringLiteral("T"), QStringLiteral("A"), &width));
  EXPECT_EQ(width, 6);
  EXPECT_EQ(valuesOf(db(), kSelectA).size(), 2);
  EXPECT_EQ(valuesOf(db(), QStringLiteral("Select B From T Order By ID")),
            (QList<QString>{QStringLiteral("x"), QStringLiteral("y")}));
  indexes.clear();
  db().GetColumnIndexes(&indexes, QStringLiteral("T"), QStringLiteral("B"));
  EXPECT_EQ(indexes.size(), 1);
  int ignored = 0;
  EXPECT_FALSE(db().GetColumnWidth(QStringLiteral("T"), QStringLiteral("tempField"), &ignored));
}

TEST_P(KvDbMaintenanceTest, FailedResizeLeavesTheColumnAsItWas) {
  KvMessageRecorder recorder;
  makeTableT(db());
  // SQLite: a narrower width cuts blanks beyond it, which a trigger refuses
  // here, after the declaration has been changed. PostgreSQL: a view on the
  // column stops the change of its type.
  if (kind() == 0) {
    ASSERT_TRUE(db().Execute(QStringLiteral("Update T Set A='alpha   ' Where ID=1")));
    ASSERT_TRUE(db().Execute(QStringLiteral(
        "Create Trigger TU Before Update On T Begin Select RAISE(ABORT,'locked'); End")));
  } else {
    ASSERT_TRUE(db().Execute(QStringLiteral("Create View V As Select A From T")));
  }
  db().ResizeCharColumn(QStringLiteral("T"), QStringLiteral("A"), kind() == 0 ? 6 : 20);
  ASSERT_FALSE(recorder.messages().isEmpty());
  EXPECT_TRUE(recorder.last().contains(kErrorHead)) << recorder.last().toStdString();
  int width = 0;
  EXPECT_TRUE(db().GetColumnWidth(QStringLiteral("T"), QStringLiteral("A"), &width));
  EXPECT_EQ(width, 10);
  EXPECT_EQ(valuesOf(db(), kSelectA),
            (QList<QString>{QStringLiteral("alpha"), QStringLiteral("数据")}));
  QStringList indexes;
  db().GetColumnIndexes(&indexes, QStringLiteral("T"), QStringLiteral("A"));
  EXPECT_EQ(indexes.size(), 1);
  EXPECT_FALSE(db().GetColumnWidth(QStringLiteral("T"), QStringLiteral("tempField"), &width));

  // A value that does not fit the narrower width (the server keeps widths).
  if (kind() != 0) {
    EXPECT_EQ(valuesOf(db(), QStringLiteral("Select A From V Order By A")).size(), 2);
    ASSERT_TRUE(db().Execute(QStringLiteral("Drop View V")));
    recorder.clear();
    db().ResizeCharColumn(QStringLiteral("T"), QStringLiteral("A"), 3);
    EXPECT_EQ(recorder.messages().size(), 1);
    EXPECT_TRUE(db().GetColumnWidth(QStringLiteral("T"), QStringLiteral("A"), &width));
    EXPECT_EQ(width, 10);
    EXPECT_EQ(valuesOf(db(), kSelectA).first(), QStringLiteral("alpha"));
  }
}

TEST_P(KvDbMaintenanceTest, ResizedColumnKeepsItsConstraintsAndRefusesValuesThatDoNotFit) {
  KvMessageRecorder recorder;
  // A column with a constraint, a default and a collation of its own.
  ASSERT_TRUE(db().Execute(
      QStringLiteral("Create Table R(ID \x07Long\x08, A CHAR(10) NOT NULL DEFAULT 'z' COLLATE NOCASE, "
                     "B CHAR(4))"),
      QStringLiteral("Create Table R(ID INT, A CHAR(10) NOT NULL DEFAULT 'z' COLLATE \"zh-x-icu\", "
                     "B CHAR(4))")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into R(ID,A,B) Values(1,'alpha','x')")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into R(ID,A,B) Values(2,'数据数据数据','y')")));
  const auto width = [this] {
    int value = 0;
    return db().GetColumnWidth(QStringLiteral("R"), QStringLiteral("A"), &value) ? value : -1;
  };
  const auto keepsItsRules = [this](int id) {
    // NOT NULL still refuses, the default still fills, the collation holds.
    EXPECT_FALSE(db().Execute(QStringLiteral("Insert Into R(ID,A) Values(9,NULL)"), QString(), 128, false));
    EXPECT_TRUE(db().Execute(QStringLiteral("Insert Into R(ID) Values(") + QString::number(id) + u')'));
    EXPECT_EQ(db().LookupText(QStringLiteral("Max(A) From R Where ID=") + QString::number(id)),
              QStringLiteral("z"));
    if (kind() == 0) {
      EXPECT_EQ(db().GetLong(QStringLiteral("Select Count(*) From R Where A='ALPHA'")), 1);
    } else {
      EXPECT_EQ(db().LookupText(QStringLiteral(
                    "max(k.collname) From pg_attribute a Join pg_collation k On k.oid=a.attcollation "
                    "Where a.attrelid='r'::regclass And a.attname='a'")),
                QStringLiteral("zh-x-icu"));
    }
  };
  db().ResizeCharColumn(QStringLiteral("R"), QStringLiteral("A"), 30);
  EXPECT_EQ(width(), 30);
  keepsItsRules(3);
  EXPECT_TRUE(recorder.messages().isEmpty()) << recorder.last().toStdString();

  // Narrower than a stored value: refused, nothing changed.
  db().ResizeCharColumn(QStringLiteral("R"), QStringLiteral("A"), 5);
  EXPECT_EQ(recorder.messages().size(), 1);
  EXPECT_EQ(width(), 30);
  EXPECT_EQ(db().GetLong(QStringLiteral("Select Count(*) From R")), 3);

  // Narrower, with every value fitting: the column keeps its rules.
  recorder.clear();
  db().ResizeCharColumn(QStringLiteral("R"), QStringLiteral("A"), 6);
  EXPECT_TRUE(recorder.messages().isEmpty()) << recorder.last().toStdString();
  EXPECT_EQ(width(), 6);
  EXPECT_EQ(valuesOf(db(), QStringLiteral("Select A From R Where ID<3 Order By ID")),
            (QList<QString>{QStringLiteral("alpha"), QStringLiteral("数据数据数据")}));
  keepsItsRules(4);
  // The other columns are as they were, and in their places.
  QStringList columns[4];
  db().GetColumns(QStringLiteral("R"), columns, nullptr);
  EXPECT_EQ(columns[2].join(u',').toLower(), QStringLiteral("a,b"));
}

TEST_P(KvDbMaintenanceTest, ConnectionsOfThisProgramDoNotCount) {
  if (servedAsSecondProcess())
    return;
  KvMessageRecorder recorder;
  CKvDb second, third;
  ASSERT_TRUE(OpenOn(second, testDb().name()));
  ASSERT_TRUE(OpenOn(third, testDb().name()));
  EXPECT_TRUE(db().CheckOtherClients(true));
  EXPECT_TRUE(db().LockExclusive(true));
  EXPECT_TRUE(db().ReopenMdbExclusive(false));
  EXPECT_TRUE(db().IsOpen());
  EXPECT_TRUE(recorder.messages().isEmpty());
  if (kind() == 0) {
    // Shared again: another program may open the file.
    SecondProcess other;
    EXPECT_TRUE(other.Start(QStringLiteral("hold"), kind(), testDb().name()));
  } else {
    // Nor do the server's own workers, which have no user (autovacuum visits every database in turn).
    const QString workers = QStringLiteral("SELECT count(*) FROM (VALUES (NULL::oid,'autovacuum worker'),"
                                           "(10::oid,'client backend')) s(usesysid,backend_type) WHERE ");
    const auto count = db().GetBackend()->query(workers + QString::fromLatin1(kKvClientSessionSql), nullptr);
    EXPECT_TRUE(count && count->integer(0) == 1);
  }
  EXPECT_TRUE(second.Execute(QStringLiteral("Create Table S(A CHAR(5))")));
}

TEST_P(KvDbMaintenanceTest, RenameReplacesOnlyWhileNobodyElseUsesEither) {
  if (servedAsSecondProcess())
    return;
  KvMessageRecorder recorder;
  makeTableT(db());
  const QString target = testDb().name();
  const QString staged = m_extra.Fresh(kind());
  ASSERT_TRUE(db().CopyDatabase(staged));
  {
    CKvDb copy;
    ASSERT_TRUE(OpenOn(copy, staged));
    ASSERT_TRUE(copy.Execute(QStringLiteral("Delete From T Where ID=1")));
  }
  // A plain rename, then back under another fresh name.
  const QString moved = m_extra.Fresh(kind());
  CKvDb mover(kind());
  ASSERT_TRUE(mover.RenameDatabase(staged, moved, testDb().info(), false));
  EXPECT_FALSE(mover.DatabaseExists(staged) || db().DatabaseExists(staged));
  // An existing name is not replaced unless asked.
  EXPECT_FALSE(mover.RenameDatabase(moved, target, testDb().info(), false));
  EXPECT_EQ(valuesOf(db(), kSelectA).size(), 2);

  // Another program on either database refuses the replacement; nothing moves.
  for (const QString& used : {moved, target}) {
    SecondProcess other;
    ASSERT_TRUE(other.Start(QStringLiteral("hold"), kind(), used));
    EXPECT_FALSE(db().RenameDatabase(moved, target, testDb().info(), true)) << used.toStdString();
    EXPECT_TRUE(db().IsOpen());
    EXPECT_EQ(valuesOf(db(), kSelectA).size(), 2);
    CKvDb copy;
    ASSERT_TRUE(OpenOn(copy, moved));
    EXPECT_EQ(valuesOf(copy, kSelectA), QList<QString>{QStringLiteral("数据")});
  }

  // Replaced: this connection, which was on the target, reads the new rows.
  ASSERT_TRUE(db().RenameDatabase(moved, target, testDb().info(), true));
  EXPECT_TRUE(db().IsOpen());
  EXPECT_EQ(valuesOf(db(), kSelectA), QList<QString>{QStringLiteral("数据")});
  EXPECT_FALSE(db().DatabaseExists(moved));
  if (kind() == 0) {
    EXPECT_FALSE(QFileInfo::exists(moved));
  } else {
    EXPECT_FALSE(db().DatabaseExists(KvLower(target) + QStringLiteral("_old")));
  }
  EXPECT_TRUE(recorder.messages().isEmpty()) << recorder.last().toStdString();
}

TEST_P(KvDbMaintenanceTest, AnotherProgramUsingTheDatabaseIsSeen) {
  if (servedAsSecondProcess())
    return;
  KvMessageRecorder recorder;
  makeTableT(db());
  SecondProcess other;
  ASSERT_TRUE(other.Start(QStringLiteral("hold"), kind(), testDb().name()));
  const QString name = db().GetDatabaseName(true);

  EXPECT_FALSE(db().LockExclusive(false));
  EXPECT_TRUE(recorder.messages().isEmpty());
  if (kind() == 0) {
    EXPECT_FALSE(db().ReopenMdbExclusive(true));
    EXPECT_EQ(recorder.last(), QStringLiteral("不能以独占方式打开当前数据库文件：\n") + name +
                                   QStringLiteral("\n可能是别人正在使用它。详情请看“操作日志”。"));
    EXPECT_EQ(recorder.messages().last().icon(), unsigned(KV_MB_ICONSTOP));
    EXPECT_TRUE(db().IsOpen());  // shared
    // The file is not deleted under the other program; this connection goes on.
    EXPECT_FALSE(db().DropDatabase(name, testDb().info()));
    EXPECT_TRUE(QFileInfo::exists(name));
    EXPECT_EQ(valuesOf(db(), kSelectA).size(), 2);
  } else {
    EXPECT_TRUE(db().ReopenMdbExclusive(true));  // no file to hold on the server
    EXPECT_FALSE(db().CheckOtherClients(true));
    const QString host = QSysInfo::machineHostName();
    EXPECT_EQ(recorder.last(), host + QStringLiteral("（青禾苑学校管理软件）"
                                                     "\n上述机器上的程序正在使用当前数据库文件：\n") +
                                   name + QStringLiteral("\n不能以独占方式打开它！"));
    EXPECT_EQ(recorder.messages().last().icon(), unsigned(KV_MB_ICONSTOP));
    {
      // Another program is named by the name it gave, on a line of its own.
      CKvDb foreign;
      ASSERT_TRUE(OpenOn(foreign, testDb().name()));
      ASSERT_TRUE(foreign.Execute(QStringLiteral("SET application_name = 'reporter'")));
      recorder.clear();
      EXPECT_FALSE(db().CheckOtherClients(true));
      const QStringList lines = recorder.last().split(u'\n');
      ASSERT_GE(lines.size(), 3);
      EXPECT_TRUE(lines.contains(host + QStringLiteral("（青禾苑学校管理软件）"))) << recorder.last().toStdString();
      EXPECT_EQ(lines.filter(QStringLiteral("（reporter）")).size(), 1) << recorder.last().toStdString();
      EXPECT_FALSE(recorder.last().contains(u'|')) << recorder.last().toStdString();
    }
    // Neither dropped nor taken as a template while the other is connected; the session keeps its baseline.
    recorder.clear();
    db().SetCarriedBaseline(0);
    EXPECT_FALSE(db().DropDatabase(name, testDb().info()));
    EXPECT_EQ(recorder.messages().size(), 1);
    EXPECT_TRUE(db().IsOpen());
    EXPECT_EQ(db().CarriedBaseline(), 0);
    const QString copy = m_extra.Fresh(kind());
    recorder.clear();
    EXPECT_FALSE(db().CopyDatabase(copy));
    EXPECT_TRUE(recorder.last().contains(kErrorHead));
    EXPECT_TRUE(db().IsOpen());
    EXPECT_EQ(valuesOf(db(), kSelectA).size(), 2);
  }

  other.Stop();
  EXPECT_TRUE(onceSessionsLeft([&] { return db().LockExclusive(false); }));
  EXPECT_TRUE(db().IsOpen());
}

KV_DB_KIND_TEST_SUITE(KvDbMaintenanceTest);

// --- Data files only ---

class KvDbMaintenanceFileTest : public ::testing::Test {
 protected:
  QString FreshFile(const QString& password) {
    const QString path = KvTestHome() + QStringLiteral("/maintfile-%1.xxd").arg(++counter);
    std::unique_ptr<KvSqliteBackend> file = KvSqliteBackend::create(path);
    EXPECT_TRUE(file && file->setPasswordDigest(KvMdbPasswordDigest(password)));
    return path;
  }
  static qint32 Digest(const QString& path) {
    std::unique_ptr<KvSqliteBackend> file = KvSqliteBackend::open(path);
    return file ? file->passwordDigest() : -1;
  }
};

TEST_F(KvDbMaintenanceFileTest, KeptExclusiveShutsOtherProgramsOut) {
  if (servedAsSecondProcess())
    return;
  const QString path = FreshFile(KvGetStdMdbPassword());
  CKvDb db;
  ASSERT_TRUE(db.Open(path, CKvDbInfo(0)));
  ASSERT_TRUE(db.ReopenMdbExclusive(true));
  CKvDb mine;  // this program's own connections still open it
  EXPECT_TRUE(mine.Open(path, CKvDbInfo(0)));
  {
    SecondProcess other;
    EXPECT_FALSE(other.Start(QStringLiteral("hold"), 0, path));
  }
  // Reopening shares the file again.
  ASSERT_TRUE(db.Reopen());
  SecondProcess other;
  EXPECT_TRUE(other.Start(QStringLiteral("hold"), 0, path));
}

TEST_F(KvDbMaintenanceFileTest, FileThatNoLongerOpensIsReported) {
  KvMessageRecorder recorder;
  const QString path = FreshFile(KvGetStdMdbPassword());
  CKvDb db;
  ASSERT_TRUE(db.Open(path, CKvDbInfo(0)));
  {
    std::unique_ptr<KvSqliteBackend> stranger = KvSqliteBackend::open(path);
    ASSERT_TRUE(stranger &&
                stranger->setPasswordDigest(KvMdbPasswordDigest(QStringLiteral("stranger"))));
  }
  EXPECT_FALSE(db.ReopenMdbExclusive(true));
  EXPECT_EQ(recorder.last(), QStringLiteral("无法打开数据库文件：\n") + path);
  EXPECT_FALSE(db.IsOpen());
  recorder.clear();
  EXPECT_FALSE(db.ReopenMdbExclusive(true));  // nothing open: nothing said
  EXPECT_TRUE(recorder.messages().isEmpty());
}

TEST_F(KvDbMaintenanceFileTest, PasswordOfAFileInUseIsLeftAlone) {
  if (servedAsSecondProcess())
    return;
  const QString older = QStringLiteral("vr.PLOKAXE.ip");
  const QString path = FreshFile(older);
  SecondProcess other;
  ASSERT_TRUE(other.Start(QStringLiteral("hold"), 0, path));
  CKvDb db;
  ASSERT_TRUE(db.Open(path, CKvDbInfo(0)));
  EXPECT_TRUE(db.NormaliseMdbPassword());
  EXPECT_TRUE(db.IsOpen());
  EXPECT_EQ(Digest(path), KvMdbPasswordDigest(older));
  other.Stop();
  EXPECT_TRUE(db.NormaliseMdbPassword());
  EXPECT_EQ(Digest(path), KvMdbPasswordDigest(KvGetStdMdbPassword()));
}

TEST_F(KvDbMaintenanceFileTest, SnapshotIsNotWrittenOverAFileInUse) {
  if (servedAsSecondProcess())
    return;
  const QString path = FreshFile(KvGetStdMdbPassword());
  CKvDb db;
  ASSERT_TRUE(db.Open(path, CKvDbInfo(0)));
  makeTableT(db);
  QString target = KvTestHome() + QStringLiteral("/snapshot-%1.xxd").arg(++counter);
  ASSERT_TRUE(db.SnapshotDataFile(&target));
  ASSERT_TRUE(db.Execute(QStringLiteral("Delete From T Where ID=1")));
  {
    // Another program has the old snapshot open: it stays as it is.
    SecondProcess other;
    ASSERT_TRUE(other.Start(QStringLiteral("hold"), 0, target));
    EXPECT_FALSE(db.SnapshotDataFile(&target));
    // So does a connection of this program.
    other.Stop();
    CKvDb mine;
    ASSERT_TRUE(mine.Open(target, CKvDbInfo(0)));
    EXPECT_FALSE(db.SnapshotDataFile(&target));
    EXPECT_EQ(valuesOf(mine, kSelectA).size(), 2);
  }
  EXPECT_TRUE(db.IsOpen());
  ASSERT_TRUE(db.SnapshotDataFile(&target));
  CKvDb snapshot;
  ASSERT_TRUE(snapshot.Open(target, CKvDbInfo(0)));
  EXPECT_EQ(valuesOf(snapshot, kSelectA), QList<QString>{QStringLiteral("数据")});
}

TEST_F(KvDbMaintenanceFileTest, JournalLeftBesideTheTargetIsNotRolledIntoTheSnapshot) {
  const QString path = FreshFile(KvGetStdMdbPassword());
  CKvDb db;
  ASSERT_TRUE(db.Open(path, CKvDbInfo(0)));
  ASSERT_TRUE(db.Execute(QStringLiteral("Create Table S(A CHAR(10))")));
  ASSERT_TRUE(db.Execute(QStringLiteral("Insert Into S(A) Values('before')")));
  ASSERT_TRUE(db.Execute(QStringLiteral("Create Table W(N \x07Long\x08, B TEXT)")));
  for (int i = 0; i < 60; ++i)
    ASSERT_TRUE(db.Execute(QStringLiteral("Insert Into W(N,B) Values(") + QString::number(i) +
                           QStringLiteral(",'") + QString(500, QChar(u'a' + i % 26)) +
                           QStringLiteral("')")));
  QString target = KvTestHome() + QStringLiteral("/snapshot-%1.xxd").arg(++counter);
  ASSERT_TRUE(db.SnapshotDataFile(&target));
  // A program that died in the middle of a change to the old snapshot left
  // its journal behind (a small cache makes it write the journal out).
  const pid_t child = ::fork();
  if (child == 0) {
    sqlite3* old = nullptr;
    if (sqlite3_open(QFile::encodeName(target).constData(), &old) == SQLITE_OK) {
      sqlite3_exec(old, "PRAGMA cache_size=2;BEGIN;UPDATE S SET A='stale';UPDATE W SET B=upper(B);",
                   nullptr, nullptr, nullptr);
    }
    ::_exit(0);
  }
  ASSERT_GT(child, 0);
  ::waitpid(child, nullptr, 0);
  ASSERT_GT(QFileInfo(target + QStringLiteral("-journal")).size(), 0);

  ASSERT_TRUE(db.Execute(QStringLiteral("Update S Set A='after'")));
  ASSERT_TRUE(db.SnapshotDataFile(&target));
  CKvDb snapshot;
  ASSERT_TRUE(snapshot.Open(target, CKvDbInfo(0)));
  EXPECT_EQ(valuesOf(snapshot, QStringLiteral("Select A From S")), QList<QString>{QStringLiteral("after")});
}

// --- Server databases only ---

class KvDbMaintenanceServerTest : public KvDbKindTest {
 protected:
  ExtraDatabases m_extra;
};

TEST_P(KvDbMaintenanceServerTest, NewDatabaseIsLowerCaseUtf8WithTheCCollation) {
  KvMessageRecorder recorder;
  const QString name = m_extra.Fresh(kind());
  CKvDb made(kind());
  ASSERT_TRUE(made.CreateDatabase(
      QStringLiteral("/some/folder/") + name.toUpper() + QStringLiteral(".xxd"), testDb().info()));
  EXPECT_EQ(made.GetDatabaseName(true), name);
  QStringList columns[2];
  EXPECT_EQ(db().QueryTexts(QStringLiteral("Select pg_encoding_to_char(encoding),datcollate From "
                                           "pg_database Where datname='") +
                                name + u'\'',
                            columns, 2),
            1);
  EXPECT_EQ(columns[0].value(0), QStringLiteral("UTF8"));
  EXPECT_EQ(columns[1].value(0), QStringLiteral("C"));
  // A name that would be more than a name is refused before anything runs.
  for (const QString& odd : {QStringLiteral("x; Drop Database ") + name, QStringLiteral("a b"),
                             QStringLiteral("9lives"), QString()}) {
    CKvDb refused(kind());
    EXPECT_FALSE(refused.CreateDatabase(odd, testDb().info())) << odd.toStdString();
    EXPECT_FALSE(refused.DropDatabase(odd, testDb().info())) << odd.toStdString();
  }
  EXPECT_TRUE(db().DatabaseExists(name));
  EXPECT_TRUE(recorder.messages().isEmpty());
}

TEST_P(KvDbMaintenanceServerTest, CopyWaitsForNoTransactionOfThisProgram) {
  KvMessageRecorder recorder;
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table T(A CHAR(5))")));
  CKvDb busy;
  ASSERT_TRUE(testDb().OpenAnother(busy));
  ASSERT_TRUE(busy.BeginTrans());
  ASSERT_TRUE(busy.Execute(QStringLiteral("Insert Into T(A) Values('x')")));
  const QString copy = m_extra.Fresh(kind());
  EXPECT_FALSE(db().CopyDatabase(copy));
  EXPECT_FALSE(db().DatabaseExists(copy));
  // The transaction went on untouched.
  ASSERT_TRUE(busy.CommitTrans());
  EXPECT_EQ(valuesOf(db(), QStringLiteral("Select A From T")), QList<QString>{QStringLiteral("x")});
  EXPECT_TRUE(db().CopyDatabase(copy));
  EXPECT_TRUE(recorder.messages().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Kinds, KvDbMaintenanceServerTest, ::testing::Values(1, 2), KvDbKindName);

TEST_P(KvDbMaintenanceServerTest, NamesLongerThanTheServerKeepsAreRefusedWithTheReason) {
  KvMessageRecorder recorder;
  const QString tooLong = QStringLiteral("kvm_") + QString(60, u'n');
  CKvDb made(kind());
  EXPECT_FALSE(made.CreateDatabase(tooLong, testDb().info()));
  ASSERT_EQ(recorder.messages().size(), 1);
  EXPECT_TRUE(recorder.last().contains(tooLong)) << recorder.last().toStdString();
  EXPECT_TRUE(recorder.last().contains(QStringLiteral("63"))) << recorder.last().toStdString();
  EXPECT_EQ(recorder.messages().last().icon(), unsigned(KV_MB_ICONSTOP));

  // A snapshot's name adds the time to the database's: 50 and 15 bytes.
  const QString name = m_extra.Add(QStringLiteral("kvt_%1_long_").arg(KvTestRunToken())
                                       .leftJustified(50, u'x'));
  CKvDb admin(2);
  ASSERT_TRUE(admin.Open(QStringLiteral("master"), KvTestDb::ServerInfo(2)));
  ASSERT_TRUE(admin.GetBackend()->execute(QStringLiteral("CREATE DATABASE ") + name, nullptr));
  CKvDb source(kind());
  ASSERT_TRUE(source.Open(name, testDb().info()));
  recorder.clear();
  QString target;
  EXPECT_FALSE(source.SnapshotDataFile(&target));
  ASSERT_EQ(recorder.messages().size(), 1);
  EXPECT_TRUE(recorder.last().contains(target)) << recorder.last().toStdString();
  EXPECT_TRUE(source.IsOpen());
  EXPECT_FALSE(db().DatabaseExists(target.left(63)));
}

TEST(KvDbWorkstationName, NamesTheMachineAndProgramNeverTheTag) {
  const struct {
    const char* host;
    const char* program;
    const char* shown;
  } cases[] = {
      {"10.0.0.7", "kv|20682|vm", "vm（青禾苑学校管理软件）"},
      {"kvuser", "kv|4194304|教务处-PC", "教务处-PC（青禾苑学校管理软件）"},
      {"10.0.0.5", "psql", "10.0.0.5（psql）"},
      {"10.0.0.5", "", "10.0.0.5"},
      {"10.0.0.5", "kv|abc|vm", "10.0.0.5（kv|abc|vm）"},  // not the program's tag
  };
  for (const auto& c : cases)
    EXPECT_EQ(KvDbWorkstationName(QString::fromUtf8(c.host), QString::fromUtf8(c.program)),
              QString::fromUtf8(c.shown))
        << c.program;
}

TEST(KvDbSessionTag, KeepsTheProcessAndTellsLongHostNamesApart) {
  EXPECT_EQ(KvDbSessionTag(4711, QStringLiteral("office-pc")), QStringLiteral("kv|4711|office-pc"));
  const QString longHost = QString(70, u'h') + QStringLiteral(".school.example");
  const QString tag = KvDbSessionTag(4194304, longHost);
  EXPECT_EQ(tag.toUtf8().size(), 63);
  EXPECT_TRUE(tag.startsWith(QStringLiteral("kv|4194304|hhh"))) << tag.toStdString();
  const QByteArray digest =
      QCryptographicHash::hash(longHost.toUtf8(), QCryptographicHash::Sha256).toHex().left(8);
  EXPECT_TRUE(tag.endsWith(u'~' + QString::fromLatin1(digest))) << tag.toStdString();
  EXPECT_NE(tag, KvDbSessionTag(4194304, QString(70, u'h') + QStringLiteral(".other.example")));
  // Cut at whole characters only.
  const QString chinese = KvDbSessionTag(12, QString(40, QChar(0x6559)));
  EXPECT_LE(chinese.toUtf8().size(), 63);
  EXPECT_EQ(QString::fromUtf8(chinese.toUtf8()), chinese);
  EXPECT_FALSE(chinese.contains(QChar::ReplacementCharacter));
  EXPECT_TRUE(chinese.startsWith(QStringLiteral("kv|12|") + QChar(0x6559)));
}


