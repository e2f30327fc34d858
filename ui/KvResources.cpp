#include "ui/KvResources.h"

#include <QFile>
#include <QHash>

void KvInitResources() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(kvres);
    return true;
  }();
  (void)registered;
}

namespace {
// The first of "<base>.png" and "<base>.svg" that exists; empty when neither.
QString resourceFile(const QString& base) {
  KvInitResources();
  for (const char* ext : {".png", ".svg"}) {
    const QString path = base + QLatin1String(ext);
    if (QFile::exists(path))
      return path;
  }
  return QString();
}
}  // namespace

QIcon KvResourceIcon(int id) {
  // Menus ask for their commands' icons each time they are built: each
  // picture is read and checked once.
  static QHash<int, QIcon> loaded;
  if (const auto found = loaded.constFind(id); found != loaded.constEnd())
    return *found;
  QIcon icon;
  const QString path = resourceFile(QStringLiteral(":/icons/icon_") + QString::number(id));
  if (!path.isEmpty()) {
    icon = QIcon(path);
    // An icon whose engine cannot draw it is no icon to the caller.
    if (icon.pixmap(16, 16).isNull())
      icon = QIcon();
  }
  loaded.insert(id, icon);
  return icon;
}

QPixmap KvResourceBitmap(int id) {
  const QString path = resourceFile(QStringLiteral(":/bitmaps/bitmap_") + QString::number(id));
  return path.isEmpty() ? QPixmap() : QPixmap(path);
}
