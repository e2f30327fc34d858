// The database configuration of the last login, kept in the current user's
// settings under KvGetRegKeyPath(): the kind, operator, folder, data file or
// database, and per server data source its user and password.

#include "app/CKvApp.h"
#include "app/CKvDataFile.h"
#include "core/CKvRegKey.h"
#include "core/KvRegistry.h"
#include "core/KvScrambleDigits.h"

#include <QFile>

namespace {
constexpr KvRegRoot kRoot = KvRegRoot::CurrentUser;

// A data-source name as one sub-key name: "/" and "\" would split the key
// path, so they (and "%", which escapes them) are written as %XX. The empty
// name becomes "%", which no escaped name can be.
QString escapedKeyName(const QString& name) {
  if (name.isEmpty())
    return QStringLiteral("%");
  QString escaped;
  for (const QChar ch : name) {
    if (ch == u'%')
      escaped += QStringLiteral("%25");
    else if (ch == u'/')
      escaped += QStringLiteral("%2F");
    else if (ch == u'\\')
      escaped += QStringLiteral("%5C");
    else
      escaped += ch;
  }
  return escaped;
}

QString loginKey(const QString& dataSource) {
  return KvGetRegKeyPath() + u'\\' + escapedKeyName(dataSource);
}

bool readValue(const QString& subKey, const char* name, QString* out) {
  return KvRegReadString(kRoot, subKey, QString::fromLatin1(name), out);
}

bool writeValue(const QString& subKey, const char* name, const QString& value) {
  return KvRegWriteString(kRoot, subKey, QString::fromLatin1(name), value);
}
}  // namespace

bool KvReadDbLogin(CKvDbInfo* pInfo) {
  if (!pInfo)
    return false;
  const QString key = loginKey(pInfo->m_strServer);
  QString user;
  QString password;
  if (!readValue(key, "UID", &user) || !readValue(key, "PWD", &password))
    return false;
  pInfo->m_strUser = user;
  pInfo->m_strPassword = KvScrambleDigits(password, false);
  return true;
}

bool KvWriteDbLogin(const CKvDbInfo& info, bool bKeepPassword) {
  const QString key = loginKey(info.m_strServer);
  if (!writeValue(key, "UID", info.m_strUser))
    return false;
  if (!bKeepPassword || info.m_strPassword.isEmpty())
    return writeValue(key, "PWD", QString());
  // The settings file holds a password from now on: the user's alone. The
  // permissions are set before the password is written into it.
  if (!QFile::setPermissions(KvRegFileName(kRoot), QFile::ReadOwner | QFile::WriteOwner))
    return false;
  return writeValue(key, "PWD", KvScrambleDigits(info.m_strPassword, true));
}

bool CKvDataFile::ReadDbConfig() {
  const QString key = KvGetRegKeyPath();
  QString type;
  QString operatorCode;
  QString rootDir;
  QString dataSource;
  if (!readValue(key, "DBType", &type) || !readValue(key, "Opno", &operatorCode) ||
      !readValue(key, "RootDir", &rootDir) || !readValue(key, "DSN", &dataSource))
    return false;
  bool isNumber = false;
  const int dbType = type.trimmed().toInt(&isNumber);
  if (!isNumber)
    return false;

  QString fileName;
  CKvDbInfo info = m_info;
  bool rememberPassword = m_bRememberPassword;
  if (dbType == 0) {
    if (!readValue(key, "DataDir", &fileName))
      return false;
  } else {
    if (!readValue(key, "DATABASE", &fileName))
      return false;
    info = CKvDbInfo(dbType == 1 ? 1 : 2);
    info.m_strServer = dataSource;
    info.m_strDatabase = fileName;
    if (!KvReadDbLogin(&info))
      return false;
    rememberPassword = !info.m_strPassword.isEmpty();
  }

  if (dbType != 0)
    SetServerBackend(dbType == 1 ? 1 : 2);
  SetKind(dbType == 0 ? 0 : 1);
  m_info = info;
  m_bRememberPassword = rememberPassword;
  m_strRootDir = rootDir;
  m_strFileName = fileName;
  m_strOperatorCode = operatorCode;
  return true;
}

bool CKvDataFile::WriteDbConfig() {
  const QString key = KvGetRegKeyPath();
  if (!writeValue(key, "DBType", QString::number(GetDbKind())) ||
      !writeValue(key, "Opno", m_strOperatorCode) || !writeValue(key, "DSN", m_info.m_strServer))
    return false;
  // The folder is written for both kinds: it is required when reading.
  if (!writeValue(key, "RootDir", m_strRootDir))
    return false;
  if (m_nKind == 0)
    return writeValue(key, "DataDir", m_strFileName);
  return writeValue(key, "DATABASE", m_strFileName) &&
         KvWriteDbLogin(m_info, m_bRememberPassword);
}
