#pragma once
// The class fee window: the tree of classes (240 wide) beside the class fee
// sheet (542 wide).

#include "forms/CFormChildFrm.h"

class CXxDjFrm : public CFormChildFrm1 {
  Q_OBJECT
 public:
  bool CreateClient(CKvDoc* pDoc, const CKvDocTemplate& docTemplate) override;
};
