#include "ui/KvListExport.h"

#include "core/KvDataFileInUse.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "ui/CKvSaveAsDlg.h"
#include "ui/CKvWaitWnd.h"
#include "ui/KvAppServices.h"
#include "ui/KvExportWriteError.h"
#include "ui/KvListPrint.h"
#include "ui/KvReplacingFile.h"

#include <QFile>

namespace {

// Operation number of an export in the operation log.
constexpr int kExportOperation = 29;

// A cell on one line of the text file.
QString textCell(const QString& cell) {
  QString text = cell;
  for (QChar& ch : text) {
    if (ch == u'\t' || ch == u'\n' || ch == u'\r')
      ch = u' ';
  }
  return text;
}

}  // namespace

bool KvListToText(const KvRowSource& rows, const QString& path) {
  KvReplacingFile target(path);
  const QString temporary = target.TemporaryPath();
  QFile file(temporary);
  bool written = !temporary.isEmpty() && file.open(QIODevice::WriteOnly | QIODevice::Truncate);
  const int columns = rows.ColumnCount();
  for (int row = 0; written && row < rows.RowCount(); ++row) {
    QString line;
    if (row > 0)
      line += u'\n';
    for (int column = 0; column < columns; ++column) {
      if (column > 0)
        line += u'\t';
      line += textCell(rows.CellText(row, column));
    }
    const QByteArray bytes = line.toUtf8();
    written = file.write(bytes) == bytes.size();
  }
  if (file.isOpen()) {
    written = file.flush() && written;
    file.close();
    written = written && file.error() == QFileDevice::NoError;
  }
  if (written && target.Commit())
    return true;
  KvShowExportWriteError(path);
  return false;
}

bool KvListExport(const KvRowSource& rows, const QString& title, int formId, QWidget* parent) {
  if (rows.RowCount() <= 0 || rows.ColumnCount() <= 0) {
    KvMessageBox(QStringLiteral("空文档！"), KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  QString name = title;
  if (formId > 0) {
    const QString stored = KvStoredListTitle(KvAppServiceDb(), formId);
    if (!stored.isEmpty())
      name = stored;
  }
  // A data file in use is never replaced by the export, and another file
  // only after 是 to the program's question: refused, the file dialog asks
  // again.
  QString path;
  int kind = 0;
  do {
    if (!CKvSaveAsDlg::SaveList(&path, &kind, name, {0, 1, 2}, parent))
      return false;
  } while (!KvMayReplaceFile(path));

  bool written = false;
  {
    CKvWaitWnd wait;
    wait.Show(parent);
    switch (kind) {
      case 1:
        written = KvListToExcel(rows, path, name);
        break;
      case 2:
        written = KvListToMdb(rows, path);
        break;
      default:
        written = KvListToText(rows, path);
        break;
    }
  }
  if (written)
    KvAppServiceLog(kExportOperation, KvFormat(QStringLiteral("“%s”导出：“%s”"), name, path));
  return written;
}
