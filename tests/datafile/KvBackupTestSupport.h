#pragma once
// What the backup and restore tests share: the school edition with the
// data-file tools installed, its data file on a test database of each kind
// with every table, the default rows (year 2024) and a table of edge-case
// rows; archives written to a folder of the test; every table's rows (the
// log tables aside) as sorted text; and whether a staging copy is left.

#include "support/KvTestWorkers.h"
#include "support/module/KvModuleTestDb.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// --- A second program ---
//
// The running test started again in another process with a role
// ("<role>|<kind>|<database>|<archive>" in KV_TEST_WORKER). In the child the test
// body calls KvServeAsWorker() first: it opens the database, prints
// "KV-WORKER READY" once its work runs, works until its input is closed and
// ends the test there. Roles: "hold" keeps the database open; "pairs"
// inserts a row into P1 and one into P2 in one transaction, again and
// again; "restore" restores the archive named after the database over and
// over (the worker's application opened on the database).
bool KvServeAsWorker();

class KvWorkerProcess {
 public:
  ~KvWorkerProcess() { Stop(); }
  // True once the worker reports its work running.
  bool Start(const QString& role, int kind, const QString& name, const QString& archive = QString());
  // Ends it through its input and waits.
  void Stop();
  // Ends it at once (SIGKILL) and waits. On the server the sessions it
  // left are waited for too: a statement it sent may still be running.
  void Kill(int kind);

 private:
  std::unique_ptr<KvTestWorkers> m_worker;
};

// Every table of the data file but KvTask, KvLog and KvLogOp, as
// "<table>:<values joined by |>" lines (numbers written alike on every
// kind), sorted.
QStringList KvDataFileState(CKvDb* pDb);
// The lines only one of the two states has, marked "-" (only in a) and "+".
QStringList KvStateDiff(const QStringList& a, const QStringList& b);

class KvBackupTestApp : public KvModuleTestApp {
 public:
  KvBackupTestApp();
};

class KvBackupDbTest : public KvModuleDbTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::unique_ptr<KvModuleTestApp> MakeApp() override;
  bool SetTreeParams(CKvDb* pDb) override;

  // Table T with rows that hold quotes, "|", Chinese and a binary column.
  static bool AddSampleRows(CKvDb* pDb);
  // Every table of the data file but KvTask, KvLog and KvLogOp, as
  // "<table>:<values joined by |>" lines, sorted.
  QStringList State();
  // Writes an archive of the data file into the test's folder.
  QString Archive(const QString& name);
  // Restores without the safety backups.
  bool Restore(const QString& path);
  // Whether a staging copy of the data file exists.
  bool StagingLeft();
  QString Folder() const { return m_dir.path(); }

  QTemporaryDir m_dir;
};
