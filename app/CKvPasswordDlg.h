#pragma once
// The password dialog (812) of one operator: the old password, the new one
// twice. OK checks the old password against the stored hash and stores the
// new one as a new hash; the change is logged ("口令更改") without either
// password. The fields never give their text to the clipboard and are
// emptied when the dialog closes.

#include "ui/CKvDlg.h"

#include <QString>

class CKvDb;
class QLineEdit;

class CKvPasswordDlg : public CKvDlg {
  Q_OBJECT
 public:
  enum : unsigned { IDD = 812 };
  enum : int { IDC_OPERATOR = 1201, IDC_OLD = 1202, IDC_NEW = 1203, IDC_CONFIRM = 1204 };

  CKvPasswordDlg(CKvDb* pDb, const QString& operatorCode, QWidget* parent = nullptr);
  ~CKvPasswordDlg() override;

 protected:
  void OnInitDialog() override;
  bool SaveData() override;
  void done(int result) override;

 private:
  void clearFields();

  CKvDb* m_pDb;
  QString m_strCode;
  QLineEdit* m_old;
  QLineEdit* m_new;
  QLineEdit* m_confirm;
};
