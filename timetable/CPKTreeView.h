#pragma once
// The left pane of the timetable window: the school's units, grades and
// classes (page 0), the teachers (page 1) or the shared rooms (page 2).
// Selecting an item makes its code the document's key (after the question
// about unsaved edits; a cancel selects the old item again). It carries the
// arrange command and, on the class page, the delete of the version's
// timetables under the selected code.

#include "ui/CKvTreeView.h"

class CPKDoc;

class CPKTreeView : public CKvTreeView {
  Q_OBJECT
 public:
  CPKTreeView(CPKDoc* pDoc, QWidget* parent);

  void initialUpdate() override;
  void GetIconIds(QList<int>* itemIcons, QList<int>* secondIcons) const override;
  void OnPrepareContextMenu(QMenu* popup) override;
  bool IsCmdAllowed(int id) override;
  bool IsCmdEnabled(int id) override;
  bool HandlesCmd(int id) const override;
  void ExecuteCmd(int id) override;
  void OnDelete() override;

  // Rebuilds the items and selects the document's key.
  void FillTree();
  // Selects the item of the document's key without following it.
  void SelectDocumentKey();

 private:
  void onCurrentItemChanged();
  // Selects the document's node again after it refused another.
  void reselectDocumentNode();

  CPKDoc* m_pDoc;
  bool m_bFilling = false;
};
