// The program's start-up against the least the same outcome needs. The
// start-up (splash, modules, main frame shown maximised, file type, engine
// check, the login dialog on the data file of the command line answered at
// once with operator 101 and the empty password, the login sequence, the
// settings written) to the main window, against opening the same SQLite file
// with the engine's own C API and reading the operators (OPR). The parts:
// the main frame alone, the data file's open and checks alone, and the
// verification of a stored password hash, which is slow on purpose.

#include "app/CKvApp.h"
#include "app/CKvDataFile.h"
#include "app/CKvLoginDlg.h"
#include "app/CKvMainFrm.h"
#include "app/CKvXxApp.h"
#include "app/KvOperatorStore.h"
#include "core/CKvDb.h"
#include "core/KvMdbPassword.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <sqlite3.h>

namespace {

// A new data file of 2024 in the temporary folder, made as the login
// dialog makes one; removed at exit.
struct DataFile {
  QString path;
  DataFile() {
    path = QDir::tempPath() + QStringLiteral("/kvstartbench-%1/2024.xxd")
                                  .arg(QCoreApplication::applicationPid());
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(path);
    CKvXxApp app;
    app.InitInstance();
    CKvDb db(0);
    app.CreateDataFile(&db, path, CKvDbInfo(0), 2024);
  }
  ~DataFile() { QDir(QFileInfo(path).absolutePath()).removeRecursively(); }
};

const QString& dataFile() {
  static DataFile file;
  return file.path;
}

// Answers the login dialog with OK as it opens, every other dialog with
// Cancel.
int answerLogin(QDialog* dialog) {
  if (!qobject_cast<CKvLoginDlg*>(dialog))
    return QDialog::Rejected;
  dialog->show();
  KvDlgItem<QPushButton>(dialog, KV_IDOK)->click();
  return dialog->result();
}

void BM_StartUpToMainWindow(benchmark::State& state) {
  const QString path = dataFile();
  const KvDialogExecFn previous = KvSetDialogExec(answerLogin);
  for (auto _ : state) {
    CKvXxApp app;
    const bool started = app.StartUp({QStringLiteral("kvqy"), path});
    state.PauseTiming();
    if (!started || !app.GetMainFrame() || !app.GetDb()->IsOpen())
      state.SkipWithError("start-up failed");
    app.ExitInstance();
    state.ResumeTiming();
  }
  KvSetDialogExec(previous);
}
BENCHMARK(BM_StartUpToMainWindow)->Unit(benchmark::kMillisecond);

void BM_RawOpenReadOperators(benchmark::State& state) {
  const QByteArray path = QFile::encodeName(dataFile());
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(db, "Select OPNO,NA,PSD From OPR Order By OPNO", -1, &select, nullptr);
    int count = 0;
    while (sqlite3_step(select) == SQLITE_ROW) {
      const QString code = QString::fromUtf8(
          reinterpret_cast<const char*>(sqlite3_column_text(select, 0)), sqlite3_column_bytes(select, 0));
      const QString name = QString::fromUtf8(
          reinterpret_cast<const char*>(sqlite3_column_text(select, 1)), sqlite3_column_bytes(select, 1));
      benchmark::DoNotOptimize(code);
      benchmark::DoNotOptimize(name);
      ++count;
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
    if (count != 2)
      state.SkipWithError("no operators");
  }
}
BENCHMARK(BM_RawOpenReadOperators)->Unit(benchmark::kMillisecond);

// The main frame made and shown, alone.
void BM_MainFrameShown(benchmark::State& state) {
  CKvXxApp app;
  app.InitInstance();
  for (auto _ : state) {
    CKvMainFrm frame;
    frame.showMaximized();
    QCoreApplication::processEvents();
  }
}
BENCHMARK(BM_MainFrameShown)->Unit(benchmark::kMillisecond);

// The data file opened and checked (path, SYSTAB, operator), alone.
void BM_OpenAndCheckDataFile(benchmark::State& state) {
  const QString path = dataFile();
  CKvXxApp app;
  app.InitInstance();
  for (auto _ : state) {
    CKvDataFile file;
    if (!file.OpenAndCheck(path, QStringLiteral("101"), CKvDbInfo(0), false))
      state.SkipWithError("open failed");
    file.Close();
  }
}
BENCHMARK(BM_OpenAndCheckDataFile)->Unit(benchmark::kMillisecond);

// Checking a typed password against a stored hash: slow on purpose.
void BM_VerifyPasswordHash(benchmark::State& state) {
  QString stored;
  KvOperatorStore::HashPassword(QStringLiteral("口令"), &stored);
  for (auto _ : state)
    benchmark::DoNotOptimize(KvOperatorStore::VerifyPassword(stored, QStringLiteral("口令")));
}
BENCHMARK(BM_VerifyPasswordHash)->Unit(benchmark::kMillisecond);

}  // namespace
