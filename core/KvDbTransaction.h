#pragma once
// One transaction over a CKvDb, held for a scope: the constructor begins it,
// Commit() ends it and reports whether the work was kept, and the destructor
// rolls it back unless it was committed. An early return can therefore never
// leave half a change behind. Guards nest: an inner guard works on a
// savepoint of the outer transaction, and whatever becomes of it, it leaves
// no level of its own open and never undoes the outer level's work itself.
// (When the engine has rolled the whole transaction back, on a full SQLite
// file, or the server session is lost, the outer work is gone with it: the
// outer guard's Commit then fails too.)
//
// A guard tells every failure of its own: a begin that failed (as
// CKvDb::BeginTrans), a Commit or CommitWith that kept nothing. A caller
// whose write ends in a failed Commit adds no message of its own; one that
// cannot tell which step failed compares KvMessageCount before and after.

#include <QString>

#include <memory>

class CKvDb;
class KvDbRowset;
class KvDbStatement;

class KvDbTransaction {
 public:
  explicit KvDbTransaction(CKvDb& db);
  // Outside a transaction: begins one holding the table's lock
  // (CKvDb::BeginLocked), both in one round trip where the back end allows;
  // inactive, and the failure reported, when either fails.
  KvDbTransaction(CKvDb& db, const QString& lockTable);
  // As above, and runs the prepared statement's select in the transaction,
  // all in one round trip where the back end allows
  // (CKvDb::BeginLockedSelect): *rows holds its rows, null (and
  // `error`) when the select failed in the active transaction. The
  // transaction is whole: after any failed statement in it the caller lets
  // it roll back, and no guard nests inside it.
  KvDbTransaction(CKvDb& db, const QString& lockTable, KvDbStatement& select, std::unique_ptr<KvDbRowset>* rows,
                  QString* error);
  ~KvDbTransaction();
  KvDbTransaction(const KvDbTransaction&) = delete;
  KvDbTransaction& operator=(const KvDbTransaction&) = delete;

  // False when the transaction could not begin; Commit() then fails too.
  bool IsActive() const { return m_level > 0; }

  // Commits (or releases the savepoint); false when nothing was kept, in
  // which case this level has been rolled back and the failure reported as
  // CKvDb::CommitTrans reports it (a commit that gave up waiting for
  // another connection's lock with ReportLockWait's text).
  bool Commit();

  // Runs the prepared statement, then commits: for the outermost guard in
  // one round trip where the back end can (KvDbBackend::runAndCommit), so
  // the statement must keep or leave its work whole by itself. False when
  // either failed: this level is rolled back first, then the failure is
  // reported as Execute reports a failed statement, naming `sql` (the
  // statement's text as it runs); a lock wait of the statement or of the
  // commit as ReportLockWait. False at once, silently, on a guard that
  // never began (its begin has said why).
  bool CommitWith(KvDbStatement& last, const QString& sql);

  // Rolls back now; the destructor then does nothing more.
  void Rollback();

 private:
  CKvDb& m_db;
  int m_level = 0;  // the depth this guard's level stands at; 0: none
};
