#pragma once
// The student ledger (template 261 "学生交费明细账"): one student's lines
// term by term along his in-school transfers, with subtotals and arrears.
// It opens on a student picked in the directory; the totals line is the
// total "合计".

#include "school/CXxRptDoc.h"

class CXxRptDoc2 : public CXxRptDoc {
  Q_OBJECT
 public:
  QString DefaultTitle() const override;
  void BuildColumns(KvFormEntry& entry) override;
  int GetColumnMark(const KvFormEntry& entry, int nColumn) override;
  void BuildHeadNotes(KvFormEntry& entry) override;
  bool PrepareOpen() override;
  bool FillRows() override;
  void BuildPrintMacros() override;
  // The ledger's totals line reads "合计" and sums nothing.
  bool HasTotalsLine() const override { return true; }
};
