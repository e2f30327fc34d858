// The SQLite data file (kind 0): the access check and its passwords, the
// file settings, and what never becomes a data file.

#include "core/CKvDb.h"
#include "core/KvMdbPassword.h"
#include "core/KvMessage.h"
#include "core/KvPresenceLock.h"
#include "core/KvSqliteBackend.h"
#include "support/KvTestEnv.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

namespace {
int counter = 0;

QString freshPath() {
  return KvTestHome() + QStringLiteral("/file-%1.xxd").arg(++counter);
}

// A data file of the program with the given password ("" for none).
QString makeFile(const QString& password) {
  const QString path = freshPath();
  std::unique_ptr<KvSqliteBackend> file = KvSqliteBackend::create(path);
  EXPECT_TRUE(file && file->setPasswordDigest(KvMdbPasswordDigest(password)));
  return path;
}

qint32 storedDigest(const QString& path) {
  std::unique_ptr<KvSqliteBackend> file = KvSqliteBackend::open(path);
  return file ? file->passwordDigest() : -1;
}

qint64 pragma(CKvDb& db, const char* sql) {
  auto* file = dynamic_cast<KvSqliteBackend*>(db.GetBackend());
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(file->handle(), sql, -1, &stmt, nullptr);
  qint64 value = -1;
  if (sqlite3_step(stmt) == SQLITE_ROW)
    value = sqlite3_column_int64(stmt, 0);
  sqlite3_finalize(stmt);
  return value;
}
}  // namespace

TEST(CKvDbFile, PasswordCandidates) {
  QStringList passwords{QStringLiteral("old")};
  EXPECT_EQ(KvGetMdbPasswords(&passwords), 2);
  EXPECT_EQ(passwords, (QStringList{QStringLiteral("vr.KDW.ip"), QStringLiteral("vr.PLOKAXE.ip")}));
  EXPECT_EQ(KvGetStdMdbPassword(), QStringLiteral("vr.KDW.ip"));
  EXPECT_EQ(KvMdbPasswordDigest(QString()), 0);
  EXPECT_NE(KvMdbPasswordDigest(QStringLiteral("a")), KvMdbPasswordDigest(QStringLiteral("b")));
  EXPECT_TRUE(KvMdbPasswordOpens(0, QStringLiteral("anything")));
  EXPECT_FALSE(KvMdbPasswordOpens(KvMdbPasswordDigest(QStringLiteral("a")), QStringLiteral("b")));
}

TEST(CKvDbFile, OpensOnlyWithAKnownPasswordOrNone) {
  CKvDb db;
  EXPECT_TRUE(db.Open(makeFile(KvGetStdMdbPassword()), CKvDbInfo(0)));
  EXPECT_TRUE(db.Open(makeFile(QStringLiteral("vr.PLOKAXE.ip")), CKvDbInfo(0)));  // the second candidate
  EXPECT_TRUE(db.Open(makeFile(QString()), CKvDbInfo(0)));                        // no password
  EXPECT_FALSE(db.Open(makeFile(QStringLiteral("somebody else's")), CKvDbInfo(0)));
  EXPECT_FALSE(db.IsOpen());
}

TEST(CKvDbFile, OnlyTheProgramsExistingFilesOpen) {
  KvMessageRecorder recorder;
  CKvDb db;
  const QString missing = freshPath();
  EXPECT_FALSE(db.Open(missing, CKvDbInfo(0)));
  EXPECT_FALSE(QFileInfo::exists(missing));  // never created by opening

  // An SQLite file of another program.
  const QString foreign = freshPath();
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(foreign.toUtf8().constData(), &raw), SQLITE_OK);
  sqlite3_exec(raw, "CREATE TABLE t(a)", nullptr, nullptr, nullptr);
  sqlite3_close(raw);
  EXPECT_FALSE(db.Open(foreign, CKvDbInfo(0)));

  // A file that is no database at all.
  const QString text = freshPath();
  QFile file(text);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("not a database, just text that is long enough to fill a header page");
  file.close();
  EXPECT_FALSE(db.Open(text, CKvDbInfo(0)));
  EXPECT_FALSE(KvSqliteBackend::create(text));  // nor is an existing file replaced
  // Neither refused file gets a lock file beside it.
  for (const QString& refused : {foreign, text})
    EXPECT_FALSE(QFileInfo::exists(KvPresenceLock::lockFilePath(refused))) << refused.toStdString();
  EXPECT_TRUE(recorder.messages().isEmpty());
}

