#pragma once
// The receipt window: the day's receipts on the left, a fifth of the work
// area wide, the receipt form on the right. It opens as large as the work
// area, which its card is sized from.

#include "forms/CFormChildFrm.h"

class CXxDjChildFrm2 : public CFormChildFrm1 {
  Q_OBJECT
 public:
  bool CreateClient(CKvDoc* pDoc, const CKvDocTemplate& docTemplate) override;
};
