#include "forms/CKvCardFrmView.h"

#include "core/KvMessage.h"
#include "forms/CKvCardDoc.h"
#include "forms/KvCardCanvas.h"
#include "forms/KvCardCommands.h"
#include "ui/CKvCommandRouter.h"
#include "ui/CKvListView.h"
#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>

namespace {
// The commands of the form itself: OK, Cancel and Enter.
bool isFormCommand(int id) { return id == KV_IDOK || id == KV_IDCANCEL || id == KV_CMD_ENTER; }
}  // namespace

CKvCardFrmView::CKvCardFrmView(unsigned templateId, CKvCardDoc* pDoc, QWidget* parent)
    : CZrvFormView(templateId, parent),
      m_pDoc(pDoc),
      m_pCanvas(new KvCardCanvas([this](QPainter& painter) { paintCard(painter); })) {
  // The card is the form the derived view's controls stand on.
  setWidget(m_pCanvas);
  if (m_pDoc)
    m_pDoc->AddView(this);
}

// --- Hooks ---

void CKvCardFrmView::RefreshRecord() {
  ExchangeRecord(true);
  if (m_pDoc) {
    m_pDoc->AfterEdit(-1, -1, QString());
    m_pDoc->UpdateReadOnly();
  }
  m_pCanvas->update();
}

void CKvCardFrmView::OnTabKey() {
  ExchangeRecord(true);
  QWidget* focus = QApplication::focusWidget();
  const int id = focus && isAncestorOf(focus) ? KvControlId(focus) : -1;
  if (id == KV_IDOK)
    OnSaveCommand();
  else if (id == KV_IDCANCEL)
    OnCancel();
  else
    focusNextControl();
  ExchangeRecord(false);
}

void CKvCardFrmView::OnSaveCommand() {
  // A record that could not be read is never written.
  if (m_pDoc && m_pDoc->IsFillFailed())
    return;
  SaveRecord(0);
}

void CKvCardFrmView::UpdateListState() {
  if (!m_pDoc)
    return;
  auto* pList = m_pDoc->FindView<CKvListView>();
  if (!pList)
    return;
  QString reason;
  pList->setEnabled(m_pDoc->m_bReadOnly || !IsModified(reason));
}

void CKvCardFrmView::OnCancel() {
  if (m_pDoc)
    if (auto* pList = m_pDoc->FindView<CKvListView>())
      pList->OnSelChange();
  UpdateListState();
}

// --- Updates ---

void CKvCardFrmView::initialUpdate() {
  m_bOverlay = false;
  CZrvFormView::initialUpdate();
  if (m_pDoc) {
    m_pDoc->SetupLayout(m_nPage);
    // The document asks its read-only question of this form, which exists
    // only now.
    m_pDoc->UpdateReadOnly();
  }
  // Enter reaches OnTabKey through the key handler; a default button of the
  // form's own is not shown.
  if (QWidget* pDefault = KvDlgItem(this, KV_CMD_ENTER))
    pDefault->hide();
  OnUpdate();
}

void CKvCardFrmView::OnUpdate() {
  if (m_pDoc) {
    m_pDoc->SetupLayout(m_nPage);
    m_pDoc->m_layout.ComputeScale();
    m_pCanvas->setMinimumSize(m_pDoc->m_layout.CardSize);
  }
  m_pCanvas->update();
  // A derived view makes its controls before it places them here, also
  // those it adds later (a watched control is not watched twice).
  CKvCommandRouter::Instance()->WatchEdits(this);
}

void CKvCardFrmView::paintCard(QPainter& painter) {
  if (!m_pDoc)
    return;
  // Texts stand on the form's own colour.
  painter.setBackground(palette().color(QPalette::Window));
  m_pDoc->m_layout.DrawPage(painter, m_bOverlay);
}

// --- Placing the controls ---

void CKvCardFrmView::MovePageRect(QWidget* pControl, int nField, int nOffset, bool bStretch) {
  if (!pControl || !m_pDoc)
    return;
  const QRect field = m_pDoc->m_layout.PlaceFields(nField);
  const int width = bStretch ? field.width() - 2 * nOffset : pControl->width();
  const int height = pControl->height();
  pControl->setGeometry(field.left() + nOffset, field.top() + (field.height() - height) / 2, width,
                        height);
}

void CKvCardFrmView::OffsetPage(QWidget* pControl, int x, int y) {
  if (pControl)
    pControl->move(x, y);
}

void CKvCardFrmView::focusNextControl() {
  QWidget* form = Form();
  QWidget* start = QApplication::focusWidget();
  if (!start || !form->isAncestorOf(start))
    start = form;
  // The next control of the form in tab order, coming round to the first.
  for (QWidget* w = start->nextInFocusChain(); w && w != start; w = w->nextInFocusChain()) {
    if (!form->isAncestorOf(w) || !w->isVisibleTo(form) || !w->isEnabled() ||
        !(w->focusPolicy() & Qt::TabFocus))
      continue;
    w->setFocus(Qt::TabFocusReason);
    // A part of a control that hands its focus back to the control itself.
    if (QApplication::focusWidget() != start)
      return;
  }
}

// --- Commands ---

bool CKvCardFrmView::HandlesCmd(int id) const {
  return isFormCommand(id) || KvIsCardCommand(id) || id == KV_CMD_REFRESH || CZrvFormView::HandlesCmd(id) ||
         (m_pDoc && m_pDoc->HandlesCmd(id));
}

bool CKvCardFrmView::IsCmdEnabled(int id) {
  if (id == KV_IDOK)
    return !m_pDoc || !m_pDoc->IsFillFailed();
  if (id == KV_CMD_REFRESH)
    return m_pDoc != nullptr;
  if (isFormCommand(id) || KvIsCardCommand(id))
    return true;
  if (CZrvFormView::HandlesCmd(id))
    return CZrvFormView::IsCmdEnabled(id);
  return m_pDoc && m_pDoc->IsCmdEnabled(id);
}

void CKvCardFrmView::ExecuteCmd(int id) {
  if (id == KV_IDOK)
    OnSaveCommand();
  else if (id == KV_IDCANCEL)
    OnCancel();
  else if (id == KV_CMD_ENTER)
    OnTabKey();
  else if (id == KV_CMD_REFRESH) {
    if (m_pDoc)
      m_pDoc->Refill();
  } else if (KvIsCardCommand(id)) {
    if (m_pDoc && KvRunCardCommand(*m_pDoc, id, &m_bOverlay, this))
      OnUpdate();
  } else if (CZrvFormView::HandlesCmd(id))
    CZrvFormView::ExecuteCmd(id);
  else if (m_pDoc && m_pDoc->HandlesCmd(id))
    m_pDoc->ExecuteCmd(id);
}

void CKvCardFrmView::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  int id = KvCardKeyCommand(event);
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (modifiers == Qt::NoModifier && enter) {
    // Another push button is pressed, as Enter presses a focused button.
    auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget());
    const int buttonId = button && isAncestorOf(button) ? KvControlId(button) : KV_IDOK;
    if (buttonId != KV_IDOK && buttonId != KV_IDCANCEL) {
      button->click();
      return;
    }
    id = KV_CMD_ENTER;
  }
  if (id == 0) {
    CZrvFormView::keyPressEvent(event);
    return;
  }
  if (KvCmdEnabled(this, id))
    ExecuteCmd(id);
  KvCommandsChanged();
}
