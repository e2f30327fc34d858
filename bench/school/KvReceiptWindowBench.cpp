// A receipt saved through the receipt window against the service's save
// alone, on the same file or database and the same connection (the
// program's own, which the window uses): the window's save
// (CXxDjFrmView::SaveRecord) runs the service's save, refills the day's
// list and prepares the next new receipt; the service
// (KvReceiptSave::Save) only saves. The aim is at most 1.5 times the
// service's time. Both save three lines of
// 1.00 for one of 100 students who owe enough, on a day that already holds
// 100 receipts of three lines, in a generated school of 1,000 students.
// Each saved receipt is deleted again outside the timing, so that every
// save finds the same day, and the window's list reads the day again, as
// its own delete does. The statements each save sends are counted.

#include "KvSchoolBenchData.h"

#include "app/CKvApp.h"
#include "core/CKvDb.h"
#include "core/KvDbTransaction.h"
#include "school/CXxDataType.h"
#include "school/CXxDjDoc2.h"
#include "school/CXxDjFrmView.h"
#include "school/CXxDjListView.h"
#include "school/CXxDjOpenDlg.h"
#include "school/KvReceiptSave.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QLineEdit>

#include <limits>

namespace {
constexpr int kDayReceipts = 100;
const char kDay[] = "20240915";

KvSchoolBenchFile& school(int kind) {
  static KvSchoolBenchFile sqlite(0, 1000, QStringLiteral("window"));
  static KvSchoolBenchFile pg(2, 1000, QStringLiteral("window"));
  KvSchoolBenchFile& file = kind == 0 ? sqlite : pg;
  static bool prepared[3] = {false, false, false};
  if (file.ready() && !prepared[kind]) {
    prepared[kind] = true;
    CKvDb& db = file.db();
    KvDbTransaction transaction(db);
    KvOweForReceipts(file);
    // The day's receipts, each of another student.
    for (int i = 0; i < kDayReceipts; ++i) {
      const QString& student = file.summary.studentCodes.at(kBenchPaying + i);
      const int term = file.summary.nGradeTerms[student.mid(2, 2).toInt() - 1];
      for (const char* item : {"01", "02", "03"})
        db.Execute(QStringLiteral("Insert Into PC(QC,F,LPR,My,T,DH,Mry,COST,STD,Opr0,Opr1,FS) "
                                  "Values(%1,-1,0,10,'%2','%3','','%4','%5','101','','0')")
                       .arg(term)
                       .arg(QString::fromLatin1(kDay), QStringLiteral("%1").arg(i + 1, 5, 10, QChar(u'0')),
                            QString::fromLatin1(item), student));
    }
    transaction.Commit();
  }
  return file;
}

// The program's connection opened on the benchmark's file, operator 101
// with the right to make receipts; closed again when it goes.
class KvProgramOnFile {
 public:
  explicit KvProgramOnFile(KvSchoolBenchFile& file) {
    CKvDataFile& data = KvGetApp()->GetDataFile();
    data.SetKind(file.kind == 0 ? 0 : 1);
    if (file.kind != 0)
      data.SetServerBackend(file.kind);
    m_bOpen = file.OpenAnother(&data.GetDb());
    if (!m_bOpen)
      return;
    data.GetDb().Execute(QStringLiteral("Delete From PWR Where OPNO='101'"));
    for (const char* right : {"1805", "1806", "1807"})
      data.GetDb().Execute(
          QStringLiteral("Insert Into PWR(OPNO,PWR) Values('101','%1')").arg(QString::fromLatin1(right)));
    m_bOpen = data.LoadRights();
    CXxDataType::Get()->ReloadParams(&data.GetDb());
    // The statement-failure seam, set never to fail, counts the statements.
    data.GetDb().FailNthStatement(std::numeric_limits<int>::max());
  }
  ~KvProgramOnFile() { KvGetApp()->GetDb()->Close(); }
  bool ok() const { return m_bOpen; }
  CKvDb* db() const { return KvGetApp()->GetDb(); }

