#pragma once
// Copies the rows of one table from one open connection to another, column
// by column with the type of each column, binary columns included; the two
// connections may be of any kinds.

#include <QString>
#include <QStringList>

class CKvDb;

// Copies the rows of `table` that pass the Where text (a whole clause such
// as "Where KNO Like 'x\x07*\x08'", or empty for all rows): whereJet when the
// SOURCE is an SQLite file, whereServer (whereJet when empty) when it is a
// server database. The columns are those of the source table; the target
// table must have them.
//
// The rows go in inside one transaction of the target; on an SQLite target
// each row also has a savepoint of its own. A row that cannot be stored is
// left out and, while reporting is on, shown as "复制表[%s]出错！\n", a line
// per column ("×" in front of a column that could not be written), and
// "继续报错吗？" (Yes, No, Cancel; No turns reporting off for the rest of the
// copy); the copy goes on with the next row.
//
// Returns 1 when the copy ran, also when rows were left out; 0, with nothing
// changed on the target and no message of its own, when either connection
// lacks the table, the columns cannot be read, a recordset does not open or
// the target's transaction cannot begin or be committed, or is lost on the
// way (a server session that ends, an SQLite file that fills up): the copy
// then stops at once.
int KvCopyTable(CKvDb* pSource, CKvDb* pTarget, const QString& table, const QString& whereJet = QString(),
                const QString& whereServer = QString());

// The same copy with all rows or none and no question: the first row that
// cannot be stored ends it, the target keeps none of the rows, and *error
// (when given) describes the table and that row, a line per column ("×" in
// front of a column that could not be written). Also false, with the reason
// in *error, when a table or its columns cannot be read or the target's
// transaction does not begin or commit. Inside a transaction of the target
// the rows become part of it. A server target takes the rows as bulk loads;
// only when a load is refused do the rows go again one by one, to find the
// row to name. The rows are stored as KvCopyTable stores them.
bool KvCopyTableStrict(CKvDb* pSource, CKvDb* pTarget, const QString& table, QString* error = nullptr,
                       const QString& whereJet = QString(), const QString& whereServer = QString());

// What a final message adds for the tables a copy left out because the
// target has none of that name: "\n下列表未复制：%s" with the names joined
// by "、"; empty when there were none.
QString KvSkippedTablesLine(const QStringList& skipped);
