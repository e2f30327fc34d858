#include "core/CKvRegKey.h"
#include "core/KvRegistry.h"

#include "tests/support/KvTestEnv.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>

namespace {

const QString kBase = QStringLiteral("Software\\KvRegTest");

class KvRegistry : public ::testing::Test {
protected:
  void SetUp() override { KvRegDeleteTree(KvRegRoot::CurrentUser, kBase); }
  void TearDown() override { KvRegDeleteTree(KvRegRoot::CurrentUser, kBase); }

  static QString key(const QString& below) { return kBase + QLatin1Char('\\') + below; }
  static bool write(const QString& subKey, const QString& name, const QString& value) {
    return KvRegWriteString(KvRegRoot::CurrentUser, subKey, name, value);
  }
  static QString read(const QString& subKey, const QString& name, bool* found = nullptr) {
    QString value = QStringLiteral("stale");
    const bool ok = KvRegReadString(KvRegRoot::CurrentUser, subKey, name, &value);
    if (found)
      *found = ok;
    return value;
  }
  static QStringList subkeys(const QString& subKey) {
    QStringList names;
    KvRegListSubkeys(KvRegRoot::CurrentUser, subKey, &names);
    return names;
  }
};

}  // namespace

TEST_F(KvRegistry, ValuesRoundTripWhateverTheyHold) {
  const QList<std::pair<QString, QString>> values = {
      {QStringLiteral("RootDir"), QStringLiteral("/home/老师/青禾苑数据")},
      {QStringLiteral("路径\\名"), QStringLiteral("C:\\数据\\2024.xxd")},
      {QStringLiteral("a/b"), QStringLiteral("a, b")},
      {QStringLiteral("%2F"), QStringLiteral("@Variant(x)")},
      {QStringLiteral("@"), QStringLiteral("\"quoted\" ; # =")},
      {QString(), QStringLiteral("  blanks kept  ")},
      {QStringLiteral("Lines"), QStringLiteral("one\ntwo\r\n")},
      {QStringLiteral("Empty"), QString()},
  };
  const QString path = key(QStringLiteral("列表\\窗口"));
  for (const auto& [name, value] : values)
    ASSERT_TRUE(write(path, name, value)) << qPrintable(name);
  for (const auto& [name, value] : values) {
    bool found = false;
    EXPECT_EQ(read(path, name, &found), value) << qPrintable(name);
    EXPECT_TRUE(found) << qPrintable(name);
  }
  QStringList names;
  QStringList data;
  EXPECT_EQ(KvRegEnumValues(KvRegRoot::CurrentUser, path, &names, &data), KV_REG_OK);
  EXPECT_EQ(names.size(), values.size());
  for (const auto& [name, value] : values) {
    const qsizetype at = names.indexOf(name);
    ASSERT_GE(at, 0) << qPrintable(name);
    EXPECT_EQ(data.at(at), value);
  }
}

TEST_F(KvRegistry, MissingValuesAndKeysReadAsEmptyAndFail) {
  bool found = true;
  EXPECT_EQ(read(key(QStringLiteral("Nowhere")), QStringLiteral("x"), &found), QString());
  EXPECT_FALSE(found);
  ASSERT_TRUE(write(key(QStringLiteral("Here")), QStringLiteral("x"), QStringLiteral("1")));
  EXPECT_EQ(read(key(QStringLiteral("Here")), QStringLiteral("y"), &found), QString());
  EXPECT_FALSE(found);
  QStringList names{QStringLiteral("old")};
  QStringList data{QStringLiteral("old")};
  EXPECT_EQ(KvRegEnumValues(KvRegRoot::CurrentUser, key(QStringLiteral("Nowhere")), &names, &data),
            KV_REG_NOT_FOUND);
  EXPECT_TRUE(names.isEmpty());
  EXPECT_TRUE(data.isEmpty());
  EXPECT_FALSE(KvRegDeleteValue(KvRegRoot::CurrentUser, key(QStringLiteral("Here")),
                                QStringLiteral("y")));
}

TEST_F(KvRegistry, WritingCreatesEveryMissingKeyOfThePath) {
  ASSERT_TRUE(write(key(QStringLiteral("A\\B/C\\D")), QStringLiteral("v"), QStringLiteral("深")));
  EXPECT_EQ(subkeys(kBase), QStringList{QStringLiteral("A")});
  EXPECT_EQ(subkeys(key(QStringLiteral("A"))), QStringList{QStringLiteral("B")});
  EXPECT_EQ(subkeys(key(QStringLiteral("A\\B"))), QStringList{QStringLiteral("C")});
  EXPECT_EQ(read(key(QStringLiteral("A/B/C/D/")), QStringLiteral("v")), QStringLiteral("深"));
}

