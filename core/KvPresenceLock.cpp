#include "core/KvPresenceLock.h"

#include "core/KvDbBackend.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QThread>
#include <mutex>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// How long a shared hold waits for another process's exclusive check.
constexpr int kAcquireWaitMs = 500;
constexpr int kRetryStepMs = 10;

// The lock file of one data file as this process holds it. fd -1: no lock
// file could be made; the holds are then always shared.
struct LockFile {
  int fd = -1;
  int holds = 0;
  int exclusiveHolds = 0;
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

enum class Opened { Locked, Busy, NoLockFile };

// Opens the lock file (making it when missing) and locks it with `type`.
// Busy: another process's lock stands in the way.
Opened openLocked(const QString& path, short type, int* fd) {
  const QByteArray native = QFile::encodeName(path);
  // A lock file that its last holder removed between our open and our lock
  // is not the one others find: open the one now there instead.
  for (int attempt = 0; attempt < 8; ++attempt) {
    int file = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    // Somebody else's lock file that we may not write still takes shared
    // locks (an exclusive one is then refused).
    if (file < 0 && type == F_RDLCK)
      file = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (file < 0)
      return Opened::NoLockFile;
    if (!setLock(file, type)) {
      const int error = errno;
      ::close(file);
      return error == EAGAIN || error == EACCES ? Opened::Busy : Opened::NoLockFile;
    }
    struct stat held {};
    struct stat named {};
    if (::fstat(file, &held) == 0 && ::stat(native.constData(), &named) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
      *fd = file;
      return Opened::Locked;
    }
    ::close(file);
  }
  return Opened::Busy;
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
    const Opened opened = openLocked(key, F_RDLCK, &fd);
    if (opened != Opened::Busy) {
      files.insert(key, LockFile{fd, 1, 0});
      return std::unique_ptr<KvPresenceLock>(new KvPresenceLock(key));
    }
    if (waited.elapsed() >= kAcquireWaitMs)
      return nullptr;
    QThread::msleep(kRetryStepMs);
  }
}

KvPresenceLock::~KvPresenceLock() {
  makeShared();
  std::lock_guard guard(presenceMutex());
  QHash<QString, LockFile>& files = lockFiles();
  auto it = files.find(m_key);
  if (it == files.end() || --it->holds > 0)
    return;
  if (it->fd >= 0) {
    // The last holder anywhere removes the lock file; anybody who opened it
    // meanwhile finds it gone once locked, and makes a new one.
    if (setLock(it->fd, F_WRLCK))
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
  if (it->exclusiveHolds == 0 && (it->fd < 0 || !setLock(it->fd, F_WRLCK)))
    return false;
  ++it->exclusiveHolds;
  m_exclusive = true;
  return true;
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

bool KvPresenceLock::removeDataFile(const QString& dataFile) {
  if (!QFileInfo(dataFile).isFile())
    return false;
  const QString key = lockFilePath(dataFile);
  std::lock_guard guard(presenceMutex());
  if (lockFiles().contains(key))
    return false;  // a connection of this process holds it
  int fd = -1;
  if (openLocked(key, F_WRLCK, &fd) != Opened::Locked)
    return false;
  const bool removed = QFile::remove(dataFile);
  if (removed)
    QFile::remove(dataFile + QStringLiteral("-journal"));
  ::unlink(QFile::encodeName(key).constData());
  ::close(fd);
  return removed;
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
