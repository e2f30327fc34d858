#pragma once
// The surface a card view draws its card on: the widget inside the view's
// scroll area, as large as the card (or the view, when that is larger). The
// view gives the drawing; a card form's edit controls are its children and
// stand over the card's fields.

#include <QWidget>
#include <functional>

class QPainter;

class KvCardCanvas : public QWidget {
  Q_OBJECT
 public:
  using PaintFn = std::function<void(QPainter& painter)>;

  explicit KvCardCanvas(PaintFn paint, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  PaintFn m_paint;
};
