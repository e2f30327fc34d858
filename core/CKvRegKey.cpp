#include "core/CKvRegKey.h"

#include "core/KvConst.h"

#include <QSettings>
#include <QVariant>
#include <algorithm>

namespace {

QString rootFileBaseName(KvRegRoot root) {
  const QString product = QString::fromLatin1(kv::kProductKey);
  switch (root) {
    case KvRegRoot::ClassesRoot: return product + QStringLiteral("ClassesRoot");
    case KvRegRoot::LocalMachine: return product + QStringLiteral("LocalMachine");
    case KvRegRoot::CurrentUser: break;
  }
  return product;
}

std::unique_ptr<QSettings> openRoot(KvRegRoot root) {
  auto settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                              QString::fromLatin1(kv::kOrganisation),
                                              rootFileBaseName(root));
  // Only this file stands for the root: no organisation-wide or system files.
  settings->setFallbacksEnabled(false);
  return settings;
}

// "Software\zrvsoft\\Kvqy/" -> "Software/zrvsoft/Kvqy".
QString groupPath(const QString& keyPath) {
  QString path = keyPath;
  path.replace(QLatin1Char('\\'), QLatin1Char('/'));
  return path.split(QLatin1Char('/'), Qt::SkipEmptyParts).join(QLatin1Char('/'));
}

// Value names may hold any character, "/" included, and the empty name is a
// key's default value. QSettings takes "/" as a group separator and refuses
// an empty key, so names are escaped: "%", "/" and "@" as %XX, the empty
// name as "@".
QString encodeValueName(const QString& name) {
  if (name.isEmpty())
    return QStringLiteral("@");
  QString encoded;
  encoded.reserve(name.size());
  for (QChar ch : name) {
    switch (ch.unicode()) {
      case u'%': encoded += QStringLiteral("%25"); break;
      case u'/': encoded += QStringLiteral("%2F"); break;
      case u'@': encoded += QStringLiteral("%40"); break;
      default: encoded += ch;
    }
  }
  return encoded;
}

QString decodeValueName(const QString& encoded) {
  if (encoded == QStringLiteral("@"))
    return QString();
  QString name;
  name.reserve(encoded.size());
  for (qsizetype i = 0; i < encoded.size(); ++i) {
    if (encoded.at(i) == QLatin1Char('%') && i + 2 < encoded.size()) {
      bool ok = false;
      const int code = encoded.mid(i + 1, 2).toInt(&ok, 16);
      if (ok) {
        name += QChar(char16_t(code));
        i += 2;
        continue;
      }
    }
    name += encoded.at(i);
  }
  return name;
}

bool isDigits(QStringView name) {
  return !name.isEmpty() &&
         std::all_of(name.begin(), name.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// Enumeration order: names of digits first, by value (equal values by text),
// then every other name by text.
bool enumeratedBefore(const QString& a, const QString& b) {
  const bool aNumber = isDigits(a);
  const bool bNumber = isDigits(b);
  if (aNumber != bNumber)
    return aNumber;
  if (aNumber) {
    // Compared as digit strings without leading zeros, so any length works.
    auto significant = [](const QString& digits) {
      qsizetype first = 0;
      while (first + 1 < digits.size() && digits.at(first) == u'0') ++first;
      return QStringView(digits).mid(first);
    };
    const QStringView x = significant(a);
    const QStringView y = significant(b);
    if (x.size() != y.size())
      return x.size() < y.size();
    if (x != y)
      return x < y;
  }
  return a < b;
}

QStringList enumerationOrder(QStringList names) {
  std::stable_sort(names.begin(), names.end(), enumeratedBefore);
  return names;
}

}  // namespace

QString KvRegFileName(KvRegRoot root) { return openRoot(root)->fileName(); }

CKvRegKey::CKvRegKey() = default;

CKvRegKey::~CKvRegKey() { Close(); }

long CKvRegKey::Open(KvRegRoot root, const QString& subKey) {
  Create(root, subKey);
  if (m_path.isEmpty())
    return KV_REG_OK;
  if (m_settings->childKeys().isEmpty() && m_settings->childGroups().isEmpty()) {
    Close();
    return KV_REG_NOT_FOUND;
  }
  return KV_REG_OK;
}

long CKvRegKey::Create(KvRegRoot root, const QString& subKey) {
  Close();
  m_settings = openRoot(root);
  m_path = groupPath(subKey);
  if (!m_path.isEmpty())
    m_settings->beginGroup(m_path);
  return m_settings->status() == QSettings::AccessError ? KV_REG_ACCESS_DENIED : KV_REG_OK;
}

void CKvRegKey::Close() {
  m_settings.reset();
  m_path.clear();
}

long CKvRegKey::QueryString(QString* out, const QString& valueName) const {
  if (out)
    out->clear();
  if (!m_settings)
    return KV_REG_NOT_FOUND;
  const QVariant value = m_settings->value(encodeValueName(valueName));
  if (!value.isValid())
    return KV_REG_NOT_FOUND;
  if (out)
    *out = value.toString();
  return KV_REG_OK;
}

long CKvRegKey::SetString(const QString& valueName, const QString& value) {
  if (!m_settings)
    return KV_REG_NOT_FOUND;
  m_settings->setValue(encodeValueName(valueName), value);
  return sync();
}

long CKvRegKey::DeleteValue(const QString& valueName) {
  if (!m_settings)
    return KV_REG_NOT_FOUND;
  const QString key = encodeValueName(valueName);
  if (!m_settings->contains(key))
    return KV_REG_NOT_FOUND;
  // QSettings removes a key together with the group of the same name; a
  // sub-key that shares the value's name is put back.
  QList<std::pair<QString, QVariant>> sameNamedKey;
  m_settings->beginGroup(key);
  for (const QString& inner : m_settings->allKeys())
    sameNamedKey.append({inner, m_settings->value(inner)});
  m_settings->endGroup();
  m_settings->remove(key);
  for (const auto& [inner, value] : sameNamedKey)
    m_settings->setValue(key + QLatin1Char('/') + inner, value);
  return sync();
}

long CKvRegKey::DeleteSubkey(const QString& name) {
  if (!m_settings)
    return KV_REG_NOT_FOUND;
  const QString group = groupPath(name);
  if (group.isEmpty())
    return KV_REG_NOT_FOUND;
  m_settings->beginGroup(group);
  const QStringList values = m_settings->childKeys();
  const bool hasSubkeys = !m_settings->childGroups().isEmpty();
  if (!hasSubkeys) {
    // Value by value, so that a value of the parent named like the key stays.
    for (const QString& value : values)
      m_settings->remove(value);
  }
  m_settings->endGroup();
  if (hasSubkeys)
    return KV_REG_ACCESS_DENIED;
  if (values.isEmpty())
    return KV_REG_NOT_FOUND;
  return sync();
}

QStringList CKvRegKey::ValueNames() const {
  QStringList names;
  if (!m_settings)
    return names;
  for (const QString& key : m_settings->childKeys())
    names.append(decodeValueName(key));
  return enumerationOrder(names);
}

QStringList CKvRegKey::SubkeyNames() const {
  if (!m_settings)
    return {};
  return enumerationOrder(m_settings->childGroups());
}

long CKvRegKey::sync() {
  m_settings->sync();
  return m_settings->status() == QSettings::AccessError ? KV_REG_ACCESS_DENIED : KV_REG_OK;
}
