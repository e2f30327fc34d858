#pragma once
// The column dialog of the columns page ("修改栏属性", "新增栏" when adding):
// edits one column of the edited template in memory.
//
// OK checks the fields in a fixed order, each refusal naming its field and
// keeping the dialog open; then the column is built, put at its place
// (new: inserted shown and unbound; modify: replaced) and moved to the
// position its 栏序 gives. A fixed column (kind 0, defined by the module)
// keeps its kind, value type and formula. A bound column's widths may not
// exceed those of the module's default column at the same position.
//
// Column names cannot hold "/": the stored definition is separated by it.

#include "ui/CKvAppDlg.h"

class CKvEdit;
class CKvPublicPage;
class KvFormEntry;
class KvUpDownEdit;
class QCheckBox;
class QComboBox;
class QRadioButton;

class CKvColumnDlg : public CKvAppDlg {
  Q_OBJECT
 public:
  enum : int {
    IDC_NAME = 1008,
    IDC_FORMULA = 1009,
    IDC_POSITION = 1010,
    IDC_NUMBER = 1012,
    IDC_TEXT = 1013,
    IDC_LEFT = 1015,
    IDC_MID = 1016,
    IDC_RIGHT = 1017,
    IDC_KIND = 1019,
    IDC_DISPLAY_WIDTH = 1020,
    IDC_EDIT_WIDTH = 1022,
    IDC_LESS = 1024,
    IDC_MORE = 1026,
    IDC_SCALE = 1028,
    IDC_TOTAL = 1030,
    IDC_WRAP = 1033,
    IDC_SIMPLIFIED = 1034,
    IDC_EDIT_FORMULA = 1035,
  };

  CKvColumnDlg(CKvPublicPage* pPage, KvFormEntry* pEntry, int nIndex, bool bNew);

  // The column's index after OK.
  int ResultIndex() const { return m_nResult; }

 protected:
  void OnInitDialog() override;
  bool SaveData() override;

 private:
  void loadControls();
  void numberChosen();
  void lessLeft();
  void moreLeft();
  void editFormula();

  CKvPublicPage* m_pPage;
  KvFormEntry* m_pEntry;
  int m_nIndex;
  bool m_bNew;
  bool m_bFixed = false;
  bool m_bNumberChosen = false;
  int m_nResult = -1;

  CKvEdit* m_pName;
  CKvEdit* m_pFormula;
  KvUpDownEdit* m_pPosition;
  QRadioButton* m_pNumber;
  QRadioButton* m_pText;
  QRadioButton* m_pLeft;
  QRadioButton* m_pMid;
  QRadioButton* m_pRight;
  QComboBox* m_pKind;
  KvUpDownEdit* m_pDisplayWidth;
  KvUpDownEdit* m_pEditWidth;
  KvUpDownEdit* m_pLess;
  KvUpDownEdit* m_pMore;
  QComboBox* m_pScale;
  QComboBox* m_pTotal;
  QCheckBox* m_pWrap;
  QCheckBox* m_pSimplified;
};
