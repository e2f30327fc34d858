#include "KvBenchPgDatabase.h"

#include "core/KvDbBackend.h"
#include "core/KvPgBackend.h"

#include <QCoreApplication>

namespace {
QString env(const char* name) { return QString::fromLocal8Bit(qgetenv(name)); }
}  // namespace

KvBenchPgDatabase::KvBenchPgDatabase(const QString& prefix, const QString& setup) {
  info.m_strServer = env("PGHOST");
  if (!info.m_strServer.isEmpty() && !env("PGPORT").isEmpty())
    info.m_strServer += u',' + env("PGPORT");
  info.m_strUser = env("PGUSER");
  info.m_strPassword = env("PGPASSWORD");
  if (env("PGHOST").isEmpty() || !master.Open(QStringLiteral("master"), info))
    return;
  name = prefix + QString::number(QCoreApplication::applicationPid());
  KvDbBackend* admin = master.GetBackend();
  admin->execute(QStringLiteral("DROP DATABASE IF EXISTS ") + name, nullptr);
  if (!admin->execute(QStringLiteral("CREATE DATABASE ") + name +
                          QStringLiteral(" TEMPLATE template0 ENCODING 'UTF8' LC_COLLATE 'C' LC_CTYPE 'C'"),
                      nullptr) ||
      !db.Open(name, info) || (!setup.isEmpty() && !db.GetBackend()->execute(setup, nullptr)))
    db.Close();
}

KvBenchPgDatabase::~KvBenchPgDatabase() {
  db.Close();
  if (!name.isEmpty())
    master.GetBackend()->execute(QStringLiteral("DROP DATABASE IF EXISTS ") + name, nullptr);
}

PGconn* KvBenchPgDatabase::raw() const { return dynamic_cast<KvPgBackend*>(db.GetBackend())->handle(); }
