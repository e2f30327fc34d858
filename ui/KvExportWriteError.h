#pragma once
// The one message of an export whose file could not be written.

#include <QString>

// "无法写入文件“path”！" under the stop icon.
void KvShowExportWriteError(const QString& path);
