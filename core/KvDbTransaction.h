#pragma once
// One transaction over a CKvDb, held for a scope: the constructor begins it,
// Commit() ends it and reports whether the work was kept, and the destructor
// rolls it back unless it was committed. An early return can therefore never
// leave half a change behind. Guards nest: an inner guard works on a
// savepoint of the outer transaction.

class CKvDb;

class KvDbTransaction {
public:
  explicit KvDbTransaction(CKvDb& db);
  ~KvDbTransaction();
  KvDbTransaction(const KvDbTransaction&) = delete;
  KvDbTransaction& operator=(const KvDbTransaction&) = delete;

  // False when the transaction could not begin; Commit() then fails too.
  bool IsActive() const { return m_active; }

  // Commits (or releases the savepoint); false when nothing was kept, in
  // which case the work has been rolled back.
  bool Commit();

  // Rolls back now; the destructor then does nothing more.
  void Rollback();

private:
  CKvDb& m_db;
  bool m_active = false;
};
