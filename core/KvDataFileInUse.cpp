#include "core/KvDataFileInUse.h"

#include "core/KvMessage.h"
#include "core/KvPresenceLock.h"

bool KvRefuseDataFileInUse(const QString& path) {
  if (!KvPresenceLock::isHeld(path))
    return false;
  KvMessageBox(QStringLiteral("“%1”是正在使用的数据文件，不能删除或覆盖！").arg(path), KV_MB_OK | KV_MB_ICONSTOP);
  return true;
}