TEST_F(KvRegistry, DeleteTreeRemovesNestedKeysAndLeavesSiblings) {
  write(key(QStringLiteral("Tree")), QStringLiteral("top"), QStringLiteral("1"));
  write(key(QStringLiteral("Tree\\X\\Y\\Z")), QStringLiteral("deep"), QStringLiteral("2"));
  write(key(QStringLiteral("Tree\\X")), QStringLiteral("mid"), QStringLiteral("3"));
  write(key(QStringLiteral("Tree\\中文")), QStringLiteral("v"), QStringLiteral("4"));
  write(key(QStringLiteral("TreeSibling")), QStringLiteral("keep"), QStringLiteral("5"));

  KvRegDeleteTree(KvRegRoot::CurrentUser, key(QStringLiteral("Tree")));
  EXPECT_EQ(subkeys(kBase), QStringList{QStringLiteral("TreeSibling")});
  EXPECT_FALSE(KvRegReadString(KvRegRoot::CurrentUser, key(QStringLiteral("Tree\\X\\Y\\Z")),
                               QStringLiteral("deep"), nullptr));
  EXPECT_EQ(read(key(QStringLiteral("TreeSibling")), QStringLiteral("keep")), QStringLiteral("5"));
  // A key that is not there: nothing happens.
  KvRegDeleteTree(KvRegRoot::CurrentUser, key(QStringLiteral("Tree")));
  EXPECT_EQ(subkeys(kBase), QStringList{QStringLiteral("TreeSibling")});
}

TEST_F(KvRegistry, DeleteKeyRemovesOnlyKeysWithoutSubkeys) {
  write(key(QStringLiteral("P\\Q")), QStringLiteral("v"), QStringLiteral("1"));
  write(key(QStringLiteral("P")), QStringLiteral("w"), QStringLiteral("2"));
  EXPECT_FALSE(KvRegDeleteKey(KvRegRoot::CurrentUser, key(QStringLiteral("P"))));
  EXPECT_EQ(read(key(QStringLiteral("P")), QStringLiteral("w")), QStringLiteral("2"));
  EXPECT_TRUE(KvRegDeleteKey(KvRegRoot::CurrentUser, key(QStringLiteral("P\\Q"))));
  EXPECT_TRUE(subkeys(key(QStringLiteral("P"))).isEmpty());
  EXPECT_FALSE(KvRegDeleteKey(KvRegRoot::CurrentUser, key(QStringLiteral("P\\Q"))));
  EXPECT_FALSE(KvRegDeleteKey(KvRegRoot::CurrentUser, QString()));
}

TEST_F(KvRegistry, ValueAndSubkeyOfTheSameNameAreDeletedApart) {
  write(key(QStringLiteral("Same")), QStringLiteral("Pos"), QStringLiteral("value"));
  write(key(QStringLiteral("Same\\Pos")), QStringLiteral("inner"), QStringLiteral("sub"));

  EXPECT_TRUE(KvRegDeleteValue(KvRegRoot::CurrentUser, key(QStringLiteral("Same")),
                               QStringLiteral("Pos")));
  EXPECT_EQ(read(key(QStringLiteral("Same\\Pos")), QStringLiteral("inner")), QStringLiteral("sub"));

  write(key(QStringLiteral("Same")), QStringLiteral("Pos"), QStringLiteral("value"));
  EXPECT_TRUE(KvRegDeleteKey(KvRegRoot::CurrentUser, key(QStringLiteral("Same\\Pos"))));
  EXPECT_EQ(read(key(QStringLiteral("Same")), QStringLiteral("Pos")), QStringLiteral("value"));
}

TEST_F(KvRegistry, EnumerationPutsNumericNamesInNumericOrder) {
  const QString path = key(QStringLiteral("History"));
  for (const QString& name : {QStringLiteral("10"), QStringLiteral("b"), QStringLiteral("2"),
                              QStringLiteral("1"), QStringLiteral("a"), QStringLiteral("9")})
    write(path, name, QStringLiteral("v") + name);
  QStringList names;
  QStringList data;
  ASSERT_EQ(KvRegEnumValues(KvRegRoot::CurrentUser, path, &names, &data), KV_REG_OK);
  EXPECT_EQ(names, (QStringList{"1", "2", "9", "10", "a", "b"}));
  EXPECT_EQ(data, (QStringList{"v1", "v2", "v9", "v10", "va", "vb"}));
}

TEST_F(KvRegistry, ValueListOrdersByTextOrByNumber) {
  const QString path = key(QStringLiteral("Order"));
  for (const QString& name : {QStringLiteral("9"), QStringLiteral("10"), QStringLiteral("100"),
                              QStringLiteral("2")})
    write(path, name, QStringLiteral("d") + name);
  QStringList names;
  QStringList data;
  EXPECT_EQ(KvRegReadValueList(KvRegRoot::CurrentUser, path, &names, &data, 1), 4);
  EXPECT_EQ(names, (QStringList{"10", "100", "2", "9"}));
  EXPECT_EQ(data, (QStringList{"d10", "d100", "d2", "d9"}));
  EXPECT_EQ(KvRegReadValueList(KvRegRoot::CurrentUser, path, &names, &data, 2), 4);
  EXPECT_EQ(names, (QStringList{"2", "9", "10", "100"}));
  EXPECT_EQ(data, (QStringList{"d2", "d9", "d10", "d100"}));
  EXPECT_EQ(KvRegReadValueList(KvRegRoot::CurrentUser, path, &names, &data, 0), 4);
  EXPECT_EQ(names, (QStringList{"2", "9", "10", "100"}));
}

