#pragma once
// The child frame of form documents: a document window in the main
// frame's work area. CreateClient makes its panes (by default the
// template's view); a frame with several panes overrides it. Closing the
// window asks the document to save (SaveModified) and, when it is the
// document's last frame, closes the document (OnCloseDocument). The frame
// owns its document and deletes itself when closed.
//
// The frame takes the save command (57603) for its document, so that the
// save reaches the document from every pane of the window (a tree, a grid,
// a card, a note control) and from the main frame.

#include "ui/KvCommandTarget.h"

#include <QMdiSubWindow>

class CKvDoc;
class CKvDocTemplate;
class QSplitter;

class CFormChildFrm : public QMdiSubWindow, public KvCommandTarget {
  Q_OBJECT
 public:
  CFormChildFrm();
  ~CFormChildFrm() override;

  // Makes the client area; false when a pane could not be made (the frame
  // is then not shown).
  virtual bool CreateClient(CKvDoc* pDoc, const CKvDocTemplate& docTemplate);

  CKvDoc* GetDocument() const { return m_pDoc; }
  // Set by the opening before CreateClient; the frame takes the document.
  void SetDocument(CKvDoc* pDoc);

  // Makes a view of class V (constructed with the document as a D and its
  // parent) on the document, registered with it.
  template <class V, class D = CKvDoc>
  V* CreateView(QWidget* pParent) {
    auto* pView = new V(static_cast<D*>(m_pDoc), pParent);
    RegisterView(pView);
    return pView;
  }
  // Registers a view made otherwise with the document.
  void RegisterView(QWidget* pView);

  // Closing without asking (the document closes its frames).
  void CloseWithoutAsking();
  // True from the moment the window accepted to close.
  bool IsClosing() const { return m_bClosing; }

  // The id under which the frame's place is kept (CKvDlgPos); remembered
  // when the frame closes.
  int GetPositionId() const { return m_nPositionId; }
  void SetPositionId(int nId) { m_nPositionId = nId; }

  // --- Commands: the document's save ---

  bool HandlesCmd(int id) const override;
  bool IsCmdEnabled(int id) override;
  void ExecuteCmd(int id) override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  CKvDoc* m_pDoc = nullptr;
  bool m_bNoAsk = false;
  bool m_bClosing = false;
  int m_nPositionId = 0;
};

// A form child frame whose client area is a splitter; a subclass calls the
// base CreateClient and then adds its panes to m_pSplitter.
class CFormChildFrm1 : public CFormChildFrm {
  Q_OBJECT
 public:
  CFormChildFrm1();
  bool CreateClient(CKvDoc* pDoc, const CKvDocTemplate& docTemplate) override;

 protected:
  QSplitter* m_pSplitter = nullptr;
};
