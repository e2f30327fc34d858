#pragma once
// The one print loop of the program. A job says what paper it wants, how
// many pages it has on a device and how one page is drawn; Run does the
// rest on the current printer profile:
//   57607   the print dialog (page range, copies), then printing;
//   0xE108  printing at once, without the print dialog;
//   0xE109  the print preview; its print button leads to the print dialog.
// Output that goes to a PDF file asks for the file first (unless the print
// dialog named it); a data file in use is refused, whichever dialog named
// it, and the file dialog asks again. Every dialog runs through the modal
// seam (ui/KvModal.h).
//
// A job that printed writes the operation-log entry 17 "打印“<title>”",
// unless its owner logs the print itself. A preview writes nothing.

#include "print/KvOpenPrinter.h"
#include "print/KvPageMap.h"
#include "ui/KvCommands.h"

#include <QString>

class QPainter;
class QPrinter;
class QWidget;

class CKvPrintJob {
public:
  virtual ~CKvPrintJob();

  // Runs the command; true when pages were printed (a preview that ends
  // without printing gives false). A failure has been reported.
  bool Run(int command, QWidget* parent = nullptr);

  // The document's title: the job's name in the print queue, the default
  // PDF file name and the text of the log entry.
  QString Title() const { return m_title; }
  void SetTitle(const QString& title) { m_title = title; }

  // True: the owner writes its own log entry for the print.
  void SetOwnerLogs(bool ownerLogs) { m_ownerLogs = ownerLogs; }

  // The number of pages the job has on the page map's device (at least 1).
  virtual int PageCount(const KvPageMap& map) = 0;
  // Draws page `page` (from 0) in the map's device units.
  virtual void PrintPage(QPainter& painter, const KvPageMap& map, int page) = 0;

protected:
  // The paper the job prints on.
  virtual KvPaperRequest Paper() const = 0;

private:
  bool printWithDialog(QPrinter& printer, QWidget* parent);
  // Asks for the PDF file when the output goes to one not yet named, then
  // prints and logs.
  bool printPages(QPrinter& printer, QWidget* parent);
  bool preview(QPrinter& printer, QWidget* parent);
  // Draws the pages onto the printer: all of them once for a preview,
  // otherwise the chosen range in the chosen number of copies.
  bool paint(QPrinter& printer, bool forPreview);
  void logPrint() const;

  QString m_title;
  bool m_ownerLogs = false;
};

// Asks for the PDF file a printer writes (the file dialog through the modal
// seam), again after a data file in use (KvRefuseDataFileInUse) or an
// existing file the operator would not replace; false when none was chosen.
bool KvAskPdfFile(QPrinter& printer, const QString& title, QWidget* parent);
