#pragma once
// What the SQL console does apart from its window: it refuses texts that
// control the transaction themselves, runs the statements of a text in one
// transaction and commits them only when the operator says so, logging the
// run in that same transaction, and reads and writes statement files.
//
// A text that commits or rolls back by itself would end the console's
// transaction before the operator is asked, and No could not undo it; such a
// text is refused before anything runs.

#include <QString>
#include <QStringList>
#include <functional>

class CKvDb;

// True when a statement of the text (found outside literals and comments)
// begins, ends or divides a transaction: BEGIN, START TRANSACTION, COMMIT,
// END, ROLLBACK (also TO), ABORT, SAVEPOINT, RELEASE, PREPARE TRANSACTION,
// COMMIT PREPARED, ROLLBACK PREPARED.
bool KvHasTransactionControl(const QString& sql);

// The log notes of a statement run: "执行SQL语句：%s" when it fits one note,
// else "执行SQL语句(%d/%d)：%s" over as many notes as it needs, each at most
// `width` wide (double-byte characters counting two). Single quotes become
// double quote characters.
QStringList KvSqlLogNotes(const QString& sql, int width);

// Asks whether the statements' work is kept: given the number of rows they
// touched, true to commit.
using KvSqlCommitQuestion = std::function<bool(int nRows)>;

// Runs the statements of the text in order in one transaction on a
// connection of its own to the database pDb has open (CKvDb::OpenBeside:
// the kind's usual set-up), closed when the run ends: whatever the
// statements leave on a session (a temporary table that hides a table of
// the data file, prepared statements dropped, a setting, a lock) ends with
// it and never reaches pDb, which the run leaves alone. A connection that
// does not open is told ("无法打开数据库文件：\n%s", on a server with the
// server's text) and nothing runs. Each statement is looked at by the
// engine just before it runs (CKvDb::ExecuteTyped). A failing statement is
// reported by the connection and everything is rolled back; so is a
// statement that controls the transaction, refused with
// KvSqlControlRefusedText() before it runs, and a transaction that a
// statement ended all the same ("事务已被语句结束，所做修改已提交！").
// Otherwise `ask` decides, given the rows the statements touched together,
// with the transaction still open; on yes the log entries (operation 26)
// are written in the transaction on the run's connection, and just before
// the commit the run is refused and rolled back when another workstation
// came on meanwhile ("SQL语句执行期间别的工作站登录了当前数据文件，所做修改已
// 撤销，数据未被改动！"); a commit that fails says so, once. True when the
// work was committed: what the program keeps in memory from the data file
// may then be out of date.
bool KvRunSqlText(CKvDb* pDb, const QString& sql, const KvSqlCommitQuestion& ask);

// "SQL语句中不能含有事务控制语句！"
QString KvSqlControlRefusedText();

// "没有处理任何" for 0 rows, else "处理了%d条".
QString KvSqlRowsText(int nRows);

// A statement file's text: UTF-8, else GBK. False when it cannot be read.
bool KvReadSqlFile(const QString& path, QString* pText);
// Writes the text as UTF-8; the file is replaced whole or not at all.
bool KvWriteSqlFile(const QString& path, const QString& text);
