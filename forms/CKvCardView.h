#pragma once
// The scrolling view of a card document that only draws the card: the card
// fills the window (unless its page format holds a card size of its own),
// for looking at the page, previewing and printing it.
//
// What callers may rely on:
// - Every update (the first, after page setup, printing or a preview, on
//   resizing and when the document changed as a whole) sets the card's size
//   to the view's, sets the layout up from its stored page format, computes
//   the scales and repaints.
// - Commands: 57605 page setup, 43002 the calculator, 57607 print, 0xE108
//   print at once, 57609 preview, 43400 overlay print and 43408 overlay
//   preview; the overlay flag is set only while an overlay print or
//   preview runs. Other commands go to the document.

#include "forms/KvDocView.h"
#include "ui/KvCommandTarget.h"

#include <QScrollArea>

class CKvCardDoc;
class KvCardCanvas;

class CKvCardView : public QScrollArea, public KvCommandTarget, public KvDocView {
  Q_OBJECT
 public:
  // A view of the document (registered with it).
  explicit CKvCardView(CKvCardDoc* pDoc, QWidget* parent = nullptr);

  CKvCardDoc* GetDocument() const { return m_pDoc; }

  virtual void initialUpdate();
  virtual void OnUpdate();
  void OnInitialUpdate() override { initialUpdate(); }
  void OnDocumentChanged() override { OnUpdate(); }

  bool IsOverlay() const { return m_bOverlay; }
  // The page of the document shown.
  int m_nPage = 0;

  bool HandlesCmd(int id) const override;
  bool IsCmdEnabled(int id) override;
  void ExecuteCmd(int id) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

  CKvCardDoc* m_pDoc;

 private:
  void paintCard(QPainter& painter);

  KvCardCanvas* m_pCanvas;
  bool m_bOverlay = false;
  bool m_bShown = false;
};
