#pragma once
// The grid view of a form: one scroll area that paints only the rows in
// view, with a frameless edit field over the current cell when that cell
// may be edited. The form is laid out by a KvGridModel: the title, the head
// notes, the column heads, the TEXT rows, the totals row and the tail notes,
// measured with the fonts and margins of the view's print set.
//
// What callers may rely on:
// - Every cell goes through the virtual cell hooks (GetCellValue,
//   SetCellValue, CanEditCell, OnCellChanged, ...): a derived view decides
//   which cells exist, which may be edited and what a change means.
// - Leaving an edited cell commits it: a text the cell refuses never
//   reaches the document; it stays in the editor, the caret stays in the
//   cell and the operator is told ("输入的“%1”不能放入本栏！"). An accepted
//   one is stored (SetCellValue), reported (OnCellChanged) and recorded for
//   undo (PushUndo), and the view is marked changed.
// - Tab and Enter move to the next cell, Shift+Tab to the previous one, the
//   arrows move when the caret is at the end of the text they point to, and
//   Shift with an arrow extends the selection. A cell entered with one of
//   these keys or with a click has its whole text selected, so that typing
//   replaces it. A double-click puts the caret into the text where it falls,
//   F2 at its end; once the operator typed into the cell or put the caret
//   into it, a click inside it places the caret. Escape takes back the
//   typing not yet committed and selects the cell's whole text again. A key
//   typed while the grid rather than its editor has the focus goes into the
//   current cell.
// - A typed character that would make the text wider than the cell's
//   width (ASCII 1, other characters 2) is refused with a beep and the tip
//   "超出栏宽"; the cell keeps its text. The tip goes when the editor leaves
//   the cell or Escape closes it.
// - A cell's drop-down list (GetCellChoices) writes the first word of the
//   line chosen with Enter or a click; Escape leaves the cell as it was; a
//   printable key closes the list and is typed into the cell at its caret;
//   a command key (with Ctrl, F1, F3, F5, F12) closes the list as Escape
//   does and then runs as it would on the grid (Ctrl+S saves).
// - A paste the cell's input type refuses, into one cell or a block (the
//   cells that take their text are written), beeps and shows under the
//   current cell the edit field's tip (KvPasteRefusal).
// - The right-click menu is menu 306, shown through the popup seam; a command
//   the view does not carry out is shown disabled. Commands the view does not
//   take go to its document.
// - Printing (57607), overlay printing (43400) and the page setup (57605)
//   use the view's print set, stored under (nFlag, nForm as text).

#include "forms/KvDocView.h"
#include "forms/KvGridModel.h"
#include "forms/KvGridText.h"
#include "print/CKvPrintSet.h"
#include "ui/KvCommandTarget.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>

class CKvDoc;
class CKvEdit;
class KvPageMap;
class KvPasteRefusal;
class QMenu;

// One drawing of the form: on screen (scrolled) or one printed page.
struct KvGridPass {
  bool printing = false;
  bool overlay = false;
  // The TEXT rows laid out: rowCount rows from firstRow (on screen all of
  // them, on paper those of the page).
  int firstRow = 0;
  int rowCount = 0;
  int page = 0;
  int totalPages = 0;
  // On screen: the scroll position and the part of the window to draw.
  QPoint scroll;
  QRect clip;
  // Fonts and colours of the areas' roles (title, head, text, tail).
  std::array<QFont, CKvPrintSet::FontCount> fonts;
  std::array<QColor, CKvPrintSet::FontCount> colors;
  QColor background;
  int thinLine = 1;
  int thickLine = 2;
};

// Where a HEAD or FOOT note stands in a pass, and the text it shows there.
// A note left out of the pass (not printed in overlay printing) has no text.
struct KvNotePlace {
  QRect rect;
  QString text;
};

