#pragma once
// What a connection of one back-end kind does: the SQLite file, the ODBC data
// source and the PostgreSQL server each implement this interface, and the
// connection (CKvDb), the typed query and the recordsets reach the data only
// through it. Statements arrive already translated into the back end's
// dialect; reporting failures to the user is the caller's business.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <unordered_map>
#include <utility>

// The rows of one select, read forward. A cursor is made positioned on its
// first row (or at the end when there is none). Values are converted as the
// caller asks; a NULL reads as 0, 0.0 or the empty text, and numbers held as
// text are read without the user's locale.
class KvDbCursor {
 public:
  virtual ~KvDbCursor() = default;
  virtual bool atEnd() const = 0;
  // Moves to the next row; a failure while fetching ends the rows.
  virtual void next() = 0;
  virtual int columnCount() const = 0;
  virtual qint64 integer(int column) const = 0;
  virtual double real(int column) const = 0;
  virtual QString text(int column) const = 0;
};

// --- Rowsets and prepared statements (the untyped recordset and the table
// copy read and write through them) ---

// A cursor that also names its columns, tells NULLs apart and reads binary
// data as bytes.
class KvDbRowset : public KvDbCursor {
 public:
  // The column's name as the engine reports it (PostgreSQL folds unquoted
  // names to lower case).
  virtual QString columnName(int column) const = 0;
  // True for a NULL, and when there is no current row.
  virtual bool isNull(int column) const = 0;
  // The bytes of a binary column; of another column its value's UTF-8 text.
  virtual QByteArray binary(int column) const = 0;
};

// A statement prepared once and run many times with new values. Parameters
// are written "?" in its text and numbered from 0 when bound; a value stays
// bound until it is bound again. Binary data goes to the engine as bound
// bytes, never through the text of a statement.
class KvDbStatement {
 public:
  virtual ~KvDbStatement() = default;
  virtual void bindInteger(int index, qint64 value) = 0;
  virtual void bindReal(int index, double value) = 0;
  virtual void bindText(int index, const QString& value) = 0;
  // A text given as its UTF-8 bytes, which the caller keeps unchanged until
  // the statement has run: an engine that stores UTF-8 takes them as they
  // are.
  virtual void bindUtf8(int index, const QByteArray& utf8) { bindText(index, QString::fromUtf8(utf8)); }
  virtual void bindBinary(int index, const QByteArray& value) = 0;
  // Runs with the bound values; false (and the engine's text in `error`)
  // when it fails or the connection has gone. Inside a transaction a failed
  // run is undone alone and the transaction goes on.
  virtual bool run(QString* error) = 0;
  // Ends a bulk load (prepareBulkInsert): the rows run so far are kept, or
  // all of them are refused with the engine's text in `error`. A prepared
  // statement has nothing to end.
  virtual bool finish(QString* error) {
    (void)error;
    return true;
  }
  // Rows inserted, changed or deleted by the last successful run.
  virtual qint64 rowsAffected() const = 0;
  // Runs a statement that returns rows with the bound values: its rows, or
  // null (and the engine's text in `error`) when it fails or the connection
  // has gone; inside a transaction a failed run is undone alone, as run()
  // does. The rows are the statement's own copy, read whole before this
  // returns, so they stay readable while the statement runs again. A bulk
  // load gives no rows.
  virtual std::unique_ptr<KvDbRowset> select(QString* error);
};

// Rows held in memory, for a select whose rows must outlive the engine's
// cursor: each value is kept as the engine read it as a number, a real and
// bytes (its UTF-8 text, or a binary column's data).
class KvDbRowsInMemory final : public KvDbRowset {
 public:
  struct Value {
    bool null = true;
    qint64 integer = 0;
    double real = 0.0;
    QByteArray bytes;
  };

  explicit KvDbRowsInMemory(const QStringList& names) : m_names(names) {}
  // The rest of a rowset, from its current row to its end.
  static std::unique_ptr<KvDbRowsInMemory> copy(KvDbRowset& rows);
  // Adds a row of one value per column (read after the rows added before).
  void append(const QList<Value>& row) { m_rows.append(row); }

