#include "forms/KvGridModel.h"

#include <algorithm>
#include <cmath>

namespace {

struct AreaName {
  KvGridArea area;
  QString name;
};

const QList<AreaName>& areaNames() {
  static const QList<AreaName> names = {
      {KvGridArea::Topic, QStringLiteral("TOPIC")},       {KvGridArea::Head, QStringLiteral("HEAD")},
      {KvGridArea::FormHead, QStringLiteral("FORMHEAD")}, {KvGridArea::Text, QStringLiteral("TEXT")},
      {KvGridArea::FormFoot, QStringLiteral("FORMFOOT")}, {KvGridArea::Foot, QStringLiteral("FOOT")},
      {KvGridArea::Tail, QStringLiteral("TAIL")},         {KvGridArea::TextL, QStringLiteral("TEXTL")},
      {KvGridArea::FormHeadL, QStringLiteral("FORMHEADL")}};
  return names;
}

// The bands from top to bottom.
constexpr KvGridArea kBands[] = {KvGridArea::Topic,    KvGridArea::Head, KvGridArea::FormHead,
                                 KvGridArea::Text,     KvGridArea::FormFoot, KvGridArea::Foot,
                                 KvGridArea::Tail};

// The areas whose cells can be edited, in the order Tab walks them.
constexpr KvGridArea kCellAreas[] = {KvGridArea::Head, KvGridArea::Text, KvGridArea::Foot};

int areaOrder(KvGridArea area) {
  for (int i = 0; i < 3; ++i)
    if (kCellAreas[i] == area)
      return i;
  return -1;
}

// The band an area's rows belong to.
KvGridArea bandOf(KvGridArea area) {
  switch (area) {
    case KvGridArea::TextL: return KvGridArea::Text;
    case KvGridArea::FormHeadL: return KvGridArea::FormHead;
    default: return area;
  }
}

}  // namespace

const QString& KvGridAreaName(KvGridArea area) {
  static const QString none;
  for (const AreaName& entry : areaNames())
    if (entry.area == area)
      return entry.name;
  return none;
}

KvGridArea KvGridAreaFromName(const QString& name) {
  for (const AreaName& entry : areaNames())
    if (entry.name == name)
      return entry.area;
  return KvGridArea::None;
}

// --- Layout ---

void KvGridModel::SetColumns(const QList<KvGridColumn>& columns) {
  m_columns = columns;
  m_edges.clear();
  SetColumnHead(m_blocks, m_formHeadRows);
  m_fixedColumns = qMin(m_fixedColumns, ColumnCount());
}

void KvGridModel::SetNotes(const QList<KvHeadNote>& notes) {
  // Whoever passes them, the rows and edit boxes keep to the sheet's ranges:
  // a row sizes the HEAD or FOOT band, an edit length the editor.
  m_notes = notes;
  for (KvHeadNote& note : m_notes)
    note.BoundToSheet();
  rebuildNoteRows();
  m_topsValid = false;
}

void KvGridModel::SetNoteText(int noteIndex, const QString& text) {
  if (noteIndex >= 0 && noteIndex < m_notes.size())
    m_notes[noteIndex].sWords = text;
}

void KvGridModel::rebuildNoteRows() {
  m_headCells.clear();
  m_footCells.clear();
  for (int i = 0; i < m_notes.size(); ++i) {
    const KvHeadNote& note = m_notes.at(i);
    QList<QList<int>>& rows = note.bIsTail ? m_footCells : m_headCells;
    while (rows.size() <= note.nRow)
      rows.append(QList<int>());
    rows[note.nRow].append(i);
  }
  for (QList<QList<int>>* rows : {&m_headCells, &m_footCells}) {
    for (QList<int>& cells : *rows) {
      std::stable_sort(cells.begin(), cells.end(), [this](int a, int b) {
        return m_notes.at(a).Position() < m_notes.at(b).Position();
      });
    }
  }
}

int KvGridModel::NoteCellCount(bool bTail, int row) const {
  const QList<QList<int>>& rows = bTail ? m_footCells : m_headCells;
  return row >= 0 && row < rows.size() ? int(rows.at(row).size()) : 0;
}

