#pragma once
// Dialog 958 "学生目录": the students a search text finds (digits: by code
// prefix; letters: by the pinyin initials of the name; else by a part of
// the name), each with its place in the school ("unit/grade/class"). OK
// ("&S.选择") needs exactly one selected row, else the dialog stays open;
// the chosen student's code is then m_strCode.

#include "ui/CKvZrvDlg.h"

class CXxStdList;

class CXxStdListDlg : public CKvZrvDlg {
  Q_OBJECT
 public:
  enum : int { IDD = 958, IDC_LIST = 1006 };

  CXxStdListDlg(const QString& search, CKvDb* pDb, QWidget* parent = nullptr);

  CXxStdList* List() const { return m_pList; }
  // The chosen student's code after OK.
  QString m_strCode;

 protected:
  void OnInitDialog() override;
  bool SaveData() override;

 private:
  QString m_strSearch;
  CXxStdList* m_pList;
};
