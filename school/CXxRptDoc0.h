#pragma once
// The fee detail (template 257 "收费明细表"): the paid lines of a date
// range, one row per receipt, student and term, opened through dialog 959.
// The totals line counts the students shown ("%d人").

#include "school/CXxRptDoc.h"

class CXxRptDoc0 : public CXxRptDoc {
  Q_OBJECT
 public:
  QString DefaultTitle() const override;
  void BuildColumns(KvFormEntry& entry) override;
  bool PrepareOpen() override;
  bool FillRows() override;
  void GetSummaryText(QString& out, int nRows) override;
};
