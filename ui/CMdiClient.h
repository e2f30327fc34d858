#pragma once
// The main frame's work area: the area of the document windows, with a
// wallpaper behind them. The wallpaper is a browser that shows a local HTML
// page, a picture, or an HTML text, as rich text: no script runs and nothing
// is fetched from the network (a link to another site opens in the desktop's
// browser). It lies on the work area below every document window, 2 pixels
// in from each edge, and follows the area's size.
//
// A right click on the wallpaper never opens the browser's own menu: the
// window that holds the work area (the main frame) receives exactly one
// context-menu event per right press, at the mouse's screen position, and a
// context-menu key press on the wallpaper gives it one at the cursor.

#include <QMdiArea>

class QTextBrowser;

class CMdiClient : public QMdiArea {
  Q_OBJECT
 public:
  explicit CMdiClient(QWidget* parent = nullptr);

  // Shows a page: a local HTML file through the browser, a picture file as
  // the background of an empty page (PictureHtml). `location` is a file path
  // or a file URL.
  void Navigate(const QString& location);

  // Shows an HTML text; pictures in it are best named by full paths.
  void LoadHtml(const QString& html);

  // An HTML page whose body has the picture file as its background (tiled,
  // as a wallpaper is). The file name is escaped for HTML.
  static QString PictureHtml(const QString& pictureFile);

  // The wallpaper browser.
  QTextBrowser* Browser() const { return m_browser; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void placeBrowser();
  void sendContextMenu(const QPoint& globalPos, Qt::KeyboardModifiers modifiers, bool byMouse);

  QTextBrowser* m_browser = nullptr;
};
