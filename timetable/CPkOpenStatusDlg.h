#pragma once
// The open dialog of the load reports (template 966): a year (the data
// file's and the years either side), a term, a plan version of that year
// and term, and a weekday. OK takes the chosen date and weekday; a term
// without plans, no date or no weekday is refused and keeps the dialog
// open. Cancel leaves the fields as they were.

#include "ui/CKvZrvDlg.h"

class QComboBox;

class CPkOpenStatusDlg : public CKvZrvDlg {
  Q_OBJECT
 public:
  enum : int { IDD = 966, IDC_YEAR = 1096, IDC_TERM = 1097, IDC_PLAN = 1098, IDC_WEEKDAY = 1092 };

  explicit CPkOpenStatusDlg(QWidget* parent = nullptr);

  QString Y;
  QString T;
  int QC = 0;
  int m_nWeekday = 1;
  // 0 teacher report, 1 shared-room report, 2 class report.
  int m_nKind = 0;

  // The year and term from the lists; when they changed, the plan dates of
  // the new year and term, the one of T selected.
  void RefillPlanList();

 protected:
  void OnInitDialog() override;
  // The checks before OK.
  bool SaveData() override;

 private:
  QComboBox* m_pYear;
  QComboBox* m_pTerm;
  QComboBox* m_pPlan;
  QComboBox* m_pWeekday;
};

// "yyyymmdd" as "yyyy.mm.dd" and back.
QString KvPkPlanDateText(const QString& date);
QString KvPkPlanDateFromText(const QString& text);
