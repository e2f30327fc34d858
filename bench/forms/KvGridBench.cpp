// The form grid against Qt's table view on the same 10,000 rows of seven
// columns (a class fee sheet): scrolling through the rows and painting each
// screen into an image, hitting cells under points, moving the current cell
// and writing cells. CForthView reads its cells from a form document;
// QTableView from a QStandardItemModel holding the same texts.

#include "forms/CForthView.h"
#include "forms/CKvDoc.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>

#include <memory>

namespace {

constexpr int kRows = 10000;
constexpr int kColumns = 7;
// Screens painted per iteration, spread over the whole grid.
constexpr int kScreens = 40;

const QList<QStringList>& rows() {
  static const QList<QStringList> texts = [] {
    QList<QStringList> all;
    all.reserve(kRows);
    for (int i = 0; i < kRows; ++i)
      all.append({QStringLiteral("2024%1").arg(i, 6, 10, QLatin1Char('0')), QStringLiteral("学生%1").arg(i),
                  i % 3 ? QString() : QStringLiteral("秋季学期"), QStringLiteral("1200.00"),
                  i % 2 ? QStringLiteral("400.00") : QString(), QStringLiteral("85.50"),
                  QString::number(1285.5 + (i % 2 ? 400 : 0), 'f', 2)});
    return all;
  }();
  return texts;
}

class FeeSheet : public CKvDoc {
 public:
  void InitFormEntry(KvFormEntry& entry) override {
    entry.sFna = QStringLiteral("班级收费明细表");
    entry.nTopNum = 1;
  }
  void BuildColumns(KvFormEntry& entry) override {
    entry.AddFormula(102, 1212, 0, 0, QStringLiteral("学生/STRING/LEFT"));
    entry.AddFormula(103, 1010, 0, 0, QStringLiteral("姓名/MDBSTRING/LEFT"));
    entry.AddFormula(101, 1630, 0, 0, QStringLiteral("摘要/MDBSTRING/LEFT"));
    entry.AddFormula(100, 1010, 2, 2, QStringLiteral("学费/NUMBER/RIGHT/0010"));
    entry.AddFormula(100, 1010, 2, 2, QStringLiteral("住宿费/NUMBER/RIGHT/0010"));
    entry.AddFormula(100, 1010, 2, 2, QStringLiteral("书本费/NUMBER/RIGHT/0010"));
    entry.AddFormula(109, 1212, 2, 2, QStringLiteral("合计/NUMBER/RIGHT/0010"));
  }
  bool QueryReadOnly() override { return false; }
  bool FillRows() override {
    ClearRows();
    for (const QStringList& row : rows())
      AppendRow(row);
    return true;
  }
};

struct GridSide {
  FeeSheet doc;
  std::unique_ptr<CForthView> view;
  GridSide() {
    doc.LoadLayout();
    doc.FillRows();
    view = std::make_unique<CForthView>(&doc);
    view->resize(1000, 700);
    view->InitLayout();
    view->show();
    QApplication::processEvents();
  }
};

struct TableSide {
  QStandardItemModel model{kRows, kColumns};
  QTableView view;
  TableSide() {
    model.setHorizontalHeaderLabels({"学生", "姓名", "摘要", "学费", "住宿费", "书本费", "合计"});
    for (int r = 0; r < kRows; ++r)
      for (int c = 0; c < kColumns; ++c) {
        auto* item = new QStandardItem(rows().at(r).at(c));
        if (c >= 3)
          item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        model.setItem(r, c, item);
      }
    view.setModel(&model);
    view.resize(1000, 700);
    view.show();
    QApplication::processEvents();
  }
};

// Paints screens spread over the whole grid into an image.
template <class View>
void paintScreens(View* view, QImage& image) {
  QScrollBar* bar = view->verticalScrollBar();
  for (int screen = 0; screen < kScreens; ++screen) {
    bar->setValue(int(qint64(bar->maximum()) * screen / (kScreens - 1)));
    view->viewport()->render(&image);
  }
}

void BM_GridScrollPaint(benchmark::State& state) {
  GridSide grid;
  QImage image(grid.view->viewport()->size(), QImage::Format_RGB32);
  for (auto _ : state) {
    paintScreens(grid.view.get(), image);
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_GridScrollPaint)->Unit(benchmark::kMillisecond);

void BM_TableViewScrollPaint(benchmark::State& state) {
  TableSide table;
  QImage image(table.view.viewport()->size(), QImage::Format_RGB32);
  for (auto _ : state) {
    paintScreens(&table.view, image);
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_TableViewScrollPaint)->Unit(benchmark::kMillisecond);

// Hit-testing 10,000 points, one on each row, at the scroll position that
// shows it.
void BM_GridHitTest(benchmark::State& state) {
  GridSide grid;
  const KvGridModel& model = grid.view->Model();
  const int x = model.ColumnLeft(4) + 3;
  for (auto _ : state) {
    int found = 0;
    for (int r = 0; r < kRows; ++r)
      found += model.HitTest(QPoint(x, model.RowTop(KvGridArea::Text, r) + 2)).row == r;
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_GridHitTest)->Unit(benchmark::kMicrosecond);

void BM_TableViewIndexAt(benchmark::State& state) {
  TableSide table;
  QScrollBar* bar = table.view.verticalScrollBar();
  const int x = table.view.columnViewportPosition(4) + 3;
  const int pitch = table.view.rowHeight(0);
  for (auto _ : state) {
    int found = 0;
    for (int r = 0; r < kRows; ++r) {
      // indexAt answers for the viewport: a point on row r at the current
      // scroll position.
      const int y = r * pitch - bar->value() * pitch + 2;
      found += table.view.indexAt(QPoint(x, y)).isValid();
    }
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_TableViewIndexAt)->Unit(benchmark::kMicrosecond);

// Moving the current cell down through every row and writing one cell of
// each, as typing a column in would.
void BM_GridMoveAndWrite(benchmark::State& state) {
  GridSide grid;
  CForthView* view = grid.view.get();
  const QString area = QStringLiteral("TEXT");
  int pass = 0;
  for (auto _ : state) {
    const QString text = QString::number(100 + (pass++ % 2));
    for (int r = 0; r < kRows; ++r) {
      view->PlaceCaret(r, 4, 0, area);
      view->SetCellValue(r, 4, area, text);
    }
    benchmark::DoNotOptimize(grid.doc.m_rows.last());
  }
}
BENCHMARK(BM_GridMoveAndWrite)->Unit(benchmark::kMillisecond);

void BM_TableViewMoveAndWrite(benchmark::State& state) {
  TableSide table;
  int pass = 0;
  for (auto _ : state) {
    const QString text = QString::number(100 + (pass++ % 2));
    for (int r = 0; r < kRows; ++r) {
      const QModelIndex index = table.model.index(r, 4);
      table.view.setCurrentIndex(index);
      table.model.setData(index, text);
    }
    benchmark::DoNotOptimize(table.model.rowCount());
  }
}
BENCHMARK(BM_TableViewMoveAndWrite)->Unit(benchmark::kMillisecond);

}  // namespace
