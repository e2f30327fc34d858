#include "ui/CKvWaitWnd.h"

#include "ui/KvObjectNames.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr unsigned kWaitTemplate = 802;
constexpr int kWaitPicture = 403;

QPixmap waitPicture() {
  const QString base = QStringLiteral(":/bitmaps/bitmap_") + QString::number(kWaitPicture);
  for (const QString& path : {base + QStringLiteral(".png"), base + QStringLiteral(".svg")}) {
    if (QFile::exists(path))
      return QPixmap(path);
  }
  return QPixmap();
}
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
    const QPixmap pixmap = waitPicture();
    if (pixmap.isNull())
      picture->setText(QStringLiteral("正在处理，请稍候……"));
    else
      picture->setPixmap(pixmap);
    picture->setAlignment(Qt::AlignCenter);
    picture->setMargin(16);
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
