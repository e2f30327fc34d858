#include "ui/KvExportWriteError.h"

#include "core/KvFormat.h"
#include "core/KvMessage.h"

void KvShowExportWriteError(const QString& path) {
  KvMessageBox(KvFormat(QStringLiteral("无法写入文件“%s”！"), path), KV_MB_OK | KV_MB_ICONSTOP);
}
