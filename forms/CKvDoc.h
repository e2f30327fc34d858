#pragma once
// The form document behind every grid module: its layout (a KvFormEntry,
// stored or built by the module's default hooks), its TEXT rows with their
// cell-flag rows, the head and tail note texts, the print macros and the
// open arguments of its document type. Modules derive from it and override
// the virtual hooks; every hook has a one-line default.
//
// What callers may rely on:
// - A TEXT row holds one cell per formula record of the layout (hidden
//   columns too, in formula order), then m_nExtraCells extra cells; its flag
//   row holds one character per cell, '0' good and '1' refused by
//   CheckCellText. Column arguments of the hooks (GetColumnListKind,
//   CheckCellText, AfterEdit) are these cell indexes.
// - A cell of a column that ShowsCheckedText shows, while it is not being
//   edited, the text its check gave beside its answer (a name for a code);
//   the cell keeps its own text. Such a shown text belongs to the text it
//   was given for: a cell whose text changed without a check shows its own
//   text until it is checked again.
// - m_colMap maps a shown column (from 0) to its formula index.
// - m_noteTexts runs parallel to m_formEntry.headNotes: the text each note
//   shows and edits (its sWords after the open; ForEachColumnLink moves
//   texts between the notes and the document).
// - The document is made and shown by CKvDocTemplate::OpenDocument and
//   belongs to its frame: it goes when its last frame closes.
// - Commands 43114 (properties) and 57603 (save) are carried out here; a
//   view hands the commands it does not take to its document, and the
//   document's frame hands it the save. Save is enabled while the document
//   has unsaved edits (HasUnsavedEdits: never for a read-only one).

#include "forms/KvDocTypeEntry.h"
#include "forms/KvFormEntry.h"
#include "ui/KvCommandTarget.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>

class CFormChildFrm;
class CKvDb;
class CKvDocTemplate;
class KvDocView;
class QWidget;

// One print macro: a token such as "#co_name" replaced by its value.
struct KvMacroRow {
  QString sCaption;
  QString sToken;
  QString sValue;
};

class CKvDoc : public QObject, public KvCommandTarget {
  Q_OBJECT
 public:
  CKvDoc();
  ~CKvDoc() override;

  // --- Hooks, in the order the framework declares them ---

