#include "KvTestDb.h"

#include "KvTestEnv.h"
#include "KvTestWorkers.h"
#include "core/KvDbBackend.h"
#include "core/KvMdbPassword.h"
#include "core/KvSqliteBackend.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QThread>

namespace {
int nextNumber() {
  static int number = 0;
  return ++number;
}

QString env(const char* name) { return QString::fromLocal8Bit(qgetenv(name)); }

// Drops one database, its sessions first with `force`. A drop is tried
// again for a while: the server refuses a forced drop while one of its own
// background workers (autovacuum) is on the database, and a plain drop while
// the sessions of a process that just ended are still closing.
bool dropDatabase(CKvDb& admin, QString database, bool force) {
  const QString sql = QStringLiteral("DROP DATABASE IF EXISTS \"") + database.replace(u'"', QStringLiteral("\"\"")) +
                      u'"' + (force ? QStringLiteral(" WITH (FORCE)") : QString());
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (admin.GetBackend()->execute(sql, nullptr))
      return true;
    QThread::msleep(200);
  }
  return false;
}

// Drops the databases whose names begin with `name`, their sessions first
// with `force`; false when the list or a drop fails.
bool dropBeginning(CKvDb& admin, const QString& name, bool force) {
  QStringList names;
  auto rows = admin.GetBackend()->query(QStringLiteral("SELECT datname FROM pg_database WHERE left(datname, %1) = '%2'")
                                            .arg(name.size())
                                            .arg(admin.QuoteText(name)),
                                        nullptr);
  for (; rows && !rows->atEnd(); rows->next())
    names.append(rows->text(0));
  bool dropped = rows != nullptr;
  for (const QString& database : std::as_const(names))
    dropped = dropDatabase(admin, database, force) && dropped;
  return dropped;
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
  // A test that ended this process's sessions ended the admin's too.
  if (!m_admin.IsOpen() || !dropBeginning(m_admin, m_name, true))
    DropOnServer(m_name, true);
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
  } else {
    return CreateServerDatabase(whyNot);
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
  // Six digits: no name of the run begins with another one.
  m_name = QStringLiteral("kvt_%1_%2").arg(KvTestRunToken()).arg(nextNumber(), 6, 10, QChar(u'0'));
  // Said before it is made: a worker killed at any moment after leaves it to
  // its parent.
  if (KvTestIsWorker())
    KvTestWorkerSay("DATABASE " + m_name.toLatin1());
  // Dropped at the end by its name should it be made but not opened.
  m_created = true;
  m_info = ServerInfo(m_kind);
  // Made and opened as the program makes a database: its open asks the
  // empty database for no year's mark.
  if (!m_db.CreateDatabase(m_name, m_info))
    return fail(QStringLiteral("cannot create or open database: ") + m_db.GetServerError());
  return true;
}

bool KvTestDb::ServerReachable() {
  const CKvDbInfo server = ServerInfo(2);
  CKvDb admin(2);
  return !server.m_strServer.isEmpty() && admin.Open(QStringLiteral("master"), server);
}

bool KvTestDb::DropOnServer(const QString& name, bool force) {
  CKvDb admin(2);
  const CKvDbInfo server = ServerInfo(2);
  return !name.isEmpty() && !server.m_strServer.isEmpty() && admin.Open(QStringLiteral("master"), server) &&
         dropBeginning(admin, name, force);
}

bool KvTestDb::OpenAnother(CKvDb& other) const {
  other.SetKind(m_kind);
  return other.Open(m_name, m_info);
}

bool KvTestDb::EndSessions() {
  return m_kind != 0 && m_admin.IsOpen() &&
         m_admin.GetBackend()->execute(QStringLiteral("SELECT pg_terminate_backend(pid, 10000) FROM pg_stat_activity "
                                                      "WHERE datname='%1' AND backend_type='client backend'")
                                           .arg(m_name),
                                       nullptr);
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
