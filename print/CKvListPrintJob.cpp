#include "print/CKvListPrintJob.h"

#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "print/CKvPrintSet.h"
#include "ui/KvListPrint.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace {

QStringList linesOf(const QString& text) {
  if (text.isEmpty())
    return {};
  QString normalized = text;
  normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return normalized.split(u'\n');
}

Qt::Alignment horizontalOf(Qt::Alignment alignment) {
  const Qt::Alignment horizontal = alignment & Qt::AlignHorizontal_Mask;
  return horizontal ? horizontal : Qt::AlignLeft;
}

// Widens every column to at least its need: first from the page's unused
// width, then from the columns wider than their needs, each in proportion
// to its room to spare. The needs together fit the room.
void widenToNeeds(QList<double>* widths, const QList<double>& needs, double room) {
  double used = 0.0;
  double deficit = 0.0;
  double spare = 0.0;
  for (qsizetype i = 0; i < widths->size(); ++i) {
    used += widths->at(i);
    deficit += qMax(0.0, needs.at(i) - widths->at(i));
    spare += qMax(0.0, widths->at(i) - needs.at(i));
  }
  const double fromSpare = qMax(0.0, deficit - qMax(0.0, room - used));
  const double share = spare > 0.0 ? qMin(1.0, fromSpare / spare) : 0.0;
  for (qsizetype i = 0; i < widths->size(); ++i) {
    double& width = (*widths)[i];
    width = width < needs.at(i) ? needs.at(i) : width - (width - needs.at(i)) * share;
  }
}

}  // namespace

CKvListPrintJob::CKvListPrintJob(const KvRowSource& rows, const CKvPageFormat& format,
                                 const QMap<int, int>& columnWidths, int lineSpacing)
    : m_rows(rows),
      m_format(format),
      m_columnWidths(columnWidths),
      m_lineSpacing(qMax(0, lineSpacing)),
      m_headLines(linesOf(format.Head)),
      m_footLines(linesOf(format.Foot)) {
  SetTitle(format.Title);
}

KvPaperRequest CKvListPrintJob::Paper() const {
  KvPaperRequest request;
  request.width = m_format.PrintWidth();
  request.height = m_format.PrintLength();
  request.orientation = m_format.IsLandscape() ? KV_ORIENT_LANDSCAPE : KV_ORIENT_PORTRAIT;
  request.left = m_format.Left;
  request.top = m_format.Top;
  request.right = m_format.Right;
  request.bottom = m_format.Bottom;
  return request;
}

void CKvListPrintJob::layOut(const KvPageMap& map) {
  Layout layout;
  layout.unitsX = map.UnitsX();
  layout.paper = map.Paper();
  QPaintDevice* device = map.Device();
  int heights[CKvPageFormat::FontCount];
  for (int role = 0; role < CKvPageFormat::FontCount; ++role) {
    layout.fonts[role] = map.Font(m_format.Fonts[role]);
    heights[role] = device ? QFontMetrics(layout.fonts[role], device).height()
                           : QFontMetrics(layout.fonts[role]).height();
  }
  // The page as it lies may differ from the format's paper (a printer that
  // kept its own paper): the margins count from its edges.
  const QSize paper = map.Paper().isEmpty()
                          ? QSize(m_format.PrintWidth(), m_format.PrintLength())
                          : map.Paper();
  layout.left = map.X(m_format.Left);
  layout.right = qMax(layout.left + 1, map.X(paper.width() - m_format.Right));
  layout.top = map.Y(m_format.Top);
  layout.bottom = qMax(layout.top + 1, map.Y(paper.height() - m_format.Bottom));
  layout.gap = map.Y(m_lineSpacing);
  layout.titleHeight = m_format.Title.isEmpty() ? 0 : heights[CKvPageFormat::TitleFont];
  layout.headLine = heights[CKvPageFormat::HeadFont];
  layout.rowPitch = heights[CKvPageFormat::TextFont] + layout.gap;
  layout.footLine = heights[CKvPageFormat::FootFont];

  layout.tableTop = layout.top;
  if (layout.titleHeight > 0)
    layout.tableTop += layout.titleHeight + layout.gap;
  if (!m_headLines.isEmpty())
    layout.tableTop += static_cast<int>(m_headLines.size()) * layout.headLine + layout.gap / 2;
  const int footBlock =
      (1 + static_cast<int>(m_footLines.size())) * layout.footLine + layout.gap / 2;
  const int room = layout.bottom - footBlock - layout.tableTop - layout.rowPitch;
  const int fit = qMax(1, room / qMax(1, layout.rowPitch));
  // Rows per page asked for are kept as long as they fit: more would run
  // over the foot and off the paper.
  layout.rowsPerPage = m_format.Rows > 0 ? qMin(m_format.Rows, fit) : fit;
  m_layout = layout;
  layOutColumns(map);
  m_laidOut = true;
}

