#pragma once
// One arrange run: places the teaching plan of every class under a class-tree
// code (all classes when the code is empty) into the class timetables of a
// version (Y, QC, T), and, when the user agrees, checks and stores them.
//
// Placement is greedy and deterministic, with no randomness: classes in
// code order; a class's plan rows by priority, run length and weekly
// periods (descending) and course; odd- and even-week rows first paired
// with lessons of the other week kind; then blocks of consecutive periods,
// days in an order that starts after the teacher's last busy day; last a
// one-step displacement of one of the class's own lessons. A row that
// cannot be placed at all stops the run (nothing is stored); a row placed
// in part is kept in part, with a message.
//
// Everything is read once (Load) before placing; the loop works on
// occupancy bit sets of classes, teachers and rooms and sends no statement.
// A teacher's or room's stored lessons in classes outside the selection are
// busy; stored lessons under the selection are not, since they are
// replaced. Saving checks every class first (each against the stored
// lessons outside the selection and the classes accepted before it) with
// its questions, then replaces the selection's rows in one transaction.
// Messages go through KvMessageBox; no window is needed.

#include "timetable/CPkGrid.h"
#include "timetable/CWktRec.h"
#include "timetable/KvPkArrangeData.h"

#include <QList>
#include <QString>
#include <vector>

class CKvDb;
class CPkGrid;
class KvDbTransaction;

class CPkArranger {
 public:
  CPkArranger(const QString& year, int term, const QString& date, const QString& selection, CKvDb* pDb);
  ~CPkArranger();
  CPkArranger(const CPkArranger&) = delete;
  CPkArranger& operator=(const CPkArranger&) = delete;

  // The whole command: Load, PlaceAllClasses, the question
  // "要保存此次排课结果吗？" and SaveResult. (The window that gives the
  // command shows its own wait indication.)
  void Arrange();

  // Reads the schedule, the classes of the selection, their plans, the
  // catalogue and the stored lessons outside the selection. False when the
  // term has no schedule or a read failed (the connection has shown it);
  // the run must then stop.
  bool Load();
  // Clears every class grid, then places the classes in order; false at
  // the first class that stops the run.
  bool PlaceAllClasses();
  // Checks every class (its questions included), then in one transaction
  // under the locks on the plan and PK: every accepted class must still be
  // in the tree, its plan and the schedule as the run read them, and it
  // must pass again against the lessons outside the selection as stored now
  // (no question asked twice); on a data file that nobody has written to
  // since the run's first read these re-reads are skipped. Then it deletes
  // the version's rows under the selection, stores the accepted classes and
  // logs the save (also when no class was accepted). False when the write
  // failed or a class no longer passes (nothing changed then).
  bool SaveResult();

  // --- What the run did ---

  int GetClassCount() const { return int(m_classes.size()); }
  // The timetable placed for class i, keyed for saving.
  CPkGrid GetClassGrid(int i) const;
  // Weekly periods planned for the classes of the run, and lessons in
  // their grids now.
  int GetLessonsPlanned() const { return m_planned; }
  int GetLessonsPlaced() const { return m_placed; }
  // The rows placed in part (named in the short message), in run order.
  struct ShortRow {
    QString classCode;
    QString course;
    int planned = 0;
    int placed = 0;
  };
  const QList<ShortRow>& GetShortRows() const { return m_shortRows; }
  // Classes stored by the last SaveResult.
  int GetClassesSaved() const { return m_classesSaved; }

 private:
  struct Cell {
    int course = -1;
    int teacher = -1;
    int room = -1;
  };

  // Each false when its read failed.
  bool LoadClasses();
  bool LoadPlans();
  // The version's grade rows and the selection's assignments, each read in
  // one statement.
  bool ReadPlanRows(KvPkPlanRead& read);
  // The plan of every class of the run as the class plan reads it (in the
  // order of m_classes), from those rows.
  QList<QList<CWkjhRec>> ClassPlans(const KvPkPlanRead& read) const;
  bool LoadCatalogue();
  // The version's lessons outside the selection, into lessons.
  bool LoadStoredLessons(QList<KvPkStoredLesson>& lessons);
  void BuildStoredBusy();
  // Empties every class grid and the occupancies of the run.
  void ResetRun();

