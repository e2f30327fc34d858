#include "ui/KvRowClipboard.h"

#include "core/CKvDb.h"
#include "core/KvClipboard.h"
#include "core/KvSameDataFile.h"

#include <QClipboard>
#include <QGuiApplication>

namespace {
const QString kCopyWord = QStringLiteral("复制");
const QString kCutWord = QStringLiteral("剪切");
// Both words are two characters long.
constexpr qsizetype kWordLength = 2;

// The kind and identity of the connection's data file for the header.
void describeSource(const CKvDb* db, int* kind, QString* identity) {
  *kind = 0;
  identity->clear();
  if (!db || !db->IsOpen())
    return;
  *kind = db->GetKind();
  if (*kind == 0) {
    *identity = db->GetDatabaseName(false);
    return;
  }
  CKvDbInfo info = db->GetConnectInfo();
  info.m_strPassword.clear();
  *identity = info.GetConnectString(*kind);
}
}  // namespace

QString KvRowClipboardText(const CKvDb* db, const QStringList& texts, bool cut) {
  int kind = 0;
  QString identity;
  describeSource(db, &kind, &identity);
  QString text = QString::number(kind) + (cut ? kCutWord : kCopyWord) + identity + u'\n';
  for (const QString& line : texts) {
    text += line;
    text += u'\n';
  }
  return text;
}

void KvCopyRowsToClipboard(const CKvDb* db, unsigned format, const QStringList& texts, bool cut) {
  KvSetClipboardText(KvRowClipboardText(db, texts, cut), format);
}

bool KvClipboardHasRows(unsigned format) { return KvGetClipboardText(nullptr, format); }

int KvParseRowClipboardText(const QString& text, const CKvDb* db, KvClipboardRows* rows) {
  *rows = KvClipboardRows();
  const qsizetype headerEnd = text.indexOf(u'\n');
  const QString header = headerEnd < 0 ? text : text.left(headerEnd);
  if (text.isEmpty() || header.size() < 2)
    return 0;

  int kind = 0;
  QString word;
  QString identity;
  const QChar first = header.at(0);
  if (first == u'0' || first == u'1' || first == u'2') {
    kind = first.digitValue();
    word = header.mid(1, kWordLength);
    identity = header.mid(1 + kWordLength);
    if (kind != 0) {
      rows->from.ParseConnectString(identity, kind);
      identity = rows->from.m_strDatabase;
    }
  } else {
    // An older writer's header: the word, then the file's path.
    word = header.left(kWordLength);
    identity = header.mid(kWordLength);
  }
  rows->cut = word == kCutWord;
  rows->kind = kind;
  rows->name = identity;
  if (db && db->IsOpen())
    rows->sameFile = KvSameDataFile(*db, kind, identity, kind == 0 ? CKvDbInfo(0) : rows->from);

  if (headerEnd >= 0) {
    qsizetype start = headerEnd + 1;
    for (qsizetype end = text.indexOf(u'\n', start); end >= 0; end = text.indexOf(u'\n', start)) {
      rows->texts.append(text.mid(start, end - start));
      start = end + 1;
    }
  }
  return int(rows->texts.size());
}

int KvReadRowsFromClipboard(const CKvDb* db, unsigned format, KvClipboardRows* rows) {
  *rows = KvClipboardRows();
  QString text;
  if (!KvGetClipboardText(&text, format))
    return 0;
  const int count = KvParseRowClipboardText(text, db, rows);
  if (rows->cut) {
    if (QClipboard* board = QGuiApplication::clipboard())
      board->clear();
  }
  return count;
}
