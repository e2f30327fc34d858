#pragma once
// A weekly timetable in memory: four parallel cell sets (class code, course,
// teacher, room) indexed by week kind (0 every week, 1 odd, 2 even), weekday
// (0 Sunday .. 6 Saturday), segment (0..3) and period. A cell holds a lesson
// when its course text is not empty. One grid is one class's timetable, or,
// loaded by teacher or room, the periods that teacher or room is taken (the
// class-code cells then say by which class).
//
// The grid keys (Y, QC, T) name the version; STD, SBT, TCHR and PUBRM are the
// keys the loads filter by. Rows of PK are one per lesson; Save replaces the
// version's rows of the grid's class (or of every class under a shorter
// code) in one transaction; a window's save replaces only the lessons at
// the cells it shows, after checking under the lock on PK that they still
// hold what the window read. Loads skip rows that fall outside the grid.

#include <QList>
#include <QString>
#include <QStringList>

class CKvDb;
class CWktRec;
class CWkjhRec;
class KvPkCheckSource;

class CPkGrid {
 public:
  static constexpr int kKinds = 3;
  static constexpr int kArrays = kKinds * 7 * 4;
  // The array of (kind, day, segment) in each cell set.
  static constexpr int ArrayIndex(int kind, int day, int s) { return (kind * 7 + day) * 4 + s; }

  CPkGrid(const QString& year = QString(), int term = 0, const QString& date = QString(),
          const QString& classCode = QString(), const QString& course = QString(),
          const QString& teacher = QString(), const QString& room = QString());

  void CopyKeys(const CPkGrid& other);
  // Keys empty, term 0, every cell empty.
  void Clear();
  // Every cell empty; lengths kept.
  void ClearCells();
  // Every array of (kind, day, segment) as long as the schedule's flags of
  // (day, segment); texts kept up to the new length.
  void SetSizes(const CWktRec& schedule);

  // --- Reading and writing PK ---

  // Fills the grid from the version's rows that meet the condition (Jet
  // text, may hold the any-text marker). False when the condition is empty,
  // the query fails or no row came; *pRead (when given) is false only when
  // the query failed.
  bool LoadWhere(const QString& condition, const CWktRec& schedule, CKvDb* pDb, bool* pRead = nullptr);
  // Condition: the non-empty keys among STD, SBT, TCHR, PUBRM.
  bool LoadByKeys(const CWktRec& schedule, CKvDb* pDb, bool* pRead = nullptr);
  // Where the grid's teacher and/or room is taken in the version: in the
  // classes under STD when set, else in every class not under exceptClass.
  // *pRead (when given) is false only when the query failed.
  bool LoadBusy(const QString& exceptClass, const CWktRec& schedule, CKvDb* pDb, bool* pRead = nullptr);
  // Deletes the version's rows of the class (every class under a shorter
  // code; every class when STD is empty).
  bool DeleteVersionRows(CKvDb* pDb);
  // Replaces the class's rows by one row per lesson, in one transaction.
  bool Save(CKvDb* pDb);
  // A window's save: replaces only the class's lessons at the cells of the
  // grid's shape (every day and week kind; a lesson stored at a period the
  // schedule no longer has stays), after checking under the lock on PK that
  // those cells still hold the lessons of read (course, teacher and room):
  // otherwise another window or workstation saved the class since, nothing
  // is written and *pRefusal says so, for the caller to show once its
  // transaction has ended.
  bool Save(const CPkGrid& read, CKvDb* pDb, QString* pRefusal);
  // One grid per teacher (mode 0), room (1) or class (2) with that
  // weekday's lessons in its day-0 arrays; the key is held in TCHR. Appends
  // to out; returns its size (0 when the query finds nothing), -1 when the
  // query fails.
  int LoadDayByKey(int mode, int weekday, const CWktRec& schedule, QList<CPkGrid>& out, CKvDb* pDb);
  // Offers to fill this new, empty version from the latest earlier one;
  // the copy is one transaction under the lock on PK, and copies nothing
  // when the version was set up at another workstation meanwhile.
  void CopyPreviousVersion(const CWktRec& schedule, CKvDb* pDb);

  // --- Masks and positions ---

  // Lengths of the kind-0, day-0 course arrays per segment.
  void GetPeriodCounts(int counts[4]) const;
  // The mask shaped like the grid with every flag value.
  void PrepareMask(CWktRec& mask, int value) const;
  // Flag set where the kind's course cell holds a lesson (any course when
  // course is empty, else that course).
  void OccupiedMask(CWktRec& mask, int kind, const QString& course) const;
  // Segment and period of the n-th period of a day (0-based); false past
  // the day's last period.
  bool PeriodPosition(int n, int& segment, int& period) const;

  // --- Cell text typed in the timetable window ---

  // Checks a typed cell text and gives its canonical form, its codes per
  // week kind and (when display is given) the text shown. In a class
  // timetable the codes are courses of the class's plan; otherwise classes.
  bool NormalizeCellText(CKvDb* pDb, bool classTimetable, QString& text, QString entries[3],
                         QString* display) const;
  // The same with the catalogue and the classes taken from the source and
  // the class's plan rows given (as the checker has them): no statement.
  bool NormalizeCellText(KvPkCheckSource& source, const QList<CWkjhRec>& planRows, bool classTimetable,
                         QString& text, QString entries[3], QString* display) const;

  // --- Checking a class timetable before it is stored ---

  // True when the class may be saved; otherwise the reason has been shown.
  // The class's lessons must be in its plan with the plan's week kind, an
  // every-week lesson never shares a period, each course lies inside its
  // allowed times, and no teacher or room of the plan is taken by another
  // class in an overlapping week kind (either every week, or both the same).
  // Placed counts that differ from the plan are put to the user as one
  // question. Where a teacher's or room's lessons cannot be read, the class
  // is refused (no clash can be ruled out; the failed read was reported).
  bool CheckAgainstPlan(const CWktRec& schedule, const QList<CWkjhRec>& rows, CKvDb* pDb) const;
  // The same, with the catalogue, the class names and the other classes'
  // lessons taken from the source. With refusal given, the check is run
  // again after the operator answered: a refusal is put there instead of
  // shown, and the count question is not asked.
  bool CheckAgainstPlan(const CWktRec& schedule, const QList<CWkjhRec>& rows, KvPkCheckSource& source,
                        QString* refusal = nullptr) const;

  QString Y;
  int QC = 0;
  QString T;
  QString STD;
  QString SBT;
  QString TCHR;
  QString PUBRM;

  QStringList ClassCells[kArrays];
  QStringList CourseCells[kArrays];
  QStringList TeacherCells[kArrays];
  QStringList RoomCells[kArrays];
};

// Splits a typed cell text into its every-week, odd-week and even-week
// entries ("12", "D12S34", "S34"); false when the text breaks the syntax or
// names the same code for both week kinds.
bool ParseCellText(const QString& text, QString entries[3]);

// The text a cell shows for its text: as NormalizeCellText shows it, with
// the name of each course (classTimetable) or class the source knows and
// the code of each it does not, whether or not the entries pass the check
// (one class in both week kinds, as a teacher's or room's cell stores it,
// included); empty for a text that breaks the syntax.
QString KvPkShownCellText(KvPkCheckSource& source, bool classTimetable, const QString& text);