void CKvListPrintJob::layOutColumns(const KvPageMap& map) {
  Layout& layout = m_layout;
  const int count = m_rows.ColumnCount();
  const double room = layout.right - layout.left;

  // Stored widths count only when they cover every column shown.
  bool stored = !m_columnWidths.isEmpty();
  for (int c = 0; stored && c < count; ++c) {
    if (m_rows.ColumnPixelWidth(c) > 0 && m_columnWidths.value(c, 0) <= 0)
      stored = false;
  }

  QList<int> columns;
  QList<double> widths;
  double total = 0.0;
  if (stored) {
    // One character of the stored width is half a Chinese character of the
    // text font; each column keeps one more as its padding.
    QPaintDevice* device = map.Device();
    const QFont& font = layout.fonts[CKvPageFormat::TextFont];
    const double unit = (device ? QFontMetricsF(font, device) : QFontMetricsF(font))
                            .horizontalAdvance(QStringLiteral("汉")) / 2.0;
    for (int c = 0; c < count; ++c) {
      const int chars = m_columnWidths.value(c, 0);
      if (chars <= 0)
        continue;
      columns.append(c);
      widths.append((chars + 1) * unit);
      total += widths.last();
    }
  } else {
    for (int c = 0; c < count; ++c) {
      const int pixels = m_rows.ColumnPixelWidth(c);
      if (pixels <= 0)
        continue;
      columns.append(c);
      widths.append(pixels);
      total += pixels;
    }
  }
  const double scale = total <= 0.0 ? 0.0 : (stored && total <= room ? 1.0 : room / total);
  for (double& width : widths)
    width *= scale;

  // What each column needs so that none of its texts is cut, with half a
  // millimetre to spare for the printer's own rounding.
  layout.pad = qMax(1, map.X(10));
  QList<double> needs = widestTexts(columns, map);
  double needed = 0.0;
  for (double& need : needs) {
    need += 2 * layout.pad + map.X(5);
    needed += need;
  }
  const auto addBand = [&](qsizetype first, qsizetype end, const QList<double>& bandWidths) {
    Layout::Band band;
    double edge = layout.left;
    band.edges.append(layout.left);
    for (qsizetype i = first; i < end; ++i) {
      band.columns.append(columns.at(i));
      edge += bandWidths.at(i - first);
      band.edges.append(static_cast<int>(std::lround(edge)));
    }
    layout.bands.append(band);
  };
  if (needed <= room) {
    widenToNeeds(&widths, needs, room);
    addBand(0, columns.size(), widths);
    return;
  }
  // Too many for one page: as many columns as fit go on each page, each
  // with its need and a share of the page's rest.
  for (qsizetype first = 0; first < columns.size();) {
    qsizetype end = first;
    double sum = 0.0;
    while (end < columns.size() && (end == first || sum + needs.at(end) <= room))
      sum += needs.at(end++);
    QList<double> bandWidths;
    for (qsizetype i = first; i < end; ++i)
      bandWidths.append(qMin(room, needs.at(i) + qMax(0.0, room - sum) * needs.at(i) / sum));
    if (sum > room && !m_toldTooWide) {
      m_toldTooWide = true;
      const QString title = m_rows.ColumnTitle(columns.at(first));
      KvMessageBox(QStringLiteral("“%1”一栏的内容比纸宽，打印不全！").arg(title), KV_MB_OK | KV_MB_ICONINFORMATION);
    }
    addBand(first, end, bandWidths);
    first = end;
  }
}

QList<double> CKvListPrintJob::widestTexts(const QList<int>& columns, const KvPageMap& map) const {
  QPaintDevice* device = map.Device();
  const QFont& font = m_layout.fonts[CKvPageFormat::TextFont];
  const QFontMetricsF metrics = device ? QFontMetricsF(font, device) : QFontMetricsF(font);
  QList<double> widest;
  for (int column : columns) {
    double width = metrics.horizontalAdvance(m_rows.ColumnTitle(column));
    for (int row = 0; row < m_rows.RowCount(); ++row)
      width = qMax(width, metrics.horizontalAdvance(m_rows.CellText(row, column)));
    widest.append(width);
  }
  return widest;
}

int CKvListPrintJob::PageCount(const KvPageMap& map) {
  layOut(map);
  const int rows = m_rows.RowCount();
  return qMax(1, (rows + m_layout.rowsPerPage - 1) / m_layout.rowsPerPage) *
         static_cast<int>(m_layout.bands.size());
}

