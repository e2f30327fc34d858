#include "print/KvPageMap.h"

#include "core/KvPrinter.h"

#include <QPageLayout>
#include <QPaintDevice>
#include <QPrinter>
#include <cmath>
#include <cstdlib>

namespace {
constexpr double kTenthsPerInch = 254.0;

// The Chinese faces that forms store are seldom installed here: a face that
// is missing is set in an installed CJK face of its kind (a Song face in a
// serif one, every other in a sans one), so that a line of Chinese and
// digits is one font with one baseline and one height.
QStringList familiesFor(const QString& face) {
  const bool serif = face.contains(u'宋') || face.contains(u'仿') || face.contains(u'楷') ||
                     face.contains(QLatin1String("Song"), Qt::CaseInsensitive) ||
                     face.contains(QLatin1String("Sun"), Qt::CaseInsensitive);
  return {face, serif ? QStringLiteral("Noto Serif CJK SC") : QStringLiteral("Noto Sans CJK SC")};
}
}  // namespace

KvPageMap KvPageMap::ForPrinter(const QPrinter& printer) {
  KvPageMap map;
  const double dpi = printer.resolution();
  map.m_unitsX = map.m_unitsY = dpi / kTenthsPerInch;
  map.m_fontFactor = dpi / 100.0;
  const QSizeF mm = printer.pageLayout().fullRect(QPageLayout::Millimeter).size();
  map.m_paper = QSize(qRound(mm.width() * 10.0), qRound(mm.height() * 10.0));
  map.m_device = const_cast<QPrinter*>(&printer);
  return map;
}

KvPageMap KvPageMap::ForScreen(const QPaintDevice* device, QSize paper, double zoom) {
  KvPageMap map;
  const double dpiX = device ? device->logicalDpiX() : 96.0;
  const double dpiY = device ? device->logicalDpiY() : 96.0;
  map.m_unitsX = dpiX * zoom / kTenthsPerInch;
  map.m_unitsY = dpiY * zoom / kTenthsPerInch;
  map.m_fontFactor = zoom;
  map.m_paper = paper;
  map.m_device = const_cast<QPaintDevice*>(device);
  return map;
}

int KvPageMap::X(double tenths) const { return static_cast<int>(std::lround(tenths * m_unitsX)); }

int KvPageMap::Y(double tenths) const { return static_cast<int>(std::lround(tenths * m_unitsY)); }

int KvPageMap::fontPixels(int height) const {
  return qMax(1, static_cast<int>(std::lround(std::abs(height) * m_fontFactor)));
}

QFont KvPageMap::Font(const KvLogFont& font) const {
  // A font without a height takes the default font's.
  KvLogFont scaled = font;
  scaled.height = fontPixels(font.height != 0 ? font.height : KvDefaultLogFont().height);
  scaled.width = 0;
  QFont result = KvFontFromLogFont(scaled);
  result.setFamilies(familiesFor(font.faceName));
  // Chinese and Latin need no shaping; shaped Latin digits of the CJK faces
  // are glyphs the PDF's text map cannot name, so they could not be found
  // or copied in a printed PDF file.
  result.setStyleStrategy(QFont::PreferNoShaping);
  return result;
}