int KvGridModel::NoteIndex(bool bTail, int row, int cell) const {
  if (cell < 0 || cell >= NoteCellCount(bTail, row))
    return -1;
  return (bTail ? m_footCells : m_headCells).at(row).at(cell);
}

bool KvGridModel::NoteCell(int noteIndex, int& row, int& cell, bool& bTail) const {
  for (int tail = 0; tail < 2; ++tail) {
    const QList<QList<int>>& rows = tail ? m_footCells : m_headCells;
    for (int r = 0; r < rows.size(); ++r) {
      const int at = int(rows.at(r).indexOf(noteIndex));
      if (at >= 0) {
        row = r;
        cell = at;
        bTail = tail != 0;
        return true;
      }
    }
  }
  return false;
}

void KvGridModel::SetColumnHead(const QList<KvTopWord>& blocks, int headRows) {
  m_blocks = blocks;
  // Whoever passes it, the head keeps to the sheet's rows, and its cells are
  // counted wide.
  m_formHeadRows = kKvHeadRows.Bound(headRows);
  m_topsValid = false;
  const int columns = ColumnCount();
  m_blockOfCell = QList<int>(qsizetype(m_formHeadRows) * columns, -1);
  for (int b = 0; b < m_blocks.size(); ++b) {
    // A block's corners are cut to the grid, whatever they hold.
    const KvTopWord& block = m_blocks.at(b);
    const int r1 = qMax(1, qMin(block.nRow1, block.nRow2)) - 1;
    const int r2 = qBound(0, qMax(block.nRow1, block.nRow2), m_formHeadRows) - 1;
    const int c1 = qMax(1, qMin(block.nCol1, block.nCol2)) - 1;
    const int c2 = qBound(0, qMax(block.nCol1, block.nCol2), columns) - 1;
    for (int r = r1; r <= r2; ++r)
      for (int c = c1; c <= c2; ++c) {
        int& cell = m_blockOfCell[qsizetype(r) * columns + c];
        if (cell < 0)
          cell = b;
      }
  }
}

int KvGridModel::BlockAt(int row, int column) const {
  if (row < 0 || row >= m_formHeadRows || column < 0 || column >= ColumnCount())
    return -1;
  return m_blockOfCell.at(row * qsizetype(ColumnCount()) + column);
}

int KvGridModel::MarkAt(int row, int column) const {
  for (int i = 0; i < m_marks.size(); ++i) {
    const KvGridMark& mark = m_marks.at(i);
    if (row >= mark.row1 && row <= mark.row2 && column >= mark.column1 && column <= mark.column2)
      return i;
  }
  return -1;
}

// --- Geometry ---

int KvGridModel::LineHeight(KvGridArea area) const {
  switch (area) {
    case KvGridArea::Topic: return m_metrics.topicHeight;
    case KvGridArea::Head: return m_metrics.headHeight;
    case KvGridArea::Text:
    case KvGridArea::FormHead:
    case KvGridArea::FormFoot:
    case KvGridArea::TextL:
    case KvGridArea::FormHeadL: return m_metrics.textHeight;
    default: return m_metrics.tailHeight;
  }
}

int KvGridModel::RowPitch(KvGridArea area) const {
  const KvGridArea band = bandOf(area);
  if (band == KvGridArea::Topic)
    return m_metrics.topicHeight + 2 * m_metrics.spacing;
  if (band == KvGridArea::Tail)
    return m_metrics.bottom;
  return qMax(1, LineHeight(band) + m_metrics.spacing);
}

void KvGridModel::LayoutScreenColumns(int clientWidth, int scrollBarWidth) {
  const int unit = qMax(1, m_metrics.unit);
  const int count = ColumnCount();
  int sum = 0;
  for (const KvGridColumn& column : m_columns)
    sum += (qMax(0, column.width) + 1) * unit;
  // The columns end at the right margin: the leading character is part of
  // what they take up.
  const int free = qMax(0, clientWidth - scrollBarWidth - m_metrics.left - m_metrics.right - unit - sum);
  const int share = count > 0 ? free / count : 0;
  m_edges.resize(count + 1);
  m_edges[0] = m_metrics.left + unit;
  for (int c = 0; c < count; ++c)
    m_edges[c + 1] = m_edges.at(c) + (qMax(0, m_columns.at(c).width) + 1) * unit + share;
  if (count > 0)
    m_edges[count] = m_edges.at(0) + sum + free;
}

