#include "ui/CKvWaitWnd.h"

#include "ui/KvObjectNames.h"
#include "ui/KvResources.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr unsigned kWaitTemplate = 802;
constexpr int kWaitPicture = 403;
}  // namespace

CKvWaitWnd::~CKvWaitWnd() { delete m_window.data(); }

void CKvWaitWnd::Show(QWidget* parent) {
  if (!m_cursor)
    m_cursor = std::make_unique<KvWaitCursor>();
  if (!m_window) {
    auto* window = new QDialog(parent ? parent->window() : nullptr,
                               Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    window->setObjectName(KvDialogObjectName(kWaitTemplate));
    window->setModal(false);
    auto* picture = KvSetControlId(new QLabel(window), kWaitPicture);
    // The picture draws its own border; the text stand-in gets room around it.
    const QPixmap pixmap = KvResourceBitmap(kWaitPicture);
    if (pixmap.isNull()) {
      picture->setText(QStringLiteral("正在处理，请稍候……"));
      picture->setMargin(16);
    } else {
      picture->setPixmap(pixmap);
    }
    picture->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(picture);
    m_window = window;
  }
  m_window->adjustSize();
  const QWidget* over = m_window->parentWidget();
  const QRect area = over ? over->frameGeometry()
                          : (QGuiApplication::primaryScreen()
                                 ? QGuiApplication::primaryScreen()->availableGeometry()
                                 : QRect());
  if (area.isValid()) {
    QRect frame = m_window->frameGeometry();
    frame.moveCenter(area.center());
    m_window->move(frame.topLeft());
  }
  Reshow();
}

void CKvWaitWnd::Reshow() {
  if (!m_window)
    return;
  m_window->show();
  m_window->raise();
  paintNow();
}

void CKvWaitWnd::Hide() {
  if (!m_window)
    return;
  m_window->hide();
  paintNow();
}

void CKvWaitWnd::paintNow() {
  if (m_window->isVisible())
    m_window->repaint();
  // The long operation keeps the event loop from running: let the window
  // system show (or take away) the window now, without taking user input.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
