#pragma once
// Prints the rows and columns of a list as a table: the title centred on
// top, the page head text, the column titles and the rows between grid
// lines, the page foot text and "第 %d 页" at the bottom of every page.
//
// The page, fonts and texts come from a list page format. A page takes as
// many rows as fit between head and foot, or the format's rows per page
// when that is set and they fit. Column widths come from the widths stored
// in characters for the form (shrunk together when they are wider than the
// page), else from the list's own widths on screen, spread over the page.
// Columns of no width are left out. No text is cut: a column narrower than
// its widest text in the print font (title or cell) is widened to it, taken
// from the columns with room to spare. When the page cannot hold every
// column so, the columns go on as many pages side by side as they need
// (each row page, then its continuation to the right); a single column
// wider than the page is told once and its texts end in "…".

#include "print/CKvPageFormat.h"
#include "print/CKvPrintJob.h"

#include <QFont>
#include <QList>
#include <QMap>

class KvRowSource;
struct KvListPrintTarget;

class CKvListPrintJob : public CKvPrintJob {
public:
  // The rows with a page format; `columnWidths` (column -> characters) may
  // be empty; `lineSpacing` is the gap between rows in 0.1 mm.
  CKvListPrintJob(const KvRowSource& rows, const CKvPageFormat& format,
                  const QMap<int, int>& columnWidths = {}, int lineSpacing = 40);

  // Rows on each page and the column edges for the map's device.
  int PageCount(const KvPageMap& map) override;
  void PrintPage(QPainter& painter, const KvPageMap& map, int page) override;

  // Rows per page as laid out by the last PageCount.
  int RowsPerPage() const { return m_layout.rowsPerPage; }

protected:
  KvPaperRequest Paper() const override;

private:
  struct Layout {
    double unitsX = 0.0;
    QSize paper;
    QFont fonts[CKvPageFormat::FontCount];
    int left = 0, right = 0, top = 0, bottom = 0;
    int titleHeight = 0, headLine = 0, rowPitch = 0, footLine = 0, gap = 0;
    int tableTop = 0;  // the top edge of the column-title row
    int rowsPerPage = 1;
    int pad = 1;  // between a cell's text and its lines
    // The columns printed side by side on one page.
    struct Band {
      // Left edges of the printed columns, and the right edge of the last.
      QList<int> edges;
      QList<int> columns;  // source column of each printed column
    };
    QList<Band> bands;
  };
  void layOut(const KvPageMap& map);
  void layOutColumns(const KvPageMap& map);
  // The widest title or cell text of each source column in the text font.
  QList<double> widestTexts(const QList<int>& columns, const KvPageMap& map) const;

  const KvRowSource& m_rows;
  CKvPageFormat m_format;
  QMap<int, int> m_columnWidths;
  int m_lineSpacing;
  QStringList m_headLines;
  QStringList m_footLines;
  Layout m_layout;
  bool m_laidOut = false;
  bool m_toldTooWide = false;
};

// Prints a list with the print format of its target (the stored page format
// of the form, or the view's print set) for the command (57607, 0xE108 or
// 0xE109). True when printed.
bool KvPrintList(const KvRowSource& rows, const KvListPrintTarget& target, int command,
                 QWidget* parent = nullptr);
