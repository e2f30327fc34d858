#include "core/KvPrinter.h"

#include "core/KvFormat.h"
#include "core/KvMessage.h"

#include <QFont>
#include <QMap>
#include <QPageLayout>
#include <QPageSize>
#include <QPaintDevice>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSizeF>
#include <cstdlib>

namespace {

QPageSize pageSizeOf(const KvPageSetup& setup) {
  const QPageSize::PageSizeId id = QPageSize::id(setup.paper);
  if (setup.paper != KV_PAPER_USER && id != QPageSize::Custom)
    return QPageSize(id);
  return QPageSize(QSizeF(setup.width / 10.0, setup.height / 10.0), QPageSize::Millimeter,
                   QString(), QPageSize::ExactMatch);
}

void applySetup(QPrinter* printer, const KvPageSetup& setup) {
  if (!setup.printer.isEmpty())
    printer->setPrinterName(setup.printer);
  printer->setFullPage(true);
  // The orientation first: the printer's unprintable margins for the page
  // size are worked out for the orientation in effect.
  printer->setPageOrientation(setup.orientation == KV_ORIENT_LANDSCAPE ? QPageLayout::Landscape
                                                                       : QPageLayout::Portrait);
  printer->setPageSize(pageSizeOf(setup));
}

int tenthsOfMm(double mm) { return qRound(mm * 10.0); }

// The system's printers through Qt's print support (CUPS). Custom papers
// added by the program are kept for the rest of the process: the system has
// no form database to put them in.
class SystemPrinterCatalogue final : public KvPrinterCatalogue {
public:
  QStringList printerNames() const override { return QPrinterInfo::availablePrinterNames(); }

  QString defaultPrinter() const override { return QPrinterInfo::defaultPrinterName(); }

  QList<KvPaper> papers(const QString& printer) const override {
    const QPrinterInfo info = QPrinterInfo::printerInfo(printer);
    if (info.isNull())
      return {};
    QList<KvPaper> list;
    // Papers without a Windows number get numbers above the user-defined
    // one, as printer drivers number their own forms.
    int ownNumber = KV_PAPER_USER + 1;
    for (const QPageSize& size : info.supportedPageSizes()) {
      int id = size.windowsId();
      if (size.id() == QPageSize::Custom || id <= 0 || id == KV_PAPER_USER)
        id = ownNumber++;
      const QSizeF mm = size.size(QPageSize::Millimeter);
      list.append({size.name(), id, tenthsOfMm(mm.width()), tenthsOfMm(mm.height())});
    }
    if (info.supportsCustomPageSizes()) {
      const QPageSize largest = info.maximumPhysicalPageSize();
      const QSizeF mm = largest.size(QPageSize::Millimeter);
      list.append({largest.name(), KV_PAPER_USER, tenthsOfMm(mm.width()), tenthsOfMm(mm.height())});
    }
    list += m_custom.value(printer);
    return list;
  }

  bool pageMetrics(const KvPageSetup& setup, KvPageMetrics* metrics) const override {
    const QPrinterInfo info = QPrinterInfo::printerInfo(setup.printer);
    if (info.isNull())
      return false;
    QPrinter printer(info, QPrinter::HighResolution);
    applySetup(&printer, setup);
    *metrics = KvGetPageMetrics(printer);
    return true;
  }

  bool addCustomPaper(const QString& printer, const QString& name, int width, int height) override {
    if (QPrinterInfo::printerInfo(printer).isNull() || width <= 0 || height <= 0)
      return false;
    QList<KvPaper>& custom = m_custom[printer];
    custom.removeIf([&name](const KvPaper& paper) { return paper.name == name; });
    custom.append({name, KV_PAPER_USER, width, height});
    return true;
  }

private:
  QMap<QString, QList<KvPaper>> m_custom;
};

SystemPrinterCatalogue& systemCatalogue() {
  static SystemPrinterCatalogue catalogue;
  return catalogue;
}

KvPrinterCatalogue* replacement = nullptr;

// The first paper that is user-defined or within 1 mm of the size on both
// sides; -1 when none is.
int matchingPaper(const QList<int>& numbers, const CKvPaperList& sizes, int width, int height) {
  for (int i = 0; i < numbers.size(); ++i) {
    const KvPaperSize size = sizes.GetAt(i);
    if (numbers.at(i) == KV_PAPER_USER ||
        (std::abs(size.width - width) < 10 && std::abs(size.height - height) < 10))
      return i;
  }
  return -1;
}

void stop(const QString& text) { KvMessageBox(text, KV_MB_OK | KV_MB_ICONSTOP); }

}  // namespace

