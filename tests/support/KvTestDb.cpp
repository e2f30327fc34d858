#include "KvTestDb.h"

#include "KvTestEnv.h"
#include "core/KvDbBackend.h"
#include "core/KvMdbPassword.h"
#include "core/KvSqliteBackend.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <signal.h>
#include <utility>

namespace {
int nextNumber() {
  static int number = 0;
  return ++number;
}

QString env(const char* name) { return QString::fromLocal8Bit(qgetenv(name)); }

// The test databases whose names match the LIKE pattern; false when they
// cannot be listed.
bool listDatabases(CKvDb& admin, const QString& pattern, QStringList* names) {
  auto rows = admin.GetBackend()->query(
      QStringLiteral("SELECT datname FROM pg_database WHERE datname LIKE '") + pattern + u'\'', nullptr);
  for (; rows && !rows->atEnd(); rows->next())
    names->append(rows->text(0));
  return rows != nullptr;
}

// Drops the databases that match the pattern, sessions and all; false when
// one of them, or the list, fails.
bool dropDatabases(CKvDb& admin, const QString& pattern) {
  QStringList names;
  bool dropped = listDatabases(admin, pattern, &names);
  for (const QString& name : names)
    dropped = admin.GetBackend()->execute(
                  QStringLiteral("DROP DATABASE IF EXISTS ") + name + QStringLiteral(" WITH (FORCE)"), nullptr) &&
              dropped;
  return dropped;
}

// A database name as a LIKE pattern of itself.
QString likeName(QString name) { return name.replace(u'_', QStringLiteral("\\_")); }

// Drops the test databases left by processes of this host that no longer
// run (a test binary that crashed or was killed). Only on a server of this
// host, where the pid in the name is a process of this host; a database
// someone is still connected to is left, as a plain DROP refuses it.
void dropDeadProcessesDatabases(CKvDb& admin) {
  const auto local = admin.GetBackend()->query(
      QStringLiteral("SELECT CASE WHEN inet_server_addr() IS NULL OR "
                     "host(inet_server_addr()) IN ('127.0.0.1', '::1') THEN 1 ELSE 0 END"),
      nullptr);
  QStringList names;
  if (!local || local->atEnd() || local->integer(0) != 1 ||
      !listDatabases(admin, QStringLiteral("kvt\\_%"), &names))
    return;
  for (const QString& name : names) {
    bool ok = false;
    const qint64 pid = name.section(u'_', 1, 1).toLongLong(&ok);
    if (ok && pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
      admin.GetBackend()->execute(QStringLiteral("DROP DATABASE IF EXISTS ") + name, nullptr);
  }
}
}  // namespace

bool KvTestDbMustReachServer() { return KvTestUnderCi(); }

KvTestDb::KvTestDb(int kind) : m_kind(kind), m_db(kind), m_admin(2), m_info(kind) {}

KvTestDb::~KvTestDb() {
  m_db.Close();
  if (!m_created)
    return;
  if (m_kind == 0) {
    QFile::remove(m_name);
    QFile::remove(m_name + QStringLiteral("-journal"));
    return;
  }
  // The database and the copies the program made of it under its name and a
  // suffix (safety copies).
  const QString pattern = likeName(m_name) + u'%';
  if (m_admin.IsOpen() && dropDatabases(m_admin, pattern))
    return;
  // A test that ended this process's sessions ended the admin's too.
  CKvDb admin(2);
  if (admin.Open(QStringLiteral("master"), ServerInfo(2)))
    dropDatabases(admin, pattern);
}

CKvDbInfo KvTestDb::ServerInfo(int kind) {
  CKvDbInfo info(kind);
  if (kind == 1) {
    info.m_strServer = env("KV_TEST_ODBC_DSN");
  } else {
    info.m_strServer = env("PGHOST");
    if (!info.m_strServer.isEmpty() && !env("PGPORT").isEmpty())
      info.m_strServer += u',' + env("PGPORT");
  }
  info.m_strUser = env("PGUSER");
  info.m_strPassword = env("PGPASSWORD");
  return info;
}

bool KvTestDb::Create(QString* whyNot) {
  if (m_kind == 0) {
    QString folder = KvTestHome();
    if (folder.isEmpty())
      folder = QDir::tempPath();
    m_name = folder + QStringLiteral("/kvtest-%1-%2.xxd")
                          .arg(QCoreApplication::applicationPid())
                          .arg(nextNumber());
    std::unique_ptr<KvSqliteBackend> file = KvSqliteBackend::create(m_name);
    if (!file || !file->setPasswordDigest(KvMdbPasswordDigest(KvGetStdMdbPassword()))) {
      if (whyNot)
        *whyNot = QStringLiteral("cannot create ") + m_name;
      return false;
    }
    m_created = true;
    file.reset();
    m_info = CKvDbInfo(0);
  } else if (!CreateServerDatabase(whyNot)) {
    return false;
  }
  if (!m_db.Open(m_name, m_info)) {
    if (whyNot)
      *whyNot = QStringLiteral("cannot open ") + m_name;
    return false;
  }
  return true;
}

bool KvTestDb::CreateServerDatabase(QString* whyNot) {
  const auto fail = [whyNot](const QString& reason) {
    if (whyNot)
      *whyNot = reason;
    return false;
  };
  if (m_kind == 1 && env("KV_TEST_ODBC_DSN").isEmpty())
    return fail(QStringLiteral("KV_TEST_ODBC_DSN is not set"));
  if (!m_admin.Open(QStringLiteral("master"), ServerInfo(2)))
    return fail(QStringLiteral("cannot connect to PostgreSQL (PGHOST ") + env("PGHOST") + u')');
  static bool swept = false;
  if (!std::exchange(swept, true))
    dropDeadProcessesDatabases(m_admin);
  m_name = QStringLiteral("kvt_%1_%2_%3")
               .arg(QCoreApplication::applicationPid())
               .arg(nextNumber())
               .arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'));
  QString error;
  if (!m_admin.GetBackend()->execute(QStringLiteral("CREATE DATABASE ") + m_name +
                                         QStringLiteral(" TEMPLATE template0 ENCODING 'UTF8' "
                                                        "LC_COLLATE 'C' LC_CTYPE 'C'"),
                                     &error))
    return fail(QStringLiteral("cannot create database: ") + error);
  m_created = true;
  m_info = ServerInfo(m_kind);
  return true;
}

bool KvTestDb::ServerReachable() {
  const CKvDbInfo server = ServerInfo(2);
  CKvDb admin(2);
  return !server.m_strServer.isEmpty() && admin.Open(QStringLiteral("master"), server);
}

QString KvTestDb::FreshServerFileName(int year) {
  const QString name = QStringLiteral("xxd%1%2")
                           .arg(QRandomGenerator::global()->bounded(1, 10000), 4, 10, QChar(u'0'))
                           .arg(year);
  CKvDb admin(2);
  admin.DropDatabase(name, ServerInfo(2));
  return name;
}

void KvTestDb::DropDatabasesOf(const QList<qint64>& pids) {
  CKvDb admin(2);
  const CKvDbInfo server = ServerInfo(2);
  if (pids.isEmpty() || server.m_strServer.isEmpty() || !admin.Open(QStringLiteral("master"), server))
    return;
  for (const qint64 pid : pids)
    dropDatabases(admin, QStringLiteral("kvt\\_%1\\_%").arg(pid));
}

bool KvTestDb::OpenAnother(CKvDb& other) const {
  other.SetKind(m_kind);
  return other.Open(m_name, m_info);
}

void KvDbKindTest::SetUp() {
  m_testDb = std::make_unique<KvTestDb>(GetParam());
  KV_CREATE_TEST_DB(*m_testDb);
}

void KvDbKindTest::TearDown() { m_testDb.reset(); }

std::string KvDbKindName(const ::testing::TestParamInfo<int>& info) {
  switch (info.param) {
    case 0: return "Sqlite";
    case 1: return "Odbc";
    case 2: return "Pg";
    default: return "Kind" + std::to_string(info.param);
  }
}
