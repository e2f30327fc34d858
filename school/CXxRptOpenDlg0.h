#pragma once
// Dialog 959 "打开收费明细表": the date range, the code, the fee item, the
// maker, the reviewer and the review boxes of the fee detail. OK refuses a
// bad date and a start after the end ("起止时间倒置！"); an empty fee item
// or operator means all.

#include "school/CXxOpenDlg.h"

class CXxRptOpenDlg0 : public CXxOpenDlg {
  Q_OBJECT
 public:
  enum : int { IDD = 959 };

  explicit CXxRptOpenDlg0(CKvDb* pDb, QWidget* parent = nullptr);

  // From and to, "yyyymmdd", in and out.
  QString m_dates[2];

 protected:
  void OnInitDialog() override;
  bool SaveData() override;

 private:
  CKvEdit* m_pFrom[3] = {nullptr, nullptr, nullptr};
  CKvEdit* m_pTo[3] = {nullptr, nullptr, nullptr};
};
