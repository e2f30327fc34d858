#include "KvTestWorkers.h"

#include "KvTestDb.h"
#include "KvTestEnv.h"
#include "core/CKvDb.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcessEnvironment>
#include <QThread>

#include <cstdio>
#include <unistd.h>

KvTestWorkers::KvTestWorkers(const char* variable, const QStringList& requests) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const QString filter = QStringLiteral("--gtest_filter=") + QString::fromUtf8(test->test_suite_name()) + u'.' +
                         QString::fromUtf8(test->name());
  static int started = 0;
  for (const QString& request : requests) {
    auto worker = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(variable), request);
    m_tokens.append(KvTestRunToken() + u'w' + QString::number(++started));
    environment.insert(QString::fromLatin1(kKvTestRunVariable), m_tokens.last());
    worker->setProcessEnvironment(environment);
    worker->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    worker->start(QCoreApplication::applicationFilePath(), {filter});
    m_workers.push_back(std::move(worker));
    m_output.emplace_back();
  }
}

KvTestWorkers::~KvTestWorkers() {
  for (int i = 0; i < size(); ++i) {
    QProcess& worker = process(i);
    if (worker.state() != QProcess::NotRunning) {
      worker.kill();
      worker.waitForFinished(30000);
    }
    m_output[size_t(i)] += worker.readAllStandardOutput();
    // Only names of the worker's own token: its output is no command.
    const QString own = QStringLiteral("kvt_") + m_tokens.at(i) + u'_';
    for (const QByteArray& line : Lines(i, "DATABASE ")) {
      const QString name = QString::fromLatin1(line);
      if (name.startsWith(own))
        KvTestDb::DropOnServer(name, worker.exitStatus() == QProcess::CrashExit);
    }
  }
}

bool KvTestWorkers::WaitFor(int i, const QByteArray& text) {
  QByteArray& output = m_output[size_t(i)];
  while (!output.contains(text)) {
    if (!process(i).waitForReadyRead(60000))
      return false;
    output += process(i).readAllStandardOutput();
  }
  return true;
}

int KvTestWorkers::FirstNotReady() {
  for (int i = 0; i < size(); ++i)
    if (!WaitFor(i, "KV-WORKER READY"))
      return i;
  return -1;
}

void KvTestWorkers::Go() {
  for (auto& worker : m_workers)
    worker->write("g");
  for (auto& worker : m_workers)
    worker->waitForBytesWritten(10000);
}

bool KvTestWorkers::Finish(int i) {
  process(i).closeWriteChannel();
  const bool ended = process(i).waitForFinished(120000);
  m_output[size_t(i)] += process(i).readAllStandardOutput();
  return ended;
}

void KvTestWorkers::Kill(int i, int kind) {
  QProcess& worker = process(i);
  if (worker.state() == QProcess::NotRunning)
    return;
  const qint64 pid = worker.processId();
  worker.kill();
  worker.waitForFinished(60000);
  CKvDb master(2);
  if (kind == 0 || !master.Open(QStringLiteral("master"), KvTestDb::ServerInfo(2)))
    return;
  const QString sessions =
      QStringLiteral("Select Count(*) From pg_stat_activity Where application_name Like 'kv|%1|%'").arg(pid);
  for (int wait = 0; wait < 400 && master.GetLong(sessions) > 0; ++wait)
    QThread::msleep(25);
}

QList<QByteArray> KvTestWorkers::Lines(int i, const QByteArray& prefix) const {
  const QByteArray start = "KV-WORKER " + prefix;
  QList<QByteArray> lines;
  for (const QByteArray& line : output(i).split('\n'))
    if (line.startsWith(start))
      lines.append(line.mid(start.size()).trimmed());
  return lines;
}

QString KvTestWorkerRequest(const char* variable) { return QString::fromUtf8(qgetenv(variable)); }

void KvTestWorkerSay(const QByteArray& text) {
  std::printf("\nKV-WORKER %s\n", text.constData());
  std::fflush(stdout);
}

bool KvTestWorkerWaitForGo() {
  char go = 0;
  return ::read(STDIN_FILENO, &go, 1) == 1;
}
