#pragma once
// The receipt form (956): the receipt drawn as a card, with its controls
// standing over the card's boxes so that a receipt is typed where it
// prints: the student, the term, the number and, per line, a memo, a fee
// item and an amount. Above the card the window's settings: the receipt
// rows, the print mode and print after save.
//
// What callers may rely on:
// - Only an operator with the right "06" edits, and only a new receipt or
//   an unreviewed one of their own that fits in the form's lines; every
//   other receipt, and one that could not be read wholly (the document's
//   fill failed), shows no input controls. Print is disabled while no
//   receipt is shown.
// - Every field goes into the document as the operator changes it; the
//   modified query only compares the document with the receipt as stored.
// - Typing into the student edit looks the student up; one match takes the
//   first term in which the student owes something, with what is owed per
//   item on the first lines. The program's own changes of that text (the
//   name shown once the focus leaves) never do.
// - A save refused leaves the receipt as typed, with the focus on the
//   field at fault. A saved new receipt leaves the form on the next new
//   receipt.
// - Print on a new or changed receipt saves it first and prints what was
//   stored; a refused save prints nothing. Print (57607, Ctrl+P) and
//   overlay print (43400, Ctrl+T) do the same in full format and as an
//   overlay; they are enabled while a stored receipt is shown.
// - The receipt rows change in memory only when the parameters were
//   stored.
// - The receipt rows are never set below the last line typed on the form
//   nor below the longest stored receipt.

#include "forms/CKvCardFrmView.h"
#include "school/KvReceiptSave.h"

class CKvEdit;
class CXxDjDoc2;
class CXxDjListView;
class QCheckBox;
class QComboBox;
class QPushButton;

class CXxDjFrmView : public CKvCardFrmView {
  Q_OBJECT
 public:
  enum : int {
    IDD = 956,
    IDC_STUDENT = 1052,
    IDC_PICK = 1054,
    IDC_TERM = 1053,
    IDC_NUMBER = 1051,
    IDC_PRINT = 1050,
    IDC_ROWS = 1039,
    IDC_MODE = 1046,
    IDC_PRINT_AFTER = 1047,
    IDC_LINE0 = 1300,
    kSlots = 9,
  };

  CXxDjFrmView(CXxDjDoc2* pDoc, QWidget* parent = nullptr);
  CXxDjDoc2* GetDjDoc() const;

  void initialUpdate() override;
  void OnUpdate() override;
  void ExchangeRecord(bool bSave) override;
  bool IsReadOnly() override;
  bool IsModified(QString& reason) override;
  bool SaveRecord(int n) override;
  void OnTabKey() override;

  // The document's values into the controls, the card drawn again.
  void ShowRecord();
  // Print button: the receipt shown in the print mode.
  void OnPrint();

  bool HandlesCmd(int id) const override;
  bool IsCmdEnabled(int id) override;
  void ExecuteCmd(int id) override;

  // Line slot i's memo edit, item combo and amount edit.
  CKvEdit* MemoEdit(int i) const { return m_pMemo[i]; }
  QComboBox* ItemCombo(int i) const { return m_pItem[i]; }
  CKvEdit* AmountEdit(int i) const { return m_pAmount[i]; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  // The print mode of a save that prints only when print after save is set.
  static constexpr int kPrintAfterSave = -1;
  CXxDjListView* list() const;
  // The save; the saved receipt is then printed in nPrintMode, or with
  // kPrintAfterSave in the print mode when print after save is set.
  bool save(int nPrintMode);
  // Whether every amount field shown holds a blank or a number; the first
  // that does not is told and focused.
  bool amountsReadable();
  void focusResult(const KvReceiptSaveResult& result);
  // Prints the receipt shown as stored; refreshes the list after a print.
  void printStored(int nMode);
  // Prints the receipt shown in the mode, a new or changed one saved first.
  void printInMode(int nMode);
  void onStudentEdited(const QString& text);
  void pickStudent();
  void onRowsChosen();

  CKvEdit* m_pStudent;
  QPushButton* m_pPick;
  CKvEdit* m_pTerm;
  CKvEdit* m_pNumber;
  QPushButton* m_pOk;
  QPushButton* m_pCancel;
  QPushButton* m_pPrint;
  QWidget* m_pSettings;
  QComboBox* m_pRows;
  QComboBox* m_pMode;
  QCheckBox* m_pAfter;
  CKvEdit* m_pMemo[kSlots];
  QComboBox* m_pItem[kSlots];
  CKvEdit* m_pAmount[kSlots];
  // The receipt-rows combo's index (n - 1).
  int m_nRowIndex = 0;
};
