#pragma once
// Dialog 957 "打开收费收据": the day whose receipts are listed. OK refuses a
// date that is not one, with the date fields' messages.

#include "school/CXxOpenDlg.h"

class CXxDjOpenDlg : public CXxOpenDlg {
  Q_OBJECT
 public:
  enum : int { IDD = 957, IDC_YEAR = 1042, IDC_MONTH = 1043, IDC_DAY = 1044 };

  explicit CXxDjOpenDlg(CKvDb* pDb, QWidget* parent = nullptr);

  // "yyyymmdd", in and out.
  QString m_strDate;

 protected:
  void OnInitDialog() override;
  bool SaveData() override;

 private:
  CKvEdit* m_pDate[3] = {nullptr, nullptr, nullptr};
};
