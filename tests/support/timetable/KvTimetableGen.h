#pragma once
// A seeded school for the timetabling tests, benchmarks and the kvqy-place
// driver. It writes an ordinary data file of the program (the application's
// tables and default rows, the fee module's tree parameters and STD, and the
// timetabling tables) through the timetabling records:
// - unit "01" (the selection to arrange) with its grades and classes, and
//   unit "02" with a few classes outside the selection;
// - a schedule of 5 days (Monday to Friday) with morning and afternoon
//   periods;
// - courses with weekly periods, run lengths, priorities and some fixed and
//   barred times; shared rooms for music and art;
// - teachers, each teaching one course to a group of classes (the class's
//   Chinese teacher also holds its class meeting);
// - lessons stored in unit "02": the times some teachers are not available;
// - with weekKinds, odd-week music and even-week art in every other class.
//
// It needs the application object with modules 18 and 19 registered
// (KvGetApp), as the program has. The same options give the same rows on
// every back end.

#include <QString>

class CKvDb;

struct KvTimetableGenOptions {
  unsigned seed = 17;
  int nGrades = 6;
  int nClassesPerGrade = 10;
  int nMorning = 4;    // periods of segment B
  int nAfternoon = 4;  // periods of segment C
  // Teachers take about this many periods a week (a random value from it up
  // to six more).
  int nTeacherLoad = 18;
  bool bWeekKinds = false;
  int nOtherClasses = 2;
  QString year = QStringLiteral("2024");
  int term = 1;
  QString date = QStringLiteral("20240901");
};

// Options of a small school that vary with the seed: 1-2 grades of 2-4
// classes, 3-4 morning and 2-4 afternoon periods, plans scaled to the week,
// week kinds for every third seed.
KvTimetableGenOptions KvSmallTimetableOptions(unsigned seed);

struct KvTimetableGenSummary {
  QString selection;  // the unit to arrange
  int nClasses = 0;   // in the selection
  int nTeachers = 0;
  int nRooms = 0;
  int nLessons = 0;        // weekly periods planned in the selection
  int nStoredLessons = 0;  // lessons stored outside the selection
};

// Takes the version of a school to be written into the data file at the
// path from the file's name: the program opens a data file only under its
// year's name ("2024.xxd") with that year inside, so the year, and 1
// September of it as the start date, come from the name. False, with the
// program's reason shown, for a name it would refuse.
bool KvTimetableGenVersionFromFile(const QString& path, KvTimetableGenOptions* options);

// Creates the tables and default rows, then writes the school. False when
// a statement failed (it has been reported).
bool KvGenerateTimetableSchool(CKvDb* pDb, const KvTimetableGenOptions& options,
                               KvTimetableGenSummary* pSummary = nullptr);
// The tree parameters of the school, in memory and stored: one management
// level, classes below grades, code lengths 2, 2, 2, 3 (unit 01, grade
// 0101, class 010101).
bool KvSetTimetableTreeParams(CKvDb* pDb);

// Writes the school into a data file that has the tables and default rows
// and no school yet, in one transaction.
bool KvWriteTimetableSchool(CKvDb* pDb, const KvTimetableGenOptions& options,
                            KvTimetableGenSummary* pSummary = nullptr);
