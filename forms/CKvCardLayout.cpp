#include "forms/CKvCardLayout.h"

#include "print/CKvCardPageFormat.h"
#include "print/CKvCardPageSetupDlg.h"
#include "print/KvPageMap.h"
#include "ui/CKvColourDlg.h"
#include "ui/KvModal.h"

#include <QPainter>

namespace {
// Device pixels per stored font height unit on screen.
constexpr double kScreenFontFactor = 1.0;

// The font of a stored face and height, `factor` device pixels per height
// unit; a face that is not installed is set in an installed Chinese face.
QFont fontFor(const KvLogFont& font, double factor) {
  return KvPageMap::ForScreen(nullptr, QSize(), factor).Font(font);
}
}  // namespace

CKvCardLayout::CKvCardLayout() {
  const CKvCardPageFormat defaults;
  TitleFont = defaults.TitleFont;
  TextFont = defaults.TextFont;
  TitleBox.leftFrame = TitleBox.topFrame = TitleBox.rightFrame = TitleBox.bottomFrame = 0;
}

QSize CKvCardLayout::OrientedPaper() const {
  return IsLandscape() ? PaperSize.transposed() : PaperSize;
}

void CKvCardLayout::Setup(CKvDb* db, int key, const QString& defaultTitle, int titleHeight) {
  if (!m_bFormatRead || m_pFormatDb != db || m_format.Key != key) {
    CKvCardPageFormat read;
    read.Key = key;
    // A format that could not be read is asked for again next time.
    m_bFormatRead = db && read.Load(db);
    m_format = read;
    m_pFormatDb = db;
  }
  const CKvCardPageFormat& format = m_format;
  FormatKey = key;

  TitleBox.Reset();
  TitleBox.text = format.Title.isEmpty() ? defaultTitle : format.Title;
  TitleBox.bottom = TitleBox.top + titleHeight;
  TitleBox.leftFrame = TitleBox.topFrame = TitleBox.rightFrame = TitleBox.bottomFrame = 0;

  takeOver(format);
}

void CKvCardLayout::takeOver(const CKvCardPageFormat& format) {
  Margins = QMargins(format.Left, format.Top, format.Right, format.Bottom);
  PaperSize = QSize(format.PaperWidth, format.PaperLength);
  TitleValue = format.TitleValue;
  TextValue = format.TextValue;
  TitleFont = format.TitleFont;
  TextFont = format.TextFont;
  Orientation = format.Orientation;
  // A card size of 0 x 0 is not set.
  if (format.CardWidth != 0 && format.CardHeight != 0)
    CardSize = QSize(format.CardWidth, format.CardHeight);
}

void CKvCardLayout::ComputeScale() {
  FieldBounds = Fields.GetBounds();
  ScreenScaleX = ScreenScaleY = 0.0;
  // Without fields there is nothing to scale onto the card.
  if (Fields.isEmpty())
    return;
  if (FieldBounds.width() != 0)
    ScreenScaleX = double(CardSize.width() - Insets.left() - Insets.right()) / FieldBounds.width();
  const int height = TitleHeight() + FieldBounds.height();
  if (height != 0)
    ScreenScaleY = double(CardSize.height() - Insets.top() - Insets.bottom()) / height;
}

QRect CKvCardLayout::place(const Placement& placement, int index, bool wholeTitle) const {
  const int titleLeft = placement.origin.x();
  const int titleTop = placement.origin.y();
  const int titleRight = titleLeft + int(FieldBounds.width() * placement.scaleX);
  const int titleBottom = titleTop + int(TitleHeight() * placement.scaleY);
  if (wholeTitle)
    return QRect(titleLeft, titleTop, titleRight - titleLeft, titleBottom - titleTop);
  if (index < 0 || index >= Fields.size())
    return QRect();
  const KvTextBox& box = Fields.at(index);
  auto x = [&](int formX) { return titleLeft + int((formX - FieldBounds.left()) * placement.scaleX); };
  auto y = [&](int formY) { return titleBottom + int((formY - FieldBounds.top()) * placement.scaleY); };
  const int left = x(box.left);
  const int top = y(box.top);
  return QRect(left, top, x(box.right) - left, y(box.bottom) - top);
}

QRect CKvCardLayout::PlaceFields(int index, bool wholeTitle) const {
  return place({QPoint(Insets.left(), Insets.top()), ScreenScaleX, ScreenScaleY}, index, wholeTitle);
}

