// The scroll bar that keeps its drawing: it looks exactly like the plain
// scroll bar in every state it is drawn in, and a changed state is never
// shown from an older drawing.

#include "ui/KvCachedScrollBar.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include <functional>
#include <memory>

namespace {
// A scroll bar of the given kind filling a window of its own, as a scroll
// area shows it.
struct BarWindow {
  QWidget window;
  QScrollBar* bar;
  BarWindow(bool cached, Qt::Orientation orientation) {
    bar = cached ? new KvCachedScrollBar(orientation, &window) : new QScrollBar(orientation, &window);
    window.resize(orientation == Qt::Vertical ? QSize(16, 300) : QSize(400, 16));
    bar->setGeometry(QRect(QPoint(), window.size()));
  }
  QImage picture() { return window.grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

struct BarState {
  const char* name;
  std::function<void(QScrollBar*)> apply;
};
}  // namespace

TEST(CachedScrollBarTest, LooksLikeThePlainBarInEveryStateAndFollowsEachChange) {
  const BarState states[] = {
      {"range and page", [](QScrollBar* b) { b->setRange(0, 120); b->setPageStep(400); }},
      {"scrolled", [](QScrollBar* b) { b->setValue(60); }},
      {"scrolled to the end", [](QScrollBar* b) { b->setValue(120); }},
      {"smaller page", [](QScrollBar* b) { b->setPageStep(20); }},
      {"longer range", [](QScrollBar* b) { b->setRange(0, 5000); }},
      {"disabled", [](QScrollBar* b) { b->setEnabled(false); }},
      {"enabled again", [](QScrollBar* b) { b->setEnabled(true); }},
      {"back to the start", [](QScrollBar* b) { b->setValue(0); }},
  };
  for (Qt::Orientation orientation : {Qt::Vertical, Qt::Horizontal}) {
    BarWindow plain(false, orientation);
    BarWindow cached(true, orientation);
    QImage previous;
    for (const BarState& state : states) {
      SCOPED_TRACE(std::string(state.name) + (orientation == Qt::Vertical ? " vertical" : " horizontal"));
      state.apply(plain.bar);
      state.apply(cached.bar);
      const QImage expected = plain.picture();
      // Drawn twice: the second drawing comes from what was kept.
      EXPECT_EQ(cached.picture(), expected);
      EXPECT_EQ(cached.picture(), expected);
      EXPECT_NE(expected, previous);
      previous = expected;
    }
  }
}
