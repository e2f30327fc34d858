#include "core/KvClipboard.h"

#include "core/KvFields.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

bool isPlainText(unsigned format) { return format == 0 || format == KV_CF_TEXT; }

// Every line break ("\r\n", "\n\r", "\r" or "\n") turned into one "\n".
QString normalizedLines(const QString& text) {
  QString result;
  result.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar ch = text.at(i);
    if (ch == u'\r' || ch == u'\n') {
      const QChar pair = ch == u'\r' ? QChar(u'\n') : QChar(u'\r');
      if (i + 1 < text.size() && text.at(i + 1) == pair) ++i;
      result += QChar(u'\n');
    } else {
      result += ch;
    }
  }
  return result;
}

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
  const QString table = normalizedLines(text);
  if (rows) *rows = KvCountFields(table, QChar(u'\n'));
  if (columns) *columns = KvCountFields(KvGetField(table, 0, QChar(u'\n')), QChar(u'\t'));
}

QString KvTextTableCell(const QString& text, int row, int column) {
  const QString line = KvGetField(normalizedLines(text), row, QChar(u'\n'));
  return KvGetField(line, column, QChar(u'\t'));
}
