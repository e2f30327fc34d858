#pragma once
// The program's database connection. A data file is an SQLite file (kind 0),
// a database reached through an ODBC data source (kind 1) or a PostgreSQL
// database reached directly (kind 2); every operation dispatches to the back
// end of the connection's kind. Statements are written once in the Jet
// dialect (with an optional second text for the server kinds) and translated
// for the back end on the way in.
//
// Of the connection's operations Execute, ExecuteTyped and the transaction
// operations BeginTrans, LockTable and CommitTrans report every failure to
// the user (ReportFailed; on a connection merely closed the transaction
// operations say nothing); opening, closing, Rollback and the scalar and
// catalogue queries fail silently with false, 0 or an empty text. (A select
// run through CKvQuery reports its own failure.) A caller whose write ends
// in a failed commit has therefore been told already and shows nothing
// more; the transaction guard (core/KvDbTransaction.h) keeps to the same.

#include "core/CKvDbInfo.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class KvDbBackend;
class KvDbStatement;
class KvDbCursor;
class KvDbRowset;

// SysTab's MM once the year has been carried into the new one.
constexpr int kKvCarriedMonth = 12;

class CKvDb {
 public:
  // Kind 0.
  CKvDb();
  explicit CKvDb(int nKind);
  virtual ~CKvDb();
  CKvDb(const CKvDb&) = delete;
  CKvDb& operator=(const CKvDb&) = delete;

  // Stores the kind for the next Open. Change it only while closed: the
  // dialect of the statements follows the stored kind.
  virtual void SetKind(int nKind);
  int GetKind() const { return m_nKind; }

  // --- Opening and closing ---

  // Kind 0: strFile is the path of the data file, which must exist and pass
  // the access check with one of the password candidates. Kinds 1 and 2:
  // strFile is the database name and replaces info's database. An open
  // connection is closed first. On success the connect information becomes
  // info. Nothing is shown, except on kind 1 for a user or database name
  // that the ODBC driver cannot take (a ";" in it, or a "{" in front): it is
  // refused before connecting, with the reason under the stop icon.
  bool Open(const QString& strFile, CKvDbInfo info);
  // Opens this connection on the database `other` has open, as Open does
  // with other's kind, database name and connect information: a session of
  // its own with the kind's usual set-up, that shares nothing with other's.
  // A statement-failure seam set on other (FailNthStatement) counts this
  // connection's statements too, so that a test of work other hands to it
  // reaches them. It takes other's carried-mark baseline: its saves are
  // refused in a year carried since other read it, as other's are. False,
  // showing nothing, when other is not open or the open fails
  // (GetServerError).
  bool OpenBeside(const CKvDb& other);
  void Close();
  // Kinds 1 and 2: the server's (or driver's) own text of the last failed
  // Open or Execute of this connection, kept until the next Open begins, so
  // that a message can say what to change (a refused login, a missing
  // right). Empty on kind 0 and when the failure gave no text.
  const QString& GetServerError() const { return m_serverError; }
  bool IsOpen() const;
  // Kind 0: closes and opens the same file again (the password candidates
  // are tried again); kinds 1 and 2: true at once.
  bool Reopen();
  // Kinds 1 and 2, open: server, user and database of the live connection
  // and the password given when opening; otherwise the kind's defaults.
  CKvDbInfo GetConnectInfo() const;
  // Kind 0: the path of the open file. Kinds 1 and 2: the database name
  // (whatever bName: a server database has no one data file to name).
  QString GetDatabaseName(bool bName) const;
  // Kind 0: changes the file's password when oldPassword is its password;
  // other kinds: true.
  bool SetMdbPassword(const QString& oldPassword, const QString& newPassword);
  // Kind 0: gives the open file the standard password, re-keying a file
  // without a password or with the older candidate, and opens it again.
  // Kinds 1 and 2: true. False when the file is not open afterwards.
  bool NormaliseMdbPassword();
  // Kind 1: time limit of later statements; other kinds have none.
  void SetQueryTimeout(short nSeconds);

  // --- Statements and transactions ---

