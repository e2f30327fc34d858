// The main of every test binary: no window reaches a screen, settings and data
// go to a fresh temporary folder (removed at the end), and every message box
// is recorded and answered with its default instead of blocking.

#include "core/KvConst.h"
#include "core/KvMessage.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // A worker (the binary re-run by a test) keeps its folder inside its
  // parent's, so that the parent removes it also when it kills the worker.
  const QString parentHome = qEnvironmentVariable("KV_TEST_HOME");
  QTemporaryDir home(parentHome.isEmpty() ? QDir::tempPath() + QStringLiteral("/kvtest-XXXXXX")
                                          : parentHome + QStringLiteral("/worker-XXXXXX"));
  if (!home.isValid())
    return 2;
  const QString root = home.path();
  for (const char* sub : {"config", "data", "cache", "runtime"})
    QDir(root).mkpath(QString::fromLatin1(sub));
  QFile::setPermissions(root + QStringLiteral("/runtime"),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + QStringLiteral("/config")));
  qputenv("XDG_DATA_HOME", QFile::encodeName(root + QStringLiteral("/data")));
  qputenv("XDG_CACHE_HOME", QFile::encodeName(root + QStringLiteral("/cache")));
  qputenv("XDG_RUNTIME_DIR", QFile::encodeName(root + QStringLiteral("/runtime")));
  qputenv("KV_TEST_HOME", QFile::encodeName(root));
  // A worker's temporary folders (a fixture's, the program's) go inside its
  // own folder too: a killed worker never removes them itself.
  if (!parentHome.isEmpty())
    qputenv("TMPDIR", QFile::encodeName(root));

  QApplication app(argc, argv);
  QApplication::setOrganizationName(QString::fromLatin1(kv::kOrganisation));
  QApplication::setApplicationName(QString::fromLatin1(kv::kProductKey));
  KvMessageRecorder recorder;

  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
