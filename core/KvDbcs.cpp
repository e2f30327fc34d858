#include "core/KvDbcs.h"

#include "core/KvWidth.h"

int KvDbcsCharClass(const QString& text, int position) {
  if (position < 0) return -1;
  int at = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar ch = text.at(i);
    if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) ++i;
    const int width = KvIsWide(ch) ? 2 : 1;
    if (position < at + width) return width == 1 ? 0 : (position == at ? 1 : 2);
    at += width;
  }
  return -1;
}

QString KvCutDbcs(const QString& text) {
  if (!text.isEmpty() && text.back().isHighSurrogate()) return text.left(text.size() - 1);
  return text;
}
