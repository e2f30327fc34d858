#pragma once
// What the data-file tests share: the school edition with a test module
// (number 30) that keeps business months ("收费月", right item 05) and can
// refuse a month change; its data file opened on a test database of each
// kind with every table and the default rows of 2024; dialogs answered by
// a script of steps; and the rows of a table as text.

#include "app/CKvDataType.h"
#include "support/module/KvModuleTestDb.h"

#include <QDialog>
#include <QStringList>
#include <functional>

class KvMonthTestModule : public CKvDataType {
 public:
  static constexpr int kModule = 30;
  KvMonthTestModule();
  int GetMonthPeriod(QString& name) override;
  bool CheckMonthChange(int nMonth, const QString& text1, const QString& text2) override;
  void OnFirstMonthChanged(int nMonth, const QString& text1, const QString& text2) override;
  // The unit-bearing table TDW(HDO, V): rows of a unit carry its code.
  bool CreateTables(CKvDb* pDb) override;
  void GetCodeReferences(const QString& kind, KvCodeRefs& refs) override;
  // Unit import: operation 8 accepts unless refuseImport; operation 9
  // copies the unit's TDW rows of the source file under the new code
  // through the application's connection (and refuses with refuseImport 9).
  bool Check(int nValue, const QString& text, QString& message) override;
  int refuseImport = 0;
  std::function<void()> duringImport;  // called as operation 9 begins

  bool refuseChange = false;
  QStringList calls;
};

class KvDataFileTestApp : public KvModuleTestApp {
 public:
  KvDataFileTestApp();
  KvMonthTestModule* module;
};

// Runs each dialog shown (made visible) with the next step; without one
// the dialog is cancelled.
class KvDialogSteps {
 public:
  using Step = std::function<int(QDialog*)>;
  explicit KvDialogSteps(QList<Step> steps = {});
  ~KvDialogSteps();
  QStringList names;

 private:
  QList<Step> m_steps;
};

// In a worker started under `role`: opens the SQLite data file the test
// named, says READY, holds it until told to go and ends the process. In
// the test's own process it returns at once.
void KvHoldDataFileInWorker(const char* role);

// Saves the window as <KV_TEST_GRAB>/<name>.png when that variable is set.
void KvGrabWindow(QWidget* window, const QString& name);

class KvDataFileDbTest : public KvModuleDbTest {
 protected:
  void SetUp() override;
  std::unique_ptr<KvModuleTestApp> MakeApp() override;
  bool SetTreeParams(CKvDb*) override { return true; }

  KvDataFileTestApp* App() { return static_cast<KvDataFileTestApp*>(m_app.get()); }
  // The month rows of a type: "YY|MM|T0|T1", sorted.
  QStringList Months(int type);
  // The notes of the log rows with the code.
  QStringList LogNotes(int code);
  // Adds a unit row to KVDW as it stands (no checks) and reloads the
  // application's unit array.
  void AddUnit(const QString& code, const QString& name);
  // The units: "KNO|JA", sorted as text.
  QStringList Units();
};
