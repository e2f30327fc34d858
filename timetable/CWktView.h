#pragma once
// The period-schedule card's form (template 964): above the card the year
// (1086), the term (1087) and the period counts of the four segments
// (1082-1085, 0 to 8); over the card a time edit per period start and end
// (1350, 1351) and a check box per period and weekday (1300, "排课" while
// ticked), as wide as its box less 3 units on either side and covering the
// day cell's text.
//
// What callers may rely on:
// - The schedule may be edited only when it was read, by an operator with
//   item "04" of the module's rights, while no timetable of its year and
//   term is stored (lessons that cannot be counted count as stored);
//   otherwise the edits and check boxes are hidden, the counts disabled,
//   and the schedule counts as unchanged and is not saved.
// - A tick, a typed time and a count go into the document's schedule as
//   the operator makes them, and the page (what prints) follows at once;
//   the modified and read-only queries only read the schedule.
// - A new year or term first offers to save the changes (Cancel keeps the
//   old choice), then reads the year and term without another question
//   (taken over when it has no schedule of its own, and then unsaved). A
//   read that fails keeps the schedule, the year and the term shown. After
//   a failed fill, choosing the same year and term reads it again.
// - Refresh (F5) reads the year and term again, as the opening does, and
//   asks the read-only question again; the card shows what it read. While
//   the schedule differs from the one read (a change undone is none), it
//   first asks whether the unsaved changes may go.
// - The save checks every time (in order, never decreasing, each period
//   ending after it starts), asks for at least one ticked period, checks
//   the right and the absence of a timetable again, and writes the
//   schedule with its log entry as one piece of work, unless the stored
//   schedule is no longer the one the card read or saved; a refusal or a
//   failure keeps the edits and leaves the document changed.

#include "forms/CKvCardFrmView.h"

#include <QList>

class CKvEdit;
class CWktDoc;
class QCheckBox;
class QComboBox;

class CWktView : public CKvCardFrmView {
  Q_OBJECT
 public:
  enum : int {
    IDD = 964,
    IDC_YEAR = 1086,
    IDC_TERM = 1087,
    IDC_COUNT0 = 1082,
    IDC_CHECK = 1300,
    IDC_START = 1350,
    IDC_END = 1351,
  };

  CWktView(CWktDoc* pDoc, QWidget* parent = nullptr);
  CWktDoc* GetWktDoc() const;

  void initialUpdate() override;
  void OnUpdate() override;
  // The document was filled again: the controls follow its schedule.
  void OnDocumentChanged() override { RebuildControls(); }
  void ExchangeRecord(bool bSave) override;
  bool IsReadOnly() override;
  bool IsModified(QString& reason) override;
  bool SaveRecord(int n) override;
  // The operator's edits: the schedule differs from the one read or saved.
  bool IsCellChanged() const override;

  // Makes as many edits and check boxes as the document's schedule has
  // periods and shows that schedule.
  void RebuildControls();
  // A count combo box closed: the periods of every segment take the chosen
  // counts.
  void OnCountChanged();
  // The year or the term combo box closed.
  void OnYearTermChanged();
  // The operator typed in the start (0) or end (1) time of (segment, period).
  void OnTimeEdited(int s, int p, int end, const QString& text);
  // The operator clicked the check box of (day, segment, period).
  void OnCheckClicked(int day, int s, int p, bool checked);

  // The check box of (day, segment, period) and the start (0) or end (1)
  // edit of (segment, period); null when there is none.
  QCheckBox* CheckBox(int day, int s, int p) const;
  CKvEdit* TimeEdit(int s, int p, int end) const;

 protected:
  // Places a control inside text box n (3 units in from either side).
  void PlaceInTextBox(QWidget* pControl, int n, bool bStretch) { MovePageRect(pControl, n, 3, bStretch); }

 private:
  // Checks the times in order; false after the message, with the focus on
  // the edit at fault.
  bool checkTimes();
  // Shows the edits and check boxes and enables the counts, or hides and
  // disables them.
  void showEditable(bool editable);
  void selectYearAndTerm();
  // The page again from the schedule, and the card repainted.
  void pageChanged();

  QComboBox* m_pYear;
  QComboBox* m_pTerm;
  QComboBox* m_pCount[4];
  QList<QCheckBox*> m_checks[7][4];
  QList<CKvEdit*> m_times[4][2];
};
