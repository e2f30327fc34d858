#pragma once
// A database of the benchmark's own on the PostgreSQL server that PGHOST,
// PGPORT, PGUSER and PGPASSWORD name: made on first use, dropped at exit.
// Not ready (the PostgreSQL cases skip) when no server answers.

#include "core/CKvDb.h"
#include "core/CKvDbInfo.h"

#include <libpq-fe.h>

#include <QString>

class KvBenchPgDatabase {
 public:
  // `prefix` and the process id name the database; `setup` (may be empty)
  // runs on it once it is open.
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
