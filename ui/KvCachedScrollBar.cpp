#include "ui/KvCachedScrollBar.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOptionSlider>

KvCachedScrollBar::KvCachedScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {}

void KvCachedScrollBar::paintEvent(QPaintEvent* event) {
  // Under the mouse or held down the style shows which part is hovered or
  // pressed, which only the base class knows.
  if (underMouse() || QGuiApplication::mouseButtons() != Qt::NoButton) {
    QScrollBar::paintEvent(event);
    return;
  }
  QStyleOptionSlider option;
  initStyleOption(&option);
  option.subControls = QStyle::SC_All;
  option.activeSubControls = QStyle::SC_None;
  const qreal ratio = devicePixelRatio();
  const QString key =
      QString::asprintf("kv-scrollbar-%p-%dx%d-%d-%d-%d-%d-%d-%d-%d-%d-%d-%d-%lld-%g", static_cast<void*>(style()),
                        option.rect.width(), option.rect.height(), int(option.orientation), option.minimum,
                        option.maximum, option.sliderPosition, option.sliderValue, option.singleStep,
                        option.pageStep, int(option.upsideDown), int(option.state), int(option.direction),
                        static_cast<long long>(option.palette.cacheKey()), ratio);
  QPixmap pixmap;
  if (!QPixmapCache::find(key, &pixmap)) {
    pixmap = QPixmap(option.rect.size() * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    option.rect.moveTopLeft(QPoint(0, 0));
    style()->drawComplexControl(QStyle::CC_ScrollBar, &option, &painter, this);
    painter.end();
    QPixmapCache::insert(key, pixmap);
  }
  QPainter(this).drawPixmap(0, 0, pixmap);
}
