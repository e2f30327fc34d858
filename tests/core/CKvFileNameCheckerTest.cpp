#include "core/CKvFileNameChecker.h"

#include "tests/support/KvTestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString messageAfterCheck(const QString& path, int* state) {
  CKvFileNameChecker checker(path);
  QString message;
  *state = checker.GetMessage(&message);
  return message;
}

// A fresh folder of the test's own under the test home.
QString freshFolder(const char* name) {
  const QString folder = KvTestHome() + QStringLiteral("/checker-") + QString::fromLatin1(name);
  QDir(folder).removeRecursively();
  QDir().mkpath(folder);
  return folder;
}

}  // namespace

TEST(CKvFileNameChecker, EmptyAndForbiddenNamesGiveTheirMessages) {
  int state = 99;
  EXPECT_EQ(messageAfterCheck(QString(), &state), QStringLiteral("文件名为空！"));
  EXPECT_EQ(state, 0);
  const QString invalid = QStringLiteral("文件名不能包含以下字母！\n\n\t/?*|<>\"");
  for (const char* path : {"/tmp/a*b", "a?b", "x|y", "<x>", "say\"hi\"", "/tmp/a:b", "a\\b:c"}) {
    EXPECT_EQ(messageAfterCheck(QString::fromLatin1(path), &state), invalid) << path;
    EXPECT_EQ(state, -1) << path;
  }
  // A name beginning with "." is refused unless "." or ".." starts a path.
  EXPECT_EQ((messageAfterCheck(QStringLiteral(".hidden"), &state), state), -1);
  EXPECT_EQ((messageAfterCheck(QStringLiteral("./a"), &state), state), 1);
  EXPECT_EQ((messageAfterCheck(QStringLiteral("..\\a"), &state), state), 1);
  EXPECT_EQ((messageAfterCheck(QStringLiteral("."), &state), state), 1);
}

TEST(CKvFileNameChecker, CheckTakesExtensionAndTitleFromTheLastElement) {
  CKvFileNameChecker checker;
  checker.Check(QStringLiteral("\\home\\老师\\2024年.Xxd"));
  EXPECT_EQ(checker.m_nState, 1);
  EXPECT_EQ(checker.m_strExt, QStringLiteral("Xxd"));
  EXPECT_EQ(checker.m_strTitle, QStringLiteral("2024年"));
  EXPECT_EQ(checker.m_strPath, QStringLiteral("\\home\\老师\\2024年.Xxd"));

  checker.Check(QStringLiteral("/data.old/backup"));
  EXPECT_EQ(checker.m_strExt, QString());
  EXPECT_EQ(checker.m_strTitle, QStringLiteral("backup"));

  checker.Check(QStringLiteral("a*b.txt"));
  EXPECT_EQ(checker.m_nState, -1);
  EXPECT_EQ(checker.m_strExt, QString());
}

TEST(CKvFileNameChecker, ExistingPlainFileIsReportedOnlyByCheckIsFolder) {
  const QString folder = freshFolder("exists");
  QFile file(folder + QStringLiteral("/data.xxd"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();

  CKvFileNameChecker checker(folder + QStringLiteral("/data.xxd"));
  EXPECT_EQ(checker.m_nState, 1);
  checker.CheckIsFolder();
  EXPECT_EQ(checker.m_nState, 2);

  checker.Check(folder);
  checker.CheckIsFolder();
  EXPECT_EQ(checker.m_nState, 1);
  checker.Check(folder + QStringLiteral("/new.xxd"));
  checker.CheckIsFolder();
  EXPECT_EQ(checker.m_nState, 1);
}

TEST(CKvFileNameChecker, CreateFolderMakesEveryMissingLevel) {
  const QString folder = freshFolder("create");
  CKvFileNameChecker checker;
  EXPECT_TRUE(checker.KvCreateFolder(folder + QStringLiteral("\\一/二\\三/")));
  EXPECT_EQ(checker.m_nState, 1);
  EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/一/二/三")).isDir());
  // Existing folders are left alone.
  EXPECT_TRUE(checker.KvCreateFolder(folder + QStringLiteral("/一/二")));
  EXPECT_EQ(checker.m_nState, 1);

  // Relative paths are made in the current folder.
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(folder));
  EXPECT_TRUE(checker.KvCreateFolder(QStringLiteral("./rel/sub")));
  EXPECT_TRUE(checker.KvCreateFolder(QStringLiteral("plain/sub")));
  QDir::setCurrent(previous);
  EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/rel/sub")).isDir());
  EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/plain/sub")).isDir());
}

TEST(CKvFileNameChecker, CreateFolderRefusesPlainFilesAndBadNames) {
  const QString folder = freshFolder("refuse");
  QFile file(folder + QStringLiteral("/taken"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();

  CKvFileNameChecker checker;
  EXPECT_FALSE(checker.KvCreateFolder(folder + QStringLiteral("/taken")));
  EXPECT_EQ(checker.m_nState, 2);
  EXPECT_FALSE(QFileInfo(folder + QStringLiteral("/taken")).isDir());

  EXPECT_FALSE(checker.KvCreateFolder(folder + QStringLiteral("/taken/below/deeper")));
  EXPECT_EQ(checker.m_nState, -21);

  EXPECT_FALSE(checker.KvCreateFolder(folder + QStringLiteral("/bad:name/x")));
  EXPECT_EQ(checker.m_nState, -1);
  EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/bad:name")));

  EXPECT_FALSE(checker.KvCreateFolder(QString()));
  EXPECT_EQ(checker.m_nState, 0);
}
