#pragma once
// A small owner-drawn icon button. Flat by default (QPushButton's flat
// property): it shows no frame until the mouse is over it, then a raised
// frame, and a sunken one while it is held down. Not flat, it draws the
// ordinary raised button. While the button is held down with the mouse on
// it, the icon moves one pixel right and down.

#include <QPushButton>

class CKvButton : public QPushButton {
  Q_OBJECT
 public:
  explicit CKvButton(QWidget* parent = nullptr);

  // The icon and the size it is drawn at (centred on the button).
  void SetIcon(const QIcon& icon, int width, int height);

  // True while the left mouse button is down on the button.
  bool IsPressed() const { return m_pressed; }

  // True while some button of the program shows its hover frame.
  static bool IsHoverDrawn();

  // Where the icon goes in the current state: the button's area, moved one
  // pixel right and down while it is held down with the mouse on it.
  QRect IconRect() const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void dropHoverFrame();

  bool m_pressed = false;
  bool m_hovered = false;
};
