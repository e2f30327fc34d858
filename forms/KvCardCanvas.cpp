#include "forms/KvCardCanvas.h"

#include <QPainter>

KvCardCanvas::KvCardCanvas(PaintFn paint, QWidget* parent)
    : QWidget(parent), m_paint(std::move(paint)) {}

void KvCardCanvas::paintEvent(QPaintEvent* event) {
  (void)event;
  QPainter painter(this);
  if (m_paint)
    m_paint(painter);
}
