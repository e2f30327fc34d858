#pragma once
// The column-head blocks page of the form properties sheet ("栏头属性"):
// one row per block of the column head, with its caption and its corner
// cells. New and modify open the block dialog (CKvHeadBlockDlg), which
// keeps blocks from overlapping; pasted blocks are taken as they come, and
// the sheet's OK reports what they leave uncovered or covered twice.
//
// A copied row carries three texts: the caption, "column,row" of the
// top-left and of the bottom-right cell.

#include "forms/CKvPublicPage.h"

class CKvPublicPage3 : public CKvPublicPage {
  Q_OBJECT
 public:
  enum : int { IDC_LIST = 1008 };

  CKvPublicPage3(CKvDoc* pDoc, KvFormEntry* pEntry, QWidget* parent = nullptr);

  QString Caption() const override;
  void LoadControls() override;
  // The columns page may have moved, dropped or added blocks meanwhile.
  void OnSetActive() override { Fill(); }

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
