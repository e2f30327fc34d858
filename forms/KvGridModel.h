#pragma once
// The grid of a form without a window: its bands from top to bottom (the
// title TOPIC, the HEAD note rows, the column heads FORMHEAD, the TEXT rows,
// the totals row FORMFOOT, the FOOT note rows and the blank TAIL), the
// column edges on screen and on paper, hit-testing, the current and anchor
// cells, the enabling of the clipboard and undo commands, and the undo and
// redo histories.
//
// What callers may rely on:
// - All lengths are in the units of the device the metrics were measured
//   on; the model never measures text itself.
// - Columns are the shown columns, counted from 0. A HEAD or FOOT row has a
//   cell per note of that row, ordered by the note's position and then by
//   its place in the note list (the document's order).
// - Hit-testing searches the band edges and the column edges by bisection:
//   it costs the same on 10 rows and on 100,000.
// - The model holds no cell texts: the undo steps read and write them
//   through a KvGridCellAccess.

#include "forms/KvCellEdit.h"
#include "forms/KvFormEntry.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <array>

// The parts of a form. TEXTL is the margin left of a TEXT row and FORMHEADL
// the corner left of the column heads; clicks there select rows or all.
enum class KvGridArea { None, Topic, Head, FormHead, Text, FormFoot, Foot, Tail, TextL, FormHeadL };

// The area's name as the cell hooks pass it ("TEXT", "HEAD", ...); empty
// for None.
const QString& KvGridAreaName(KvGridArea area);
// The area of a name; None for any other text.
KvGridArea KvGridAreaFromName(const QString& name);

// One shown column: what the layout and the painting need of it.
struct KvGridColumn {
  QString title;
  QString valueType;   // "NUMBER", "MDBSTRING", ...
  QString alignment;   // "LEFT", "MID" or anything else for right
  int width = 8;       // characters shown
  int editWidth = 0;   // characters typed (0: no limit)
  int cell = -1;       // the document's cell index of the column
  bool simplified = false;  // d1: totals drop zero decimals down to nLess
  bool total = false;       // d3: summed in the totals row
  int nLess = 0;
  int nMore = 0;

  bool IsNumber() const { return valueType.contains(QLatin1String("NUMBER")); }
  bool IsSummed() const { return total && IsNumber(); }
};

// A cell with the caret inside its text (characters from the left).
struct KvGridCell {
  int caret = 0;
  int row = 0;
  int column = 0;
  KvGridArea area = KvGridArea::Text;

  bool SameCell(const KvGridCell& other) const {
    return row == other.row && column == other.column && area == other.area;
  }
  friend bool operator==(const KvGridCell&, const KvGridCell&) = default;
};

// How the undo steps reach the cells.
class KvGridCellAccess {
 public:
  virtual ~KvGridCellAccess() = default;
  virtual QString ReadCell(int row, int column, const QString& area) = 0;
  virtual void WriteCell(int row, int column, const QString& area, const QString& text) = 0;
};

// Sizes measured on a device, in its units.
struct KvGridMetrics {
  int unit = 8;         // width of "T" in the TEXT font
  int topicHeight = 0;  // heights of "T" in the area fonts
  int headHeight = 0;
  int textHeight = 0;
  int tailHeight = 0;
  int spacing = 0;      // line spacing
  int left = 0;         // page margins
  int top = 0;
  int right = 0;
  int bottom = 0;
  int pad = 2;          // gap between a cell's edge and its text
};

// A point's place in the form.
struct KvGridHit {
  KvGridArea area = KvGridArea::None;
  int row = -1;
  int column = -1;
};

// A range of TEXT cells drawn as one (columns and rows from 0, inclusive).
struct KvGridMark {
  int column1 = 0;
  int row1 = 0;
  int column2 = 0;
  int row2 = 0;
};

class KvGridModel {
 public:
  // --- Layout ---

  void SetColumns(const QList<KvGridColumn>& columns);
  const QList<KvGridColumn>& Columns() const { return m_columns; }
  int ColumnCount() const { return int(m_columns.size()); }

  // The head and tail notes; HEAD and FOOT rows run to the last nRow used.
  // Each note is kept within the sheet's ranges (KvHeadNote::BoundToSheet).
  void SetNotes(const QList<KvHeadNote>& notes);
  const QList<KvHeadNote>& Notes() const { return m_notes; }
  // Changes the text (sWords) of a note.
  void SetNoteText(int noteIndex, const QString& text);
  int HeadRowCount() const { return int(m_headCells.size()); }
  int FootRowCount() const { return int(m_footCells.size()); }
  // Cells of a HEAD (bTail false) or FOOT row; 0 for a row beyond.
  int NoteCellCount(bool bTail, int row) const;
  // Index in Notes() of a HEAD or FOOT cell; -1 when there is none.
  int NoteIndex(bool bTail, int row, int cell) const;
  // The cell of a note; false when the note has none.
  bool NoteCell(int noteIndex, int& row, int& cell, bool& bTail) const;

