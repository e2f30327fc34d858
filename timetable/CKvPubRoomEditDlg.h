#pragma once
// The shared room's edit dialog (template 963): as the course's, with the
// location, manager and telephone, a three-digit code and the log's
// operation 1901.

#include "timetable/CKvPkCatalogEditDlg.h"
#include "timetable/CPubRmRec.h"

class CKvPubRoomEditDlg : public CKvPkCatalogEditDlg {
  Q_OBJECT
 public:
  enum : int { IDD = 963, IDC_CODE = 1078, IDC_SHORT = 1067, IDC_FULL = 1077 };

  CKvPubRoomEditDlg(int nMode, const QString& code, CKvDb* pDb, QWidget* parent = nullptr);

  // Runs the dialog as the room list does; the saved code, empty after
  // Cancel.
  static QString Run(int nMode, const QString& code, CKvDb* pDb, QWidget* parent);

  CPubRmRec m_rec;

 protected:
  void OnInitDialog() override;
  bool SaveData() override;
  int ReadRow() override;

 private:
  // The row to change as the opening read it.
  CPubRmRec m_read;
};
