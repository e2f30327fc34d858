#include "ui/KvObjectNames.h"

int KvControlId(const QObject* object) {
  if (!object)
    return -1;
  const QString name = object->objectName();
  if (!name.startsWith(QLatin1String("id_")))
    return -1;
  bool ok = false;
  const int id = QStringView(name).mid(3).toInt(&ok);
  return ok ? id : -1;
}
