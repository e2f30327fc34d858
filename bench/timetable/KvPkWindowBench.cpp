// The timetable window on the generated default school, arranged once, in
// the program's main frame, offscreen:
// - open and paint: the class page opened through its template (the open
//   dialog answered OK) on class 010101, rendered once, closed; against
//   hand-written selects of STD, WKT and the class's PK into a QTreeWidget
//   (the class current, its path open, as in the window) and a QTableView
//   (QStandardItemModel) in a QSplitter of the same size, rendered once;
// - switch and paint: each of the 60 classes selected in turn in the open
//   window and rendered; against one select per class refilling the model.

#include "KvPkBenchSchool.h"
#include "app/CKvApp.h"
#include "app/CKvDataFile.h"
#include "app/CKvMainFrm.h"
#include "core/CKvDb.h"
#include "core/KvSqliteBackend.h"
#include "forms/CFormChildFrm.h"
#include "forms/CFormDataType.h"
#include "forms/CKvDocTemplate.h"
#include "timetable/CPKDoc.h"
#include "timetable/CPKTreeView.h"
#include "timetable/CPkArranger.h"
#include "timetable/CPkOpenPlanDlg.h"
#include "ui/KvModal.h"

#include <benchmark/benchmark.h>

#include <sqlite3.h>

#include <QApplication>
#include <QHash>
#include <QHeaderView>
#include <QImage>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>
#include <QTreeWidget>

namespace {
// The school arranged once, the main frame shown, the open dialog answered
// OK and the class page's arguments on class 010101.
CKvDb* ready() {
  static CKvDb* pDb = []() -> CKvDb* {
    CKvDb* db = KvPkBenchSqliteSchool();
    if (!db)
      return nullptr;
    // Operator 101 with the timetable rights, as the office works.
    CKvDataFile& file = KvGetApp()->GetDataFile();
    file.SetOperatorCode(QStringLiteral("101"));
    for (const char* right : {"1905", "1906", "1907", "1908"})
      db->Execute(QStringLiteral("Insert Into PWR(OPNO,PWR) Values('101','%1')").arg(QLatin1String(right)));
    if (!file.LoadRights())
      return nullptr;
    file.GetYear(true);
    CPkArranger(QStringLiteral("2024"), 1, QStringLiteral("20240901"), QStringLiteral("01"), db).Arrange();
    // The frame lives to the process's end (it is not destroyed after the
    // application object).
    auto* frame = new CKvMainFrm;
    frame->resize(1280, 800);
    frame->show();
    KvSetDialogExec([](QDialog* dialog) {
      auto* open = qobject_cast<CPkOpenPlanDlg*>(dialog);
      if (!open)
        return int(QDialog::Rejected);
      open->show();
      open->OnOK();
      open->hide();
      return open->result();
    });
    return db;
  }();
  return pDb;
}

CFormDataType* module() { return dynamic_cast<CFormDataType*>(KvFindDataType(19)); }

CPKDoc* openClassPage() {
  for (const auto& pTemplate : module()->GetTemplates())
    if (pTemplate->GetFlag() == 272) {
      KvDocTypeEntry& entry = pTemplate->Entries()[pTemplate->FindEntry(0)];
      entry.openArgs = {QStringLiteral("2024"), QStringLiteral("1"), QStringLiteral("20240901"),
                        QStringLiteral("010101"), QString()};
      entry.bArgsLoaded = true;
    }
  return dynamic_cast<CPKDoc*>(module()->OpenDocument(272, 0));
}

// Closes the window and delivers what its opening and closing posted, as
// the program's event loop does after each command: events left in the
// queue would make every later object's construction and destruction
// search a longer queue, the baseline's included.
void close(CPKDoc* doc) {
  doc->GetFrames().at(0)->CloseWithoutAsking();
  QCoreApplication::sendPostedEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The frame's size, taken from one opening.
QSize frameSize() {
  static QSize size = [] {
    CPKDoc* doc = openClassPage();
    if (!doc)
      return QSize();
    const QSize s = doc->GetFrames().at(0)->size();
    close(doc);
    return s;
  }();
  return size;
}

// The hand-written window: a tree of STD and a table of one class's week.
struct RawWindow {
  QSplitter splitter;
  QTreeWidget* tree = new QTreeWidget;
  QTableView* table = new QTableView;
  QStandardItemModel model;
  int rowCount = 0;
  sqlite3* db = nullptr;

  explicit RawWindow(sqlite3* handle) : db(handle) {
    splitter.addWidget(tree);
    splitter.addWidget(table);
    table->setModel(&model);
    splitter.resize(frameSize());
    splitter.setSizes({170, 612});
  }
  // The school's tree with the shown class current, its path open, as the
  // window shows it.
  void fillTree(const QString& shown) {
    tree->clear();
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(db, "SELECT rtrim(KNO),rtrim(NA) FROM STD WHERE length(rtrim(KNO))<=6 ORDER BY KNO", -1,
                       &select, nullptr);
    QHash<QString, QTreeWidgetItem*> items;
    while (sqlite3_step(select) == SQLITE_ROW) {
      const QString code = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(select, 0)));
      const QString name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(select, 1)));
      QTreeWidgetItem* parent = items.value(code.left(code.size() - 2));
      const QString text = code.right(2) + u' ' + name;
      items.insert(code, parent ? new QTreeWidgetItem(parent, {text}) : new QTreeWidgetItem(tree, {text}));
    }
    sqlite3_finalize(select);
    if (QTreeWidgetItem* current = items.value(shown)) {
      tree->setCurrentItem(current);
      tree->scrollToItem(current);
    }
  }
  void fillSchedule() {
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(db, "SELECT DT,DN,SBT FROM WKT WHERE Y='2024' AND QC='1' ORDER BY DT,DN", -1, &select,
                       nullptr);
    model.clear();
    model.setHorizontalHeaderLabels({QStringLiteral("时段"), QStringLiteral("节次"), QStringLiteral("星期日"),
                                     QStringLiteral("星期一"), QStringLiteral("星期二"), QStringLiteral("星期三"),
                                     QStringLiteral("星期四"), QStringLiteral("星期五"), QStringLiteral("星期六")});
    rowCount = 0;
    while (sqlite3_step(select) == SQLITE_ROW) {
      const QString dn = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(select, 1)));
      model.setItem(rowCount, 0, new QStandardItem(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(select, 0)))));
      model.setItem(rowCount, 1, new QStandardItem(dn));
      ++rowCount;
    }
    sqlite3_finalize(select);
  }
  void fillClass(const QByteArray& klass) {
    for (int r = 0; r < rowCount; ++r)
      for (int c = 2; c < 9; ++c)
        model.setItem(r, c, new QStandardItem);
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT WK,DT,DN,DS,rtrim(SBT) FROM PK WHERE Y='2024' AND QC='1' AND T='20240901' AND STD=?",
                       -1, &select, nullptr);
    sqlite3_bind_text(select, 1, klass.constData(), int(klass.size()), SQLITE_STATIC);
    while (sqlite3_step(select) == SQLITE_ROW) {
      const int day = sqlite3_column_int(select, 0);
      const int segment = reinterpret_cast<const char*>(sqlite3_column_text(select, 1))[0] - 'B';
      const int row = segment * 4 + sqlite3_column_int(select, 2) - 1;
      if (row < 0 || row >= rowCount || day < 0 || day > 6)
        continue;
      QStandardItem* item = model.item(row, day + 2);
      item->setText(item->text() + QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(select, 4))));
    }
    sqlite3_finalize(select);
  }
  QImage paint() { return splitter.grab().toImage(); }
};

