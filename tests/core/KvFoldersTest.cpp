#include "core/KvFolders.h"

#include "core/KvRegistry.h"

#include "tests/support/KvTestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>

namespace {

QString readAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void writeAll(const QString& path, const QString& text) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text.toUtf8());
}

}  // namespace

TEST(KvFolders, DefaultDataFolderIsInTheUsersDataFolderAndNotCreated) {
  const QString folder = KvDefaultDataFolder();
  EXPECT_EQ(folder, KvTestHome() + QStringLiteral("/data/zrvsoft/Kvqy/青禾苑数据"));
  EXPECT_FALSE(QFileInfo::exists(folder));
}

TEST(KvFolders, SpecialFoldersOfThisSystem) {
  EXPECT_EQ(KvSpecialFolder(6), QDir::cleanPath(QDir::tempPath()));
  EXPECT_EQ(KvSpecialFolder(7), QDir::currentPath());
  EXPECT_EQ(KvSpecialFolder(4), KvTestHome() + QStringLiteral("/data/applications"));
  EXPECT_EQ(KvSpecialFolder(5), KvSpecialFolder(4));
  EXPECT_FALSE(KvSpecialFolder(2).isEmpty());
  EXPECT_EQ(KvSpecialFolder(9), QString());
  EXPECT_EQ(KvSpecialFolder(-1), QString());
}

TEST(KvFolders, FileTypeRegistrationMakesTheExtensionOpenWithTheProgram) {
  const QString data = KvTestHome() + QStringLiteral("/data");
  const QString mimeApps = KvTestHome() + QStringLiteral("/config/mimeapps.list");
  // The user's other choices must survive; an old choice for the type goes.
  writeAll(mimeApps, QStringLiteral("[Default Applications]\ntext/plain=editor.desktop\n"
                                    "application/x-zrvsoft-kvt=old.desktop\n\n"
                                    "[Added Associations]\nimage/png=viewer.desktop;\n"));

  const QString program = QStringLiteral("/opt/青禾 苑/bin/kvqy");
  KvRegisterFileType(QStringLiteral("kvt"), QStringLiteral("测试数据文件"), program);

  const QString package = readAll(data + QStringLiteral("/mime/packages/zrvsoft-kvt.xml"));
  EXPECT_TRUE(package.contains(QStringLiteral("<mime-type type=\"application/x-zrvsoft-kvt\">")));
  EXPECT_TRUE(package.contains(QStringLiteral("<glob pattern=\"*.kvt\"/>")));
  EXPECT_TRUE(package.contains(QStringLiteral("<comment>测试数据文件</comment>")));

  const QString entry = readAll(data + QStringLiteral("/applications/zrvsoft-kvt.desktop"));
  EXPECT_TRUE(entry.startsWith(QStringLiteral("[Desktop Entry]\n")));
  EXPECT_TRUE(entry.contains(QStringLiteral("\nExec=\"/opt/青禾 苑/bin/kvqy\" %f\n"))) << qPrintable(entry);
  EXPECT_TRUE(entry.contains(QStringLiteral("\nMimeType=application/x-zrvsoft-kvt;\n")));

  const QString choices = readAll(mimeApps);
  EXPECT_TRUE(choices.contains(QStringLiteral("application/x-zrvsoft-kvt=zrvsoft-kvt.desktop\n")));
  EXPECT_FALSE(choices.contains(QStringLiteral("old.desktop")));
  EXPECT_TRUE(choices.contains(QStringLiteral("text/plain=editor.desktop\n")));
  EXPECT_TRUE(choices.contains(QStringLiteral("[Added Associations]\nimage/png=viewer.desktop;\n")));

  // The desktop's own type lookup now knows the extension.
  EXPECT_EQ(QMimeDatabase().mimeTypeForFile(QStringLiteral("2024.kvt"), QMimeDatabase::MatchExtension).name(),
            QStringLiteral("application/x-zrvsoft-kvt"));

  QString value;
  EXPECT_TRUE(KvRegReadString(KvRegRoot::ClassesRoot, QStringLiteral(".kvt"), QString(), &value));
  EXPECT_EQ(value, QStringLiteral("kvtFile"));
  EXPECT_TRUE(KvRegReadString(KvRegRoot::ClassesRoot, QStringLiteral("kvtFile\\shell\\open\\command"),
                              QString(), &value));
  EXPECT_EQ(value, program + QStringLiteral(" \"%1\""));

  // Registering again changes nothing and adds no second line.
  KvRegisterFileType(QStringLiteral("kvt"), QStringLiteral("测试数据文件"), program);
  EXPECT_EQ(readAll(mimeApps), choices);
  KvRegDeleteTree(KvRegRoot::ClassesRoot, QStringLiteral(".kvt"));
  KvRegDeleteTree(KvRegRoot::ClassesRoot, QStringLiteral("kvtFile"));
}

TEST(KvFolders, FileTypeRegistrationStartsTheUsersChoicesWhenThereAreNone) {
  const QString mimeApps = KvTestHome() + QStringLiteral("/config/mimeapps.list");
  QFile::remove(mimeApps);
  KvRegisterFileType(QStringLiteral("kvu"), QStringLiteral("d"), QStringLiteral("/usr/bin/kvqy"));
  EXPECT_EQ(readAll(mimeApps),
            QStringLiteral("[Default Applications]\napplication/x-zrvsoft-kvu=zrvsoft-kvu.desktop\n"));
  KvRegDeleteTree(KvRegRoot::ClassesRoot, QStringLiteral(".kvu"));
  KvRegDeleteTree(KvRegRoot::ClassesRoot, QStringLiteral("kvuFile"));
}
