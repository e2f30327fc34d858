#pragma once
// The class fee window's tree: units, grades and classes of the school,
// below each class its terms, below each term the kinds "应收", "实收" and
// "欠费", and below "实收" the class's paid vouchers of the term (and, with
// right 06, "(xxxx)新单"). Choosing a node opens its sheet in the grid; the
// tree also reviews, cancels reviews of and deletes class vouchers.

#include "ui/CKvTreeView.h"

class CPc;
class CXxDjDoc0;

class CXxDjTreeView : public CKvTreeView {
  Q_OBJECT
 public:
  CXxDjTreeView(CXxDjDoc0* pDoc, QWidget* parent = nullptr);

  void initialUpdate() override;
  void GetIconIds(QList<int>* itemIcons, QList<int>* secondIcons) const override;
  void OnPrepareContextMenu(QMenu* popup) override;
  bool IsCmdAllowed(int id) override;
  void OnDelete() override;
  bool HandlesCmd(int id) const override;
  void ExecuteCmd(int id) override;

  // Fills the tree again and selects the node of the document's head.
  void Rebuild();
  // Selects the deepest node that matches the head and makes the head's
  // identity that node's (parts left unmatched are cleared).
  void SelectHead(CPc& head);
  // The identity of a node as a head (class, term, kind, year and number).
  static CPc NodeIdentity(const QTreeWidgetItem* item);

 private:
  void fillBelow(QTreeWidgetItem* parent, const QString& code);
  void onSelectionChanged();
  // Review (true) or cancel the review of the head's vouchers.
  void review(bool bReview);

  CXxDjDoc0* m_pSheet;
  bool m_bFilling = false;
};
