// The program image in a server database: stored and read back byte for
// byte, replaced only by a newer program and then in one transaction,
// fetched only by an older one; the server-machine test; the update
// program's parameters, and no client update without the update program.

#include "KvShellDbTest.h"
#include "app/KvProgramImage.h"
#include "core/KvDate.h"
#include "core/KvMessage.h"
#include "core/KvPath.h"
#include "core/KvRegistry.h"
#include "support/KvTestEnv.h"
#include "ui/KvAppServices.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSysInfo>

TEST(KvProgramImageUpdater, ParametersBeginWithALineBreakAndCarryTheMode) {
  KvShellTestApp app;
  app.InitInstance();
  KvRegDeleteValue(KvRegRoot::CurrentUser, KvGetRegKeyPath(), QStringLiteral("SoftUp"));
  EXPECT_EQ(KvGetSoftUpMode(), 3);
  const QStringList lines = KvUpdaterParameters(1).split(u'\n');
  ASSERT_EQ(lines.size(), 10);
  EXPECT_TRUE(lines.at(0).isEmpty());
  EXPECT_EQ(lines.at(1), KvFileDir(KvSlashPath(KvModuleFileName())));
  EXPECT_EQ(lines.at(2), app.GetProductKey());
  EXPECT_EQ(lines.at(4), QStringLiteral("A"));
  EXPECT_EQ(lines.at(6), KvGetVersionTag());
  EXPECT_EQ(lines.at(7), QStringLiteral("9"));
  EXPECT_EQ(lines.at(8), QStringLiteral("3"));
  EXPECT_EQ(lines.at(9), QStringLiteral("1"));
  KvRegWriteString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), QStringLiteral("SoftUp"), QStringLiteral("1"));
  EXPECT_EQ(KvGetSoftUpMode(), 1);
  KvRegDeleteValue(KvRegRoot::CurrentUser, KvGetRegKeyPath(), QStringLiteral("SoftUp"));

  // No update program beside the executable: nothing starts, nothing ends.
  ASSERT_FALSE(QFile::exists(KvUpdaterPath()));
  EXPECT_FALSE(app.StartUpdater(0));
  int quitCode = -1;
  const KvQuitFn previous = KvSetQuitHandler([&](int code) { quitCode = code; });
  CKvDb server(2);
  EXPECT_FALSE(KvUpdateClientProgram(&server));
  KvSetQuitHandler(previous);
  EXPECT_EQ(quitCode, -1);
}

