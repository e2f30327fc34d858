#pragma once
// Small query helpers of the fee module that tell a failed read apart from
// an empty one (the connection's own scalar queries answer 0 or "" for
// both), and the pieces of its Like clauses.

#include <QString>

#include <functional>
#include <memory>

class CKvDb;
class KvDbRowset;
class KvDbStatement;

// The any-string marker of the dialect translator ("*" on SQLite, "%" on
// PostgreSQL).
inline QString KvAnyMarker() { return QStringLiteral("\x07*\x08"); }

// A Like pattern that matches the texts beginning with `prefix` (quoted for
// the connection, its own wildcards kept literal), without the quotes.
QString KvLikePrefix(CKvDb* pDb, const QString& prefix);

// Column 0 of the first row as an integer (0 when there is no row); -1 when
// the select fails (the query reports it). Meant for counts.
int KvSchoolCount(CKvDb* pDb, const QString& sqlJet, const QString& sqlServer = QString());

// Column 0 of the first row as text into *value ("" when there is no row or
// a NULL); false when the select fails.
bool KvSchoolText(CKvDb* pDb, const QString& sqlJet, const QString& sqlServer, QString* value);

// A select kept prepared on the connection (KvDbBackend::keptStatement: the
// engine parses and plans it once per connection), run with the values that
// `bind` binds to its "?"; its rows, or null when it fails, which is
// reported (KvSchoolReportFailed). The text is written in the Jet dialect.
std::unique_ptr<KvDbRowset> KvSchoolSelectKept(CKvDb* pDb, const QString& sql,
                                               const std::function<void(KvDbStatement&)>& bind);
// The statement KvSchoolSelectKept runs, with its values bound, and its
// text as the engine runs it in *translated; null when the engine refuses
// it (reported).
KvDbStatement* KvSchoolBoundKept(CKvDb* pDb, const QString& sql, const std::function<void(KvDbStatement&)>& bind,
                                 QString* translated);

// Reports a statement that failed, as a failed select is reported: on kind 2
// the server's reason first, then "执行下列SQL语句时出错！" and the text.
void KvSchoolReportFailed(CKvDb* pDb, const QString& sql, const QString& error);

// KvCopyTableStrict: every row of the Where text or none; false when a row
// could not be stored. The Where text is written for both dialects.
bool KvCopyTableChecked(CKvDb* pSource, CKvDb* pTarget, const QString& table, const QString& where);
