#pragma once
// The form view of a card document: the card is drawn on the form and the
// derived view's edit controls stand over its fields, so that a record is
// edited where it is printed. The view moves values between its controls
// and the document's record (ExchangeRecord), says whether the record may
// be edited and whether it has unsaved changes, and saves it.
//
// What callers may rely on:
// - The first update sets the card up (its stored page format, the
//   document's title and title band), refreshes the document's read-only
//   flag (asked of this form), hides a control id 3 if the form has one
//   and runs OnUpdate, which sets the layout up again, computes its
//   scales and sizes the form to the card. A derived view places its
//   controls in its own OnUpdate after the base's (MovePageRect,
//   OffsetPage). OnUpdate runs again after page setup, printing, preview
//   and whenever the document changed as a whole.
// - Enter (and Return) that a control leaves alone runs OnTabKey:
//   ExchangeRecord(true); on OK (id 1) the save, on Cancel (id 2) the
//   cancel action, on any other control the focus moves to the next control
//   of the form; then ExchangeRecord(false). Enter on another push button
//   clicks it.
// - OK (1) saves through OnSaveCommand; Cancel (2, Escape) lets the
//   document's list view load its selected record again and then updates
//   the list state: the list is disabled while an editable record has
//   unsaved changes.
// - Commands: 43002 the calculator, 57607 print, 0xE108 print at once,
//   57609 preview, 43400 overlay print, 43408 overlay preview, 57605 page
//   setup; the overlay flag is set only while an overlay print or preview
//   runs. Commands of the document (save) go to it; a change in any of the
//   form's controls, also of one a derived view made after the first
//   update, asks the commands' enabling again (each OnUpdate watches the
//   controls there are).
// - Refresh (43112, F5 anywhere on the form) fills the document again and
//   the form follows its record (CKvDoc::Refill). It first asks whether the
//   unsaved changes may go when the derived view reports the operator's
//   edits (IsCellChanged, none by default); a record the operator left as
//   it was read is read again without a question.

#include "forms/KvDocView.h"
#include "ui/CZrvFormView.h"

class CKvCardDoc;
class KvCardCanvas;

class CKvCardFrmView : public CZrvFormView, public KvDocView {
  Q_OBJECT
 public:
  // The form of template `templateId` on the document (registered with it).
  CKvCardFrmView(unsigned templateId, CKvCardDoc* pDoc, QWidget* parent = nullptr);

  CKvCardDoc* GetDocument() const { return m_pDoc; }

  // --- Hooks of card forms, in the order the framework declares them ---

  // true: the controls' values into the document's record; false: the
  // record into the controls.
  virtual void ExchangeRecord(bool bSave) { (void)bSave; }
  // Takes the controls into the record, tells the document (AfterEdit with
  // -1, -1), refreshes its read-only flag and repaints the card.
  virtual void RefreshRecord();
  // Whether the record may not be edited. Like IsModified a query: it
  // reads the record and changes nothing, so that it may be asked at any
  // time, in the middle of a read or a focus change too. A derived view
  // takes its controls into the record where the operator changes them.
  virtual bool IsReadOnly() { return false; }
  // Whether the record has changes that are not saved (a query, as above).
  virtual bool IsModified(QString& reason) {
    reason.clear();
    return false;
  }
  // Saves the record; true when saved.
  virtual bool SaveRecord(int n) {
    (void)n;
    return true;
  }
  // Enter: see above.
  virtual void OnTabKey();
  // SaveRecord(0); nothing after a failed fill of the document.
  virtual void OnSaveCommand();
  // Enables the document's list view unless an editable record has unsaved
  // changes.
  virtual void UpdateListState();

  // --- Updates ---

  void initialUpdate() override;
  virtual void OnUpdate();
  void OnInitialUpdate() override { initialUpdate(); }
  void OnDocumentChanged() override { OnUpdate(); }

  // --- Placing the controls over the card ---

  // Puts the control's left edge `nOffset` pixels right of the field's left
  // edge and centres it vertically in the field; with bStretch it becomes
  // as wide as the field less twice the offset. Its height stays.
  void MovePageRect(QWidget* pControl, int nField, int nOffset, bool bStretch);
  // Moves the control's top-left corner to (x, y) on the card.
  void OffsetPage(QWidget* pControl, int x, int y);

  bool IsOverlay() const { return m_bOverlay; }
  // The page of the document shown.
  int m_nPage = 0;

  // --- Commands ---

  bool HandlesCmd(int id) const override;
  bool IsCmdEnabled(int id) override;
  void ExecuteCmd(int id) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // The cancel action: the list view's selection hook, then the list state.
  void OnCancel();

  CKvCardDoc* m_pDoc;

 private:
  void paintCard(QPainter& painter);
  void focusNextControl();

  KvCardCanvas* m_pCanvas;
  bool m_bOverlay = false;
};
