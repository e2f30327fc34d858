#include "ui/KvTextBox.h"

#include "core/KvPrinter.h"
#include "core/KvWidth.h"

#include <QPaintDevice>
#include <QPainter>

namespace {
const QString kIndent = QStringLiteral("    ");
// Wide enough for any line; the band's clip cuts what does not fit.
constexpr int kFarAway = 1 << 24;

bool isPrinting(const QPainter* painter) {
  const QPaintDevice* device = painter->device();
  return device && device->devType() == QInternal::Printer;
}
}  // namespace

void KvTextBox::Set(const QString& text_, int left_, int top_, int right_, int bottom_,
                    int leftFrame_, int topFrame_, int rightFrame_, int bottomFrame_, int font1_,
                    int font2_, int font3_, int font4_, int font5_, int noWrap_, int align_,
                    int drawText_) {
  text = text_;
  left = left_;
  top = top_;
  right = right_;
  bottom = bottom_;
  leftFrame = leftFrame_;
  topFrame = topFrame_;
  rightFrame = rightFrame_;
  bottomFrame = bottomFrame_;
  font1 = font1_;
  font2 = font2_;
  font3 = font3_;
  font4 = font4_;
  font5 = font5_;
  noWrap = noWrap_;
  align = align_;
  drawText = drawText_;
}

void KvTextBox::Reset() { *this = KvTextBox(); }

void KvTextBox::SetLine(int height, const QString& text_) {
  Reset();
  text = text_;
  bottom = top + height;
  leftFrame = topFrame = rightFrame = bottomFrame = 0;
  font1 = 0;
  drawText = 0;
}

QStringList KvTextBox::Lines(int areaWidth, int widthOfT) const {
  QStringList pending = text.split(QLatin1Char('\\'));
  if (noWrap)
    return pending;
  const int limit = widthOfT > 0 ? qMax(2, areaWidth / widthOfT - 4) : 2;
  QStringList lines;
  for (qsizetype i = 0; i < pending.size(); ++i) {
    QString line = pending.at(i);
    if (!line.startsWith(kIndent))
      line.prepend(kIndent);
    const QString body = line.mid(kIndent.size());
    if (KvTextWidth(body) > limit) {
      const qsizetype cut = KvIndexAtWidth(body, limit);
      pending.insert(i + 1, body.mid(cut));
      line.truncate(kIndent.size() + cut);
    }
    lines.append(line);
  }
  return lines;
}

void KvTextBox::Draw(QPainter* painter, bool framesOnly, bool print) const {
  const bool printing = isPrinting(painter);
  const int u = KvPrinterDotsPerQuarterMm(painter->device());
  painter->save();
  // The caller's pen gives the text its colour; the frames have their own.
  const QPen textPen = painter->pen();

  // The text area shrinks past the lines drawn on each side.
  int areaLeft = left, areaTop = top, areaRight = right, areaBottom = bottom;
  if (!(print && printing)) {
    QPen pen(Qt::black, u, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    auto vertical = [&](int x) { painter->drawLine(x, top, x, bottom); };
    auto horizontal = [&](int y) { painter->drawLine(left, y, right, y); };
    if (leftFrame == 1 || leftFrame == 2) {
      vertical(left);
      if (leftFrame == 2)
        vertical(left + u);
      areaLeft += leftFrame * u;
    }
    if (topFrame == 1 || topFrame == 2) {
      horizontal(top);
      if (topFrame == 2)
        horizontal(top + u);
      areaTop += topFrame * u;
    }
    if (rightFrame == 1 || rightFrame == 2) {
      vertical(right);
      if (rightFrame == 2)
        vertical(right - u);
      areaRight -= rightFrame * u;
    }
    if (bottomFrame == 1 || bottomFrame == 2) {
      horizontal(bottom);
      if (bottomFrame == 2)
        horizontal(bottom - u);
      areaBottom -= bottomFrame * u;
    }
  }

  if ((drawText || !framesOnly) && areaRight > areaLeft && areaBottom > areaTop) {
    if (font1 != 0) {
      QFont font = painter->font();
      if (font2 > 1) {
        if (font.pointSizeF() > 0)
          font.setPointSizeF(font.pointSizeF() * font2);
        else if (font.pixelSize() > 0)
          font.setPixelSize(font.pixelSize() * font2);
      }
      if (font3 == 1)
        font.setBold(true);
      if (font4 == 0 || font4 == 1)
        font.setItalic(font4 == 1);
      if (font5 == 0 || font5 == 1)
        font.setUnderline(font5 == 1);
      painter->setFont(font);
    }
    const int areaWidth = areaRight - areaLeft;
    const int areaHeight = areaBottom - areaTop;
    const QStringList lines =
        Lines(areaWidth, painter->fontMetrics().horizontalAdvance(QLatin1Char('T')));

    int x;
    int flags = Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip;
    if (align == 0) {
      x = areaLeft + 3 + 2 * u;
      flags |= Qt::AlignLeft;
    } else if (align == 2) {
      x = areaRight - 5;
      flags |= Qt::AlignRight;
    } else {
      x = areaLeft + areaWidth / 2;
      flags |= Qt::AlignHCenter;
    }
    painter->setPen(textPen);
    const qsizetype count = lines.size();
    for (qsizetype i = 0; i < count; ++i) {
      const int bandTop = areaTop + static_cast<int>(areaHeight * i / count);
      const int bandBottom = areaTop + static_cast<int>(areaHeight * (i + 1) / count);
      const QRect band(areaLeft, bandTop, areaWidth, bandBottom - bandTop);
      if (band.isEmpty())
        continue;
      QRect target(0, bandTop, kFarAway, band.height());
      if (align == 0)
        target.moveLeft(x);
      else if (align == 2)
        target.moveRight(x - 1);
      else
        target.moveLeft(x - kFarAway / 2);
      painter->save();
      painter->setClipRect(band, Qt::IntersectClip);
      painter->fillRect(band, painter->background());
      painter->drawText(target, flags, lines.at(i));
      painter->restore();
    }
  }
  painter->restore();
}

QRect KvTextBoxArray::GetBounds() const {
  if (isEmpty())
    return QRect(0, 0, 0, 0);
  int l = first().left, t = first().top, r = first().right, b = first().bottom;
  for (const KvTextBox& box : *this) {
    l = qMin(l, box.left);
    t = qMin(t, box.top);
    r = qMax(r, box.right);
    b = qMax(b, box.bottom);
  }
  return QRect(l, t, r - l, b - t);
}
