// The work area: the wallpaper's place under the document windows, where a
// right click on it goes, and what it shows.

#include "ui/CMdiClient.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QImage>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextFrame>
#include <QTimer>
#include <QWindow>

namespace {
// A main window that records the context-menu requests it receives.
class RecordingFrame : public QMainWindow {
 public:
  QList<QPoint> requests;  // screen positions

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override {
    requests.append(event->globalPos());
    event->accept();
  }
};

struct CMdiClientTest : ::testing::Test {
  void SetUp() override {
    client = new CMdiClient;
    frame.setCentralWidget(client);
    frame.resize(640, 480);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
  }
  QRect insetArea() const { return client->viewport()->rect().adjusted(2, 2, -2, -2); }
  QWidget* page() const { return client->Browser()->viewport(); }
  QString writeFile(const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }
  QString writePicture(const QString& name) {
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    const QString path = dir.filePath(name);
    EXPECT_TRUE(picture.save(path, "PNG"));
    return path;
  }
  bool showsBackgroundPicture() const {
    const QBrush background =
        client->Browser()->document()->rootFrame()->frameFormat().background();
    return background.style() == Qt::TexturePattern && !background.textureImage().isNull();
  }

  RecordingFrame frame;
  CMdiClient* client = nullptr;
  QTemporaryDir dir;
};
}  // namespace

TEST_F(CMdiClientTest, WallpaperLiesTwoPixelsInsideTheAreaBelowTheDocumentWindows) {
  QTextBrowser* browser = client->Browser();
  EXPECT_TRUE(browser->isVisible());
  EXPECT_EQ(browser->geometry(), insetArea());
  frame.resize(800, 300);
  QApplication::processEvents();
  EXPECT_EQ(client->viewport()->width(), client->width() - 2 * client->frameWidth());
  EXPECT_EQ(browser->geometry(), insetArea());

  QMdiSubWindow* document = client->addSubWindow(new QWidget);
  document->setGeometry(10, 10, 200, 150);
  document->show();
  const QWidget* atDocument = client->viewport()->childAt(QPoint(100, 100));
  EXPECT_TRUE(atDocument == document || document->isAncestorOf(atDocument));
  const QWidget* beside = client->viewport()->childAt(QPoint(400, 100));
  EXPECT_TRUE(beside == browser || browser->isAncestorOf(beside));
}

TEST_F(CMdiClientTest, RightClickOnTheWallpaperGivesTheMainWindowOneRequest) {
  // The browser's own menu must never open; should it, it is closed and
  // counted rather than left blocking the test.
  int browserMenus = 0;
  QTimer guard;
  QObject::connect(&guard, &QTimer::timeout, [&] {
    if (QWidget* popup = QApplication::activePopupWidget()) {
      ++browserMenus;
      popup->close();
    }
  });
  guard.start(20);

  // Through the window system, which turns a right press into a request.
  QWindow* window = frame.windowHandle();
  const QPoint at(30, 40);
  const QPoint inWindow = page()->mapTo(&frame, at);
  QTest::mouseClick(window, Qt::RightButton, {}, inWindow);
  ASSERT_EQ(frame.requests.size(), 1);
  EXPECT_EQ(frame.requests.at(0), page()->mapToGlobal(at));

  // Both presses of a double click ask once each.
  frame.requests.clear();
  QTest::mouseDClick(window, Qt::RightButton, {}, inWindow);
  EXPECT_EQ(frame.requests.size(), 2);

  frame.requests.clear();
  QTest::mouseClick(window, Qt::LeftButton, {}, inWindow);
  EXPECT_TRUE(frame.requests.isEmpty());
  EXPECT_EQ(browserMenus, 0);
}

TEST_F(CMdiClientTest, NavigateShowsPagesAndPicturesAsRichTextWithoutScripts) {
  const QString pagePath = writeFile(
      QStringLiteral("notice.html"),
      QStringLiteral("<html><body><p>本周通知</p><script>document.write('脚本');</script>"
                     "</body></html>")
          .toUtf8());
  client->Navigate(pagePath);
  EXPECT_EQ(client->Browser()->source(), QUrl::fromLocalFile(pagePath));
  const QString shown = client->Browser()->toPlainText();
  EXPECT_TRUE(shown.contains(QStringLiteral("本周通知")));
  EXPECT_FALSE(shown.contains(QStringLiteral("脚本")));
  EXPECT_FALSE(shown.contains(QStringLiteral("document")));

  // A picture becomes the page's background, also when its name holds
  // characters that mean something in HTML or in a URL.
  client->Navigate(writePicture(QStringLiteral("a&b \"c\" <d> #1.png")));
  EXPECT_TRUE(showsBackgroundPicture());
  EXPECT_TRUE(client->Browser()->toPlainText().trimmed().isEmpty());

  client->LoadHtml(QStringLiteral("<p>欢迎</p>"));
  EXPECT_FALSE(showsBackgroundPicture());
  EXPECT_EQ(client->Browser()->toPlainText(), QStringLiteral("欢迎"));
  client->LoadHtml(CMdiClient::PictureHtml(writePicture(QStringLiteral("wall.png"))));
  EXPECT_TRUE(showsBackgroundPicture());
}
