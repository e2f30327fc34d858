// Drawing the form: on screen the part in view, on paper one page; and the
// print macros put into its texts.

#include "forms/CKvFormView.h"

#include "forms/CKvDoc.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

// Draws the lines of a cell: its right and bottom edges (the left and top
// ones belong to the neighbours).
void cellLines(QList<QLine>& lines, const QRect& rect) {
  lines.append(QLine(rect.right() + 1, rect.top(), rect.right() + 1, rect.bottom() + 1));
  lines.append(QLine(rect.left(), rect.bottom() + 1, rect.right() + 1, rect.bottom() + 1));
}

// Draws the grid's thin lines. On screen they are one pixel wide and run
// along the pixel rows and columns, so each is filled as the rectangle of
// the pixels the pen would set: the same picture for a fraction of the
// line drawing's cost. On paper they stay lines of the pen.
void drawThinLines(QPainter& painter, const QList<QLine>& lines, const KvGridPass& pass) {
  if (lines.isEmpty())
    return;
  if (pass.printing || pass.thinLine > 1) {
    painter.setPen(QPen(Qt::black, pass.thinLine));
    painter.drawLines(lines);
    return;
  }
  for (const QLine& line : lines)
    painter.fillRect(QRect(line.p1(), line.p2()).normalized(), Qt::black);
}

}  // namespace

// --- Macros ---

void CKvFormView::PrepareMacros() {
  // A note without a text takes its field's default; the view's copy keeps
  // it for the following pages.
  const QList<KvHeadNote>& notes = m_model.Notes();
  for (int i = 0; i < notes.size(); ++i) {
    if (notes.at(i).sWords.isEmpty()) {
      const QString text = KvDefaultNoteText(notes.at(i).sNote);
      if (!text.isEmpty())
        m_model.SetNoteText(i, text);
    }
  }
}

QString CKvFormView::FilterText(const QString& text, const KvGridPass& pass) const {
  KvMacroPage page;
  page.printing = pass.printing;
  page.overlay = pass.overlay;
  page.totalPages = pass.totalPages;
  page.page = pass.page;
  page.pageOffset = m_pDoc ? m_pDoc->GetPageOffset() : 0;
  return KvExpandMacros(text, page, m_pDoc ? &m_pDoc->m_macros : nullptr);
}

QString CKvFormView::GetExpandedTitle() const {
  return KvReplaceMacros(m_strTitle, KvMacroPage(), m_pDoc ? &m_pDoc->m_macros : nullptr);
}

// --- Passes ---

KvGridPass CKvFormView::ScreenPass() const {
  KvGridPass pass;
  pass.rowCount = m_model.TextRowCount();
  pass.scroll = QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
  pass.clip = viewport()->rect();
  pass.fonts = m_fonts;
  for (int role = 0; role < CKvPrintSet::FontCount; ++role)
    pass.colors[role] = m_printSet.FontColors[role];
  pass.background = m_printSet.GetBkColor(viewport());
  return pass;
}

void CKvFormView::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  KvGridPass pass = ScreenPass();
  pass.clip = event->rect();
  painter.fillRect(event->rect(), pass.background);
  DrawForm(painter, m_model, pass);
}

// --- Drawing ---

void CKvFormView::DrawCellText(QPainter& painter, const QString& text, const QRect& rect,
                               const QString& align, int pad) const {
  if (text.isEmpty())
    return;
  // Captions break at a backslash, shown texts at line breaks.
  QStringList lines;
  for (const QString& part : text.contains(u'\\') ? KvSplitCaptionLines(text) : QStringList{text})
    lines += part.split(u'\n');
  const QFontMetrics metrics(painter.font(), painter.device());
  const int lineHeight = metrics.height();
  const int count = int(lines.size());
  const int gap = rect.height() >= count * lineHeight ? (rect.height() - count * lineHeight) / (2 * count) : 0;
  int y = rect.top() + gap;
  for (const QString& line : lines) {
    const int width = metrics.horizontalAdvance(line);
    int x;
    if (rect.width() <= width + 2 * pad)
      x = rect.left();
    else if (align == QLatin1String("MID"))
      x = rect.left() + (rect.width() - width) / 2;
    else if (align == QLatin1String("LEFT"))
      x = rect.left() + pad;
    else
      x = rect.left() + rect.width() - pad - width;
    painter.drawText(QPoint(x, y + metrics.ascent()), line);
    y += lineHeight + 2 * gap;
  }
}

