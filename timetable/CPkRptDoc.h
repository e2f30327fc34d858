#pragma once
// The load reports: for one weekday of one timetable version, a row per
// teacher (page 0), shared room (page 1) or class (page 2) with a lesson
// that day, and a column per period of the day's schedule. A teacher's or
// room's period shows the classes taught there, a class's period
// "course-teacher"; each week kind (every week, odd, even) adds a line.
//
// The year, term, version date and weekday are chosen in the open dialog
// (966) and remembered for the next opening (open arguments: year, term,
// date, weekday). The document is read-only; names are read once per fill.

#include "forms/CKvDoc.h"
#include "timetable/CWktRec.h"

class CPkRptDoc : public CKvDoc {
  Q_OBJECT
 public:
  void OnCloseDocument() override;
  void LoadOpenArgs() override;
  void InitFormEntry(KvFormEntry& entry) override;
  void BuildColumns(KvFormEntry& entry) override;
  int GetColumnMark(const KvFormEntry& entry, int nColumn) override;
  void BuildHeadNotes(KvFormEntry& entry) override;
  // The set-up check, the open dialog and the period schedule.
  bool PrepareOpen() override;
  // False when a read failed.
  bool FillRows() override;
  // A refresh that cannot read leaves the page as it was.
  std::function<void()> KeepFillState() override;
  void BuildColumnHead(KvFormEntry& entry) override;
  void BuildPrintMacros() override;

  // The column number of period p of segment s.
  static int PeriodColumn(int s, int p) { return 10 * (s + 1) + p; }

  CWktRec m_wkt;
  QString Y;
  QString T;
  int QC = 0;
  int m_nWeekday = 1;
};
