#pragma once
// Another workstation's save in flight: a second connection to the test's
// database begins a transaction, locks the tables of its save, runs its
// statements and commits from a thread a moment later. The write under test
// runs meanwhile and must wait for that commit and then see it.
//
//   KvStationInFlight other(testDb(), {"STD", "PC"}, {"Delete From STD ..."});
//   ASSERT_TRUE(other.Started());
//   EXPECT_FALSE(student.Delete());
//   EXPECT_TRUE(other.Committed());

#include <QStringList>

#include <memory>
#include <thread>

class CKvDb;
class KvDbTransaction;
class KvTestDb;

class KvStationInFlight {
 public:
  // Opens the second connection, begins, locks `locks` in the one lock order
  // and runs `statements`; when all of that held, the commit follows in
  // `delayMs` on a thread of its own, after `later` (unreported).
  KvStationInFlight(const KvTestDb& db, const QStringList& locks, const QStringList& statements,
                    int delayMs = 1000, const QStringList& later = {});
  // Waits for the commit's thread.
  ~KvStationInFlight();
  KvStationInFlight(const KvStationInFlight&) = delete;
  KvStationInFlight& operator=(const KvStationInFlight&) = delete;

  // True when the save began, locked and ran every statement, and its commit
  // is on its way.
  bool Started() const { return m_thread.joinable(); }
  // Waits for the commit; true when it kept the save.
  bool Committed();
  // The second connection, to read back what is stored once committed.
  CKvDb& connection() { return *m_db; }

 private:
  std::unique_ptr<CKvDb> m_db;
  std::unique_ptr<KvDbTransaction> m_transaction;
  std::thread m_thread;
  bool m_committed = false;
};
