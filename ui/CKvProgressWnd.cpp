#include "ui/CKvProgressWnd.h"

#include <QApplication>
#include <QMainWindow>
#include <QPainter>
#include <QScreen>
#include <qdrawutil.h>

namespace {
constexpr QChar kFullWidthPercent(0xFF05);
constexpr int kWidth = 260;
constexpr int kHeight = 40;

// The bar: the filled part in the bar colour with the text in the window
// colour, the rest in the face colour with the text in the window-text colour,
// so the text changes colour where the bar reaches it.
class ProgressBar : public QWidget {
 public:
  explicit ProgressBar(CKvProgressWnd* window) : QWidget(window), m_window(window) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    qDrawShadePanel(&painter, rect(), palette(), true, 1);
    const QRect area = rect().adjusted(2, 2, -2, -2);
    if (area.isEmpty())
      return;
    const int filled = static_cast<int>(static_cast<qint64>(m_window->ShownPosition()) *
                                        area.width() / m_window->Maximum());
    const QRect done(area.left(), area.top(), qMin(filled, area.width()), area.height());
    const QRect rest(done.right() + 1, area.top(), area.width() - done.width(), area.height());

    const QString text = m_window->PercentText();
    const QFontMetrics metrics(font(), this);
    const int x = area.left() + area.width() / 2 - 16;
    const int y = area.top() + qMax(0, (area.height() - metrics.height()) / 2) + metrics.ascent();

    const QPalette& pal = palette();
    paintPart(painter, done, CKvProgressWnd::BarColor(), pal.color(QPalette::Base), x, y, text);
    paintPart(painter, rest, pal.color(QPalette::Button), pal.color(QPalette::WindowText), x, y,
              text);
  }

 private:
  static void paintPart(QPainter& painter, const QRect& part, const QColor& fill,
                        const QColor& ink, int x, int y, const QString& text) {
    if (part.isEmpty())
      return;
    painter.save();
    painter.setClipRect(part);
    painter.fillRect(part, fill);
    painter.setPen(ink);
    painter.drawText(x, y, text);
    painter.restore();
  }

  CKvProgressWnd* m_window;
};

// The program's main window: the visible main frame, else the active window.
QWidget* mainWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (qobject_cast<QMainWindow*>(widget) && widget->isVisible())
      return widget;
  }
  return QApplication::activeWindow();
}
}  // namespace

CKvProgressWnd::CKvProgressWnd(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_bar(new ProgressBar(this)) {
  setObjectName(QStringLiteral("dlg_801"));
  setModal(false);
  setFixedSize(kWidth, kHeight);
  m_bar->setObjectName(QStringLiteral("id_1000"));
  m_bar->setGeometry(10, 10, kWidth - 20, kHeight - 20);
}

bool CKvProgressWnd::Create(int maximum, QWidget* parent) {
  m_maximum = qMax(1, maximum);
  m_position = 1;
  m_shown = 1;
  if (parent && parent != parentWidget())
    setParent(parent, windowFlags());
  placeOnMainWindow();
  return true;
}

void CKvProgressWnd::placeOnMainWindow() {
  const QWidget* main = mainWindow();
  if (main && main != this) {
    const QRect frame = main->frameGeometry();
    move(frame.left() + (frame.width() - width()) / 2, frame.bottom() + 1 - 2 * height());
    return;
  }
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen)
    return;
  const QRect available = screen->availableGeometry();
  move(available.center() - QPoint(width() / 2, height() / 2));
}

void CKvProgressWnd::Show() {
  m_position = 1;
  m_shown = 1;
  show();
  // Let the window appear before the caller's work goes on without an event
  // loop; input stays queued so the operation cannot be disturbed.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  repaint();
}

void CKvProgressWnd::Step() {
  m_shown = m_position;
  m_bar->repaint();
  if (m_position < m_maximum)
    ++m_position;
}

void CKvProgressWnd::Hide() { hide(); }

QString CKvProgressWnd::PercentText() const {
  return QString::number(static_cast<qint64>(m_shown) * 100 / m_maximum) + kFullWidthPercent;
}

void CKvProgressWnd::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  QPainter painter(this);
  qDrawWinPanel(&painter, rect(), palette(), false);
}