void CKvFormView::DrawNoteRow(QPainter& painter, const KvGridModel& model, const KvGridPass& pass, bool bTail,
                              int nRow) {
  const KvGridArea area = bTail ? KvGridArea::Foot : KvGridArea::Head;
  const QString& name = KvGridAreaName(area);
  const int top = model.RowTop(area, nRow, pass.rowCount);
  const int height = model.RowPitch(area);
  // On screen a row outside the part being drawn is left out.
  if (!pass.printing &&
      (top + height <= pass.clip.top() + pass.scroll.y() || top > pass.clip.bottom() + pass.scroll.y()))
    return;
  painter.setFont(pass.fonts[AreaRole(area)]);
  const QList<KvNotePlace> places = NotePlaces(model, pass, painter.device(), bTail, nRow);
  for (int cell = 0; cell < places.size(); ++cell) {
    const KvNotePlace& place = places.at(cell);
    if (!pass.printing && model.IsSelected(area, nRow, cell))
      painter.fillRect(place.rect, palette().color(QPalette::Highlight).lighter(180));
    painter.setPen(pass.printing ? pass.colors[AreaRole(area)] : GetCellColor(nRow, cell, name));
    DrawCellText(painter, place.text, place.rect, QStringLiteral("LEFT"), model.Metrics().pad);
  }
}

QList<KvNotePlace> CKvFormView::NotePlaces(const KvGridModel& model, const KvGridPass& pass,
                                           const QPaintDevice* device, bool bTail, int nRow) {
  const KvGridArea area = bTail ? KvGridArea::Foot : KvGridArea::Head;
  const QFontMetrics metrics(pass.fonts[AreaRole(area)], device);
  const int top = model.RowTop(area, nRow, pass.rowCount);
  const int height = model.RowPitch(area);
  const int pad = model.Metrics().pad;
  QList<KvNotePlace> places;
  // Where the text before the note ends; an empty note moved right keeps
  // its frame's width.
  int textEnd = 0;
  for (int cell = 0; cell < model.NoteCellCount(bTail, nRow); ++cell) {
    const int note = model.NoteIndex(bTail, nRow, cell);
    const int own = model.NoteLeft(bTail, nRow, cell);
    const int width = model.NoteRight(bTail, nRow, cell) - own;
    // A note moves right, two blanks after a text that runs into its frame.
    const int left = textEnd > own ? textEnd + metrics.horizontalAdvance(QStringLiteral("  ")) : own;
    KvNotePlace place{QRect(left, top, width, height), {}};
    if (!pass.overlay || model.Notes().at(note).bIsUse)
      place.text = FilterText(GetDisplayText(nRow, cell, area), pass);
    if (!place.text.isEmpty())
      textEnd = left + pad + metrics.horizontalAdvance(place.text);
    else if (left > own)
      textEnd = left + width;
    // A frame ends where the next note starts.
    if (cell > 0)
      places.last().rect.setRight(left - 1);
    places.append(place);
  }
  return places;
}

QRect CKvFormView::CellPlace(KvGridArea area, int row, int column) {
  if (area != KvGridArea::Head && area != KvGridArea::Foot)
    return m_model.CellRect(area, row, column);
  if (m_model.NoteIndex(area == KvGridArea::Foot, row, column) < 0)
    return {};
  return NotePlaces(m_model, ScreenPass(), viewport(), area == KvGridArea::Foot, row).value(column).rect;
}

void CKvFormView::DrawTotalsRow(QPainter& painter, const KvGridModel& model, const KvGridPass& pass,
                                int firstCol, int lastCol) {
  QString label;
  QStringList totals;
  if (!GetTotalsRow(pass, label, totals))
    return;
  const int top = model.RowTop(KvGridArea::FormFoot, 0, pass.rowCount);
  const int height = model.RowPitch(KvGridArea::FormFoot);
  const int pad = model.Metrics().pad;
  painter.setFont(pass.fonts[CKvPrintSet::TextFont]);
  painter.setPen(pass.colors[CKvPrintSet::TextFont]);
  // The label spans the columns in front of the first summed one; with a
  // summed first column there is no room for it.
  int span = 0;
  while (span < model.ColumnCount() && !model.Columns().at(span).IsSummed())
    ++span;
  if (span == 0)
    label.clear();
  QList<QLine> lines;
  if (firstCol < span && !label.isEmpty()) {
    const QRect rect(QPoint(model.ColumnLeft(0), top), QPoint(model.ColumnLeft(span) - 1, top + height - 1));
    DrawCellText(painter, label, rect, QStringLiteral("LEFT"), pad);
  }
  for (int c = qMax(firstCol, 0); c <= lastCol; ++c) {
    const QRect rect(QPoint(model.ColumnLeft(c), top), QPoint(model.ColumnLeft(c + 1) - 1, top + height - 1));
    if (c < totals.size() && !totals.at(c).isEmpty() && !(c < span && !label.isEmpty()))
      DrawCellText(painter, totals.at(c), rect, QStringLiteral("RIGHT"), pad);
    if (!pass.overlay) {
      if (c + 1 >= span)
        lines.append(QLine(rect.right() + 1, rect.top(), rect.right() + 1, rect.bottom() + 1));
      lines.append(QLine(rect.left(), rect.bottom() + 1, rect.right() + 1, rect.bottom() + 1));
    }
  }
  drawThinLines(painter, lines, pass);
}

