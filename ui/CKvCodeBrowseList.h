#pragma once
// The list of the code-directory browser (CKvCodeBrowseDlg): a CKvListCtrl
// whose hooks are the dialog's. Every command of the list (menu, key,
// double click) is first offered to the dialog's OnListCommand, which can
// swallow it; enabling follows the browser's rules and then the dialog's
// IsCmdAllowed. The right-click menu adds back (43012) and drill down
// (43013) before cut.

#include "ui/CKvListCtrl.h"

class CKvCodeBrowseDlg;
class CKvDb;

class CKvCodeBrowseList : public CKvListCtrl {
  Q_OBJECT
 public:
  CKvCodeBrowseList(CKvCodeBrowseDlg* dialog, QWidget* parent);

  // The data file whose rows it copies and compares pasted rows against.
  void SetDb(CKvDb* pDb) { m_pDb = pDb; }

  // Selects only this row, shows it and makes it current; false when there
  // is no such row.
  bool SelectOnlyRow(int row);
  // Selects only the row of the code (first column); false when none.
  bool SelectOnlyCode(const QString& code);
  // Clears the selection and selects the rows of the codes.
  int SelectOnlyCodes(const QStringList& codes);

  bool IsCmdEnabled(int id) override;
  bool IsCmdAllowed(int id) override;
  void ExecuteCmd(int id) override;
  unsigned GetClipboardFormat() const override;
  int GetColumnFormat(int column) const override;
  void GetIconIds(QList<int>* ids) const override;
  int GetCopyTexts(QStringList* texts) const override;
  void PasteItems(const QStringList& texts, bool bCut, bool bSameFile,
                  const CKvDbInfo& from) override;
  void OnPrepareContextMenu(QMenu* popup) override;

  void OnNew() override;
  void OnOpen() override;
  void OnModify() override;
  void OnDelete() override;
  void OnCopy() override;
  void OnCut() override;
  void OnPaste() override;
  void OnMoveLeft() override;
  void OnMoveRight() override;

 private:
  bool offer(int id) const;

  CKvCodeBrowseDlg* m_pDialog;
};
