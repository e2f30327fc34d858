// The database configuration of the last login in the user's settings:
// round trips of both kinds and both server back ends, incomplete settings
// that leave the descriptor alone, and the server password, kept only on
// request and then in a settings file of the user's alone.

#include "app/CKvApp.h"
#include "app/CKvDataFile.h"
#include "core/CKvRegKey.h"
#include "core/KvRegistry.h"
#include "core/KvScrambleDigits.h"

#include <gtest/gtest.h>

#include <QFile>

namespace {
constexpr KvRegRoot kRoot = KvRegRoot::CurrentUser;

class CKvDataFileConfig : public ::testing::Test {
 protected:
  void SetUp() override { KvRegDeleteTree(kRoot, KvGetRegKeyPath()); }

  static QString value(const QString& name, const QString& subKey = QString()) {
    QString text;
    KvRegReadString(kRoot, KvGetRegKeyPath() + (subKey.isEmpty() ? QString() : u'\\' + subKey),
                    name, &text);
    return text;
  }

  // A descriptor on a server database through the back end.
  static CKvDataFile serverFile(int backend, const QString& dataSource) {
    CKvDataFile file(1);
    file.SetServerBackend(backend);
    CKvDbInfo info(backend);
    info.m_strServer = dataSource;
    info.m_strUser = QStringLiteral("kvuser");
    info.m_strPassword = QStringLiteral("秘密'pw");
    file.SetDbInfo(info);
    file.SetFileName(QStringLiteral("xxd00012024"));
    file.SetOperatorCode(QStringLiteral("102"));
    file.SetRootDir(QStringLiteral("/srv/kv"));
    return file;
  }
};
}  // namespace

TEST_F(CKvDataFileConfig, FileSettingsComeBack) {
  CKvDataFile file;
  file.SetRootDir(QStringLiteral("/home/x/青禾苑数据"));
  file.SetFileName(QStringLiteral("/home/x/青禾苑数据/2024.xxd"));
  file.SetOperatorCode(QStringLiteral("101"));
  ASSERT_TRUE(file.WriteDbConfig());
  EXPECT_EQ(value(QStringLiteral("DBType")), QStringLiteral("0"));

  CKvDataFile read(1);
  ASSERT_TRUE(read.ReadDbConfig());
  EXPECT_EQ(read.GetKind(), 0);
  EXPECT_EQ(read.GetDbKind(), 0);
  EXPECT_EQ(read.GetRootDir(), file.GetRootDir());
  EXPECT_EQ(read.GetFileName(), file.GetFileName());
  EXPECT_EQ(read.GetOperatorCode(), QStringLiteral("101"));
}

TEST_F(CKvDataFileConfig, ServerSettingsComeBackForEitherBackEnd) {
  for (const int backend : {1, 2}) {
    SetUp();
    // A first login ever on a server: nothing was stored before.
    CKvDataFile file = serverFile(backend, QStringLiteral("db.host/ab\\c"));
    ASSERT_TRUE(file.WriteDbConfig());
    EXPECT_EQ(value(QStringLiteral("DBType")), QString::number(backend));
    // The data source is one sub-key, whatever "/" and "\" it holds.
    QStringList subKeys;
    KvRegListSubkeys(kRoot, KvGetRegKeyPath(), &subKeys);
    EXPECT_EQ(subKeys, QStringList{QStringLiteral("db.host%2Fab%5Cc")});
    // The password is not kept unless asked for.
    EXPECT_EQ(value(QStringLiteral("PWD"), subKeys.value(0)), QString());

    CKvDataFile read;
    ASSERT_TRUE(read.ReadDbConfig()) << backend;
    EXPECT_EQ(read.GetKind(), 1);
    EXPECT_EQ(read.GetDbKind(), backend);
    EXPECT_EQ(read.GetFileName(), QStringLiteral("xxd00012024"));
    EXPECT_EQ(read.GetOperatorCode(), QStringLiteral("102"));
    EXPECT_EQ(read.GetRootDir(), QStringLiteral("/srv/kv"));
    const CKvDbInfo info = read.GetDbInfo();
    EXPECT_EQ(info.m_strServer, QStringLiteral("db.host/ab\\c"));
    EXPECT_EQ(info.m_strDatabase, QStringLiteral("xxd00012024"));
    EXPECT_EQ(info.m_strUser, QStringLiteral("kvuser"));
    EXPECT_EQ(info.m_strPassword, QString());
    EXPECT_FALSE(read.GetRememberPassword());
  }
  // Any other number than 0 and 1 is the direct back end.
  ASSERT_TRUE(KvRegWriteString(kRoot, KvGetRegKeyPath(), QStringLiteral("DBType"),
                               QStringLiteral("5")));
  CKvDataFile read;
  ASSERT_TRUE(read.ReadDbConfig());
  EXPECT_EQ(read.GetDbKind(), 2);
}