  // Runs one statement that returns no rows: sqlJet translated on kind 0,
  // sqlServer (sqlJet when empty) translated for the server on kinds 1 and
  // 2. nOptions is the Jet engine's execute option and has no effect here.
  // A text of several statements runs all or nothing on every kind; one
  // that commits, rolls back or begins a transaction itself runs as it is
  // and the connection's transaction levels follow it (not through ODBC,
  // whose driver keeps a transaction state of its own).
  // On failure with bReport: what ReportFailed shows for the statement as
  // it ran.
  bool Execute(const QString& sqlJet, const QString& sqlServer = QString(), int nOptions = 128,
               bool bReport = true);
  // Runs a statement with "?" parameters, in a text every kind takes as
  // it stands (it is not translated), prepared at its first use and kept on
  // the connection; `bind` gives it its values. A failure is reported as
  // Execute reports it, with the statement as written.
  bool ExecuteKept(const QString& sql, const std::function<void(KvDbStatement&)>& bind, bool bReport = true);
  // Rows inserted, changed or deleted by the last Execute or ExecuteKept
  // (also when it ran in a transaction of its own, below).
  int GetRowCount() const;
  // On the server kinds, outside a transaction, while the connection's
  // baseline says not carried: a text of Execute or ExecuteKept holding an
  // INSERT, UPDATE or DELETE of a table other than the log's runs in a
  // transaction of its own (BeginTrans, the text, CommitTrans), so that it
  // meets the carried-mark check and registers the period as every
  // transaction does; refused, it has written nothing and answers false
  // after the refusal's message. An UPDATE of SysTab that sets MM writes
  // the mark itself and runs as it is, as do every other statement, texts
  // that begin or end a transaction themselves and data files.

  // Runs a text of statements a person typed, inside the open transaction,
  // one statement at a time as the engine reads it off the text. Each is
  // looked at just before it runs: one that begins, ends or divides a
  // transaction (KvIsTransactionControl) is not run, and the text stops
  // there (ControlRefused, nothing shown). A statement the engine will not
  // read alone, or that fails, is reported as Execute reports it (Failed).
  // On the server kinds a statement is read by PostgreSQL's rules; kind 2
  // also has the server prepare it alone, which refuses two statements.
  // After each statement the engine's transaction must still be the one
  // the text began in; when a statement ended it anyway the text stops
  // (TransactionEnded: what ran so far is committed). In every case but
  // Done the caller rolls back. *pnRows gets the rows the statements
  // touched together. A text holding U+0000 runs nothing and is refused
  // with NulRefusedText() (Failed): every engine would stop reading it at
  // the NUL and run what stands before it.
  enum class TypedRun { Done, Failed, ControlRefused, TransactionEnded };
  TypedRun ExecuteTyped(const QString& sqlJet, int* pnRows);
  static QString NulRefusedText();

