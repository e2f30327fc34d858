#pragma once
// The list of the receipt window: the day's receipts (number, student,
// telephone, maker, reviewer) and, for an operator who may make receipts,
// the row "新单". Selecting one row shows that receipt, or prepares a new
// one, in the receipt form; the list also deletes receipts and reviews them
// or cancels their reviews.
//
// What callers may rely on:
// - A row's icon tells whether the receipt is reviewed (1) and printed (2).
// - Delete needs the right "06" and one's own receipt; review and cancel
//   need "07"; review is refused while the form has unsaved changes, and
//   cancel is allowed only on one's own review.
// - Each delete, review and cancel writes its log row in one transaction
//   with the change, on the document's connection; a review or cancel that
//   changed nothing is not logged.

#include "school/CPc.h"
#include "ui/CKvListView.h"

class CXxDjDoc2;
class CXxDjFrmView;

class CXxDjListView : public CKvListView {
  Q_OBJECT
 public:
  CXxDjListView(CXxDjDoc2* pDoc, QWidget* parent = nullptr);

  static const QString kNewRow;

  CXxDjDoc2* GetDocument() const { return m_pDoc; }
  // 1: the only selected row is "新单"; 0: it is a receipt; -1: not
  // exactly one row is selected.
  int GetNewState() const;
  // Makes the row of the number (with bNotLess the first at or after it,
  // else the last) the only selected row, which loads it.
  void SelectNumber(const QString& number, bool bNotLess = false);

  // After a new receipt of the day was saved: when the day's lines added up
  // to what the list shows right before the save wrote (`before`) and the
  // receipt's number follows every receipt listed, the "新单" row becomes
  // the receipt's row (number, student's name and telephone, maker) and a
  // new "新单" row follows, which is what a refill gives without reading
  // the day again; false (the list unchanged) otherwise.
  bool ShowSavedReceipt(const CPc& head, const QString& name, const QString& tel, const CPc::DayTally& before,
                        int nLines);
  // Deletes the receipt of the day with its log row, in one transaction
  // under the PC lock: the receipt's review and maker are checked there,
  // after the operator's answer.
  bool DeleteReceipt(const QString& number);
  // Reviews the receipt, or cancels its review; a change is logged in the
  // same transaction.
  bool ReviewReceipt(const QString& number, bool bReview);

  void initialUpdate() override;
  void GetColumns(QList<int>* widths, QStringList* captions) const override;
  void GetIconIds(QList<int>* ids) const override;
  void Fill() override;
  void OnPrepareContextMenu(QMenu* popup) override;
  bool IsCmdAllowed(int id) override;
  void OnDelete() override;
  void OnSelChange() override;
  void OnRefresh() override;

  bool HandlesCmd(int id) const override;
  void ExecuteCmd(int id) override;

 private:
  CXxDjFrmView* form() const;
  // Appends the row of a receipt (or of "新单") with its icon.
  void addReceiptRow(const CPc& receipt, const QString& name, const QString& tel);
  // Reviews (or cancels the reviews of) the selected receipts.
  void review(bool bReview);

  CXxDjDoc2* m_pDoc;
  // What the lines of the receipts listed add up to.
  CPc::DayTally m_tally;
  // Whether the last Fill read the day's receipts (else the list stayed).
  bool m_bListRead = false;
  // The receipt shown before a refresh, put back when the refresh cannot
  // read it again; empty outside a refresh.
  std::function<void()> m_putBackShown;
};
