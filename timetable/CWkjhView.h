#pragma once
// The grid pane of the teaching-plan window. With several classes per
// grade a class edits only teacher, room and week kind and cannot change
// its set of rows, and a grade edits every other column. Coded columns
// offer their catalogue (courses, teachers, rooms) or their values
// (priorities, week kinds) as a list. A refresh first offers to save. A
// new row takes the caret to its first cell that may be edited.

#include "forms/CForthView.h"

class CWkjhDoc;

class CWkjhView : public CForthView {
  Q_OBJECT
 public:
  CWkjhView(CWkjhDoc* pDoc, QWidget* parent);

  void InitLayout() override;
  bool MayAddRows() override;
  bool IsCellEditable(const QString& area, int nRow, int nCol) override;
  bool GetCellChoices(int nMode, QList<int>& widths, QStringList& list, const QString& area, int nRow,
                      int nCol) override;
  void ExecuteCmd(int id) override;

 private:
  int cellOf(int nCol) const;

  CWkjhDoc* m_pPlanDoc;
};
