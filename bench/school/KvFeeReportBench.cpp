// The fee reports opened offscreen on the generated year (5,000 students,
// 12 items): the year's fee detail and the arrears statistics down to the
// students, each filled through its document, laid out in its view and
// painted once, against the row loader alone (CXxRptRow::LoadDetail,
// LoadStatistics) on the same data in the same run. The ratio is what the
// document and the grid add to the query.

#include "KvSchoolBenchData.h"

#include "school/CCost.h"
#include "school/CXxDataType.h"
#include "school/CXxRptDoc0.h"
#include "school/CXxRptDoc1.h"
#include "school/CXxRptRow.h"
#include "school/CXxRptView.h"

#include <benchmark/benchmark.h>

#include <QPixmap>

namespace {
// Units, grades, classes, students.
constexpr int kStudentDepth = 3;

KvSchoolBenchFile& school(int kind) { return KvSchoolYearFile(kind); }

// The document set up as its template sets it up, with the filter the open
// dialog would hand it.
void prepare(CXxRptDoc& doc, CKvDb* pDb, int flag) {
  doc.m_pDb = pDb;
  doc.m_nModule = CXxDataType::kModule;
  doc.m_nFlag = flag;
  doc.LoadOpenArgs();
  doc.m_dates[0] = QStringLiteral("20240101");
  doc.m_dates[1] = QStringLiteral("20241231");
  doc.m_strYear = QStringLiteral("2024");
  doc.m_nSeason = 0;
  doc.m_nDepth = kStudentDepth;
  doc.m_nTreeTotals = flag == 257 ? 1 : 0;
}

// Opens the report: rows, layout, view, one paint. Returns the rows shown.
int openReport(CXxRptDoc& doc) {
  doc.LoadLayout();
  doc.UpdateReadOnly();
  doc.FillRows();
  doc.ResetMacros();
  CXxRptView view(&doc);
  doc.AddView(&view);
  view.resize(1200, 800);
  view.OnInitialUpdate();
  benchmark::DoNotOptimize(view.grab());
  doc.RemoveView(&view);
  return doc.GetRowCount();
}

void reportOpened(benchmark::State& state, int kind, int flag) {
  KvSchoolBenchFile& file = school(kind);
  if (!file.ready())
    return state.SkipWithError(kind == 0 ? "no data file" : "no PostgreSQL server");
  CXxDataType::Get()->ReloadParams(&file.db());
  int rows = 0;
  for (auto _ : state) {
    std::unique_ptr<CXxRptDoc> doc;
    if (flag == 257) {
      doc = std::make_unique<CXxRptDoc0>();
    } else {
      auto statistics = std::make_unique<CXxRptDoc1>();
      statistics->m_nKind = 2;
      doc = std::move(statistics);
    }
    prepare(*doc, &file.db(), flag);
    rows = openReport(*doc);
  }
  state.counters["rows"] = rows;
}

void rowsLoaded(benchmark::State& state, int kind, int flag) {
  KvSchoolBenchFile& file = school(kind);
  if (!file.ready())
    return state.SkipWithError(kind == 0 ? "no data file" : "no PostgreSQL server");
  CXxDataType::Get()->ReloadParams(&file.db());
  QList<CCost> items;
  CCost::SelectAll(&items, &file.db());
  const QString dates[2] = {QStringLiteral("20240101"), QStringLiteral("20241231")};
  const KvFeeFilter filter;
  int rows = 0;
  for (auto _ : state) {
    QList<CXxRptRow> loaded;
    CXxRptRow scratch(1, int(items.size()), flag == 257 ? 9 : 2);
    rows = flag == 257 ? scratch.LoadDetail(dates, filter, items, &loaded, &file.db())
                       : scratch.LoadStatistics(2, QStringLiteral("2024"), 0, kStudentDepth, filter, items, &loaded,
                                                &file.db());
  }
  state.counters["rows"] = rows;
}

void BM_DetailSqlite_Report(benchmark::State& state) { reportOpened(state, 0, 257); }
void BM_DetailSqlite_Loader(benchmark::State& state) { rowsLoaded(state, 0, 257); }
void BM_ArrearsToStudentsSqlite_Report(benchmark::State& state) { reportOpened(state, 0, 260); }
void BM_ArrearsToStudentsSqlite_Loader(benchmark::State& state) { rowsLoaded(state, 0, 260); }
void BM_DetailPg_Report(benchmark::State& state) { reportOpened(state, 2, 257); }
void BM_DetailPg_Loader(benchmark::State& state) { rowsLoaded(state, 2, 257); }
void BM_ArrearsToStudentsPg_Report(benchmark::State& state) { reportOpened(state, 2, 260); }
void BM_ArrearsToStudentsPg_Loader(benchmark::State& state) { rowsLoaded(state, 2, 260); }

BENCHMARK(BM_DetailSqlite_Report)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DetailSqlite_Loader)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArrearsToStudentsSqlite_Report)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArrearsToStudentsSqlite_Loader)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DetailPg_Report)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DetailPg_Loader)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ArrearsToStudentsPg_Report)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ArrearsToStudentsPg_Loader)->Unit(benchmark::kMillisecond)->UseRealTime();
}  // namespace
