#pragma once
// The receipt document ("收费收据"): the receipts of one day, listed beside
// the receipt being shown or edited, which is drawn as a card. It holds the
// receipt's head and lines (always as many lines as the receipt-rows
// parameter), the same as last loaded or saved, the student, and the
// window's settings: the day, the print mode and print after save.
//
// What callers may rely on:
// - The settings and the lines' items live in the document type's list for
//   the run only (index 0 the day, 1 the print mode, 2 print after save,
//   3 + i the item of line i); a list of any other size starts again from
//   the defaults: the data file's year with today's month and day,
//   positioned print, no print after save, the catalogue's first items.
// - Every read and write goes through the document's connection.
// - A print prints what is stored; the print count and the log change only
//   when pages were printed, together in one transaction.

#include "forms/CKvCardDoc.h"
#include "school/CPc.h"
#include "school/CStd.h"

#include <QHash>
#include <QList>

class CXxDjDoc2 : public CKvCardDoc {
  Q_OBJECT
 public:
  // Print modes.
  enum { kFullFormat = 0, kOverlay = 1, kPositioned = 2 };

  CXxDjDoc2();

  void OnCloseDocument() override;
  void LoadOpenArgs() override;
  // Needs a fee item, then asks for the day (dialog 957).
  bool PrepareOpen() override;
  // The card of the receipt shown; false when the receipt (LoadReceipt) or
  // a name on it could not be read.
  bool FillRows() override;
  // No receipt, and the card of none.
  void ClearFill() override;
  // The receipt shown (heads, student, lines, term, loaded count) and its
  // card.
  std::function<void()> KeepFillState() override;
  QString GetCardTitle(int nPage) override;
  int GetTitleHeight(int nPage) override;
  // An edit on the form draws the card again.
  void AfterEdit(int nRow, int nColumn, const QString& text) override;

  // The receipt-rows parameter n.
  static int ReceiptRows();
  // Memos and amounts emptied; the lines keep their items.
  void ClearLineValues();
  // A new receipt of the day: the next free number (m_strNextNumber when a
  // save has just given it, which it then forgets), the operator as maker.
  void PrepareNewReceipt();
  // The receipt numbered dh of the day: its head, student and first n
  // lines; the number of lines it has, -1 when it or its student cannot be
  // read (no receipt is then shown, and the next fill fails).
  int LoadReceipt(const QString& dh);
  // No receipt shown.
  void ClearReceipt();
  // The stored head and lines become those shown.
  void KeepStored();
  // The lines sized to n; new lines empty.
  void ResizeLines(int n);
  // A receipt loaded with more lines than the form shows.
  bool IsLongReceipt() const { return m_nLoadedLines > m_lines.size(); }

  // A log row of the receipt work (module 18, operation 2) on the
  // document's connection, inside the caller's transaction; true while the
  // data file's log is off.
  bool WriteLog(const QString& note);
  // What a print found stored of the receipt shown.
  enum StoredState { kAsShown, kTaken, kGone };
  // Prints the receipt shown as it is stored now, in the mode. It is read
  // first: one no longer stored prints nothing and shows "该收据已不存在！"
  // (kGone); one changed elsewhere is taken into the document as stored
  // (kTaken: the form is to show it again) and printed. Any failed read
  // (lines, student, items, operators, the positioned layout) prints
  // nothing. A printed job raises the print count and logs the print;
  // true when both were written.
  bool PrintReceipt(int nMode, QWidget* parent, StoredState* pState = nullptr);
  // A print of the receipt shown: its print count raised and the log row,
  // in one transaction; false (nothing written) when the count touched no
  // line.
  bool RecordPrint(const QString& note);
  // Whether the stored receipt read (its first line as head, and its lines)
  // is the one the document loaded.
  bool IsShownAsStored(const CPc& head, const QList<CPc>& lines) const;

  QString m_strDay;
  CPc m_head;
  CPc m_storedHead;
  CStd m_student;
  QList<CPc> m_lines;
  QList<CPc> m_storedLines;
  QString m_strTerm;
  int m_nPrintMode = kPositioned;
  int m_nPrintAfterSave = 0;
  // How many lines the receipt shown has in PC; -1 after a failed load.
  int m_nLoadedLines = 0;
  // The number a save read as the next new one; empty when none is known.
  QString m_strNextNumber;
  // The operators' names the card has shown, by code: read once per window.
  QHash<QString, QString> m_operatorNames;

 private:
  // A long receipt's lines after those the form shows: not on the card's
  // rows, but in its total.
  QList<CPc> m_unshownLines;
  // The stored receipt (its first line as head, and its lines) into the
  // document; false when its student could not be read: no receipt is then
  // shown and the next fill reports the failed load.
  bool takeReceipt(const CPc& head, const QList<CPc>& lines);
};
