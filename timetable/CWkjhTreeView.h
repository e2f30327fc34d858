#pragma once
// The left pane of the teaching-plan window: the school's units, grades and
// classes. Selecting an item shows the plan of its code (after the question
// about unsaved edits; a cancel selects the old item again). Its delete
// removes the plan of the selected code, and only while the grid can be
// edited, so neither a unit above the grades nor an old version is touched.

#include "ui/CKvTreeView.h"

class CWkjhDoc;

class CWkjhTreeView : public CKvTreeView {
  Q_OBJECT
 public:
  CWkjhTreeView(CWkjhDoc* pDoc, QWidget* parent);

  void initialUpdate() override;
  void GetIconIds(QList<int>* itemIcons, QList<int>* secondIcons) const override;
  void OnPrepareContextMenu(QMenu* popup) override;
  bool IsCmdAllowed(int id) override;
  void OnDelete() override;

  // Selects the item of the document's code without following it.
  void SelectDocumentCode();

 private:
  void onCurrentItemChanged();
  // Selects the document's node again after it refused another.
  void reselectDocumentNode();

  CWkjhDoc* m_pDoc;
  bool m_bFilling = false;
};
