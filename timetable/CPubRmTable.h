#pragma once
// Reads and writes shared rooms (table PUBRM). Codes are three digits. A room
// used by a class assignment (SBTTCHR) or a timetable row (PK) cannot be
// deleted; changing a code carries the new code into those tables in the
// same transaction. Refusals are stop boxes.

#include "timetable/CPubRmRec.h"

#include <QList>
#include <QString>

class CKvDb;

class CPubRmTable {
 public:
  static int Select(const QString& where, const QString& order, QList<CPubRmRec>& rows, CKvDb* pDb,
                    bool* pRead = nullptr);
  // The row of the code into rec (unchanged when none): 1, 0 or -1 when it
  // could not be read.
  static int LoadByCode(CPubRmRec& rec, const QString& code, CKvDb* pDb);
  static int LoadAll(QList<CPubRmRec>& rows, CKvDb* pDb, bool* pRead = nullptr);
  static QString NextCode(CKvDb* pDb);
  // A refusal is shown after the rollback, or handed back through
  // pRefusal when given (see KvPkCatalogTable).
  static bool Insert(const CPubRmRec& rec, CKvDb* pDb, QString* pRefusal = nullptr);
  static bool Update(const CPubRmRec& rec, const QString& oldCode, CKvDb* pDb, QString* pRefusal = nullptr);
  static bool Delete(const QString& code, CKvDb* pDb, QString* pRefusal = nullptr);
};
