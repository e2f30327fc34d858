#include "core/CKvFormFile.h"

#include "core/KvNumber.h"
#include "core/KvText.h"
#include "core/KvWidth.h"

#include <QFileInfo>

namespace {

// "\" turned into "/" and trailing separators removed (the root stays "/").
QString normalized(const QString& path) {
  QString result = path;
  result.replace(QChar(u'\\'), QChar(u'/'));
  while (result.size() > 1 && result.endsWith(QChar(u'/'))) result.chop(1);
  return result;
}

// Index of the "." of the last element's extension; -1 when there is none.
qsizetype extensionDot(const QString& path) {
  const qsizetype dot = path.lastIndexOf(QChar(u'.'));
  return dot > path.lastIndexOf(QChar(u'/')) ? dot : -1;
}

// An element at which the folder walk stops although it has no extension:
// wider than 8, its part before the last 8 width positions all letters.
bool isStopElement(const QString& element) {
  const int width = KvTextWidth(element);
  return width > 8 && KvIsAllAlpha(KvLeftByWidth(element, width - 8));
}

// True when the file exists with the extension in either letter case.
QString existingDefinition(const QString& base) {
  for (const QString& ext : {QStringLiteral(".ZRV"), QStringLiteral(".zrv")})
    if (QFileInfo(base + ext).isFile()) return base + ext;
  return QString();
}

}  // namespace

CKvFormFile::~CKvFormFile() = default;

QString CKvFormFile::FindZrvFile(const QString& path) {
  QString current = normalized(path);
  const qsizetype dot = extensionDot(current);
  if (dot >= 0) current.truncate(dot);
  for (;;) {
    const qsizetype slash = current.lastIndexOf(QChar(u'/'));
    if (slash < 0) return QString();
    const QString parent = current.left(slash);
    const QString found = existingDefinition(parent + u'/' + current.mid(slash + 1));
    if (!found.isEmpty()) return found;
    if (parent.isEmpty()) return QString();
    current = parent;
  }
}

int CKvFormFile::ResolveKind(const QString& path, QString* folder, int* number,
                             QString* subPath) {
  const QString upper = normalized(KvUpper(path));
  const qsizetype dot = extensionDot(upper);
  if (dot >= 0) {
    const qsizetype slash = upper.lastIndexOf(QChar(u'/'));
    const QString dir = slash < 0 ? QString() : upper.left(slash);
    const QString dirName = dir.mid(dir.lastIndexOf(QChar(u'/')) + 1);
    if (folder) *folder = dir;
    if (subPath) *subPath = upper.mid(slash + 1);
    if (number)
      *number = !dirName.isEmpty() && KvIsAllDigits(dirName) ? KvLeadingInt(dirName) : -1;
    const QString ext = upper.mid(dot + 1);
    if (ext == u"ZRV") return 2;
    if (ext == u"BSJ") return 3;
    return -2;
  }
  QStringList walked;
  QString rest = upper;
  for (;;) {
    const qsizetype slash = rest.lastIndexOf(QChar(u'/'));
    const QString element = rest.mid(slash + 1);
    if (element.isEmpty() || element.contains(QChar(u'.')) || isStopElement(element)) break;
    walked.prepend(element);
    if (slash <= 0) {
      rest = slash == 0 ? QStringLiteral("/") : QString();
      break;
    }
    rest.truncate(slash);
  }
  if (folder) *folder = rest;
  if (subPath) *subPath = walked.join(QChar(u'/'));
  if (number) *number = walked.isEmpty() ? 0 : KvLeadingInt(walked.first());
  return 1;
}

QString CKvFormFile::GetPath(const QString& zrvPath, const QString& dataPath) {
  if (ResolveKind(zrvPath, nullptr, nullptr, nullptr) != 2) return QString();
  // The definition's folder keeps the caller's letter case.
  const QString definition = normalized(zrvPath);
  const QString base = definition.left(extensionDot(definition));

  QString dataSub;
  int dataNumber = 0;
  switch (ResolveKind(dataPath, nullptr, &dataNumber, &dataSub)) {
    case 3: {
      // The numbered folder keeps its own spelling ("007" stays "007").
      const QStringList elements = normalized(dataPath).split(QChar(u'/'));
      if (dataNumber >= 0)
        return base + u'/' + elements.at(elements.size() - 2) + u'/' + elements.last();
      return base + u'/' + elements.last();
    }
    case 1:
      if (dataSub.isEmpty()) return QString();
      return base + u'/' + normalized(dataPath).right(dataSub.size());
    default:
      return QString();
  }
}
