#include "print/KvOpenPrinter.h"

#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "print/KvPageMap.h"
#include "print/KvPrinterProfiles.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>

namespace {

// The size as Qt describes paper (upright) for a sheet lying as requested. A
// size within Qt's tolerance of a standard paper becomes that paper; any other
// is the program's custom paper.
QPageSize pageSizeFor(const KvPaperRequest& request) {
  double width = request.width / 10.0;
  double height = request.height / 10.0;
  if (request.orientation == KV_ORIENT_LANDSCAPE)
    std::swap(width, height);
  return QPageSize(QSizeF(width, height), QPageSize::Millimeter,
                   QString::fromUtf8(KV_CUSTOM_PAPER_NAME), QPageSize::FuzzyMatch);
}

void usePdf(QPrinter& printer) {
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setPageSize(QPageSize(QPageSize::A4));
}

}  // namespace

bool KvOpenPrinter(QPrinter& printer, const KvPaperRequest& request, int* resolutionX,
                   int* resolutionY) {
  const QString queue = KvCurrentQueue();
  if (KvIsPdfQueue(queue)) {
    usePdf(printer);
  } else {
    printer.setPrinterName(queue);
    // A queue the print system no longer knows leaves the printer on a PDF
    // file (or on another queue): the output then goes to a file.
    if (printer.outputFormat() != QPrinter::NativeFormat || printer.printerName() != queue)
      usePdf(printer);
  }
  printer.setFullPage(true);

  const QPageLayout::Orientation orientation =
      request.orientation == KV_ORIENT_LANDSCAPE ? QPageLayout::Landscape : QPageLayout::Portrait;
  QPageLayout layout = printer.pageLayout();
  if (request.width > 0 && request.height > 0)
    layout.setPageSize(pageSizeFor(request));
  layout.setOrientation(orientation);
  layout.setUnits(QPageLayout::Millimeter);
  layout.setMinimumMargins(QMarginsF());
  // The jobs place everything themselves; the margins only tell the print
  // dialog, and margins that do not fit the paper are left out.
  layout.setMargins(QMarginsF(request.left / 10.0, request.top / 10.0, request.right / 10.0,
                              request.bottom / 10.0));
  // The printer may keep margins of its own; only a paper it did not take
  // is a failure.
  if (layout.isValid())
    printer.setPageLayout(layout);
  if (!layout.isValid() || !printer.pageLayout().pageSize().isEquivalentTo(layout.pageSize()) ||
      printer.pageLayout().orientation() != orientation) {
    const QString name =
        printer.outputFormat() == QPrinter::PdfFormat ? QString::fromLatin1(KV_PDF_QUEUE) : queue;
    KvMessageBox(KvFormat(QStringLiteral("打开打印机“%s”失败！"), name),
                 KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  if (resolutionX)
    *resolutionX = printer.resolution();
  if (resolutionY)
    *resolutionY = printer.resolution();
  return true;
}

QSize KvDefaultPaperSize() {
  QPrinter printer(QPrinter::HighResolution);
  if (!KvOpenPrinter(printer, KvPaperRequest()))
    return QSize(2100, 2970);
  return KvPageMap::ForPrinter(printer).Paper();
}
