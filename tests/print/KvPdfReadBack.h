#pragma once
// Reads a printed PDF file back through poppler's command-line tools: the
// page count and page size (pdfinfo) and every word with its box
// (pdftotext -bbox), lengths in millimetres from the page's top-left corner.

#include <QList>
#include <QString>

struct KvPdfWord {
  int page = 0;  // from 0
  QString text;
  double left = 0.0;
  double top = 0.0;
  double right = 0.0;
  double bottom = 0.0;
};

struct KvPdfReadBack {
  bool ok = false;
  int pages = 0;
  double widthMm = 0.0;   // of the first page
  double heightMm = 0.0;
  QList<KvPdfWord> words;

  // The words on a page (all pages for -1) whose text equals `text`.
  QList<KvPdfWord> Find(const QString& text, int page = -1) const;
  // The texts of a page, in reading order.
  QStringList PageTexts(int page) const;
};

KvPdfReadBack KvReadPdf(const QString& path);

// A PDF file in the test's home folder named after the current test.
QString KvTestPdfPath(const QString& suffix = QString());
