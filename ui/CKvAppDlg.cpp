#include "ui/CKvAppDlg.h"

#include "ui/KvAppServices.h"

#include <QGuiApplication>
#include <QScreen>

namespace {
bool onScreen(const QPoint& point) {
  const QScreen* screen = QGuiApplication::screenAt(point);
  return screen && screen->availableGeometry().contains(point);
}
}  // namespace

CKvAppDlg::CKvAppDlg(unsigned idd, CKvDb* db, QWidget* parent, unsigned idIcon)
    : CKvZrvDlg(idd, db, parent, idIcon) {}

bool CKvAppDlg::IsPlaceOnScreen(const QRect& frame) {
  return onScreen(frame.center()) && onScreen(frame.topLeft());
}

void CKvAppDlg::OnInitDialog() {
  CKvZrvDlg::OnInitDialog();
  // The dialog is placed with the size it will show with.
  if (!testAttribute(Qt::WA_Resized))
    adjustSize();
  if (!KvAppServiceRestoreDlgPos(int(TemplateId()), this) && m_pAssociatedWnd)
    centreOn(m_pAssociatedWnd);
  if (testAttribute(Qt::WA_Moved) && !IsPlaceOnScreen(frameGeometry())) {
    QWidget* reference = parentWidget() ? parentWidget()->window() : nullptr;
    centreOn(reference && reference->isVisible() ? reference : nullptr);
  }
}

void CKvAppDlg::centreOn(const QWidget* reference) {
  const QScreen* screen = nullptr;
  if (reference)
    screen = QGuiApplication::screenAt(reference->frameGeometry().center());
  if (!screen)
    screen = QGuiApplication::screenAt(frameGeometry().center());
  if (!screen)
    screen = QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->availableGeometry() : QRect();
  const QRect over = reference ? reference->frameGeometry() : area;
  QRect frame = frameGeometry();
  frame.moveCenter(over.center());
  if (!area.isEmpty()) {
    frame.moveRight(qMin(frame.right(), area.right()));
    frame.moveBottom(qMin(frame.bottom(), area.bottom()));
    frame.moveLeft(qMax(frame.left(), area.left()));
    frame.moveTop(qMax(frame.top(), area.top()));
  }
  move(frame.topLeft());
}

void CKvAppDlg::rememberPlace() {
  if (isVisible())
    KvAppServiceRememberDlgPos(int(TemplateId()), this);
}

void CKvAppDlg::OnOK() {
  if (!CheckUnitAccess() || !GuardedSave())
    return;
  rememberPlace();
  done(Accepted);
}

void CKvAppDlg::OnCancel() {
  if (m_bRememberPos)
    rememberPlace();
  done(Rejected);
}