void CKvListPrintJob::PrintPage(QPainter& painter, const KvPageMap& map, int page) {
  if (!m_laidOut || m_layout.unitsX != map.UnitsX() || m_layout.paper != map.Paper())
    layOut(map);
  const Layout& layout = m_layout;
  const int width = layout.right - layout.left;
  auto useFont = [&](int role) {
    painter.setFont(layout.fonts[role]);
    painter.setPen(m_format.FontColors[role]);
  };

  if (layout.titleHeight > 0) {
    useFont(CKvPageFormat::TitleFont);
    painter.drawText(QRect(layout.left, layout.top, width, layout.titleHeight),
                     Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, m_format.Title);
  }
  if (!m_headLines.isEmpty()) {
    useFont(CKvPageFormat::HeadFont);
    int y = layout.top + (layout.titleHeight > 0 ? layout.titleHeight + layout.gap : 0);
    for (const QString& line : m_headLines) {
      painter.drawText(QRect(layout.left, y, width, layout.headLine),
                       Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, line);
      y += layout.headLine;
    }
  }

  // Each page of rows is followed by the pages that continue its columns.
  const int bandCount = static_cast<int>(layout.bands.size());
  const Layout::Band& band = layout.bands.at(page % bandCount);
  const int first = page / bandCount * layout.rowsPerPage;
  const int last = qMin(m_rows.RowCount(), first + layout.rowsPerPage);
  const int shown = qMax(0, last - first);
  const int columns = static_cast<int>(band.columns.size());
  const int pad = layout.pad;

  useFont(CKvPageFormat::TextFont);
  auto drawRow = [&](int y, const auto& textOf, bool titles) {
    for (int i = 0; i < columns; ++i) {
      const int column = band.columns.at(i);
      const QRect cell(band.edges.at(i) + pad, y, band.edges.at(i + 1) - band.edges.at(i) - 2 * pad,
                       layout.rowPitch);
      const Qt::Alignment horizontal =
          titles ? Qt::AlignHCenter : horizontalOf(m_rows.ColumnAlignment(column));
      // Only a column wider than the page is narrower than a text of it.
      const QString text = painter.fontMetrics().elidedText(textOf(column), Qt::ElideRight, cell.width());
      painter.drawText(cell, horizontal | Qt::AlignVCenter | Qt::TextSingleLine, text);
    }
  };
  drawRow(layout.tableTop, [&](int column) { return m_rows.ColumnTitle(column); }, true);
  for (int row = first; row < last; ++row) {
    const int y = layout.tableTop + (row - first + 1) * layout.rowPitch;
    drawRow(y, [&](int column) { return m_rows.CellText(row, column); }, false);
  }

  // The grid: a line under every row and between every two columns.
  QPen pen(Qt::black);
  pen.setWidth(qMax(1, map.X(1.5)));
  painter.setPen(pen);
  const int tableBottom = layout.tableTop + (shown + 1) * layout.rowPitch;
  const int tableLeft = band.edges.first();
  const int tableRight = band.edges.last();
  for (int r = 0; r <= shown + 1; ++r) {
    const int y = layout.tableTop + r * layout.rowPitch;
    painter.drawLine(tableLeft, y, tableRight, y);
  }
  for (int edge : band.edges)
    painter.drawLine(edge, layout.tableTop, edge, tableBottom);

  useFont(CKvPageFormat::FootFont);
  const int numberTop = layout.bottom - layout.footLine;
  int y = numberTop - layout.gap / 2 - static_cast<int>(m_footLines.size()) * layout.footLine;
  for (const QString& line : m_footLines) {
    painter.drawText(QRect(layout.left, y, width, layout.footLine),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, line);
    y += layout.footLine;
  }
  painter.drawText(QRect(layout.left, numberTop, width, layout.footLine),
                   Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine,
                   KvFormat(QStringLiteral("第 %d 页"), page + 1));
}

bool KvPrintList(const KvRowSource& rows, const KvListPrintTarget& target, int command,
                 QWidget* parent) {
  CKvPageFormat format;
  // A format that cannot be read has been reported; the list still prints
  // with the values it holds.
  KvLoadListPageFormat(target, &format);
  QMap<int, int> widths;
  int spacing = CKvPrintSet().PageSpace;
  if (target.printSet) {
    widths = target.printSet->ColumnWidths;
    spacing = target.printSet->PageSpace;
  }
  CKvListPrintJob job(rows, format, widths, spacing);
  if (!target.title.isEmpty())
    job.SetTitle(target.title);
  return job.Run(command, parent);
}
