#pragma once
// Copies of the running test binary standing in for other workstations.
// Each worker runs the same test, filtered to it, and finds its request in
// an environment variable; it reports on lines "KV-WORKER <text>" of its
// standard output and waits for a go byte on its input before the step the
// workers contend for. Each worker gets a run token of its own
// (KvTestRunToken), and says "KV-WORKER DATABASE <name>" before it makes a
// server database (KvTestDb).
//
//   TEST_P(MyTest, TwoAtOnce) {
//     const QString request = KvTestWorkerRequest("KV_TEST_MY_WORKER");
//     if (!request.isEmpty())
//       return serveAsWorker(request);  // says READY, waits for the go
//     KvTestWorkers workers("KV_TEST_MY_WORKER", {"a", "b"});
//     ASSERT_EQ(workers.FirstNotReady(), -1);
//     workers.Go();
//     ...
//   }

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class KvTestWorkers {
 public:
  // Starts one worker per request.
  KvTestWorkers(const char* variable, const QStringList& requests);
  // Kills the workers still running and drops the server databases each
  // said it made: those of a killed worker sessions and all (it never drops
  // its own), those of a worker that ended by itself only when nobody uses
  // them any more.
  ~KvTestWorkers();
  KvTestWorkers(const KvTestWorkers&) = delete;
  KvTestWorkers& operator=(const KvTestWorkers&) = delete;

  int size() const { return int(m_workers.size()); }
  QProcess& process(int i) { return *m_workers[size_t(i)]; }
  // What worker i has said so far.
  const QByteArray& output(int i) const { return m_output[size_t(i)]; }
  // Reads worker i's output until it holds text; false when the worker ends,
  // or a minute passes, first.
  bool WaitFor(int i, const QByteArray& text);
  // Waits for every worker's "KV-WORKER READY": the index of the first that
  // ended without it, or -1.
  int FirstNotReady();
  // Sends every worker the go byte before waiting for any of them, so that
  // they start together (QProcess writes only while it is waited on).
  void Go();
  // Closes worker i's input, waits for its end and reads the rest of its
  // output; false when it does not end within two minutes.
  bool Finish(int i);
  // Kills worker i (SIGKILL) and waits for its end; on a server (kinds 1
  // and 2) also for the sessions it left, whose last statement may still
  // be running.
  void Kill(int i, int kind);
  // The rest of each line "KV-WORKER <prefix>..." worker i said.
  QList<QByteArray> Lines(int i, const QByteArray& prefix) const;

 private:
  std::vector<std::unique_ptr<QProcess>> m_workers;
  std::vector<QByteArray> m_output;
  QStringList m_tokens;
};

// The worker's side. The request of this process; empty when it is no
// worker.
QString KvTestWorkerRequest(const char* variable);
// Says "KV-WORKER <text>" on a line of its own.
void KvTestWorkerSay(const QByteArray& text);
// Waits for the parent's go byte; false when the input ends first.
bool KvTestWorkerWaitForGo();
