#include "school/CXxRptView.h"

#include "school/CXxRptDoc.h"
#include "ui/CKvCommandRegistry.h"
#include "ui/KvCommands.h"

#include <QAction>
#include <QMenu>

CXxRptView::CXxRptView(CXxRptDoc* pDoc, QWidget* parent) : CForthView(pDoc, parent), m_pRptDoc(pDoc) {}

void CXxRptView::InitLayout() {
  m_nTotalsMode = m_pRptDoc ? m_pRptDoc->m_nRunningTotals : 0;
  CForthView::InitLayout();
}

void CXxRptView::AddRowToTotals(int nRow) {
  // A statistics report lists nodes with their children: only the rows at
  // the level of the first one (keys of its length) add up to the whole.
  if (m_pRptDoc && m_pRptDoc->m_nTreeTotals == 0 &&
      m_pRptDoc->RowKey(nRow).size() != m_pRptDoc->RowKey(0).size())
    return;
  CForthView::AddRowToTotals(nRow);
}

void CXxRptView::AddContextMenuItems(QMenu* menu) {
  QAction* before = nullptr;
  for (QAction* action : menu->actions())
    if (KvActionCommandId(action) == KV_CMD_EDIT_SELECT_ALL)
      before = action;
  menu->insertAction(before, CKvCommandRegistry::Instance().CreateAction(KV_CMD_REFRESH, menu));
}
