#include "forms/CFormChildFrm.h"

#include "app/CKvDlgPos.h"
#include "forms/CKvDoc.h"
#include "forms/CKvDocTemplate.h"
#include "ui/KvCommands.h"

#include <QCloseEvent>
#include <QSplitter>

CFormChildFrm::CFormChildFrm() { setAttribute(Qt::WA_DeleteOnClose); }

CFormChildFrm::~CFormChildFrm() {
  // The panes go before the document they show.
  if (QWidget* pClient = widget()) {
    setWidget(nullptr);
    delete pClient;
  }
  if (m_pDoc && m_pDoc->GetFrames().size() <= 1)
    delete m_pDoc;
}

void CFormChildFrm::SetDocument(CKvDoc* pDoc) {
  m_pDoc = pDoc;
  if (pDoc)
    pDoc->AddFrame(this);
}

bool CFormChildFrm::CreateClient(CKvDoc* pDoc, const CKvDocTemplate& docTemplate) {
  QWidget* pView = docTemplate.CreateView(pDoc, this);
  if (!pView)
    return false;
  RegisterView(pView);
  setWidget(pView);
  return true;
}

void CFormChildFrm::RegisterView(QWidget* pView) {
  if (m_pDoc)
    m_pDoc->AddView(pView);
}

void CFormChildFrm::CloseWithoutAsking() {
  if (m_bClosing)
    return;
  m_bNoAsk = true;
  close();
}

void CFormChildFrm::closeEvent(QCloseEvent* event) {
  if (m_bClosing) {
    event->accept();
    return;
  }
  if (m_pDoc && !m_bNoAsk && !m_pDoc->SaveModified()) {
    event->ignore();
    return;
  }
  m_bClosing = true;
  KvGetDlgPos().Remember(m_nPositionId, this);
  // The last frame of a document closes the document.
  if (m_pDoc) {
    bool otherOpen = false;
    for (CFormChildFrm* pFrame : m_pDoc->GetFrames())
      if (pFrame != this && !pFrame->IsClosing())
        otherOpen = true;
    if (!otherOpen)
      m_pDoc->OnCloseDocument();
  }
  QMdiSubWindow::closeEvent(event);
}

bool CFormChildFrm::HandlesCmd(int id) const {
  return id == KV_CMD_FILE_SAVE && m_pDoc && m_pDoc->HandlesCmd(id);
}

bool CFormChildFrm::IsCmdEnabled(int id) { return HandlesCmd(id) && KvCmdEnabled(m_pDoc, id); }

void CFormChildFrm::ExecuteCmd(int id) {
  if (HandlesCmd(id))
    m_pDoc->ExecuteCmd(id);
}

CFormChildFrm1::CFormChildFrm1() = default;

bool CFormChildFrm1::CreateClient(CKvDoc* pDoc, const CKvDocTemplate& docTemplate) {
  (void)pDoc, (void)docTemplate;
  m_pSplitter = new QSplitter(this);
  setWidget(m_pSplitter);
  return true;
}
