#pragma once
// The list of the fee-item catalogue (dialog 954): one row per item (code,
// name, note) with icon 644. New repeats the edit dialog until Cancel, each
// time proposing the next free code with the name and note last saved (at
// first those of the selected row); open and modify edit the selected item;
// delete removes it without a question unless fee lines use it. New and open
// need the right "1801", modify and delete that right and exactly one row;
// the rows cannot be copied, cut or pasted.

#include "ui/CKvListCtrl.h"

class CKvCostList : public CKvListCtrl {
  Q_OBJECT
 public:
  explicit CKvCostList(CKvDb* pDb, QWidget* parent = nullptr);

  // Refills the rows from the catalogue in code order.
  void Fill();

  void OnPrepareContextMenu(QMenu* popup) override;
  bool IsCmdAllowed(int id) override;
  void GetIconIds(QList<int>* ids) const override;
  void OnNew() override;
  void OnOpen() override;
  void OnModify() override;
  void OnDelete() override;
};