  bool atEnd() const override { return m_row >= m_rows.size(); }
  void next() override {
    if (!atEnd())
      ++m_row;
  }
  int columnCount() const override { return int(m_names.size()); }
  qint64 integer(int column) const override { return value(column).integer; }
  double real(int column) const override { return value(column).real; }
  QString text(int column) const override { return QString::fromUtf8(value(column).bytes); }
  QString columnName(int column) const override { return m_names.value(column); }
  bool isNull(int column) const override { return value(column).null; }
  QByteArray binary(int column) const override { return value(column).bytes; }

 private:
  // The value of the current row's column; a NULL when there is none.
  const Value& value(int column) const;

  QStringList m_names;
  QList<QList<Value>> m_rows;
  qsizetype m_row = 0;
};

class KvDbBackend {
 public:
  virtual ~KvDbBackend() = default;

  virtual bool isOpen() const = 0;
  // Ends the connection; a cursor still alive keeps what it needs until it
  // is destroyed, but may not be moved any more.
  virtual void close() = 0;

  // Runs a statement that returns no rows (or a text of several, all or
  // nothing). On failure `error` (may be null) receives the engine's own
  // text. Inside a transaction a failed statement leaves the transaction
  // usable, as if it had not run (see transactionBroken for when the engine
  // itself ends it).
  virtual bool execute(const QString& sql, QString* error) = 0;
  // Rows inserted, changed or deleted by the last execute.
  virtual qint64 rowsAffected() const = 0;
  // Runs a select; null (and `error`) when it fails. Inside a transaction a
  // failed select leaves the transaction usable.
  std::unique_ptr<KvDbCursor> query(const QString& sql, QString* error) { return openRowset(sql, error); }

  // Transactions nest: the outermost begins a real transaction, each inner
  // one takes a savepoint that its commit releases and its rollback undoes.
  // A commit that fails has either ended its level (the work undone) or left
  // it open for the caller's rollback; transactionDepth() tells which.
  virtual bool beginTransaction() = 0;
  virtual bool commitTransaction() = 0;
  virtual bool rollbackTransaction() = 0;
  virtual int transactionDepth() const = 0;
  // Begins a transaction that only reads and sees the data as it stood
  // when it began, whatever other programs commit meanwhile (SQLite: a
  // deferred transaction holding the file's shared lock from its start;
  // PostgreSQL: REPEATABLE READ, READ ONLY). Inside a transaction it is an
  // inner level of it. It ends as any transaction does.
  virtual bool beginReadSnapshot() = 0;
  // True while the engine has ended the transaction by itself (an SQLite
  // file that filled up): every statement fails and commits are refused
  // until the caller has rolled back to the outermost level. A server
  // session that is lost is no longer open instead.
  virtual bool transactionBroken() const { return false; }

  // Holds the table against other writers until the transaction ends, so
  // that a number made unique by insert-then-count stays unique. With
  // `mark`, the year's carried mark is read once the lock is held, in the
  // lock's own round trip where the back end can (kKvCarriedMarkSql):
  // *mark gets it, -1 when SysTab has no row; a failed read fails the lock.
  virtual bool lockTable(const QString& table, qint64* mark) = 0;
  // Outside a transaction: begins one and locks the table, as
  // beginTransaction and lockTable do (`mark` as there); false with no
  // transaction left open. A back end that can sends both in one round trip.
  virtual bool beginLocked(const QString& table, qint64* mark);
  // What a statement that fails inside a transaction leaves. Usually the
  // transaction goes on without it (kUndoneAlone). A transaction that its
  // caller only ever commits or rolls back as one (kEndsTransaction) may be
  // left by a failed statement only to be rolled back: a back end that
  // keeps a savepoint before every statement (PostgreSQL) keeps none in
  // it, which spares two commands a statement. No transaction begins inside
  // such a one.
  enum class StatementFailure { kUndoneAlone, kEndsTransaction };
  // Outside a transaction: begins one holding the table's lock, as
  // beginLocked does (`mark` as there), and runs the prepared statement's select in it, all
  // in one round trip where the back end can. False, with no transaction
  // left open, when the begin fails; otherwise *rows holds the select's
  // rows, or null (and `error`) when the select failed, the transaction
  // then open (and usable unless `failure` says it ends it).
  virtual bool beginLockedSelect(const QString& table, KvDbStatement& statement,
                                 std::unique_ptr<KvDbRowset>* rows, QString* error, StatementFailure failure,
                                 qint64* mark);

