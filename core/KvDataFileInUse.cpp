#include "core/KvDataFileInUse.h"

#include "core/KvMessage.h"
#include "core/KvPresenceLock.h"

#include <QFileInfo>

bool KvRefuseDataFileInUse(const QString& path) {
  if (!KvPresenceLock::isHeld(path))
    return false;
  KvMessageBox(QStringLiteral("“%1”是正在使用的数据文件，不能删除或覆盖！").arg(path), KV_MB_OK | KV_MB_ICONSTOP);
  return true;
}

bool KvMayReplaceFile(const QString& path) {
  if (KvRefuseDataFileInUse(path))
    return false;
  return !QFileInfo::exists(path) ||
         KvMessageBox(QStringLiteral("文件“%1”已经存在，要替换它吗？").arg(path),
                      KV_MB_YESNO | KV_MB_ICONQUESTION | KV_MB_DEFBUTTON2) == KV_IDYES;
}