  // Closes the document's frames without asking again; an override writes
  // its open arguments back and then calls the base.
  virtual void OnCloseDocument();
  // The first hook of a new document: read the open arguments (OpenArgs).
  virtual void LoadOpenArgs() {}
  // Title (sFna), nOpen and nTopNum of a layout that is not stored.
  virtual void InitFormEntry(KvFormEntry& entry) { (void)entry; }
  // The module's default columns; the base only applies the column marks.
  virtual void BuildColumns(KvFormEntry& entry);
  // For every formula with a field link (nType % 100 not 0) asks
  // GetColumnMark: 1 shows it (link + 100), 0 hides it (the bare link), any
  // other answer leaves it. Runs after the columns were built or loaded.
  virtual void PrepareColumns(KvFormEntry& entry);
  // 0 hidden, 1 shown, 2 free (the operator decides).
  virtual int GetColumnMark(const KvFormEntry& entry, int nColumn);
  // The module's default head and tail notes.
  virtual void BuildHeadNotes(KvFormEntry& entry) { (void)entry; }
  // TRUE makes the document read-only.
  virtual bool QueryReadOnly() { return true; }
  // FALSE ends the opening before any window exists, silently.
  virtual bool PrepareOpen() { return true; }
  // Builds the TEXT rows; m_bReadOnly is already answered for the key.
  // FALSE when any read of the fill failed (the connection has shown it):
  // the framework then shows nothing and offers nothing to save (Fill).
  virtual bool FillRows() { return true; }
  // What a failed fill leaves: no TEXT rows. A card document clears its
  // record here as well, so that the card shows none.
  virtual void ClearFill() { ClearRows(); }
  // Before a refresh of the key the document shows: copies of what its fill
  // changes besides the rows, the layout and the note texts (the head, the
  // names and rows read with them), and a function that puts them back.
  // A refresh that cannot read then leaves the window as it was. An empty
  // function (the default) means the document cannot be put back: a failed
  // refresh leaves it showing nothing, as a failed fill does.
  virtual std::function<void()> KeepFillState() { return {}; }
  // A new TEXT row: an empty cell per formula and per extra cell.
  virtual QStringList NewRow() const;
  // Moves a linked note's text: nDir 0 from the document into text (the
  // note shows it), 1 from text back into the document.
  virtual void LinkHeadField(const KvHeadNote& note, QString& text, int nDir) {
    (void)note, (void)text, (void)nDir;
  }
  // The column-head blocks of a layout that is not stored.
  virtual void BuildColumnHead(KvFormEntry& entry);
  // Writes the rows; TRUE when saved (the changed flag is then cleared).
  virtual bool SaveRows() { return true; }
  // TRUE when not read-only and a view has its cell-changed flag set; the
  // reason is emptied. Never after a failed fill.
  virtual bool HasUnsavedEdits(QString& reason);
  // After ReloadLayout read the stored layout: a document whose columns
  // must name its data (the class fee sheet's item columns) checks them as
  // it does at opening and, when they no longer do, resets the stored
  // layout with its word and answers TRUE; the default one is then loaded.
  virtual bool ResetMismatchedLayout() { return false; }
  // May the properties sheet store this change? nAction 1; nKind -1 any,
  // 0 columns, 1 head blocks, 2 notes, 3 title, 4 head rows, 5 sequence
  // number, 6 options; nIndex the first changed record or -1.
  virtual bool OnLayoutChange(int nAction, int nKind, int nIndex, const KvFormEntry& initial,
                              const KvFormEntry& edited) {
    (void)nAction, (void)nKind, (void)nIndex, (void)initial, (void)edited;
    return true;
  }
  // The text after the totals line; nRows is the row count shown.
  virtual void GetSummaryText(QString& out, int nRows) { (void)nRows, out.clear(); }
  // Whether the grid shows its totals line even when no column is summed
  // and there is no summary text (the line then shows its caption only).
  virtual bool HasTotalsLine() const { return false; }
  // Whether the properties sheet offers page n (1 columns, 2 head blocks,
  // 3 head and tail fields).
  virtual bool HasPropertyPage(int n) { (void)n; return true; }
  // Edits a column formula; TRUE when the new text was accepted.
  virtual bool EditFormula(QString& formula) { (void)formula; return false; }
  // Adds the module's macros (AddMacroRow); the standard ones are there.
  virtual void BuildPrintMacros() {}
  // The drop-down list number of a cell index, or its weekday; -1 none.
  virtual int GetColumnListKind(int nColumn) { (void)nColumn; return -1; }
  // TRUE when the text of a cell is acceptable; outText may give the text
  // the cell shows (see ShowsCheckedText).
  virtual bool CheckCellText(int nRow, int nColumn, const QString& text, QString& outText) {
    (void)nRow, (void)nColumn, (void)text, (void)outText;
    return true;
  }
  // Whether the cells of a cell index show the outText of their check
  // instead of their own text (an empty outText shows the cell's text).
  virtual bool ShowsCheckedText(int nColumn) const { (void)nColumn; return false; }
  // The shown text of such a cell when the views take the rows: by default
  // the outText of CheckCellText. A document whose check reads the
  // database gives the names its fill read instead, so that showing the
  // rows reads nothing more.
  virtual QString ShownCellText(int nRow, int nColumn, const QString& text) {
    QString out;
    CheckCellText(nRow, nColumn, text, out);
    return out;
  }
  // Caption (and, through nFlag, the tooltip choice) of a command; empty
  // leaves the registry's caption.
  virtual QString GetCommandCaption(int nId, int& nFlag) { (void)nId, (void)nFlag; return {}; }
  // A view edited a TEXT cell (nRow, cell index nColumn) to text; a card
  // view passes -1, -1 after taking its controls into the record.
  virtual void AfterEdit(int nRow, int nColumn, const QString& text) {
    (void)nRow, (void)nColumn, (void)text;
  }

  // --- What card documents turn off ---

  // TRUE for grid documents.
  virtual bool IsGridDocument() const { return true; }
  // The layout: the stored one of (nFlag, nForm), else the default hooks
  // (InitFormEntry, BuildColumns, BuildHeadNotes, BuildColumnHead). Then
  // the column map and the note texts are rebuilt.
  virtual void LoadLayout();
  // The layout's head check (KvFormEntry::CheckColumnHead).
  virtual bool CheckColumnHead(QString* pMessage);
  // A NUMBER cell's text as the column shows it (its decimals); other
  // columns and texts that are not numbers are returned as they are.
  virtual QString FormatNumber(int nColumn, const QString& text) const;

  // --- Operations ---

