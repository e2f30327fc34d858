#pragma once
// What a document asks of the views that show it. A view widget of a
// CKvDoc derives from this as well as from its widget class and registers
// with its document (CKvDoc::AddView); every member has a harmless default,
// so a pane that only shows something (a tree) overrides nothing.

class CKvDoc;

class KvDocView {
 public:
  virtual ~KvDocView() = default;

  // First display after the document was filled and the frame built (the
  // grid view lays itself out from the document here).
  virtual void OnInitialUpdate() {}
  // The document's layout or rows changed as a whole (layout reload,
  // refill): the view rebuilds what it shows.
  virtual void OnDocumentChanged() {}
  // The cell-changed flag of a grid view (of a card form: its record
  // edited): set by edits, cleared by a save.
  virtual bool IsCellChanged() const { return false; }
  virtual void SetCellChanged(bool bChanged) { (void)bChanged; }
  // Puts an open cell editor's text into the document; false when the text
  // was refused (the view has told why and keeps the text; the save and the
  // properties sheet then stop).
  virtual bool CommitEdit() { return true; }
  // The rows were read again: what was typed, the changed flag and the undo
  // and redo steps belonged to the old rows and are dropped.
  virtual void DiscardEdits() {}
  // The id under which the frame's place is kept (CKvDlgPos); 0 means the
  // document's template number.
  virtual int GetPositionId() const { return 0; }
};
