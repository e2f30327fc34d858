// The presence lock beside a data file: against another process (a forked
// child that takes the lock as any other program would) and counted over
// this process's own holds. Connections, second program instances and
// server sessions are tested with the database maintenance.

#include "core/KvPresenceLock.h"
#include "support/KvTestEnv.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <fcntl.h>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

namespace {
int counter = 0;

QString freshDataFile() {
  const QString path = KvTestHome() + QStringLiteral("/presence-%1.xxd").arg(++counter);
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  return path;
}

// Another process that locks the lock file of a data file with `type`
// (F_RDLCK or F_WRLCK) and keeps the lock until End().
class OtherProcessLock {
 public:
  OtherProcessLock(const QString& dataFile, short type) {
    const QByteArray path = QFile::encodeName(KvPresenceLock::lockFilePath(dataFile));
    int ready[2], release[2];
    if (::pipe(ready) != 0 || ::pipe(release) != 0)
      return;
    m_pid = ::fork();
    if (m_pid == 0) {
      ::close(ready[0]);
      ::close(release[1]);
      const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
      struct flock lock {};
      lock.l_type = type;
      lock.l_whence = SEEK_SET;
      const char locked = fd >= 0 && ::fcntl(fd, F_OFD_SETLK, &lock) == 0 ? '1' : '0';
      [[maybe_unused]] const ssize_t written = ::write(ready[1], &locked, 1);
      char ignored;
      while (::read(release[0], &ignored, 1) > 0) {
      }
      ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    char locked = '0';
    if (::read(ready[0], &locked, 1) != 1)
      locked = '0';
    ::close(ready[0]);
    m_locked = locked == '1';
    m_release = release[1];
  }
  ~OtherProcessLock() { End(); }

  bool Locked() const { return m_locked; }
  void End() {
    if (m_release < 0)
      return;
    ::close(m_release);
    m_release = -1;
    ::waitpid(m_pid, nullptr, 0);
  }

 private:
  pid_t m_pid = -1;
  int m_release = -1;
  bool m_locked = false;
};
}  // namespace

TEST(KvPresenceLock, HoldsOfThisProcessShareOneLock) {
  const QString path = freshDataFile();
  const QString lockFile = KvPresenceLock::lockFilePath(path);
  std::unique_ptr<KvPresenceLock> first = KvPresenceLock::acquire(path);
  ASSERT_TRUE(first);
  EXPECT_TRUE(QFileInfo::exists(lockFile));
  // The same file by another spelling of its path.
  const QString detour = QFileInfo(path).path() + QStringLiteral("/../") +
                         QFileInfo(QFileInfo(path).path()).fileName() + u'/' +
                         QFileInfo(path).fileName();
  std::unique_ptr<KvPresenceLock> second = KvPresenceLock::acquire(detour);
  ASSERT_TRUE(second);
  EXPECT_TRUE(first->makeExclusive());
  EXPECT_TRUE(second->makeExclusive());
  EXPECT_TRUE(first->isExclusive());
  // Exclusive as long as one hold of the process is.
  first->makeShared();
  {
    OtherProcessLock other(path, F_RDLCK);
    EXPECT_FALSE(other.Locked());
  }
  second->makeShared();
  {
    OtherProcessLock other(path, F_RDLCK);
    EXPECT_TRUE(other.Locked());
  }
  first.reset();
  second.reset();
  // The lock file stays for the next program: every program must lock the
  // same file, so none is ever deleted.
  EXPECT_TRUE(QFileInfo::exists(lockFile));
  OtherProcessLock after(path, F_WRLCK);
  EXPECT_TRUE(after.Locked());
}

TEST(KvPresenceLock, AnotherProcessIsSeen) {
  const QString path = freshDataFile();
  std::unique_ptr<KvPresenceLock> hold = KvPresenceLock::acquire(path);
  ASSERT_TRUE(hold);
  OtherProcessLock other(path, F_RDLCK);
  ASSERT_TRUE(other.Locked());
  EXPECT_FALSE(hold->makeExclusive());
  EXPECT_FALSE(hold->isExclusive());
  other.End();
  EXPECT_TRUE(hold->makeExclusive());
  hold.reset();

  // A process that keeps the file exclusively keeps new holds out.
  OtherProcessLock keeper(path, F_WRLCK);
  ASSERT_TRUE(keeper.Locked());
  EXPECT_FALSE(KvPresenceLock::acquire(path));
  keeper.End();
  EXPECT_TRUE(KvPresenceLock::acquire(path));
}

TEST(KvPresenceLock, DataFileIsDeletedOnlyWhenNobodyHoldsIt) {
  const QString path = freshDataFile();
  QFile journal(path + QStringLiteral("-journal"));
  ASSERT_TRUE(journal.open(QIODevice::WriteOnly));
  journal.close();
  {
    OtherProcessLock other(path, F_RDLCK);
    ASSERT_TRUE(other.Locked());
    EXPECT_FALSE(KvPresenceLock::removeDataFile(path));
    EXPECT_TRUE(QFileInfo::exists(path));
  }
  {
    std::unique_ptr<KvPresenceLock> mine = KvPresenceLock::acquire(path);
    EXPECT_FALSE(KvPresenceLock::removeDataFile(path));  // a connection of this process
    EXPECT_TRUE(QFileInfo::exists(path));
  }
  {
    // Another workstation putting a file of the same name in place holds
    // it for a moment: the replacement waits for it.
    OtherProcessLock other(path, F_WRLCK);
    ASSERT_TRUE(other.Locked());
    std::thread ending([&other] {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      other.End();
    });
    QFile finished(path + QStringLiteral(".new"));
    ASSERT_TRUE(finished.open(QIODevice::WriteOnly));
    EXPECT_TRUE(KvPresenceLock::replaceDataFile(finished.fileName(), path, true));
    ending.join();
  }
  EXPECT_TRUE(KvPresenceLock::removeDataFile(path));
  EXPECT_FALSE(QFileInfo::exists(path));
  EXPECT_FALSE(QFileInfo::exists(journal.fileName()));
  EXPECT_FALSE(QFileInfo::exists(KvPresenceLock::lockFilePath(path)));  // gone with its file
  EXPECT_FALSE(KvPresenceLock::removeDataFile(path));          // missing
  EXPECT_FALSE(KvPresenceLock::removeDataFile(KvTestHome()));  // a folder
}
