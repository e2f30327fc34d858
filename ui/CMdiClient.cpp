#include "ui/CMdiClient.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QFileInfo>
#include <QImageReader>
#include <QMouseEvent>
#include <QTextBrowser>
#include <QUrl>

namespace {
// Space left between the work area's edges and the wallpaper.
constexpr int kInset = 2;

bool isRightButtonEvent(const QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
      return static_cast<const QMouseEvent*>(event)->button() == Qt::RightButton;
    default:
      return false;
  }
}
}  // namespace

CMdiClient::CMdiClient(QWidget* parent) : QMdiArea(parent) {
  m_browser = new QTextBrowser(viewport());
  m_browser->setObjectName(QStringLiteral("wallpaper"));
  // The document windows keep the keyboard; the wallpaper is only looked at
  // (and its links followed with the mouse).
  m_browser->setFocusPolicy(Qt::NoFocus);
  m_browser->setOpenExternalLinks(true);
  m_browser->setGeometry(0, 0, 400, 400);
  m_browser->lower();
  m_browser->installEventFilter(this);
  m_browser->viewport()->installEventFilter(this);
  viewport()->installEventFilter(this);
  m_browser->show();
  placeBrowser();
}

void CMdiClient::Navigate(const QString& location) {
  const QFileInfo file(location);
  const QUrl url = file.exists() ? QUrl::fromLocalFile(file.absoluteFilePath()) : QUrl(location);
  if (url.isLocalFile() && !QImageReader::imageFormat(url.toLocalFile()).isEmpty()) {
    LoadHtml(PictureHtml(url.toLocalFile()));
    return;
  }
  m_browser->setSource(url);
}

void CMdiClient::LoadHtml(const QString& html) { m_browser->setHtml(html); }

QString CMdiClient::PictureHtml(const QString& pictureFile) {
  const QString url =
      QUrl::fromLocalFile(QFileInfo(pictureFile).absoluteFilePath()).toString(QUrl::FullyEncoded);
  return QStringLiteral("<html><body background=\"") + url.toHtmlEscaped() +
         QStringLiteral("\"></body></html>");
}

bool CMdiClient::eventFilter(QObject* watched, QEvent* event) {
  // The work area watches the whole application's events (for its window
  // switching keys): some arrive while the browser is being made.
  if (!m_browser)
    return QMdiArea::eventFilter(watched, event);
  if (watched == viewport()) {
    if (event->type() == QEvent::Resize)
      placeBrowser();
    // A document window put on the work area goes above the wallpaper.
    else if (event->type() == QEvent::ChildAdded &&
             static_cast<QChildEvent*>(event)->child() != m_browser)
      m_browser->lower();
    return QMdiArea::eventFilter(watched, event);
  }
  if (watched == m_browser || watched == m_browser->viewport()) {
    // The right button belongs to the main window: the browser sees neither
    // its presses nor its context-menu requests. The window system turns
    // each right press (or release, where menus open on release) into one
    // context-menu event, and that one is passed on.
    if (isRightButtonEvent(event))
      return true;
    if (event->type() == QEvent::ContextMenu) {
      const auto* request = static_cast<QContextMenuEvent*>(event);
      const bool byMouse = request->reason() == QContextMenuEvent::Mouse;
      sendContextMenu(byMouse ? request->globalPos() : QCursor::pos(), request->modifiers(),
                      byMouse);
      return true;
    }
  }
  return QMdiArea::eventFilter(watched, event);
}

void CMdiClient::placeBrowser() {
  m_browser->setGeometry(viewport()->rect().adjusted(kInset, kInset, -kInset, -kInset));
}

void CMdiClient::sendContextMenu(const QPoint& globalPos, Qt::KeyboardModifiers modifiers,
                                 bool byMouse) {
  QWidget* mainWindow = window();
  QContextMenuEvent request(byMouse ? QContextMenuEvent::Mouse : QContextMenuEvent::Keyboard,
                            mainWindow->mapFromGlobal(globalPos), globalPos, modifiers);
  QCoreApplication::sendEvent(mainWindow, &request);
}
