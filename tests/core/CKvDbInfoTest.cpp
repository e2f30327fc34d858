// Connect information: defaults per kind, connect strings and reading them back.

#include "core/CKvDbInfo.h"

#include <gtest/gtest.h>

TEST(CKvDbInfo, DefaultsPerKind) {
  const CKvDbInfo jet(0), odbc(1), server(2);
  EXPECT_EQ(jet.m_strServer, QString());
  EXPECT_EQ(odbc.m_strServer, QStringLiteral("MQIS"));
  EXPECT_EQ(server.m_strServer, QStringLiteral("(local)"));
  for (const CKvDbInfo& info : {jet, odbc, server}) {
    EXPECT_EQ(info.m_strUser, QStringLiteral("sa"));
    EXPECT_EQ(info.m_strPassword, QString());
    EXPECT_EQ(info.m_strDatabase, QStringLiteral("master"));
  }
}

TEST(CKvDbInfo, ConnectStringsOfTheKinds) {
  CKvDbInfo info(2);
  EXPECT_EQ(info.GetConnectString(2),
            QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=False;"
                           "User ID=sa;PassWord=;Initial Catalog=master;Data Source=(local)"));
  EXPECT_EQ(info.GetConnectString(0), info.GetConnectString(2));
  info.m_strServer = QStringLiteral("MQIS");
  info.m_strPassword = QStringLiteral("pw");
  info.m_strDatabase = QStringLiteral("xxd2026");
  EXPECT_EQ(info.GetConnectString(1), QStringLiteral("DSN=MQIS;UID=sa;PWD=pw;DATABASE=xxd2026"));
}

TEST(CKvDbInfo, ParsingFindsKeysWhateverTheirCase) {
  CKvDbInfo info(1);
  info.ParseConnectString(QStringLiteral("dsn=Data1;uid=Li;Pwd=Secret;database=Xxd"), 1);
  EXPECT_EQ(info.m_strServer, QStringLiteral("Data1"));
  EXPECT_EQ(info.m_strUser, QStringLiteral("Li"));
  EXPECT_EQ(info.m_strPassword, QStringLiteral("Secret"));
  EXPECT_EQ(info.m_strDatabase, QStringLiteral("Xxd"));
  // A missing key empties its field; the last value runs to the end.
  info.ParseConnectString(QStringLiteral("Provider=SQLOLEDB.1;user id=u;Initial Catalog=db"), 2);
  EXPECT_EQ(info.m_strServer, QString());
  EXPECT_EQ(info.m_strUser, QStringLiteral("u"));
  EXPECT_EQ(info.m_strPassword, QString());
  EXPECT_EQ(info.m_strDatabase, QStringLiteral("db"));
  // A key is matched whole: XUID is not UID.
  info.ParseConnectString(QStringLiteral("XUID=a;UID=b"), 1);
  EXPECT_EQ(info.m_strUser, QStringLiteral("b"));
}

TEST(CKvDbInfo, ValuesWithSeparatorsCannotAddItems) {
  CKvDbInfo info(1);
  info.m_strServer = QStringLiteral("MQIS");
  info.m_strPassword = QStringLiteral("a;DATABASE=other}");
  info.m_strDatabase = QStringLiteral("xxd");
  for (int kind : {1, 2}) {
    const QString text = info.GetConnectString(kind);
    CKvDbInfo back(kind);
    back.ParseConnectString(text, kind);
    EXPECT_EQ(back.m_strPassword, info.m_strPassword) << text.toStdString();
    EXPECT_EQ(back.m_strDatabase, QStringLiteral("xxd")) << text.toStdString();
    EXPECT_EQ(back.m_strServer, QStringLiteral("MQIS"));
  }
  EXPECT_EQ(info.GetConnectString(1), QStringLiteral("DSN=MQIS;UID=sa;PWD={a;DATABASE=other}}};DATABASE=xxd"));
}
