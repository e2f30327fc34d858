#include "forms/CKvCardView.h"

#include "forms/CKvCardDoc.h"
#include "forms/KvCardCanvas.h"
#include "forms/KvCardCommands.h"
#include "ui/CKvCommandRouter.h"

#include <QKeyEvent>
#include <QPainter>

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
  return KvIsCardCommand(id) || (m_pDoc && m_pDoc->HandlesCmd(id));
}

bool CKvCardView::IsCmdEnabled(int id) {
  if (KvIsCardCommand(id))
    return true;
  return m_pDoc && m_pDoc->IsCmdEnabled(id);
}

void CKvCardView::ExecuteCmd(int id) {
  if (!m_pDoc)
    return;
  if (KvIsCardCommand(id)) {
    if (KvRunCardCommand(*m_pDoc, id, &m_bOverlay, this))
      OnUpdate();
  } else if (m_pDoc->HandlesCmd(id)) {
    m_pDoc->ExecuteCmd(id);
  }
}

void CKvCardView::keyPressEvent(QKeyEvent* event) {
  const int id = KvCardKeyCommand(event);
  if (id == 0) {
    QScrollArea::keyPressEvent(event);
    return;
  }
  if (KvCmdEnabled(this, id))
    ExecuteCmd(id);
  KvCommandsChanged();
}