  // Transactions nest: an inner BeginTrans takes a savepoint that its
  // CommitTrans releases and its Rollback undoes. A statement that fails
  // inside a transaction is undone alone; the transaction goes on. Two
  // things end it otherwise: a server session that is lost (CommitTrans is
  // then false and the connection no longer open), and an SQLite file whose
  // engine rolled the transaction back (a full disk): every later statement
  // fails and CommitTrans is false until Rollback has reached the
  // outermost level. A failed CommitTrans has either ended its level or
  // left it open for Rollback: TransactionDepth tells which. BeginTrans and
  // CommitTrans report every failure (ReportFailed with "BEGIN" or
  // "COMMIT"): on a data file the commit is the statement that waits for
  // the readers of the file (a backup's snapshot), and one that gives up has
  // been rolled back before its message shows. While they wait the
  // program shows it (core/KvLockWaitHook.h).
  // Every outermost begin (BeginTrans, BeginLocked, BeginLockedSelect)
  // first runs the function of core/KvBeforeTransaction.h.
  bool BeginTrans();
  // Outside a transaction: begins one holding the table's lock (see
  // LockTable), both in one round trip where the back end allows. A failure
  // is reported as "BEGIN;LOCK TABLE <table>".
  bool BeginLocked(const QString& table);
  // As BeginLocked, and runs the prepared statement's select in the
  // transaction, in the same round trip where the back end allows
  // (KvDbBackend::beginLockedSelect; a failed statement ends the
  // transaction): *rows holds its rows, null (and `error`) when the select
  // failed in the open transaction.
  bool BeginLockedSelect(const QString& table, KvDbStatement& select, std::unique_ptr<KvDbRowset>* rows,
                         QString* error);
  bool CommitTrans();
  bool Rollback();
  // Open levels of transaction: 0 outside one.
  int TransactionDepth() const;
  // Kind 0: a mark that differs from one taken earlier when the file's data
  // may have changed since: another connection (of this program too)
  // committed, or this connection changed a row or the schema. Taken before
  // a read and again under a later transaction's lock, an equal mark says
  // the rows read are still those stored. Empty (nothing proven) on the
  // server kinds and when it cannot be read; nothing is shown.
  QString GetDataChangeMark() const;
  // Inside a transaction: keeps other writers off the table until the
  // transaction ends (numbers made unique by insert-then-count). SQLite
  // transactions hold the file's write lock from their start already.
  // A failure is reported (ReportFailed with "LOCK TABLE <table>").
  bool LockTable(const QString& table);

  // --- The year's carried mark (SysTab's MM, kKvCarriedMonth once carried) ---
  // On the server kinds the connection keeps a baseline: the mark it read,
  // silently, when it opened (none without SysTab; none is read on the
  // maintenance database nor on the one CreateDatabase made), or the one
  // it was given since (SetCarriedBaseline). While the baseline says not carried, each
  // transaction reads the mark again once it holds what it waited for: with
  // its first lock of a table other than the log's (KvLog, KvLogOp,
  // KvTask), in the lock's own round trip; when it locked no other table,
  // just before its commit, and then only when it wrote a table other than
  // the log's (the server's locks of the session tell; a table it dropped,
  // or the old heap of a table it rewrote, counts): a transaction that
  // wrote only the log, however it began, is not checked, so that a session
  // can still log, end its period and delete old ones. When the mark now says
  // carried, the transaction is rolled back to its outermost level, then
  // "本年度数据已结转到新年度，不能再保存！" is shown; the lock, begin or commit
  // fails with no other message. A data file is never checked: the carry
  // holds the file alone.
  void SetCarriedBaseline(int nMonth);
  // As SetCarriedBaseline, for a look at SysTab that tells the operator
  // nothing of a carry (a window showing the data file, a read again): a
  // baseline that says not carried is kept when the mark now says carried,
  // so that the saves go on being refused.
  void NoteCarriedMark(int nMonth);
  // The baseline: -1 when none was read.
  int CarriedBaseline() const { return m_nCarryBaseline; }
  // The open transaction writes the mark itself (the carry's hold): it is
  // not checked.
  void SkipCarriedCheck();
  // At the outermost level just before a commit (CommitTrans runs it): the
  // check of a transaction that locked no table but the log's, made when
  // it wrote a table other than the log's. False when it refused, or
  // when the mark could not be read (rolled back, then reported as
  // Execute reports a failed statement).
  bool PassesCarriedCheckBeforeCommit();
  // A statement waits for a lock another connection holds no longer than
  // kKvLockWaitMs (core/KvDbBackend.h), on every kind. After a failure:
  // when the statement gave up so, says "数据正被另一工作站锁定（其修改尚未
  // 提交），等待%d秒后已放弃，本次操作未作任何修改！" (the stop icon) and
  // answers true.
  bool ReportLockWait() const;
  // Tells the user of a statement that failed on this connection: on a lost
  // connection only what FailsAsLost shows; for one that gave up waiting
  // for another connection's lock what ReportLockWait shows; otherwise
  // "执行下列SQL语句时出错！\n%s" with the statement as it ran, under the stop
  // icon, preceded on kind 2 by the server's error text (when given) and a
  // line break.
  void ReportFailed(const QString& sql, const QString& error) const;

