#pragma once
// Dialog 965: chooses the school year, the term and the plan version (its
// start date) that a teaching-plan window (kind 0) or a timetable window
// (kinds 1 class, 2 teacher, 3 room) shows. For kind 0 it starts a new plan
// ("新计划", only in the term of the latest plan or a later one) and
// re-dates the latest plan; every kind deletes a version (the plan with its
// timetables for kind 0, the timetables of every class otherwise).
//
// A re-date or a delete is one transaction with its log entry: a failure
// changes and logs nothing, and a failed re-date keeps the dialog open on
// the old date. The caller sets Y, QC, T and the kind before showing it and
// reads Y, QC, T and the new-plan flag after OK.

#include "ui/CKvZrvDlg.h"

#include <QString>

class CKvEdit;
class QComboBox;
class QPushButton;

class CPkOpenPlanDlg : public CKvZrvDlg {
  Q_OBJECT
 public:
  enum : int {
    IDD = 965,
    IDC_YEAR = 1089,
    IDC_TERM = 1090,
    IDC_PLANS = 1091,
    IDC_DELETE = 1092,
    IDC_DATE_YEAR = 1093,
    IDC_DATE_MONTH = 1094,
    IDC_DATE_DAY = 1095,
  };
  explicit CPkOpenPlanDlg(int nKind, QWidget* parent = nullptr);

  // The year and term lists were closed up: the plan list of the chosen
  // year and term (nothing when they did not change).
  void RefillPlanList();
  // The plan list was closed up: the picked date, the new-plan flag and
  // what may be done with them.
  void OnPlanPicked();
  // Button 1092: DeleteVersion, then (kind 0) the plan list again.
  void OnDeletePlan();
  // Deletes the picked version after asking, with its log entry, in one
  // transaction; true when deleted.
  bool DeleteVersion();
  // The check of OK: a plan must be offered, the date valid; a changed date
  // of a stored version re-dates it; a new plan must start after the latest.
  bool CheckBeforeOK();

  QString Y;
  QString T;
  int QC = 0;
  int m_nNewPlan = 1;
  int m_nKind = 0;

 protected:
  void OnInitDialog() override;
  bool SaveData() override { return CheckBeforeOK(); }

 private:
  // The plan list of the year and term, with "新计划" when it may be offered.
  void fillPlans();
  void showDate(const QString& date);

  QComboBox* m_pYear;
  QComboBox* m_pTerm;
  QComboBox* m_pPlans;
  CKvEdit* m_pDate[3];
  QPushButton* m_pDelete;
  QPushButton* m_pOk;
};