sqlite3* handle(CKvDb* pDb) { return dynamic_cast<KvSqliteBackend*>(pDb->GetBackend())->handle(); }

void OpenAndPaintWindow(benchmark::State& state) {
  if (!ready() || frameSize().isEmpty()) {
    state.SkipWithError("the window did not open");
    return;
  }
  for (auto _ : state) {
    CPKDoc* doc = openClassPage();
    benchmark::DoNotOptimize(doc->GetFrames().at(0)->grab().toImage());
    close(doc);
  }
}
BENCHMARK(OpenAndPaintWindow)->Unit(benchmark::kMillisecond);

void OpenAndPaintRaw(benchmark::State& state) {
  CKvDb* pDb = ready();
  if (!pDb || frameSize().isEmpty()) {
    state.SkipWithError("no school");
    return;
  }
  for (auto _ : state) {
    RawWindow window(handle(pDb));
    window.fillTree(QStringLiteral("010101"));
    window.fillSchedule();
    window.fillClass("010101");
    benchmark::DoNotOptimize(window.paint());
  }
}
BENCHMARK(OpenAndPaintRaw)->Unit(benchmark::kMillisecond);

void SwitchAndPaintWindow(benchmark::State& state) {
  CPKDoc* doc = ready() ? openClassPage() : nullptr;
  if (!doc) {
    state.SkipWithError("the window did not open");
    return;
  }
  CPKTreeView* tree = doc->FindView<CPKTreeView>();
  QList<QTreeWidgetItem*> classes;
  QTreeWidgetItem* unit = tree->topLevelItem(0);
  for (int g = 0; g < unit->childCount(); ++g)
    for (int c = 0; c < unit->child(g)->childCount(); ++c)
      classes.append(unit->child(g)->child(c));
  CFormChildFrm* frame = doc->GetFrames().at(0);
  for (auto _ : state)
    for (QTreeWidgetItem* item : classes) {
      tree->setCurrentItem(item);
      benchmark::DoNotOptimize(frame->grab().toImage());
    }
  state.counters["classes"] = double(classes.size());
  close(doc);
}
BENCHMARK(SwitchAndPaintWindow)->Unit(benchmark::kMillisecond);

void SwitchAndPaintRaw(benchmark::State& state) {
  CKvDb* pDb = ready();
  if (!pDb || frameSize().isEmpty()) {
    state.SkipWithError("no school");
    return;
  }
  QList<QByteArray> classes;
  sqlite3_stmt* select = nullptr;
  sqlite3_prepare_v2(handle(pDb), "SELECT rtrim(KNO) FROM STD WHERE length(rtrim(KNO))=6 AND substr(KNO,1,2)='01' ORDER BY KNO",
                     -1, &select, nullptr);
  while (sqlite3_step(select) == SQLITE_ROW)
    classes.append(reinterpret_cast<const char*>(sqlite3_column_text(select, 0)));
  sqlite3_finalize(select);
  RawWindow window(handle(pDb));
  window.fillTree(QString::fromLatin1(classes.value(0)));
  window.fillSchedule();
  for (auto _ : state)
    for (const QByteArray& klass : classes) {
      window.fillClass(klass);
      benchmark::DoNotOptimize(window.paint());
    }
  state.counters["classes"] = double(classes.size());
}
BENCHMARK(SwitchAndPaintRaw)->Unit(benchmark::kMillisecond);
}  // namespace
