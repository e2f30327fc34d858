#pragma once
// The list dialog of a timetabling catalogue (template 954): the
// catalogue's list (control 1031) and the buttons 新增 (1055, new), 打开
// (OK, changes the selected row and keeps the dialog open), 修改 (1056),
// 删除 (1057) and 关闭 (Cancel). Enter in the list opens the selected row.
// The buttons follow the list's command rules. A code given to the
// constructor selects its row when the dialog opens.

#include "ui/CKvZrvDlg.h"

class CKvPkCatalogList;
class QPushButton;

class CKvPkCatalogListDlg : public CKvZrvDlg {
  Q_OBJECT
 public:
  enum : int { IDD = 954, IDC_LIST = 1031, IDC_NEW = 1055, IDC_MODIFY = 1056, IDC_DELETE = 1057 };

  CKvPkCatalogList* List() const { return m_pList; }

 protected:
  // The list (made by the derived dialog, with the connection), the title.
  CKvPkCatalogListDlg(int nMode, CKvDb* pDb, const QString& code, QWidget* parent);
  void SetList(CKvPkCatalogList* pList, const QString& title);

  void OnInitDialog() override;
  // 打开: the list's change; the dialog stays open.
  bool SaveData() override;

 private:
  void updateButtons();

  int m_nMode;
  QString m_strCode;
  QString m_strTitle;
  CKvPkCatalogList* m_pList = nullptr;
  QPushButton* m_pNew = nullptr;
  QPushButton* m_pOpen = nullptr;
  QPushButton* m_pModify = nullptr;
  QPushButton* m_pDelete = nullptr;
};
