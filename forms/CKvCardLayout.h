#pragma once
// The page geometry of a card: a form that shows one record per page, a
// title band on top and under it the module's field boxes placed freely, as
// on a receipt. The module lays its boxes out in form units of its own; the
// layout only scales their bounding box onto the card on screen or onto the
// paper, each axis on its own.
//
// What callers may rely on:
// - Setup takes the page format stored under a key (the paper, margins,
//   fonts, colours, orientation and, when stored, the card size) and sets
//   the title band; ComputeScale then gives the screen scales, and
//   PlaceFields the rectangle of a field (or of the title band) on the card,
//   in the card's pixels: inside the insets, the title band first, the
//   fields under it, every coordinate truncated toward zero.
// - Printing is full-page: positions count from the paper's corner and the
//   page starts at the margins. PreparePrint takes the device's units per
//   0.1 mm (resolution / 254) and computes the print scales from the paper
//   as it lies (width and height exchanged for landscape), so a landscape
//   card fills the turned sheet and its bottom rows stay on the paper.
// - Overlay printing (onto a pre-printed form) draws no frame line, leaves
//   out the boxes whose drawText is 0 and prints the texts of the others.
// - A card without fields keeps both screen scales at 0 and draws only its
//   title band.

#include "core/KvPrinter.h"
#include "print/CKvCardPageFormat.h"
#include "print/KvOpenPrinter.h"
#include "ui/KvTextBox.h"

#include <QMargins>
#include <QRect>
#include <QSize>
#include <QString>

class CKvDb;
class KvPageMap;
class QPainter;
class QWidget;

class CKvCardLayout {
 public:
  CKvCardLayout();

  // Space between the card's edge and its contents on screen, in pixels.
  QMargins Insets{10, 10, 10, 10};
  // Paper margins, 0.1 mm.
  QMargins Margins{200, 200, 200, 200};
  // The card on screen, in pixels.
  QSize CardSize{790, 470};
  // The paper upright, 0.1 mm (A4).
  QSize PaperSize{2100, 2970};
  // The colours (RGB values) of the title and of the fields' texts.
  int TitleValue = 0;
  int TextValue = 0;
  // The bounding rectangle of all fields in form units (ComputeScale).
  QRect FieldBounds;
  KvLogFont TitleFont;
  KvLogFont TextFont;
  // 0 portrait, anything else landscape.
  int Orientation = 0;
  // The key the page format of this card is stored under.
  int FormatKey = 0;
  // Screen pixels per form unit.
  double ScreenScaleX = 0.0;
  double ScreenScaleY = 0.0;
  // Device units per form unit on paper (PreparePrint).
  double PrintScaleX = 0.0;
  double PrintScaleY = 0.0;
  // Device units per 0.1 mm.
  double UnitsX = 1.0;
  double UnitsY = 1.0;
  // Device pixels per stored font height unit on paper (resolution / 100).
  double PrintFontFactor = 0.0;
  // The title text in a frameless box as high as the document asks.
  KvTextBox TitleBox;
  // The module's field boxes, in form units.
  KvTextBoxArray Fields;

  bool IsLandscape() const { return Orientation != 0; }
  // The title band's height in form units.
  int TitleHeight() const { return TitleBox.bottom - TitleBox.top; }
  // The paper as it lies when printed, 0.1 mm.
  QSize OrientedPaper() const;

  // Loads the page format stored under the key, once per key and
  // connection (none stored, or no connection: the format's defaults), and
  // takes over its margins, paper, colours, fonts, orientation and, when it
  // holds one, its card size. The title band shows the format's title, or
  // `defaultTitle` when that is empty, and is `titleHeight` form units high.
  void Setup(CKvDb* db, int key, const QString& defaultTitle, int titleHeight);
  // The field bounds and the screen scales.
  void ComputeScale();
  // The rectangle of field `index` on the card, or of the title band with
  // `wholeTitle`; empty for an index that is not a field.
  QRect PlaceFields(int index, bool wholeTitle = false) const;
  // Draws the title band and every field on screen with the screen scales,
  // the page starting at the insets.
  void DrawPage(QPainter& painter, bool overlay) const;

  // The printer's paper: the paper as it lies, the margins and the
  // orientation.
  KvPaperRequest PaperRequest() const;
  // The device units and print scales of the device the map describes.
  void PreparePrint(const KvPageMap& map);
  // Draws the card on paper (after PreparePrint): the print scales, the page
  // starting at the margins, the fonts at the printer's resolution.
  void DrawPrintPage(QPainter& painter, bool overlay) const;

  // Runs the page-setup dialog (970) on the layout's values; after OK the
  // format is stored under FormatKey and the layout takes over its title
  // (when not empty), margins, card size, paper, colours, fonts and
  // orientation. False when cancelled; nothing changes then.
  bool PageSetup(CKvDb* db, QWidget* parent = nullptr);

 private:
  // Where the title band and the fields land: the page's origin and the
  // scales in device units per form unit.
  struct Placement {
    QPoint origin;
    double scaleX = 0.0;
    double scaleY = 0.0;
  };
  QRect place(const Placement& placement, int index, bool wholeTitle) const;
  // The page format's margins, paper, colours, fonts, orientation and, when
  // it holds one, card size.
  void takeOver(const CKvCardPageFormat& format);
  void draw(QPainter& painter, const Placement& placement, double fontFactor, bool overlay,
            bool printing) const;

  // The format last read for its key from m_pFormatDb: a card set up again
  // on the same key and connection (each record it shows) does not read it
  // anew; page setup keeps what it stored.
  CKvCardPageFormat m_format;
  const CKvDb* m_pFormatDb = nullptr;
  bool m_bFormatRead = false;
};
