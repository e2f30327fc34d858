#pragma once
// The modeless "please wait" window of long operations (window 802): a small
// frameless window on top of the others, centred, showing the wait picture.
// Show puts up the window and the wait cursor; both go away when the object
// is destroyed, so a long operation shows it at its start and is rid of it on
// every path out.

#include "ui/KvWaitCursor.h"

#include <QPointer>
#include <memory>

class QWidget;

class CKvWaitWnd {
 public:
  CKvWaitWnd() = default;
  ~CKvWaitWnd();
  CKvWaitWnd(const CKvWaitWnd&) = delete;
  CKvWaitWnd& operator=(const CKvWaitWnd&) = delete;

  // Begins the wait cursor, creates the window (once), centres it on the
  // parent's window (on the screen without one) and shows and paints it at
  // once.
  void Show(QWidget* parent = nullptr);
  // Shows the window again and paints it.
  void Reshow();
  // Hides the window and repaints what was under it; the wait cursor stays
  // until the object is destroyed.
  void Hide();

  // The window; null before Show.
  QWidget* Window() const { return m_window; }

 private:
  void paintNow();

  QPointer<QWidget> m_window;
  std::unique_ptr<KvWaitCursor> m_cursor;
};
