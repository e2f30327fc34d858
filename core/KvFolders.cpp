#include "core/KvFolders.h"

#include "core/KvConst.h"
#include "core/KvRegistry.h"
#include "core/KvText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

QString KvDefaultDataFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
         QLatin1Char('/') + QString::fromLatin1(kv::kOrganisation) + QLatin1Char('/') +
         QString::fromLatin1(kv::kProductKey) + QStringLiteral("/青禾苑数据");
}

QString KvSpecialFolder(int index) {
  QString folder;
  switch (index) {
    case 0: folder = QStringLiteral("/usr"); break;
    case 1: folder = QStringLiteral("/usr/lib"); break;
    case 2: folder = QCoreApplication::applicationDirPath() + QStringLiteral("/.."); break;
    case 3: folder = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation); break;
    case 4:
    case 5: folder = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation); break;
    case 6: folder = QDir::tempPath(); break;
    case 7: folder = QDir::currentPath(); break;
    case 8: folder = QStringLiteral("/usr/share"); break;
    default: return QString();
  }
  return folder.isEmpty() ? QString() : QDir::cleanPath(folder);
}

namespace {

// The MIME type the data files of an extension are registered under.
QString mimeTypeName(const QString& ext) {
  return QStringLiteral("application/x-") + QString::fromLatin1(kv::kOrganisation) +
         QLatin1Char('-') + KvLower(ext);
}

// Writes the file when its content differs; true when it was written.
bool writeWhenChanged(const QString& path, const QByteArray& content) {
  QFile existing(path);
  if (existing.open(QIODevice::ReadOnly) && existing.readAll() == content)
    return false;
  existing.close();
  QDir().mkpath(QFileInfo(path).absolutePath());
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly))
    return false;
  file.write(content);
  return file.commit();
}

QString xmlEscaped(const QString& text) { return text.toHtmlEscaped(); }

// One argument of a desktop entry's Exec line: quoted, with the characters
// that are special inside quotes escaped, then escaped again as the entry's
// string value ("\" doubled), and "%" doubled so it is no field code.
QString execArgument(const QString& argument) {
  QString quoted;
  for (QChar ch : argument) {
    if (ch == u'"' || ch == u'`' || ch == u'$' || ch == u'\\')
      quoted += QLatin1Char('\\');
    quoted += ch;
  }
  quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
  quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// A desktop-entry string value keeps its line on one line.
QString entryValue(const QString& text) {
  QString value = text;
  value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
  value.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
  value.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
  return value;
}

// The user's mimeapps.list with the type's default application set; every
// other line is kept as it is.
QByteArray withDefaultApplication(const QByteArray& current, const QString& mime,
                                  const QString& desktopId) {
  const QString section = QStringLiteral("[Default Applications]");
  const QString entry = mime + QLatin1Char('=') + desktopId;
  QStringList lines = QString::fromUtf8(current).split(QLatin1Char('\n'));
  if (!lines.isEmpty() && lines.last().isEmpty())
    lines.removeLast();
  qsizetype header = -1;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const QString line = lines.at(i).trimmed();
    if (line.startsWith(QLatin1Char('['))) {
      header = line == section ? i : -1;
      if (header >= 0)
        break;
    }
  }
  if (header < 0) {
    if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
      lines.append(QString());
    lines.append(section);
    lines.append(entry);
  } else {
    qsizetype at = header + 1;
    bool replaced = false;
    for (; at < lines.size() && !lines.at(at).trimmed().startsWith(QLatin1Char('[')); ++at) {
      const QString key = lines.at(at).section(QLatin1Char('='), 0, 0).trimmed();
      if (key == mime && lines.at(at).contains(QLatin1Char('='))) {
        lines[at] = entry;
        replaced = true;
        break;
      }
    }
    if (!replaced)
      lines.insert(header + 1, entry);
  }
  return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

// Refreshes a desktop cache with its tool when the system has it.
void runCacheTool(const QString& tool, const QString& folder) {
  const QString program = QStandardPaths::findExecutable(tool);
  if (program.isEmpty())
    return;
  QProcess process;
  process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process.setStandardOutputFile(QProcess::nullDevice());
  process.start(program, {folder});
  process.waitForFinished(30000);
}

}  // namespace

void KvRegisterFileType(const QString& ext, const QString& description, const QString& programPath) {
  const QString progId = ext + QStringLiteral("File");
  KvRegWriteString(KvRegRoot::ClassesRoot, QLatin1Char('.') + ext, QString(), progId);
  KvRegWriteString(KvRegRoot::ClassesRoot, progId, QString(), description);
  KvRegWriteString(KvRegRoot::ClassesRoot, progId + QStringLiteral("\\DefaultIcon"), QString(),
                   programPath + QStringLiteral(",1"));
  KvRegWriteString(KvRegRoot::ClassesRoot, progId + QStringLiteral("\\shell\\open\\command"),
                   QString(), programPath + QStringLiteral(" \"%1\""));

  const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  const QString configHome = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  const QString mime = mimeTypeName(ext);
  const QString baseName = QString::fromLatin1(kv::kOrganisation) + QLatin1Char('-') + KvLower(ext);
  const QString desktopId = baseName + QStringLiteral(".desktop");

  const QString package =
      QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                     "  <mime-type type=\"") +
      xmlEscaped(mime) + QStringLiteral("\">\n    <comment>") + xmlEscaped(description) +
      QStringLiteral("</comment>\n    <glob pattern=\"*.") + xmlEscaped(KvLower(ext)) +
      QStringLiteral("\"/>\n  </mime-type>\n</mime-info>\n");
  const QString mimeFolder = dataHome + QStringLiteral("/mime");
  if (writeWhenChanged(mimeFolder + QStringLiteral("/packages/") + baseName + QStringLiteral(".xml"),
                       package.toUtf8()))
    runCacheTool(QStringLiteral("update-mime-database"), mimeFolder);

  const QString entry = QStringLiteral("[Desktop Entry]\nType=Application\nName=") +
                        entryValue(QString::fromUtf8(kv::kProductName)) +
                        QStringLiteral("\nComment=") + entryValue(description) +
                        QStringLiteral("\nExec=") + execArgument(programPath) +
                        QStringLiteral(" %f\nMimeType=") + mime +
                        QStringLiteral(";\nNoDisplay=true\nTerminal=false\n");
  const QString applications = dataHome + QStringLiteral("/applications");
  if (writeWhenChanged(applications + QLatin1Char('/') + desktopId, entry.toUtf8()))
    runCacheTool(QStringLiteral("update-desktop-database"), applications);

  const QString listPath = configHome + QStringLiteral("/mimeapps.list");
  QFile list(listPath);
  QByteArray current;
  if (list.open(QIODevice::ReadOnly))
    current = list.readAll();
  list.close();
  writeWhenChanged(listPath, withDefaultApplication(current, mime, desktopId));
}
