#pragma once
// The block dialog of the column-head blocks page ("修改栏头单元块属性",
// "新增栏头单元块" when adding): edits one block of the column head in
// memory. The head grid has one column per shown column of the template
// and as many rows as its head-row count.
//
// A new block starts on the first cell no block covers (rows from the top,
// in each row columns from the left); FindFreeCell says when there is none.
// OK refuses corners outside the grid, a block whose corners are crossed,
// an empty caption and a block that would cover a cell another block
// covers; each refusal keeps the dialog open.

#include "ui/CKvAppDlg.h"

class CKvEdit;
class CKvPublicPage;
class KvFormEntry;
class KvUpDownEdit;

class CKvHeadBlockDlg : public CKvAppDlg {
  Q_OBJECT
 public:
  enum : int {
    IDC_WORDS = 1028,
    IDC_COL1 = 1029,
    IDC_ROW1 = 1031,
    IDC_COL2 = 1033,
    IDC_ROW2 = 1035,
  };

  CKvHeadBlockDlg(CKvPublicPage* pPage, KvFormEntry* pEntry, bool bNew, int nIndex);

  // New mode: places the new block on the first free cell; when every cell
  // is covered, says "栏头单元块已被定义完毕！" and answers false.
  bool FindFreeCell();

 protected:
  bool SaveData() override;

 private:
  // Whether a block other than the edited one covers the cell.
  bool isCovered(int nCol, int nRow) const;

  KvFormEntry* m_pEntry;
  bool m_bNew;
  int m_nIndex;
  int m_nWidth;
  int m_nHeight;

  CKvEdit* m_pWords;
  KvUpDownEdit* m_pCol1;
  KvUpDownEdit* m_pRow1;
  KvUpDownEdit* m_pCol2;
  KvUpDownEdit* m_pRow2;
};
