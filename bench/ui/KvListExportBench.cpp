// The workbook export of a 50,000 x 8 list against libxlsxwriter writing
// the same cells with the same formats. The raw writer is handed the cells
// already as UTF-8 texts and numbers, so the ratio shows everything the
// export adds: reading the list, classifying its columns, converting and
// checking the cells, and the temporary file it renames into place.

#include "core/KvNumberText.h"
#include "ui/KvListExport.h"
#include "ui/KvListPrint.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QList>
#include <QStringList>

#include <string>
#include <vector>

#include <xlsxwriter.h>

namespace {

constexpr int kRows = 50000;
constexpr int kColumns = 8;

// Codes, names, a class, amounts, counts, a date, a remark and a rate.
class BenchRows : public KvRowSource {
 public:
  BenchRows() {
    m_cells.reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
      m_cells.append({QStringLiteral("%1").arg(i, 8, 10, QLatin1Char('0')),
                      QStringLiteral("学生%1号").arg(i),
                      QStringLiteral("%1年级%2班").arg(i % 6 + 1).arg(i % 12 + 1),
                      KvNumToText(1000.0 + i * 1.25, 0, 2, 2, true),
                      QString::number(i % 50),
                      QStringLiteral("2026-%1-%2").arg(i % 12 + 1, 2, 10, QLatin1Char('0'))
                          .arg(i % 28 + 1, 2, 10, QLatin1Char('0')),
                      i % 7 == 0 ? QStringLiteral("减免") : QString(),
                      QString::number((i % 100) / 8.0)});
    }
  }
  int ColumnCount() const override { return kColumns; }
  QString ColumnTitle(int column) const override {
    static const char* const titles[kColumns] = {"学号", "姓名", "班级", "金额", "人数",
                                                 "日期", "备注", "比例"};
    return QString::fromUtf8(titles[column]);
  }
  Qt::Alignment ColumnAlignment(int column) const override {
    return column == 0 || column == 3 || column == 4 || column == 7 ? Qt::AlignRight : Qt::AlignLeft;
  }
  int ColumnPixelWidth(int) const override { return 90; }
  int RowCount() const override { return kRows; }
  QString CellText(int row, int column) const override { return m_cells[row][column]; }

 private:
  QList<QStringList> m_cells;
};

const BenchRows& benchRows() {
  static BenchRows rows;
  return rows;
}

QString benchPath(const char* name) {
  return QDir::tempPath() + QStringLiteral("/kvbench-%1-%2.xlsx")
                                .arg(QCoreApplication::applicationPid())
                                .arg(QString::fromLatin1(name));
}

void BM_ListToExcel(benchmark::State& state) {
  const BenchRows& rows = benchRows();
  const QString path = benchPath("export");
  for (auto _ : state) {
    if (!KvListToExcel(rows, path, QStringLiteral("学生名单")))
      state.SkipWithError("export failed");
  }
  QFile::remove(path);
}
BENCHMARK(BM_ListToExcel)->Unit(benchmark::kMillisecond);

// The same sheet through libxlsxwriter alone: title merged over row 1,
// bold wrapped titles in row 2, text columns under "@" and numeric ones
// under "#,##0" patterns, thick outer and thin inner borders.
void BM_RawLibxlsxwriter(benchmark::State& state) {
  const BenchRows& rows = benchRows();
  // Columns 3, 4 and 7 hold numbers (2, 0 and 3 decimals); column 0 holds
  // codes with leading zeros and stays text.
  const int decimals[kColumns] = {-1, -1, -1, 2, 0, -1, -1, 3};
  std::vector<std::vector<std::string>> texts(kRows, std::vector<std::string>(kColumns));
  std::vector<std::vector<double>> numbers(kRows, std::vector<double>(kColumns));
  for (int r = 0; r < kRows; ++r) {
    for (int c = 0; c < kColumns; ++c) {
      QString cell = rows.CellText(r, c);
      if (decimals[c] < 0)
        texts[r][c] = cell.toStdString();
      else
        numbers[r][c] = cell.remove(u',').toDouble();
    }
  }
  std::vector<std::string> titles;
  for (int c = 0; c < kColumns; ++c)
    titles.push_back(rows.ColumnTitle(c).toStdString());
  const QByteArray path = QFile::encodeName(benchPath("raw"));

  for (auto _ : state) {
    lxw_workbook* book = workbook_new(path.constData());
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    const auto font = [book](double size) {
      lxw_format* format = workbook_add_format(book);
      format_set_font_name(format, "宋体");
      format_set_font_size(format, size);
      return format;
    };
    const auto edges = [](lxw_format* format, bool top, bool bottom, bool left, bool right) {
      format_set_top(format, top ? LXW_BORDER_THICK : LXW_BORDER_THIN);
      format_set_bottom(format, bottom ? LXW_BORDER_THICK : LXW_BORDER_THIN);
      format_set_left(format, left ? LXW_BORDER_THICK : LXW_BORDER_THIN);
      format_set_right(format, right ? LXW_BORDER_THICK : LXW_BORDER_THIN);
    };
    lxw_format* title = font(14);
    format_set_num_format(title, "@");
    format_set_bold(title);
    format_set_align(title, LXW_ALIGN_CENTER);
    format_set_align(title, LXW_ALIGN_VERTICAL_CENTER);
    worksheet_merge_range(sheet, 0, 0, 0, kColumns - 1, "学生名单", title);
    worksheet_set_row(sheet, 0, 24, nullptr);
    lxw_format* head[kColumns];
    lxw_format* data[kColumns];
    lxw_format* last[kColumns];
    for (int c = 0; c < kColumns; ++c) {
      const bool first = c == 0, end = c == kColumns - 1;
      head[c] = font(10);
      format_set_num_format(head[c], "@");
      format_set_bold(head[c]);
      format_set_align(head[c], LXW_ALIGN_CENTER);
      format_set_align(head[c], LXW_ALIGN_VERTICAL_CENTER);
      format_set_text_wrap(head[c]);
      edges(head[c], true, false, first, end);
      for (int bottom = 0; bottom < 2; ++bottom) {
        lxw_format* format = font(10);
        if (decimals[c] < 0) {
          format_set_num_format(format, "@");
          format_set_align(format, c == 0 ? LXW_ALIGN_RIGHT : LXW_ALIGN_LEFT);
        } else {
          format_set_num_format(format, KvNumberFormatPattern(decimals[c]).toUtf8().constData());
        }
        format_set_align(format, LXW_ALIGN_VERTICAL_CENTER);
        edges(format, false, bottom == 1, first, end);
        (bottom ? last : data)[c] = format;
      }
      worksheet_set_column(sheet, c, c, (90 - 5) / 7.0, nullptr);
      worksheet_write_string(sheet, 1, c, titles[c].c_str(), head[c]);
    }
    for (int r = 0; r < kRows; ++r) {
      for (int c = 0; c < kColumns; ++c) {
        lxw_format* format = r == kRows - 1 ? last[c] : data[c];
        if (decimals[c] < 0)
          worksheet_write_string(sheet, r + 2, c, texts[r][c].c_str(), format);
        else
          worksheet_write_number(sheet, r + 2, c, numbers[r][c], format);
      }
    }
    if (workbook_close(book) != LXW_NO_ERROR)
      state.SkipWithError("raw write failed");
  }
  QFile::remove(QFile::decodeName(path));
}
BENCHMARK(BM_RawLibxlsxwriter)->Unit(benchmark::kMillisecond);

}  // namespace