  // The text made safe between single quotes for this connection's kind;
  // nMaxLen 0 or more cuts it to that width first.
  QString QuoteText(const QString& text, int nMaxLen = -1) const;

  // --- Scalar queries ---

  // Column 0 of the first row; 0 when the select fails or has no row.
  int GetLong(const QString& sqlJet, const QString& sqlServer = QString());
  // "Select Count(*),%s" around the given rest of a select; *pnCount gets the
  // count; the result is the second column when the count is above 0.
  int LookupLong(const QString& sqlJet, const QString& sqlServer = QString(), int* pnCount = nullptr);
  double LookupDouble(const QString& sqlJet, const QString& sqlServer = QString(),
                      int* pnCount = nullptr);
  // nWidth is the width the text column was bound to; the whole text is
  // returned here.
  QString LookupText(const QString& sqlJet, const QString& sqlServer = QString(), int* pnCount = nullptr,
                     int nWidth = 255);
  // The same lookups for reads whose failure matters (a document's fill):
  // a select that fails is shown as Execute shows it ("执行下列SQL语句时出错！")
  // and gives false, *pOut then 0 or empty; with no row *pOut is 0 or empty
  // and the answer true.
  bool LookupLong(const QString& sqlJet, int* pOut, const QString& sqlServer = QString());
  bool LookupText(const QString& sqlJet, QString* pOut, const QString& sqlServer = QString());
  // Runs sql as a select of nCols text columns and puts column i of every
  // row into pCols[i]; returns the number of rows (0 when it fails).
  int QueryTexts(const QString& sql, QStringList* pCols, int nCols);

  // --- Catalogue ---

  // Whether a table of that name exists (case of the name ignored).
  bool TableExists(const QString& table);
  // Whether every one of the tables exists, asked in one statement; true
  // for none.
  bool TablesExist(const QStringList& tables);
  // True when the table has the column (case ignored); *pnWidth gets the
  // declared width of a text column, the byte size of other columns (16 for
  // binary data). A missing table or column, or a column of a type the
  // program does not use, gives false and leaves *pnWidth alone.
  bool GetColumnWidth(const QString& table, const QString& column, int* pnWidth);
  // Kind 0: the path is an existing file; kinds 1 and 2: a database of that
  // name exists on the server. *pbKnown, when given, is false when the
  // server could not be asked (the answer is then false).
  bool DatabaseExists(const QString& name, bool* pbKnown = nullptr);
  // Sorts the table's columns, in table order, into pLists[0] integers,
  // pLists[1] floating-point and numeric, pLists[2] texts (their widths
  // appended to pWidths when given) and pLists[3] binary data; returns the
  // number of columns, 0 when the table is missing or a column has another
  // type.
  int GetColumns(const QString& table, QStringList* pLists, QList<int>* pWidths);
  // Appends the names of the user tables; returns the list's size.
  int ListUserTables(QStringList* pNames);
  // Appends the names of the indexes that hold the column (each once);
  // returns the list's size. Kinds 1 and 2 empty the list first. Indexes
  // that belong to a key constraint are not listed: they go with their
  // constraint.
  int GetColumnIndexes(QStringList* pNames, const QString& table, const QString& column);
  // Drops the indexes of GetColumnIndexes through Execute (reporting);
  // returns how many were found.
  int DropColumnIndexes(const QString& table, const QString& column);

  // --- Tables by list (names separated by blanks) ---

  // True when every listed table is empty; a table that cannot be read is
  // not empty.
  bool TablesEmpty(const QString& tables);
  // "Delete From %s" for each table through Execute (reporting); false at
  // the first failure, later tables untouched.
  bool ClearTables(const QString& tables);

  // The back end the typed query and the recordsets read through; null
  // while the connection is closed.
  KvDbBackend* GetBackend() const { return m_backend.get(); }

