#pragma once
// The class fee sheet: one class, one term and one kind of amount (due,
// paid or arrears) as a grid of the class's students in the term against
// the fee items. A due or paid sheet is saved as one voucher of fee lines
// (CPc::SaveClassVoucher); the arrears sheet is read-only.
//
// The head is a CPc: STD the class code, QC the term (-1 none), F the kind
// (1 due, -1 paid, 0 arrears, 2 none), T and DH the voucher's date and
// number, Opr0 and Opr1 its maker and reviewer. The saved head is the
// voucher as last loaded or saved. The open arguments carry date, number,
// class, term and kind.
//
// What callers may rely on:
// - A stored layout whose item columns no longer match the fee items is
//   reset once: the key's rows of the four layout tables are deleted in one
//   transaction (print settings kept) and the default layout is built.
// - Every fill reads the fee items again (a refused read fails the fill)
//   and builds the columns again when they no longer name those items, so
//   a refresh shows an item another workstation added.
// - A save replaces only the lines the sheet shows; a line it read for a
//   student it does not list or an item it has no column for is written
//   back as read, with the voucher's date, number, kind and term. A line
//   whose number, maker or review differs from the head's (it came with a
//   student moved in from another class) is written back exactly as read.
// - Every amount the sheet shows is saved or the save is refused: one for
//   a student or under an item deleted meanwhile refuses under the lock.
//   The save checks every item cell before it reads one (CheckAllCells): a
//   text that is not a number, or one with more than two decimals (the fen
//   the store keeps, whatever the column's layout shows), refuses it with
//   the cell named.
// - An amount is shown and saved as stored: one a data file keeps with more
//   decimals stays so while its cell shows what the fill read.
// - A save that fails leaves both heads as they were; one that succeeds
//   makes them equal.

#include "forms/CKvDoc.h"
#include "school/CCost.h"
#include "school/CPc.h"

class CXxDjDoc0 : public CKvDoc {
  Q_OBJECT
 public:
  CPc m_head;
  CPc m_savedHead;
  // The saved head's voucher as the sheet last loaded or saved it: a save
  // replaces it only while it is still stored so.
  QList<CPc> m_loadedLines;
  // The fee items as the opening or the last fill read them: the default
  // columns are built from them.
  QList<CCost> m_items;
  // Maker and reviewer as "name(code)"; empty without one. Lines of the
  // voucher reviewed by several operators show the first and "等"
  // ("name(code)等").
  QString m_strOpr0;
  QString m_strOpr1;

  void OnCloseDocument() override;
  void LoadOpenArgs() override;
  void InitFormEntry(KvFormEntry& entry) override;
  void BuildColumns(KvFormEntry& entry) override;
  int GetColumnMark(const KvFormEntry& entry, int nColumn) override;
  void BuildHeadNotes(KvFormEntry& entry) override;
  bool QueryReadOnly() override;
  bool PrepareOpen() override;
  // The item check of the opening, run on the layout just stored.
  bool ResetMismatchedLayout() override;
  bool FillRows() override;
  // The heads, the voucher read, the items and the operators' names.
  std::function<void()> KeepFillState() override;
  void LinkHeadField(const KvHeadNote& note, QString& text, int nDir) override;
  bool SaveRows() override;
  bool HasUnsavedEdits(QString& reason) override;
  void GetSummaryText(QString& out, int nRows) override;
  // An item cell takes what ReadItemAmount reads; the other columns take
  // any text.
  bool CheckCellText(int nRow, int nColumn, const QString& text, QString& outText) override;
  // A number as the column shows it, unless that would round what the cell
  // holds: then as held.
  QString FormatNumber(int nColumn, const QString& text) const override;
  void BuildPrintMacros() override;

  // The fee-item code of a column (its formula's last field) when it is a
  // fee-item column; empty otherwise.
  QString ItemCodeOf(int nColumn) const;
  // The amount an item cell's text holds, read as the save reads it: a
  // blank is no amount (0); the text the fill showed for the cell is the
  // stored amount, exactly; any other text is a number of the column's
  // digits and at most two decimals, false otherwise ("12.345", "-" and "."
  // alone, separators, letters).
  bool ReadItemAmount(int nRow, int nColumn, const QString& text, double* amount) const;
  // The text a cell shows for an amount: as held, without separators or
  // trailing zeros; empty for none.
  static QString AmountText(double value);
  // The amount the voucher as loaded holds for a student under an item.
  double LoadedAmount(const QString& student, const QString& code) const;
  // Whether the current operator may edit the open voucher: not reviewed,
  // made by the operator, a term chosen, a due or paid voucher (not the
  // paid summary).
  bool IsVoucherEditable() const;
  // Sets the head's identity (class, term, kind, date and number) to the
  // node's; maker, reviewer and memo are cleared.
  static void TakeIdentity(CPc& head, const CPc& node);
  // Same class, term and kind (and for a paid voucher the same year and
  // number).
  static bool SameIdentity(const CPc& a, const CPc& b);
  // Posts the refresh command (43112) to the grid view: it reloads the
  // sheet once the current handling has finished.
  void PostRefresh();

 private:
  // SaveRows' work; the head may be half changed when it fails.
  bool saveVoucher();
  // A stored layout whose item columns do not name m_items is deleted,
  // with the operator told, so that the default one is built; a copy's
  // template-list row stays. TRUE when it was reset.
  bool resetStaleLayout();
};
