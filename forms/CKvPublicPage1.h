#pragma once
// The general page of the form properties sheet ("综合设置"): the
// template's title, its number (shown only), its sequence number (editable
// for a stored copy only), its head-row count and the two print options.
//
// The head-row count cannot go below the lowest row the column-head blocks
// reach; it is taken from its field only when the field holds a number in
// the allowed range. The option number is 1 when page totals are printed,
// plus 2 when the title is printed in overlay printing.

#include "forms/CKvPublicPage.h"

class CKvEdit;
class KvUpDownEdit;
class QCheckBox;
class QLabel;

class CKvPublicPage1 : public CKvPublicPage {
  Q_OBJECT
 public:
  enum : int {
    IDC_TITLE = 1004,
    IDC_TOPNUM = 1005,
    IDC_FORM = 1011,
    IDC_FLAG = 1012,
    IDC_PAGE_SUM = 1031,
    IDC_OVERLAY_TITLE = 1038,
  };

  CKvPublicPage1(CKvDoc* pDoc, KvFormEntry* pEntry, QWidget* parent = nullptr);

  QString Caption() const override;
  void LoadControls() override;
  void OnSetActive() override;
  void OnKillActive() override;

  CKvEdit* TitleEdit() const { return m_pTitle; }
  CKvEdit* FormEdit() const { return m_pForm; }
  KvUpDownEdit* TopNumEdit() const { return m_pTopNum; }

 private:
  void optionClicked();

  CKvEdit* m_pTitle;
  QLabel* m_pFlag;
  CKvEdit* m_pForm;
  KvUpDownEdit* m_pTopNum;
  QCheckBox* m_pPageSum;
  QCheckBox* m_pOverlayTitle;
};