  // The column-head blocks over `headRows` rows, kept to the sheet's 1 to 10
  // (kKvHeadRows); a block's part outside the grid is left out.
  void SetColumnHead(const QList<KvTopWord>& blocks, int headRows);
  const QList<KvTopWord>& ColumnHead() const { return m_blocks; }
  int ColumnHeadRows() const { return m_formHeadRows; }
  // The block covering a FORMHEAD cell (row and column from 0); -1 none.
  int BlockAt(int row, int column) const;

  void SetTextRowCount(int rows) {
    m_textRows = qMax(0, rows);
    m_topsValid = false;
  }
  int TextRowCount() const { return m_textRows; }
  // Whether the form has the totals row.
  void SetTotalsRow(bool on) {
    m_totalsRow = on;
    m_topsValid = false;
  }
  bool HasTotalsRow() const { return m_totalsRow; }
  // Columns that stay in place when the grid scrolls sideways.
  void SetFixedColumns(int count) { m_fixedColumns = qBound(0, count, ColumnCount()); }
  int FixedColumns() const { return qMin(m_fixedColumns, ColumnCount()); }

  void ClearMarks() { m_marks.clear(); }
  void AddMark(const KvGridMark& mark) { m_marks.append(mark); }
  const QList<KvGridMark>& Marks() const { return m_marks; }
  // The mark holding a TEXT cell; -1 none.
  int MarkAt(int row, int column) const;

  // --- Geometry ---

  void SetMetrics(const KvGridMetrics& metrics) {
    m_metrics = metrics;
    m_topsValid = false;
  }
  const KvGridMetrics& Metrics() const { return m_metrics; }
  // The height of a line of an area's font: TOPIC its own, TEXT, FORMHEAD and
  // FORMFOOT the TEXT font's, HEAD its own, every other area the tail font's.
  int LineHeight(KvGridArea area) const;
  // The distance between the tops of two rows of an area.
  int RowPitch(KvGridArea area) const;

  // Column edges on screen: the columns fill the client width less a
  // vertical scroll bar and the margins, each taking an equal share of what
  // is left over, the last one the rest.
  void LayoutScreenColumns(int clientWidth, int scrollBarWidth);
  // Column edges on a page of that width: the width between the margins is
  // shared by the column widths (one character more each, one character in
  // front), each cut to whole characters with the cut parts carried on, the
  // last ending at the right margin.
  void LayoutPageColumns(int pageWidth);
  // Left edge of column c; c = ColumnCount() gives the right edge of the
  // last column.
  int ColumnLeft(int c) const;
  int TableLeft() const { return ColumnLeft(0); }
  int TableRight() const { return ColumnLeft(ColumnCount()); }
  // The width the layout covers, margins included.
  int ContentWidth() const;

  // The top of an area's first row for a form showing `textRows` TEXT rows
  // (the TAIL area: the bottom margin).
  int BandTop(KvGridArea area, int textRows) const;
  int BandTop(KvGridArea area) const { return BandTop(area, m_textRows); }
  int RowTop(KvGridArea area, int row, int textRows) const {
    return BandTop(area, textRows) + row * RowPitch(area);
  }
  int RowTop(KvGridArea area, int row) const { return RowTop(area, row, m_textRows); }
  int RowCount(KvGridArea area, int textRows) const;
  // The whole height, margins included.
  int ContentHeight(int textRows) const;
  int ContentHeight() const { return ContentHeight(m_textRows); }
  // TEXT rows on a page of that height: `pageRows` when it is above 0 and
  // fits, else as many as fit (at least 1).
  int RowsPerPage(int pageHeight, int pageRows) const;

  // Left and right edge of a HEAD or FOOT cell: its note's position in
  // percent of the table's width, up to the next note of the row.
  int NoteLeft(bool bTail, int row, int cell) const;
  int NoteRight(bool bTail, int row, int cell) const;

  // The rectangle of a cell (HEAD, FORMHEAD, TEXT, FORMFOOT, FOOT) in layout
  // coordinates; a FORMHEAD cell gives its whole block, a marked TEXT cell
  // its whole mark. Empty for a cell that does not exist.
  QRect CellRect(KvGridArea area, int row, int column) const;

