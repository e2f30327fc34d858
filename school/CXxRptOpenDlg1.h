#pragma once
// Dialog 960 "打开%s" (the statistics report's title): the year, the season
// (autumn or spring term), the code, the depth of the rows (one entry per
// level of the code tree), the fee item, the maker, the reviewer and the
// review boxes. OK refuses a year that sorts before "1900" as text ("年份太
// 小!") and no depth ("未选择级次!").

#include "school/CXxOpenDlg.h"

class QRadioButton;

class CXxRptOpenDlg1 : public CXxOpenDlg {
  Q_OBJECT
 public:
  enum : int { IDD = 960, IDC_YEAR = 1042, IDC_AUTUMN = 1061, IDC_SPRING = 1062, IDC_DEPTH = 1033 };

  explicit CXxRptOpenDlg1(CKvDb* pDb, QWidget* parent = nullptr);

  // The depth entries of the code tree: "%d级" per management level,
  // "年级" with the multi-class flag, "班", "学生".
  static QStringList DepthNames();

  // The title of the report being opened.
  QString m_strTitle;
  // In and out: four digits; 0 autumn, 1 spring; the 0-based depth.
  QString m_strYear;
  int m_nSeason = 0;
  int m_nDepth = 0;

 protected:
  void OnInitDialog() override;
  bool SaveData() override;

 private:
  CKvEdit* m_pYear;
  QRadioButton* m_pSeasons[2];
  QComboBox* m_pDepth;
};
