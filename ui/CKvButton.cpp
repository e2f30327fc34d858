#include "ui/CKvButton.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
// Set while one of the buttons shows its hover frame; only one can, as there
// is one mouse.
bool g_hoverDrawn = false;

// Lines along the top and left in one colour, bottom and right in the other.
void draw3dRect(QPainter& painter, const QRect& rect, const QColor& topLeft,
                const QColor& bottomRight) {
  const int x = rect.x(), y = rect.y(), w = rect.width(), h = rect.height();
  if (w <= 0 || h <= 0)
    return;
  painter.fillRect(x, y, w - 1, 1, topLeft);
  painter.fillRect(x, y, 1, h - 1, topLeft);
  painter.fillRect(x + w - 1, y, 1, h, bottomRight);
  painter.fillRect(x, y + h - 1, w, 1, bottomRight);
}
}  // namespace

CKvButton::CKvButton(QWidget* parent) : QPushButton(parent) {
  setFlat(true);
}

void CKvButton::SetIcon(const QIcon& icon, int width, int height) {
  setIcon(icon);
  setIconSize(QSize(width, height));
  update();
}

bool CKvButton::IsHoverDrawn() { return g_hoverDrawn; }

QRect CKvButton::IconRect() const {
  QRect area = rect();
  if (isDown())
    area.translate(1, 1);
  return area;
}

QSize CKvButton::sizeHint() const {
  const QSize icon = iconSize();
  return QSize(icon.width() + 4, icon.height() + 4);
}

void CKvButton::paintEvent(QPaintEvent* event) {
  Q_UNUSED(event);
  QPainter painter(this);
  const QPalette& pal = palette();
  const QColor face = pal.color(QPalette::Button);
  const QColor highlight = pal.color(QPalette::Light);
  const QColor shadow = pal.color(QPalette::Dark);
  const QColor darkShadow = pal.color(QPalette::Shadow);
  const QRect area = rect();
  const bool down = isDown();

  painter.fillRect(area, face);
  if (isFlat()) {
    if (down)
      draw3dRect(painter, area, shadow, highlight);
    else if (m_hovered && !m_pressed) {
      draw3dRect(painter, area, highlight, shadow);
      g_hoverDrawn = true;
    }
  } else if (down) {
    draw3dRect(painter, area, darkShadow, highlight);
    draw3dRect(painter, area.adjusted(1, 1, -1, -1), shadow, face);
  } else {
    draw3dRect(painter, area, highlight, darkShadow);
    draw3dRect(painter, area.adjusted(1, 1, -1, -1), face, shadow);
  }

  if (icon().isNull())
    return;
  const QRect iconArea = IconRect();
  QSize size = iconSize();
  if (size.isEmpty())
    size = iconArea.size();
  QRect target(QPoint(0, 0), size);
  target.moveCenter(iconArea.center());
  icon().paint(&painter, target, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
}

void CKvButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    m_pressed = true;
    dropHoverFrame();
  }
  QPushButton::mousePressEvent(event);
}

void CKvButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton)
    m_pressed = false;
  QPushButton::mouseReleaseEvent(event);
}

void CKvButton::enterEvent(QEnterEvent* event) {
  m_hovered = true;
  update();
  QPushButton::enterEvent(event);
}

void CKvButton::leaveEvent(QEvent* event) {
  m_hovered = false;
  dropHoverFrame();
  QPushButton::leaveEvent(event);
}

void CKvButton::dropHoverFrame() {
  if (g_hoverDrawn)
    update();
  g_hoverDrawn = false;
}
