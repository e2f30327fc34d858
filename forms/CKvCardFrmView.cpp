#include "forms/CKvCardFrmView.h"

#include "core/KvMessage.h"
#include "forms/CKvCardDoc.h"
#include "forms/CKvCardPrintJob.h"
#include "forms/KvCardCanvas.h"
#include "ui/CKvCommandRouter.h"
#include "ui/CKvListView.h"
#include "ui/KvCalculatorHook.h"
#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>

namespace {
bool isCardCommand(int id) {
  switch (id) {
    case KV_IDOK:
    case KV_IDCANCEL:
    case KV_CMD_ENTER:
    case KV_CMD_CALCULATOR:
    case KV_CMD_OVERLAY_PRINT:
    case KV_CMD_OVERLAY_PREVIEW:
    case KV_CMD_FILE_PRINT_PREVIEW:
    case KV_CMD_FILE_PRINT:
    case KV_CMD_FILE_PRINT_DIRECT:
    case KV_CMD_FILE_PAGE_SETUP: return true;
    default: return false;
  }
}
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

void CKvCardFrmView::OnSaveCommand() { SaveRecord(0); }

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
  return isCardCommand(id) || CZrvFormView::HandlesCmd(id) || (m_pDoc && m_pDoc->HandlesCmd(id));
}

bool CKvCardFrmView::IsCmdEnabled(int id) {
  if (isCardCommand(id))
    return true;
  if (CZrvFormView::HandlesCmd(id))
    return CZrvFormView::IsCmdEnabled(id);
  return m_pDoc && m_pDoc->IsCmdEnabled(id);
}

void CKvCardFrmView::ExecuteCmd(int id) {
  switch (id) {
    case KV_IDOK: OnSaveCommand(); break;
    case KV_IDCANCEL: OnCancel(); break;
    case KV_CMD_ENTER: OnTabKey(); break;
    case KV_CMD_CALCULATOR: {
      QString result;
      KvRunCalculator(false, QString(), this, &result);
      break;
    }
    case KV_CMD_OVERLAY_PRINT: print(KV_CMD_FILE_PRINT, true); break;
    case KV_CMD_OVERLAY_PREVIEW: print(KV_CMD_FILE_PRINT_PREVIEW, true); break;
    case KV_CMD_FILE_PRINT_PREVIEW:
    case KV_CMD_FILE_PRINT:
    case KV_CMD_FILE_PRINT_DIRECT: print(id, false); break;
    case KV_CMD_FILE_PAGE_SETUP:
      if (m_pDoc && m_pDoc->m_layout.PageSetup(m_pDoc->m_pDb, this))
        OnUpdate();
      break;
    default:
      if (CZrvFormView::HandlesCmd(id))
        CZrvFormView::ExecuteCmd(id);
      else if (m_pDoc && m_pDoc->HandlesCmd(id))
        m_pDoc->ExecuteCmd(id);
      break;
  }
}

void CKvCardFrmView::print(int command, bool bOverlay) {
  if (!m_pDoc)
    return;
  m_bOverlay = bOverlay;
  KvPrintCard(*m_pDoc, command, bOverlay, this);
  m_bOverlay = false;
  OnUpdate();
}

void CKvCardFrmView::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  int id = 0;
  if (modifiers == Qt::NoModifier) {
    switch (event->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter: {
        auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget());
        const int buttonId = button && isAncestorOf(button) ? KvControlId(button) : -1;
        if (button && buttonId != KV_IDOK && buttonId != KV_IDCANCEL) {
          button->click();
          return;
        }
        id = KV_CMD_ENTER;
        break;
      }
      case Qt::Key_F12: id = KV_CMD_CALCULATOR; break;
      default: break;
    }
  } else if (modifiers == Qt::ControlModifier) {
    if (event->key() == Qt::Key_T)
      id = KV_CMD_OVERLAY_PRINT;
    else if (event->key() == Qt::Key_P)
      id = KV_CMD_FILE_PRINT;
  }
  if (id == 0) {
    CZrvFormView::keyPressEvent(event);
    return;
  }
  if (KvCmdEnabled(this, id))
    ExecuteCmd(id);
  KvCommandsChanged();
}
