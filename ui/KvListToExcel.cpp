// The workbook writer of list export (declared in ui/KvListExport.h).

#include "core/KvNumberText.h"
#include "ui/KvExportColumnKind.h"
#include "ui/KvExportWriteError.h"
#include "ui/KvListExport.h"
#include "ui/KvListPrint.h"
#include "ui/KvReplacingFile.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <xlsxwriter.h>

namespace {

// The longest text a workbook cell holds.
constexpr qsizetype kMaxCellText = 32767;

const char* const kFontName = "宋体";
constexpr double kFontSize = 10;
constexpr double kTitleFontSize = 14;
constexpr double kTitleRowHeight = 24;

// Where a cell stands in the bordered table (column titles and data): an
// edge of the table gets a thick line, a line between two cells a thin one.
struct Edges {
  bool top = false, bottom = false, left = false, right = false;
};

uint8_t alignmentOf(Qt::Alignment alignment) {
  if (alignment & Qt::AlignRight)
    return LXW_ALIGN_RIGHT;
  if (alignment & Qt::AlignHCenter)
    return LXW_ALIGN_CENTER;
  return LXW_ALIGN_LEFT;
}

void setEdges(lxw_format* format, const Edges& edges) {
  format_set_top(format, edges.top ? LXW_BORDER_THICK : LXW_BORDER_THIN);
  format_set_bottom(format, edges.bottom ? LXW_BORDER_THICK : LXW_BORDER_THIN);
  format_set_left(format, edges.left ? LXW_BORDER_THICK : LXW_BORDER_THIN);
  format_set_right(format, edges.right ? LXW_BORDER_THICK : LXW_BORDER_THIN);
}

lxw_format* fontFormat(lxw_workbook* book, double size) {
  lxw_format* format = workbook_add_format(book);
  format_set_font_name(format, kFontName);
  format_set_font_size(format, size);
  return format;
}

// The formats of one column: its title cell, its data cells and its cell
// in the last row.
struct ColumnFormats {
  lxw_format* title = nullptr;
  lxw_format* data = nullptr;
  lxw_format* lastData = nullptr;
};

lxw_format* dataFormat(lxw_workbook* book, const KvExportColumn& kind, uint8_t align,
                       const Edges& edges) {
  lxw_format* format = fontFormat(book, kFontSize);
  if (kind.kind == KvExportColumn::Text) {
    format_set_num_format(format, "@");
    format_set_align(format, align);
  } else {
    format_set_num_format(format, KvNumberFormatPattern(kind.decimals).toUtf8().constData());
  }
  format_set_align(format, LXW_ALIGN_VERTICAL_CENTER);
  setEdges(format, edges);
  return format;
}

ColumnFormats columnFormats(lxw_workbook* book, const KvExportColumn& kind, uint8_t align,
                            bool first, bool last) {
  ColumnFormats formats;
  formats.title = fontFormat(book, kFontSize);
  format_set_num_format(formats.title, "@");
  format_set_bold(formats.title);
  format_set_align(formats.title, LXW_ALIGN_CENTER);
  format_set_align(formats.title, LXW_ALIGN_VERTICAL_CENTER);
  format_set_text_wrap(formats.title);
  setEdges(formats.title, Edges{true, false, first, last});
  formats.data = dataFormat(book, kind, align, Edges{false, false, first, last});
  formats.lastData = dataFormat(book, kind, align, Edges{false, true, first, last});
  return formats;
}

// A list column's width on screen in a workbook's character units.
double characterWidth(int pixels) { return pixels > 5 ? (pixels - 5) / 7.0 : 0.0; }

// Writes a text cell; false when the text is too long or the write fails.
bool writeText(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, const QString& text,
               lxw_format* format) {
  if (text.size() > kMaxCellText)
    return false;
  return worksheet_write_string(sheet, row, column, text.toUtf8().constData(), format) ==
         LXW_NO_ERROR;
}

bool writeSheet(lxw_workbook* book, const KvRowSource& rows, const QString& title) {
  lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
  if (!sheet)
    return false;
  const int columns = rows.ColumnCount();
  const int count = rows.RowCount();
  const lxw_col_t lastColumn = lxw_col_t(columns - 1);

  lxw_format* titleFormat = fontFormat(book, kTitleFontSize);
  format_set_num_format(titleFormat, "@");
  format_set_bold(titleFormat);
  format_set_align(titleFormat, LXW_ALIGN_CENTER);
  format_set_align(titleFormat, LXW_ALIGN_VERTICAL_CENTER);
  if (title.size() > kMaxCellText)
    return false;
  const QByteArray titleText = title.toUtf8();
  if ((columns > 1 ? worksheet_merge_range(sheet, 0, 0, 0, lastColumn, titleText.constData(),
                                           titleFormat)
                   : worksheet_write_string(sheet, 0, 0, titleText.constData(), titleFormat)) !=
      LXW_NO_ERROR)
    return false;
  worksheet_set_row(sheet, 0, kTitleRowHeight, nullptr);

  QList<KvExportColumn> kinds;
  QList<ColumnFormats> formats;
  for (int c = 0; c < columns; ++c) {
    kinds += KvExportColumnKind(rows, c);
    formats += columnFormats(book, kinds[c], alignmentOf(rows.ColumnAlignment(c)), c == 0,
                             c == columns - 1);
    worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), characterWidth(rows.ColumnPixelWidth(c)),
                         nullptr);
    if (!writeText(sheet, 1, lxw_col_t(c), rows.ColumnTitle(c), formats[c].title))
      return false;
  }

  for (int r = 0; r < count; ++r) {
    const lxw_row_t row = lxw_row_t(r + 2);
    for (int c = 0; c < columns; ++c) {
      lxw_format* format = r == count - 1 ? formats[c].lastData : formats[c].data;
      const QString cell = KvExportCellText(rows, r, c);
      const bool written =
          kinds[c].kind == KvExportColumn::Text
              ? writeText(sheet, row, lxw_col_t(c), cell, format)
              : worksheet_write_number(sheet, row, lxw_col_t(c), KvExportCellNumber(cell),
                                       format) == LXW_NO_ERROR;
      if (!written)
        return false;
    }
  }
  return true;
}

}  // namespace

bool KvListToExcel(const KvRowSource& rows, const QString& path, const QString& title) {
  if (rows.RowCount() <= 0 || rows.ColumnCount() <= 0)
    return false;
  KvReplacingFile target(path);
  const QString temporary = target.TemporaryPath();
  bool written = false;
  if (!temporary.isEmpty()) {
    lxw_workbook* book = workbook_new(QFile::encodeName(temporary).constData());
    if (book) {
      written = writeSheet(book, rows, title);
      // Closing writes the file (and frees the workbook in any case).
      written = workbook_close(book) == LXW_NO_ERROR && written;
    }
  }
  if (written && target.Commit())
    return true;
  KvShowExportWriteError(path);
  return false;
}
