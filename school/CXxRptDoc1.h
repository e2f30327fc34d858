#pragma once
// The fee statistics of one term (templates 258 due, 259 paid, 260 owed):
// the amounts per node of the code tree down to the chosen level, with the
// number of students counted, opened through dialog 960. The totals line
// adds only the rows at the first row's level, so that a node and its
// children are not counted twice.

#include "school/CXxRptDoc.h"

class CXxRptDoc1 : public CXxRptDoc {
  Q_OBJECT
 public:
  QString DefaultTitle() const override;
  void BuildColumns(KvFormEntry& entry) override;
  bool PrepareOpen() override;
  bool FillRows() override;

  // 0 due, 1 paid, 2 owed: the template number less 258.
  int m_nKind = 0;
};