void KvGridModel::LayoutPageColumns(int pageWidth) {
  const int unit = qMax(1, m_metrics.unit);
  const int count = ColumnCount();
  const int available = qMax(count + unit, pageWidth - m_metrics.left - m_metrics.right);
  int weight = 1;
  for (const KvGridColumn& column : m_columns)
    weight += qMax(0, column.width) + 1;
  m_edges.resize(count + 1);
  m_edges[0] = m_metrics.left + unit;
  double remainder = 0.0;
  for (int c = 0; c < count; ++c) {
    const double share = double(qMax(0, m_columns.at(c).width) + 1) * available / weight;
    int width = int(std::floor(share / unit)) * unit;
    remainder += share - width;
    if (remainder > unit) {
      width += unit;
      remainder -= unit;
    }
    m_edges[c + 1] = m_edges.at(c) + width;
  }
  if (count > 0)
    m_edges[count] = m_metrics.left + available;
}

int KvGridModel::ColumnLeft(int c) const {
  if (m_edges.isEmpty())
    return m_metrics.left + qMax(1, m_metrics.unit);
  return m_edges.at(qBound(0, c, int(m_edges.size()) - 1));
}

int KvGridModel::ContentWidth() const { return TableRight() + m_metrics.right; }

int KvGridModel::RowCount(KvGridArea area, int textRows) const {
  switch (bandOf(area)) {
    case KvGridArea::Topic: return 1;
    case KvGridArea::Head: return HeadRowCount();
    case KvGridArea::FormHead: return m_formHeadRows;
    case KvGridArea::Text: return textRows;
    case KvGridArea::FormFoot: return m_totalsRow ? 1 : 0;
    case KvGridArea::Foot: return FootRowCount();
    case KvGridArea::Tail: return 1;
    default: return 0;
  }
}

int KvGridModel::bandHeight(KvGridArea area, int textRows) const {
  return RowCount(area, textRows) * RowPitch(area);
}

const std::array<int, 7>& KvGridModel::bandTops() const {
  if (!m_topsValid) {
    int top = m_metrics.top;
    for (size_t i = 0; i < std::size(kBands); ++i) {
      m_tops[i] = top;
      top += bandHeight(kBands[i], m_textRows);
    }
    m_topsValid = true;
  }
  return m_tops;
}

int KvGridModel::BandTop(KvGridArea area, int textRows) const {
  const KvGridArea band = bandOf(area);
  if (textRows == m_textRows) {
    for (size_t i = 0; i < std::size(kBands); ++i)
      if (kBands[i] == band)
        return bandTops()[i];
  }
  int top = m_metrics.top;
  for (KvGridArea each : kBands) {
    if (each == band)
      return top;
    top += bandHeight(each, textRows);
  }
  return top;
}

int KvGridModel::ContentHeight(int textRows) const {
  return BandTop(KvGridArea::Tail, textRows) + m_metrics.bottom;
}

int KvGridModel::RowsPerPage(int pageHeight, int pageRows) const {
  const int fixed = ContentHeight(0);
  const int fit = qMax(1, (pageHeight - fixed) / RowPitch(KvGridArea::Text));
  return pageRows > 0 && pageRows <= fit ? pageRows : fit;
}

int KvGridModel::NoteLeft(bool bTail, int row, int cell) const {
  const int note = NoteIndex(bTail, row, cell);
  if (note < 0)
    return TableRight();
  const int left = TableLeft();
  const int position = qBound(0, m_notes.at(note).Position(), 100);
  return left + int(qint64(TableRight() - left) * position / 100);
}

int KvGridModel::NoteRight(bool bTail, int row, int cell) const {
  if (cell + 1 < NoteCellCount(bTail, row))
    return qMax(NoteLeft(bTail, row, cell), NoteLeft(bTail, row, cell + 1));
  return TableRight();
}

