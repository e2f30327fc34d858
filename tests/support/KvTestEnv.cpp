#include "KvTestEnv.h"

#include <QFile>
#include <QRandomGenerator>

QString KvTestHome() { return QFile::decodeName(qgetenv("KV_TEST_HOME")); }

bool KvTestUnderCi() { return !qgetenv("CI").isEmpty(); }

QString KvTestRunToken() {
  static const QString token = KvTestIsWorker()
                                   ? qEnvironmentVariable(kKvTestRunVariable)
                                   : QString::number(QRandomGenerator::system()->generate64() >> 16, 16)
                                         .rightJustified(12, u'0');
  return token;
}

bool KvTestIsWorker() { return !qEnvironmentVariableIsEmpty(kKvTestRunVariable); }
