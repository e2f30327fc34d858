#include "KvGridTestDoc.h"
#include "forms/CKvFormPrintJob.h"
#include "print/KvPageMap.h"
#include <gtest/gtest.h>
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
TEST(Scratch, Render) {
  KvGridTestDoc doc;
  doc.rowsToFill = 12;
  doc.status = QStringLiteral("%1人");
  doc.Open();
  CForthView view(&doc);
  view.m_nNumberMode = 1;
  view.m_nFixedCols = 2;
  view.resize(700, 620);
  view.InitLayout();
  view.show();
  QApplication::processEvents();
  view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
  view.horizontalScrollBar()->setValue(150);
  QApplication::processEvents();
  view.grab().save("/tmp/grid14b_b.png");
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName("/tmp/grid14b.pdf");
  printer.setFullPage(true);
  CKvFormPrintJob job(view);
  QPainter p(&printer);
  KvPageMap map = KvPageMap::ForPrinter(printer);
  int n = job.PageCount(map);
  for (int i = 0; i < n; ++i) { if (i) printer.newPage(); job.PrintPage(p, map, i); }
  p.end();
}
