#include "app/KvLostConnectionNotice.h"

#include "core/KvMessage.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEvent>

KvLostConnectionNotice::KvLostConnectionNotice() {
  QCoreApplication::instance()->installEventFilter(this);
  if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
    connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] { Idle(); });
}

void KvLostConnectionNotice::StatementFailed() {
  if (!m_bInCommand || m_bTold)
    return;
  m_bTold = true;
  m_bTelling = true;
  KvMessageBox(QStringLiteral("与数据库服务器的连接已中断，请重新注册。"), KV_MB_OK | KV_MB_ICONSTOP);
  m_bTelling = false;
}

void KvLostConnectionNotice::LossFound() { m_bTold = true; }

bool KvLostConnectionNotice::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Close:
      // Input and a window closed by the window system begin a command;
      // what the program sends itself does not.
      if ((event->spontaneous() || event->type() == QEvent::Shortcut) && !m_bTelling) {
        m_bInCommand = true;
        m_bTold = false;
      }
      break;
    default: break;
  }
  return QObject::eventFilter(watched, event);
}

void KvLostConnectionNotice::Idle() {
  if (!QApplication::activeModalWidget() && !QApplication::activePopupWidget())
    m_bInCommand = false;
}
