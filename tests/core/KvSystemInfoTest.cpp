#include "core/KvSystemInfo.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

// Sets an environment variable for the life of the object, then puts back
// what was there.
class EnvOverride {
 public:
  EnvOverride(const char* name, const QByteArray& value)
      : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
    qputenv(name, value);
  }
  ~EnvOverride() {
    if (m_had)
      qputenv(m_name, m_old);
    else
      qunsetenv(m_name);
  }

 private:
  const char* m_name;
  bool m_had;
  QByteArray m_old;
};

void writeFile(const QString& path, const QByteArray& text) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(text);
}

}  // namespace

void checkDataSourceListing() {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString root = dir.path();
  writeFile(root + "/odbcinst.ini",
            "[PostgreSQL Unicode]\nDriver=/nonexistent/psqlodbcw.so\n\n"
            "[SQLite3]\nDriver=/nonexistent/libsqlite3odbc.so\n");
  writeFile(root + "/odbc.ini",
            "[学校数据]\nDriver=PostgreSQL Unicode\nDatabase=school\n\n"
            "[fees_archive_with_a_name_longer_than_32]\nDriver=SQLite3\nDatabase=/tmp/x\n");
  writeFile(root + "/user-odbc.ini", "[timetable]\nDriver=PostgreSQL Unicode\n");
  EnvOverride sysIni("ODBCSYSINI", QFile::encodeName(root));
  EnvOverride userIni("ODBCINI", QFile::encodeName(root + "/user-odbc.ini"));

  QStringList names;
  QStringList descriptions;
  KvListDataSources(&names, &descriptions);
  ASSERT_EQ(names.size(), 3) << names.join(u',').toStdString();
  ASSERT_EQ(descriptions.size(), 3);
  for (const auto& [name, driver] :
       {std::pair{"学校数据", "PostgreSQL Unicode"}, std::pair{"timetable", "PostgreSQL Unicode"},
        std::pair{"fees_archive_with_a_name_longer_than_32", "SQLite3"}}) {
    const qsizetype at = names.indexOf(QString::fromUtf8(name));
    ASSERT_GE(at, 0) << name << " in " << names.join(u',').toStdString();
    EXPECT_EQ(descriptions.at(at), QString::fromUtf8(driver));
  }

  QStringList picked{QStringLiteral("stale")};
  EXPECT_EQ(KvListDataSourcesOf(&picked, QStringLiteral("postgresql UNICODE")), 2);
  picked.sort();
  EXPECT_EQ(picked, QStringList({QStringLiteral("timetable"), QStringLiteral("学校数据")}));
  EXPECT_EQ(KvListDataSourcesOf(&picked, QStringLiteral("SQL Server")), 0);
  EXPECT_TRUE(picked.isEmpty());
}

// unixODBC reads its ini files once per process: the listing runs in a child
// process, so that the data sources written here stay out of later tests of
// the same process.
TEST(KvSystemInfo, ListsDataSourcesAndFiltersByDriverIgnoringCase) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        checkDataSourceListing();
        std::_Exit(::testing::Test::HasFailure() ? 1 : 0);
      },
      ::testing::ExitedWithCode(0), "");
}
