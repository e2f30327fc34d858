// The support drops only its own server databases: a set of data files is
// never one a database already uses, which survives the set's drop; a
// killed worker's databases are dropped, and a worker that ended leaves none.

#include "support/KvTestDb.h"
#include "support/KvTestServerFiles.h"
#include "support/KvTestWorkers.h"

#include "core/KvDbBackend.h"

#include <QRandomGenerator>
#include <QScopeGuard>

TEST(KvTestSupport, SetsAndWorkersDropOnlyTheirOwnDatabases) {
  if (!KvTestWorkerRequest("KV_TEST_SUPPORT_WORKER").isEmpty()) {
    KvTestDb own(2);
    if (own.Create())
      KvTestWorkerSay("READY"), KvTestWorkerWaitForGo();
    return;
  }
  KV_REQUIRE_PG_SERVER();
  CKvDb admin(2);
  ASSERT_TRUE(admin.Open(QStringLiteral("master"), KvTestDb::ServerInfo(2)));
  const auto answer = [&](const QString& sql) {
    auto rows = admin.GetBackend()->query(sql, nullptr);
    return rows && !rows->atEnd() ? rows->integer(0) : -1;
  };
  const auto exists = [&](const QString& name) {
    return answer(QStringLiteral("SELECT count(*) FROM pg_database WHERE datname = '%1'").arg(name)) != 0;
  };
  QStringList made;  // dropped by their exact names however the test ends
  const auto dropMade = qScopeGuard([&] {
    for (const QString& name : std::as_const(made))
      admin.GetBackend()->execute(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name), nullptr);
  });

  // A set this session holds, as another run would, and a school's data
  // file in a set nobody used, made under the set's lock.
  QList<int> sets;
  for (int tries = 0; tries < 500 && sets.size() < 2; ++tries) {
    const int set = QRandomGenerator::global()->bounded(1, 10000);
    const QString name = QStringLiteral("xxd%1").arg(set, 4, 10, QChar(u'0'));
    if (answer(QStringLiteral("SELECT CASE WHEN pg_try_advisory_lock(%1, %2) THEN 1 ELSE 0 END")
                   .arg(KvTestServerFiles::kLockClass)
                   .arg(set)) != 1 ||
        answer(QStringLiteral("SELECT count(*) FROM pg_database WHERE left(datname, 7) = '%1'").arg(name)) != 0)
      continue;
    sets.append(set);
    if (sets.size() == 2) {
      made.append(name + QStringLiteral("2024"));
      ASSERT_TRUE(admin.GetBackend()->execute(QStringLiteral("CREATE DATABASE ") + made.last(), nullptr));
      answer(QStringLiteral("SELECT 1 FROM pg_advisory_unlock(%1, %2)").arg(KvTestServerFiles::kLockClass).arg(set));
    }
  }
  ASSERT_EQ(sets.size(), 2);
  for (int offered : sets) {
    QString taken;
    {
      KvTestServerFiles files;
      ASSERT_TRUE(files.Take(nullptr, offered));
      EXPECT_NE(files.set().toInt(), offered);
      made.append(taken = files.Name(2025));
      ASSERT_TRUE(admin.GetBackend()->execute(QStringLiteral("CREATE DATABASE ") + taken, nullptr));
    }
    EXPECT_FALSE(exists(taken));
    EXPECT_TRUE(exists(made.first()));
  }

  // Each worker makes a database: the one killed cannot drop it, the other
  // drops it as it ends.
  QStringList ownOfWorkers;
  {
    KvTestWorkers workers("KV_TEST_SUPPORT_WORKER", {QStringLiteral("killed"), QStringLiteral("ends")});
    ASSERT_EQ(workers.FirstNotReady(), -1);
    workers.Kill(0, 2);
    ASSERT_TRUE(workers.Finish(1));
    for (int i = 0; i < 2; ++i)
      for (const QByteArray& name : workers.Lines(i, "DATABASE "))
        ownOfWorkers.append(QString::fromLatin1(name));
    made += ownOfWorkers;
    ASSERT_EQ(ownOfWorkers.size(), 2);
  }
  EXPECT_FALSE(exists(ownOfWorkers.first()) || exists(ownOfWorkers.last()));
}
