// A list of 1,000 pages printed to a PDF file by the list print job (the
// whole print command: printer set-up, layout, title, head, column titles,
// rows, grid and page numbers), beside raw QPainter drawing the same texts
// at fixed places on a PDF printer.

#include "core/KvConst.h"
#include "print/CKvListPrintJob.h"
#include "ui/KvCommands.h"
#include "ui/KvListPrint.h"
#include "ui/KvModal.h"

#include <benchmark/benchmark.h>
#include "bench/KvBenchMain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QPainter>
#include <QPrinter>

namespace {
constexpr int kPages = 1000;

class KvBenchRows : public KvRowSource {
 public:
  int ColumnCount() const override { return 5; }
  QString ColumnTitle(int column) const override {
    static const QStringList titles = {QStringLiteral("学号"), QStringLiteral("姓名"),
                                       QStringLiteral("班级"), QStringLiteral("金额"),
                                       QStringLiteral("备注")};
    return titles.at(column);
  }
  Qt::Alignment ColumnAlignment(int column) const override {
    return column == 3 ? Qt::AlignRight : Qt::AlignLeft;
  }
  int ColumnPixelWidth(int column) const override { return column == 4 ? 200 : 100; }
  int RowCount() const override { return rows; }
  QString CellText(int row, int column) const override {
    switch (column) {
      case 0:
        return QStringLiteral("2024%1").arg(row, 6, 10, QLatin1Char('0'));
      case 1:
        return QStringLiteral("学生%1").arg(row);
      case 2:
        return QStringLiteral("初%1(%2)班").arg(row % 3 + 1).arg(row % 8 + 1);
      case 3:
        return QString::number(row * 1.5, 'f', 2);
      default:
        return QStringLiteral("第%1学期交费").arg(row % 2 + 1);
    }
  }
  int rows = 0;
};

CKvPageFormat benchFormat() {
  CKvPageFormat format;
  format.Title = QStringLiteral("学生交费名单");
  return format;
}

QString outputPath(const char* name) {
  return QDir::temp().filePath(QStringLiteral("kvprintbench-%1-%2.pdf")
                                   .arg(QCoreApplication::applicationPid())
                                   .arg(QLatin1String(name)));
}

// Rows per page of the format on a PDF page, to make exactly kPages pages.
int rowsPerPage(KvBenchRows& rows) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setFullPage(true);
  printer.setPageSize(QPageSize(QPageSize::A4));
  CKvListPrintJob job(rows, benchFormat());
  job.PageCount(KvPageMap::ForPrinter(printer));
  return job.RowsPerPage();
}

void BM_ListPrint1000Pages_RawQPainter(benchmark::State& state) {
  KvBenchRows rows;
  const int perPage = rowsPerPage(rows);
  rows.rows = perPage * kPages;
  const QString path = outputPath("raw");
  for (auto _ : state) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(QPageSize::A4));
    const double unit = printer.resolution() / 254.0;
    QFont title(QStringLiteral("Noto Sans CJK SC"));
    title.setPixelSize(qRound(printer.resolution() * 0.24));
    QFont text(QStringLiteral("Noto Serif CJK SC"));
    text.setPixelSize(qRound(printer.resolution() * 0.12));
    title.setStyleStrategy(QFont::PreferNoShaping);
    text.setStyleStrategy(QFont::PreferNoShaping);
    const int pitch = qRound(80 * unit);
    QPainter painter(&printer);
    for (int page = 0; page < kPages; ++page) {
      if (page > 0)
        printer.newPage();
      painter.setFont(title);
      painter.drawText(qRound(900 * unit), qRound(400 * unit), benchFormat().Title);
      painter.setFont(text);
      int y = qRound(600 * unit);
      for (int c = 0; c < rows.ColumnCount(); ++c)
        painter.drawText(qRound((160 + 350 * c) * unit), y, rows.ColumnTitle(c));
      for (int r = page * perPage; r < (page + 1) * perPage; ++r) {
        y += pitch;
        for (int c = 0; c < rows.ColumnCount(); ++c)
          painter.drawText(qRound((160 + 350 * c) * unit), y, rows.CellText(r, c));
      }
      painter.drawText(qRound(1000 * unit), qRound(2700 * unit), QStringLiteral("第 %1 页").arg(page + 1));
    }
    painter.end();
  }
  QFile::remove(path);
}
BENCHMARK(BM_ListPrint1000Pages_RawQPainter)->Unit(benchmark::kMillisecond);

void BM_ListPrint1000Pages_CKvListPrintJob(benchmark::State& state) {
  KvBenchRows rows;
  rows.rows = rowsPerPage(rows) * kPages;
  const QString path = outputPath("job");
  const KvDialogExecFn previous = KvSetDialogExec([&path](QDialog* dialog) {
    if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
      files->selectFile(path);
      return int(QDialog::Accepted);
    }
    return int(QDialog::Rejected);
  });
  for (auto _ : state) {
    CKvListPrintJob job(rows, benchFormat());
    if (!job.Run(KV_CMD_FILE_PRINT_DIRECT))
      state.SkipWithError("the print failed");
  }
  KvSetDialogExec(previous);
  QFile::remove(path);
}
BENCHMARK(BM_ListPrint1000Pages_CKvListPrintJob)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // The bench prints on its own (unmapped) profile.
  KvBenchEnvironment environment;
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QString::fromLatin1(kv::kOrganisation));
  QApplication::setApplicationName(QString::fromLatin1(kv::kProductKey));
  return KvRunBenchmarks(argc, argv);
}