  // --- Whole databases and exclusive use (core/KvDbMaintenance.cpp) ---
  //
  // On the server kinds these reach the maintenance database ("master", on
  // PostgreSQL "postgres") with the connect information given or kept, and
  // take database names as the server folds them: lower case, never quoted.
  // A name that is not a plain identifier (letters, digits, "_") is refused
  // with false before anything runs; one longer than the server keeps (63
  // bytes; a snapshot's name adds 15 to the database's) is refused with a
  // message saying so.

  // Closes this connection and makes an empty database, which it then
  // opens. Kind 0: a new data file at the path name (an existing path is
  // refused), given the standard password. Kinds 1 and 2: the database
  // named by name's file title (a folder and an extension are ignored),
  // UTF-8 with the "C" collation. Kind 0 with bScratch: a writer's scratch
  // file that no other connection opens before it is closed and put in
  // place (an export under a temporary name): it takes no presence lock,
  // so that nothing is left beside it; do not Reopen it.
  bool CreateDatabase(const QString& name, CKvDbInfo info, bool bScratch = false);
  // Closes this connection and deletes the data file, or drops the
  // database; refused while another program uses it (on the server with the
  // message of CheckOtherClients). Refused on the server, the connection is
  // left open on that database, with the carried-mark baseline it had when
  // it was open on it already, none otherwise.
  bool DropDatabase(const QString& name, CKvDbInfo info);
  // Replaces the open database by an empty one of the same name and place;
  // the connection is then open on it.
  bool RecreateDatabase(CKvDbInfo info);
  // A copy of the open database under newName, which must not exist yet;
  // the connection stays open on the source. Kind 0: a consistent copy of
  // the file (SQLite's backup). Kinds 1 and 2: CREATE DATABASE ... TEMPLATE,
  // for which every session of this program to the source is ended and then
  // made again; sessions of other programs make it fail. mdfPath and
  // ldfPath name server file places and are not used.
  bool CopyDatabase(const QString& newName, const QString& mdfPath = QString(),
                    const QString& ldfPath = QString());
  // Gives the database `from` the name `to`, with no connection to either
  // while it happens: this program's own are closed for it and, on the
  // server, made again afterwards (a session on `to` then reaches the
  // renamed database); a kind-0 connection of this object on either is
  // opened again on `to`. Kind 0: `from` and `to` are file paths in one
  // folder and the file is renamed; with bReplace an existing `to` is
  // replaced in that same rename, its presence lock held exclusively
  // across it. Kinds 1 and 2: ALTER DATABASE ... RENAME on the maintenance
  // database; with bReplace an existing `to` becomes "<to>_old" and `from`
  // takes its name in one transaction, and the old database is then
  // dropped (a "<to>_old" left by an earlier rename goes first). Refused,
  // changing nothing and showing nothing, while another program uses either
  // database, when `from` is missing, or when `to` exists without bReplace.
  bool RenameDatabase(const QString& from, const QString& to, CKvDbInfo info, bool bReplace);
  // A time-stamped copy of the open database, as CopyDatabase makes it.
  // With *pTarget empty (or pTarget null) the name is made and handed back:
  // kind 0 "%s(%s).%s" (the path without its extension, the local time
  // "%Y%m%d%H%M%S", the extension in upper case); kinds 1 and 2 the
  // database name, "_" and the time. A copy of that name made earlier in
  // the same second is kept: the new one waits for the next second. A
  // target that is given and exists is replaced on kind 0 unless a program
  // (this one too) has it open.
  bool SnapshotDataFile(QString* pTarget);
  // The copies SnapshotDataFile made of the open database, oldest first:
  // only names of exactly its form with this database's name (kind 0 files
  // beside the data file, kinds 1 and 2 databases on its server). False
  // when they cannot be listed.
  bool ListSnapshots(QStringList* pCopies);
  // Whether the copy holds the same tables with the same numbers of rows
  // as the open database (kind 0: and its pages are sound). Read without
  // leaving anything beside the copy.
  bool VerifySnapshot(const QString& copy);
  // Drops one copy, quietly: false while a program (this one included) has
  // it open, or when it is no copy of the open database.
  bool DropSnapshot(const QString& copy);
  // Kind 0: makes sure no other program has the file open; with bKeep the
  // file stays held exclusively until the connection is closed or reopened,
  // otherwise it is shared again. When another program has it: false and
  // (with bKeep) "不能以独占方式打开当前数据库文件：\n%s\n可能是别人正在使用它。
  // 详情请看“操作日志”。", the file staying open shared (when the lock file
  // beside it cannot be written, the second line says that instead, naming
  // the lock file and its owner or the folder); when the file no
  // longer opens: "无法打开数据库文件：\n%s", the connection closed. Kinds 1
  // and 2: true.
  bool ReopenMdbExclusive(bool bKeep);
  // Kinds 1 and 2: true when no session of another program is connected to
  // the database (sessions of this process pass). Otherwise false and, with
  // bReport, the machines and programs under the stop icon. Kind 0: true.
  bool CheckOtherClients(bool bReport);
  // Whether no other program uses the database at this moment, showing
  // nothing: kind 0, no other program has the file open (the connection's
  // hold on it stays as it was); kinds 1 and 2, CheckOtherClients(false).
  // Also false when that cannot be found out.
  bool NoOtherClientsNow();
  // Kind 0: ReopenMdbExclusive(b); kinds 1 and 2: CheckOtherClients(b).
  bool LockExclusive(bool b);
  // Gives a text column the width nWidth in place, keeping its values, its
  // place, constraints, default, collation and indexes; all or nothing: a
  // failed step (reported) leaves the column as it was. A narrower width
  // that a stored value does not fit is refused with a message (on the
  // server with the failed statement's): a value longer than the width only
  // by blanks loses them.
  void ResizeCharColumn(const QString& table, const QString& column, int nWidth);

