#include "core/KvDbBackend.h"

#include "core/KvText.h"

#include <QCoreApplication>
#include <QSysInfo>

QString KvDbApplicationName() {
  return QStringLiteral("kv|") + QSysInfo::machineHostName() + u'|' +
         QString::number(QCoreApplication::applicationPid());
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
