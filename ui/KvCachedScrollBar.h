#pragma once
// A scroll bar that keeps its drawing. At rest (neither under the mouse nor
// held down) it draws what the style drew for the same state before, kept
// in the application's pixmap cache under everything the style is given
// (style, size, orientation, range, position, steps, state, palette and
// pixel ratio); any change of these draws it anew. Under the mouse or held
// down it is the ordinary scroll bar.
//
// Why: the style draws scroll bars with gradients and half-transparent
// lines, which the raster engine blends in parallel pieces; a grid window
// drawn again and again with its bars unchanged paid for that every time.

#include <QScrollBar>

class KvCachedScrollBar : public QScrollBar {
  Q_OBJECT
 public:
  explicit KvCachedScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};
