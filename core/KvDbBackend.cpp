#include "core/KvDbBackend.h"

#include "core/KvText.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QSysInfo>

QString KvDbSessionTag(qint64 pid, const QString& host) {
  // The server keeps at most this many bytes of an application name.
  constexpr qsizetype kMaxBytes = 63;
  constexpr qsizetype kHashDigits = 8;
  const QByteArray head = "kv|" + QByteArray::number(pid) + '|';
  const QByteArray name = host.toUtf8();
  if (head.size() + name.size() <= kMaxBytes)
    return QString::fromUtf8(head + name);
  // Cut at a whole character, and marked with a digest of the whole name so
  // that two long names with the same beginning stay apart.
  qsizetype end = qMax<qsizetype>(0, kMaxBytes - head.size() - 1 - kHashDigits);
  while (end > 0 && (uchar(name[end]) & 0xC0) == 0x80)
    --end;
  const QByteArray digest =
      QCryptographicHash::hash(name, QCryptographicHash::Sha256).toHex().left(kHashDigits);
  return QString::fromUtf8(head + name.left(end) + '~' + digest);
}

QString KvDbApplicationName() {
  return KvDbSessionTag(QCoreApplication::applicationPid(), QSysInfo::machineHostName());
}

QString KvServerDatabaseName(const QString& name) {
  const QString folded = KvLower(name);
  return folded == u"master" ? QStringLiteral("postgres") : folded;
}

QString KvDbTrimRight(const QString& text) {
  qsizetype end = text.size();
  while (end > 0) {
    const char16_t ch = text[end - 1].unicode();
    if (ch != u' ' && (ch < u'\t' || ch > u'\r'))
      break;
    --end;
  }
  return end == text.size() ? text : text.left(end);
}

std::unique_ptr<KvDbStatement> KvDbBackend::prepareBulkInsert(const QString& table, const QStringList& columns,
                                                              QString* error) {
  const QStringList marks(columns.size(), QStringLiteral("?"));
  return prepare(QStringLiteral("Insert Into ") + table + u'(' + columns.join(u',') + QStringLiteral(") Values(") +
                     marks.join(u',') + u')',
                 error);
}
