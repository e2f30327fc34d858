#pragma once
// The period-schedule document ("设置作息时间"): a card of one page,
// "学校周作息时间表", showing the schedule of one school year and term. It
// holds the schedule being edited, the schedule as stored and the schedule
// as the card last read or saved it. The edited one differs from the stored
// one while there are unsaved changes (a schedule taken over from another
// year or from the defaults differs from the start), and from the one read
// while the operator has changed it (a change undone is none).
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
  // Reads the schedule of the document's year and term (LoadSchedule) and
  // builds the page; false when the read failed (the card then holds no
  // schedule).
  bool FillRows() override;
  // A refresh whose read fails puts the schedules and the page back.
  std::function<void()> KeepFillState() override;
  QString GetCardTitle(int nPage) override;
  int GetTitleHeight(int nPage) override;

  // The schedule of the year and term into the edited one (LoadOrInherit),
  // which then holds that year and term, and into the one read. When it is
  // stored, or could not be read (the card then holds no schedule), it
  // becomes the stored one too; a schedule taken over from another year or
  // from the defaults leaves the stored one empty, so that it counts as
  // unsaved. Returns LoadOrInherit's answer.
  int LoadSchedule(const QString& year, int term);
  // The page from the edited schedule.
  void BuildPage();
  // The schedule of the year and term is read and, when the read is whole,
  // shown with its year and term (Refill, which asks nothing: the caller
  // has offered to save). A read that fails keeps the schedule shown, its
  // year and term; false then.
  bool SelectYearAndTerm(const QString& year, int term);
  // The edited schedule differs from the stored one.
  bool IsChanged() const { return !(m_wkt == m_stored); }
  // The edited schedule differs from the one read or saved last.
  bool IsEdited() const { return !(m_wkt == m_read); }

  CWktRec m_wkt;
  CWktRec m_stored;
  CWktRec m_read;

 private:
  // A schedule read (LoadOrInherit's answer `result`) becomes the edited
  // one, the one read and, unless taken over, the stored one.
  void takeSchedule(const CWktRec& read, int result);
  // Set while a refill takes the schedule SelectYearAndTerm has read.
  bool m_bScheduleTaken = false;
};
