#include "KvBenchPgDatabase.h"

#include "core/KvDbBackend.h"
#include "core/KvPgBackend.h"

#include <QCoreApplication>
#include <QThread>

namespace {
QString env(const char* name) { return QString::fromLocal8Bit(qgetenv(name)); }

// The prefix and the process id, then with "_<n>" added: the n-th try.
QString candidate(const QString& prefix, int n) {
  const QString name = prefix + QString::number(QCoreApplication::applicationPid());
  return n == 0 ? name : name + u'_' + QString::number(n);
}

constexpr int kTries = 100;

// Drops the database, sessions and all. The drop is tried again for a
// while: the server refuses it while one of its own background workers
// (autovacuum) is on the database.
void dropOn(CKvDb& master, const QString& name) {
  const QString sql = QStringLiteral("DROP DATABASE IF EXISTS ") + name + QStringLiteral(" WITH (FORCE)");
  for (int attempt = 0; attempt < 50 && !master.GetBackend()->execute(sql, nullptr); ++attempt)
    QThread::msleep(200);
}
}  // namespace

KvBenchPgDatabase::KvBenchPgDatabase(const QString& prefix, const QString& setup) {
  info.m_strServer = env("PGHOST");
  if (!info.m_strServer.isEmpty() && !env("PGPORT").isEmpty())
    info.m_strServer += u',' + env("PGPORT");
  info.m_strUser = env("PGUSER");
  info.m_strPassword = env("PGPASSWORD");
  if (env("PGHOST").isEmpty() || !master.Open(QStringLiteral("master"), info))
    return;
  // Made under the name, so that nothing can take it in between: a name
  // that is there already is another's, and the next one is tried.
  KvDbBackend* admin = master.GetBackend();
  for (int n = 0; n < kTries && name.isEmpty(); ++n) {
    const QString next = candidate(prefix, n);
    if (admin->execute(QStringLiteral("CREATE DATABASE ") + next +
                           QStringLiteral(" TEMPLATE template0 ENCODING 'UTF8' LC_COLLATE 'C' LC_CTYPE 'C'"),
                       nullptr))
      name = next;
    else if (!master.DatabaseExists(next))
      return;
  }
  if (name.isEmpty() || !db.Open(name, info) || (!setup.isEmpty() && !db.GetBackend()->execute(setup, nullptr)))
    db.Close();
}

KvBenchPgDatabase::~KvBenchPgDatabase() {
  db.Close();
  if (!name.isEmpty())
    dropOn(master, name);
}

PGconn* KvBenchPgDatabase::raw() const { return dynamic_cast<KvPgBackend*>(db.GetBackend())->handle(); }

QString KvBenchFreeName(const CKvDbInfo& server, const QString& prefix) {
  CKvDb master(2);
  if (!master.Open(QStringLiteral("master"), server))
    return QString();
  for (int n = 0; n < kTries; ++n) {
    const QString name = candidate(prefix, n);
    auto rows = master.GetBackend()->query(
        QStringLiteral("SELECT count(*) FROM pg_database WHERE datname = '%1' OR left(datname, %2) = '%1_'")
            .arg(name)
            .arg(name.size() + 1),
        nullptr);
    if (!rows || rows->atEnd())
      return QString();
    if (rows->integer(0) == 0)
      return name;
  }
  return QString();
}

void KvBenchDropDatabase(const CKvDbInfo& server, const QString& name) {
  CKvDb master(2);
  if (!name.isEmpty() && master.Open(QStringLiteral("master"), server))
    dropOn(master, name);
}
