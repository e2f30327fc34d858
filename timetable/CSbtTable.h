#pragma once
// Reads and writes courses (table SBT). Codes are four digits. A course used
// by a grade plan (WKJH), a class assignment (SBTTCHR) or a timetable row
// (PK) cannot be deleted; changing a code carries the new code into those
// tables in the same transaction. Refusals are stop boxes.

#include "timetable/CSbtRec.h"

#include <QList>
#include <QString>

class CKvDb;

class CSbtTable {
 public:
  static int Select(const QString& where, const QString& order, QList<CSbtRec>& rows, CKvDb* pDb,
                    bool* pRead = nullptr);
  // The row of the code into rec (unchanged when none): 1, 0 or -1 when it
  // could not be read.
  static int LoadByCode(CSbtRec& rec, const QString& code, CKvDb* pDb);
  static int LoadAll(QList<CSbtRec>& rows, CKvDb* pDb, bool* pRead = nullptr);
  static QString NextCode(CKvDb* pDb);
  // A refusal is shown after the rollback, or handed back through
  // pRefusal when given (see KvPkCatalogTable).
  static bool Insert(const CSbtRec& rec, CKvDb* pDb, QString* pRefusal = nullptr);
  static bool Update(const CSbtRec& rec, const QString& oldCode, CKvDb* pDb, QString* pRefusal = nullptr);
  static bool Delete(const QString& code, CKvDb* pDb, QString* pRefusal = nullptr);
};
