// Filling a list control row by row against Qt's own item model filled the
// same way: 50,000 rows of 8 texts added to a shown CKvListCtrl with AddRow,
// and the same rows appended to a QStandardItemModel shown in a QTableView.
// Both views lay out and paint once the rows are in.

#include "ui/CKvListCtrl.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QList>
#include <QStandardItemModel>
#include <QStringList>
#include <QTableView>

namespace {
constexpr int kRows = 50000;
constexpr int kColumns = 8;

const QStringList& titles() {
  static const QStringList list{"编号", "姓名", "性别", "班级", "学费", "书费", "住宿费", "备注"};
  return list;
}

// The cell texts, made once so that neither side pays for them.
const QList<QStringList>& rows() {
  static const QList<QStringList> texts = [] {
    QList<QStringList> all;
    all.reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
      all.append({QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0')), QStringLiteral("学生%1").arg(i),
                  i % 2 ? QStringLiteral("男") : QStringLiteral("女"), QStringLiteral("初一(%1)班").arg(i % 12),
                  QString::number(1200 + i % 300), QString::number(85.5 + i % 7, 'f', 2),
                  QString::number(400 + i % 50), QStringLiteral("备注 %1").arg(i)});
    }
    return all;
  }();
  return texts;
}

void BM_ListCtrlAddRow(benchmark::State& state) {
  const QList<QStringList>& texts = rows();
  const QList<int> widths(kColumns, 80);
  for (auto _ : state) {
    CKvListCtrl list;
    list.resize(800, 600);
    list.show();
    list.InitList();
    list.SetColumns(titles(), widths);
    for (const QStringList& row : texts)
      list.AddRow(row);
    QApplication::processEvents();
    list.View()->viewport()->repaint();
    benchmark::DoNotOptimize(list.GetItemCount());
  }
}
BENCHMARK(BM_ListCtrlAddRow)->Unit(benchmark::kMillisecond);

void BM_StandardItemModelInTableView(benchmark::State& state) {
  const QList<QStringList>& texts = rows();
  for (auto _ : state) {
    QTableView view;
    QStandardItemModel model(0, kColumns);
    model.setHorizontalHeaderLabels(titles());
    view.setModel(&model);
    view.resize(800, 600);
    view.show();
    for (const QStringList& row : texts) {
      QList<QStandardItem*> items;
      items.reserve(kColumns);
      for (const QString& text : row)
        items.append(new QStandardItem(text));
      model.appendRow(items);
    }
    QApplication::processEvents();
    view.viewport()->repaint();
    benchmark::DoNotOptimize(model.rowCount());
  }
}
BENCHMARK(BM_StandardItemModelInTableView)->Unit(benchmark::kMillisecond);
}  // namespace
