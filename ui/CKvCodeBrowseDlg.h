#pragma once
// The base dialog for browsing and editing a hierarchical code directory one
// level at a time. Codes join their levels with a separator, "-" unless the
// dialog is given another (the parent of 01-02-07 is 01-02; a code without
// "-" lies on the top level, whose parent code is empty). A directory whose
// codes are plain concatenations of fixed-length segments has no separator
// and tells the parent of a code itself (GetParentCode). The list shows the codes under the current parent code, the code
// itself in the first column; the operator drills into a code, goes back
// up, adds, modifies, deletes, cuts, copies and pastes codes, or picks one
// and closes the dialog with OK.
//
// The dialog knows nothing of the data behind the codes: the module's
// dialog derives from it, places List() in its layout, fills the list
// (FillList) and answers the hooks below. Each code is added, changed,
// moved or deleted by the module's hook on its own, with no transaction
// across several codes, so a failure stops at the code it concerns.
//
// Modes: 0 browsing only (opening a code drills into it), 1 picking
// (opening a selectable code picks it, any other drills into it), 2 and more
// opening always picks. The dialog opens beside its start code, selected;
// in mode 1 a start code that cannot be picked opens on its own children. OK opens the selected code as a double click does;
// a pick closes the dialog (OnChoose) with the code in m_strSelectedCode.

#include "core/CKvDbInfo.h"
#include "ui/CKvZrvDlg.h"

#include <QList>
#include <QString>
#include <QStringList>

class CKvCodeBrowseList;

class CKvCodeBrowseDlg : public CKvZrvDlg {
  Q_OBJECT
 public:
  // The dialog of template `idd` whose list is control `listId`; a pasted
  // code is its new parent's code, the separator and its own segment.
  CKvCodeBrowseDlg(unsigned idd, int listId, CKvDb* db, int mode, QWidget* parent = nullptr,
                   const QString& separator = QStringLiteral("-"));

  CKvCodeBrowseList* List() const { return m_pList; }
  int Mode() const { return m_nMode; }
  // The code whose children the list shows; empty on the top level.
  const QString& ParentCode() const { return m_strParentCode; }

  // The code to select when the dialog opens, and the code picked when it
  // closes with OK.
  QString m_strSelectedCode;

  // --- Hooks of the module (defaults as stated) ---

  // Whether the list may carry out the command; false swallows it. [true]
  virtual bool OnListCommand(int id);
  // Sets up the list's columns. [nothing]
  virtual void InitColumns() {}
  // Fills the list with the codes under ParentCode(). [nothing]
  virtual void FillList() {}
  // Icons of the list's rows. [none]
  virtual void GetIconIds(QList<int>* ids) const;
  // Alignment of a list column (CKvListCtrl's formats). [left]
  virtual int GetColumnFormat(int column) const;
  // The clipboard format of the codes. [0x200]
  virtual unsigned GetClipboardFormat() const;
  // Picks m_strSelectedCode and closes the dialog. [the unit check and the
  // guarded OK of the base]
  virtual void OnChoose();
  // Whether the dialog may open at the level of the code. [true]
  virtual bool CanStartAt(const QString& code);
  // Whether data refer to the code. [true]
  virtual bool IsCodeUsed(const QString& code);
  // Whether the code is a lowest-level code that can be picked. [true]
  virtual bool IsSelectable(const QString& code);
  // Whether the code has a level below it to browse. [true]
  virtual bool CanDrillDown(const QString& code);
  // [the text before the last separator; empty when there is none, and
  // always without a separator]
  virtual QString GetParentCode(const QString& code);
  // The module's dialog to add (isNew) or change a code; true when a code
  // was saved, with *code the saved code. [false]
  virtual bool EditCode(QString* code, bool isNew);
  // Deletes one code; true when done. [false]
  virtual bool DeleteCode(const QString& code);
  // Told of each code deleted. [nothing]
  virtual void OnCodeDeleted(const QString& code);
  // The codes copy and cut put on the clipboard. [the selected rows' codes]
  virtual int GetSelectedCodes(QStringList* codes) const;
  // Pastes the clipboard's codes under ParentCode() one by one (see the
  // source). Codes from another data file are refused with
  // "不能在不同数据文件之间粘贴！"; a module that can take them overrides this.
  virtual void PasteRows(const QStringList& rows, bool cut, bool sameFile, const CKvDbInfo& from);
  // The segment a pasted row gets under the target parent, joined to it
  // with the separator; empty leaves the row out. [the row's code]
  virtual QString GetPasteCode(const QString& rowCode, const QString& targetParent);
  // Copies (or, with cut, moves) one code and its data to newCode; true
  // when done. [false]
  virtual bool PasteCode(const QString& rowCode, const QString& newCode, bool cut);
  // Whether cut codes are checked against the target. [true]
  virtual bool CanCutInto();
  // Runs right after the base's setup, before the list is set up. [nothing]
  virtual void OnInitBrowse() {}

  // --- The list's commands ---

  // Open (43005, double click, OK): picks the first selected code or
  // drills into it, by the mode.
  void OpenCode();
  // Drill down (43013), back (43012), new (43004), modify (43006), delete
  // (43007).
  void DrillDown();
  void GoBack();
  void NewCode();
  void ModifyCode();
  void DeleteCodes();

  // OK opens the selected code (when OnListCommand allows open).
  void OnOK() override;

 protected:
  void OnInitDialog() override;

 private:
  // The first-column text of the first selected row; empty when none.
  QString firstSelectedCode() const;
  // Refills the list and selects only the row of the code.
  void refillAt(const QString& code);

  int m_nMode;
  QString m_strParentCode;
  const QString m_strSeparator;
  CKvCodeBrowseList* m_pList;
};
