#pragma once
// A seeded school year for the fee module's tests and benchmarks: one unit,
// three grades of the year's autumn term (started this year, one and two
// years ago), classes, students, fee items, the amounts due of the current
// term (and paid lines of the previous term for the older grades), and
// receipts that pay all, part or none of what is due.
//
// The data file it writes is an ordinary data file of the program: the
// application's tables and default rows (the year in SysTab), the fee
// module's parameters (one management level, classes below grades, code
// lengths 2, 2, 2, 3), STD, COST and PC. It needs the application object
// with the fee module registered (KvGetApp), as the program has.
//
// The same seed and options give the same rows on every back end.

#include "school/CPc.h"

#include <QList>
#include <QString>
#include <QStringList>

class CKvDb;

struct KvSchoolGenOptions {
  unsigned seed = 20240901;
  int nStudents = 5000;
  int nItems = 12;
  int nYear = 2024;
  int nClassesPerGrade = 10;
};

struct KvSchoolGenSummary {
  int nStudents = 0;
  int nLines = 0;
  int nReceipts = 0;
  // The current term of each grade (index 0 the youngest).
  int nGradeTerms[3] = {0, 0, 0};
  QStringList studentCodes;
  QStringList itemCodes;
};

// Creates the tables and default rows, then writes the year. False when a
// statement failed (it has been reported).
bool KvGenerateSchoolYear(CKvDb* pDb, const KvSchoolGenOptions& options, KvSchoolGenSummary* pSummary = nullptr);

// The module's parameters the generator uses (in memory and stored).
bool KvSetGeneratedSchoolParams(CKvDb* pDb);

// A receipt's lines paying 1.00 for each of the generated items 01 to 03.
QList<CPc> KvPayOneOfEachItem();