  // m_bReadOnly = QueryReadOnly(), and always TRUE after a failed fill.
  void UpdateReadOnly();
  // The fill: the failed mark is dropped, m_bReadOnly answered, then
  // FillRows. When it fails the document shows nothing (ClearFill), is
  // read-only and marked until a fill succeeds; no message is added. TRUE
  // when every read succeeded.
  bool Fill();
  // The last fill failed: nothing is shown, edited or saved.
  bool IsFillFailed() const { return m_bFillFailed; }
  // The first view of the class (or derived from it); null when none.
  template <class T>
  T* FindView() const {
    for (const auto& p : m_views)
      if (auto* v = dynamic_cast<T*>(p.data()))
        return v;
    return nullptr;
  }
  // Views register themselves; a deleted view drops out by itself.
  void AddView(QWidget* pView);
  void RemoveView(QWidget* pView);
  QList<QWidget*> GetViews() const;
  void AddFrame(CFormChildFrm* pFrame);
  QList<CFormChildFrm*> GetFrames() const;

  // Appends a print macro.
  void AddMacroRow(const QString& caption, const QString& token, const QString& value);
  // The value of a macro token; empty when it is not listed.
  QString GetMacroValue(const QString& token) const;
  // Rebuilds the list: the standard macros, then BuildPrintMacros.
  void ResetMacros();

  // Index of the formula whose link is n (a shown one matches on
  // nType % 100); -1 when none.
  static int FindColumnFormula(const KvFormEntry& entry, int n);
  int FindColumnFormula(int n) const { return FindColumnFormula(m_formEntry, n); }
  // positions[i] = FindColumnFormula(entry, numbers[i]); nFirst = the first
  // position found (-1 none); returns how many were found.
  static int MatchColumnFormulas(const KvFormEntry& entry, const QList<int>& numbers,
                                 QList<int>& positions, int& nFirst);
  // Row (nRow), cell (the note's place among the notes of its area and row,
  // by position, then array order) and tail flag of the note named sNote,
  // head notes first; false when none.
  bool FindHeadNoteField(const QString& name, int& nRow, int& nCell, bool& bTail) const;
  // Index in m_formEntry.headNotes of the note at that row and cell; -1.
  int FindNoteAt(bool bTail, int nRow, int nCell) const;
  // LinkHeadField for every linked (system) note, with its m_noteTexts.
  void ForEachColumnLink(int nDir);
  // Appends one block per shown column nFirst .. nFirst + nCount - 1
  // (counted from 1; nCount -1 up to the last) over all head rows, with
  // the column's title as caption.
  static void BuildDefaultColumnHead(KvFormEntry& entry, int nFirst = 1, int nCount = -1);

  // Appends a row and its flag row of '0's.
  void AppendRow(const QStringList& row);
  void ClearRows();
  int GetRowCount() const { return int(m_rows.size()); }
  // Every column cell of the row is empty (extra cells are not looked at).
  bool IsRowBlank(int nRow) const;
  bool IsBlank() const;
  // CheckCellText on one cell; sets its flag character and, for a column
  // that shows checked texts, the cell's shown text; TRUE when good.
  bool CheckCell(int nRow, int nColumn);
  // The text a TEXT cell shows when it is not being edited: its shown text
  // while that belongs to the text the cell holds, else the cell's text.
  QString GetShownText(int nRow, int nColumn) const;
  // Gives every cell of the columns that show checked texts a shown text
  // for the text it holds, asking CheckCellText only where it has none
  // (the flags stay as they are). Run when the views take the rows.
  void UpdateShownTexts();
  // The same for one cell.
  void UpdateShownText(int nRow, int nColumn);
  // Checks every cell of every non-blank row. With bEmpty an empty document
  // gives "空文档！". Bad cells are listed ("第%d行“%s”" with the row from 1
  // and the column's title without its line-break marks) in
  // "下列单元格出错：\n%s". FALSE when any is bad.
  bool CheckAllCells(bool bEmpty);

