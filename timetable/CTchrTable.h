#pragma once
// Reads and writes teachers (table TCHR). Codes are four digits. A teacher
// referred to by an assignment (SBTTCHR) or a timetable row (PK) cannot be
// deleted; changing a code carries the new code into those tables in the
// same transaction. Refusals are stop boxes; the data stays as it was.

#include "timetable/CTchrRec.h"

#include <QList>
#include <QString>

class CKvDb;

class CTchrTable {
 public:
  // Empties rows and reads the teachers of the where and order texts
  // (whole clauses, may be empty); the number of rows, 0 when the query
  // cannot be opened (*pRead, when given, is false only then).
  static int Select(const QString& where, const QString& order, QList<CTchrRec>& rows, CKvDb* pDb,
                    bool* pRead = nullptr);
  // The teacher of that code into rec; 0 (rec unchanged) when none, -1
  // when it could not be read.
  static int LoadByCode(CTchrRec& rec, const QString& code, CKvDb* pDb);
  // All teachers in code order.
  static int LoadAll(QList<CTchrRec>& rows, CKvDb* pDb, bool* pRead = nullptr);
  // The code after the largest one ("0001" for an empty table).
  static QString NextCode(CKvDb* pDb);
  // A refusal is shown after the rollback, or handed back through
  // pRefusal when given (see KvPkCatalogTable).
  static bool Insert(const CTchrRec& rec, CKvDb* pDb, QString* pRefusal = nullptr);
  // Writes rec over the row of oldCode, which may change the code.
  static bool Update(const CTchrRec& rec, const QString& oldCode, CKvDb* pDb, QString* pRefusal = nullptr);
  static bool Delete(const QString& code, CKvDb* pDb, QString* pRefusal = nullptr);
};