class CKvFormView : public QAbstractScrollArea,
                    public KvCommandTarget,
                    public KvDocView,
                    protected KvGridCellAccess {
  Q_OBJECT
 public:
  explicit CKvFormView(CKvDoc* pDoc, QWidget* parent = nullptr);
  ~CKvFormView() override;

  CKvDoc* GetDocument() const { return m_pDoc; }

  // --- Cell hooks, in the order the view declares them ---

  // Appends blank TEXT rows at the end (a negative count removes rows from
  // the end).
  virtual void AddRows(int nCount);
  // The text and input type of a cell, with the type's two limits.
  virtual void GetCellValue(int nRow, int nCol, const QString& area, QString& text, QString& type,
                            int& nLimit1, int& nLimit2);
  // Stores a cell's text.
  virtual void SetCellValue(int nRow, int nCol, const QString& area, const QString& text);
  // Whether the cell may be written.
  virtual bool CanEditCell(int nRow, int nCol, const QString& area);
  // A cell was written by an edit or a command.
  virtual void OnCellChanged(const QString& text, int nRow, int nCol, const QString& area);
  // Moves TEXT rows nFirst..nLast by nDelta places.
  virtual void MoveRows(int nFirst, int nLast, int nDelta);
  // TEXT rows on a printed page, or in the window.
  virtual int GetRowsPerPage(bool bPrinting);
  // Left edge of a column on screen.
  virtual int GetColumnLeft(int nCol);
  // Whether the operator may change the set of rows.
  virtual bool MayAddRows() { return true; }
  // Copies the selection to the clipboard: the characters selected in one
  // cell, or the block's cells as lines of TAB-separated texts.
  virtual bool Copy();
  // Cut (57635): copies the selection, then deletes it; Paste (57637): the
  // clipboard's text into the current cell, or as a block of cells or whole
  // rows. True when something was written.
  virtual bool Cut();
  virtual bool Paste();
  // The colour of a cell's text (the area's colour).
  virtual QColor GetCellColor(int nRow, int nCol, const QString& area);
  // The choices offered for a cell: mode 0 asked with F4, 1 the cell was
  // entered with a key, 2 with the mouse. Asked for every cell of an
  // editable view; a line chosen on a cell that cannot be edited is not
  // written. Fills the lines (the first word of
  // the chosen one goes into the cell) and the widths of their columns in
  // pixels; true when it filled a list.
  virtual bool GetCellChoices(int nMode, QList<int>& widths, QStringList& list, const QString& area,
                              int nRow, int nCol);
  // The totals row: the label and the text of each column (empty for one
  // that is not summed); false when the form has no totals row.
  virtual bool GetTotalsRow(const KvGridPass& pass, QString& label, QStringList& totals);

  // --- State ---

  KvGridModel& Model() { return m_model; }
  const KvGridModel& Model() const { return m_model; }
  bool IsEditable() const { return m_bEditable; }
  void SetEditable(bool bEditable);
  bool IsChanged() const { return m_bChanged; }
  void SetChanged(bool bChanged) { m_bChanged = bChanged; }
  bool IsOverlay() const { return m_bOverlay; }
  CKvPrintSet& PrintSet() { return m_printSet; }
  const QString& Title() const { return m_strTitle; }
  // Records the form's option number (bit 0 page totals, bit 1 overlay title).
  int Options() const { return m_nOptions; }

  // --- Operations ---

  // Moves the current cell (and the anchor, unless the extend flag is set)
  // and the editor with it.
  void PlaceCaret(int nRow, int nCol, int nCaret, const QString& area);
  // The extend flag: while set, PlaceCaret keeps the anchor.
  void SetExtend(bool bExtend) { m_bExtend = bExtend; }
  void EnsureCellVisible();
  // Lays the form out for the window again: columns, bands, scroll range.
  void RecalcScroll(bool bInvalidate = true);
  // Takes the print set's page, fonts and spacing into the screen layout.
  void ApplyPageSetup();
  // The font, colour and print-set font role of an area.
  QFont GetAreaFont(const QString& area) const;
  QColor GetAreaColor(const QString& area) const;
  static int AreaRole(KvGridArea area);
  // Top of a cell's text inside its row (layout coordinates).
  int GetCellTextTop(const QString& area, int nRow) const;
  // Width of a text in an area's font on screen.
  int MeasureText(const QString& text, const QString& area) const;
  // The print set's lengths (0.1 mm) in the units of a page map.
  KvGridMetrics ScalePageUnits(const KvPageMap& map) const;

  // Records a merged TEXT range (column1, row1, column2, row2, from 0).
  void AddMarkRecord(int nCol1, int nRow1, int nCol2, int nRow2);
  const QList<KvGridMark>& MarkRecords() const { return m_model.Marks(); }

  // --- Editing commands ---
  //
  // They go through the cell hooks: a cell is written only where
  // CanEditCell allows and its input type takes the text, each block write
  // is followed by OnCellChanged with the cell's own area, and a cell the
  // hooks refuse is skipped silently. Edits of one cell are recorded for
  // undo; block edits and row changes are not. Undo and redo write a cell
  // as an edit does (SetCellValue, then OnCellChanged), so that whatever a
  // view computes from its cells follows them.

  // Delete (43007): the characters selected in one cell, else the
  // character at the caret; the cells of a block; whole TEXT rows when the
  // block spans every column (rows holding a cell that may not be edited
  // stay, emptied where they may be; at least one row always stays).
  void DeleteSelection();
  // Paste into many cells (43401): a one-cell clipboard text into every
  // cell of the block.
  bool PasteIntoBlock();
  // Paste into the column (43402): the current TEXT cell's text into its
  // column in every row that is not blank.
  bool PasteIntoColumn();
  // A blank TEXT row at the current row (43403) or after it (43404, the
  // current row moves to it); false when the module adds no rows. A grid
  // without TEXT rows gets its first one (the document's new row) with the
  // caret in its first cell that may be edited.
  bool InsertBlankRow(bool bAfter);
  // Select all (57642): every TEXT cell, the current cell at the top left;
  // with Shift held the anchor stays. Ctrl+A in an open editor (typed into,
  // or the caret put into its text) selects the editor's text instead.
  void SelectAll();
  // The calculator (43002) on the selection; its result goes back into the
  // current cell when that is an editable NUMBER cell, rounded to the
  // decimals the cell keeps. A result the cell still refuses is told
  // ("计算结果“%1”不能放入本栏！").
  void OnCalculator();
  // The calculator's first expression: a NUMBER cell's text, or the number
  // texts of a block joined by "+" (blank and other cells left out, ","
  // removed); empty otherwise.
  QString CalculatorExpression();

  // Records the current cell's value before an edit; see KvGridModel.
  void PushUndo(const KvCellEdit& before);
  // Takes one edit back (TRUE) or puts it back (FALSE).
  void UndoRedo(bool bUndo);

  // Writes a text into a cell as the operator's edit: refused (false) when
  // the cell may not be edited or its input type refuses the text.
  bool CommitCell(int nRow, int nCol, const QString& area, const QString& text, int nCaretBefore);
  // Commits the editor's text to its cell; false when refused (the text
  // stays in the editor and the refusal is told).
  bool CommitEditor();

  // --- Print macros and page metrics ---

  // Gives the notes of the view's copy without a text their field's
  // default text (it stays for every page); the macros of a page are put
  // into the notes, captions and title as they are drawn (FilterText).
  void PrepareMacros();
  QString FilterText(const QString& text, const KvGridPass& pass) const;
  // The title with the document's macros put in (no page numbers).
  QString GetExpandedTitle() const;
  // Line heights and character width of the fonts on a device.
  void MeasureLineHeights(KvGridMetrics& metrics, const std::array<QFont, CKvPrintSet::FontCount>& fonts,
                          QPaintDevice* device) const;
  int GetLineHeight(const QString& area) const { return m_model.LineHeight(KvGridAreaFromName(area)); }
  // The fonts of the print set on a page map.
  std::array<QFont, CKvPrintSet::FontCount> FontsFor(const KvPageMap& map) const;
  // Lays the form out for printed pages on the map's device: the screen
  // layout with the device's fonts, margins and the page's columns; the rows
  // per page are then GetRowsPerPage(true).
  void LayoutForPrinter(const KvPageMap& map);
  const KvGridModel& PageModel() const { return m_pageModel; }
  // The columns in view (on paper: all).
  void GetVisibleColumns(bool bPrinting, int& nFirst, int& nLast) const;

  // Draws the form for a pass: on screen the rows in view, on paper a page.
  void DrawForm(QPainter& painter, const KvGridModel& model, KvGridPass pass);
  // Draws lines of text (broken at "\") spread over the rectangle: "MID"
  // centred, "LEFT" from the left, anything else to the right.
  void DrawCellText(QPainter& painter, const QString& text, const QRect& rect, const QString& align,
                    int pad) const;
  // Draws one HEAD or FOOT row of notes, each at its place (NotePlaces).
  void DrawNoteRow(QPainter& painter, const KvGridModel& model, const KvGridPass& pass, bool bTail,
                   int nRow);
  // The places of a HEAD or FOOT row's notes, in the form's coordinates, for
  // text measured on the device: a note stands in its own frame unless the
  // text before it runs into that frame (a long unit name); the frame then
  // moves to two blanks after that text, so that notes never print over
  // each other. The drawing, the hit test and the editor all take the
  // notes' places from here.
  QList<KvNotePlace> NotePlaces(const KvGridModel& model, const KvGridPass& pass, const QPaintDevice* device,
                                bool bTail, int nRow);
  // A cell's rectangle in the form's coordinates as the window shows it: a
  // note at its place on screen, any other cell as laid out.
  QRect CellPlace(KvGridArea area, int row, int column);
  // Draws the totals row's texts.
  void DrawTotalsRow(QPainter& painter, const KvGridModel& model, const KvGridPass& pass, int firstCol,
                     int lastCol);
  // A screen pass: fonts, colours and lines of the window.
  KvGridPass ScreenPass() const;

  // --- Commands ---

  bool HandlesCmd(int id) const override;
  void ExecuteCmd(int id) override;
  bool IsCmdEnabled(int id) override;

  // Prints the form (57607), onto the pre-printed form (overlay, 43400) or
  // runs the page setup (57605).
  bool Print(int command);
  void OverlayPrint();
  bool PageSetup();

  // Shows the choices of the current cell (mode 0, 1 or 2); true when one
  // was chosen.
  bool ShowCellChoices(int nMode);
  // Shows menu 306 at a global position.
  void ShowContextMenu(const QPoint& globalPos);
  // Lets a derived view change the right-click menu before it is shown.
  virtual void AddContextMenuItems(QMenu* menu) { (void)menu; }

  // --- KvDocView ---

  // Typing not yet committed counts as a change, so that closing asks.
  bool IsCellChanged() const override { return m_bChanged || (m_bEditing && m_bEditDirty); }
  void SetCellChanged(bool bChanged) override { m_bChanged = bChanged; }
  bool CommitEdit() override { return CommitEditor(); }
  void DiscardEdits() override;

  // The editor over the current cell (hidden when it may not be edited).
  CKvEdit* Editor() const { return m_pEditor; }

 protected:
  // A block command's write of one cell (a paste, a delete, 替换): checked
  // as cellTakes, stored as judged and reported (OnCellChanged). False when
  // the cell refused it; it stays out of undo.
  bool writeBlockCell(int row, int column, const QString& area, const QString& text,
                      KvPasteRefusal* refusal = nullptr);
  // Takes a layout: title, shown columns, notes, column heads and options.
  void SetLayout(const QString& title, const QList<KvGridColumn>& columns, const QList<KvHeadNote>& notes,
                 const QList<KvTopWord>& blocks, int headRows, int options);
  // The text a cell shows (a derived view may format it).
  virtual QString GetDisplayText(int nRow, int nCol, KvGridArea area);
  // A command run from a key: true when the view carried it out.
  bool RunKeyCommand(int id);
  // Selects from the anchor to the current cell (the editor is committed
  // first) and shows the current cell.
  void SelectCells(const KvGridCell& anchor, const KvGridCell& current);
  // The text of the current cell as the operator sees it (the editor's
  // while it is being typed).
  QString CurrentCellText();
  // Forgets what the editor holds (the cells it showed were rebuilt).
  void DropEditor();
  // Lays the screen out again after the print set changed or was loaded.
  void MeasureScreen() { measureScreen(); }
  // The editor follows the current cell: shown over it with its text when
  // it may be edited, hidden otherwise. Text being typed stays.
  void updateEditor();

  // KvGridCellAccess
  QString ReadCell(int row, int column, const QString& area) override;
  void WriteCell(int row, int column, const QString& area, const QString& text) override;

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* event) override;

  CKvDoc* m_pDoc = nullptr;
  KvGridModel m_model;
  CKvPrintSet m_printSet;
  bool m_bEditable = true;
  bool m_bChanged = false;
  bool m_bOverlay = false;
  bool m_bExtend = false;
  // The view's copy of the layout's texts.
  QString m_strTitle;
  int m_nOptions = 0;

 private:
  // Puts the editor over its cell where the cell is now shown.
  void positionEditor();
  // The editing commands' share of HandlesCmd, IsCmdEnabled and ExecuteCmd.
  bool handlesEditCmd(int id) const;
  bool isEditCmdEnabled(int id);
  void executeEditCmd(int id);
  // Whether a cell may be written and its input type takes `insert` put
  // into `current` at `position`. A refusal of the input type is noted in
  // `refusal` when one is given; `judged`, when given, receives the insert
  // as the check judged it (KvJudgedText).
  bool cellTakes(int row, int column, const QString& area, const QString& insert,
                 const QString& current = QString(), int position = 0, KvPasteRefusal* refusal = nullptr,
                 QString* judged = nullptr);
  // Tells the paste's refusals, if any, under the current cell.
  void tellRefusal(const KvPasteRefusal& refusal);
  // Removes the characters selected inside the current cell; false when
  // none are or the cell refused the result.
  bool deleteSelectedCharacters();
  void deleteWholeRows(int row1, int row2);
  // A table pasted at the current TEXT cell; false when its rows were not
  // taken (the module adds none).
  bool pasteBlock(const QString& text, int rows, int columns);
  // The selection after a command changed cells or rows: kept inside the
  // form, the current cell shown and the editor refreshed over it.
  void settleSelection(const KvGridCell& anchor, const KvGridCell& current);
  // Both corners on one cell with the caret at 0.
  void settleOn(int row, int column, KvGridArea area) {
    settleSelection(KvGridCell{0, row, column, area}, KvGridCell{0, row, column, area});
  }
  // Moves to a cell as the operator asked (key or mouse): the editor is
  // committed first (a refused text keeps the caret where it is); without
  // the extend flag the cell's whole text is selected. Then the cell's
  // choices are offered in that mode (0: none). True when the caret moved.
  bool moveTo(const KvGridCell& cell, bool extend, int choicesMode);
  // Handles a key for the grid; true when it was used.
  bool handleKey(QKeyEvent* event);
  // The editor's text once `insert` is typed (over its selection).
  QString typedText(const QString& insert) const;
  // Refuses typing `insert` with a beep and "超出栏宽" when the text would
  // pass the cell's input type but for its width; true when refused.
  bool refuseTooWide(const QString& insert);
  // The command a key stands for (0 none).
  static int keyCommand(const QKeyEvent* event);
  void clickAt(const QPoint& pos, Qt::KeyboardModifiers modifiers, bool rightButton);
  // The place of a point of the window in the form.
  KvGridHit hitAt(const QPoint& pos);
  // Whether a point of the window lies on the cell the editor shows.
  bool onEditedCell(const QPoint& pos);
  // Puts the editor's caret where a point of the window falls in its text.
  void putCaretAt(const QPoint& pos);
  // Escape: the editor shows its cell's own text again, wholly selected;
  // false when nothing had been typed or opened in it.
  bool closeEditor();
  // The rectangle of a cell in window coordinates.
  QRect windowRect(KvGridArea area, int row, int column);
  // The box of a note, in the form's coordinates, framed on screen while
  // the note is current: its part of the row; for a note with a field
  // length, as wide as that many characters of the note's font with the
  // editor's margins and the box's lines, unless so wide a box would reach
  // the next note's text.
  QRect noteBox(const KvGridCell& cell);
  void syncEditorSelection();
  void measureScreen();
  // Draws the column heads, TEXT rows and totals of columns firstCol to
  // lastCol, with their lines and (on screen) the current cell's frame.
  void drawColumns(QPainter& painter, const KvGridModel& model, const KvGridPass& pass, int firstCol,
                   int lastCol);

  CKvEdit* m_pEditor = nullptr;
  // The cell the editor shows, and the caret before the operator's first
  // change of it.
  KvGridCell m_editCell;
  bool m_bEditing = false;
  bool m_bEditDirty = false;
  // The operator typed into the editor's cell or put the caret into its
  // text (double-click, F2): a click inside it then places the caret.
  bool m_bCaretInText = false;
  int m_nStepCaret = 0;
  bool m_bDragging = false;
  // Screen fonts of the four roles.
  std::array<QFont, CKvPrintSet::FontCount> m_fonts;
  // The layout of printed pages and their height.
  KvGridModel m_pageModel;
  int m_nPageHeight = 0;
};