  // The save command: the views commit their editors (a view that refuses
  // its editor's text tells why and the save stops), then SaveRows; TRUE
  // clears the views' changed flags. After a failed fill nothing is saved
  // (FALSE, nothing shown).
  bool Save();
  // With unsaved edits asks "当前文档已发生了变化，存盘吗？": Yes saves,
  // No discards (the operator has given the edits up: the next refill does
  // not ask about them again). FALSE when cancelled or the save failed.
  // After a failed fill there is nothing to ask: TRUE.
  bool SaveModified();
  // Whether a refill may drop the unsaved edits: with edits the operator
  // has not given up since the last fill or save, asks
  // "刷新将放弃本窗口中尚未保存的修改，继续吗？" (Yes/No). TRUE to go on;
  // always TRUE without unsaved edits.
  bool MayDiscardEdits();
  // The edits shown are given up (the operator deleted what they belong
  // to): the next refill drops them without asking.
  void GiveUpEdits() { m_bEditsGivenUp = true; }
  // Loads the layout again (after the properties sheet stored it) and lets
  // the views rebuild. A layout that reads as the one shown changes
  // nothing. Otherwise the views first commit their editors; each note
  // keeps the text it shows, found by its name (a linked note always, any
  // other unless the sheet gave it new words; a new linked note shows the
  // head), and every row's cells follow their columns (KvColumnOrigins:
  // a deleted column's cells go, a new column's start empty). A layout
  // the document refuses (ResetMismatchedLayout) gives way to its default.
  void ReloadLayout();
  // Fill again and let the views rebuild (command 43112); the views'
  // changed flags and undo and redo steps are cleared. The opening fills
  // the same way, so a fill finds m_bReadOnly answered for its key. FALSE
  // when the fill failed. Over edits typed in its views it asks first
  // (MayDiscardEdits); No changes nothing and gives TRUE. The program's
  // own refills run after a save or after the save question, and ask
  // nothing. A refill of the key the document shows that cannot read
  // (the read has told why, or that the connection is lost) leaves the
  // document and its views as they were, edits and open editor included,
  // when the document can be put back (KeepFillState); after a key change
  // (MarkKeyChanged) it leaves the document showing nothing.
  bool Refill();
  // The key the fill reads (a tree node, a class, a term) was changed:
  // what the document shows belongs to the key before, so a refill that
  // cannot read must not put it back. The next fill clears the mark.
  void MarkKeyChanged() { m_bKeyChanged = true; }

  // The open arguments of the document type (written back when it closes).
  QStringList& OpenArgs() { return m_openArgs; }
  // The page offset of "#printstartpage": chosen start page - first page.
  int GetPageOffset() const { return m_nStartPage - m_nFirstPage; }

  // --- Commands ---

  // Save (57603) and the properties sheet (文档属性); the sheet opens once
  // the views have committed their editors, and not when one refuses.
  bool HandlesCmd(int id) const override;
  void ExecuteCmd(int id) override;
  bool IsCmdEnabled(int id) override;

  // --- Data ---

  CKvDb* m_pDb = nullptr;
  int m_nModule = 0;
  int m_nFlag = 0;
  int m_nForm = 0;
  CKvDocTemplate* m_pTemplate = nullptr;
  KvDocTypeEntry m_entry;
  QString m_strTitle;
  QString m_strHelpTopic;
  bool m_bReadOnly = true;
  KvFormEntry m_formEntry;
  QList<int> m_colMap;
  QList<QStringList> m_rows;
  QStringList m_flagRows;
  // Per TEXT row and cell index: the text a cell held when it was checked
  // and the text it shows for it. Runs parallel to m_rows (a row may hold
  // fewer entries than cells; empty when nothing was given).
  struct KvShownCell {
    QString checked;
    QString shown;
  };
  QList<QList<KvShownCell>> m_shownRows;
  int m_nExtraCells = 0;
  QStringList m_noteTexts;
  QList<KvMacroRow> m_macros;
  int m_nStartPage = 1;
  int m_nFirstPage = 1;

 protected:
  // Column map and note texts from the layout.
  void RebuildColumnMap();

 private:
  // ReloadLayout's steps: the note texts shown before, by note name, and
  // the cells moved from the columns before to the columns now.
  void keepNoteTexts(const QList<KvHeadNote>& before, const QStringList& texts);
  void moveCells(const QList<KvFormula>& before);
  // Records what the cell shows for the text it holds.
  void setShownText(int nRow, int nColumn, const QString& shown);
  // KeepFillState with the framework's own part of the fill (rows, flags,
  // shown texts, layout, note texts, read-only answers); empty when the
  // document cannot be put back.
  std::function<void()> keepShown();

  friend class CKvDocTemplate;
  QStringList m_openArgs;
  QList<QPointer<QWidget>> m_views;
  QList<QPointer<CFormChildFrm>> m_frames;
  bool m_bClosing = false;
  bool m_bFillFailed = false;
  // No at the save question: the edits shown are given up until the next
  // fill or save.
  bool m_bEditsGivenUp = false;
  // The key was changed since the last fill (MarkKeyChanged).
  bool m_bKeyChanged = false;
};

// Runs the properties sheet on the document with the caption; true after
// OK. Installed by the sheet's library; with none installed 43114 is off.
using KvDocPropertiesRunner = std::function<bool(CKvDoc& doc, const QString& caption)>;
KvDocPropertiesRunner KvSetDocPropertiesRunner(KvDocPropertiesRunner runner);

// The first tree view (n 0) or grid view (n 1) of the document, or null.
// Views are told apart by their class names ("CKvTreeView", "CForthView").
QWidget* KvFindDocView(const CKvDoc* pDoc, int n);
