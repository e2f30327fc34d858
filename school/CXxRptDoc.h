#pragma once
// The common base of the fee reports (fee detail, fee statistics, student
// ledger): the filter the report was opened with, kept in the document
// type's open arguments between openings (eleven texts: from and to date,
// code, fee item, maker, reviewer, the not-reviewed and reviewed flags,
// year, season, depth; any other count starts again from this year's
// defaults), the default columns (code, name, one per fee item, total), the
// default head and tail notes, the macro "#xx_time" and the grid fill from
// report rows.
//
// Every grid row has one hidden cell after the columns: the row's key (the
// node code of a statistics row). A fee-item column is tied to its item by
// the last field of its definition, the item's code; an item without a
// column (a layout stored before the catalogue changed) is left out of the
// row and of its total.
//
// A report does not open while the catalogue holds no fee item
// ("未定义收费项目！").

#include "forms/CKvDoc.h"
#include "school/CCost.h"
#include "school/CXxRptRow.h"

class CXxRptDoc : public CKvDoc {
  Q_OBJECT
 public:
  CXxRptDoc();

  // The number of open arguments a report keeps.
  static constexpr int kOpenArgCount = 11;

  void OnCloseDocument() override;
  void LoadOpenArgs() override;
  // The default title (DefaultTitle), nOpen 0 and three head rows.
  void InitFormEntry(KvFormEntry& entry) override;
  void BuildColumns(KvFormEntry& entry) override;
  int GetColumnMark(const KvFormEntry& entry, int nColumn) override;
  void BuildHeadNotes(KvFormEntry& entry) override;
  bool PrepareOpen() override;
  // The items read with the rows: a refresh that cannot read leaves the
  // report as it was.
  std::function<void()> KeepFillState() override;
  void BuildPrintMacros() override;

  // Replaces the rows: texts[j] go to the column of formula number
  // textNumbers[j], ints[j] to that of intNumbers[j], each amount to its
  // item's column and the row's sum to the total column (formula number
  // 15); the key goes into the hidden cell.
  void FillGrid(const QList<int>& intNumbers, const QList<int>& textNumbers, const QList<CXxRptRow>& rows);
  // The hidden key cell of a grid row.
  QString RowKey(int nRow) const;
  // Reads the catalogue again (every fill does, so that a refresh shows
  // what a fresh opening shows); when an item was added, removed, recoded
  // or renamed, the layout is loaded again for the items read. False when
  // the catalogue cannot be read.
  bool ReloadItems();

  QList<CCost> m_items;
  // The items read, -1 when the catalogue could not be read.
  int m_nItemsRead = 0;
  QString m_dates[2];
  // Code, fee item, operators and review flags.
  KvFeeFilter m_filter;
  QString m_strYear;
  int m_nSeason = 0;
  int m_nDepth = 0;
  // 1: the totals count every row; 0 only the rows at the first row's level.
  int m_nTreeTotals = 1;
  // The value of "#xx_time": the period, or the student of a ledger.
  QString m_strPeriod;
  // 1: the totals line is the running total "累计"; 0 the total "合计".
  int m_nRunningTotals = 1;

 protected:
  virtual QString DefaultTitle() const = 0;
  // Code, name, one column per fee item and the total, appended; with
  // bSummed the amount columns are summed on the totals line.
  void AddBaseColumns(KvFormEntry& entry, bool bSummed = true) const;
  // Year (shown or not), month, day and voucher number, appended.
  static void AddVoucherColumns(KvFormEntry& entry, bool bYearShown);
};
