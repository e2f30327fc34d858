#include "core/KvRegistry.h"

#include "core/KvNumber.h"

#include <QByteArray>

bool KvRegReadString(KvRegRoot root, const QString& subKey, const QString& valueName, QString* out) {
  CKvRegKey key;
  if (key.Open(root, subKey) != KV_REG_OK) {
    if (out)
      out->clear();
    return false;
  }
  return key.QueryString(out, valueName) == KV_REG_OK;
}

bool KvRegWriteString(KvRegRoot root, const QString& subKey, const QString& valueName,
                      const QString& value) {
  // Every write rewrites the whole settings file: a value that is stored
  // already is left alone.
  QString stored;
  if (KvRegReadString(root, subKey, valueName, &stored) && stored == value)
    return true;
  CKvRegKey key;
  return key.Create(root, subKey) == KV_REG_OK && key.SetString(valueName, value) == KV_REG_OK;
}

long KvRegEnumValues(KvRegRoot root, const QString& subKey, QStringList* names, QStringList* data) {
  names->clear();
  data->clear();
  CKvRegKey key;
  if (const long opened = key.Open(root, subKey); opened != KV_REG_OK)
    return opened;
  for (const QString& name : key.ValueNames()) {
    QString value;
    if (const long read = key.QueryString(&value, name); read != KV_REG_OK)
      return read;
    names->append(name);
    data->append(value);
  }
  return KV_REG_OK;
}

int KvRegReadValueList(KvRegRoot root, const QString& subKey, QStringList* names,
                       QStringList* data, int order) {
  KvRegEnumValues(root, subKey, names, data);
  if (order != 1 && order != 2)
    return int(names->size());
  // An exchange sort: each entry is compared with every later one and the
  // two are swapped when the later one sorts first. Names that compare equal
  // (two texts both reading as 0, say) end up in the order this gives.
  auto after = [order](const QString& a, const QString& b) {
    if (order == 1)
      return a.toUtf8() > b.toUtf8();
    return KvStrToLong(a) > KvStrToLong(b);
  };
  for (qsizetype i = 0; i < names->size(); ++i) {
    for (qsizetype j = i + 1; j < names->size(); ++j) {
      if (after(names->at(i), names->at(j))) {
        names->swapItemsAt(i, j);
        data->swapItemsAt(i, j);
      }
    }
  }
  return int(names->size());
}

int KvRegListSubkeys(KvRegRoot root, const QString& subKey, QStringList* names) {
  names->clear();
  CKvRegKey key;
  if (key.Open(root, subKey) == KV_REG_OK)
    *names = key.SubkeyNames();
  return int(names->size());
}

bool KvRegDeleteValue(KvRegRoot root, const QString& subKey, const QString& valueName) {
  CKvRegKey key;
  return key.Open(root, subKey) == KV_REG_OK && key.DeleteValue(valueName) == KV_REG_OK;
}

bool KvRegDeleteKey(KvRegRoot root, const QString& subKey) {
  CKvRegKey key;
  return key.Open(root, QString()) == KV_REG_OK && key.DeleteSubkey(subKey) == KV_REG_OK;
}

void KvRegDeleteAllValues(KvRegRoot root, const QString& subKey) {
  QStringList names;
  QStringList data;
  KvRegReadValueList(root, subKey, &names, &data, 0);
  for (const QString& name : names)
    KvRegDeleteValue(root, subKey, name);
}

void KvRegDeleteTree(KvRegRoot root, const QString& subKey) {
  KvRegDeleteAllValues(root, subKey);
  QStringList children;
  KvRegListSubkeys(root, subKey, &children);
  for (const QString& child : children)
    KvRegDeleteTree(root, subKey + QLatin1Char('\\') + child);
  KvRegDeleteKey(root, subKey);
}
