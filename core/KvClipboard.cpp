#include "core/KvClipboard.h"

#include "core/KvCountTextGrid.h"
#include "core/KvFields.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

bool isPlainText(unsigned format) { return format == 0 || format == KV_CF_TEXT; }

// The application's clipboard; none without a GUI application.
QClipboard* clipboard() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return nullptr;
  return QGuiApplication::clipboard();
}

}  // namespace

QString KvClipboardMimeType(unsigned format) {
  return QStringLiteral("application/x-kvqy-format-") + QString::number(format);
}

bool KvSetClipboardText(const QString& text, unsigned format) {
  QClipboard* board = clipboard();
  if (!board) return false;
  auto* data = new QMimeData;
  if (isPlainText(format))
    data->setText(text);
  else
    data->setData(KvClipboardMimeType(format), text.toUtf8());
  board->setMimeData(data);
  return true;
}

bool KvGetClipboardText(QString* out, unsigned format) {
  if (out) out->clear();
  QClipboard* board = clipboard();
  if (!board) return false;
  const QMimeData* data = board->mimeData();
  if (!data) return false;
  QString text;
  if (isPlainText(format)) {
    if (!data->hasText()) return false;
    text = data->text();
  } else {
    const QString type = KvClipboardMimeType(format);
    if (!data->hasFormat(type)) return false;
    text = QString::fromUtf8(data->data(type));
  }
  if (out) *out = text;
  return true;
}

void KvTextTableSize(const QString& text, int* rows, int* columns) {
  QString table = text;
  int nRows = 0;
  int nCols = 0;
  KvCountTextGrid(table, nRows, nCols);
  if (rows) *rows = nRows;
  if (columns) *columns = nCols;
}

QString KvTextTableCell(const QString& text, int row, int column) {
  QString table = text;
  int nRows = 0;
  int nCols = 0;
  KvCountTextGrid(table, nRows, nCols);
  return KvGetField(KvGetField(table, row, QChar(u'\n')), column, QChar(u'\t'));
}
