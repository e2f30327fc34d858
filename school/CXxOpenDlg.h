#pragma once
// The base of the fee module's open dialogs (the receipts of a day, the
// fee detail, the fee statistics): their "&O.打开" and "&X.取消" buttons,
// date fields filled from "yyyymmdd" texts, and the filter rows the report
// dialogs share: the code of a unit, grade, class or student (control
// 1052, digits only, at most a student code's length) with the button 1063
// that picks it in the directory, the fee item (1031), the maker (1032),
// the reviewer (1034) and the not-reviewed (1058) and reviewed (1059)
// boxes. Every refusal shows its message under the stop icon, focuses the
// field and keeps the dialog open; Cancel changes nothing of the caller's.

#include "school/CXxRptRow.h"
#include "ui/CKvZrvDlg.h"

class CKvEdit;
class QBoxLayout;
class QCheckBox;
class QComboBox;
class QFormLayout;

class CXxOpenDlg : public CKvZrvDlg {
  Q_OBJECT
 public:
  enum : int {
    IDC_CODE = 1052,
    IDC_PICK = 1063,
    IDC_COST = 1031,
    IDC_MAKER = 1032,
    IDC_REVIEWER = 1034,
    IDC_NOT_REVIEWED = 1058,
    IDC_REVIEWED = 1059,
  };

  CXxOpenDlg(unsigned idd, CKvDb* pDb, QWidget* parent = nullptr);

  // The filter shown by the filter rows and taken back on OK.
  KvFeeFilter m_filter;

  // Fills the combo box with the catalogue's items ("code name"), an empty
  // first entry when asked, and selects the item of the code (the first
  // entry for an empty or unknown code).
  void FillCostCombo(QComboBox* combo, const QString& code, bool bWithEmpty);
  // The chosen item's code; none chosen: "未选择收费项目！" unless an empty
  // choice is allowed.
  static bool GetCostCombo(QComboBox* combo, QString* code, bool bAllowEmpty);
  // The operators under an empty first entry, the one of the code selected.
  void FillOperatorChoice(QComboBox* combo, const QString& code);

 protected:
  // Three digit fields (year, month, day) named by their ids, in a row.
  QBoxLayout* AddDateFields(CKvEdit* fields[3], const int ids[3]);
  // Shows the date in the three fields.
  static void ShowDate(CKvEdit* const fields[3], const QString& date);
  // Adds the filter rows to the form.
  void AddFilterRows(QFormLayout* form);
  // Shows m_filter in the filter rows.
  void ShowFilter();
  // Takes the fee item and the operators (any may be empty), the code and
  // the boxes into m_filter; false after a refusal.
  bool TakeFilter();
  // The dialog's layout: the form above the buttons "&O.打开", "&X.取消".
  void SetFormLayout(QFormLayout* form);

  CKvEdit* m_pCode = nullptr;
  QComboBox* m_pCost = nullptr;
  QComboBox* m_pMaker = nullptr;
  QComboBox* m_pReviewer = nullptr;
  QCheckBox* m_pReviewChecks[2] = {nullptr, nullptr};

 private:
  // Button 1063: the code picked in the directory replaces the typed one.
  void onPickCode();
};
