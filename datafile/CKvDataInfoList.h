#pragma once
// The list of account-information lines (control 1199 of window 823): one
// row per line with its topic and result, its picture by the line's kind.
// Its right-click menu keeps the list's own commands from "查找(&F)" on; a
// single selected line of kind 0 whose follow-up command the operator may
// run puts that command on top as Open (43005), and only then is Open
// enabled. Open (the menu, Ctrl+O, Enter or a double click) asks the
// dialog to run it (openRequested).

#include "ui/CKvListCtrl.h"

#include <QList>
#include <functional>

struct KvDataInfoItem;

class CKvDataInfoList : public CKvListCtrl {
  Q_OBJECT
 public:
  enum : int { IDC_LIST = 1199 };

  explicit CKvDataInfoList(QWidget* parent = nullptr);

  // The lines shown (the dialog's array) and whether the operator may use a
  // right item of the module.
  const QList<KvDataInfoItem>* m_pItems = nullptr;
  std::function<bool(const QString& rightItem)> m_mayUse;

  // The row whose line's command may run now; -1 when none.
  int CommandRow() const;
  // Selects only that row, shows it and gives the list the focus.
  void SelectRow(int row);

  void GetIconIds(QList<int>* ids) const override;
  void OnPrepareContextMenu(QMenu* popup) override;
  bool IsCmdEnabled(int id) override;
  void OnOpen() override;

 signals:
  void openRequested(int row);
};
