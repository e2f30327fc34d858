#pragma once
// The head and tail fields page of the form properties sheet
// ("表头表尾属性"): one row per field shown above the column head (表头) or
// below the totals (表尾), with its prompt, content, row, position in
// percent of the table width, edit-box length and overlay flag. New and
// modify open the field dialog (CKvHeadFieldDlg); only an operator's field
// (not one the module defines) can be deleted. Pasted fields are taken as
// they come.
//
// A copied row carries seven texts: prompt, content, and the numbers of
// bIsTail, nRow, nColPecent, bIsUse and bIsSystem.

#include "forms/CKvPublicPage.h"

class CKvPublicPage4 : public CKvPublicPage {
  Q_OBJECT
 public:
  enum : int { IDC_LIST = 1009 };

  CKvPublicPage4(CKvDoc* pDoc, KvFormEntry* pEntry, QWidget* parent = nullptr);

  QString Caption() const override;
  void LoadControls() override;

  CKvPublicPageList* List() const { return m_pList; }
  void Fill();

  bool IsListCmdEnabled(int id, bool bListRule) override;
  QList<int> HiddenMenuCommands() const override;
  void OnListNew() override;
  void OnListModify() override;
  void OnListDelete() override;
  void OnListRestoreDefaults() override;
  void GetListCopyTexts(QStringList* texts) const override;
  void OnListPaste(const QStringList& texts) override;

 private:
  CKvPublicPageList* m_pList;
};
