#pragma once
// The steps the three timetabling catalogues (teachers, courses, shared
// rooms) share: reading rows of text columns, the next free code, and the
// insert, update and delete that each check after writing, inside one
// transaction, so the database's own view decides. The table classes
// (CTchrTable, CSbtTable, CPubRmTable) build their statements and messages
// and hand them here.
//
// Every refusal rolls the write back and leaves the data as it was; it is
// then shown as a stop box or, when pRefusal is given (the caller's own
// transaction is still open), handed to the caller to show once that has
// ended, so that no workstation waits on the box. A failing statement is
// reported by the connection and rolled back.

#include <QList>
#include <QString>
#include <QStringList>

class CKvDb;

// A table that holds codes of a catalogue: its column and the refusal shown
// (filled with the code) when a row to delete is still referred to there.
struct KvPkCodeRef {
  QString table;
  QString column;
  QString refusal;
};

namespace KvPkCatalogTable {

// Runs the select of nColumns text columns; one list of texts per row.
// Empty when the query cannot be opened; *pRead (when given) is false only
// then.
QList<QStringList> Select(CKvDb* pDb, const QString& sql, int nColumns, bool* pRead = nullptr);

// The largest code of the table read as a number, plus one, zero-padded to
// the width; past the width's last number "", told as "代码已到最大值<the
// nines>，不能再自动编号！".
QString NextCode(CKvDb* pDb, const QString& table, int width);

// Runs the insert and makes sure the code is there exactly once; otherwise
// rolls back with the duplicate message (already filled). The table is
// locked for the transaction, so two workstations adding one code store it
// once. A count that cannot be read rolls back without that message.
bool Insert(CKvDb* pDb, const QString& insertSql, const QString& table, const QString& code,
            const QString& duplicate, QString* pRefusal);

// Runs the update, makes sure the new code is not held twice and, when the
// code changed, rewrites it in every referring place, all in one
// transaction under the locks of the table and, for a new code, of the
// referring tables: the first failure undoes everything.
bool Update(CKvDb* pDb, const QString& updateSql, const QString& table, const QString& oldCode,
            const QString& newCode, const QString& duplicate, const QList<KvPkCodeRef>& refs,
            QString* pRefusal);

// Under the locks of the table and of every referring table, in that order,
// counts the referring places, then deletes the row of the code unless one
// of them still holds the code (or cannot be counted); the refusal is the
// first such place's.
bool Delete(CKvDb* pDb, const QString& table, const QString& code, const QList<KvPkCodeRef>& refs,
            QString* pRefusal);

}  // namespace KvPkCatalogTable
