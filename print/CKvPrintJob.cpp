#include "print/CKvPrintJob.h"

#include "core/KvDataFileInUse.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvPresenceLock.h"
#include "ui/KvAppServices.h"
#include "ui/KvModal.h"
#include "ui/KvWaitCursor.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

// The result a preview ends with when its print button was pressed.
constexpr int kPrintFromPreview = 2;

// Operation-log code of a print.
constexpr int kLogPrint = 17;

bool isPdf(const QPrinter& printer) { return printer.outputFormat() == QPrinter::PdfFormat; }

// A PDF file named before printing (in the print dialog, whose own question
// to replace it the operator may have answered 是): a data file in use is
// refused saying that it was not replaced.
bool refuseNamedDataFile(const QString& file) {
  if (!KvPresenceLock::isHeld(file))
    return false;
  KvMessageBox(KvFormat(QStringLiteral("“%s”是正在使用的数据文件，不能覆盖：它没有被替换，请另选一个文件！"), file),
               KV_MB_OK | KV_MB_ICONSTOP);
  return true;
}

// The preview's own print and page-setup buttons would open Qt's dialogs
// past the modal seam and past the program's page setup: print ends the
// preview so that the job's print dialog follows, and page setup is hidden.
void routePreviewButtons(QPrintPreviewDialog& preview) {
  const QString print = QCoreApplication::translate("QPrintPreviewDialog", "Print");
  const QString pageSetup = QCoreApplication::translate("QPrintPreviewDialog", "Page setup");
  for (QAction* action : preview.findChildren<QAction*>()) {
    if (action->text() == print) {
      QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
      QObject::connect(action, &QAction::triggered, &preview,
                       [&preview] { preview.done(kPrintFromPreview); });
    } else if (action->text() == pageSetup) {
      action->setVisible(false);
    }
  }
}

QString defaultPdfName(const QString& title) {
  QString name = title.trimmed();
  name.replace(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|]")), QStringLiteral("_"));
  if (name.isEmpty())
    name = QStringLiteral("打印");
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (folder.isEmpty() || !QDir(folder).exists())
    folder = QDir::homePath();
  return QDir(folder).filePath(name + QStringLiteral(".pdf"));
}

}  // namespace

CKvPrintJob::~CKvPrintJob() = default;

bool CKvPrintJob::Run(int command, QWidget* parent) {
  QPrinter printer(QPrinter::HighResolution);
  if (!KvOpenPrinter(printer, Paper()))
    return false;
  printer.setDocName(m_title);
  switch (command) {
    case KV_CMD_FILE_PRINT_DIRECT:
      return printPages(printer, parent);
    case KV_CMD_FILE_PRINT_PREVIEW:
      return preview(printer, parent);
    default:
      return printWithDialog(printer, parent);
  }
}

bool CKvPrintJob::printWithDialog(QPrinter& printer, QWidget* parent) {
  int pages = 1;
  {
    KvWaitCursor wait;
    pages = qMax(1, PageCount(KvPageMap::ForPrinter(printer)));
  }
  QPrintDialog dialog(&printer, parent);
  dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintToFile |
                    QAbstractPrintDialog::PrintCollateCopies);
  dialog.setMinMax(1, pages);
  if (KvExecDialog(&dialog) != QDialog::Accepted)
    return false;
  return printPages(printer, parent);
}

bool CKvPrintJob::printPages(QPrinter& printer, QWidget* parent) {
  // A data file in use named by the print dialog is refused, and the file
  // dialog then asks for another.
  if (isPdf(printer) && (printer.outputFileName().isEmpty() || refuseNamedDataFile(printer.outputFileName())) &&
      !KvAskPdfFile(printer, m_title, parent))
    return false;
  if (!paint(printer, false))
    return false;
  logPrint();
  return true;
}

bool CKvPrintJob::preview(QPrinter& printer, QWidget* parent) {
  QPrintPreviewDialog dialog(&printer, parent);
  dialog.setWindowTitle(m_title);
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                   [this](QPrinter* target) { paint(*target, true); });
  routePreviewButtons(dialog);
  if (KvExecDialog(&dialog) != kPrintFromPreview)
    return false;
  return printWithDialog(printer, parent);
}

bool CKvPrintJob::paint(QPrinter& printer, bool forPreview) {
  KvWaitCursor wait;
  const KvPageMap map = KvPageMap::ForPrinter(printer);
  const int count = qMax(1, PageCount(map));

  QList<int> pages;
  const bool ranged = !forPreview && printer.printRange() == QPrinter::PageRange;
  for (int page = 0; page < count; ++page) {
    if (!ranged || printer.pageRanges().contains(page + 1))
      pages.append(page);
  }
  if (pages.isEmpty())
    return false;

  // A printer that cannot make copies itself (a PDF file) gets them as
  // repeated pages.
  const int copies =
      forPreview || printer.supportsMultipleCopies() ? 1 : qMax(1, printer.copyCount());
  QList<int> sequence;
  if (printer.collateCopies()) {
    for (int copy = 0; copy < copies; ++copy)
      sequence += pages;
  } else {
    for (int page : pages)
      sequence.insert(sequence.size(), copies, page);
  }

  QPainter painter;
  if (!painter.begin(&printer)) {
    const QString name = isPdf(printer) ? printer.outputFileName() : printer.printerName();
    KvMessageBox(KvFormat(QStringLiteral("打开打印机“%s”失败！"), name),
                 KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  for (qsizetype i = 0; i < sequence.size(); ++i) {
    if (i > 0)
      printer.newPage();
    painter.save();
    PrintPage(painter, map, sequence.at(i));
    painter.restore();
  }
  return painter.end();
}

void CKvPrintJob::logPrint() const {
  if (!m_ownerLogs)
    KvAppServiceLog(kLogPrint, KvFormat(QStringLiteral("打印“%s”"), m_title));
}

bool KvAskPdfFile(QPrinter& printer, const QString& title, QWidget* parent) {
  QFileDialog dialog(parent, QStringLiteral("打印到PDF文件"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // Replacing a file is asked through the program's message function.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setNameFilter(QStringLiteral("PDF文件 (*.pdf)"));
  dialog.setDefaultSuffix(QStringLiteral("pdf"));
  const QString proposed =
      printer.outputFileName().isEmpty() ? defaultPdfName(title) : printer.outputFileName();
  dialog.setDirectory(QFileInfo(proposed).absolutePath());
  dialog.selectFile(QFileInfo(proposed).fileName());
  for (;;) {
    if (KvExecDialog(&dialog) != QDialog::Accepted)
      return false;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty())
      return false;
    const QString file = files.first();
    if (!KvMayReplaceFile(file))
      continue;
    printer.setOutputFileName(file);
    return true;
  }
}
