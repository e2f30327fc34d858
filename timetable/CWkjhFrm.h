#pragma once
// The teaching-plan window's frame: the tree (170 wide) beside the grid
// (612).

#include "forms/CFormChildFrm.h"

class CWkjhFrm : public CFormChildFrm1 {
  Q_OBJECT
 public:
  bool CreateClient(CKvDoc* pDoc, const CKvDocTemplate& docTemplate) override;
};
