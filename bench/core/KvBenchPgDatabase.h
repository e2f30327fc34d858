#pragma once
// A database of the benchmark's own on the PostgreSQL server that PGHOST,
// PGPORT, PGUSER and PGPASSWORD name: made on first use, dropped at exit.
// Not ready (the PostgreSQL cases skip) when no server answers. Its name is
// the prefix and the process id, with a number added while that name is
// another's: a name taken is never dropped to free it.

#include "core/CKvDb.h"
#include "core/CKvDbInfo.h"

#include <libpq-fe.h>

#include <QString>

class KvBenchPgDatabase {
 public:
  // `setup` (may be empty) runs on the database once it is open.
  KvBenchPgDatabase(const QString& prefix, const QString& setup);
  ~KvBenchPgDatabase();
  KvBenchPgDatabase(const KvBenchPgDatabase&) = delete;
  KvBenchPgDatabase& operator=(const KvBenchPgDatabase&) = delete;

  bool ready() const { return db.IsOpen(); }
  PGconn* raw() const;

  CKvDbInfo info{2};
  QString name;
  CKvDb master{2};
  CKvDb db{2};
};

// A name for a database that the program makes for a benchmark: the prefix
// and the process id, with a number added while no database has the name
// or one beginning with it and "_" (the program's copies of it); empty when
// the server cannot be asked. Looked up just before the program makes it:
// a database another program makes under the name in between would be
// taken for the benchmark's.
QString KvBenchFreeName(const CKvDbInfo& server, const QString& prefix);
// Drops a database the benchmark made, by its exact name, sessions and all.
void KvBenchDropDatabase(const CKvDbInfo& server, const QString& name);
