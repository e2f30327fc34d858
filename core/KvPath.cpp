#include "core/KvPath.h"

#include "core/KvText.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <sys/stat.h>

QString KvSlashPath(const QString& path) {
  QString slashed = path;
  slashed.replace(QLatin1Char('\\'), QLatin1Char('/'));
  return slashed;
}

bool KvPathStartsWith(const QString& folder, const QString& path) {
  auto prepare = [](const QString& text) {
    QString prepared = KvUpper(KvSlashPath(text));
    while (prepared.endsWith(QLatin1Char('/')))
      prepared.chop(1);
    return prepared;
  };
  const QString base = prepare(folder);
  const QString full = prepare(path);
  if (!full.startsWith(base))
    return false;
  // The root folder "/" is empty once its separator is gone, and every
  // absolute path lies in it.
  return full.size() == base.size() || full.at(base.size()) == QLatin1Char('/');
}

QString KvFileExt(const QString& path) {
  const QString slashed = KvSlashPath(path);
  const qsizetype dot = slashed.lastIndexOf(QLatin1Char('.'));
  if (dot < 0 || dot < slashed.lastIndexOf(QLatin1Char('/')))
    return QString();
  return KvUpper(slashed.mid(dot + 1));
}

QString KvFileTitle(const QString& path) {
  const QString slashed = KvSlashPath(path);
  const QString name = slashed.mid(slashed.lastIndexOf(QLatin1Char('/')) + 1);
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  return dot < 0 ? name : name.left(dot);
}

QString KvFileDir(const QString& path) {
  QString slashed = KvSlashPath(path);
  if (slashed.endsWith(QLatin1Char('/')))
    slashed.chop(1);
  const qsizetype slash = slashed.lastIndexOf(QLatin1Char('/'));
  return slash < 0 ? QString() : slashed.left(slash);
}

QString KvFileNameText(const QString& text) {
  QString name = text;
  for (QChar& ch : name) {
    if (ch.unicode() < 0x20 || QStringLiteral("\\/:*?\"<>|").contains(ch))
      ch = u'_';
  }
  return name;
}

QString KvModuleFileName() { return QCoreApplication::applicationFilePath(); }

QString KvHelpFilePath() {
  return QCoreApplication::applicationDirPath() + QStringLiteral("/share/kvqy/help/index.html");
}

QString KvReadTextFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return QString();
  const QByteArray bytes = file.readAll();
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8.decode(bytes);
  if (utf8.hasError()) {
    QStringDecoder gbk("GB18030");
    text = gbk.decode(bytes);
  }
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}

QString KvFindQuotedValue(const QString& key, const QString& text, int* start, int* end) {
  if (start)
    *start = -1;
  if (end)
    *end = -1;
  for (qsizetype hit = text.indexOf(key); hit >= 0; hit = text.indexOf(key, hit + 1)) {
    if (QStringView(text).left(hit).count(QLatin1Char('"')) % 2 != 0)
      continue;
    const qsizetype open = text.indexOf(QLatin1Char('"'), hit + key.size());
    const qsizetype close = open < 0 ? -1 : text.indexOf(QLatin1Char('"'), open + 1);
    if (close < 0)
      return QString();
    if (start)
      *start = int(hit);
    if (end)
      *end = int(close + 1);
    return text.mid(open + 1, close - open - 1);
  }
  return QString();
}

QString KvFileFilter(int kind) {
  switch (kind) {
    case 0:
      return QStringLiteral(
          "图像文件|*.bmp;*.dib;*.jpg;*.jpeg;*.jpe;*.jfif;*.gif;*.tif;*.tiff;*.png|");
    case 1:
      return QStringLiteral("网页|*.htm;*.html;*.shtm;*.shtml;*.stm;*.asp;*.jsp|");
    default:
      return QString();
  }
}

void KvTakeReplacedPermissions(const QString& finished, const QString& target) {
  const QFileInfo replaced(target);
  if (replaced.exists()) {
    QFile::setPermissions(finished, replaced.permissions());
    return;
  }
  const mode_t mask = ::umask(0);
  ::umask(mask);
  const mode_t mode = 0666 & ~mask;
  QFile::Permissions permissions;
  if (mode & S_IRUSR) permissions |= QFile::ReadOwner | QFile::ReadUser;
  if (mode & S_IWUSR) permissions |= QFile::WriteOwner | QFile::WriteUser;
  if (mode & S_IRGRP) permissions |= QFile::ReadGroup;
  if (mode & S_IWGRP) permissions |= QFile::WriteGroup;
  if (mode & S_IROTH) permissions |= QFile::ReadOther;
  if (mode & S_IWOTH) permissions |= QFile::WriteOther;
  QFile::setPermissions(finished, permissions);
}