void CKvFormView::drawColumns(QPainter& painter, const KvGridModel& model, const KvGridPass& pass,
                              int firstCol, int lastCol) {
  const int pad = model.Metrics().pad;
  const int columns = model.ColumnCount();
  const QPen thick(Qt::black, pass.thickLine);
  const int tableLeft = model.ColumnLeft(0);
  const int tableRight = model.ColumnLeft(columns);
  const int headTop = model.BandTop(KvGridArea::FormHead, pass.rowCount);
  const int textTop = model.BandTop(KvGridArea::Text, pass.rowCount);
  const int pitch = model.RowPitch(KvGridArea::Text);
  const int bottom = model.BandTop(KvGridArea::Foot, pass.rowCount);
  QList<QLine> lines;

  // Column heads: each block once, with its caption.
  if (!pass.overlay && model.ColumnHeadRows() > 0) {
    painter.setFont(pass.fonts[CKvPrintSet::TextFont]);
    painter.setPen(pass.colors[CKvPrintSet::TextFont]);
    for (int r = 0; r < model.ColumnHeadRows(); ++r) {
      for (int c = firstCol; c <= lastCol; ++c) {
        const int block = model.BlockAt(r, c);
        const QRect rect = model.CellRect(KvGridArea::FormHead, r, c)
                               .translated(0, headTop - model.BandTop(KvGridArea::FormHead));
        // A block is drawn from its first cell in the range.
        if (block >= 0) {
          const KvTopWord& word = model.ColumnHead().at(block);
          const int c1 = qMax(firstCol, qMin(word.nCol1, word.nCol2) - 1);
          const int r1 = qMin(word.nRow1, word.nRow2) - 1;
          if (c != c1 || r != qMax(0, r1))
            continue;
          DrawCellText(painter, FilterText(word.sWords, pass), rect, QStringLiteral("MID"), pad);
        }
        cellLines(lines, rect);
      }
    }
  }

  // The rows in view.
  int first = 0;
  int last = pass.rowCount - 1;
  if (!pass.printing) {
    first = qMax(0, (pass.clip.top() + pass.scroll.y() - textTop) / pitch);
    last = qMin(last, (pass.clip.bottom() + pass.scroll.y() - textTop) / pitch);
  }
  painter.setFont(pass.fonts[CKvPrintSet::TextFont]);
  const QColor highlight = palette().color(QPalette::Highlight).lighter(180);
  const KvGridCell current = model.Current();
  for (int i = first; i <= last; ++i) {
    const int row = pass.firstRow + i;
    const int top = textTop + i * pitch;
    for (int c = firstCol; c <= lastCol; ++c) {
      QRect rect(QPoint(model.ColumnLeft(c), top), QPoint(model.ColumnLeft(c + 1) - 1, top + pitch - 1));
      const int mark = model.MarkAt(row, c);
      if (mark >= 0) {
        // A merged range is drawn once, from its first cell on the page.
        const KvGridMark& range = model.Marks().at(mark);
        const int r1 = qMax(range.row1, pass.firstRow + first);
        const int c1 = qMax(range.column1, firstCol);
        if (row != r1 || c != c1)
          continue;
        const int r2 = qMin(range.row2, pass.firstRow + last);
        const int c2 = qMin(range.column2, lastCol);
        rect = QRect(QPoint(model.ColumnLeft(c1), top),
                     QPoint(model.ColumnLeft(c2 + 1) - 1, top + (r2 - r1 + 1) * pitch - 1));
      }
      if (!pass.printing && model.IsSelected(KvGridArea::Text, row, c))
        painter.fillRect(rect, highlight);
      const QString text = GetDisplayText(row, c, KvGridArea::Text);
      if (!text.isEmpty()) {
        painter.setPen(pass.printing ? pass.colors[CKvPrintSet::TextFont]
                                     : GetCellColor(row, c, KvGridAreaName(KvGridArea::Text)));
        DrawCellText(painter, text, rect, model.Columns().at(c).alignment, pad);
      }
      if (!pass.overlay)
        cellLines(lines, rect);
    }
  }
  if (!pass.overlay)
    drawThinLines(painter, lines, pass);
  lines.clear();

  if (model.HasTotalsRow())
    DrawTotalsRow(painter, model, pass, firstCol, lastCol);

  if (pass.overlay)
    return;
  // The frame: the outer edges of the table drawn thicker.
  painter.setPen(thick);
  const int frameTop = model.ColumnHeadRows() > 0 ? headTop : textTop;
  const int x1 = model.ColumnLeft(firstCol);
  const int x2 = model.ColumnLeft(lastCol + 1);
  if (frameTop < bottom) {
    painter.drawLine(x1, frameTop, x2, frameTop);
    painter.drawLine(x1, bottom, x2, bottom);
    if (firstCol == 0)
      painter.drawLine(tableLeft, frameTop, tableLeft, bottom);
    if (lastCol == columns - 1)
      painter.drawLine(tableRight, frameTop, tableRight, bottom);
  }
  // The current cell on screen.
  if (!pass.printing && current.area == KvGridArea::Text && current.column >= firstCol &&
      current.column <= lastCol) {
    const QRect rect = model.CellRect(KvGridArea::Text, current.row, current.column);
    if (!rect.isEmpty()) {
      painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
      painter.drawRect(rect.adjusted(1, 1, 0, 0));
    }
  }
}

