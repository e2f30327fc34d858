#pragma once
// The task list of the log window (control 1000 of form 859): one row per
// working period with its number, start time, computer and user. New,
// open, modify, cut, copy and paste mean nothing here and leave its menu;
// Delete (43007) asks the view to delete the selected tasks
// (deleteRequested). It prints as "任务表" of form 859.

#include "ui/CKvListCtrl.h"

class CKvLogTaskList : public CKvListCtrl {
  Q_OBJECT
 public:
  enum : int { IDC_LIST = 1000 };

  explicit CKvLogTaskList(QWidget* parent = nullptr);

  void GetIconIds(QList<int>* ids) const override;
  bool GetPrintInfo(int* formId, QString* title) const override;
  void OnPrepareContextMenu(QMenu* popup) override;
  bool IsCmdEnabled(int id) override;
  void OnDelete() override;

 signals:
  void deleteRequested();
};
