#include "app/KvUserSettings.h"

#include "app/CKvApp.h"
#include "core/KvFolders.h"
#include "core/KvPath.h"
#include "core/KvRegistry.h"
#include "core/KvText.h"

#include <QFileInfo>

namespace {

const QString kBlanks = QStringLiteral(" \n\t\r\n");

QString readSetting(const QString& name) {
  QString value;
  KvRegReadString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), name, &value);
  return value;
}

void writeSetting(const QString& name, const QString& value) {
  KvRegWriteString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), name, value);
}

// The program's path without the extension of its file name.
QString programStem() {
  const QString program = KvSlashPath(KvModuleFileName());
  const qsizetype slash = program.lastIndexOf(u'/');
  const qsizetype dot = program.lastIndexOf(u'.');
  return dot > slash ? program.left(dot) : program;
}

bool isPlainFile(const QString& path) {
  const QFileInfo info(path);
  return info.exists() && !info.isDir();
}

// Whether the file's extension is one of the picture filter's patterns.
bool isPicture(const QString& path) {
  const QString ext = KvLower(KvFileExt(path));
  if (ext.isEmpty())
    return false;
  const QString filter = KvLower(KvFileFilter(0));
  const QString pattern = QStringLiteral("*.") + ext;
  for (const QString& part : filter.split(u'|')) {
    if (part.split(u';').contains(pattern))
      return true;
  }
  return false;
}

QString withoutTrailingSeparators(QString path) {
  while (path.endsWith(u'/') || path.endsWith(u'\\'))
    path.chop(1);
  return path;
}

}  // namespace

int KvGetBackgroundPage(QString* pPath) {
  QString path = readSetting(QStringLiteral("BackGround"));
  const bool fromSettings = !path.isEmpty();
  if (!fromSettings)
    path = programStem() + QStringLiteral("_MainFrm.htm");
  path = KvTrimChars(path, kBlanks);
  if (pPath)
    *pPath = path;
  if (path.isEmpty())
    return 0;
  // A network path is taken as it is.
  if (!KvSlashPath(path).startsWith(QStringLiteral("//"))) {
    if (!isPlainFile(path)) {
      if (fromSettings)
        return 0;
      path = path.left(path.size() - 3) + QStringLiteral("jpg");
      if (!isPlainFile(path))
        return 0;
      if (pPath)
        *pPath = path;
    }
  }
  return isPicture(path) ? 2 : 1;
}

void KvSetBackgroundPage(const QString& path) { writeSetting(QStringLiteral("BackGround"), path); }

QString KvDefaultBackupFolder() {
  return KvSlashPath(KvDefaultDataFolder()) + QStringLiteral("/备份");
}

void KvReadBackupSettings(int* pMode, int* pTime, QString* pFolder) {
  int mode = 1;
  int time = 1;
  QString value;
  if (KvRegReadString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), QStringLiteral("BakMode"), &value))
    mode = value.trimmed().toInt();
  if (KvRegReadString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), QStringLiteral("BakTime"), &value))
    time = value.trimmed().toInt();
  QString folder = KvTrimChars(readSetting(QStringLiteral("BakPath")), kBlanks);
  if (folder.isEmpty())
    folder = KvDefaultBackupFolder();
  if (pMode)
    *pMode = mode;
  if (pTime)
    *pTime = time;
  if (pFolder)
    *pFolder = folder;
}

void KvWriteBackupSettings(int nMode, int nTime, const QString& folder) {
  for (const char* name : {"BakMode", "BakTime", "BakPath"})
    KvRegDeleteValue(KvRegRoot::CurrentUser, KvGetRegKeyPath(), QString::fromLatin1(name));
  if (nMode == 0)
    writeSetting(QStringLiteral("BakMode"), QStringLiteral("0"));
  if (nTime != 1)
    writeSetting(QStringLiteral("BakTime"), QString::number(nTime));
  const QString path = withoutTrailingSeparators(folder);
  if (!path.isEmpty() && !KvEqualsIgnoreCase(KvSlashPath(path), KvDefaultBackupFolder()))
    writeSetting(QStringLiteral("BakPath"), path);
}