  // At the outermost level of a transaction begun with kEndsTransaction:
  // runs the prepared statement and commits, in one round trip where the
  // back end can. The commit follows whatever rows the statement touched,
  // so the statement must keep or leave its work whole by itself. False
  // when the statement or the commit failed; the transaction is then left
  // for the caller's rollback, or has ended.
  virtual bool runAndCommit(KvDbStatement& statement, QString* error);

  // The file path (SQLite) or the database name (server).
  virtual QString databaseName() const = 0;
  // The connect text the back end holds after connecting (empty for SQLite).
  virtual QString connectString() const = 0;
  // Time limit of later statements in seconds, 0 for none; only ODBC has one.
  virtual void setQueryTimeout(int seconds) = 0;

  // --- Rowsets and prepared statements ---
  // Runs a select whose rows can also be read by column name, told NULL
  // and read as binary data; null (and `error`) when it fails, as query().
  virtual std::unique_ptr<KvDbRowset> openRowset(const QString& sql, QString* error) = 0;
  // Prepares a statement with "?" parameters; null (and `error`) when the
  // engine refuses it. The statement may outlive the connection: it then
  // fails to run.
  virtual std::unique_ptr<KvDbStatement> prepare(const QString& sql, QString* error) = 0;
  // Loads many rows into the columns of a table (plain names): each run()
  // adds the bound row, finish() ends the load, and a load that is not
  // finished is undone. PostgreSQL streams the rows (COPY ... FROM STDIN),
  // so a refused row may show only at finish(); by default each row is a
  // prepared insert.
  virtual std::unique_ptr<KvDbStatement> prepareBulkInsert(const QString& table,
                                                           const QStringList& columns, QString* error);
  // The statement of this text, prepared at its first use and kept for the
  // life of the connection (values stay bound between uses); null when the
  // engine refuses it. A kept select is run with select(): the server
  // parses and plans it once per connection.
  KvDbStatement* keptStatement(const QString& sql, QString* error);

  // --- Text a person typed (the SQL console) ---
  // The first statement of `sql` as the engine reads it: *statement gets
  // its text and *used how much of `sql` it took, its ";" included; an
  // empty *statement: blanks and comments only (*used 0: nothing is left).
  // False (and `error`) when the engine will not read the statement alone;
  // inside a transaction that stays usable. By default the statement ends
  // where PostgreSQL's reading of the text ends it (KvServerStatementEnd),
  // with plain literals read as literalsTakeEscapes says just before.
  virtual bool nextTypedStatement(const QString& sql, QString* statement, qsizetype* used, QString* error);
  // A mark of the engine's own transaction: it changes when the
  // transaction that was open ends (or another begins), and it is empty
  // outside one.
  virtual QString transactionMark() = 0;

 protected:
  // Whether the session reads a backslash in a plain '...' literal as an
  // escape now (standard_conforming_strings off). False (and `error`) when
  // that cannot be read. By default it does not.
  virtual bool literalsTakeEscapes(bool* escapes, QString* error);

 public:
  // --- Server sessions (whole-database maintenance) ---
  // Ends the session to the server for a while (suspendSession) and makes
  // it again with what it was opened with (resumeSession): a database can
  // be the template of a copy only while no session is connected to it.
  // Suspending is refused inside a transaction and while rows of the
  // session are still being read; a suspended back end is not open. The
  // SQLite file has no session: both are false.
  virtual bool suspendSession() { return false; }
  virtual bool resumeSession() { return false; }

