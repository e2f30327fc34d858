#pragma once
// Kind 0: a data file in SQLite, through the SQLite C API. Every connection
// runs with the rollback journal, synchronous=FULL and a busy time-out, has
// the Jet functions registered (setUp), and begins its transactions
// IMMEDIATE.

#include "core/KvDbBackend.h"
#include "core/KvPresenceLock.h"

#include <QList>
#include <QMap>

#include <functional>

struct sqlite3;
struct sqlite3_stmt;

class KvSqliteBackend final : public KvDbBackend {
 public:
  // Opens an existing file; never creates one. Null when the file is
  // missing, is no SQLite database, or is not the program's data file (its
  // application_id differs): such a file is read only as far as its header
  // and gets no presence lock. With `present` false no presence lock is
  // taken at all (a writer's scratch file that nobody else opens).
  // An open that waited out another program's hold (a restore's swap) opens
  // the file that is at the path then, not the one it first looked at; null
  // when the file keeps being replaced.
  static std::unique_ptr<KvSqliteBackend> open(const QString& path, bool present = true);
  // For tests: runs between an open's look at the file's header and its
  // presence hold, where another program may replace the file; empty: none.
  static void setBeforeHoldHook(std::function<void(const QString& path)> hook);
  // Makes a new data file with the program's application_id and no password
  // and opens it (as open does); null when the path exists or the file
  // cannot be made.
  static std::unique_ptr<KvSqliteBackend> create(const QString& path, bool present = true);

  ~KvSqliteBackend() override;
  KvSqliteBackend(const KvSqliteBackend&) = delete;
  KvSqliteBackend& operator=(const KvSqliteBackend&) = delete;

  // The password digest of the access check (user_version; 0: no password).
  qint32 passwordDigest() const;
  bool setPasswordDigest(qint32 digest);

  sqlite3* handle() const { return m_db; }

  bool isOpen() const override { return m_db != nullptr; }
  void close() override;
  bool execute(const QString& sql, QString* error) override;
  qint64 rowsAffected() const override { return m_rows; }
  bool beginTransaction() override;
  bool beginReadSnapshot() override;
  bool commitTransaction() override;
  bool rollbackTransaction() override;
  int transactionDepth() const override { return m_depth; }
  bool transactionBroken() const override { return m_broken; }
  // Marks the transaction broken when the engine has ended it by itself (it
  // rolls back on a full disk or an I/O error); called after a statement
  // failed and before each statement.
  void noteFailure();
  bool lockTable(const QString& table, qint64* mark) override;
  QString databaseName() const override { return m_path; }
  QString connectString() const override { return QString(); }
  void setQueryTimeout(int) override {}

  // --- Rowsets and prepared statements ---
  // A rowset's statement is kept, reset, when the rowset ends, and serves
  // the next rowset of the same text without being parsed again (a few dozen
  // texts, the least recently used dropped first; all finalized on close).
  // A kept statement holds no lock, and one that meets a changed schema is
  // prepared again by the engine itself.
  std::unique_ptr<KvDbRowset> openRowset(const QString& sql, QString* error) override;
  std::unique_ptr<KvDbStatement> prepare(const QString& sql, QString* error) override;
  // The statement as SQLite itself reads it off the text (the prepared
  // statement and its tail).
  bool nextTypedStatement(const QString& sql, QString* statement, qsizetype* used, QString* error) override;
  QString transactionMark() override;
  // Takes back the statement of an ended rowset (the rowsets call it).
  void keepStatement(QByteArray sql, sqlite3_stmt* stmt);

 private:
  // Sets the connection up: the busy handler that waits for another
  // connection's lock, the rollback journal, synchronous=FULL, normal
  // locking, writes allowed, and the Jet functions with the Jet LIKE. False
  // when one could not be set.
  bool setUp();
  KvSqliteBackend(sqlite3* db, const QString& path) : m_db(db), m_path(path) {}
  bool run(const char* sql);
  // Runs every statement of the text in turn; stops at the first failure.
  bool runText(const QByteArray& utf8, QString* error);

  sqlite3* m_db;
  QString m_path;
  // Counts the openings of the process.
  const quint64 m_opening = nextOpening();
  static quint64 nextOpening();
  qint64 m_rows = 0;
  int m_depth = 0;
  // The engine ended the transaction by itself: every statement fails, the
  // levels stay counted, and only the rollback of the outermost ends it.
  bool m_broken = false;
  // Rowsets and prepared statements: a statement holds this weakly and runs
  // only while its back end exists and is open.
  std::shared_ptr<KvSqliteBackend*> m_liveToken = std::make_shared<KvSqliteBackend*>(this);
  // The kept statements of ended rowsets, the most recently ended last.
  struct KeptStatement {
    QByteArray sql;
    sqlite3_stmt* stmt;
  };
  QList<KeptStatement> m_keptStatements;
  void dropKeptStatements();

  // --- Presence and copies (exclusive use, whole-file maintenance) ---
 public:
  // Makes this connection's presence on the file exclusive (true) or shared
  // again (false). Exclusive fails while another program has the file open;
  // other connections of this program never stand in the way.
  bool holdExclusive(bool exclusive);
  // A connection holding the file exclusively is alone already.
  bool aloneOnFile() override;
  // PRAGMA data_version (other connections' commits), the connection's own
  // sqlite3_total_changes64 and PRAGMA schema_version, after the number of
  // this opening (the first two start again when a file is opened again).
  QString dataChangeMark() override;
  // Why this connection can never hold the file exclusively (see
  // KvPresenceLock::exclusiveProblem); empty when only another program can
  // stand in the way.
  QString exclusiveProblem() const { return m_presence ? m_presence->exclusiveProblem() : QString(); }
  // Writes a consistent copy of the open file to target through SQLite's
  // backup (never a byte copy of a file in use): the copy is made beside
  // the target under a name of its own and then takes the target's name.
  // An existing target is replaced only when `replace` is set, and never
  // while a program (this one included) has it open. False inside a
  // transaction (the copy is of committed data).
  bool copyTo(const QString& target, bool replace);
  // Reads a copy that nobody uses (read only, without a presence lock, so
  // that nothing is left beside it): true when the engine finds its pages
  // sound, with the row count of each table (the engine's own left out).
  static bool inspectCopy(const QString& path, QMap<QString, qint64>* pCounts);

 private:
  std::unique_ptr<KvPresenceLock> m_presence;  // held from open to close
};