TEST_F(KvRegistry, DeleteAllValuesKeepsSubkeys) {
  write(key(QStringLiteral("All")), QStringLiteral("x"), QStringLiteral("1"));
  write(key(QStringLiteral("All")), QStringLiteral("y"), QStringLiteral("2"));
  write(key(QStringLiteral("All\\Sub")), QStringLiteral("z"), QStringLiteral("3"));
  KvRegDeleteAllValues(KvRegRoot::CurrentUser, key(QStringLiteral("All")));
  QStringList names;
  QStringList data;
  KvRegEnumValues(KvRegRoot::CurrentUser, key(QStringLiteral("All")), &names, &data);
  EXPECT_TRUE(names.isEmpty());
  EXPECT_EQ(read(key(QStringLiteral("All\\Sub")), QStringLiteral("z")), QStringLiteral("3"));
}

TEST_F(KvRegistry, WritesReachTheFileAndOutsideChangesAreSeen) {
  const QString path = key(QStringLiteral("Shared"));
  ASSERT_TRUE(write(path, QStringLiteral("名"), QStringLiteral("值")));
  const QString file = KvRegFileName(KvRegRoot::CurrentUser);
  EXPECT_TRUE(file.startsWith(KvTestHome())) << qPrintable(file);

  // A copy of the file read by a settings object of its own shows what is on
  // disk, not what this process holds in memory.
  const QString copy = KvTestHome() + QStringLiteral("/registry-copy.ini");
  QFile::remove(copy);
  ASSERT_TRUE(QFile::copy(file, copy));
  {
    QSettings other(copy, QSettings::IniFormat);
    EXPECT_EQ(other.value(QStringLiteral("Software/KvRegTest/Shared/名")).toString(),
              QStringLiteral("值"));
    other.setValue(QStringLiteral("Software/KvRegTest/Shared/outside"), QStringLiteral("外部"));
  }
  // Another program replaces the file: the next read sees its value.
  ASSERT_TRUE(QFile::remove(file));
  ASSERT_TRUE(QFile::copy(copy, file));
  EXPECT_EQ(read(path, QStringLiteral("outside")), QStringLiteral("外部"));
  EXPECT_EQ(read(path, QStringLiteral("名")), QStringLiteral("值"));
}

TEST_F(KvRegistry, RootsAreSeparateFiles) {
  ASSERT_TRUE(KvRegWriteString(KvRegRoot::ClassesRoot, QStringLiteral(".kvregtest"), QString(),
                               QStringLiteral("kvregtestFile")));
  EXPECT_FALSE(KvRegReadString(KvRegRoot::CurrentUser, QStringLiteral(".kvregtest"), QString(),
                               nullptr));
  EXPECT_NE(KvRegFileName(KvRegRoot::ClassesRoot), KvRegFileName(KvRegRoot::CurrentUser));
  EXPECT_NE(KvRegFileName(KvRegRoot::LocalMachine), KvRegFileName(KvRegRoot::CurrentUser));
  KvRegDeleteTree(KvRegRoot::ClassesRoot, QStringLiteral(".kvregtest"));
}

TEST_F(KvRegistry, HolderOpensOnlyExistingKeysAndClosesOnDestruction) {
  CKvRegKey holder;
  EXPECT_EQ(holder.Open(KvRegRoot::CurrentUser, key(QStringLiteral("Absent"))), KV_REG_NOT_FOUND);
  EXPECT_FALSE(holder.IsOpen());
  ASSERT_EQ(holder.Create(KvRegRoot::CurrentUser, key(QStringLiteral("Held"))), KV_REG_OK);
  EXPECT_EQ(holder.GroupPath(), QStringLiteral("Software/KvRegTest/Held"));
  EXPECT_EQ(holder.SetString(QStringLiteral("a"), QStringLiteral("1")), KV_REG_OK);
  // Reused for another key: the first is closed.
  ASSERT_EQ(holder.Open(KvRegRoot::CurrentUser, key(QStringLiteral("Held"))), KV_REG_OK);
  QString value;
  EXPECT_EQ(holder.QueryString(&value, QStringLiteral("a")), KV_REG_OK);
  EXPECT_EQ(value, QStringLiteral("1"));
  holder.Close();
  EXPECT_FALSE(holder.IsOpen());
  EXPECT_EQ(holder.QueryString(&value, QStringLiteral("a")), KV_REG_NOT_FOUND);
  EXPECT_TRUE(value.isEmpty());
}
