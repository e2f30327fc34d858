#include "ui/KvLockWaitCursor.h"

#include "core/KvLockWaitHook.h"

#include <QApplication>
#include <QCursor>
#include <QThread>

void KvInstallLockWaitCursor() {
  KvSetLockWaitHandler([](bool bWaiting) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()) ||
        QThread::currentThread() != QCoreApplication::instance()->thread())
      return;
    if (bWaiting)
      QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
      QApplication::restoreOverrideCursor();
  });
}
