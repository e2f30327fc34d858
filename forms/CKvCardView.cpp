#include "forms/CKvCardView.h"

#include "forms/CKvCardDoc.h"
#include "forms/CKvCardPrintJob.h"
#include "forms/KvCardCanvas.h"
#include "ui/CKvCommandRouter.h"
#include "ui/KvCalculatorHook.h"
#include "ui/KvCommands.h"

#include <QKeyEvent>
#include <QPainter>

namespace {
bool isCardCommand(int id) {
  switch (id) {
    case KV_CMD_FILE_PAGE_SETUP:
    case KV_CMD_CALCULATOR:
    case KV_CMD_FILE_PRINT:
    case KV_CMD_FILE_PRINT_DIRECT:
    case KV_CMD_FILE_PRINT_PREVIEW:
    case KV_CMD_OVERLAY_PRINT:
    case KV_CMD_OVERLAY_PREVIEW: return true;
    default: return false;
  }
}
}  // namespace

CKvCardView::CKvCardView(CKvCardDoc* pDoc, QWidget* parent)
    : QScrollArea(parent),
      m_pDoc(pDoc),
      m_pCanvas(new KvCardCanvas([this](QPainter& painter) { paintCard(painter); })) {
  setFrameShape(QFrame::NoFrame);
  setWidgetResizable(true);
  setWidget(m_pCanvas);
  // A page is white, as paper is.
  m_pCanvas->setBackgroundRole(QPalette::Base);
  setFocusPolicy(Qt::StrongFocus);
  if (m_pDoc)
    m_pDoc->AddView(this);
}

void CKvCardView::initialUpdate() {
  m_bOverlay = false;
  m_bShown = true;
  OnUpdate();
}

void CKvCardView::OnUpdate() {
  if (!m_pDoc)
    return;
  CKvCardLayout& layout = m_pDoc->m_layout;
  layout.CardSize = viewport()->size();
  m_pDoc->SetupLayout(m_nPage);
  layout.ComputeScale();
  m_pCanvas->setMinimumSize(layout.CardSize);
  m_pCanvas->update();
}

void CKvCardView::resizeEvent(QResizeEvent* event) {
  QScrollArea::resizeEvent(event);
  // Before the first update the document's card is not set up yet.
  if (m_bShown)
    OnUpdate();
}

void CKvCardView::paintCard(QPainter& painter) {
  if (!m_pDoc)
    return;
  painter.setBackground(m_pCanvas->palette().color(QPalette::Base));
  m_pDoc->m_layout.DrawPage(painter, m_bOverlay);
}

bool CKvCardView::HandlesCmd(int id) const {
  return isCardCommand(id) || (m_pDoc && m_pDoc->HandlesCmd(id));
}

bool CKvCardView::IsCmdEnabled(int id) {
  if (isCardCommand(id))
    return true;
  return m_pDoc && m_pDoc->IsCmdEnabled(id);
}

void CKvCardView::ExecuteCmd(int id) {
  switch (id) {
    case KV_CMD_FILE_PAGE_SETUP:
      if (m_pDoc && m_pDoc->m_layout.PageSetup(m_pDoc->m_pDb, this))
        OnUpdate();
      break;
    case KV_CMD_CALCULATOR: {
      QString result;
      KvRunCalculator(false, QString(), this, &result);
      break;
    }
    case KV_CMD_OVERLAY_PRINT: print(KV_CMD_FILE_PRINT, true); break;
    case KV_CMD_OVERLAY_PREVIEW: print(KV_CMD_FILE_PRINT_PREVIEW, true); break;
    case KV_CMD_FILE_PRINT:
    case KV_CMD_FILE_PRINT_DIRECT:
    case KV_CMD_FILE_PRINT_PREVIEW: print(id, false); break;
    default:
      if (m_pDoc && m_pDoc->HandlesCmd(id))
        m_pDoc->ExecuteCmd(id);
      break;
  }
}

void CKvCardView::print(int command, bool bOverlay) {
  if (!m_pDoc)
    return;
  m_bOverlay = bOverlay;
  KvPrintCard(*m_pDoc, command, bOverlay, this);
  m_bOverlay = false;
  OnUpdate();
}

void CKvCardView::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  int id = 0;
  if (modifiers == Qt::NoModifier && event->key() == Qt::Key_F12)
    id = KV_CMD_CALCULATOR;
  else if (modifiers == Qt::ControlModifier && event->key() == Qt::Key_T)
    id = KV_CMD_OVERLAY_PRINT;
  else if (modifiers == Qt::ControlModifier && event->key() == Qt::Key_P)
    id = KV_CMD_FILE_PRINT;
  if (id == 0) {
    QScrollArea::keyPressEvent(event);
    return;
  }
  if (KvCmdEnabled(this, id))
    ExecuteCmd(id);
  KvCommandsChanged();
}
