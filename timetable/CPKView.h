#pragma once
// The grid pane of the timetable window: one row per period, the segment
// and period columns fixed at the left, a column per weekday. Only day
// cells of teaching periods can be edited, rows are never added or
// removed, and the segment name spans its periods. The arrange command
// (also in the right-click menu of the class page) and the refresh go to
// the document; a refresh first offers to save unsaved edits.

#include "forms/CForthView.h"

class CPKDoc;

class CPKView : public CForthView {
  Q_OBJECT
 public:
  CPKView(CPKDoc* pDoc, QWidget* parent);

  void InitLayout() override;
  bool IsCellEditable(const QString& area, int nRow, int nCol) override;
  int MergeCells() override;
  bool IsCommandEnabled(int id) override;
  bool MayAddRows() override { return false; }
  void AddContextMenuItems(QMenu* menu) override;
  bool GetCellChoices(int nMode, QList<int>& widths, QStringList& list, const QString& area, int nRow,
                      int nCol) override;

  bool HandlesCmd(int id) const override;
  void ExecuteCmd(int id) override;
  bool IsCmdEnabled(int id) override;

 private:
  // The document's cell index of a shown column; -1 when none.
  int cellOf(int nCol) const;

  CPKDoc* m_pPkDoc;
};
