// The scalar and catalogue queries of CKvDb. The catalogue is read from
// sqlite_schema and the table-info pragmas on kind 0 and from pg_catalog on
// kinds 1 and 2; these texts are the layer's own, written for the engine,
// and run untranslated. Every name put into them goes through QuoteText.

#include "core/CKvDb.h"

#include "core/KvDbBackend.h"
#include "core/KvSqlTranslator.h"
#include "core/KvText.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <limits>

namespace {
int toInt(qint64 value) {
  return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// The names of a blank-separated list; tabs and line ends separate too.
QStringList splitTableList(const QString& tables) {
  static const QRegularExpression separators(QStringLiteral("[ \\t\\r\\n]+"));
  return tables.split(separators, Qt::SkipEmptyParts);
}

// The four column groups of GetColumns; -1 for a type the program does not use.
enum ColumnGroup { kInteger = 0, kFloating = 1, kText = 2, kBinary = 3, kOther = -1 };
}  // namespace

struct CKvDb::ColumnInfo {
  QString name;
  int group = kOther;
  int width = 0;
};

namespace {
// An SQLite column by its declared type, read the way Jet reads a type name
// in a CREATE TABLE: TEXT and CHAR without a size hold 255 characters.
void classifySqliteType(const QString& declared, int* group, int* width) {
  const QString type = KvLower(declared).trimmed();
  const qsizetype paren = type.indexOf(u'(');
  const QString base = (paren < 0 ? type : type.left(paren)).simplified();
  int size = -1;
  if (paren >= 0) {
    bool ok = false;
    const qsizetype close = type.indexOf(u')', paren);
    size = type.mid(paren + 1, (close < 0 ? type.size() : close) - paren - 1).section(u',', 0, 0)
               .trimmed().toInt(&ok);
    if (!ok)
      size = -1;
  }
  static const QStringList shortInts = {QStringLiteral("smallint"), QStringLiteral("short"), QStringLiteral("integer2"), QStringLiteral("int2")};
  static const QStringList ints = {QStringLiteral("integer"), QStringLiteral("int"),      QStringLiteral("long"), QStringLiteral("integer4"),
                                   QStringLiteral("int4"),    QStringLiteral("counter"), QStringLiteral("autoincrement")};
  static const QStringList floats = {QStringLiteral("double"),  QStringLiteral("double precision"), QStringLiteral("float"),
                                     QStringLiteral("float8"),  QStringLiteral("ieeedouble"),       QStringLiteral("number"),
                                     QStringLiteral("numeric"), QStringLiteral("decimal"),          QStringLiteral("real")};
  static const QStringList texts = {QStringLiteral("char"),     QStringLiteral("character"), QStringLiteral("varchar"),
                                    QStringLiteral("text"),     QStringLiteral("nchar"),     QStringLiteral("nvarchar"),
                                    QStringLiteral("string"),   QStringLiteral("alphanumeric")};
  static const QStringList binaries = {QStringLiteral("binary"),    QStringLiteral("varbinary"), QStringLiteral("longbinary"), QStringLiteral("image"),
                                       QStringLiteral("oleobject"), QStringLiteral("general"),   QStringLiteral("blob")};
  if (shortInts.contains(base)) {
    *group = kInteger;
    *width = 2;
  } else if (ints.contains(base)) {
    *group = kInteger;
    *width = 4;
  } else if (floats.contains(base)) {
    *group = kFloating;
    *width = base == u"real" ? 4 : 8;
  } else if (texts.contains(base)) {
    *group = kText;
    *width = size > 0 ? size : 255;
  } else if (binaries.contains(base)) {
    *group = kBinary;
    *width = 16;
  } else {
    *group = kOther;
    *width = 0;
  }
}

// A PostgreSQL column by its type name and modifier.
void classifyServerType(const QString& type, int typmod, int* group, int* width) {
  *group = kOther;
  *width = 0;
  if (type == u"int4") {
    *group = kInteger;
    *width = 4;
  } else if (type == u"int2") {
    *group = kInteger;
    *width = 2;
  } else if (type == u"int8") {
    *group = kInteger;
    *width = 8;
  } else if (type == u"float8" || type == u"numeric") {
    *group = kFloating;
    *width = 8;
  } else if (type == u"float4") {
    *group = kFloating;
    *width = 4;
  } else if ((type == u"bpchar" || type == u"varchar") && typmod > 4) {
    *group = kText;
    *width = typmod - 4;
  } else if (type == u"bytea") {
    *group = kBinary;
    *width = 16;
  }
}
}  // namespace

std::unique_ptr<KvDbCursor> CKvDb::Select(const QString& sql, int columns) const {
  std::unique_ptr<KvDbCursor> cursor = IsOpen() ? m_backend->query(sql, nullptr) : nullptr;
  if (!cursor) {
    FailsAsLost();
    return nullptr;
  }
  if (cursor->columnCount() < columns)
    return nullptr;
  return cursor;
}

std::unique_ptr<KvDbCursor> CKvDb::Lookup(const QString& sqlJet, const QString& sqlServer,
                                          int* pnCount) const {
  if (pnCount)
    *pnCount = 0;
  // Each text is the rest of a select after its count; an empty server text
  // leaves the Jet text to serve on the server.
  const QString prefix = QStringLiteral("Select Count(*),");
  std::unique_ptr<KvDbCursor> cursor =
      Select(Translate(prefix + sqlJet, sqlServer.isEmpty() ? QString() : prefix + sqlServer), 2);
  if (!cursor || cursor->atEnd())
    return nullptr;
  if (pnCount)
    *pnCount = toInt(cursor->integer(0));
  return cursor;
}

int CKvDb::GetLong(const QString& sqlJet, const QString& sqlServer) {
  std::unique_ptr<KvDbCursor> cursor = Select(Translate(sqlJet, sqlServer), 1);
  return cursor && !cursor->atEnd() ? toInt(cursor->integer(0)) : 0;
}

int CKvDb::LookupLong(const QString& sqlJet, const QString& sqlServer, int* pnCount) {
  std::unique_ptr<KvDbCursor> cursor = Lookup(sqlJet, sqlServer, pnCount);
  return cursor && cursor->integer(0) > 0 ? toInt(cursor->integer(1)) : 0;
}

double CKvDb::LookupDouble(const QString& sqlJet, const QString& sqlServer, int* pnCount) {
  std::unique_ptr<KvDbCursor> cursor = Lookup(sqlJet, sqlServer, pnCount);
  return cursor && cursor->integer(0) > 0 ? cursor->real(1) : 0.0;
}

QString CKvDb::LookupText(const QString& sqlJet, const QString& sqlServer, int* pnCount, int) {
  std::unique_ptr<KvDbCursor> cursor = Lookup(sqlJet, sqlServer, pnCount);
  return cursor && cursor->integer(0) > 0 ? KvDbTrimRight(cursor->text(1)) : QString();
}

std::unique_ptr<KvDbCursor> CKvDb::LookupReported(const QString& sqlJet, const QString& sqlServer) const {
  const QString prefix = QStringLiteral("Select Count(*),");
  const QString sql = Translate(prefix + sqlJet, sqlServer.isEmpty() ? QString() : prefix + sqlServer);
  QString error;
  std::unique_ptr<KvDbCursor> cursor = IsOpen() ? m_backend->query(sql, &error) : nullptr;
  // A count always gives one row of two columns; anything else is a select
  // that did not do what it was asked.
  if (!cursor || cursor->columnCount() < 2 || cursor->atEnd()) {
    ReportFailed(sql, error);
    return nullptr;
  }
  return cursor;
}

bool CKvDb::LookupLong(const QString& sqlJet, int* pOut, const QString& sqlServer) {
  *pOut = 0;
  std::unique_ptr<KvDbCursor> cursor = LookupReported(sqlJet, sqlServer);
  if (!cursor)
    return false;
  if (cursor->integer(0) > 0)
    *pOut = toInt(cursor->integer(1));
  return true;
}

bool CKvDb::LookupText(const QString& sqlJet, QString* pOut, const QString& sqlServer) {
  pOut->clear();
  std::unique_ptr<KvDbCursor> cursor = LookupReported(sqlJet, sqlServer);
  if (!cursor)
    return false;
  if (cursor->integer(0) > 0)
    *pOut = KvDbTrimRight(cursor->text(1));
  return true;
}

int CKvDb::QueryTexts(const QString& sql, QStringList* pCols, int nCols) {
  for (int i = 0; i < nCols; ++i)
    pCols[i].clear();
  if (nCols <= 0)
    return 0;
  std::unique_ptr<KvDbCursor> cursor = Select(Translate(sql, QString()), nCols);
  if (!cursor)
    return 0;
  for (; !cursor->atEnd(); cursor->next()) {
    for (int i = 0; i < nCols; ++i)
      pCols[i].append(KvDbTrimRight(cursor->text(i)));
  }
  return int(pCols[0].size());
}

bool CKvDb::TableExists(const QString& table) { return TablesExist({table}); }

bool CKvDb::TablesExist(const QStringList& tables) {
  // Names compared in lower case: SQLite ignores the case of table names
  // and the server keeps unquoted ones in lower case.
  QStringList names;
  for (const QString& table : tables) {
    const QString name = u'\'' + QuoteText(KvLower(table)) + u'\'';
    if (!names.contains(name))
      names.append(name);
  }
  if (names.isEmpty())
    return true;
  const QString list = names.join(u',');
  const QString sql =
      m_nKind == 0
          ? QStringLiteral("SELECT count(DISTINCT lower(name)) FROM sqlite_schema WHERE type='table' AND "
                           "lower(name) IN (") + list + u')'
          : QStringLiteral("SELECT count(DISTINCT c.relname) FROM pg_catalog.pg_class c WHERE c.relkind IN "
                           "('r','p') AND pg_catalog.pg_table_is_visible(c.oid) AND c.relname IN (") + list + u')';
  std::unique_ptr<KvDbCursor> cursor = Select(sql, 1);
  return cursor && !cursor->atEnd() && cursor->integer(0) == names.size();
}

bool CKvDb::ReadColumns(const QString& table, QList<ColumnInfo>* columns) const {
  columns->clear();
  QString sql;
  if (m_nKind == 0) {
    sql = QStringLiteral("SELECT name,type FROM pragma_table_info('") + QuoteText(table) +
          QStringLiteral("') ORDER BY cid");
  } else {
    sql = QStringLiteral(
              "SELECT a.attname,t.typname,a.atttypmod FROM pg_catalog.pg_attribute a "
              "JOIN pg_catalog.pg_class c ON c.oid=a.attrelid "
              "JOIN pg_catalog.pg_type t ON t.oid=a.atttypid "
              "WHERE c.relkind IN ('r','p') AND pg_catalog.pg_table_is_visible(c.oid) "
              "AND a.attnum>0 AND NOT a.attisdropped AND c.relname='") +
          QuoteText(KvLower(table)) + QStringLiteral("' ORDER BY a.attnum");
  }
  std::unique_ptr<KvDbCursor> cursor = Select(sql, m_nKind == 0 ? 2 : 3);
  if (!cursor)
    return false;
  for (; !cursor->atEnd(); cursor->next()) {
    ColumnInfo column;
    column.name = cursor->text(0);
    if (m_nKind == 0)
      classifySqliteType(cursor->text(1), &column.group, &column.width);
    else
      classifyServerType(cursor->text(1), toInt(cursor->integer(2)), &column.group, &column.width);
    columns->append(column);
  }
  return !columns->isEmpty();
}

bool CKvDb::GetColumnWidth(const QString& table, const QString& column, int* pnWidth) {
  if (!TableExists(table))
    return false;
  QList<ColumnInfo> columns;
  ReadColumns(table, &columns);
  for (const ColumnInfo& info : columns) {
    if (KvEqualsIgnoreCase(info.name, column)) {
      // A column of a type the program does not use has no width: the
      // caller's value stays.
      if (info.width <= 0)
        return false;
      if (pnWidth)
        *pnWidth = info.width;
      return true;
    }
  }
  return false;
}

bool CKvDb::DatabaseExists(const QString& name, bool* pbKnown) {
  if (pbKnown)
    *pbKnown = true;
  if (m_nKind == 0) {
    const QFileInfo file(name);
    return file.exists() && !file.isDir();
  }
  const QString sql = QStringLiteral("SELECT count(*) FROM pg_catalog.pg_database WHERE datname='") +
                      QuoteText(KvServerDatabaseName(name)) + u'\'';
  std::unique_ptr<KvDbCursor> cursor = Select(sql, 1);
  if (pbKnown)
    *pbKnown = cursor && !cursor->atEnd();
  return cursor && !cursor->atEnd() && cursor->integer(0) > 0;
}

int CKvDb::GetColumns(const QString& table, QStringList* pLists, QList<int>* pWidths) {
  if (!TableExists(table))
    return 0;
  QList<ColumnInfo> columns;
  if (!ReadColumns(table, &columns))
    return 0;
  for (const ColumnInfo& column : columns) {
    if (column.group == kOther)
      return 0;
    pLists[column.group].append(column.name);
    if (column.group == kText && pWidths)
      pWidths->append(column.width);
  }
  return int(columns.size());
}

int CKvDb::ListUserTables(QStringList* pNames) {
  QString sql;
  if (m_nKind == 0) {
    // The engine's own tables (sqlite_*) are not the program's.
    sql = QStringLiteral("SELECT name FROM sqlite_schema WHERE type='table' "
                         "AND name NOT GLOB 'sqlite_*' ORDER BY rowid");
  } else {
    sql = QStringLiteral(
        "SELECT c.relname FROM pg_catalog.pg_class c "
        "JOIN pg_catalog.pg_namespace n ON n.oid=c.relnamespace "
        "WHERE c.relkind IN ('r','p') AND pg_catalog.pg_table_is_visible(c.oid) "
        "AND n.nspname NOT IN ('pg_catalog','information_schema') ORDER BY c.oid");
  }
  std::unique_ptr<KvDbCursor> cursor = Select(sql, 1);
  if (!cursor)
    return int(pNames->size());
  for (; !cursor->atEnd(); cursor->next()) {
    const QString name = cursor->text(0);
    // Names a server database may carry from its tools, never the program's.
    if (m_nKind != 0 && (KvEqualsIgnoreCase(name, QStringLiteral("dtproperties")) || KvEqualsIgnoreCase(name, QStringLiteral("mentab"))))
      continue;
    pNames->append(name);
  }
  return int(pNames->size());
}

int CKvDb::GetColumnIndexes(QStringList* pNames, const QString& table, const QString& column) {
  QString sql;
  if (m_nKind == 0) {
    // origin 'c': made by CREATE INDEX (not by a key constraint).
    sql = QStringLiteral("SELECT DISTINCT il.name FROM pragma_index_list('") + QuoteText(table) +
          QStringLiteral("') il JOIN pragma_index_info(il.name) ii "
                         "WHERE il.origin='c' AND ii.name='") +
          QuoteText(column) + QStringLiteral("' COLLATE NOCASE ORDER BY il.name");
  } else {
    pNames->clear();
    sql = QStringLiteral(
              "SELECT DISTINCT i.relname FROM pg_catalog.pg_index x "
              "JOIN pg_catalog.pg_class i ON i.oid=x.indexrelid "
              "JOIN pg_catalog.pg_class t ON t.oid=x.indrelid "
              "JOIN pg_catalog.pg_attribute a ON a.attrelid=t.oid AND a.attnum=ANY(x.indkey) "
              "WHERE pg_catalog.pg_table_is_visible(t.oid) AND NOT EXISTS "
              "(SELECT 1 FROM pg_catalog.pg_constraint k WHERE k.conindid=x.indexrelid) "
              "AND t.relname='") +
          QuoteText(KvLower(table)) + QStringLiteral("' AND a.attname='") +
          QuoteText(KvLower(column)) + QStringLiteral("' ORDER BY i.relname");
  }
  std::unique_ptr<KvDbCursor> cursor = Select(sql, 1);
  for (; cursor && !cursor->atEnd(); cursor->next()) {
    const QString name = cursor->text(0);
    if (!pNames->contains(name))
      pNames->append(name);
  }
  return int(pNames->size());
}

int CKvDb::DropColumnIndexes(const QString& table, const QString& column) {
  QStringList names;
  GetColumnIndexes(&names, table, column);
  for (const QString& index : names) {
    Execute(QStringLiteral("Drop Index ") + index + QStringLiteral(" On ") + table,
            QStringLiteral("Drop Index ") + table + u'.' + index);
  }
  return int(names.size());
}

bool CKvDb::CountRows(const QString& table, qint64* count) const {
  std::unique_ptr<KvDbCursor> cursor =
      Select(Translate(QStringLiteral("Select Count(*) From ") + table, QString()), 1);
  if (!cursor || cursor->atEnd())
    return false;
  *count = cursor->integer(0);
  return true;
}

bool CKvDb::TablesEmpty(const QString& tables) {
  for (const QString& table : splitTableList(tables)) {
    qint64 count = 0;
    if (!CountRows(table, &count) || count > 0)
      return false;
  }
  return true;
}

bool CKvDb::ClearTables(const QString& tables) {
  for (const QString& table : splitTableList(tables)) {
    if (!Execute(QStringLiteral("Delete From ") + table))
      return false;
  }
  return true;
}
