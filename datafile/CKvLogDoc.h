#pragma once
// The operation log as a document ("操作日志"): the working periods
// (tasks) of the data file filtered by date, computer, operator, module
// and operation, and the entries of the selected task as a printable form.
//
// The six open arguments keep the filters from one opening to the next:
// [0] the date prefix (empty, YYYY, YYYYMM or YYYYMMDD), [1] the computer,
// [2] the operator, [3] the operation entry ("<code> <name>"), [4] the
// module number, [5] the selected task. Every filter value reaches SQL
// quoted for the connection. The document opens only while the data
// file's log switch is on.

#include "app/CKvOperation.h"
#include "forms/CKvDoc.h"

#include <QList>

class CKvLogDoc : public CKvDoc {
  Q_OBJECT
 public:
  enum : int { kDate = 0, kComputer, kOperator, kOperation, kModule, kTask, kArgCount };

  CKvLogDoc();

  void OnCloseDocument() override;
  void LoadOpenArgs() override;
  void InitFormEntry(KvFormEntry& entry) override;
  void BuildColumns(KvFormEntry& entry) override;
  void BuildHeadNotes(KvFormEntry& entry) override;
  bool PrepareOpen() override;
  bool FillRows() override;
  // The task whose entries the rows are.
  std::function<void()> KeepFillState() override;
  void BuildPrintMacros() override;
  QString GetCommandCaption(int nId, int& nFlag) override;

  // The tasks the filters let through, in task order; -1 when a read failed.
  int LoadFilteredTasks(QList<CKvOperation>* pTasks);
  // Deletes the tasks with their entries, each in a transaction of its own,
  // all but the task this program is writing now (*pbSkipped tells whether
  // it was among them). Logs operation 11 "清除任务：..." and forgets the
  // operator labels no entry uses when a task went. Returns the number
  // deleted; none, after "只有系统管理员才能删除日志！", unless the
  // operator logged in now is the administrator.
  int DeleteTasks(const QList<int>& tasks, bool* pbSkipped);

  // The selected task and its row.
  int m_nTask = 0;
  CKvOperation m_task;

 private:
  // The task's row and one TEXT row per entry of it; false when a read
  // failed.
  bool loadEntries();
};
