#include "ui/KvPrinterNames.h"

#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvCurrentPrinter.h"
#include "core/KvText.h"

namespace {
// Reads the profile names into `names`; false when they cannot be read.
bool readPrinterNames(CKvDb* db, QStringList* names) {
  names->clear();
  if (!db || !db->IsOpen())
    return false;
  CKvQuery query(0, 0, 1, db);
  const QString sql = QStringLiteral("Select Rtrim(CsVal) From SysCsTab Where Cs=") +
                      QString::number(KV_CS_PRINTER_PROFILES) + QStringLiteral(" Order By CsVal");
  if (!query.Open(sql))
    return false;
  for (; !query.IsEOF(); query.MoveNext())
    names->append(query.GetText(0));
  return true;
}
}  // namespace

int KvLoadPrinterNames(CKvDb* db, QStringList* names) {
  QStringList local;
  QStringList* list = names ? names : &local;
  if (!readPrinterNames(db, list))
    return 0;
  if (!list->contains(KvCurrentPrinterName()))
    KvSetCurrentPrinterName(list->isEmpty() ? QString() : list->first());
  return static_cast<int>(list->size());
}

int KvCountPrinterName(CKvDb* db, const QString& name) {
  QStringList names;
  if (!readPrinterNames(db, &names))
    return -1;
  return static_cast<int>(names.count(KvTrimChars(name, QStringLiteral(" \t\r\n"))));
}
