#pragma once
// Shows the wait cursor while it lives (QApplication's override cursor, so
// nested guards stack and each restores its own).

#include <QApplication>
#include <QCursor>

class KvWaitCursor {
 public:
  KvWaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
  ~KvWaitCursor() { QApplication::restoreOverrideCursor(); }
  KvWaitCursor(const KvWaitCursor&) = delete;
  KvWaitCursor& operator=(const KvWaitCursor&) = delete;
};
