#pragma once
// The grid view of the module documents: it shows the document's layout
// and rows, passes every cell to the document and keeps the totals row.
//
// What callers may rely on:
// - InitLayout reads the read-only flag (as the document's last fill or
//   layout load answered it) and the layout from the document (title,
//   shown columns, column heads, head and tail notes, options), then
//   MergeCells; it runs when the view is first shown and whenever the
//   document's layout or rows were rebuilt. A derived view sets its fixed
//   columns and modes first and then calls the base.
// - TEXT cells are the document's cells of the shown columns (m_colMap);
//   HEAD and FOOT cells are its note texts (m_noteTexts), in the notes'
//   order of CKvDoc::FindNoteAt. A TEXT cell is drawn (on screen and on
//   paper) with the document's shown text and edited with its own text.
// - A TEXT cell written by an edit, a block command, undo or redo is checked
//   by the document (its flag and shown text), reported to it (AfterEdit)
//   and the totals row is computed again; a derived view's OnCellChanged
//   sees every such write.
// - A cell may be edited when the document is not read-only and
//   IsCellEditable agrees; a HEAD or FOOT note whose layout words show a
//   stored fact (KvNoteShowsStoredFact: a reviewer, a maker, the unit's
//   name) never is, on every sheet, so that what is shown and printed is
//   what is stored. IsCommandEnabled is the module's veto over every
//   command the view or the router would run.
// - The totals row sums the NUMBER columns marked for totals, with the
//   column's decimals: on screen the whole document; on a printed page its
//   own rows when the form's option bit 0 is set, else the rows up to the
//   page's end ("累计", totals mode 1) or the whole document ("合计"). The
//   label is followed by the document's status text.
// - Command 43112 re-runs the document's FillRows and shows the result.

#include "forms/CThirdView.h"

class CForthView : public CThirdView {
  Q_OBJECT
 public:
  explicit CForthView(CKvDoc* pDoc, QWidget* parent = nullptr);

  // Columns kept at the left while the grid scrolls sideways.
  int m_nFixedCols = 0;
  // 1: the totals row reads "累计" and printed pages sum up to their end.
  int m_nTotalsMode = 0;
  // 1: NUMBER cells are shown with their column's decimals.
  int m_nNumberMode = 0;

  // --- Hooks of the module views ---

  virtual void InitLayout();
  // Whether a cell may be edited (the document being editable).
  virtual bool IsCellEditable(const QString& area, int nRow, int nCol) {
    (void)area, (void)nRow, (void)nCol;
    return true;
  }
  // Merged TEXT ranges, added with AddMarkRecord; returns how many.
  virtual int MergeCells() { return 0; }
  // The module's veto over a command.
  virtual bool IsCommandEnabled(int id) {
    (void)id;
    return true;
  }
  // Adds a row's cells to the running totals of the summed columns.
  virtual void AddRowToTotals(int nRow);

  // The totals being summed, one per shown column.
  QList<double> m_totals;
  // Sums rows first .. first + count - 1 into m_totals (AddRowToTotals).
  void SumRows(int nFirst, int nCount);
  // The totals row is computed again when next drawn.
  void RefreshTotals();

  // --- Cell hooks ---

  void AddRows(int nCount) override;
  void GetCellValue(int nRow, int nCol, const QString& area, QString& text, QString& type, int& nLimit1,
                    int& nLimit2) override;
  void SetCellValue(int nRow, int nCol, const QString& area, const QString& text) override;
  bool CanEditCell(int nRow, int nCol, const QString& area) final;
  void OnCellChanged(const QString& text, int nRow, int nCol, const QString& area) override;
  void MoveRows(int nFirst, int nLast, int nDelta) override;
  QColor GetCellColor(int nRow, int nCol, const QString& area) override;
  bool GetTotalsRow(const KvGridPass& pass, QString& label, QStringList& totals) override;

  // --- Commands ---

  bool HandlesCmd(int id) const override;
  void ExecuteCmd(int id) override;
  bool IsCmdEnabled(int id) override;
  bool IsCmdAllowed(int id) override { return IsCommandEnabled(id); }

  // --- KvDocView ---

  void OnInitialUpdate() override { InitLayout(); }
  void OnDocumentChanged() override { InitLayout(); }

 protected:
  QString GetDisplayText(int nRow, int nCol, KvGridArea area) override;

 private:
  // Whether a HEAD or FOOT cell is a note showing a stored fact.
  bool showsStoredFact(int nRow, int nCol, const QString& area) const;
  // The document's cell of a TEXT cell; null when there is none.
  const QString* cellText(int nRow, int nCol) const;
  QString* textCell(int nRow, int nCol);
  // The totals texts of rows first .. first + count - 1.
  QStringList totalsOf(int nFirst, int nCount);

  bool m_bPrintSetLoaded = false;
  bool m_bTotalsDirty = true;
  QStringList m_screenTotals;
};
