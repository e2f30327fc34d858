#include "ui/KvWindowHelpers.h"

#include "ui/KvObjectNames.h"

#include <QComboBox>
#include <QRect>
#include <QWidget>

namespace {
QList<QWidget*> controlsOf(QWidget* dialog) {
  QList<QWidget*> controls;
  if (!dialog)
    return controls;
  for (QObject* child : dialog->children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (widget && !widget->isWindow())
      controls.append(widget);
  }
  return controls;
}

QRect screenRect(const QWidget* widget) {
  if (widget->isWindow())
    return widget->frameGeometry();
  return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

void setScreenRect(QWidget* widget, const QRect& rect) {
  if (widget->isWindow()) {
    const QSize frame = widget->frameGeometry().size() - widget->size();
    widget->move(rect.topLeft());
    widget->resize(rect.size() - frame);
  } else {
    widget->setGeometry(QRect(widget->parentWidget()->mapFromGlobal(rect.topLeft()), rect.size()));
  }
  widget->update();
}

// Edges with the right and bottom just outside the rectangle.
int rightOf(const QRect& r) { return r.x() + r.width(); }
int bottomOf(const QRect& r) { return r.y() + r.height(); }

// The anchor picked by a code digit; false for a digit outside 1-3.
bool anchor(int digit, int low, int high, int* out) {
  switch (digit) {
    case 1: *out = low; return true;
    case 2: *out = (low + high) / 2; return true;
    case 3: *out = high; return true;
    default: return false;
  }
}

bool horizontalAnchor(const QRect& r, int code, int* out) {
  return anchor(code % 10, r.x(), rightOf(r), out);
}
bool verticalAnchor(const QRect& r, int code, int* out) {
  return anchor(code / 10 % 10, r.y(), bottomOf(r), out);
}

int rowIndexOf(const QList<int>& rows, int top) {
  for (int i = 0; i < rows.size(); ++i) {
    if (qAbs(rows.at(i) - top) < 5)
      return i;
  }
  return -1;
}
}  // namespace

void KvShowEnable(QWidget* window, bool show, bool enable) {
  if (!window)
    return;
  window->setEnabled(enable);
  window->setVisible(show);
}

void KvShowEnableItem(QWidget* dialog, int id, bool show, bool enable) {
  KvShowEnable(KvDlgItem(dialog, id), show, enable);
}

void KvShowEnableArea(QWidget* dialog, int idA, int idB, bool show, bool enable) {
  const QWidget* a = KvDlgItem(dialog, idA);
  const QWidget* b = KvDlgItem(dialog, idB);
  if (!a || !b)
    return;
  const QRect area = screenRect(a).united(screenRect(b));
  for (QWidget* control : controlsOf(dialog)) {
    if (screenRect(control).intersects(area))
      KvShowEnable(control, show, enable);
  }
}

void KvAlignToWindow(bool stretch, QWidget* windowA, QWidget* windowB, int codeA, int codeB) {
  if (!windowA || !windowB || !windowA->parentWidget() || !windowB->parentWidget())
    return;
  if (codeB < 0)
    codeB = codeA;
  const QRect a = screenRect(windowA);
  const QRect b = screenRect(windowB);
  int fromX = 0, toX = 0, fromY = 0, toY = 0;
  const int dx = horizontalAnchor(a, codeA, &fromX) && horizontalAnchor(b, codeB, &toX) ? toX - fromX : 0;
  const int dy = verticalAnchor(a, codeA, &fromY) && verticalAnchor(b, codeB, &toY) ? toY - fromY : 0;
  int left = a.x(), top = a.y(), right = rightOf(a), bottom = bottomOf(a);
  if (!stretch) {
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
  } else {
    switch (codeA % 10) {
      case 1: left += dx; break;
      case 2: left = b.x(); right = rightOf(b); break;
      case 3: right += dx; break;
      default: break;
    }
    switch (codeA / 10 % 10) {
      case 1: top += dy; break;
      case 2: top = b.y(); bottom = bottomOf(b); break;
      case 3: bottom += dy; break;
      default: break;
    }
  }
  setScreenRect(windowA, QRect(left, top, right - left, bottom - top));
}

void KvPlaceWindowByCode(QWidget* window, QWidget* reference, int code, int gap) {
  if (!window || !reference)
    return;
  const QRect w = screenRect(window);
  const QRect r = screenRect(reference);
  int right = rightOf(w), bottom = bottomOf(w);
  if (horizontalAnchor(r, code, &right))
    right += gap;
  if (verticalAnchor(r, code, &bottom))
    bottom += gap;
  setScreenRect(window, QRect(w.x(), w.y(), right - w.x(), bottom - w.y()));
}

int KvCollectRows(QWidget* dialog, QList<int>* rows) {
  if (!rows)
    return 0;
  for (const QWidget* control : controlsOf(dialog)) {
    const int top = control->geometry().y();
    if (rowIndexOf(*rows, top) >= 0)
      continue;
    qsizetype at = 0;
    while (at < rows->size() && rows->at(at) <= top)
      ++at;
    rows->insert(at, top);
  }
  return int(rows->size());
}

void KvMoveRows(QWidget* dialog, QWidget* window, int y, int count) {
  if (!dialog || !window)
    return;
  QList<int> rows;
  KvCollectRows(dialog, &rows);
  const int windowTop = window->mapTo(dialog, QPoint(0, 0)).y();
  const int first = rowIndexOf(rows, windowTop);
  if (first < 0)
    return;
  const int dy = dialog->mapFromGlobal(QPoint(0, y)).y() - windowTop;
  for (QWidget* control : controlsOf(dialog)) {
    const int k = rowIndexOf(rows, control->geometry().y());
    if (k >= first && k < first + count)
      control->move(control->x(), control->y() + dy);
  }
}

void KvMoveRowsTo(QWidget* dialog, QWidget* window, QWidget* reference, int count) {
  if (reference)
    KvMoveRows(dialog, window, screenRect(reference).y(), count);
}

void KvComboGetCurText(QString* out, const QComboBox* combo) {
  if (!out)
    return;
  const int index = combo ? combo->currentIndex() : -1;
  *out = index >= 0 ? combo->itemText(index) : QString();
}
