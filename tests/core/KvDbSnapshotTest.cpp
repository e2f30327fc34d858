// The read guard: reads under it see one state of the data while another
// connection writes, on each back-end kind.

#include "core/CKvDb.h"
#include "core/KvDbSnapshot.h"
#include "core/KvDbTransaction.h"
#include "support/KvTestDb.h"

#include <gtest/gtest.h>

#include <QThread>
#include <thread>

class KvDbSnapshotTest : public KvDbKindTest {
 protected:
  QList<int> Counts() {
    return {db().GetLong(QStringLiteral("Select Count(*) From A")),
            db().GetLong(QStringLiteral("Select Count(*) From B"))};
  }
};

TEST_P(KvDbSnapshotTest, ReadsSeeOneStateWhileAnotherConnectionWritesAPair) {
  for (const char* table : {"A", "B"})
    ASSERT_TRUE(db().Execute(QStringLiteral("Create Table %1(N \x07Long\x08)").arg(QLatin1String(table))));
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into A(N) Values(1)")));
  CKvDb writer;
  ASSERT_TRUE(testDb().OpenAnother(writer));

  bool wrote = false;
  std::thread pair;
  {
    KvDbSnapshot snapshot(db());
    ASSERT_TRUE(snapshot.IsActive());
    const QList<int> before = Counts();
    EXPECT_EQ(before, (QList<int>{1, 0}));
    // One row into each table in one transaction. On SQLite the commit
    // waits for the snapshot to end; on the server it goes through now.
    pair = std::thread([&] {
      KvDbTransaction transaction(writer);
      wrote = writer.Execute(QStringLiteral("Insert Into A(N) Values(2)"), QString(), 128, false) &&
              writer.Execute(QStringLiteral("Insert Into B(N) Values(2)"), QString(), 128, false) &&
              transaction.Commit();
    });
    QThread::msleep(300);
    EXPECT_EQ(Counts(), before);
    if (kind() != 0) {  // read only on the server
      EXPECT_FALSE(db().Execute(QStringLiteral("Insert Into A(N) Values(3)"), QString(), 128, false));
    }
    EXPECT_EQ(Counts(), before);
  }
  pair.join();
  EXPECT_TRUE(wrote);
  EXPECT_EQ(db().TransactionDepth(), 0);
  EXPECT_EQ(Counts(), (QList<int>{2, 1}));

  // Inside a transaction it is a level of that transaction.
  KvDbTransaction outer(db());
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into B(N) Values(4)")));
  {
    KvDbSnapshot inner(db());
    EXPECT_TRUE(inner.IsActive());
    EXPECT_EQ(Counts(), (QList<int>{2, 2}));
  }
  EXPECT_EQ(db().TransactionDepth(), 1);
  EXPECT_TRUE(outer.Commit());
  EXPECT_EQ(Counts(), (QList<int>{2, 2}));
}

KV_DB_KIND_TEST_SUITE(KvDbSnapshotTest);
