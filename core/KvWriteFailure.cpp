#include "core/KvWriteFailure.h"

#include "core/KvPath.h"

#include <QFileDevice>
#include <QString>

#include <cerrno>
#include <cstring>

namespace {

// The error numbers that have a reason of their own.
constexpr int kKnownErrors[] = {EACCES, EPERM, EROFS, ENOSPC, EDQUOT, ENOTDIR, EEXIST, EISDIR, ENOENT};

QString systemText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QString otherReason(const QString& path, const QString& text) {
  return QStringLiteral("不能写入“%1”：%2").arg(path, text);
}

}  // namespace

QString KvWriteFailureReason(int error, const QString& path) {
  const QString folder = KvFileDir(path);
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS: return QStringLiteral("备份位置不能写入：%1").arg(folder);
    case ENOSPC:
    case EDQUOT: return QStringLiteral("备份位置的磁盘空间不足：%1").arg(folder);
    // A name on the way to the folder is a file (mkdir answers EEXIST).
    case ENOTDIR:
    case EEXIST: return QStringLiteral("备份位置不是文件夹，已有同名文件：%1").arg(folder);
    case EISDIR: return QStringLiteral("已有同名文件夹占用备份件的名称：%1").arg(path);
    case ENOENT: return QStringLiteral("备份位置不存在：%1").arg(folder);
    default: return otherReason(path, systemText(error));
  }
}

QString KvWriteFailureReason(const QFileDevice& device, const QString& path) {
  const QString text = device.errorString();
  for (const int error : kKnownErrors)
    if (text == systemText(error))
      return KvWriteFailureReason(error, path);
  if (device.error() == QFileDevice::ResourceError)
    return KvWriteFailureReason(ENOSPC, path);
  return otherReason(path, text);
}
