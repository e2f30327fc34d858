#include "print/KvPrintTables.h"

#include "core/CKvDb.h"
#include "core/KvDbTransaction.h"

#include <QStringList>

namespace {
struct Column {
  const char* name;
  const char* type;
  // The value the rows of an older table take in a column added to it.
  int fill = 0;
};

// Creates the table with every column, or adds the ones an older table
// lacks, in order. An added column gets its fill value in every row, so that
// an older stored format reads as it printed (portrait, the usual spacing)
// rather than as zeros.
bool ensureTable(CKvDb& db, const QString& table, std::initializer_list<Column> columns) {
  if (!db.TableExists(table)) {
    QStringList defs;
    for (const Column& c : columns)
      defs << QString::fromLatin1(c.name) + u' ' + QString::fromLatin1(c.type);
    return db.Execute(QStringLiteral("Create Table %1(%2)").arg(table, defs.join(u',')));
  }
  bool ok = true;
  for (const Column& c : columns) {
    int width = 0;
    if (db.GetColumnWidth(table, QString::fromLatin1(c.name), &width))
      continue;
    // The column and its fill land together or not at all.
    const QString name = QString::fromLatin1(c.name);
    KvDbTransaction transaction(db);
    const bool added =
        db.Execute(QStringLiteral("Alter Table %1 Add %2 %3")
                       .arg(table, name, QString::fromLatin1(c.type))) &&
        (c.fill == 0 || db.Execute(QStringLiteral("Update %1 Set %2=%3")
                                       .arg(table, name, QString::number(c.fill))));
    ok = added && transaction.Commit() && ok;
  }
  return ok;
}
}  // namespace

bool KvCreatePageSetTable(CKvDb* db) {
  if (!db || !db->IsOpen())
    return false;
  const bool pages = ensureTable(*db, QStringLiteral("KVPAGESET"),
                                 {{"nFlag", "Long"},
                                  {"SFIELDMODE", "Char(20)"},
                                  {"SPRINTER", "Char(30)"},
                                  {"PageRow", "Long"},
                                  {"PageWidth", "Long"},
                                  {"PageLength", "Long"},
                                  {"PageLeft", "Long"},
                                  {"PageTop", "Long"},
                                  {"PageRight", "Long"},
                                  {"PageBottom", "Long"},
                                  {"PageCopies", "Long", 1},
                                  {"PageSpace", "Long", 40}});
  const bool widths = ensureTable(*db, QStringLiteral("FIELDWIDTH"),
                                  {{"nFlag", "Long"},
                                   {"SFIELDMODE", "Char(20)"},
                                   {"SPRINTER", "Char(30)"},
                                   {"nCol", "Long"},
                                   {"nWidth", "Long"}});
  return pages && widths;
}

bool KvCreateFontTable(CKvDb* db) {
  if (!db || !db->IsOpen())
    return false;
  return ensureTable(*db, QStringLiteral("KVFONT"),
                     {{"nFlag", "Long"},
                      {"SFIELDMODE", "Char(20)"},
                      {"SPRINTER", "Char(30)"},
                      {"nFont", "Long"},
                      {"sFace", "Char(32)"},
                      {"nHeight", "Long"},
                      {"nWeight", "Long"},
                      {"nItalic", "Long"},
                      {"nUnderline", "Long"},
                      {"nColor", "Long"}});
}
