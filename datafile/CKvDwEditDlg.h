#pragma once
// Adds one accounting unit under a parent, or modifies one unit (dialog
// 791). A unit's code is its parent's code followed by a segment of 1 to 4
// digits, at most 14 characters in all; a new unit is numbered on from the
// parent's last child. OK checks the segment and the names (asking on a
// name or short name another unit has), then adds or rewrites the unit
// (CKvDwRec::KvAddDw / KvModifyDw, which move sub-units and rows along with
// a changed code) and logs it; a refusal keeps the dialog open. A modified
// unit is read from the data file when the dialog opens, and the save is
// refused when another window or station changed it since.

#include "app/CKvDwRec.h"
#include "ui/CKvAppDlg.h"

class CKvEdit;

class CKvDwEditDlg : public CKvAppDlg {
  Q_OBJECT
 public:
  // bNew: a unit under `code` (empty: a top-level unit); otherwise the unit
  // `code` is modified.
  CKvDwEditDlg(const QString& code, bool bNew, CKvDb* db = nullptr, QWidget* parent = nullptr);

  // Works out the segment and fills the fields; false, after "代码长度不够！",
  // when the code has no room for a segment, or after "%1：已不存在，请刷新后再
  // 修改！" when the unit to modify is gone (the dialog is then not shown).
  bool Prepare();
  // New mode: starts from the values of the unit just added (all but the
  // code), as the list does when it opens the dialog again; the name is
  // shown selected with the focus.
  void TakeValues(const CKvDwRec& rec);

  // The record; after OK its code is the saved unit's whole code.
  const CKvDwRec& Record() const { return m_rec; }

  bool SaveData() override;

 protected:
  bool DoDataExchange(bool bSaveAndValidate) override;

 private:
  bool Refuse(const QString& message, int id);

  QString m_strCode;
  bool m_bNew;
  CKvDwRec m_rec;     // its code holds the segment while the dialog is open
  CKvDwRec m_loaded;  // modify: the unit as loaded, with its former code
  CKvDwRec m_parent;
  int m_nWidth = 0;
  CKvEdit* m_edits[CKvDwRec::kFieldCount] = {};
  class QLabel* m_pParentCode;
};
