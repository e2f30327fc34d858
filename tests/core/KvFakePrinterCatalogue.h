#pragma once
// A printer catalogue held in memory, for tests: printers with their papers
// and unprintable margins, put in use for as long as the object lives.

#include "core/KvPrinter.h"

#include <QList>
#include <QString>

class KvFakePrinterCatalogue : public KvPrinterCatalogue {
public:
  struct Printer {
    QString name;
    QList<KvPaper> papers;
    // Unprintable margins in 0.001 mm: left, top, right, bottom.
    int margins[4] = {0, 0, 0, 0};
    bool acceptsCustomPapers = true;
    // False: a custom paper is accepted but not offered afterwards.
    bool offersCustomPapers = true;
  };

  KvFakePrinterCatalogue() { m_previous = KvSetPrinterCatalogue(this); }
  ~KvFakePrinterCatalogue() override { KvSetPrinterCatalogue(m_previous); }

  QList<Printer> printers;
  QString defaultName;
  // The custom papers the program added, in order.
  QList<std::pair<QString, KvPaper>> added;

  QStringList printerNames() const override {
    QStringList names;
    for (const Printer& printer : printers)
      names.append(printer.name);
    return names;
  }
  QString defaultPrinter() const override { return defaultName; }

  QList<KvPaper> papers(const QString& name) const override {
    const Printer* printer = find(name);
    return printer ? printer->papers : QList<KvPaper>();
  }

  bool pageMetrics(const KvPageSetup& setup, KvPageMetrics* metrics) const override {
    const Printer* printer = find(setup.printer);
    if (!printer)
      return false;
    int width = setup.width;
    int height = setup.height;
    for (const KvPaper& paper : printer->papers) {
      if (paper.id == setup.paper && paper.id != KV_PAPER_USER) {
        width = paper.width;
        height = paper.height;
        break;
      }
    }
    if (setup.orientation == KV_ORIENT_LANDSCAPE)
      std::swap(width, height);
    *metrics = KvPageMetrics();
    metrics->horizontal[0] = width * 100;
    metrics->vertical[0] = height * 100;
    metrics->horizontal[2] = printer->margins[0];
    metrics->vertical[2] = printer->margins[1];
    metrics->horizontal[3] = printer->margins[2];
    metrics->vertical[3] = printer->margins[3];
    metrics->horizontal[1] = metrics->horizontal[0] - printer->margins[0] - printer->margins[2];
    metrics->vertical[1] = metrics->vertical[0] - printer->margins[1] - printer->margins[3];
    metrics->dpiX = metrics->dpiY = 600;
    return true;
  }

  bool addCustomPaper(const QString& name, const QString& paperName, int width, int height) override {
    Printer* printer = const_cast<Printer*>(find(name));
    if (!printer || !printer->acceptsCustomPapers)
      return false;
    const KvPaper paper{paperName, KV_PAPER_USER, width, height};
    added.append({name, paper});
    if (printer->offersCustomPapers) {
      printer->papers.removeIf([&paperName](const KvPaper& p) { return p.name == paperName; });
      printer->papers.append(paper);
    }
    return true;
  }

private:
  const Printer* find(const QString& name) const {
    for (const Printer& printer : printers)
      if (printer.name == name)
        return &printer;
    return nullptr;
  }

  KvPrinterCatalogue* m_previous = nullptr;
};
