#include "ui/KvHelp.h"

#include "core/KvMessage.h"
#include "ui/KvWaitCursor.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <utility>

namespace {
QString& folderOverride() {
  static QString folder;
  return folder;
}

KvUrlOpenFn& opener() {
  static KvUrlOpenFn fn;
  return fn;
}

const QString kHelpSubfolder = QStringLiteral("share/kvqy/help");
}  // namespace

QString KvHelpFolder() {
  if (!folderOverride().isEmpty())
    return folderOverride();
  const QDir exeDir(QCoreApplication::applicationDirPath());
  const QString beside = exeDir.filePath(kHelpSubfolder);
  const QString installed = QDir::cleanPath(exeDir.filePath(QStringLiteral("../") + kHelpSubfolder));
  if (!QFileInfo(beside).isDir() && QFileInfo(installed).isDir())
    return installed;
  return beside;
}

QString KvSetHelpFolder(const QString& folder) { return std::exchange(folderOverride(), folder); }

KvUrlOpenFn KvSetHelpOpener(KvUrlOpenFn fn) { return std::exchange(opener(), std::move(fn)); }

bool KvHtmlHelp(const QString& keyword) {
  const QDir folder(KvHelpFolder());
  const QString contents = folder.filePath(QStringLiteral("index.html"));
  if (!QFileInfo(contents).isFile())
    return false;
  QUrl url = QUrl::fromLocalFile(contents);
  const QString index = folder.filePath(QStringLiteral("keywords.html"));
  if (!keyword.isEmpty() && QFileInfo(index).isFile()) {
    url = QUrl::fromLocalFile(index);
    url.setFragment(keyword);
  }
  bool opened = false;
  {
    KvWaitCursor wait;
    const KvUrlOpenFn fn = opener();
    opened = fn ? fn(url) : QDesktopServices::openUrl(url);
  }
  if (!opened)
    KvMessageBox(QStringLiteral("未能启动帮助。"), KV_MB_OK | KV_MB_ICONEXCLAMATION);
  return opened;
}
