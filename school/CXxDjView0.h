#pragma once
// The class fee sheet's grid (CXxDjDoc0): the editing rules of a class
// voucher, the row total kept as amounts are typed, undone and redone, the
// memo taken from the row above, and the student's name offered on the
// student cell.

#include "forms/CForthView.h"

class CXxDjDoc0;

class CXxDjView0 : public CForthView {
  Q_OBJECT
 public:
  CXxDjView0(CXxDjDoc0* pDoc, QWidget* parent = nullptr);

  void InitLayout() override;
  void GetCellValue(int nRow, int nCol, const QString& area, QString& text, QString& type, int& nLimit1,
                    int& nLimit2) override;
  bool IsCellEditable(const QString& area, int nRow, int nCol) override;
  void OnCellChanged(const QString& text, int nRow, int nCol, const QString& area) override;
  // Entering the memo cell fills an empty memo from above; the student cell
  // of a sheet that shows no name column offers the student's name.
  bool GetCellChoices(int nMode, QList<int>& widths, QStringList& list, const QString& area, int nRow,
                      int nCol) override;

 private:
  // The link (nType % 100) of a shown column; -1 outside.
  int linkOf(int nCol) const;
  // The row's total cell: the sum of its item cells. False without a row
  // or a total column.
  bool updateTotal(int nRow);
  // The shown column of a formula index; -1 when it is not shown.
  int shownColumn(int nCell) const;

  CXxDjDoc0* m_pSheet;
};
