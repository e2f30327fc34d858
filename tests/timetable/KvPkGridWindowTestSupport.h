#pragma once
// What the tests of the timetabling windows share: the small school of
// KvPkDbTest with the plan and timetable rights, a work area for the
// document windows, the open dialog answered without a modal loop (its own
// checks run), the windows opened through their templates, and cells typed
// as the operator types them.

#include "KvPkTestSupport.h"
#include "app/KvAppFrame.h"
#include "ui/CMdiClient.h"
#include "ui/KvModal.h"

#include <functional>

class CForthView;
class CKvDoc;
class CPKDoc;
class CPkOpenPlanDlg;
class CWkjhDoc;

// A main frame that has only its work area.
class KvPkWorkArea : public KvAppFrame {
 public:
  KvPkWorkArea();
  ~KvPkWorkArea() override;
  int SelectedTemplateTab() const override { return -1; }
  bool IsTemplateBoxVisible() const override { return false; }
  void ShowTemplateBox(bool) override {}
  bool HasActiveChildFrame() const override { return area.activeSubWindow() != nullptr; }
  CMdiClient* MdiClient() const override { return const_cast<CMdiClient*>(&area); }

  CMdiClient area;

 private:
  KvAppFrame* m_pPrevious = nullptr;
};

class KvPkGridWindowTest : public KvPkDbTest {
 public:
  // What needs no fixture, shared with the walk on the real start-up.
  // Clicks OK: the dialog's check runs; Accepted when it closed.
  static int PressOk(CPkOpenPlanDlg& dialog);
  // Picks the plan list's item with that text.
  static void PickPlan(CPkOpenPlanDlg& dialog, const QString& item);
  // The open arguments a window of (template, kind) starts with.
  static void SetOpenArgs(int nFlag, int nForm, const QStringList& args);
  // Types a text into the TEXT cell (row, shown column) of the document's
  // grid, as the operator's edit; false when refused.
  static bool Type(CKvDoc* pDoc, int row, int column, const QString& text);
  static CForthView* Grid(CKvDoc* pDoc);
  // The texts of the shown row.
  static QStringList RowTexts(CKvDoc* pDoc, int row);

 protected:
  void SetUp() override;
  void TearDown() override;

  // The operator holds exactly these rights ("1908", ...).
  void Grant(const QStringList& codes);
  // One class per grade: unit 01, grades (classes) 0101, 0102, ....
  bool SetOneClassPerGrade();

  // While it lives, the open dialog is shown, handed to `play` (which may
  // change its controls and must answer) and closed with its answer; by
  // default it is accepted through its OK check.
  using KvOpenPlay = std::function<int(CPkOpenPlanDlg&)>;
  void AnswerOpenDialog(KvOpenPlay play = {});

  // Opens a window of the module through its template (the open dialog as
  // answered); null when it did not open.
  CPKDoc* OpenTimetable(int page = 0, const QString& code = QStringLiteral("010101"));
  CWkjhDoc* OpenPlan(const QString& code);
  // The open arguments a window of (template, kind) holds now.
  QStringList OpenArgsOf(int nFlag, int nForm);

  // Closes every document window.
  void CloseAll();
  // The notes logged under operation op of module 19, sorted.
  QStringList LogNotes(int op);

  std::unique_ptr<KvPkWorkArea> m_area;
  KvDialogExecFn m_previousExec;
  bool m_bExecInstalled = false;
};
