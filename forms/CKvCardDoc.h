#pragma once
// The document of a card form: one record shown and edited at a time on a
// fixed page (CKvCardLayout) instead of a grid. A module derives from it,
// keeps its record and fills m_layout.Fields (in its FillRows) before the
// views are first shown; optionally it gives the card's title and the title
// band's height per page and sets the insets.
//
// What callers may rely on:
// - The grid's layout is neither loaded nor checked, numbers are not
//   formatted and the properties sheet is not offered: IsGridDocument is
//   false.
// - The document's questions go to its first card form view
//   (CKvCardFrmView): the read-only query to IsReadOnly, the save to
//   SaveRecord(0), the unsaved-changes query to IsModified. Without such a
//   view the document is read-only, saves without doing anything and has
//   no unsaved changes. After a failed fill it has none either.
// - SetupLayout sets the page of `nPage` up: its format key is the
//   template number x 10 + the page, its title GetCardTitle and its title
//   band GetTitleHeight.

#include "forms/CKvCardLayout.h"
#include "forms/CKvDoc.h"

class CKvCardFrmView;

class CKvCardDoc : public CKvDoc {
  Q_OBJECT
 public:
  CKvCardDoc();

  // --- Hooks of card documents ---

  // The title of the card's title band; the document's title by default.
  virtual QString GetCardTitle(int nPage);
  // The title band's height in form units; 30 by default.
  virtual int GetTitleHeight(int nPage);

  // --- Operations ---

  // Space between the card's edge and its contents on screen, in pixels.
  void SetInsets(int nLeft, int nTop, int nRight, int nBottom);
  // Sets the layout of page nPage up from its stored page format.
  void SetupLayout(int nPage);

  // --- What a card document answers for the grid document ---

  bool QueryReadOnly() override;
  bool SaveRows() override;
  bool HasUnsavedEdits(QString& reason) override;
  bool IsGridDocument() const override { return false; }
  void LoadLayout() override {}
  bool CheckColumnHead(QString* pMessage) override;
  QString FormatNumber(int nColumn, const QString& text) const override;

  CKvCardLayout m_layout;

 private:
  CKvCardFrmView* formView() const;
};
