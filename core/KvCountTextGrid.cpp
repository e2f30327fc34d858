#include "core/KvCountTextGrid.h"

#include "core/KvFields.h"

void KvCountTextGrid(QString& text, int& nRows, int& nCols) {
  QString lines;
  lines.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar ch = text.at(i);
    if (ch == u'\r' || ch == u'\n') {
      // A CR LF or LF CR pair is one break.
      const QChar pair = ch == u'\r' ? QChar(u'\n') : QChar(u'\r');
      if (i + 1 < text.size() && text.at(i + 1) == pair)
        ++i;
      lines += QChar(u'\n');
    } else {
      lines += ch;
    }
  }
  text = lines;
  nRows = KvCountFields(text, QChar(u'\n'));
  nCols = KvCountFields(KvGetField(text, 0, QChar(u'\n')), QChar(u'\t'));
}