KvPrinterCatalogue::~KvPrinterCatalogue() = default;

KvPrinterCatalogue& KvPrinters() {
  return replacement ? *replacement : systemCatalogue();
}

KvPrinterCatalogue* KvSetPrinterCatalogue(KvPrinterCatalogue* catalogue) {
  KvPrinterCatalogue* previous = replacement;
  replacement = catalogue;
  return previous;
}

void KvGetPrinterPapers(const QString& printer, QStringList* names, CKvPaperList* sizes,
                        QList<int>* numbers) {
  for (const KvPaper& paper : KvPrinters().papers(printer)) {
    if (names)
      names->append(paper.name);
    if (sizes)
      sizes->Add(paper.width, paper.height);
    if (numbers)
      numbers->append(paper.id);
  }
}

void KvShowPrinterPapers(const QString& printer) {
  QString text = QStringLiteral("宽×长(mm)\t名称\n");
  for (const KvPaper& paper : KvPrinters().papers(printer))
    text += KvFormat(QStringLiteral("%.1lf×%.1lf\t%s\n"), paper.width / 10.0, paper.height / 10.0,
                     paper.name);
  KvMessageBox(text);
}

bool KvFindPaper(const QString& printer, int width, int height, int* paper) {
  QStringList names;
  CKvPaperList sizes;
  QList<int> numbers;
  KvGetPrinterPapers(printer, &names, &sizes, &numbers);
  int found = matchingPaper(numbers, sizes, width, height);
  if (found < 0) {
    if (!KvSetCustomForm(printer, width, height))
      return false;
    names.clear();
    sizes.RemoveAll();
    numbers.clear();
    KvGetPrinterPapers(printer, &names, &sizes, &numbers);
    found = matchingPaper(numbers, sizes, width, height);
    if (found < 0) {
      stop(QStringLiteral("该打印机不支持这种规格的纸张！"));
      return false;
    }
  }
  if (paper)
    *paper = numbers.at(found);
  return true;
}

bool KvSetCustomForm(const QString& printer, int width, int height) {
  KvPrinterCatalogue& printers = KvPrinters();
  if (!printers.printerNames().contains(printer)) {
    stop(KvFormat(QStringLiteral("打开打印机“%s”失败！"), printer));
    return false;
  }
  if (!printers.addCustomPaper(printer, QString::fromUtf8(KV_CUSTOM_PAPER_NAME), width, height)) {
    stop(QStringLiteral("设置纸张格式失败！"));
    return false;
  }
  return true;
}

KvPageMetrics KvGetPageMetrics(const QPrinter& printer) {
  QPageLayout layout = printer.pageLayout();
  layout.setUnits(QPageLayout::Millimeter);
  const QRectF full = layout.fullRect();
  const QMarginsF unprintable = layout.minimumMargins();
  auto micrometres = [](double mm) { return qRound(mm * 1000.0); };

  KvPageMetrics metrics;
  metrics.horizontal[0] = micrometres(full.width());
  metrics.vertical[0] = micrometres(full.height());
  metrics.horizontal[1] =
      qMax(0, micrometres(full.width() - unprintable.left() - unprintable.right()));
  metrics.vertical[1] =
      qMax(0, micrometres(full.height() - unprintable.top() - unprintable.bottom()));
  metrics.horizontal[2] = micrometres(unprintable.left());
  metrics.vertical[2] = micrometres(unprintable.top());
  for (int* side : {metrics.horizontal, metrics.vertical})
    side[3] = qMax(0, side[0] - side[2] - side[1]);
  metrics.dpiX = metrics.dpiY = printer.resolution();
  return metrics;
}

