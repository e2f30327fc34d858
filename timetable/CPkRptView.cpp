#include "timetable/CPkRptView.h"

#include "timetable/CPkRptDoc.h"

CPkRptView::CPkRptView(CPkRptDoc* pDoc, QWidget* parent) : CForthView(pDoc, parent) {}

void CPkRptView::InitLayout() {
  m_nFixedCols = 1;
  CForthView::InitLayout();
}
