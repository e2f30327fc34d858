#include "core/CKvFormFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

void touch(const QString& path) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

}  // namespace

TEST(CKvFormFile, FindsTheNearestDefinitionUpTheFolders) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString root = dir.path();
  ASSERT_TRUE(QDir(root).mkpath("A/B"));
  const QString data = root + "/A/B/c.BSJ";

  EXPECT_EQ(CKvFormFile::FindZrvFile(data), QString());
  touch(root + "/A.ZRV");
  EXPECT_EQ(CKvFormFile::FindZrvFile(data), root + "/A.ZRV");
  touch(root + "/A/B.zrv");
  EXPECT_EQ(CKvFormFile::FindZrvFile(data), root + "/A/B.zrv");
  touch(root + "/A/B/c.ZRV");
  EXPECT_EQ(CKvFormFile::FindZrvFile(data), root + "/A/B/c.ZRV");
  // Backslashes are separators too; the result uses "/".
  QString windowsStyle = data;
  windowsStyle.replace(u'/', u'\\');
  EXPECT_EQ(CKvFormFile::FindZrvFile(windowsStyle), root + "/A/B/c.ZRV");
  // A dot in a folder name is not an extension of the file.
  ASSERT_TRUE(QDir(root).mkpath("v1.2"));
  touch(root + "/v1.2/d.ZRV");
  EXPECT_EQ(CKvFormFile::FindZrvFile(root + "/v1.2/d"), root + "/v1.2/d.ZRV");
  EXPECT_EQ(CKvFormFile::FindZrvFile(QStringLiteral("c.BSJ")), QString());
}

TEST(CKvFormFile, KindsOfFilePaths) {
  QString folder;
  QString sub;
  int number = 99;
  EXPECT_EQ(CKvFormFile::ResolveKind("/rep/fees.zrv", &folder, &number, &sub), 2);
  EXPECT_EQ(folder, QStringLiteral("/REP"));
  EXPECT_EQ(sub, QStringLiteral("FEES.ZRV"));
  EXPECT_EQ(number, -1);
  EXPECT_EQ(CKvFormFile::ResolveKind("\\rep\\fees\\007\\c.bsj", &folder, &number, &sub), 3);
  EXPECT_EQ(folder, QStringLiteral("/REP/FEES/007"));
  EXPECT_EQ(number, 7);
  EXPECT_EQ(CKvFormFile::ResolveKind("/rep/notes.txt", nullptr, nullptr, nullptr), -2);
}

TEST(CKvFormFile, FolderPathsWalkUpToAStop) {
  QString folder;
  QString sub;
  int number = 99;
  EXPECT_EQ(CKvFormFile::ResolveKind("/rep/fees.zrv/3/term", &folder, &number, &sub), 1);
  EXPECT_EQ(folder, QStringLiteral("/REP/FEES.ZRV"));
  EXPECT_EQ(sub, QStringLiteral("3/TERM"));
  EXPECT_EQ(number, 3);
  // Letters followed by eight more characters stop the walk.
  EXPECT_EQ(CKvFormFile::ResolveKind("/data/kvbb20240101/12/", &folder, &number, &sub), 1);
  EXPECT_EQ(folder, QStringLiteral("/DATA/KVBB20240101"));
  EXPECT_EQ(sub, QStringLiteral("12"));
  EXPECT_EQ(number, 12);
  EXPECT_EQ(CKvFormFile::ResolveKind("/a/b", &folder, &number, &sub), 1);
  EXPECT_EQ(folder, QStringLiteral("/"));
  EXPECT_EQ(sub, QStringLiteral("A/B"));
  EXPECT_EQ(number, 0);
}

TEST(CKvFormFile, DataPathsLandBesideTheDefinition) {
  const QString zrv = QStringLiteral("/rep/Fees.ZRV");
  EXPECT_EQ(CKvFormFile::GetPath(zrv, "/old/place/Fees/007/c.BSJ"),
            QStringLiteral("/rep/Fees/007/c.BSJ"));
  EXPECT_EQ(CKvFormFile::GetPath(zrv, "c.bsj"), QStringLiteral("/rep/Fees/c.bsj"));
  EXPECT_EQ(CKvFormFile::GetPath("\\rep\\Fees.zrv", "3\\term"),
            QStringLiteral("/rep/Fees/3/term"));
  EXPECT_EQ(CKvFormFile::GetPath("/rep/Fees.txt", "c.BSJ"), QString());
  EXPECT_EQ(CKvFormFile::GetPath(zrv, "c.txt"), QString());
}