TEST(CKvDbFile, PasswordChangesOnlyWithTheRightOldOne) {
  const QString path = makeFile(KvGetStdMdbPassword());
  CKvDb db;
  ASSERT_TRUE(db.Open(path, CKvDbInfo(0)));
  EXPECT_FALSE(db.SetMdbPassword(QStringLiteral("wrong"), QString()));
  EXPECT_TRUE(db.SetMdbPassword(KvGetStdMdbPassword(), QString()));
  db.Close();
  EXPECT_EQ(storedDigest(path), 0);
  EXPECT_FALSE(db.SetMdbPassword(QString(), KvGetStdMdbPassword()));  // not open
  // The server kinds have no file password.
  CKvDb server(2);
  EXPECT_TRUE(server.SetMdbPassword(QStringLiteral("x"), QStringLiteral("y")));
  EXPECT_TRUE(server.NormaliseMdbPassword());
}

TEST(CKvDbFile, NormalisingGivesTheStandardPassword) {
  const qint32 standard = KvMdbPasswordDigest(KvGetStdMdbPassword());
  for (const QString& password : {QString(), QStringLiteral("vr.PLOKAXE.ip"), KvGetStdMdbPassword()}) {
    const QString path = makeFile(password);
    CKvDb db;
    ASSERT_TRUE(db.Open(path, CKvDbInfo(0)));
    EXPECT_TRUE(db.NormaliseMdbPassword()) << password.toStdString();
    EXPECT_TRUE(db.IsOpen());
    EXPECT_EQ(db.GetDatabaseName(true), path);
    db.Close();
    EXPECT_EQ(storedDigest(path), standard) << password.toStdString();
  }
}

TEST(CKvDbFile, NormalisingAFileThatWillNotOpenFails) {
  const QString path = makeFile(KvGetStdMdbPassword());
  CKvDb db;
  ASSERT_TRUE(db.Open(path, CKvDbInfo(0)));
  // Another program re-keys the file while it is open here.
  {
    std::unique_ptr<KvSqliteBackend> other = KvSqliteBackend::open(path);
    ASSERT_TRUE(other && other->setPasswordDigest(KvMdbPasswordDigest(QStringLiteral("stranger"))));
  }
  EXPECT_FALSE(db.NormaliseMdbPassword());
  EXPECT_FALSE(db.IsOpen());
  EXPECT_FALSE(db.NormaliseMdbPassword());  // closed
}

TEST(CKvDbFile, ReopenTriesThePasswordsAgain) {
  const QString path = makeFile(KvGetStdMdbPassword());
  CKvDb db;
  ASSERT_TRUE(db.Open(path, CKvDbInfo(0)));
  ASSERT_TRUE(db.Execute(QStringLiteral("Create Table T(A Long)")));
  const QString mark = db.GetDataChangeMark();
  EXPECT_TRUE(db.Reopen());
  EXPECT_NE(db.GetDataChangeMark(), mark);  // a mark of one opening never stands for the next
  EXPECT_TRUE(db.TableExists(QStringLiteral("T")));
  EXPECT_EQ(db.GetDatabaseName(false), path);
  EXPECT_TRUE(db.GetConnectInfo().m_strServer.isEmpty());
}

TEST(CKvDbFile, FileRunsDurablyWithTheJetFunctions) {
  const QString path = makeFile(KvGetStdMdbPassword());
  CKvDb db;
  ASSERT_TRUE(db.Open(path, CKvDbInfo(0)));
  EXPECT_EQ(pragma(db, "PRAGMA synchronous"), 2);  // FULL
  auto* file = dynamic_cast<KvSqliteBackend*>(db.GetBackend());
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(file->handle(), "PRAGMA journal_mode", -1, &stmt, nullptr);
  ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "delete");
  sqlite3_finalize(stmt);
  EXPECT_EQ(db.LookupText(QStringLiteral("Mid('abcdef',2,3) From (Select 1)")), QStringLiteral("bcd"));
}

