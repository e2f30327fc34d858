#pragma once
// What the tests of the timetabling windows share: the hand-made school of
// KvPkDbTest with the log on, the data file's year read, rights granted to
// the operator, the module's descriptor, scripted dialogs, and windows left
// open closed at the end.

#include "KvPkTestSupport.h"

#include "timetable/CPkDataType.h"

#include <QDialog>
#include <QList>
#include <functional>

// Answers the dialogs the code runs with the steps in turn (a step gets
// the dialog shown and gives its result); dialogs beyond the steps are
// cancelled. Records each dialog's object name and title.
class KvDialogScript {
 public:
  using Step = std::function<int(QDialog*)>;
  explicit KvDialogScript(QList<Step> steps = {});
  ~KvDialogScript();
  QStringList names;
  QStringList titles;

 private:
  QList<Step> m_steps;
};

// Presses OK: the dialog's result when it closed, Rejected (after closing
// it) when it stayed open.
int KvPressOk(QDialog* dialog);
// Sets the text of the control id of the dialog (a line edit).
void KvSetText(QWidget* dialog, int id, const QString& text);
QString KvGetText(QWidget* dialog, int id);
// With KV_TEST_GRAB set to a folder, saves the window's picture there.
void KvGrab(QWidget* window, const QString& name);

class KvPkWindowTest : public KvPkDbTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The operator's rights become exactly these codes.
  void Grant(const QStringList& codes);
  CPkDataType* Module();
  // The log's notes of an operation code, sorted.
  QStringList LogNotes(int code);
  // The rows of the tables (name and columns) and of the log, as
  // ExpectAllOrNothing compares them.
  QStringList State(const QList<std::pair<QString, QString>>& tables);
};