TEST_F(CKvDataFileConfig, KeepsAServerPasswordOnlyOnRequestInAPrivateFile) {
  CKvDataFile file = serverFile(2, QStringLiteral("pghost"));
  file.SetRememberPassword(true);
  ASSERT_TRUE(file.WriteDbConfig());
  const QString stored = value(QStringLiteral("PWD"), QStringLiteral("pghost"));
  EXPECT_EQ(stored, KvScrambleDigits(QStringLiteral("秘密'pw"), true));
  EXPECT_NE(stored, QStringLiteral("秘密'pw"));
  const auto privateFile = [] {
    return QFile::permissions(KvRegFileName(kRoot)) ==
           (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
  };
  EXPECT_TRUE(privateFile());
  // Later writes of other settings keep the file private.
  ASSERT_TRUE(
      KvRegWriteString(kRoot, KvGetRegKeyPath(), QStringLiteral("Other"), QStringLiteral("1")));
  EXPECT_TRUE(privateFile());

  CKvDataFile read;
  ASSERT_TRUE(read.ReadDbConfig());
  EXPECT_EQ(read.GetDbInfo().m_strPassword, QStringLiteral("秘密'pw"));
  EXPECT_TRUE(read.GetRememberPassword());

  // Asked no more: the password is gone from the settings.
  read.SetRememberPassword(false);
  ASSERT_TRUE(read.WriteDbConfig());
  EXPECT_EQ(value(QStringLiteral("PWD"), QStringLiteral("pghost")), QString());
}

TEST_F(CKvDataFileConfig, IncompleteSettingsLeaveTheDescriptorAlone) {
  CKvDataFile file = serverFile(2, QStringLiteral("pghost"));
  ASSERT_TRUE(file.WriteDbConfig());

  CKvDataFile kept;
  kept.SetFileName(QStringLiteral("/data/2023.xxd"));
  kept.SetOperatorCode(QStringLiteral("103"));
  const auto unchanged = [&kept] {
    EXPECT_EQ(kept.GetKind(), 0);
    EXPECT_EQ(kept.GetFileName(), QStringLiteral("/data/2023.xxd"));
    EXPECT_EQ(kept.GetOperatorCode(), QStringLiteral("103"));
  };
  // The server's sub-key without "PWD".
  ASSERT_TRUE(KvRegDeleteValue(kRoot, KvGetRegKeyPath() + QStringLiteral("\\pghost"),
                               QStringLiteral("PWD")));
  EXPECT_FALSE(kept.ReadDbConfig());
  unchanged();

  // A file configuration without "DSN".
  CKvDataFile jet;
  jet.SetFileName(QStringLiteral("/data/2024.xxd"));
  ASSERT_TRUE(jet.WriteDbConfig());
  ASSERT_TRUE(KvRegDeleteValue(kRoot, KvGetRegKeyPath(), QStringLiteral("DSN")));
  EXPECT_FALSE(kept.ReadDbConfig());
  unchanged();
}

TEST_F(CKvDataFileConfig, AFileLoginLeavesTheServerValuesAlone) {
  ASSERT_TRUE(serverFile(2, QStringLiteral("pghost")).WriteDbConfig());
  CKvDataFile jet;
  jet.SetFileName(QStringLiteral("/data/2024.xxd"));
  ASSERT_TRUE(jet.WriteDbConfig());
  EXPECT_EQ(value(QStringLiteral("DATABASE")), QStringLiteral("xxd00012024"));
  EXPECT_EQ(value(QStringLiteral("UID"), QStringLiteral("pghost")), QStringLiteral("kvuser"));
  EXPECT_EQ(value(QStringLiteral("DataDir")), QStringLiteral("/data/2024.xxd"));
}
