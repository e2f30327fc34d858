#pragma once
// The edit dialog of one fee item (dialog 955 "费用项目"): "增加" proposes
// the next free code, "修改" edits the item of the code it was opened with.
// OK pads the code to two digits and refuses 0, a longer number and an empty
// name; a code another item holds (on "增加") or a declined merge (on
// "修改") keeps the dialog open without a message of its own. A change is
// refused, the dialog staying open, when another window or station changed
// or deleted the item since the dialog read it (CCost::Update). A stored
// change is logged (module 18, operation 0).

#include "school/CCost.h"
#include "ui/CKvAppDlg.h"

class CKvEdit;

class CKvCostEditDlg : public CKvAppDlg {
  Q_OBJECT
 public:
  enum : int { IDD = 955, IDC_CODE = 1032, IDC_NAME = 1033, IDC_NOTE = 1034 };

  // nMode 1 new, 0 modify (the item oldCode).
  CKvCostEditDlg(int nMode, const QString& oldCode, CKvDb* pDb, QWidget* parent = nullptr);

  // The edited item; on "增加" its name and note are the proposal (the code
  // is always the next free one), the name shown selected with the focus.
  CCost m_cost;

  // "修改": reads the item; false when it cannot be read (the connection
  // has shown why): the caller then does not open the form, and a form
  // shown all the same closes at once and writes nothing. Runs when the
  // form is first shown unless it ran before. "增加" reads nothing here.
  bool Load();

 protected:
  void OnInitDialog() override;
  bool DoDataExchange(bool bSaveAndValidate) override;
  bool SaveData() override;

 private:
  int m_nMode;
  QString m_strOldCode;
  // "修改": the item as read at opening.
  CCost m_read;
  // The item read: 0 not yet, 1 read, -1 unreadable.
  int m_nLoaded = 0;
  CKvEdit* m_pCode;
  CKvEdit* m_pName;
  CKvEdit* m_pNote;
};
