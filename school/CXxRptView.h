#pragma once
// The grid view of every fee report: the totals line is the running total
// "累计" or the total "合计" as the document says, a statistics report sums
// only the rows at its first row's level, and the right-click menu offers
// "刷新" before select all.

#include "forms/CForthView.h"

class CXxRptDoc;

class CXxRptView : public CForthView {
  Q_OBJECT
 public:
  CXxRptView(CXxRptDoc* pDoc, QWidget* parent = nullptr);

  void InitLayout() override;
  void AddRowToTotals(int nRow) override;

 protected:
  void AddContextMenuItems(QMenu* menu) override;

 private:
  CXxRptDoc* m_pRptDoc;
};
