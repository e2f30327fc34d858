#include "core/KvSameDataFile.h"

#include "core/CKvDb.h"
#include "core/KvDbBackend.h"
#include "core/KvText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

const QString kLocalHost = QStringLiteral("localhost");

// Where a server database lives, as far as the program can tell without
// asking the network.
struct ServerPlace {
  QString host;
  QString port;
  QString database;
};

// The value of `key` in section `section` of an ini file (names compared
// with ASCII case ignored); false when the file, section or key is missing.
bool readIniValue(const QString& path, const QString& section, const QString& key,
                  QString* value) {
  QFile file(path);
  if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
    return false;
  QStringDecoder decoder(QStringDecoder::Utf8);
  const QString text = decoder(file.readAll());
  bool inSection = false;
  for (QString line : text.split(u'\n')) {
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';'))
      continue;
    if (line.startsWith(u'[')) {
      const qsizetype close = line.indexOf(u']');
      inSection = close > 0 && KvEqualsIgnoreCase(line.mid(1, close - 1).trimmed(), section);
      continue;
    }
    const qsizetype eq = line.indexOf(u'=');
    if (inSection && eq > 0 && KvEqualsIgnoreCase(line.left(eq).trimmed(), key)) {
      *value = line.mid(eq + 1).trimmed();
      return true;
    }
  }
  return false;
}

// The odbc.ini files the driver manager reads, user's first.
QStringList odbcIniFiles() {
  QStringList files;
  const QString user = qEnvironmentVariable("ODBCINI");
  files += user.isEmpty() ? QDir::homePath() + QStringLiteral("/.odbc.ini") : user;
  const QString system = qEnvironmentVariable("ODBCSYSINI");
  files += (system.isEmpty() ? QStringLiteral("/etc") : system) + QStringLiteral("/odbc.ini");
  return files;
}

// A value of the data source's entry in the first file that describes the
// source; *found tells whether any file does.
QString dataSourceValue(const QString& dsn, const QStringList& keys, bool* found = nullptr) {
  if (found)
    *found = false;
  for (const QString& file : odbcIniFiles()) {
    QString value, driver;
    if (!readIniValue(file, dsn, QStringLiteral("Driver"), &driver))
      continue;  // the source is not described in this file
    if (found)
      *found = true;
    for (const QString& key : keys)
      if (readIniValue(file, dsn, key, &value) && !value.isEmpty())
        return value;
    return QString();
  }
  return QString();
}

// Every way of naming this computer's server becomes one text.
QString canonicalHost(const QString& host) {
  const QString h = KvLower(host.trimmed());
  if (h.startsWith(QStringLiteral("odbc:")))
    return h;
  if (h.isEmpty() || h == u"(local)" || h.startsWith(u'/') || h == kLocalHost ||
      h.startsWith(QStringLiteral("127.")) || h == u"::1" || h == u"[::1]")
    return kLocalHost;
  return h;
}

QString defaultPort() {
  const QString port = qEnvironmentVariable("PGPORT").trimmed();
  return port.isEmpty() ? QStringLiteral("5432") : port;
}

ServerPlace serverPlace(int nKind, const QString& name, const CKvDbInfo& info) {
  ServerPlace place;
  QString host, port;
  if (nKind == 1) {
    const QString dsn = info.m_strServer.trimmed();
    bool described = false;
    host = dataSourceValue(dsn, {QStringLiteral("Servername"), QStringLiteral("Server")},
                           &described);
    port = dataSourceValue(dsn, {QStringLiteral("Port")});
    // A source no file describes can only be matched by its own name.
    if (!described)
      host = QStringLiteral("odbc:") + dsn;
  } else {
    host = info.m_strServer.trimmed();
    const qsizetype comma = host.lastIndexOf(u',');
    if (comma >= 0) {
      port = host.mid(comma + 1).trimmed();
      host = host.left(comma);
    }
  }
  place.host = canonicalHost(host);
  place.port = port.isEmpty() ? defaultPort() : port;
  QString database = name.trimmed().isEmpty() ? info.m_strDatabase : name;
  if (database.trimmed().isEmpty() && nKind == 1)
    database = dataSourceValue(info.m_strServer.trimmed(), {QStringLiteral("Database")});
  place.database = KvServerDatabaseName(database.trimmed());
  return place;
}

QString filePlace(const QString& path) {
  const QFileInfo file(QDir::fromNativeSeparators(path));
  const QString canonical = file.canonicalFilePath();
  return canonical.isEmpty() ? QDir::cleanPath(file.absoluteFilePath()) : canonical;
}

}  // namespace

bool KvSameDataFile(int nKindA, const QString& nameA, const CKvDbInfo& infoA, int nKindB,
                    const QString& nameB, const CKvDbInfo& infoB) {
  if ((nKindA == 0) != (nKindB == 0))
    return false;
  if (nKindA == 0) {
    if (nameA.trimmed().isEmpty() || nameB.trimmed().isEmpty())
      return false;
    return filePlace(nameA) == filePlace(nameB);
  }
  const ServerPlace a = serverPlace(nKindA, nameA, infoA);
  const ServerPlace b = serverPlace(nKindB, nameB, infoB);
  return !a.database.isEmpty() && KvEqualsIgnoreCase(a.host, b.host) && a.port == b.port &&
         KvEqualsIgnoreCase(a.database, b.database);
}

bool KvSameDataFile(const CKvDb& db, int nKind, const QString& name, const CKvDbInfo& info) {
  if (!db.IsOpen())
    return false;
  const QString own = db.GetDatabaseName(true);
  return KvSameDataFile(db.GetKind(), own, db.GetConnectInfo(), nKind, name, info);
}
