#pragma once
// The list of the student directory dialog (958): students with code, name
// and place, icon 651. It offers no new, modify, delete, cut, copy, paste or
// select all; open (choosing the student) needs exactly one selected row.

#include "ui/CKvListCtrl.h"

class CXxStdList : public CKvListCtrl {
  Q_OBJECT
 public:
  using CKvListCtrl::CKvListCtrl;

  void OnPrepareContextMenu(QMenu* popup) override;
  bool IsCmdAllowed(int id) override;
  void GetIconIds(QList<int>* ids) const override;
  // Choosing: the dialog's OK.
  void OnOpen() override;
};
