#pragma once
// A read guard over a CKvDb, held for a scope: everything read through the
// connection while it lives sees the data as it stood when it began, so that
// reading several tables one after the other gives one consistent picture
// even while other programs write. On SQLite it holds the file's shared
// lock (other programs' writes wait until it ends); on PostgreSQL it is a
// REPEATABLE READ, READ ONLY transaction (they go on). Writing through the
// connection meanwhile is refused on the server. The destructor ends it;
// nothing it could keep was written. Inside a transaction it is only an
// inner level of that transaction and sees what that one sees.

class CKvDb;

class KvDbSnapshot {
 public:
  explicit KvDbSnapshot(CKvDb& db);
  ~KvDbSnapshot();
  KvDbSnapshot(const KvDbSnapshot&) = delete;
  KvDbSnapshot& operator=(const KvDbSnapshot&) = delete;

  // False when the snapshot could not begin: the reads are then not one
  // picture, and the caller should not go on.
  bool IsActive() const { return m_level > 0; }

 private:
  CKvDb& m_db;
  int m_level = 0;
};