TEST(CKvDbFile, TransactionsHoldTheWriteLockFromTheirStart) {
  const QString path = makeFile(KvGetStdMdbPassword());
  CKvDb db;
  ASSERT_TRUE(db.Open(path, CKvDbInfo(0)));
  ASSERT_TRUE(db.Execute(QStringLiteral("Create Table T(A Long)")));
  ASSERT_TRUE(db.BeginTrans());
  EXPECT_TRUE(db.LockTable(QStringLiteral("T")));
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
  // Nothing written yet, and still no other writer gets in.
  EXPECT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_BUSY);
  EXPECT_TRUE(db.CommitTrans());
  EXPECT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
}

// Rowsets of one text share a kept statement: each starts at the first row,
// two at once read apart, a changed table is seen, and an ended rowset
// keeps no lock that would stop another writer.
TEST(CKvDbFile, RowsetsOfOneTextReadAsIfPreparedAnew) {
  const QString path = makeFile(QString());
  std::unique_ptr<KvSqliteBackend> file = KvSqliteBackend::open(path);
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->execute(QStringLiteral("Create Table T(N INTEGER);Insert Into T Values(1);"
                                           "Insert Into T Values(2);Insert Into T Values(3)"),
                            nullptr));
  const QString text = QStringLiteral("Select * From T Order By N");
  const auto firstValues = [&](int count) {
    std::unique_ptr<KvDbRowset> rows = file->openRowset(text, nullptr);
    QList<qint64> values;
    for (; rows && !rows->atEnd() && values.size() < count; rows->next())
      values.append(rows->integer(0));
    return values;
  };
  // Left after one row, the next rowset still starts at the first.
  EXPECT_EQ(firstValues(1), QList<qint64>{1});
  EXPECT_EQ(firstValues(3), (QList<qint64>{1, 2, 3}));
  {
    std::unique_ptr<KvDbRowset> a = file->openRowset(text, nullptr);
    std::unique_ptr<KvDbRowset> b = file->openRowset(text, nullptr);
    ASSERT_TRUE(a && b);
    a->next();
    EXPECT_EQ(a->integer(0), 2);
    EXPECT_EQ(b->integer(0), 1);
  }
  // Another connection writes while the kept statements wait.
  std::unique_ptr<KvSqliteBackend> other = KvSqliteBackend::open(path);
  ASSERT_TRUE(other);
  ASSERT_TRUE(other->beginTransaction());
  ASSERT_TRUE(other->execute(QStringLiteral("Insert Into T Values(0)"), nullptr));
  EXPECT_TRUE(other->commitTransaction());
  EXPECT_EQ(firstValues(2), (QList<qint64>{0, 1}));
  // A new column shows; a dropped table fails; made again, it reads.
  ASSERT_TRUE(file->execute(QStringLiteral("Alter Table T Add Column M INTEGER"), nullptr));
  std::unique_ptr<KvDbRowset> widened = file->openRowset(text, nullptr);
  ASSERT_TRUE(widened);
  EXPECT_EQ(widened->columnCount(), 2);
  widened.reset();
  ASSERT_TRUE(file->execute(QStringLiteral("Drop Table T"), nullptr));
  QString error;
  EXPECT_EQ(file->openRowset(text, &error), nullptr);
  EXPECT_FALSE(error.isEmpty());
  ASSERT_TRUE(file->execute(QStringLiteral("Create Table T(N INTEGER);Insert Into T Values(7)"), nullptr));
  EXPECT_EQ(firstValues(2), QList<qint64>{7});
  // A rowset that outlives its connection ends quietly.
  std::unique_ptr<KvDbRowset> late = file->openRowset(text, nullptr);
  file->close();
  late.reset();
}