  // --- A session the server ended ---
  // True once the server has ended this connection's session and the
  // lost-connection handler (KvSetConnectionLostHandler) has taken the loss
  // on: every later statement fails at once and shows no failure of its
  // own, only what the lost-statement handler shows (FailsAsLost). The next
  // successful Open ends it; Close does not.
  bool IsLost() const { return m_bLost; }
  // For a place where a statement failed or could not run: true when the
  // connection is lost, and the failure is then handed to the lost-statement
  // handler (KvSetLostStatementHandler) instead of being shown; false
  // otherwise, and a place that reports failures reports it as usual. The
  // connection's own operations (statements, selects, transactions) hand
  // their failures on themselves.
  bool FailsAsLost() const;
  // For a helper that needs the connection before it can start: true when
  // it is open; false otherwise, and a lost connection then hands the
  // refusal to the lost-statement handler (FailsAsLost), so that the
  // command the helper serves tells the loss rather than stop in silence.
  // A connection merely closed answers false without a word.
  bool IsOpenOrFailsAsLost() const;

  // --- Statement-failure seam, for tests (core/KvDbFaultSeam.cpp) ---
  // The n-th statement this connection sends from now on (statements,
  // selects, prepared runs, BEGIN/SAVEPOINT, COMMIT/RELEASE, LOCK) is
  // refused as the engine refuses one; the others run. n <= 0 removes the
  // seam. Closing the connection removes it too.
  void FailNthStatement(int n);
  // Statements sent since the seam was set; 0 without a seam.
  int GetStatementsSent() const;

 private:
  // Counts this connection's statements on the seam of other, when it has
  // one (OpenBeside).
  void ShareFaultSeam(const CKvDb& other);
  // Kind 0: makes this connection's hold on the file exclusive; false when
  // another program has it open.
  bool HoldExclusive();
  // Kinds 1 and 2: makes the database target a copy of the open one.
  bool CopyServerDatabase(const QString& target);
  bool ResizeFileColumn(const QString& table, const QString& column, int nWidth);

 protected:
  // The connect information of the last successful open.
  CKvDbInfo m_info;

