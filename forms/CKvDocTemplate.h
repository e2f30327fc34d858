#pragma once
// The document template of one form type of a module: its resource (menu)
// id, template number (nFlag), whether operators may copy it, the module
// number, its document types (KvDocTypeEntry) and the factories that make
// its document, child frame and first view. OpenDocument runs the whole
// opening of a document of one of its types.
//
// A template is added to its module (CFormDataType::AddTemplate, which sets
// the module number) before its entries are added, so that short right
// codes get the module number in front.

#include "forms/KvDocTypeEntry.h"

#include <QList>
#include <QString>
#include <functional>
#include <memory>

class CFormChildFrm;
class CKvDoc;
class QWidget;

class CKvDocTemplate {
 public:
  using DocFactory = std::function<CKvDoc*()>;
  using FrameFactory = std::function<CFormChildFrm*()>;
  using ViewFactory = std::function<QWidget*(CKvDoc* pDoc, QWidget* pParent)>;

  CKvDocTemplate(int nResourceId, DocFactory doc, FrameFactory frame, ViewFactory view, int nFlag,
                 bool bCopies);
  virtual ~CKvDocTemplate();
  CKvDocTemplate(const CKvDocTemplate&) = delete;
  CKvDocTemplate& operator=(const CKvDocTemplate&) = delete;

  // A template whose document, frame and view are default-constructible
  // classes (the view constructed with the document and its parent).
  template <class Doc, class Frame, class View>
  static std::unique_ptr<CKvDocTemplate> Make(int nResourceId, int nFlag, bool bCopies) {
    return std::make_unique<CKvDocTemplate>(
        nResourceId, [] { return static_cast<CKvDoc*>(new Doc); },
        [] { return static_cast<CFormChildFrm*>(new Frame); },
        [](CKvDoc* pDoc, QWidget* pParent) {
          return static_cast<QWidget*>(new View(static_cast<Doc*>(pDoc), pParent));
        },
        nFlag, bCopies);
  }

  int GetResourceId() const { return m_nResourceId; }
  // The template number (nFlag of its layouts).
  int GetFlag() const { return m_nFlag; }
  bool AllowsCopies() const { return m_bCopies; }
  int GetModule() const { return m_nModule; }
  void SetModule(int nModule) { m_nModule = nModule; }

  // Appends a document type; an empty description takes the name; a right
  // code of two characters or fewer gets the module number in front.
  void AddEntry(int nForm, const QString& name, const QString& description, int nLock,
                const QString& right, int nIcon, int bStored);
  QList<KvDocTypeEntry>& Entries() { return m_entries; }
  const QList<KvDocTypeEntry>& Entries() const { return m_entries; }
  // Index of the entry with that sequence number; -1 when none.
  int FindEntry(int nForm) const;

  CKvDoc* CreateDocument() const;
  CFormChildFrm* CreateFrame() const;
  QWidget* CreateView(CKvDoc* pDoc, QWidget* pParent) const;

  // Opens a document of type nForm: the document is made, set up
  // (LoadOpenArgs), asked (PrepareOpen: FALSE discards it silently), given
  // its layout, read-only state and rows, then shown in a new child frame
  // in the main frame's work area at the view's remembered place, and the
  // opening is logged (12 new, 13 open). Null when it did not open.
  CKvDoc* OpenDocument(int nForm, bool bNew);

 private:
  int m_nResourceId;
  DocFactory m_docFactory;
  FrameFactory m_frameFactory;
  ViewFactory m_viewFactory;
  int m_nFlag;
  bool m_bCopies;
  int m_nModule = 0;
  QList<KvDocTypeEntry> m_entries;
};