class KvProgramImageDb : public KvShellDbTest {
 protected:
  void SetUp() override {
    KvShellDbTest::SetUp();
    m_program = QDir(KvTestHome()).filePath(QStringLiteral("kvqy-%1").arg(kind()));
    m_fetched = m_program + QStringLiteral(".bak");
  }
  void TearDown() override {
    QFile::remove(m_program);
    QFile::remove(m_fetched);
    KvShellDbTest::TearDown();
  }
  // A program file with the bytes and the last-write time.
  void writeProgram(const QByteArray& bytes, const QDateTime& time) {
    QFile file(m_program);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.flush();
    ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
  }
  QByteArray fetched() {
    QFile file(m_fetched);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  QString m_program;
  QString m_fetched;
};

TEST_P(KvProgramImageDb, TheStoredImageRoundTripsAndOnlyANewerProgramReplacesIt) {
  QByteArray bytes(70000, '\0');
  for (int i = 0; i < bytes.size(); ++i)
    bytes[i] = char(i * 7 % 256);
  const QDateTime built = QDateTime::currentDateTime().addDays(-2);
  writeProgram(bytes, built);
  KvMessageRecorder recorder;
  ASSERT_TRUE(KvStoreProgramImage(appDb(), m_program));
  EXPECT_EQ(recorder.last(), QStringLiteral("以当前软件更新数据库中软件，以备客户端更新。"));

  KvProgramImage image;
  ASSERT_EQ(KvFindProgramImage(appDb(), &image), 1);
  EXPECT_EQ(image.Flag, 22);
  EXPECT_EQ(image.Ver, 10);
  EXPECT_EQ(image.Ver1, 9);
  EXPECT_EQ(image.LastWriteTime, KvFileTimeText(m_program));

  // The same program again: nothing to do, nothing to fetch.
  recorder.clear();
  EXPECT_FALSE(KvStoreProgramImage(appDb(), m_program));
  EXPECT_FALSE(KvFetchProgramImage(appDb(), m_program, m_fetched));
  EXPECT_TRUE(recorder.messages().isEmpty());

  // An older client fetches the stored bytes.
  writeProgram("old", built.addDays(-1));
  ASSERT_TRUE(KvFetchProgramImage(appDb(), m_program, m_fetched));
  EXPECT_EQ(recorder.last(), QStringLiteral("当前软件的版本低，正在从服务器上更新软件！"));
  EXPECT_EQ(fetched(), bytes);
  // An older program does not replace the stored one.
  EXPECT_FALSE(KvStoreProgramImage(appDb(), m_program));

  // A stored image of a newer revision is fetched whatever its time.
  QFile::remove(m_fetched);
  writeProgram("new", built.addDays(1));
  ASSERT_TRUE(appDb()->Execute(QStringLiteral("Update ZRVProgram Set Ver1=10")));
  EXPECT_TRUE(KvFetchProgramImage(appDb(), m_program, m_fetched));
  // An older revision is replaced by this one.
  ASSERT_TRUE(appDb()->Execute(QStringLiteral("Update ZRVProgram Set Ver1=8")));
  EXPECT_TRUE(KvStoreProgramImage(appDb(), m_program));
  QList<KvProgramImage> rows;
  EXPECT_EQ(KvReadImageRows(appDb(), QString(), QString(), &rows), 1);
  EXPECT_EQ(rows.first().Ver1, 9);
}

TEST_P(KvProgramImageDb, AFailedInsertKeepsTheStoredRow) {
  ASSERT_TRUE(appDb()->Execute(QStringLiteral(
      "Create Table ZRVProgram(Flag INT,Ver INT,Ver1 INT,LastWriteTime Char(2),Prg Image)")));
  ASSERT_TRUE(appDb()->Execute(QStringLiteral(
      "Insert Into ZRVProgram(Flag,Ver,Ver1,LastWriteTime) Values(22,10,1,'20')")));
  writeProgram("bytes", QDateTime::currentDateTime());
  KvMessageRecorder recorder;
  EXPECT_FALSE(KvStoreProgramImage(appDb(), m_program));
  QList<KvProgramImage> rows;
  ASSERT_EQ(KvReadImageRows(appDb(), QString(), QString(), &rows), 1);
  EXPECT_EQ(rows.first().Ver1, 1);
}

TEST_P(KvProgramImageDb, TheServerOnThisComputerIsTheServerMachine) {
  QString name;
  EXPECT_TRUE(KvIsServerMachine(appDb(), &name));
  // The test server is reached on this computer (a socket or a loopback
  // address).
  EXPECT_EQ(name, QSysInfo::machineHostName());

  if (kind() == 0)
    return;
  CKvDb* master = nullptr;
  std::unique_ptr<CKvDb> second;
  ASSERT_TRUE(KvOpenMaster(appDb(), &master, &second));
  ASSERT_TRUE(second);
  EXPECT_EQ(master, second.get());
  EXPECT_EQ(master->GetDatabaseName(false), QStringLiteral("postgres"));
  CKvDb* again = nullptr;
  std::unique_ptr<CKvDb> third;
  ASSERT_TRUE(KvOpenMaster(master, &again, &third));
  EXPECT_EQ(again, master);
  EXPECT_FALSE(third);
}

KV_DB_KIND_TEST_SUITE(KvProgramImageDb);
