#pragma once
// Digests of stored rows, for a command that must know whether a data file
// changed between two of its own reads (the carry, the restore).

#include <QByteArray>
#include <QString>
#include <QStringList>

class CKvDb;

// The log's tables (KvTask, KvLog, KvLogOp): written at every login and
// entry, so no command that compares the data file compares them.
const QStringList& KvLogTables();
bool KvIsLogTable(const QString& table);

// Every row of the tables, as one digest; empty when a table cannot be
// read. Two reads of the same rows agree whatever order the engine gives
// them in.
QByteArray KvRowsDigest(CKvDb* pDb, const QStringList& tables);

// The digest of every table of the database but the log's, read as one
// moment; empty when it cannot be read.
QByteArray KvDataDigest(CKvDb* pDb);