QRect KvGridModel::CellRect(KvGridArea area, int row, int column) const {
  switch (area) {
    case KvGridArea::Head:
    case KvGridArea::Foot: {
      const bool tail = area == KvGridArea::Foot;
      if (NoteIndex(tail, row, column) < 0)
        return {};
      const int left = NoteLeft(tail, row, column);
      return QRect(left, RowTop(area, row), NoteRight(tail, row, column) - left, RowPitch(area));
    }
    case KvGridArea::FormHead: {
      if (row < 0 || row >= m_formHeadRows || column < 0 || column >= ColumnCount())
        return {};
      int r1 = row, r2 = row, c1 = column, c2 = column;
      const int block = BlockAt(row, column);
      if (block >= 0) {
        const KvTopWord& word = m_blocks.at(block);
        r1 = qMax(1, qMin(word.nRow1, word.nRow2)) - 1;
        r2 = qMin(m_formHeadRows, qMax(word.nRow1, word.nRow2)) - 1;
        c1 = qMax(1, qMin(word.nCol1, word.nCol2)) - 1;
        c2 = qMin(ColumnCount(), qMax(word.nCol1, word.nCol2)) - 1;
      }
      const int pitch = RowPitch(area);
      return QRect(QPoint(ColumnLeft(c1), RowTop(area, r1)),
                   QPoint(ColumnLeft(c2 + 1) - 1, RowTop(area, r2) + pitch - 1));
    }
    case KvGridArea::Text: {
      if (row < 0 || row >= m_textRows || column < 0 || column >= ColumnCount())
        return {};
      int r1 = row, r2 = row, c1 = column, c2 = column;
      const int mark = MarkAt(row, column);
      if (mark >= 0) {
        const KvGridMark& range = m_marks.at(mark);
        r1 = qMax(0, range.row1);
        r2 = qMin(m_textRows - 1, range.row2);
        c1 = qMax(0, range.column1);
        c2 = qMin(ColumnCount() - 1, range.column2);
      }
      const int pitch = RowPitch(area);
      return QRect(QPoint(ColumnLeft(c1), RowTop(area, r1)),
                   QPoint(ColumnLeft(c2 + 1) - 1, RowTop(area, r2) + pitch - 1));
    }
    case KvGridArea::FormFoot:
      if (!m_totalsRow || row != 0 || column < 0 || column >= ColumnCount())
        return {};
      return QRect(ColumnLeft(column), RowTop(area, 0), ColumnLeft(column + 1) - ColumnLeft(column),
                   RowPitch(area));
    case KvGridArea::Topic:
      return QRect(TableLeft(), BandTop(area), TableRight() - TableLeft(), RowPitch(area));
    default:
      return {};
  }
}

void KvGridModel::VisibleColumns(int x1, int x2, int& first, int& last) const {
  const int count = ColumnCount();
  first = 0;
  last = count - 1;
  if (count == 0 || m_edges.size() != count + 1)
    return;
  // The column whose left edge is at or left of x1 while the next one's is
  // right of it; the last column whose left edge lies left of x2.
  first = int(std::upper_bound(m_edges.begin(), m_edges.end() - 1, x1) - m_edges.begin()) - 1;
  first = qBound(0, first, count - 1);
  last = int(std::lower_bound(m_edges.begin(), m_edges.end() - 1, x2) - m_edges.begin()) - 1;
  last = qBound(first, last, count - 1);
}

