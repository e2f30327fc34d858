// Data files in a folder that several system users share: the lock file
// beside a data file must serve every user who may write the data file,
// whoever made it, and an exclusive check that cannot be made says why.
//
// Another user is this test process forked and turned into the unused user
// and group 65534 (setgroups, setgid, setuid); the child runs the check and
// sends back what it saw. Only root can do that: as any other user these
// cases are skipped.

#include "core/CKvDb.h"
#include "core/KvMdbPassword.h"
#include "core/KvMessage.h"
#include "core/KvPresenceLock.h"
#include "core/KvSqliteBackend.h"
#include "support/KvTestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
constexpr uid_t kOtherUser = 65534;
constexpr gid_t kOtherGroup = 65534;

// What the other user's run of a check gave.
struct OtherUserRun {
  bool ok = false;
  QString text;
};

// Runs work in a child process as user and group 65534.
OtherUserRun runAsOtherUser(const std::function<bool(QString*)>& work) {
  int channel[2];
  if (::pipe(channel) != 0)
    return {false, QStringLiteral("no pipe")};
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(channel[0]);
    QString text = QStringLiteral("cannot become user 65534");
    const bool ok = ::setgroups(0, nullptr) == 0 && ::setgid(kOtherGroup) == 0 &&
                    ::setuid(kOtherUser) == 0 && work(&text);
    const QByteArray bytes = text.toUtf8();
    [[maybe_unused]] const ssize_t written = ::write(channel[1], bytes.constData(), size_t(bytes.size()));
    ::_exit(ok ? 0 : 1);
  }
  ::close(channel[1]);
  QByteArray bytes;
  char buffer[512];
  for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
    bytes.append(buffer, n);
  ::close(channel[0]);
  int status = 1;
  ::waitpid(child, &status, 0);
  return {WIFEXITED(status) && WEXITSTATUS(status) == 0, QString::fromUtf8(bytes)};
}

// Opens the data file and asks for it exclusively, as the exclusive check
// of a risky operation does; the message shown goes to *text.
bool checkExclusive(const QString& path, QString* text) {
  KvMessageRecorder recorder;
  CKvDb db;
  if (!db.Open(path, CKvDbInfo(0))) {
    *text = QStringLiteral("cannot open ") + path;
    return false;
  }
  const bool ok = db.ReopenMdbExclusive(true);
  *text = recorder.last();
  return ok;
}

// A new data file with the standard password.
QString makeDataFile(const QString& path) {
  std::unique_ptr<KvSqliteBackend> file = KvSqliteBackend::create(path);
  EXPECT_TRUE(file && file->setPasswordDigest(KvMdbPasswordDigest(KvGetStdMdbPassword())));
  return path;
}

// A folder of root and group 65534 (mode `mode`) holding a data file of
// theirs that both may write.
class SharedFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0)
      GTEST_SKIP() << "acting as another system user needs root";
    ASSERT_TRUE(m_folder.isValid());
    m_path = makeDataFile(m_folder.path() + QStringLiteral("/data.xxd"));
    ASSERT_EQ(::chown(QFile::encodeName(m_path).constData(), 0, kOtherGroup), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(m_path).constData(), 0660), 0);
    ASSERT_EQ(::chown(QFile::encodeName(m_folder.path()).constData(), 0, kOtherGroup), 0);
    SetFolderMode(0770);
  }
  void TearDown() override {
    if (m_folder.isValid())
      SetFolderMode(0700);  // root removes it
  }
  void SetFolderMode(mode_t mode) {
    ASSERT_EQ(::chmod(QFile::encodeName(m_folder.path()).constData(), mode), 0);
  }
  QString LockFile() const { return KvPresenceLock::lockFilePath(m_path); }

  QTemporaryDir m_folder{QDir::tempPath() + QStringLiteral("/kvshared-XXXXXX")};
  QString m_path;
};
}  // namespace

TEST_F(SharedFolderTest, LockFileLeftByAnotherUserServesEveryUser) {
  // A program of root that ended without closing left its lock file.
  const pid_t killed = ::fork();
  if (killed == 0) {
    CKvDb db;
    ::_exit(db.Open(m_path, CKvDbInfo(0)) ? 0 : 1);
  }
  int status = 1;
  ::waitpid(killed, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  struct stat lock {};
  ASSERT_EQ(::stat(QFile::encodeName(LockFile()).constData(), &lock), 0);
  EXPECT_EQ(lock.st_mode & 0777, 0660u);
  EXPECT_EQ(lock.st_gid, kOtherGroup);

  const OtherUserRun run = runAsOtherUser([&](QString* text) { return checkExclusive(m_path, text); });
  EXPECT_TRUE(run.ok) << run.text.toStdString();
  EXPECT_TRUE(QFileInfo::exists(LockFile()));  // used, never replaced
}

TEST_F(SharedFolderTest, LockFileThatCannotBeWrittenIsNamedWithItsOwner) {
  // Another user's lock file that only its owner may use.
  QFile::remove(LockFile());
  const int fd = ::open(QFile::encodeName(LockFile()).constData(), O_CREAT | O_WRONLY, 0600);
  ASSERT_GE(fd, 0);
  ::close(fd);
  const OtherUserRun run = runAsOtherUser([&](QString* text) { return checkExclusive(m_path, text); });
  EXPECT_FALSE(run.ok);
  EXPECT_TRUE(run.text.startsWith(QStringLiteral("不能以独占方式打开当前数据库文件：\n") + m_path))
      << run.text.toStdString();
  EXPECT_TRUE(run.text.contains(LockFile())) << run.text.toStdString();
  EXPECT_TRUE(run.text.contains(QStringLiteral("root"))) << run.text.toStdString();
  EXPECT_FALSE(run.text.contains(QStringLiteral("别人正在使用"))) << run.text.toStdString();
}

TEST_F(SharedFolderTest, ReadOnlyFolderIsNamed) {
  QFile::remove(LockFile());  // made with the data file; none there yet
  SetFolderMode(0750);       // the group may read the folder, not write it
  const OtherUserRun run = runAsOtherUser([&](QString* text) { return checkExclusive(m_path, text); });
  EXPECT_FALSE(run.ok);
  EXPECT_TRUE(run.text.contains(m_folder.path() + QStringLiteral("”不能写入")))
      << run.text.toStdString();
  EXPECT_FALSE(run.text.contains(QStringLiteral("别人正在使用"))) << run.text.toStdString();
}

// Any user: a symbolic link planted in the lock file's place.
TEST(KvPresenceLockFile, PlantedLinkIsNeverFollowed) {
  KvMessageRecorder recorder;
  const QString path = makeDataFile(KvTestHome() + QStringLiteral("/planted.xxd"));
  const QString planted = KvTestHome() + QStringLiteral("/planted-target");
  QFile::remove(KvPresenceLock::lockFilePath(path));  // made with the data file
  ASSERT_TRUE(QFile::link(planted, KvPresenceLock::lockFilePath(path)));
  CKvDb db;
  ASSERT_TRUE(db.Open(path, CKvDbInfo(0)));
  EXPECT_FALSE(QFileInfo::exists(planted));
  EXPECT_FALSE(db.ReopenMdbExclusive(true));
  EXPECT_TRUE(recorder.last().contains(KvPresenceLock::lockFilePath(path))) << recorder.last().toStdString();
  EXPECT_FALSE(QFileInfo::exists(planted));
  EXPECT_TRUE(QFileInfo(KvPresenceLock::lockFilePath(path)).isSymLink());
}