bool KvPrinterDC(const QString& printer, int paper, int width, int height, int orientation,
                 bool keepOrientation, KvPageSetup* setup, KvPageMetrics* metrics,
                 QPrinter* device) {
  int used = orientation;
  if (!keepOrientation)
    used = orientation == KV_ORIENT_PORTRAIT    ? KV_ORIENT_LANDSCAPE
           : orientation == KV_ORIENT_LANDSCAPE ? KV_ORIENT_PORTRAIT
                                                : orientation;
  const KvPageSetup prepared{printer, paper, width, height, used};
  KvPageMetrics measured;
  if (!KvPrinters().pageMetrics(prepared, &measured))
    return false;
  for (int i = 0; i < 4; ++i) {
    measured.horizontal[i] /= 100;
    measured.vertical[i] /= 100;
  }
  if (device)
    applySetup(device, prepared);
  if (setup)
    *setup = prepared;
  if (metrics)
    *metrics = measured;
  return true;
}

bool KvTestPrinter(const QString& printer, int width, int height, int orientation, int left,
                   int top, int right, int bottom, KvPageSetup* setup, KvPageMetrics* metrics) {
  if (width == -1 && height == -1) {
    KvShowPrinterPapers(printer);
    return false;
  }
  int paper = 0;
  if (!KvFindPaper(printer, width, height, &paper))
    return false;
  if (!KvPrinters().printerNames().contains(printer)) {
    stop(KvFormat(QStringLiteral("测试打印机“%s”失败！"), printer));
    return false;
  }
  KvPageSetup prepared;
  KvPageMetrics measured;
  if (!KvPrinterDC(printer, paper, width, height, orientation, true, &prepared, &measured))
    return false;

  // The size is given as laid out; a landscape page is compared turned.
  int wantedWidth = width;
  int wantedHeight = height;
  if (orientation == KV_ORIENT_LANDSCAPE)
    std::swap(wantedWidth, wantedHeight);
  auto fits = [](int a, int b, int pa, int pb) {
    return std::abs(a - pa) < 10 && std::abs(b - pb) < 10;
  };
  const int pageWidth = measured.horizontal[0];
  const int pageHeight = measured.vertical[0];
  if (!fits(wantedWidth, wantedHeight, pageWidth, pageHeight) &&
      !fits(wantedHeight, wantedWidth, pageWidth, pageHeight)) {
    stop(QStringLiteral("打印机不支持这种规格的纸张！"));
    return false;
  }

  if (left != -1 || top != -1 || right != -1 || bottom != -1) {
    const struct {
      int wanted;
      int printer;
      const char16_t* side;
    } margins[] = {{left, measured.horizontal[2], u"左"},
                   {top, measured.vertical[2], u"上"},
                   {right, measured.horizontal[3], u"右"},
                   {bottom, measured.vertical[3], u"下"}};
    for (const auto& margin : margins) {
      if (margin.wanted <= margin.printer) {
        stop(KvFormat(QStringLiteral("%s边距太小！"), QString::fromUtf16(margin.side)));
        return false;
      }
    }
  }
  if (setup)
    *setup = prepared;
  if (metrics)
    *metrics = measured;
  return true;
}

int KvPrinterDotsPerQuarterMm(const QPaintDevice* device) {
  if (!device || device->devType() != QInternal::Printer || device->widthMM() <= 0)
    return 1;
  return qMax(1, device->width() / (device->widthMM() * 4));
}

KvLogFont KvDefaultLogFont() {
  KvLogFont font;
  font.faceName = QStringLiteral("宋体");
  font.height = 14;
  font.weight = 400;
  font.charSet = 134;
  font.pitchAndFamily = 32;
  return font;
}

QFont KvFontFromLogFont(const KvLogFont& font) {
  QFont result(font.faceName);
  if (font.height != 0)
    result.setPixelSize(std::abs(font.height));
  if (font.weight > 0)
    result.setWeight(QFont::Weight(qBound(1, font.weight, 1000)));
  result.setItalic(font.italic);
  result.setUnderline(font.underline);
  result.setStrikeOut(font.strikeOut);
  return result;
}
