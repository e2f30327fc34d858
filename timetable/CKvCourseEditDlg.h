#pragma once
// The course's edit dialog (template 961): mode 1 adds a course with the
// next free code and empty fields; mode 0 changes the course of the code.
// The short and the full name fill each other when one is empty. OK checks
// the code and both names, then writes the row and its log entry
// (operation 82) together.

#include "timetable/CKvPkCatalogEditDlg.h"
#include "timetable/CSbtRec.h"

class CKvCourseEditDlg : public CKvPkCatalogEditDlg {
  Q_OBJECT
 public:
  enum : int { IDD = 961, IDC_CODE = 1064, IDC_SHORT = 1035, IDC_FULL = 1063 };

  CKvCourseEditDlg(int nMode, const QString& code, CKvDb* pDb, QWidget* parent = nullptr);

  // Runs the dialog as the course list does; the saved code, empty after
  // Cancel.
  static QString Run(int nMode, const QString& code, CKvDb* pDb, QWidget* parent);

  CSbtRec m_rec;

 protected:
  void OnInitDialog() override;
  bool SaveData() override;
  int ReadRow() override;

 private:
  // The row to change as the opening read it.
  CSbtRec m_read;
};
