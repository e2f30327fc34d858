#pragma once
// The log window's frame: the filters and tasks (CKvLogView) above the
// entries of the selected task (the grid view), one third and two thirds
// of the main window's height.

#include "forms/CFormChildFrm.h"

class CKvDocTemplate;

class CKvLogChildFrm : public CFormChildFrm1 {
  Q_OBJECT
 public:
  CKvLogChildFrm();
  bool CreateClient(CKvDoc* pDoc, const CKvDocTemplate& docTemplate) override;
};

// The log window's template (module 0, template 900, type 1 "操作日志"); it
// belongs to no module's template list.
CKvDocTemplate& KvLogDocTemplate();
// Opens the log window; false when it did not open.
bool KvOpenLogWindow();
