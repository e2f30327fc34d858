#pragma once
// The grid of the load reports: read-only, the name column kept at the left.

#include "forms/CForthView.h"

class CPkRptDoc;

class CPkRptView : public CForthView {
  Q_OBJECT
 public:
  CPkRptView(CPkRptDoc* pDoc, QWidget* parent = nullptr);
  void InitLayout() override;
};