 private:
  // A transaction operation failed: reported as a failed statement on an
  // open connection, handed to FailsAsLost otherwise (a connection merely
  // closed says nothing).
  void reportTransactionFailed(const QString& sql) const;
  // Kind 0: opens the file when one of the passwords passes its access check.
  bool OpenFile(const QString& path, const QStringList& passwords);
  // Open; on the server kinds the carried mark is read only with bReadMark
  // (a database known to hold no SysTab is not asked for it).
  bool openReadingMark(const QString& strFile, CKvDbInfo info, bool bReadMark);
  // The text that runs on this kind: the Jet or the server text, translated.
  QString Translate(const QString& sqlJet, const QString& sqlServer) const;
  // Runs a select quietly; null when it fails or returns fewer columns than
  // `columns`.
  std::unique_ptr<KvDbCursor> Select(const QString& sql, int columns) const;
  // The first row of "Select Count(*),<rest>"; null when the select fails.
  std::unique_ptr<KvDbCursor> Lookup(const QString& sqlJet, const QString& sqlServer,
                                     int* pnCount) const;
  // The same, showing a failed select; null when it failed.
  std::unique_ptr<KvDbCursor> LookupReported(const QString& sqlJet, const QString& sqlServer) const;
  // Count(*) of a table; false when the table cannot be read.
  bool CountRows(const QString& table, qint64* count) const;
  struct ColumnInfo;
  // The columns of a table in their order; false when there is no such table.
  bool ReadColumns(const QString& table, QList<ColumnInfo>* columns) const;

  // The back end found its session ended: the handler is asked to take it on.
  void SessionLost();

  // Before an outermost begin: runs the before-transaction function and
  // arms the carried-mark check; false when the function refused.
  bool beginOutermost();
  // Whether a lock of the table reads the carried mark now.
  bool carryCheckDue(const QString& table) const;
  // Whether the text is a write that runs in a transaction of its own
  // (see GetRowCount).
  bool writesCheckedAlone(const QString& sql) const;
  // Execute's and ExecuteKept's run of one text: `run` runs it on the back
  // end; a failure is reported as Execute says.
  bool runStatement(const QString& sql, bool bReport, const std::function<bool(QString*)>& run);
  // After the read of the mark: true when it says carried and the
  // transaction was rolled back and the refusal shown.
  bool refusesCarried(qint64 mark);
  // The begin, the lock and the refusal of BeginLocked and
  // BeginLockedSelect; `begin` runs the back end's begin with the mark's
  // place (null when not read).
  bool beginWithLock(const QString& table, const std::function<bool(qint64*)>& begin);
  // The lock of LockTable and of the locked begins: runs `lock` with the
  // mark's place (null when not read) inside the lock-wait scope, reports
  // a failure as `reportedSql`, and refuses a year carried meanwhile.
  bool lockReadingMark(const QString& table, const QString& reportedSql, const std::function<bool(qint64*)>& lock);

  // What the current transaction still owes the carried-mark check.
  enum class CarryCheck { kDue, kDone };

  std::unique_ptr<KvDbBackend> m_backend;
  int m_nKind = 0;
  QString m_serverError;
  bool m_bLost = false;
  int m_nCarryBaseline = -1;  // -1: none read
  int m_nRowCount = 0;  // of the last Execute or ExecuteKept
  CarryCheck m_carryCheck = CarryCheck::kDone;
};

// What the program does when the server ends the session of a connection
// (a restart, an administrator's command, a cut network): the handler is
// called once per loss, from inside the operation that found it, and
// answers true when it takes the loss on (it tells the user and offers to
// log in again, later, from the event loop: never inside the failing
// statement). The connection is then lost (CKvDb::IsLost) and its failures
// are no longer reported one by one. Without a handler, or when it answers
// false, every failure is reported as any failed statement is. The shell
// installs it; the previous handler is returned.
using KvConnectionLostFn = std::function<bool(CKvDb& db)>;
KvConnectionLostFn KvSetConnectionLostHandler(KvConnectionLostFn fn);

// What the program does with each statement that fails on a connection
// already lost (CKvDb::FailsAsLost): the shell tells the operator once per
// command that the connection is gone. Without a handler nothing is shown.
// The previous handler is returned.
using KvLostStatementFn = std::function<void(const CKvDb& db)>;
KvLostStatementFn KvSetLostStatementHandler(KvLostStatementFn fn);
