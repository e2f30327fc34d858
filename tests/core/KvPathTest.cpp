#include "core/KvPath.h"

#include "tests/support/KvTestEnv.h"

#include <gtest/gtest.h>

#include <QFile>

TEST(KvPath, StartsWithComparesWholeElementsInAnyCaseAndSeparator) {
  EXPECT_TRUE(KvPathStartsWith(QStringLiteral("/Data/Kvqy/"), QStringLiteral("\\data\\kvqy\\2024.xxd")));
  EXPECT_TRUE(KvPathStartsWith(QStringLiteral("/data/kvqy\\"), QStringLiteral("/DATA/KVQY//")));
  EXPECT_TRUE(KvPathStartsWith(QStringLiteral("/"), QStringLiteral("/home/x")));
  EXPECT_FALSE(KvPathStartsWith(QStringLiteral("/data/kv"), QStringLiteral("/data/kvqy/a")));
  EXPECT_FALSE(KvPathStartsWith(QStringLiteral("/data/kvqy/a"), QStringLiteral("/data/kvqy")));
  // Only ASCII letters are folded.
  EXPECT_FALSE(KvPathStartsWith(QStringLiteral("/数据/Ａ"), QStringLiteral("/数据/ａ/x")));
}

TEST(KvPath, ExtensionTitleAndFolderOfEitherSeparator) {
  EXPECT_EQ(KvFileExt(QStringLiteral("/home/u/2024.xxd")), QStringLiteral("XXD"));
  EXPECT_EQ(KvFileExt(QStringLiteral("C:\\a.b\\file")), QString());
  EXPECT_EQ(KvFileExt(QStringLiteral("/a.b/file")), QString());
  EXPECT_EQ(KvFileExt(QStringLiteral("noext")), QString());
  EXPECT_EQ(KvFileExt(QStringLiteral("/x/archive.tar.Gz")), QStringLiteral("GZ"));

  EXPECT_EQ(KvFileTitle(QStringLiteral("\\数据\\2024年.xxd")), QStringLiteral("2024年"));
  EXPECT_EQ(KvFileTitle(QStringLiteral("/a.b/file")), QStringLiteral("file"));
  EXPECT_EQ(KvFileTitle(QStringLiteral("archive.tar.gz")), QStringLiteral("archive.tar"));

  EXPECT_EQ(KvFileDir(QStringLiteral("\\home\\u\\2024.xxd")), QStringLiteral("/home/u"));
  EXPECT_EQ(KvFileDir(QStringLiteral("/home/u/folder/")), QStringLiteral("/home/u"));
  EXPECT_EQ(KvFileDir(QStringLiteral("file.xxd")), QString());
}

TEST(KvPath, QuotedValueSkipsKeysInsideQuotes) {
  const QString text = QStringLiteral("<a title=\"src=fake\" src=\"pic.png\" alt=\"x\">");
  int start = 0;
  int end = 0;
  EXPECT_EQ(KvFindQuotedValue(QStringLiteral("src="), text, &start, &end), QStringLiteral("pic.png"));
  EXPECT_EQ(start, text.indexOf(QStringLiteral(" src=")) + 1);
  EXPECT_EQ(end, text.indexOf(QStringLiteral("pic.png")) + 8);
  EXPECT_EQ(KvFindQuotedValue(QStringLiteral("alt="), text), QStringLiteral("x"));

  EXPECT_EQ(KvFindQuotedValue(QStringLiteral("href="), text, &start, &end), QString());
  EXPECT_EQ(start, -1);
  EXPECT_EQ(end, -1);
  EXPECT_EQ(KvFindQuotedValue(QStringLiteral("k="), QStringLiteral("k=\"open")), QString());
}

TEST(KvPath, TextFileIsReadAsUtf8OrElseGbk) {
  const QString utf8Path = KvTestHome() + QStringLiteral("/utf8.txt");
  const QString gbkPath = KvTestHome() + QStringLiteral("/gbk.txt");
  {
    QFile file(utf8Path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("第一行\r\n第二行\n").toUtf8());
  }
  {
    QFile file(gbkPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\xD6\xD0\xCE\xC4\r\nabc"));  // "中文" in GBK
  }
  EXPECT_EQ(KvReadTextFile(utf8Path), QStringLiteral("第一行\n第二行\n"));
  EXPECT_EQ(KvReadTextFile(gbkPath), QStringLiteral("中文\nabc"));
  EXPECT_EQ(KvReadTextFile(KvTestHome() + QStringLiteral("/missing.txt")), QString());
}