void CKvFormView::DrawForm(QPainter& painter, const KvGridModel& model, KvGridPass pass) {
  const QPoint scroll = pass.printing ? QPoint() : pass.scroll;
  const int pad = model.Metrics().pad;

  // Title and note rows scroll with the page.
  painter.save();
  painter.translate(-scroll);
  if (!pass.overlay || (m_nOptions & 2)) {
    painter.setFont(pass.fonts[CKvPrintSet::TitleFont]);
    painter.setPen(pass.colors[CKvPrintSet::TitleFont]);
    const QRect rect(model.TableLeft(), model.BandTop(KvGridArea::Topic, pass.rowCount),
                     model.TableRight() - model.TableLeft(), model.RowPitch(KvGridArea::Topic));
    DrawCellText(painter, FilterText(m_strTitle, pass), rect, QStringLiteral("MID"), pad);
  }
  for (int row = 0; row < model.HeadRowCount(); ++row)
    DrawNoteRow(painter, model, pass, false, row);
  for (int row = 0; row < model.FootRowCount(); ++row)
    DrawNoteRow(painter, model, pass, true, row);
  // The current note cell on screen.
  const KvGridCell current = model.Current();
  if (!pass.printing && (current.area == KvGridArea::Head || current.area == KvGridArea::Foot)) {
    const QRect rect = noteBox(current);
    if (!rect.isEmpty()) {
      painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
      painter.drawRect(rect.adjusted(1, 1, 0, 0));
    }
  }
  painter.restore();

  if (model.ColumnCount() == 0)
    return;
  const int fixed = model.FixedColumns();
  int first = 0;
  int last = model.ColumnCount() - 1;
  if (!pass.printing)
    model.VisibleColumns(scroll.x() + model.ColumnLeft(fixed), scroll.x() + pass.clip.right() + 1, first, last);
  if (pass.printing || fixed == 0 || scroll.x() == 0) {
    painter.save();
    painter.translate(-scroll);
    drawColumns(painter, model, pass, pass.printing || scroll.x() == 0 ? 0 : first, last);
    painter.restore();
    return;
  }
  // Scrolled sideways with fixed columns: the moving columns right of the
  // fixed ones, then the fixed ones in place.
  const int fixedRight = model.ColumnLeft(fixed);
  painter.save();
  painter.setClipRect(QRect(fixedRight, 0, qMax(0, pass.clip.right() + 1 - fixedRight), 1 << 24),
                      Qt::IntersectClip);
  painter.translate(-scroll);
  if (first < fixed)
    first = fixed;
  if (first <= last)
    drawColumns(painter, model, pass, first, last);
  painter.restore();
  painter.save();
  painter.translate(0, -scroll.y());
  drawColumns(painter, model, pass, 0, fixed - 1);
  painter.restore();
}
