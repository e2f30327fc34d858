// Telling one data file from another: file paths, ODBC data sources resolved
// through odbc.ini, and live connections to one or two server databases.

#include "core/KvSameDataFile.h"

#include "support/KvTestDb.h"
#include "support/KvTestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

namespace {

CKvDbInfo serverInfo(int kind, const QString& server) {
  CKvDbInfo info(kind);
  info.m_strServer = server;
  return info;
}

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const QByteArray& value) : m_name(name), m_old(qgetenv(name)) {
    qputenv(name, value);
  }
  ~ScopedEnv() {
    if (m_old.isNull())
      qunsetenv(m_name);
    else
      qputenv(m_name, m_old);
  }

 private:
  const char* m_name;
  QByteArray m_old;
};

// Points the driver manager's user file at a file of the test's own.
class ScopedOdbcIni {
 public:
  explicit ScopedOdbcIni(const QByteArray& text) {
    QFile file(m_dir.path() + QStringLiteral("/odbc.ini"));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    m_env = std::make_unique<ScopedEnv>("ODBCINI", file.fileName().toLocal8Bit());
  }

 private:
  QTemporaryDir m_dir;
  std::unique_ptr<ScopedEnv> m_env;
};

}  // namespace

TEST(KvSameDataFile, FilesCompareByCanonicalPath) {
  const QString home = KvTestHome().isEmpty() ? QDir::tempPath() : KvTestHome();
  QDir(home).mkpath(QStringLiteral("same/sub"));
  const QString path = home + QStringLiteral("/same/年度.xxd");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  ASSERT_TRUE(QFile::link(path, home + QStringLiteral("/same/link.xxd")));
  const CKvDbInfo none(0);

  EXPECT_TRUE(KvSameDataFile(0, path, none, 0, home + QStringLiteral("/same/sub/../年度.xxd"), none));
  EXPECT_TRUE(KvSameDataFile(0, path, none, 0, home + QStringLiteral("/same/link.xxd"), none));
  // Case matters on this file system, and a file is never a server database.
  EXPECT_FALSE(KvSameDataFile(0, path, none, 0, home + QStringLiteral("/SAME/年度.xxd"), none));
  EXPECT_FALSE(KvSameDataFile(0, path, none, 2, path, serverInfo(2, QString())));
  EXPECT_FALSE(KvSameDataFile(0, QString(), none, 0, QString(), none));
}

TEST(KvSameDataFile, DataSourcesResolveToHostAndPort) {
  ScopedOdbcIni ini(
      "[Local]\nDriver=PostgreSQL Unicode\nServername=localhost\nPort=5432\n"
      "[Office]\nDriver=PostgreSQL Unicode\nServername=DB.School.lan\nPort=5433\n");
  ScopedEnv port("PGPORT", "5432");

  // Through the data source or directly, the same server and database.
  EXPECT_TRUE(KvSameDataFile(1, QStringLiteral("Xxd2026"), serverInfo(1, QStringLiteral("Local")), 2,
                             QStringLiteral("xxd2026"), serverInfo(2, QStringLiteral("127.0.0.1"))));
  EXPECT_TRUE(KvSameDataFile(2, QStringLiteral("xxd2026"), serverInfo(2, QStringLiteral("(local)")), 2,
                             QStringLiteral("XXD2026"), serverInfo(2, QStringLiteral("localhost,5432"))));
  EXPECT_TRUE(KvSameDataFile(1, QStringLiteral("xxd"), serverInfo(1, QStringLiteral("office")), 2,
                             QStringLiteral("xxd"), serverInfo(2, QStringLiteral("db.school.lan,5433"))));
  // Another port, another database or another host.
  EXPECT_FALSE(KvSameDataFile(1, QStringLiteral("xxd"), serverInfo(1, QStringLiteral("Office")), 2,
                              QStringLiteral("xxd"), serverInfo(2, QStringLiteral("db.school.lan"))));
  EXPECT_FALSE(KvSameDataFile(1, QStringLiteral("xxd"), serverInfo(1, QStringLiteral("Local")), 1,
                              QStringLiteral("xxd2"), serverInfo(1, QStringLiteral("Local"))));
  EXPECT_FALSE(KvSameDataFile(1, QStringLiteral("xxd"), serverInfo(1, QStringLiteral("Local")), 1,
                              QStringLiteral("xxd"), serverInfo(1, QStringLiteral("Office"))));
  // A source no file describes matches only itself.
  EXPECT_TRUE(KvSameDataFile(1, QStringLiteral("xxd"), serverInfo(1, QStringLiteral("Gone")), 1,
                             QStringLiteral("xxd"), serverInfo(1, QStringLiteral("GONE"))));
  EXPECT_FALSE(KvSameDataFile(1, QStringLiteral("xxd"), serverInfo(1, QStringLiteral("Gone")), 2,
                              QStringLiteral("xxd"), serverInfo(2, QStringLiteral("localhost"))));
}

TEST(KvSameDataFile, OneServerDatabaseWhateverTheKindAndTwoApart) {
  KvTestDb first(2), second(1);
  KV_CREATE_TEST_DB(first);
  KV_CREATE_TEST_DB(second);

  // The first database reached again through the ODBC data source.
  CKvDb overOdbc(1);
  ASSERT_TRUE(overOdbc.Open(first.name(), KvTestDb::ServerInfo(1)));
  EXPECT_TRUE(KvSameDataFile(overOdbc, 2, first.name(), first.info()));
  EXPECT_TRUE(KvSameDataFile(first.db(), 1, first.name().toUpper(), KvTestDb::ServerInfo(1)));
  EXPECT_TRUE(KvSameDataFile(first.db(), 2, QString(), first.db().GetConnectInfo()));

  EXPECT_FALSE(KvSameDataFile(first.db(), 1, second.name(), second.info()));
  EXPECT_FALSE(KvSameDataFile(second.db(), 2, first.name(), first.info()));
  overOdbc.Close();
  EXPECT_FALSE(KvSameDataFile(overOdbc, 2, first.name(), first.info()));
}
