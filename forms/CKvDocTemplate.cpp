#include "forms/CKvDocTemplate.h"

#include "app/CKvApp.h"
#include "app/CKvDlgPos.h"
#include "app/CKvOperation.h"
#include "app/KvAppFrame.h"
#include "app/KvDocOpenMode.h"
#include "forms/CFormChildFrm.h"
#include "forms/CKvDoc.h"
#include "forms/KvDocView.h"
#include "ui/CKvListView.h"
#include "ui/CKvTreeView.h"
#include "ui/CMdiClient.h"
#include "ui/CZrvFormView.h"
#include "ui/KvCommands.h"
#include "ui/KvResources.h"

#include <algorithm>
#include <memory>

namespace {

// Operation codes of the log.
constexpr int kLogNewDocument = 12;
constexpr int kLogOpenDocument = 13;

// The first update of a pane once its frame is built: a document view's
// own, or the set-up of a tree, list or form pane of the views library.
// Returns the document view, null for a pane of another kind.
KvDocView* initialUpdate(QWidget* pWidget) {
  if (auto* pView = dynamic_cast<KvDocView*>(pWidget)) {
    pView->OnInitialUpdate();
    return pView;
  }
  if (auto* pTree = qobject_cast<CKvTreeView*>(pWidget))
    pTree->initialUpdate();
  else if (auto* pList = qobject_cast<CKvListView*>(pWidget))
    pList->initialUpdate();
  else if (auto* pForm = qobject_cast<CZrvFormView*>(pWidget))
    pForm->initialUpdate();
  return nullptr;
}

}  // namespace

CKvDocTemplate::CKvDocTemplate(int nResourceId, DocFactory doc, FrameFactory frame,
                               ViewFactory view, int nFlag, bool bCopies)
    : m_nResourceId(nResourceId),
      m_docFactory(std::move(doc)),
      m_frameFactory(std::move(frame)),
      m_viewFactory(std::move(view)),
      m_nFlag(nFlag),
      m_bCopies(bCopies) {}

CKvDocTemplate::~CKvDocTemplate() = default;

void CKvDocTemplate::AddEntry(int nForm, const QString& name, const QString& description, int nLock,
                              const QString& right, int nIcon, int bStored) {
  KvDocTypeEntry entry;
  entry.nForm = nForm;
  entry.sName = name;
  entry.sDesc = description.isEmpty() ? name : description;
  entry.nLock = nLock;
  entry.sRight = right.size() <= 2 ? KvModuleRightCode(m_nModule, right) : right;
  entry.nIcon = nIcon;
  entry.bStored = bStored;
  m_entries.append(entry);
}

int CKvDocTemplate::FindEntry(int nForm) const {
  for (int i = 0; i < m_entries.size(); ++i)
    if (m_entries.at(i).nForm == nForm)
      return i;
  return -1;
}

CKvDoc* CKvDocTemplate::CreateDocument() const { return m_docFactory ? m_docFactory() : nullptr; }

CFormChildFrm* CKvDocTemplate::CreateFrame() const {
  return m_frameFactory ? m_frameFactory() : nullptr;
}

QWidget* CKvDocTemplate::CreateView(CKvDoc* pDoc, QWidget* pParent) const {
  return m_viewFactory ? m_viewFactory(pDoc, pParent) : nullptr;
}

CKvDoc* CKvDocTemplate::OpenDocument(int nForm, bool bNew) {
  const int index = FindEntry(nForm);
  if (index < 0)
    return nullptr;
  KvDocTypeEntry& entry = m_entries[index];
  if (!entry.bArgsLoaded) {
    if (!entry.bArgsForRun)
      KvReadDocOpenMode(m_nFlag, nForm, entry.openArgs);
    entry.bArgsLoaded = true;
  }

  std::unique_ptr<CKvDoc> pDoc(CreateDocument());
  if (!pDoc)
    return nullptr;
  pDoc->m_pDb = KvGetAppDb();
  pDoc->m_nModule = m_nModule;
  pDoc->m_nFlag = m_nFlag;
  pDoc->m_nForm = nForm;
  pDoc->m_pTemplate = this;
  pDoc->m_entry = entry;
  pDoc->m_strTitle = entry.sName;
  pDoc->m_openArgs = entry.openArgs;

  pDoc->LoadOpenArgs();
  if (!pDoc->PrepareOpen())
    return nullptr;
  pDoc->LoadLayout();
  // A fill that fails still opens the window, empty and read-only: the
  // operator sees which document could not be read and refreshes it.
  pDoc->Fill();
  pDoc->ResetMacros();

  CFormChildFrm* pFrame = CreateFrame();
  if (!pFrame)
    return nullptr;
  CKvDoc* pOpened = pDoc.release();
  pFrame->SetDocument(pOpened);
  // The frame joins the work area before its panes are made: the area
  // takes a window in by setting its parent again, which has every pane
  // already there take the area's style, font and palette once more. A new
  // document window takes three quarters of the work area, as child windows
  // of a multiple-document frame open by default, and is placed by that
  // size.
  CMdiClient* pArea = KvGetMdiClient();
  if (pArea) {
    pFrame->resize(pArea->viewport()->size() * 3 / 4);
    pArea->addSubWindow(pFrame);
  }
  if (!pFrame->CreateClient(pOpened, *this)) {
    delete pFrame;
    return nullptr;
  }
  pFrame->setWindowTitle(QString(pOpened->m_strTitle).remove(QStringLiteral("#co_name")));
  // The document type's icon; the program's own while the type has none.
  QIcon icon = KvResourceIcon(entry.nIcon);
  pFrame->setWindowIcon(icon.isNull() ? KvResourceIcon(KV_ICON_APP) : icon);

  int positionId = 0;
  for (QWidget* pWidget : pOpened->GetViews())
    if (KvDocView* pView = initialUpdate(pWidget); pView && positionId == 0)
      positionId = pView->GetPositionId();
  pFrame->SetPositionId(positionId != 0 ? positionId : m_nFlag);
  KvGetDlgPos().Restore(pFrame->GetPositionId(), pFrame);
  // A remembered place never puts part of the window off the work area.
  if (pArea) {
    const QSize room = pArea->viewport()->size();
    pFrame->move(std::clamp(pFrame->x(), 0, std::max(0, room.width() - pFrame->width())),
                 std::clamp(pFrame->y(), 0, std::max(0, room.height() - pFrame->height())));
  }
  pFrame->show();

  CKvOperation::WriteLog(bNew ? kLogNewDocument : kLogOpenDocument, pFrame->windowTitle());
  return pOpened;
}
