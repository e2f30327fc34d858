// Arrears statistics of the generated year (5,000 students, 12 items): the
// program's rows per tree node down to the classes (CXxRptRow::
// LoadStatistics: its select, then per student and per node through hash
// tables and one ordered pass) against one hand-written SQL query that
// gives the same node sums and head counts, run through the engine's own
// API. The first run of each back end checks that both agree.

#include "KvSchoolBenchData.h"

#include "school/CCost.h"
#include "school/CXxRptRow.h"

#include <benchmark/benchmark.h>

#include <QHash>
#include <cmath>
#include <libpq-fe.h>
#include <sqlite3.h>

namespace {
constexpr int kDepth = 2;  // units, grades and classes

KvSchoolBenchFile& school(int kind) { return KvSchoolYearFile(kind); }

// Node -> head count and one sum per item.
using NodeSums = QHash<QString, QPair<int, QList<double>>>;

// The hand-written query: each student's balance per item in his grade's
// autumn term of 2024, the students who owe or were overpaid, and their
// sums and head count per unit, grade and class.
QByteArray handQuery(int kind, const QList<CCost>& items) {
  const QByteArray toInt = kind == 0 ? "INTEGER" : "INT";
  QByteArray sums;
  for (const CCost& item : items)
    sums += ",sum(CASE WHEN COST='" + item.KNO.toLatin1() + "' THEN m ELSE 0 END)";
  return "WITH g AS (SELECT KNO, 2*(2024-CAST(substr(XQT0,1,4) AS " + toInt + "))+CAST(XQL AS " + toInt +
         ") AS term FROM STD WHERE length(KNO)=4 AND XQL IN ('0','1')),"
         " b AS (SELECT p.STD, p.COST, sum(p.F*p.My) AS m FROM PC p JOIN g ON g.KNO=substr(p.STD,1,4)"
         " AND p.QC=g.term GROUP BY p.STD, p.COST),"
         " s AS (SELECT b.STD, b.COST, b.m FROM b JOIN (SELECT STD FROM b GROUP BY STD"
         " HAVING max(abs(m))>0.000001) o ON o.STD=b.STD)"
         " SELECT node, count(DISTINCT STD)" +
         sums +
         " FROM (SELECT substr(STD,1,2) AS node, STD, COST, m FROM s UNION ALL"
         " SELECT substr(STD,1,4), STD, COST, m FROM s UNION ALL"
         " SELECT substr(STD,1,6), STD, COST, m FROM s) x GROUP BY node";
}

NodeSums runSqlite(sqlite3* raw, const QByteArray& sql, int items) {
  NodeSums result;
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(raw, sql.constData(), -1, &stmt, nullptr);
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    QList<double> amounts(items);
    for (int i = 0; i < items; ++i)
      amounts[i] = sqlite3_column_double(stmt, 2 + i);
    result.insert(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))),
                  {sqlite3_column_int(stmt, 1), amounts});
  }
  sqlite3_finalize(stmt);
  return result;
}

NodeSums runPg(PGconn* raw, const QByteArray& sql, int items) {
  NodeSums result;
  PGresult* res = PQexec(raw, sql.constData());
  for (int r = 0; r < PQntuples(res); ++r) {
    QList<double> amounts(items);
    for (int i = 0; i < items; ++i)
      amounts[i] = std::strtod(PQgetvalue(res, r, 2 + i), nullptr);
    result.insert(QString::fromUtf8(PQgetvalue(res, r, 0)), {std::atoi(PQgetvalue(res, r, 1)), amounts});
  }
  PQclear(res);
  return result;
}

NodeSums runProgram(CKvDb* pDb, const QList<CCost>& items) {
  CXxRptRow scratch(1, int(items.size()), 2);
  QList<CXxRptRow> rows;
  KvFeeFilter filter;
  scratch.LoadStatistics(2, QStringLiteral("2024"), 0, kDepth, filter, items, &rows, pDb);
  NodeSums result;
  for (const CXxRptRow& row : rows)
    result.insert(row.key, {row.ints.at(0), row.doubles});
  return result;
}

// The nodes whose sums are not all zero must match, head counts and sums.
bool agree(const NodeSums& program, NodeSums hand) {
  hand.removeIf([](const auto& node) {
    for (double amount : node.value().second)
      if (std::fabs(amount) > 1e-6)
        return false;
    return true;
  });
  if (program.size() != hand.size())
    return false;
  for (auto it = program.cbegin(); it != program.cend(); ++it) {
    const auto other = hand.constFind(it.key());
    if (other == hand.cend() || other->first != it->first)
      return false;
    for (qsizetype i = 0; i < it->second.size(); ++i)
      if (std::fabs(other->second.at(i) - it->second.at(i)) > 1e-6)
        return false;
  }
  return true;
}

QList<CCost> items(CKvDb* pDb) {
  QList<CCost> list;
  CCost::SelectAll(&list, pDb);
  return list;
}

// Checks once per back end that the program and the query agree.
bool checked(int kind) {
  static int verdict[3] = {0, 0, 0};
  KvSchoolBenchFile& file = school(kind);
  if (verdict[kind] == 0) {
    const QList<CCost> list = items(&file.db());
    const QByteArray sql = handQuery(kind, list);
    const NodeSums hand = kind == 0 ? runSqlite(file.sqliteHandle(), sql, int(list.size()))
                                    : runPg(file.pgHandle(), sql, int(list.size()));
    verdict[kind] = !hand.isEmpty() && agree(runProgram(&file.db(), list), hand) ? 1 : -1;
  }
  return verdict[kind] == 1;
}

void BM_ArrearsSqlite_Program(benchmark::State& state) {
  KvSchoolBenchFile& file = school(0);
  if (!file.ready())
    return state.SkipWithError("no data file");
  if (!checked(0))
    return state.SkipWithError("the program and the query disagree");
  const QList<CCost> list = items(&file.db());
  for (auto _ : state)
    benchmark::DoNotOptimize(runProgram(&file.db(), list));
}
BENCHMARK(BM_ArrearsSqlite_Program)->Unit(benchmark::kMillisecond);

void BM_ArrearsSqlite_HandQuery(benchmark::State& state) {
  KvSchoolBenchFile& file = school(0);
  if (!file.ready())
    return state.SkipWithError("no data file");
  const QList<CCost> list = items(&file.db());
  const QByteArray sql = handQuery(0, list);
  for (auto _ : state)
    benchmark::DoNotOptimize(runSqlite(file.sqliteHandle(), sql, int(list.size())));
}
BENCHMARK(BM_ArrearsSqlite_HandQuery)->Unit(benchmark::kMillisecond);

void BM_ArrearsPg_Program(benchmark::State& state) {
  KvSchoolBenchFile& file = school(2);
  if (!file.ready())
    return state.SkipWithError("no PostgreSQL server");
  if (!checked(2))
    return state.SkipWithError("the program and the query disagree");
  const QList<CCost> list = items(&file.db());
  for (auto _ : state)
    benchmark::DoNotOptimize(runProgram(&file.db(), list));
}
BENCHMARK(BM_ArrearsPg_Program)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ArrearsPg_HandQuery(benchmark::State& state) {
  KvSchoolBenchFile& file = school(2);
  if (!file.ready())
    return state.SkipWithError("no PostgreSQL server");
  const QList<CCost> list = items(&file.db());
  const QByteArray sql = handQuery(2, list);
  for (auto _ : state)
    benchmark::DoNotOptimize(runPg(file.pgHandle(), sql, int(list.size())));
}
BENCHMARK(BM_ArrearsPg_HandQuery)->Unit(benchmark::kMillisecond)->UseRealTime();
}  // namespace
