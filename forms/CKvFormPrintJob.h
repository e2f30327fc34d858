#pragma once
// Prints a grid view's form on the paper of its print set: every page
// repeats the title, the head notes and the column heads, holds the rows
// per page (the print set's rows per page when they fit, else as many as
// fit), the totals row and the tail notes, with the page's macros put in.
//
// With the view's overlay flag set the page is printed onto a pre-printed
// form: no lines and no column heads, the title only when the form's
// option bit 1 asks for it, and only the notes marked for overlay printing.

#include "print/CKvPrintJob.h"

class CKvFormView;

class CKvFormPrintJob : public CKvPrintJob {
 public:
  explicit CKvFormPrintJob(CKvFormView& view);

  int PageCount(const KvPageMap& map) override;
  void PrintPage(QPainter& painter, const KvPageMap& map, int page) override;

  // Rows on each page as laid out by the last PageCount.
  int RowsPerPage() const { return m_rowsPerPage; }

 protected:
  KvPaperRequest Paper() const override;

 private:
  CKvFormView& m_view;
  int m_rowsPerPage = 1;
  int m_pages = 1;
};