  // --- The data file's connection (SQLite; false on the server kinds) ---
  // True when no other program has the file open now; the connection's
  // hold on it stays as it was.
  virtual bool aloneOnFile() { return false; }
  // A mark of the file's data: it differs from an earlier one when another
  // connection (of this program too) has committed to the file since, or
  // this connection has changed a row or the schema. Empty when it cannot be
  // read; always empty on the server kinds, which have no such mark.
  virtual QString dataChangeMark() { return QString(); }

  // --- A session the server ended ---
  // Called once, by the first operation that finds the session gone (the
  // server restarted, an administrator ended it, the network was cut): the
  // back end is no longer open then, and every later operation fails at
  // once. A statement the server merely refused leaves the session open and
  // calls nothing.
  void setLostHandler(std::function<void()> fn) { m_onLost = std::move(fn); }
  // After a call to the engine failed (by the back end and its statements
  // and rows): calls the lost handler when the failure was the end of the
  // session.
  void noteIfLost();

  // --- Waiting for another connection's lock ---
  // A statement that waits for a lock another connection holds gives up
  // after kKvLockWaitMs on every kind (SQLite's busy time-out, the
  // server's lock_timeout) and fails. takeLockWait tells whether a
  // statement failed so since it was last asked, and forgets it.
  void noteLockWait() { m_lockWait = true; }
  bool takeLockWait() { return std::exchange(m_lockWait, false); }

 protected:
  // Forgets the kept statements: a session made again knows none of them,
  // so each is prepared again at its next use.
  void dropKeptStatements() { m_kept.clear(); }

 private:
  std::unordered_map<QString, std::unique_ptr<KvDbStatement>> m_kept;
  std::function<void()> m_onLost;
  bool m_lostNoted = false;
  bool m_lockWait = false;
};

// How long a statement waits for a lock held by another connection.
constexpr int kKvLockWaitMs = 10000;

// The read of the year's carried mark that rides with a lock (lockTable).
constexpr const char* kKvCarriedMarkSql = "SELECT MM FROM SysTab";

// The condition on a row of pg_stat_activity that makes it a client's
// session: one with a user, of the client kind. The server's own processes
// (the autovacuum workers that visit every database in turn, the other
// background workers) are nobody.
constexpr const char* kKvClientSessionSql =
    "usesysid IS NOT NULL AND coalesce(backend_type,'client backend')='client backend'";

// A bulk load through multi-row inserts ("Values(?,?),(?,?),..."), for a
// back end that has no bulk path of its own: the rows of a batch are kept
// and sent as one bound statement when the batch is full, the rest at
// finish().
std::unique_ptr<KvDbStatement> KvBatchedInsert(KvDbBackend* backend, const QString& table,
                                               const QStringList& columns, QString* error);

// The application name every server connection shows in pg_stat_activity,
// by which the program tells its own sessions apart: KvDbSessionTag of this
// process and this machine.
QString KvDbApplicationName();
// "kv|<pid>|<host>", at most 63 bytes (what the server keeps): a longer host
// name is cut at a whole character and ends with "~" and the first 8 hex
// digits of the SHA-256 of the full name. The process id always stays.
QString KvDbSessionTag(qint64 pid, const QString& host);

// How a message names another program's session to a database: its
// machine and program, "vm（青禾苑学校管理软件）" for a session of this
// program (its tag names the machine), "<host>（<application name>）" for
// another program, the host alone when the program gave no name.
QString KvDbWorkstationName(const QString& host, const QString& program);

// The PostgreSQL database that a database name of the program stands for:
// "master" is the maintenance database "postgres"; other names are folded to
// lower case (ASCII), as the server folds the unquoted names it creates.
QString KvServerDatabaseName(const QString& name);
// Whether a database name of the program stands for the maintenance database.
bool KvIsMaintenanceDatabase(const QString& name);

// A text as the program reads it from a table: without its trailing white
// space (blanks, tabs, line ends), as CHAR columns come padded.
QString KvDbTrimRight(const QString& text);
