#include "KvTestEnv.h"

#include <QFile>

QString KvTestHome() { return QFile::decodeName(qgetenv("KV_TEST_HOME")); }

bool KvTestUnderCi() { return !qgetenv("CI").isEmpty(); }