 private:
  bool m_bOpen = false;
};

// The receipts saved after the day's own, removed between two timed saves.
// On PostgreSQL the removed rows stay behind in the table and its indexes
// until a vacuum, and every later read of the day or of the year's
// numbers would step over them: every 16th removal vacuums the table, as
// the server's own vacuum keeps a table that is written to clean.
bool removeSaved(CKvDb* pDb) {
  static int removals = 0;
  const bool removed = pDb->Execute(QStringLiteral("Delete From PC Where F=-1 And T='%1' And DH>'%2'")
                                        .arg(QString::fromLatin1(kDay))
                                        .arg(kDayReceipts, 5, 10, QChar(u'0')));
  if (removed && pDb->GetKind() != 0 && ++removals % 16 == 0)
    pDb->Execute(QStringLiteral("Vacuum PC"));
  return removed;
}

void serviceSaves(benchmark::State& state, int kind) {
  KvSchoolBenchFile& file = school(kind);
  if (!file.ready())
    return state.SkipWithError("no data file");
  KvProgramOnFile program(file);
  if (!program.ok())
    return state.SkipWithError("the program's connection did not open");
  CKvDb* pDb = program.db();
  const QList<CPc> lines = KvPayOneOfEachItem();
  int i = 0;
  double statements = 0;
  for (auto _ : state) {
    state.PauseTiming();
    removeSaved(pDb);
    CPc head;
    head.STD = KvPayingStudent(file, i++, &head.QC);
    head.T = QString::fromLatin1(kDay);
    head.Opr0 = QStringLiteral("101");
    state.ResumeTiming();
    const int sent = pDb->GetStatementsSent();
    if (!KvReceiptSave::Save(head, CPc(), lines, true, pDb).bSaved)
      return state.SkipWithError("a save failed");
    statements += pDb->GetStatementsSent() - sent;
  }
  removeSaved(pDb);
  state.SetItemsProcessed(state.iterations());
  state.counters["statements"] = benchmark::Counter(statements, benchmark::Counter::kAvgIterations);
}

void windowSaves(benchmark::State& state, int kind) {
  KvSchoolBenchFile& file = school(kind);
  if (!file.ready())
    return state.SkipWithError("no data file");
  KvProgramOnFile program(file);
  if (!program.ok())
    return state.SkipWithError("the program's connection did not open");
  CKvDb* pDb = program.db();
  removeSaved(pDb);
  // The window on the day, as dialog 957 opens it.
  CXxDjDoc2* pDoc = nullptr;
  {
    KvDialogExecFn previous = KvSetDialogExec([](QDialog* dialog) {
      if (!qobject_cast<CXxDjOpenDlg*>(dialog))
        return int(QDialog::Rejected);
      // Shown, so that it sets itself up, then answered.
      dialog->show();
      const QString day = QString::fromLatin1(kDay);
      KvDlgItem<QLineEdit>(dialog, CXxDjOpenDlg::IDC_YEAR)->setText(day.left(4));
      KvDlgItem<QLineEdit>(dialog, CXxDjOpenDlg::IDC_MONTH)->setText(day.mid(4, 2));
      KvDlgItem<QLineEdit>(dialog, CXxDjOpenDlg::IDC_DAY)->setText(day.mid(6, 2));
      KvDlgItem<QAbstractButton>(dialog, KV_IDOK)->click();
      dialog->hide();
      return dialog->result();
    });
    pDoc = static_cast<CXxDjDoc2*>(CXxDataType::Get()->OpenDocument(256, 0));
    KvSetDialogExec(std::move(previous));
  }
  if (!pDoc)
    return state.SkipWithError("the receipt window did not open");
  auto* pList = pDoc->FindView<CXxDjListView>();
  auto* pForm = pDoc->FindView<CXxDjFrmView>();
  if (!pList || !pForm || pList->GetNewState() != 1 || pList->GetItemCount() != kDayReceipts + 1) {
    pDoc->OnCloseDocument();
    return state.SkipWithError("the window is not on the day's new receipt");
  }
  int i = 0;
  double statements = 0;
  for (auto _ : state) {
    state.PauseTiming();
    removeSaved(pDb);
    // The list reads the day again, as its own delete does, and is on "新单".
    pList->Fill();
    pList->SelectNumber(CXxDjListView::kNewRow);
    // The new receipt as typed: the student, the term, three items of 1.00.
    pDoc->m_head.STD = KvPayingStudent(file, i++, &pDoc->m_head.QC);
    for (int line = 0; line < 3 && line < pDoc->m_lines.size(); ++line) {
      pDoc->m_lines[line].COST = QStringLiteral("0%1").arg(line + 1);
      pDoc->m_lines[line].My = 1;
    }
    pForm->ExchangeRecord(false);
    state.ResumeTiming();
    const int sent = pDb->GetStatementsSent();
    const bool saved = pForm->SaveRecord(0);
    statements += pDb->GetStatementsSent() - sent;
    if (!saved || pList->GetNewState() != 1) {
      pDoc->OnCloseDocument();
      return state.SkipWithError("a save failed");
    }
  }
  pDoc->OnCloseDocument();
  removeSaved(pDb);
  state.SetItemsProcessed(state.iterations());
  state.counters["statements"] = benchmark::Counter(statements, benchmark::Counter::kAvgIterations);
}

void BM_ReceiptWindowSqlite_Service(benchmark::State& state) { serviceSaves(state, 0); }
BENCHMARK(BM_ReceiptWindowSqlite_Service)->Unit(benchmark::kMillisecond)->UseRealTime();
void BM_ReceiptWindowSqlite_Window(benchmark::State& state) { windowSaves(state, 0); }
BENCHMARK(BM_ReceiptWindowSqlite_Window)->Unit(benchmark::kMillisecond)->UseRealTime();
void BM_ReceiptWindowPg_Service(benchmark::State& state) { serviceSaves(state, 2); }
BENCHMARK(BM_ReceiptWindowPg_Service)->Unit(benchmark::kMillisecond)->UseRealTime();
void BM_ReceiptWindowPg_Window(benchmark::State& state) { windowSaves(state, 2); }
BENCHMARK(BM_ReceiptWindowPg_Window)->Unit(benchmark::kMillisecond)->UseRealTime();
}  // namespace
