#pragma once
// The list pane of the modules' windows: a list control in details that
// fills a view of a document window (a QMdiSubWindow, or a pane of one).
//
// It is a CKvListCtrl with the editing surface of the list control (keys,
// copy, cut and paste of rows, select all, invert selection, find and
// type-ahead, view styles) and what a view adds:
// - initialUpdate, which the window's owner calls once the view is placed:
//   the list is set up afresh, switched to details, given the columns of
//   GetColumns and filled by Fill;
// - refresh (43112, F5), which fills the list again and selects the rows whose
//   first-column texts were selected before, wherever they now stand;
// - print and page setup through the application's shared print set, for a
//   view whose GetPrintInfo names its form; save as proposes that form's
//   title, or "青禾苑文档";
// - a shorter right-click menu 300: find next, the calculator, save as,
//   print and page setup are not in it;
// - OnSelChange after every change of the selected rows; open (Enter, a
//   double click) modifies unless a derived view says otherwise.
//
// A module's view derives from it and fills in the hooks: GetColumns, Fill,
// GetIconIds, OnPrepareContextMenu, IsCmdAllowed, OnSelChange and the
// operations new, open, modify, delete and paste.

#include "ui/CKvListCtrl.h"

class CKvListView : public CKvListCtrl {
  Q_OBJECT
 public:
  explicit CKvListView(QWidget* parent = nullptr);

  // Sets the list up (clipboard format, icons, no row colours, no find
  // text), shows it in details, replaces its columns with those of
  // GetColumns and fills it. A derived view that needs more calls this
  // first.
  virtual void initialUpdate();

  // --- Hooks ---

  // The columns: one per width, with the caption of the same index. None
  // by default.
  virtual void GetColumns(QList<int>* widths, QStringList* captions) const;
  // Fills the rows (a refill starts by removing the old ones). Nothing by
  // default.
  virtual void Fill();
  // The selected rows changed.
  virtual void OnSelChange();
  // Puts the rows of GetCopyRows on the clipboard, as copied or cut.
  virtual void CopyRows(bool bCut);
  // The texts a copy carries: the selected rows' first-column texts.
  virtual int GetCopyRows(QStringList* rows) const;
  // Reads rows of the view's clipboard format; returns their number.
  virtual int ReadClipboardRows(QStringList* texts, bool* bCut, bool* bSameFile, CKvDbInfo* from);
  // What pasting the rows means; nothing by default.
  virtual void PasteRows(const QStringList& texts, bool bCut, bool bSameFile,
                         const CKvDbInfo& from);
  // Fills the list again behind the wait window and selects again every
  // row whose first-column text was selected.
  virtual void OnRefresh();

  // --- What the list control's hooks mean for a view ---

  // Open modifies.
  void OnOpen() override;
  // Print and page setup need the shared print set, an open data file and
  // a form from GetPrintInfo; every other command follows the list
  // control's rules.
  bool IsCmdEnabled(int id) override;
  // The title from GetPrintInfo when the view can print, else
  // "青禾苑文档", then the list export.
  void OnSaveAs() override;
  // Print and page setup of the form, with the shared print set.
  void OnPrint() override;
  void OnPageSetup() override;

  void CopyItems(bool bCut) final { CopyRows(bCut); }
  int GetCopyTexts(QStringList* texts) const final { return GetCopyRows(texts); }
  int ReadClipboard(QStringList* texts, bool* bCut, bool* bSameFile, CKvDbInfo* from) final {
    return ReadClipboardRows(texts, bCut, bSameFile, from);
  }
  void PasteItems(const QStringList& texts, bool bCut, bool bSameFile, const CKvDbInfo& from) final {
    PasteRows(texts, bCut, bSameFile, from);
  }

  // The list control's commands and refresh (43112).
  bool HandlesCmd(int id) const override;
  void ExecuteCmd(int id) override;

 protected:
  // F5 refreshes; every other key as in the list control.
  bool HandleKey(const QKeyEvent* event) override;
  bool ClaimsKey(const QKeyEvent* event) const override;
  // Menu 300 without find next, the calculator, save as, print and page
  // setup, and without the separators that stood before them.
  QMenu* BuildContextMenu() override;

 private:
  // Whether the view prints: the shared print set, the connection and the
  // form id and title of GetPrintInfo, filled into the target.
  bool printTarget(KvListPrintTarget* target) const;
};