  // Of the classes (indexes into m_classes) the first whose code the tree no
  // longer holds, read in one statement; *gone empty when all are there.
  // False when the read failed (the connection has shown it).
  bool FindClassGone(const QList<int>& classes, QString* gone);
  // Inside the save's transaction: replaces the selection's stored lessons
  // by the accepted classes, logs and commits.
  bool StoreAccepted(KvDbTransaction& trans, const QList<CPkGrid>& accepted);

  bool PlaceClass(int c);
  bool PlaceRow(int c, KvPkPlanRow& row);
  // Writes count consecutive periods of the row's lesson from `first` into
  // the class's grid at the week kind, taking them out of allowed.
  void PlaceLessons(int day, int s, int first, int count, const Cell& lesson, int kind, KvPkBits& allowed,
                    int c);
  // Puts a lesson (or, with course -1, nothing) into one cell and keeps the
  // occupancies in step.
  void SetCell(int c, int kind, int slot, const Cell& cell);
  // The first free period of the class (segments from the evening back,
  // days from Sunday, periods from the last) where the lesson's own plan
  // row allows it and its teacher and room are free in every week kind;
  // -1 when none. *error gets the plan row's time error when it has one.
  int FindMoveTarget(int c, const Cell& moved, const KvPkPlanRow& movedRow, QString* error) const;
  Cell& CellAt(int c, int kind, int slot) { return m_cells[(size_t(c) * 3 + kind) * m_slots + slot]; }
  const Cell& CellAt(int c, int kind, int slot) const {
    return m_cells[(size_t(c) * 3 + kind) * m_slots + slot];
  }
  // Where the teacher (room) is taken in a week kind: stored lessons
  // outside the selection and the lessons of this run.
  KvPkBits TeacherBusy(int t, int kind) const;
  KvPkBits RoomBusy(int r, int kind) const;
  bool TeacherBusyAt(int t, int slot) const;
  bool RoomBusyAt(int r, int slot) const;
  // The highest day with a set slot; 0 when none.
  int LastBusyDay(const KvPkBits& bits) const;

  CKvDb* m_pDb;
  QString m_year;
  int m_term;
  QString m_date;
  QString m_selection;

  CWktRec m_schedule;
  // A grid of the version sized by the schedule, every cell empty: each
  // class's grid starts as a copy and allocates only the lists it fills.
  CPkGrid m_blankGrid;
  KvPkWeekShape m_shape;
  KvPkBits m_scheduleBits;
  int m_slots = 0;
  KvPkCatalogue m_catalogue;
  QList<KvPkClass> m_classes;
  QList<KvPkStoredLesson> m_stored;
  // The rows the plans of the classes were built from.
  KvPkPlanRead m_planRead;
  // The data file's change mark taken before the run's first read (empty on
  // a server): while it stands, nothing the run read has changed.
  QString m_loadMark;

  std::vector<Cell> m_cells;
  std::vector<KvPkBits> m_classOcc;       // class × kind
  std::vector<KvPkBits> m_teacherStored;  // teacher × kind
  std::vector<KvPkBits> m_teacherRun;
  std::vector<quint16> m_teacherCount;    // teacher × kind × slot
  std::vector<KvPkBits> m_roomStored;
  std::vector<KvPkBits> m_roomRun;
  std::vector<quint16> m_roomCount;

  int m_planned = 0;
  int m_placed = 0;
  QList<ShortRow> m_shortRows;
  int m_classesSaved = 0;
};

// order[i] = di.
void SetDayOrder(int order[7], int d0, int d1, int d2, int d3, int d4, int d5, int d6);
