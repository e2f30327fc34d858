#pragma once
// What the print tests share: output goes to PDF files (a printer catalogue
// without printers, so every profile prints to a file), the job's dialogs
// are answered without a window, and the operation-log entries are kept.

#include "core/KvFakePrinterCatalogue.h"
#include "ui/KvAppServices.h"
#include "ui/KvUiTestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <functional>

// Answers the dialogs of print jobs while it lives: a file dialog with the
// PDF path (or Cancel), a print dialog with OK after `onPrintDialog` has
// set its printer up, a preview by counting its pages and closing it.
class KvPrintAnswers {
 public:
  explicit KvPrintAnswers(QString path)
      : pdfPath(std::move(path)), m_exec([this](QDialog* dialog) { return answer(dialog); }) {}

  QString pdfPath;
  bool cancelFile = false;
  // False: a file of that name is removed first, as if a new name were
  // chosen; true: it stays, and replacing it is asked.
  bool keepExisting = false;
  bool cancelPrint = false;
  // Called with the print dialog's printer before OK.
  std::function<void(QPrinter*)> onPrintDialog;
  // What a preview answers: 0 closes it, 2 presses its print button.
  int previewAnswer = 0;

  int fileDialogs = 0;
  int printDialogs = 0;
  int previews = 0;
  int previewPages = -1;
  // Any other dialog, by object name.
  QStringList others;

 private:
  int answer(QDialog* dialog) {
    if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
      ++fileDialogs;
      if (cancelFile)
        return QDialog::Rejected;
      if (!keepExisting)
        QFile::remove(pdfPath);
      files->selectFile(pdfPath);
      return QDialog::Accepted;
    }
    if (auto* print = qobject_cast<QPrintDialog*>(dialog)) {
      ++printDialogs;
      if (cancelPrint)
        return QDialog::Rejected;
      if (onPrintDialog)
        onPrintDialog(print->printer());
      return QDialog::Accepted;
    }
    if (auto* preview = qobject_cast<QPrintPreviewDialog*>(dialog)) {
      ++previews;
      if (auto* widget = preview->findChild<QPrintPreviewWidget*>()) {
        widget->updatePreview();
        previewPages = widget->pageCount();
      }
      if (previewAnswer == 2) {
        for (QAction* action : preview->findChildren<QAction*>()) {
          if (action->text() == QCoreApplication::translate("QPrintPreviewDialog", "Print")) {
            action->trigger();
            return preview->result();
          }
        }
      }
      return QDialog::Rejected;
    }
    others.append(dialog->objectName());
    return QDialog::Rejected;
  }

  KvScopedDialogExec m_exec;
};

// Rows of a printed page drawn into an image that hold a dark run longer
// than a third of the image's width: the page's long horizontal lines.
inline int KvLongLineRows(const QImage& image) {
  int rows = 0;
  for (int y = 0; y < image.height(); ++y) {
    int run = 0, longest = 0;
    for (int x = 0; x < image.width(); ++x) {
      run = qGray(image.pixel(x, y)) < 100 ? run + 1 : 0;
      longest = qMax(longest, run);
    }
    if (longest > image.width() / 3)
      ++rows;
  }
  return rows;
}

// Every print of the test goes to a PDF file and its log entries are kept.
class KvPrintToPdfTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_previousLog = KvSetLogService([this](int code, const QString& detail) {
      logged.append({code, detail});
    });
  }
  void TearDown() override { KvSetLogService(m_previousLog); }

  KvFakePrinterCatalogue printers;  // no printers: every profile prints to PDF
  QList<std::pair<int, QString>> logged;

 private:
  KvLogFn m_previousLog;
};
