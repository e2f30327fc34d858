#pragma once
// The grid view with find and replace: it keeps what the find and replace
// dialog handed back (the find text, the find text for replacing, the
// replacement text and the whole-match flag) and does the finding and the
// replacing in the TEXT cells itself.
//
// What callers may rely on:
// - Find next (F3, 57640) looks at the TEXT cells after the current one, row
//   by row, once round the grid, the current cell last. A whole match
//   compares the whole cell; otherwise the cell must hold the text (case
//   counts). The match is selected inside its cell; with none the operator
//   reads "没有查找到含 “%s”的项！".
// - ReplaceAll writes every editable TEXT cell that matches through the
//   column's check, as a block paste does: a cell that refuses keeps its
//   text and the operator reads how many refused; it is not recorded for
//   undo.
// - Find (57636, Ctrl+F) and replace (57641, Ctrl+H) open the find and
//   replace dialog; after its OK the view finds the next match, or replaces
//   every match.

#include "forms/CKvFormView.h"

class CThirdView : public CKvFormView {
  Q_OBJECT
 public:
  explicit CThirdView(CKvDoc* pDoc, QWidget* parent = nullptr);

  // The dialog's results.
  QString m_strFind;
  QString m_strReplaceFind;
  QString m_strReplaceWith;
  bool m_bWholeMatch = false;

  // The characters selected inside the current cell; empty when the
  // selection is not inside one cell.
  QString GetSelectedText();

  // Finds m_strFind after the current cell; true when found.
  bool FindNext();
  // Replaces m_strReplaceFind by m_strReplaceWith in every editable TEXT
  // cell that matches; returns how many cells changed.
  int ReplaceAll();

  // Opens the find and replace dialog for finding (bReplace false) or
  // replacing, then finds or replaces with what it handed back; false when
  // it was cancelled or nothing was found.
  bool OpenFindDialog(bool bReplace);

  // Repaints a TEXT cell whose text changed (and the editor over it).
  void RepaintTextCell(int nRow, int nCol);
  // The current TEXT cell, when empty and editable, takes the text of the
  // nearest cell above it in its column that is not empty; true when it did.
  bool FillFromAbove();

  bool HandlesCmd(int id) const override;
  void ExecuteCmd(int id) override;
  bool IsCmdEnabled(int id) override;
};
