#include "app/KvDocOpenMode.h"

#include "app/CKvApp.h"
#include "core/KvNumber.h"
#include "core/KvRegistry.h"

namespace {

constexpr KvRegRoot kRoot = KvRegRoot::CurrentUser;

QString modeKey(int a, int b) {
  return QStringLiteral("%1\\DocOpenMode\\%2\\%3").arg(KvGetRegKeyPath()).arg(a).arg(b);
}

}  // namespace

int KvReadDocOpenMode(int a, int b, QStringList& list) {
  QStringList names;
  QStringList values;
  KvRegEnumValues(kRoot, modeKey(a, b), &names, &values);
  const int count = int(names.size());
  list = QStringList(count, QString());
  for (int i = 0; i < count; ++i) {
    const int index = KvStrToLong(names.at(i));
    if (index >= 0 && index < count)
      list[index] = values.at(i);
  }
  return count;
}

void KvDeleteDocOpenMode(int a, int b) { KvRegDeleteTree(kRoot, modeKey(a, b)); }

void KvSaveDocOpenMode(int a, int b, const QStringList& list) {
  QStringList stored;
  KvReadDocOpenMode(a, b, stored);
  const QString key = modeKey(a, b);
  const bool rewriteAll = stored.size() != list.size();
  if (rewriteAll)
    KvRegDeleteTree(kRoot, key);
  for (int i = 0; i < list.size(); ++i)
    if (rewriteAll || stored.at(i) != list.at(i))
      KvRegWriteString(kRoot, key, QString::number(i), list.at(i));
}
