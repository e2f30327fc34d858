#pragma once
// The timetable window's document (template 272). Page 0 is a class's
// timetable (course codes in the day cells, editable for a class of the
// latest plan version by an operator with the arranging right), page 1 a
// teacher's and page 2 a shared room's (class codes, read-only). One TEXT
// row per period of the schedule: row r is always period r (rows are never
// added, removed or moved), so the save reads exactly the schedule's rows.
//
// Cells are checked without statements against the course catalogue and
// the school tree (read at the window's first fill, at a refresh and at a
// save, not at a switch of key) and the class's plan rows; an accepted
// entry is stored in its canonical form ("12" gives "0012"). Outside the
// editor a day cell shows names (courses on page 0, classes on the others;
// a code the catalogue read lacks shows itself). A hand save is
// checked against the plan and against what the teachers and rooms do in
// other classes (odd and even weeks overlapping every-week lessons), then
// stored with its log entry in one transaction; it replaces only the
// lessons at the cells the window shows, and is refused when those stored
// lessons are no longer the ones the window read (the grid
// holds what the window read, or stored itself). Switching to another code,
// arranging and refreshing first offer to save unsaved edits.

#include "forms/CKvDoc.h"
#include "timetable/CPkGrid.h"
#include "timetable/CWkjhRec.h"
#include "timetable/CWktRec.h"
#include "timetable/KvPkCheckSource.h"

#include <QList>
#include <QString>

class CPKDoc : public CKvDoc {
  Q_OBJECT
 public:
  CPKDoc();

  void OnCloseDocument() override;
  void LoadOpenArgs() override;
  void InitFormEntry(KvFormEntry& entry) override;
  void BuildColumns(KvFormEntry& entry) override;
  int GetColumnMark(const KvFormEntry& entry, int nColumn) override;
  void BuildHeadNotes(KvFormEntry& entry) override;
  bool QueryReadOnly() override;
  bool PrepareOpen() override;
  // False when a read failed (the framework then shows nothing editable).
  bool FillRows() override;
  // The schedule, plan, lessons, name and catalogue read with the rows.
  std::function<void()> KeepFillState() override;
  bool SaveRows() override;
  int GetColumnListKind(int nColumn) override;
  bool CheckCellText(int nRow, int nColumn, const QString& text, QString& outText) override;
  // The day cells show course names (page 0) or class names.
  bool ShowsCheckedText(int nColumn) const override { return DayOfCell(nColumn) >= 0; }
  void BuildPrintMacros() override;
  QString GetCommandCaption(int nId, int& nFlag) override;
  void AfterEdit(int nRow, int nColumn, const QString& text) override;

  // 0 class, 1 teacher, 2 room.
  int Page() const { return m_nForm; }
  // The current object's code: STD, TCHR or PUBRM by page.
  QString Key() const;
  // The weekday of a cell index; -1 for the other columns.
  int DayOfCell(int nColumn) const;
  // Whether the schedule lets lessons be placed in that row and weekday.
  bool IsTeachingPeriod(int nRow, int day) const;

  // --- What the tree and grid commands do ---

  // Arranging: page 0, the arranging right and no later plan version.
  bool CanArrange();
  // Deleting: page 0 and the arranging right.
  bool CanDelete() const;
  // Follows a selected code; false (the grid as it was) when the operator
  // cancelled the question about unsaved edits. The course and class
  // catalogue of the cell checks stays as the window read it.
  bool SelectKey(const QString& code);
  // Shows what is stored for the key again, the catalogue of the cell
  // checks read anew (the refresh command, and after an arrange or a
  // delete).
  void Refresh();
  // The school tree read with the catalogue (units, grades and classes in
  // code order); false when it could not be read.
  bool SchoolNodes(KvPkSchoolNodes* nodes) const;
  // Offers to save unsaved edits, arranges the selection and shows the
  // stored result; nothing when the question was cancelled.
  void Arrange();
  // After asking, deletes the version's timetables under the code with its
  // log entry (one transaction); true when deleted (the caller then shows
  // what is stored). A version the window read as history may be deleted;
  // one that became history since the window read is refused.
  bool DeleteTimetables();

  CWktRec m_schedule;
  QList<CWkjhRec> m_planRows;
  CPkGrid m_grid;
  CPkGrid m_savedGrid;
  QString m_strName;

 private:
  // The schedule's teaching period of a row: segment and period; false
  // past the schedule's rows.
  bool rowPosition(int nRow, int& s, int& p) const;
  // The day cell's text of (day, segment, period) as the page shows it.
  QString cellText(int day, int s, int p) const;
  // Reads the lessons of grid back from the TEXT rows; false when a day
  // column is missing ("栏不全！").
  bool readGridFromRows(CPkGrid& grid);

  KvPkLoadedCheckSource m_source;
  // The catalogue is read at the first fill of the window, at a refresh and
  // at a save.
  bool m_bCatalogueRead = false;
  // The schedule was just read by the opening: the first filling does not
  // read it again.
  bool m_bScheduleFresh = false;
  // Whether a later plan version existed when the window read its rows.
  bool m_bHistoryAtFill = false;
};
