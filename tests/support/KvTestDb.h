#pragma once
// A database of its own for one test, on any back-end kind:
// - kind 0: a fresh SQLite data file in the test's home folder, with the
//   program's access check and the standard password;
// - kinds 1 and 2: a fresh PostgreSQL database "kvt_<run token>_<number>"
//   (KvTestRunToken: no other run makes the name; TEMPLATE template0, UTF8,
//   "C" collation) on the server that PGHOST, PGPORT, PGUSER and PGPASSWORD
//   name; kind 1 reaches it through the ODBC data source named in
//   KV_TEST_ODBC_DSN.
// The database is dropped (the file removed) when the object goes, sessions
// and all, together with the databases named after it: the copies the
// program made of it ("<name>_<time>", "<name>_part", "<name>_old").
// A worker (KvTestWorkers) says the name of each server database it makes
// before it makes it; its parent drops them when the worker has ended.
// Nothing else is dropped: a test binary killed from outside leaves its
// "kvt_" databases on the server, to be dropped by hand, since nothing tells
// a dead run's database from that of a run on another machine.
//
// Most database tests run once per kind:
//
//   class MyTest : public KvDbKindTest {};
//   TEST_P(MyTest, Works) { EXPECT_TRUE(db().Execute("Create Table T(A Long)")); }
//   KV_DB_KIND_TEST_SUITE(MyTest);
//
// A test that cannot reach the server is skipped, or fails when the
// environment variable CI is set.

#include "core/CKvDb.h"
#include "core/CKvDbInfo.h"

#include <gtest/gtest.h>

#include <QString>
#include <memory>

class KvTestDb {
 public:
  explicit KvTestDb(int kind);
  ~KvTestDb();
  KvTestDb(const KvTestDb&) = delete;
  KvTestDb& operator=(const KvTestDb&) = delete;

  // Makes the database and opens db() on it; false, with the reason in
  // whyNot, when the server or the data source cannot be reached.
  bool Create(QString* whyNot = nullptr);

  int kind() const { return m_kind; }
  CKvDb& db() { return m_db; }
  // The first argument of CKvDb::Open: the file path or the database name.
  const QString& name() const { return m_name; }
  // The connect information that opens it.
  const CKvDbInfo& info() const { return m_info; }
  // Opens another connection of the same kind on the same database.
  bool OpenAnother(CKvDb& other) const;
  // On a server: ends every session on the database, as a dropped network
  // would; the program's connections on it are lost.
  bool EndSessions();

  // The server's connect information of the kind, from the environment
  // (database "master").
  static CKvDbInfo ServerInfo(int kind);
  // True when the PostgreSQL server of ServerInfo(2) takes a connection.
  static bool ServerReachable();
  // Drops every server database whose name begins with `name`, a name this
  // run made (a database of this class, a set of KvTestServerFiles): the
  // database and the copies the program made of it. With `force` their
  // sessions are ended first; without, a database in use stays. False when
  // the server cannot be reached or a drop fails.
  static bool DropOnServer(const QString& name, bool force);

 private:
  bool CreateServerDatabase(QString* whyNot);

  int m_kind;
  CKvDb m_db;
  CKvDb m_admin;  // kinds 1 and 2: on the maintenance database, to drop it
  QString m_name;
  CKvDbInfo m_info;
  bool m_created = false;
};

// Skips the test (fails it under CI) when the database cannot be made.
#define KV_CREATE_TEST_DB(testDb)                                        \
  do {                                                                   \
    QString kvWhyNot_;                                                   \
    if (!(testDb).Create(&kvWhyNot_)) {                                  \
      if (KvTestDbMustReachServer())                                     \
        FAIL() << "database server needed: " << kvWhyNot_.toStdString(); \
      GTEST_SKIP() << "no database server: " << kvWhyNot_.toStdString(); \
    }                                                                    \
  } while (0)

bool KvTestDbMustReachServer();

// Skips the test (fails it under CI) without a PostgreSQL server.
#define KV_REQUIRE_PG_SERVER()                  \
  do {                                          \
    if (!KvTestDb::ServerReachable()) {         \
      if (KvTestDbMustReachServer())            \
        FAIL() << "PostgreSQL needed";          \
      GTEST_SKIP() << "no PostgreSQL server";   \
    }                                           \
  } while (0)

// Base of the tests that run on each back-end kind (the parameter).
class KvDbKindTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override;
  void TearDown() override;

  int kind() const { return GetParam(); }
  CKvDb& db() { return m_testDb->db(); }
  KvTestDb& testDb() { return *m_testDb; }

 private:
  std::unique_ptr<KvTestDb> m_testDb;
};

// Names the kinds in test names: Sqlite, Odbc, Pg.
std::string KvDbKindName(const ::testing::TestParamInfo<int>& info);

#define KV_DB_KIND_TEST_SUITE(Suite) \
  INSTANTIATE_TEST_SUITE_P(Kinds, Suite, ::testing::Values(0, 1, 2), KvDbKindName)
