// Loading the accounting units: CKvDwRec::KvSelectDw of 5,000 units (500 of
// them with a visibility row) against the engines' own C APIs running the
// same two selects and building the same records. The PostgreSQL cases need
// the server named by PGHOST, PGPORT, PGUSER and PGPASSWORD and are skipped
// without it.

#include "app/CKvDwRec.h"
#include "bench/core/KvBenchPgDatabase.h"
#include "core/CKvDb.h"
#include "core/KvMdbPassword.h"
#include "core/KvSqliteBackend.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <libpq-fe.h>
#include <sqlite3.h>

namespace {
constexpr int kUnits = 5000;
constexpr int kViewerEvery = 10;

const char* const kUnitSelect =
    "Select rtrim(KNO),rtrim(NA),rtrim(JA),rtrim(MAR),rtrim(MGR),rtrim(TEL),rtrim(ADR),rtrim(NT) "
    "From KVDW Order By KNO";
const char* const kViewerSelect =
    "Select Rtrim(CsNa),Rtrim(CsVal) From SysCsTab Where Cs=4000 And CsN=1 Order By CsNa,CsVal";

// The tables and rows, as statements both engines run.
QString setupText(bool server) {
  const QString text = server ? QStringLiteral("VARCHAR") : QStringLiteral("CHAR");
  QString sql = QStringLiteral(
                    "CREATE TABLE KVDW(KNO %1(14),NA %1(60),JA %1(20),MAR %1(12),MGR %1(12),"
                    "TEL %1(25),ADR %1(255),NT %1(255));"
                    "CREATE TABLE SysCsTab(Cs INT,CsN INT,CsNa %1(60),CsVal %1(255),LPO %1(60));")
                    .arg(text);
  sql += QStringLiteral("BEGIN;");
  for (int i = 0; i < kUnits; ++i) {
    const QString code = QStringLiteral("%1").arg(i, 4, 10, QChar(u'0'));
    sql += QStringLiteral("INSERT INTO KVDW VALUES('%1','第%2分校','简称%2','负责人','主管',"
                          "'010-1234','北京市某区某路%2号','备注');")
               .arg(code)
               .arg(i);
    if (i % kViewerEvery == 0)
      sql += QStringLiteral("INSERT INTO SysCsTab VALUES(4000,1,'%1','102','');").arg(code);
  }
  return sql + QStringLiteral("COMMIT");
}

// An SQLite data file with the units.
struct SqliteUnits {
  QString path;
  CKvDb db{0};

  SqliteUnits() {
    path = QDir::tempPath() +
           QStringLiteral("/kvbench-dw-%1.xxd").arg(QCoreApplication::applicationPid());
    QFile::remove(path);
    {
      std::unique_ptr<KvSqliteBackend> file = KvSqliteBackend::create(path);
      file->setPasswordDigest(KvMdbPasswordDigest(KvGetStdMdbPassword()));
      const QByteArray setup = setupText(false).toUtf8();
      sqlite3_exec(file->handle(), setup.constData(), nullptr, nullptr, nullptr);
    }
    db.Open(path, CKvDbInfo(0));
  }
  ~SqliteUnits() {
    db.Close();
    QFile::remove(path);
  }
  sqlite3* raw() const { return dynamic_cast<KvSqliteBackend*>(db.GetBackend())->handle(); }
};

SqliteUnits& sqliteUnits() {
  static SqliteUnits data;
  return data;
}

KvBenchPgDatabase& pgUnits() {
  static KvBenchPgDatabase data(QStringLiteral("kvbench_dw_"), setupText(true));
  return data;
}

void checkCount(benchmark::State& state, qsizetype count) {
  if (count != kUnits)
    state.SkipWithError("wrong number of units");
}

void selectThroughKvSelectDw(benchmark::State& state, CKvDb& db) {
  for (auto _ : state) {
    CKvDwRec rec;
    CKvDwArray units;
    rec.KvSelectDw(QString(), QString(), &units, &db);
    checkCount(state, units.size());
    benchmark::DoNotOptimize(units.data());
  }
  state.SetItemsProcessed(state.iterations() * kUnits);
}

// The operator lists, keyed by unit code, as the raw readers build them.
void addViewer(QHash<QString, QString>& viewers, const QString& code, const QString& opno) {
  QString& list = viewers[code];
  if (!list.isEmpty())
    list += u';';
  list += opno;
}

QString sqliteText(sqlite3_stmt* stmt, int column) {
  return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                           sqlite3_column_bytes(stmt, column));
}

void BM_SelectDwSqlite_Raw(benchmark::State& state) {
  sqlite3* raw = sqliteUnits().raw();
  for (auto _ : state) {
    QHash<QString, QString> viewers;
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(raw, kViewerSelect, -1, &stmt, nullptr);
    while (sqlite3_step(stmt) == SQLITE_ROW)
      addViewer(viewers, sqliteText(stmt, 0), sqliteText(stmt, 1));
    sqlite3_finalize(stmt);
    CKvDwArray units;
    sqlite3_prepare_v2(raw, kUnitSelect, -1, &stmt, nullptr);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      CKvDwRec unit;
      for (int i = 0; i < 8; ++i)
        unit.SetField(i < 7 ? i : 8, sqliteText(stmt, i));
      unit.Operators = viewers.value(unit.KNO);
      units.append(unit);
    }
    sqlite3_finalize(stmt);
    checkCount(state, units.size());
    benchmark::DoNotOptimize(units.data());
  }
  state.SetItemsProcessed(state.iterations() * kUnits);
}
BENCHMARK(BM_SelectDwSqlite_Raw)->Unit(benchmark::kMillisecond);

void BM_SelectDwSqlite_KvSelectDw(benchmark::State& state) {
  selectThroughKvSelectDw(state, sqliteUnits().db);
}
BENCHMARK(BM_SelectDwSqlite_KvSelectDw)->Unit(benchmark::kMillisecond);

QString pgText(const PGresult* res, int row, int column) {
  return QString::fromUtf8(PQgetvalue(res, row, column), PQgetlength(res, row, column));
}

void BM_SelectDwPg_Raw(benchmark::State& state) {
  if (!pgUnits().ready())
    return state.SkipWithError("no PostgreSQL server");
  PGconn* raw = pgUnits().raw();
  for (auto _ : state) {
    QHash<QString, QString> viewers;
    PGresult* res = PQexec(raw, kViewerSelect);
    for (int r = 0; r < PQntuples(res); ++r)
      addViewer(viewers, pgText(res, r, 0), pgText(res, r, 1));
    PQclear(res);
    CKvDwArray units;
    res = PQexec(raw, kUnitSelect);
    for (int r = 0; r < PQntuples(res); ++r) {
      CKvDwRec unit;
      for (int i = 0; i < 8; ++i)
        unit.SetField(i < 7 ? i : 8, pgText(res, r, i));
      unit.Operators = viewers.value(unit.KNO);
      units.append(unit);
    }
    PQclear(res);
    checkCount(state, units.size());
    benchmark::DoNotOptimize(units.data());
  }
  state.SetItemsProcessed(state.iterations() * kUnits);
}
BENCHMARK(BM_SelectDwPg_Raw)->Unit(benchmark::kMillisecond);

void BM_SelectDwPg_KvSelectDw(benchmark::State& state) {
  if (!pgUnits().ready())
    return state.SkipWithError("no PostgreSQL server");
  selectThroughKvSelectDw(state, pgUnits().db);
}
BENCHMARK(BM_SelectDwPg_KvSelectDw)->Unit(benchmark::kMillisecond);
}  // namespace
