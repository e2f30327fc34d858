#pragma once
// This process's presence on the databases it uses, as other programs and
// the maintenance operations see it.
//
// Data files (SQLite). SQLite's own locks cannot show a connection that is
// merely open, so every connection to a data file also holds a lock on the
// file "<data file>.kvlock" beside it: an open-file-description lock
// (F_OFD_SETLK), shared while the file is open, exclusive while a connection
// makes sure that nobody else uses the file. A process keeps one lock per
// data file, counted over its connections, so that connections of the same
// process never stand in each other's way; a hold is refused only because
// of another process. The lock file is removed by the last process to
// leave. A folder where no lock file can be made gives holds that are always
// shared and never exclusive.
//
// Server sessions (PostgreSQL). The back ends of kinds 1 and 2 enrol every
// session here, so that a database can be taken as the template of a copy
// (CREATE DATABASE ... TEMPLATE needs every session to it closed): the
// sessions of this process on it are ended for the copy and made again.

#include <QString>
#include <functional>
#include <memory>

class KvDbBackend;

class KvPresenceLock {
 public:
  // A shared hold on the data file for one connection; null when another
  // process keeps the file exclusively (a check that holds it for a moment
  // is waited for, briefly).
  static std::unique_ptr<KvPresenceLock> acquire(const QString& dataFile);

  // Releases the hold; the last hold of the process lets the lock go.
  ~KvPresenceLock();
  KvPresenceLock(const KvPresenceLock&) = delete;
  KvPresenceLock& operator=(const KvPresenceLock&) = delete;

  // Makes this hold exclusive: true when no other process holds the data
  // file. Other holds of this process stay as they are and keep their use.
  bool makeExclusive();
  // Shares the data file again (nothing when the hold is shared).
  void makeShared();
  bool isExclusive() const { return m_exclusive; }

  // Deletes a data file together with its rollback journal and its lock
  // file, but only while nobody holds it: neither another process nor a
  // connection of this one. False when it is held, missing, or cannot be
  // deleted.
  static bool removeDataFile(const QString& dataFile);

  // The lock file of a data file: "<data file>.kvlock".
  static QString lockFilePath(const QString& dataFile);

 private:
  explicit KvPresenceLock(const QString& key) : m_key(key) {}

  QString m_key;  // the lock file's absolute path
  bool m_exclusive = false;
};

// Called by the server back ends: a session begins to count (when it is
// made) and stops counting (when it ends for good).
void KvEnrolServerSession(KvDbBackend* session);
void KvWithdrawServerSession(KvDbBackend* session);

// Ends every enrolled session of this process on the server database
// `database` (the name as the server knows it), runs work, and makes the
// sessions again. False without running work when a session cannot be
// ended now (it is inside a transaction or still hands out rows); otherwise
// work's result. *pResumed (when given) is false when a session could not
// be made again: it then stays closed.
bool KvRunWithoutServerSessions(const QString& database, const std::function<bool()>& work,
                                bool* pResumed = nullptr);