KvGridHit KvGridModel::HitTest(QPoint point, int scrollX) const {
  KvGridHit hit;
  const int y = point.y();
  if (y < m_metrics.top)
    return hit;
  // The band: the last one whose top is at or above the point.
  const std::array<int, 7>& tops = bandTops();
  const int at = int(std::upper_bound(tops.begin(), tops.end(), y) - tops.begin()) - 1;
  if (at < 0)
    return hit;
  KvGridArea band = kBands[at];
  // Empty bands share their top with the next one: upper_bound found the
  // last of them, which is the one the point is in.
  const int pitch = RowPitch(band);
  const int row = (y - tops[at]) / qMax(1, pitch);
  if (band == KvGridArea::Tail) {
    if (y >= tops[at] + m_metrics.bottom)
      return hit;
    hit.area = band;
    hit.row = 0;
    return hit;
  }
  if (band == KvGridArea::Topic) {
    hit.area = band;
    hit.row = 0;
    return hit;
  }
  if (row >= RowCount(band, m_textRows))
    return hit;

  const bool columnBand =
      band == KvGridArea::FormHead || band == KvGridArea::Text || band == KvGridArea::FormFoot;
  int x = point.x();
  if (!columnBand || x >= ColumnLeft(FixedColumns()))
    x += scrollX;

  if (!columnBand) {
    const bool tail = band == KvGridArea::Foot;
    const int cells = NoteCellCount(tail, row);
    // The cell: the last one whose left edge is at or left of the point.
    int lo = 0, hi = cells;
    while (lo < hi) {
      const int mid = (lo + hi) / 2;
      if (NoteLeft(tail, row, mid) <= x)
        lo = mid + 1;
      else
        hi = mid;
    }
    if (lo == 0 || x >= TableRight())
      return hit;
    hit.area = band;
    hit.row = row;
    hit.column = lo - 1;
    return hit;
  }

  hit.row = row;
  if (x < TableLeft()) {
    if (band == KvGridArea::FormFoot)
      return KvGridHit();
    hit.area = band == KvGridArea::Text ? KvGridArea::TextL : KvGridArea::FormHeadL;
    return hit;
  }
  if (x >= TableRight() || m_edges.size() != ColumnCount() + 1)
    return KvGridHit();
  hit.area = band;
  hit.column = int(std::upper_bound(m_edges.begin(), m_edges.end(), x) - m_edges.begin()) - 1;
  if (band == KvGridArea::Text) {
    const int mark = MarkAt(hit.row, hit.column);
    if (mark >= 0) {
      hit.row = m_marks.at(mark).row1;
      hit.column = m_marks.at(mark).column1;
    }
  }
  return hit;
}

// --- Cells and selection ---

int KvGridModel::CellsInRow(KvGridArea area, int row) const {
  switch (area) {
    case KvGridArea::Head: return NoteCellCount(false, row);
    case KvGridArea::Foot: return NoteCellCount(true, row);
    case KvGridArea::Text: return row >= 0 && row < m_textRows ? ColumnCount() : 0;
    default: return 0;
  }
}

bool KvGridModel::CellExists(KvGridArea area, int row, int column) const {
  return column >= 0 && column < CellsInRow(area, row);
}

void KvGridModel::PlaceCaret(const KvGridCell& cell, bool extend) {
  m_current = cell;
  if (!extend)
    m_anchor = cell;
}

void KvGridModel::SetSelection(const KvGridCell& anchor, const KvGridCell& current) {
  m_anchor = anchor;
  m_current = current;
}

void KvGridModel::ClampSelection() {
  for (KvGridCell* cell : {&m_current, &m_anchor}) {
    if (CellExists(cell->area, cell->row, cell->column))
      continue;
    if (cell->area == KvGridArea::Text && m_textRows > 0 && ColumnCount() > 0) {
      cell->row = qBound(0, cell->row, m_textRows - 1);
      cell->column = qBound(0, cell->column, ColumnCount() - 1);
    } else if (CellsInRow(cell->area, cell->row) > 0) {
      cell->column = CellsInRow(cell->area, cell->row) - 1;
    } else {
      *cell = FirstCell();
    }
    cell->caret = 0;
  }
}

void KvGridModel::SelectedBlock(int& row1, int& column1, int& row2, int& column2) const {
  row1 = qMin(m_anchor.row, m_current.row);
  row2 = qMax(m_anchor.row, m_current.row);
  column1 = qMin(m_anchor.column, m_current.column);
  column2 = qMax(m_anchor.column, m_current.column);
}

bool KvGridModel::IsSelected(KvGridArea area, int row, int column) const {
  if (!SameArea() || area != m_current.area || SingleCell())
    return false;
  int r1, c1, r2, c2;
  SelectedBlock(r1, c1, r2, c2);
  return row >= r1 && row <= r2 && column >= c1 && column <= c2;
}

KvGridCell KvGridModel::FirstCell() const {
  for (KvGridArea area : kCellAreas) {
    for (int row = 0; row < RowCount(area, m_textRows); ++row)
      if (CellsInRow(area, row) > 0)
        return KvGridCell{0, row, 0, area};
  }
  return KvGridCell{};
}

