#include "app/CKvDlgPos.h"

#include "app/CKvApp.h"
#include "core/KvNumber.h"
#include "core/KvRegistry.h"

#include <QApplication>
#include <QMainWindow>
#include <QScreen>
#include <QWidget>

namespace {
QString dlgPosKey() { return KvGetRegKeyPath() + QStringLiteral("\\DlgPos"); }

// "left top right bottom" with right and bottom just outside the rectangle.
QString rectText(const QRect& rect) {
  return QStringLiteral("%1 %2 %3 %4")
      .arg(rect.left())
      .arg(rect.top())
      .arg(rect.left() + rect.width())
      .arg(rect.top() + rect.height());
}

// Up to four integers separated by blanks; the scan stops at the first item
// that is not a number, and what is missing stays 0.
QRect parseRect(const QString& text) {
  int values[4] = {0, 0, 0, 0};
  KvScanInts(text, values, 4);
  return QRect(QPoint(values[0], values[1]), QPoint(values[2] - 1, values[3] - 1));
}

// The window's frame in screen coordinates.
QRect screenRect(const QWidget* window) {
  if (window->isWindow())
    return window->frameGeometry();
  return QRect(window->mapToGlobal(QPoint(0, 0)), window->size());
}

// Moves the window's frame so that its top-left corner is at the screen
// point, and repaints it.
void moveTo(QWidget* window, const QPoint& topLeft) {
  if (window->isWindow() || !window->parentWidget())
    window->move(topLeft);
  else
    window->move(window->parentWidget()->mapFromGlobal(topLeft));
  window->update();
}

// The program's main window: the visible main frame, if any.
QWidget* mainWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (qobject_cast<QMainWindow*>(widget) && widget->isVisible())
      return widget;
  }
  return nullptr;
}
}  // namespace

int CKvDlgPos::Load() {
  QStringList names;
  QStringList data;
  KvRegReadValueList(KvRegRoot::CurrentUser, dlgPosKey(), &names, &data, 2);
  m_ids.clear();
  m_rects.clear();
  for (qsizetype i = 0; i < names.size(); ++i) {
    m_ids.append(KvStrToInt(names[i]));
    m_rects.append(parseRect(data[i]));
  }
  return Count();
}

void CKvDlgPos::Save() {
  const QList<int> ids = m_ids;
  const QList<QRect> rects = m_rects;
  Load();
  const QString key = dlgPosKey();
  for (qsizetype i = 0; i < ids.size(); ++i) {
    QRect stored;
    if (Find(ids[i], &stored) >= 0 && stored.topLeft() == rects[i].topLeft())
      continue;
    KvRegWriteString(KvRegRoot::CurrentUser, key, QString::number(ids[i]), rectText(rects[i]));
  }
  // The run goes on with its own places, not with those read back.
  m_ids = ids;
  m_rects = rects;
}

int CKvDlgPos::Find(int nId, QRect* pRect) const {
  const int index = int(m_ids.indexOf(nId));
  if (index >= 0 && pRect)
    *pRect = m_rects[index];
  return index;
}

void CKvDlgPos::Remember(int nId, const QWidget* pWindow) {
  if (!pWindow)
    return;
  const QRect rect = screenRect(pWindow);
  const int index = Find(nId);
  if (index >= 0) {
    m_rects[index] = rect;
  } else {
    m_ids.append(nId);
    m_rects.append(rect);
  }
}

bool CKvDlgPos::Restore(int nId, QWidget* pWindow) {
  QRect rect;
  if (!pWindow || Find(nId, &rect) < 0)
    return false;
  // A place on a screen that is no longer there would hide the window.
  if (!QGuiApplication::screenAt(rect.topLeft()))
    return false;
  moveTo(pWindow, rect.topLeft());
  return true;
}

bool CKvDlgPos::RestoreOnScreen(int nId, QWidget* pWindow, int nCode, bool bRelativeToParent,
                                QWidget* pReference) {
  if (!pWindow)
    return false;
  if (Restore(nId, pWindow) || nCode == 0)
    return true;
  QWidget* reference = pReference;
  if (!reference)
    reference = bRelativeToParent ? pWindow->parentWidget() : mainWindow();
  if (!reference)
    reference = pWindow->parentWidget();
  if (!reference)
    return false;

  const QRect window = screenRect(pWindow);
  const QRect ref = screenRect(reference);
  // The window's own frame: its side and bottom width and its caption.
  int frameX = 0;
  int frameY = 0;
  int caption = 0;
  if (pWindow->isWindow()) {
    const QRect inner = pWindow->geometry();
    frameX = inner.left() - window.left();
    frameY = window.bottom() - inner.bottom();
    caption = qMax(0, inner.top() - window.top() - frameY);
  }
  QPoint topLeft = window.topLeft();
  if (nCode == 10) {
    topLeft = QPoint(ref.left() + ref.width() - frameX - window.width(),
                     ref.top() + ref.height() - frameY - window.height());
  } else if (nCode == 11) {
    topLeft = QPoint(ref.left() + (ref.width() - window.width()) / 2,
                     ref.top() + ref.height() + 2 * frameY + caption);
    const QScreen* screen = QGuiApplication::screenAt(ref.center());
    if (!screen)
      screen = QGuiApplication::primaryScreen();
    if (screen) {
      const int screenBottom = screen->geometry().top() + screen->geometry().height();
      const int over = topLeft.y() + window.height() - screenBottom;
      if (over > 0)
        topLeft.ry() -= over;
    }
  }
  moveTo(pWindow, topLeft);
  return true;
}

CKvDlgPos& KvGetDlgPos() {
  static CKvDlgPos positions;
  return positions;
}