void CKvCardLayout::DrawPage(QPainter& painter, bool overlay) const {
  draw(painter, {QPoint(Insets.left(), Insets.top()), ScreenScaleX, ScreenScaleY},
       kScreenFontFactor, overlay, false);
}

KvPaperRequest CKvCardLayout::PaperRequest() const {
  const QSize paper = OrientedPaper();
  KvPaperRequest request;
  request.width = paper.width();
  request.height = paper.height();
  request.orientation = IsLandscape() ? KV_ORIENT_LANDSCAPE : KV_ORIENT_PORTRAIT;
  request.left = Margins.left();
  request.top = Margins.top();
  request.right = Margins.right();
  request.bottom = Margins.bottom();
  return request;
}

void CKvCardLayout::PreparePrint(const KvPageMap& map) {
  FieldBounds = Fields.GetBounds();
  UnitsX = map.UnitsX();
  UnitsY = map.UnitsY();
  // The resolution (units per inch) of the vertical axis, over 100.
  PrintFontFactor = UnitsY * 254.0 * 0.01;
  // The space inside the margins of the paper as it lies.
  const QSize paper = OrientedPaper();
  PrintScaleX = PrintScaleY = 0.0;
  if (FieldBounds.width() != 0)
    PrintScaleX = double(paper.width() - Margins.left() - Margins.right()) / FieldBounds.width() * UnitsX;
  const int height = TitleHeight() + FieldBounds.height();
  if (height != 0)
    PrintScaleY = double(paper.height() - Margins.top() - Margins.bottom()) / height * UnitsY;
}

void CKvCardLayout::DrawPrintPage(QPainter& painter, bool overlay) const {
  // Full-page printing: the page starts at the margins.
  const QPoint origin(int(Margins.left() * UnitsX), int(Margins.top() * UnitsY));
  draw(painter, {origin, PrintScaleX, PrintScaleY}, PrintFontFactor, overlay, true);
}

void CKvCardLayout::draw(QPainter& painter, const Placement& placement, double fontFactor,
                         bool overlay, bool printing) const {
  // Onto a pre-printed form only texts are printed, and only those of the
  // boxes marked for it.
  const bool textsOnly = overlay && printing;
  auto drawBox = [&](const KvTextBox& box, const QRect& rect) {
    if (textsOnly && box.drawText == 0)
      return;
    KvTextBox placed = box;
    placed.left = rect.left();
    placed.top = rect.top();
    placed.right = rect.left() + rect.width();
    placed.bottom = rect.top() + rect.height();
    if (textsOnly)
      placed.leftFrame = placed.topFrame = placed.rightFrame = placed.bottomFrame = 0;
    placed.Draw(&painter);
  };

  painter.save();
  if (printing)
    painter.setBackground(Qt::white);
  painter.setFont(fontFor(TitleFont, fontFactor));
  painter.setPen(KvColorOf(quint32(TitleValue)));
  drawBox(TitleBox, place(placement, -1, true));
  painter.setFont(fontFor(TextFont, fontFactor));
  painter.setPen(KvColorOf(quint32(TextValue)));
  for (int i = 0; i < Fields.size(); ++i)
    drawBox(Fields.at(i), place(placement, i, false));
  painter.restore();
}

bool CKvCardLayout::PageSetup(CKvDb* db, QWidget* parent) {
  CKvCardPageFormat format;
  format.Key = FormatKey;
  format.Title = TitleBox.text;
  format.TitleFont = TitleFont;
  format.TextFont = TextFont;
  format.TitleValue = TitleValue;
  format.TextValue = TextValue;
  format.Left = Margins.left();
  format.Top = Margins.top();
  format.Right = Margins.right();
  format.Bottom = Margins.bottom();
  format.PaperWidth = PaperSize.width();
  format.PaperLength = PaperSize.height();
  format.CardWidth = CardSize.width();
  format.CardHeight = CardSize.height();
  format.Orientation = Orientation;

  CKvCardPageSetupDlg dialog(&format, db, parent);
  if (KvExecDialog(&dialog) != QDialog::Accepted)
    return false;
  if (!format.Title.isEmpty())
    TitleBox.text = format.Title;
  takeOver(format);
  m_format = format;
  m_pFormatDb = db;
  m_bFormatRead = db != nullptr;
  return true;
}
