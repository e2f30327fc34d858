#pragma once
// The fee-item catalogue (dialog 954 "收费项目表"): the item list with the
// buttons new, open, modify, delete and close. "&O.打开" (OK) edits the
// selected item and keeps the dialog open; only "&X.关闭" ends it. Each
// button is grey while the list's command behind it is disabled.

#include "ui/CKvZrvDlg.h"

#include <QList>
#include <utility>

class CKvCostList;
class QPushButton;

class CKvCostListDlg : public CKvZrvDlg {
  Q_OBJECT
 public:
  enum : int { IDD = 954, IDC_LIST = 1031, IDC_NEW = 1055, IDC_MODIFY = 1056, IDC_DELETE = 1057 };

  // startCode is the row selected first.
  CKvCostListDlg(CKvDb* pDb, const QString& startCode, QWidget* parent = nullptr);

  CKvCostList* List() const { return m_pList; }
  void OnOK() override;

 protected:
  void OnInitDialog() override;

 private:
  // Runs a command of the list when the list allows it now.
  void runListCommand(int id);
  // Greys each button whose command the list disables now.
  void updateButtons();

  QString m_strStartCode;
  CKvCostList* m_pList;
  QList<std::pair<QPushButton*, int>> m_commandButtons;  // button, the list's command it runs
};
