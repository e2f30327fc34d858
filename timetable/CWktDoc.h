#pragma once
// The period-schedule document ("设置作息时间"): a card of one page,
// "学校周作息时间表", showing the schedule of one school year and term. It
// holds the schedule being edited and the schedule as last read or saved;
// they differ while there are unsaved changes, and a schedule taken over
// from another year or from the defaults differs from the start.
//
// The year is the data file's; the term is the one of the last closing
// (open argument 0, "0" at first).

#include "forms/CKvCardDoc.h"
#include "timetable/CWktRec.h"

class CWktDoc : public CKvCardDoc {
  Q_OBJECT
 public:
  CWktDoc();

  void OnCloseDocument() override;
  // Spacing, card size, year, term and title.
  void LoadOpenArgs() override;
  // Loads the schedule of the document's year and term.
  bool PrepareOpen() override;
  // The page from the edited schedule.
  bool FillRows() override;
  QString GetCardTitle(int nPage) override;
  int GetTitleHeight(int nPage) override;

  // The schedule of the year and term into the edited one (LoadOrInherit);
  // when it is stored, it becomes the stored one too, otherwise the stored
  // one is cleared. Returns LoadOrInherit's answer.
  int LoadSchedule(const QString& year, int term);
  // The edited schedule differs from the stored one.
  bool IsChanged() const { return !(m_wkt == m_stored); }

  CWktRec m_wkt;
  CWktRec m_stored;
};
