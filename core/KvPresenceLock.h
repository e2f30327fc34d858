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
// of another process.
//
// The lock file is made once and then left in place as long as its data
// file exists: it is never replaced, so that every program locks the same
// file. It goes only where nobody can need it: when its data file was
// deleted or renamed away (by the last hold on it, or by the check that
// removed it), and when it was made just for the check that put a new file
// in place (a copy nobody had open). A program that opened it just before
// it went takes its lock on the file then at the path instead. It takes
// the data file's permissions (read and write bits) and group, so that in a
// folder shared by several system users everybody who may write the data
// file may also use a lock file that somebody else made. A symbolic link in
// its place is never followed. Where no lock file can be opened for writing
// (a read-only folder, a lock file of another user that we may not write)
// the holds are shared only and never exclusive, and exclusiveProblem()
// says why.
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

  // An exclusive hold for a command that replaces the data file, kept
  // across the closes and reopens of its connections: null when another
  // process holds the file. While it is the process's only hold,
  // removeDataFile and replaceDataFile accept it as the command's own.
  static std::unique_ptr<KvPresenceLock> holdForReplacement(const QString& dataFile);

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
  // Why this process can never hold the data file exclusively (the lock
  // file cannot be opened for writing: it names the lock file and its
  // owner, or the folder where none can be made); empty when only another
  // process can stand in the way.
  QString exclusiveProblem() const;

  // Deletes a data file together with its rollback journal, but only while
  // nobody holds it: neither another process nor a connection of this one.
  // False when it is held, missing, or cannot be deleted.
  static bool removeDataFile(const QString& dataFile);
  // Puts the finished file in place of the data file `target` (a rename in
  // the same folder), but only while nobody holds the target, as
  // removeDataFile. A rollback journal of the old target is removed first:
  // it would be rolled into the new file on its first open. With `replace`
  // false an existing target is refused. The finished file takes the
  // permissions of the one it replaces, or a new file's
  // (KvTakeReplacedPermissions).
  static bool replaceDataFile(const QString& finished, const QString& target, bool replace);

  // True while a connection of this process or another program holds the
  // data file. Only looks: no lock file is made where there is none (no
  // program holds a data file without one).
  static bool isHeld(const QString& dataFile);

  // The lock file of a data file: "<data file>.kvlock".
  static QString lockFilePath(const QString& dataFile);

 private:
  explicit KvPresenceLock(const QString& key) : m_key(key) {}
  // Runs work while the data file is held exclusively and no connection of
  // this process holds it (a hold for replacement aside); false without
  // running it otherwise. Another process's hold is waited for, briefly,
  // as acquire waits: two workstations that put a file of the same name in
  // place at once (a backup archive) both succeed, one after the other.
  static bool whileUnused(const QString& dataFile, const std::function<bool()>& work);

  QString m_key;  // the lock file's absolute path
  bool m_exclusive = false;
  bool m_forReplacement = false;
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
