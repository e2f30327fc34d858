#include "forms/CKvFormPrintJob.h"

#include "forms/CKvFormView.h"
#include "print/KvPageMap.h"

#include <QPainter>

CKvFormPrintJob::CKvFormPrintJob(CKvFormView& view) : m_view(view) {}

KvPaperRequest CKvFormPrintJob::Paper() const {
  const CKvPrintSet& set = m_view.PrintSet();
  KvPaperRequest request;
  const bool landscape = set.IsLandscape();
  request.width = landscape ? set.PageLength : set.PageWidth;
  request.height = landscape ? set.PageWidth : set.PageLength;
  request.orientation = landscape ? KV_ORIENT_LANDSCAPE : KV_ORIENT_PORTRAIT;
  request.left = set.PageLeft;
  request.top = set.PageTop;
  request.right = set.PageRight;
  request.bottom = set.PageBottom;
  return request;
}

int CKvFormPrintJob::PageCount(const KvPageMap& map) {
  m_view.LayoutForPrinter(map);
  m_rowsPerPage = qMax(1, m_view.GetRowsPerPage(true));
  m_pages = (m_view.Model().TextRowCount() - 1) / m_rowsPerPage + 1;
  m_pages = qMax(1, m_pages);
  return m_pages;
}

void CKvFormPrintJob::PrintPage(QPainter& painter, const KvPageMap& map, int page) {
  const int rows = m_view.Model().TextRowCount();
  KvGridPass pass;
  pass.printing = true;
  pass.overlay = m_view.IsOverlay();
  pass.firstRow = page * m_rowsPerPage;
  pass.rowCount = qBound(0, rows - pass.firstRow, m_rowsPerPage);
  pass.page = page + 1;
  pass.totalPages = m_pages;
  pass.fonts = m_view.FontsFor(map);
  for (int role = 0; role < CKvPrintSet::FontCount; ++role)
    pass.colors[role] = m_view.PrintSet().FontColors[role];
  pass.background = m_view.PrintSet().GetBkColor(map.Device());
  // Lines of 0.15 mm, the frame of 0.4 mm.
  pass.thinLine = qMax(1, map.X(1.5));
  pass.thickLine = qMax(2, map.X(4));
  m_view.DrawForm(painter, m_view.PageModel(), pass);
}
