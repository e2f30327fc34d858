#include "print/CKvPrintSet.h"

namespace {
KvLogFont makeFont(const QString& face, int height) {
  KvLogFont font = KvDefaultLogFont();
  font.faceName = face;
  font.height = height;
  font.weight = 400;
  return font;
}
}  // namespace

CKvPrintSet::CKvPrintSet() {
  Fonts[TitleFont] = makeFont(QStringLiteral("黑体"), 24);
  Fonts[HeadFont] = makeFont(QStringLiteral("宋体"), 12);
  Fonts[TextFont] = makeFont(QStringLiteral("宋体"), 12);
  Fonts[TailFont] = makeFont(QStringLiteral("宋体"), 12);
  FontColors.fill(QColor(Qt::black));
}