KvGridCell KvGridModel::NextCell(const KvGridCell& cell) const {
  if (cell.column + 1 < CellsInRow(cell.area, cell.row))
    return KvGridCell{0, cell.row, cell.column + 1, cell.area};
  for (int order = qMax(0, areaOrder(cell.area)); order < 3; ++order) {
    const KvGridArea area = kCellAreas[order];
    const int from = area == cell.area ? cell.row + 1 : 0;
    for (int row = from; row < RowCount(area, m_textRows); ++row)
      if (CellsInRow(area, row) > 0)
        return KvGridCell{0, row, 0, area};
  }
  return cell;
}

KvGridCell KvGridModel::PreviousCell(const KvGridCell& cell) const {
  if (cell.column > 0 && CellExists(cell.area, cell.row, cell.column - 1))
    return KvGridCell{0, cell.row, cell.column - 1, cell.area};
  const int start = areaOrder(cell.area);
  for (int order = start < 0 ? 2 : start; order >= 0; --order) {
    const KvGridArea area = kCellAreas[order];
    const int from = area == cell.area ? cell.row - 1 : RowCount(area, m_textRows) - 1;
    for (int row = from; row >= 0; --row)
      if (CellsInRow(area, row) > 0)
        return KvGridCell{0, row, CellsInRow(area, row) - 1, area};
  }
  return cell;
}

KvGridCell KvGridModel::CellBelow(const KvGridCell& cell) const {
  for (int order = qMax(0, areaOrder(cell.area)); order < 3; ++order) {
    const KvGridArea area = kCellAreas[order];
    const int from = area == cell.area ? cell.row + 1 : 0;
    for (int row = from; row < RowCount(area, m_textRows); ++row) {
      const int cells = CellsInRow(area, row);
      if (cells > 0)
        return KvGridCell{0, row, qMin(cell.column, cells - 1), area};
    }
  }
  return cell;
}

KvGridCell KvGridModel::CellAbove(const KvGridCell& cell) const {
  const int start = areaOrder(cell.area);
  for (int order = start < 0 ? 2 : start; order >= 0; --order) {
    const KvGridArea area = kCellAreas[order];
    const int from = area == cell.area ? cell.row - 1 : RowCount(area, m_textRows) - 1;
    for (int row = from; row >= 0; --row) {
      const int cells = CellsInRow(area, row);
      if (cells > 0)
        return KvGridCell{0, row, qMin(cell.column, cells - 1), area};
    }
  }
  return cell;
}

// --- Command enabling ---

bool KvGridModel::CanCopy() const {
  return SameArea() && !(m_anchor.row == m_current.row && m_anchor.column == m_current.column &&
                         m_anchor.caret == m_current.caret);
}

// --- Undo ---

bool KvGridModel::PushUndo(const KvCellEdit& before, KvGridCellAccess& cells) {
  const QString& area = KvGridAreaName(m_current.area);
  const KvCellEdit present(m_current.caret, m_current.row, m_current.column, area,
                           cells.ReadCell(m_current.row, m_current.column, area));
  if (before == present)
    return false;
  if (!m_undo.isEmpty() && m_undo.constLast() == before)
    return false;
  m_undo.append(before);
  m_redo.clear();
  return true;
}

bool KvGridModel::UndoRedo(bool bUndo, KvGridCellAccess& cells, KvCellEdit* applied) {
  QList<KvCellEdit>& source = bUndo ? m_undo : m_redo;
  QList<KvCellEdit>& target = bUndo ? m_redo : m_undo;
  if (source.isEmpty())
    return false;
  const KvCellEdit step = source.takeLast();
  const KvGridArea area = KvGridAreaFromName(step.area);
  if (areaOrder(area) < 0 || !CellExists(area, step.row, step.column))
    return false;
  const QString present = cells.ReadCell(step.row, step.column, step.area);
  if (!(m_current.row == step.row && m_current.column == step.column && m_current.area == area))
    m_current.caret = 0;
  const KvCellEdit counter(m_current.caret, step.row, step.column, step.area, present);
  if (counter == step)
    return false;
  target.append(counter);
  cells.WriteCell(step.row, step.column, step.area, step.text);
  PlaceCaret(KvGridCell{step.caret, step.row, step.column, area}, false);
  if (applied)
    *applied = step;
  return true;
}
