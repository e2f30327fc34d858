#pragma once
// The business months of the active module (dialog 814 "设置会计月..."):
// the months of the data file's year or the next, one per row with its
// first and last day. OK on a month enters edit mode; OK in edit mode
// checks the two days (valid, in order, at most 20 days outside the
// calendar month), asks, takes the data file exclusively and changes the
// month (CKvMonthTable::Modify). Cancel leaves edit mode, or closes.

#include "ui/CKvZrvDlg.h"

class CKvDataType;
class CKvEdit;
class QComboBox;
class QPushButton;
class QTreeWidget;

class CKvPeriodDlg : public CKvZrvDlg {
  Q_OBJECT
 public:
  // The months of `module` (its number is the period type), named
  // `period`, with the right item `rightItem` (two digits). db null: the
  // application's connection.
  CKvPeriodDlg(CKvDataType* module, const QString& period, int rightItem, CKvDb* db = nullptr,
               QWidget* parent = nullptr);

  void GetToolTipText(QString* text, int controlId) override;
  void OnOK() override;
  void OnCancel() override;

  bool IsEditing() const { return m_bEdit; }
  // The year shown: the first four characters of the combo's entry.
  QString Year() const;

 protected:
  void OnInitDialog() override;

 private:
  void Load();
  void SetEditMode(bool bEdit);
  void UpdateStates();
  void OnSelectionChanged();
  bool ApplyChange();
  bool Refuse(const QString& message, CKvEdit* focus);
  int SelectedCount() const;

  CKvDataType* m_pModule;
  QString m_strPeriod;
  bool m_bRight;
  bool m_bEdit = false;
  QString m_strMonth = QStringLiteral("01");
  QComboBox* m_pYear;
  QTreeWidget* m_pList;
  CKvEdit* m_pFirst;
  CKvEdit* m_pLast;
  QPushButton* m_pOk;
};

// Asks the active module for its business-month period; without one
// nothing is shown and false is returned. Otherwise runs the dialog on the
// application's connection; true when it closed with OK.
bool KvRunPeriodDlg(QWidget* parent = nullptr);
