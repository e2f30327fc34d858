#pragma once
// The teacher's edit dialog (template 962): mode 1 adds a teacher with the
// next free code, starting from the values the record holds (the teacher
// selected in the list); mode 0 changes the teacher of the code. OK checks
// the code, the name, sex, nation and birth date, then writes the row and
// its log entry (operation 1900) together.

#include "timetable/CKvPkCatalogEditDlg.h"
#include "timetable/CTchrRec.h"

class QComboBox;

class CKvTeacherEditDlg : public CKvPkCatalogEditDlg {
  Q_OBJECT
 public:
  enum : int { IDD = 962, IDC_CODE = 1065, IDC_NAME = 1066, IDC_SEX = 1070, IDC_BIRTH = 1071, IDC_NATION = 1073 };

  CKvTeacherEditDlg(int nMode, const QString& code, CKvDb* pDb, QWidget* parent = nullptr);

  // Runs the dialog as the teacher list does (mode 1 starts from the
  // teacher of `code` when there is one); the saved code, empty after
  // Cancel.
  static QString Run(int nMode, const QString& code, CKvDb* pDb, QWidget* parent);

  CTchrRec m_rec;

 protected:
  void OnInitDialog() override;
  bool SaveData() override;
  int ReadRow() override;

 private:
  // The row to change as the opening read it.
  CTchrRec m_read;
  QComboBox* m_pSex;
  QComboBox* m_pNation;
};
