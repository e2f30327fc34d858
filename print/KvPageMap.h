#pragma once
// How a page laid out in 0.1 mm lands on a device. Every print job draws in
// the device's own units: positions, lengths and fonts are converted here,
// and the painter is never scaled, so text is set at the device's full
// resolution.
//
// On paper the origin is the paper's top-left corner (full-page mode: the
// printer's unprintable offsets play no part), one 0.1 mm is the resolution
// / 254 device units, and a stored font height |h| is h/100 inch. On screen
// one 0.1 mm is dpi x zoom / 254 pixels and a font height is h pixels times
// the zoom.

#include <QFont>
#include <QPoint>
#include <QSize>

struct KvLogFont;
class QPaintDevice;
class QPrinter;

class KvPageMap {
public:
  KvPageMap() = default;

  // The printer's page in full-page mode: its resolution and the paper as
  // it lies (landscape turned).
  static KvPageMap ForPrinter(const QPrinter& printer);
  // A page of `paper` (0.1 mm) drawn on a screen device at its dpi, zoomed.
  static KvPageMap ForScreen(const QPaintDevice* device, QSize paper, double zoom = 1.0);

  // Device units per 0.1 mm on each axis.
  double UnitsX() const { return m_unitsX; }
  double UnitsY() const { return m_unitsY; }
  // The paper as it lies, in 0.1 mm.
  QSize Paper() const { return m_paper; }
  // The device the page is drawn on (for measuring text); may be null.
  QPaintDevice* Device() const { return m_device; }

  // 0.1 mm to device units.
  int X(double tenths) const;
  int Y(double tenths) const;
  QPoint Point(double x, double y) const { return {X(x), Y(y)}; }

  // The font for drawing on this device: the stored height converted to
  // device pixels, weight, italic and underline kept; a face that is not
  // installed is set in an installed Chinese face of its kind.
  QFont Font(const KvLogFont& font) const;

private:
  // Device pixels of a stored font height |h|.
  int fontPixels(int height) const;

  double m_unitsX = 1.0;
  double m_unitsY = 1.0;
  double m_fontFactor = 1.0;
  QSize m_paper;
  QPaintDevice* m_device = nullptr;
};
