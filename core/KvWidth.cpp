#include "core/KvWidth.h"

namespace {
// Length in UTF-16 units and width of the character starting at `i`.
inline void charAt(const QString& text, qsizetype i, qsizetype& units, int& width) {
  const QChar ch = text.at(i);
  if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
    units = 2;
    width = 2;
  } else {
    units = 1;
    width = KvIsWide(ch) ? 2 : 1;
  }
}
}  // namespace

int KvTextWidth(const QString& text) {
  int width = 0;
  for (qsizetype i = 0; i < text.size();) {
    qsizetype units;
    int w;
    charAt(text, i, units, w);
    width += w;
    i += units;
  }
  return width;
}

qsizetype KvIndexAtWidth(const QString& text, int width) {
  int used = 0;
  qsizetype i = 0;
  while (i < text.size()) {
    qsizetype units;
    int w;
    charAt(text, i, units, w);
    if (used + w > width)
      break;
    used += w;
    i += units;
  }
  return i;
}

int KvWidthAtIndex(const QString& text, qsizetype index) {
  int width = 0;
  for (qsizetype i = 0; i < text.size() && i < index;) {
    qsizetype units;
    int w;
    charAt(text, i, units, w);
    width += w;
    i += units;
  }
  return width;
}

QString KvLeftByWidth(const QString& text, int width) {
  return text.left(KvIndexAtWidth(text, width));
}

QString KvMidByWidth(const QString& text, int width) {
  if (width <= 0)
    return text;
  int used = 0;
  qsizetype i = 0;
  while (i < text.size() && used < width) {
    qsizetype units;
    int w;
    charAt(text, i, units, w);
    used += w;
    i += units;
  }
  return text.mid(i);
}

QString KvRightByWidth(const QString& text, int width) {
  const int total = KvTextWidth(text);
  if (total <= width)
    return text;
  // Skip from the start until what remains fits.
  int used = 0;
  qsizetype i = 0;
  while (i < text.size() && total - used > width) {
    qsizetype units;
    int w;
    charAt(text, i, units, w);
    used += w;
    i += units;
  }
  return text.mid(i);
}

QString KvPadToWidth(const QString& text, int width, bool right) {
  const int pad = width - KvTextWidth(text);
  if (pad <= 0)
    return text;
  return right ? QString(pad, u' ') + text : text + QString(pad, u' ');
}
