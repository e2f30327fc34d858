#pragma once
// The teaching-plan window's document (template 271): the plan of one
// grade or class for one plan version. With several classes per grade the
// grade edits its plan rows (course, periods, run length, priority, times,
// note) and each class its teacher, room and week kind; with one class per
// grade both are edited in one grid. Only the latest version can be saved;
// an earlier one, a unit above the grades or an operator without the plan
// right shows the grid read-only and never counts as modified. Outside
// the editor the course, teacher and room cells show their names.
//
// A save checks every cell and refuses a row without course, then stores
// the plan and its log entry in one transaction, replacing only the rows
// the window shows; it is refused when the stored rows it replaces are no
// longer those the window read (or stored itself). Rows taken from an
// earlier version count as unsaved until they are stored under the key.

#include "forms/CKvDoc.h"
#include "timetable/CWkjhRec.h"

#include <QHash>
#include <QString>

class CWkjhDoc : public CKvDoc {
  Q_OBJECT
 public:
  // Column types of the grid.
  enum : int {
    kCourse = 1,
    kTeacher = 2,
    kRoom = 3,
    kPeriods = 4,
    kRun = 5,
    kPriority = 6,
    kFixed = 7,
    kBarred = 8,
    kWeekKind = 9,
    kNote = 50,
  };

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
  // The name, the rows a save replaces and the names read with the rows.
  std::function<void()> KeepFillState() override;
  bool SaveRows() override;
  bool HasUnsavedEdits(QString& reason) override;
  void GetSummaryText(QString& out, int nRows) override;
  int GetColumnListKind(int nColumn) override;
  bool CheckCellText(int nRow, int nColumn, const QString& text, QString& outText) override;
  // The course, teacher and room cells show names.
  bool ShowsCheckedText(int nColumn) const override;
  // Their names as the fill read the catalogues; a code not there shows
  // itself.
  QString ShownCellText(int nRow, int nColumn, const QString& text) override;
  void BuildPrintMacros() override;

  // The column type of a cell index; 0 for none.
  int TypeOfCell(int nColumn) const;
  // The key's code is a grade (its plan rows) or a class (its assignments).
  bool IsGradeDocument() const;
  bool IsClassDocument() const;
  // With several classes per grade: the document of one class.
  bool IsClassOfGrade() const;

  // Follows a selected code; false (key as it was) when the question about
  // unsaved edits was cancelled.
  bool SelectCode(const QString& code);
  // Deleting: the plan right and an editable grid.
  bool CanDelete() const;
  // After asking, deletes the plan of the code with its log entry (one
  // transaction); true when deleted (the caller then shows what is stored).
  bool DeletePlan();

  CWkjhRec m_key;
  CWkjhRec m_lastKey;
  QString m_strName;
  int m_nEarlier = 0;
  // The stored rows a save of the key replaces, as the fill read them or
  // the last save stored them.
  KvPkPlanRead m_readRows;

 private:
  // Reads the three catalogues' names; false when one could not be read.
  bool readNames();
  // Course, teacher and room names by code, read by the fill.
  QHash<QString, QString> m_courseNames;
  QHash<QString, QString> m_teacherNames;
  QHash<QString, QString> m_roomNames;
};