  // The first and last column (inclusive) with a part between x1 and x2.
  void VisibleColumns(int x1, int x2, int& first, int& last) const;

  // Where a point in layout coordinates lies. With `scrollX` the columns
  // right of the fixed ones are shifted left by it (the point is then in
  // window coordinates, vertical scrolling already added).
  KvGridHit HitTest(QPoint point, int scrollX = 0) const;

  // --- Cells and selection ---

  // Whether the cell exists (HEAD, TEXT, FOOT).
  bool CellExists(KvGridArea area, int row, int column) const;
  // Number of cells in a row of an editable area.
  int CellsInRow(KvGridArea area, int row) const;

  KvGridCell Current() const { return m_current; }
  KvGridCell Anchor() const { return m_anchor; }
  // Moves the current cell, and the anchor too unless `extend`.
  void PlaceCaret(const KvGridCell& cell, bool extend);
  // Sets both corners at once.
  void SetSelection(const KvGridCell& anchor, const KvGridCell& current);
  // Keeps the current and the anchor cell inside the form.
  void ClampSelection();
  bool SameArea() const { return m_anchor.area == m_current.area; }
  // Anchor and current cell are the same cell.
  bool SingleCell() const { return m_anchor.SameCell(m_current); }
  // The selected block of cells (inclusive), when both corners share an area.
  void SelectedBlock(int& row1, int& column1, int& row2, int& column2) const;
  bool IsSelected(KvGridArea area, int row, int column) const;

  // The neighbouring cell for Tab (next), Shift+Tab (previous), and the
  // arrows; HEAD, TEXT and FOOT rows follow one another. The cell itself
  // when there is none.
  KvGridCell NextCell(const KvGridCell& cell) const;
  KvGridCell PreviousCell(const KvGridCell& cell) const;
  KvGridCell CellBelow(const KvGridCell& cell) const;
  KvGridCell CellAbove(const KvGridCell& cell) const;
  // The first cell of the form (HEAD, else TEXT, else FOOT).
  KvGridCell FirstCell() const;

  // --- Command enabling ---

  // Copy: the corners differ in row, column or caret and share an area.
  bool CanCopy() const;
  bool CanCut(bool editable) const { return editable && CanCopy(); }
  bool CanDelete(bool editable) const { return editable && SameArea(); }
  bool CanPaste(bool editable, bool clipboardHasText) const { return editable && clipboardHasText; }
  bool CanUndo(bool editable) const { return editable && !m_undo.isEmpty(); }
  bool CanRedo(bool editable) const { return editable && !m_redo.isEmpty(); }

  // --- Undo ---

  // Records the current cell's value before an edit (the new text is
  // already stored): nothing when the step equals the cell as it is now or
  // the last step; otherwise it is added and the redo history emptied.
  bool PushUndo(const KvCellEdit& before, KvGridCellAccess& cells);
  // Takes one step back (true) or forward (false): the step's text goes
  // into its cell and its counter-step onto the other history. A step whose
  // cell is gone, or that would change nothing, is dropped. The step put
  // back is returned through `applied`; false when none was.
  bool UndoRedo(bool bUndo, KvGridCellAccess& cells, KvCellEdit* applied);
  // Forgets both histories (the cells they name were read again).
  void ClearHistory() {
    m_undo.clear();
    m_redo.clear();
  }
  const QList<KvCellEdit>& UndoHistory() const { return m_undo; }
  const QList<KvCellEdit>& RedoHistory() const { return m_redo; }

 private:
  void rebuildNoteRows();
  int bandHeight(KvGridArea area, int textRows) const;
  // The tops of the bands for the model's own TEXT rows, kept until the
  // layout changes.
  const std::array<int, 7>& bandTops() const;

  QList<KvGridColumn> m_columns;
  QList<KvHeadNote> m_notes;
  // Per HEAD and FOOT row: note indexes in cell order.
  QList<QList<int>> m_headCells;
  QList<QList<int>> m_footCells;
  QList<KvTopWord> m_blocks;
  int m_formHeadRows = 1;
  // FORMHEAD cell (row * columns + column) -> block index.
  QList<int> m_blockOfCell;
  int m_textRows = 0;
  bool m_totalsRow = false;
  int m_fixedColumns = 0;
  QList<KvGridMark> m_marks;

  KvGridMetrics m_metrics;
  mutable std::array<int, 7> m_tops{};
  mutable bool m_topsValid = false;
  // Column edges: ColumnCount() + 1 entries.
  QList<int> m_edges;

  KvGridCell m_current;
  KvGridCell m_anchor;
  QList<KvCellEdit> m_undo;
  QList<KvCellEdit> m_redo;
};
