#include "core/KvPresenceLock.h"

#include "core/KvDbBackend.h"
#include "core/KvPath.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QThread>
#include <mutex>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <iterator>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// How long a shared hold waits for another process's exclusive check.
constexpr int kAcquireWaitMs = 500;
constexpr int kRetryStepMs = 10;

// The lock file of one data file as this process holds it. fd -1: no lock
// file could be opened; the holds are then always shared. Not writable:
// opened for reading only, which takes shared locks but no exclusive one.
struct LockFile {
  int fd = -1;
  bool writable = false;
  int holds = 0;
  int exclusiveHolds = 0;
  int replacementHolds = 0;
};

std::mutex& presenceMutex() {
  static std::mutex mutex;
  return mutex;
}

QHash<QString, LockFile>& lockFiles() {
  static QHash<QString, LockFile> files;
  return files;
}

bool setLock(int fd, short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;  // the whole file
  return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// The data file a lock file belongs to.
QByteArray dataFileOf(const QString& lockFile) {
  return QFile::encodeName(lockFile.chopped(int(std::size(".kvlock")) - 1));
}

// Every user who may write the data file may use its lock file, whoever
// made it: the lock file takes the data file's permissions and group. Only
// the lock file's owner can change them; for anybody else this does nothing.
void shareLikeDataFile(int fd, const QString& lockFile) {
  struct stat data {};
  if (::stat(dataFileOf(lockFile).constData(), &data) != 0)
    return;
  [[maybe_unused]] const int moded = ::fchmod(fd, data.st_mode & 0666);
  [[maybe_unused]] const int owned = ::fchown(fd, uid_t(-1), data.st_gid);
}

enum class Opened { Locked, Busy, NoLockFile };

// Whether the open file is still the one at the path (same device and
// inode): a lock file unlinked between our open and our lock is no longer
// the one other programs find.
bool stillAtPath(int fd, const QByteArray& path) {
  struct stat open {};
  struct stat named {};
  return ::fstat(fd, &open) == 0 && ::lstat(path.constData(), &named) == 0 && open.st_dev == named.st_dev &&
         open.st_ino == named.st_ino;
}

// Opens the lock file (making it when missing) and locks it with `type`.
// Busy: another process's lock stands in the way. A symbolic link in the
// lock file's place is never followed. A lock file is deleted only by a
// program holding it exclusively; one deleted while we were taking our
// lock on it is left, and the file now at the path is opened and locked.
Opened openLocked(const QString& path, short type, int* fd, bool* writable) {
  const QByteArray native = QFile::encodeName(path);
  for (;;) {
    int file = ::open(native.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    *writable = file >= 0;
    if (file >= 0)
      shareLikeDataFile(file, path);
    // A lock file that we may not write still takes shared locks (an
    // exclusive one is then refused).
    else if (type == F_RDLCK)
      file = ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (file < 0)
      return Opened::NoLockFile;
    if (!setLock(file, type)) {
      const int error = errno;
      ::close(file);
      return error == EAGAIN || error == EACCES ? Opened::Busy : Opened::NoLockFile;
    }
    if (stillAtPath(file, native)) {
      *fd = file;
      return Opened::Locked;
    }
    ::close(file);
  }
}

// The lock file's owner by name (its number when it has no name).
QString ownerName(uid_t uid) {
  struct passwd entry {};
  struct passwd* found = nullptr;
  char buffer[1024];
  if (::getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found)
    return QString::fromLocal8Bit(found->pw_name);
  return QString::number(uid);
}

std::mutex& sessionMutex() {
  static std::mutex mutex;
  return mutex;
}

QList<KvDbBackend*>& serverSessions() {
  static QList<KvDbBackend*> sessions;
  return sessions;
}

bool enrolled(KvDbBackend* session) {
  std::lock_guard guard(sessionMutex());
  return serverSessions().contains(session);
}

// Flushes a file or a folder (its names) to the disk.
bool syncPath(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return false;
  const bool synced = ::fsync(fd) == 0;
  ::close(fd);
  return synced;
}

}  // namespace

QString KvPresenceLock::lockFilePath(const QString& dataFile) {
  const QFileInfo file(dataFile);
  const QString canonical = file.canonicalFilePath();
  return (canonical.isEmpty() ? file.absoluteFilePath() : canonical) + QStringLiteral(".kvlock");
}

std::unique_ptr<KvPresenceLock> KvPresenceLock::acquire(const QString& dataFile) {
  const QString key = lockFilePath(dataFile);
  std::lock_guard guard(presenceMutex());
  QHash<QString, LockFile>& files = lockFiles();
  auto it = files.find(key);
  if (it != files.end()) {
    ++it->holds;
    return std::unique_ptr<KvPresenceLock>(new KvPresenceLock(key));
  }
  QElapsedTimer waited;
  waited.start();
  for (;;) {
    int fd = -1;
    bool writable = false;
    const Opened opened = openLocked(key, F_RDLCK, &fd, &writable);
    if (opened != Opened::Busy) {
      files.insert(key, LockFile{fd, writable && fd >= 0, 1, 0});
      return std::unique_ptr<KvPresenceLock>(new KvPresenceLock(key));
    }
    if (waited.elapsed() >= kAcquireWaitMs)
      return nullptr;
    QThread::msleep(kRetryStepMs);
  }
}

std::unique_ptr<KvPresenceLock> KvPresenceLock::holdForReplacement(const QString& dataFile) {
  std::unique_ptr<KvPresenceLock> hold = acquire(dataFile);
  if (!hold || !hold->makeExclusive())
    return nullptr;
  std::lock_guard guard(presenceMutex());
  ++lockFiles()[hold->m_key].replacementHolds;
  hold->m_forReplacement = true;
  return hold;
}

KvPresenceLock::~KvPresenceLock() {
  makeShared();
  std::lock_guard guard(presenceMutex());
  QHash<QString, LockFile>& files = lockFiles();
  auto it = files.find(m_key);
  if (it != files.end() && m_forReplacement)
    --it->replacementHolds;
  if (it == files.end() || --it->holds > 0)
    return;
  // The lock file stays for the next program while its data file exists;
  // one whose data file is gone (renamed or deleted under this hold) goes
  // too, unless another process still holds it.
  if (it->fd >= 0) {
    if (it->writable && !QFileInfo::exists(QFile::decodeName(dataFileOf(m_key))) && setLock(it->fd, F_WRLCK))
      ::unlink(QFile::encodeName(m_key).constData());
    ::close(it->fd);
  }
  files.erase(it);
}

bool KvPresenceLock::makeExclusive() {
  if (m_exclusive)
    return true;
  std::lock_guard guard(presenceMutex());
  auto it = lockFiles().find(m_key);
  if (it == lockFiles().end())
    return false;
  // A lock that is exclusive already keeps every other process out.
  if (it->exclusiveHolds == 0 && (!it->writable || !setLock(it->fd, F_WRLCK)))
    return false;
  ++it->exclusiveHolds;
  m_exclusive = true;
  return true;
}

QString KvPresenceLock::exclusiveProblem() const {
  {
    std::lock_guard guard(presenceMutex());
    auto it = lockFiles().find(m_key);
    if (it != lockFiles().end() && it->writable)
      return QString();
  }
  struct stat lock {};
  if (::lstat(QFile::encodeName(m_key).constData(), &lock) == 0) {
    return QStringLiteral("锁文件“%1”（所有者：%2）不能写入，无法确认没有别人在使用它。")
        .arg(m_key, ownerName(lock.st_uid));
  }
  return QStringLiteral("文件夹“%1”不能写入，无法在其中建立锁文件。")
      .arg(QFileInfo(m_key).path());
}

void KvPresenceLock::makeShared() {
  if (!m_exclusive)
    return;
  m_exclusive = false;
  std::lock_guard guard(presenceMutex());
  auto it = lockFiles().find(m_key);
  if (it != lockFiles().end() && --it->exclusiveHolds == 0 && it->fd >= 0)
    setLock(it->fd, F_RDLCK);
}

bool KvPresenceLock::whileUnused(const QString& dataFile, const std::function<bool()>& work) {
  const QString key = lockFilePath(dataFile);
  std::lock_guard guard(presenceMutex());
  if (auto held = lockFiles().constFind(key); held != lockFiles().cend()) {
    // Only a command's own hold for the replacement may stand: it keeps
    // every other process out already. Any other is a connection's.
    return held->holds == held->replacementHolds && work();
  }
  const QByteArray native = QFile::encodeName(key);
  QElapsedTimer waited;
  waited.start();
  int fd = -1;
  bool made = false;
  for (;;) {
    struct stat before {};
    made = ::lstat(native.constData(), &before) != 0;
    bool writable = false;
    const Opened opened = openLocked(key, F_WRLCK, &fd, &writable);
    if (opened == Opened::Locked)
      break;
    // Another process's check of the same file (its own replacement of
    // it) holds it for a moment: waited for, briefly, as acquire does.
    if (opened != Opened::Busy || waited.elapsed() >= kAcquireWaitMs)
      return false;
    QThread::msleep(kRetryStepMs);
  }
  const bool done = work();
  // A lock file made for this check alone (nobody had the file open) and
  // one whose data file is gone now are no use to anybody: they go while
  // still held exclusively.
  if (made || !QFileInfo::exists(dataFile))
    ::unlink(native.constData());
  ::close(fd);
  return done;
}

bool KvPresenceLock::isHeld(const QString& dataFile) {
  const QString key = lockFilePath(dataFile);
  std::lock_guard guard(presenceMutex());
  if (lockFiles().contains(key))
    return true;
  const int fd = ::open(QFile::encodeName(key).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0)
    return false;
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;
  // Asks what would stand in the way of an exclusive lock, without taking it.
  const bool asked = ::fcntl(fd, F_OFD_GETLK, &lock) == 0;
  ::close(fd);
  return !asked || lock.l_type != F_UNLCK;
}

bool KvPresenceLock::removeDataFile(const QString& dataFile) {
  if (!QFileInfo(dataFile).isFile())
    return false;
  return whileUnused(dataFile, [&] {
    if (!QFile::remove(dataFile))
      return false;
    QFile::remove(dataFile + QStringLiteral("-journal"));
    return true;
  });
}

bool KvPresenceLock::replaceDataFile(const QString& finished, const QString& target, bool replace) {
  return whileUnused(target, [&] {
    if (!replace && QFileInfo::exists(target))
      return false;
    // A journal beside the target was left by a program that ended in the
    // middle of a write to the old file; the new file would take it as its
    // own on its first open and roll the old pages into it.
    const QString journal = target + QStringLiteral("-journal");
    if (QFileInfo::exists(journal) && !QFile::remove(journal))
      return false;
    // The new file is on the disk before its name is. Once renamed the swap
    // is made whatever the folder's flush answers: it only hastens the name
    // to the disk.
    KvTakeReplacedPermissions(finished, target);
    if (!syncPath(finished) ||
        ::rename(QFile::encodeName(finished).constData(), QFile::encodeName(target).constData()) != 0)
      return false;
    syncPath(QFileInfo(target).absolutePath());
    return true;
  });
}

void KvEnrolServerSession(KvDbBackend* session) {
  std::lock_guard guard(sessionMutex());
  if (!serverSessions().contains(session))
    serverSessions().append(session);
}

void KvWithdrawServerSession(KvDbBackend* session) {
  std::lock_guard guard(sessionMutex());
  serverSessions().removeAll(session);
}

bool KvRunWithoutServerSessions(const QString& database, const std::function<bool()>& work,
                                bool* pResumed) {
  if (pResumed)
    *pResumed = true;
  const QString target = KvServerDatabaseName(database);
  QList<KvDbBackend*> onTarget;
  {
    std::lock_guard guard(sessionMutex());
    for (KvDbBackend* session : serverSessions()) {
      if (session->isOpen() && KvServerDatabaseName(session->databaseName()) == target)
        onTarget.append(session);
    }
  }
  QList<KvDbBackend*> suspended;
  bool ended = true;
  for (KvDbBackend* session : onTarget) {
    if (!session->suspendSession()) {
      ended = false;
      break;
    }
    suspended.append(session);
  }
  const bool result = ended && work();
  for (KvDbBackend* session : suspended) {
    if (enrolled(session) && !session->resumeSession() && pResumed)
      *pResumed = false;
  }
  return result;
}
