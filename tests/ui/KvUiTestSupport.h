#pragma once
// Helpers for widget tests: scoped replacements of the modal seams and the
// calculator, showing a window with the keyboard focus, and the tip's text.

#include "ui/KvCalculatorHook.h"
#include "ui/KvModal.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QToolTip>
#include <QWidget>

#include <utility>

// Runs dialogs through `fn` while it lives.
class KvScopedDialogExec {
 public:
  explicit KvScopedDialogExec(KvDialogExecFn fn) : m_previous(KvSetDialogExec(std::move(fn))) {}
  ~KvScopedDialogExec() { KvSetDialogExec(std::move(m_previous)); }
  KvScopedDialogExec(const KvScopedDialogExec&) = delete;
  KvScopedDialogExec& operator=(const KvScopedDialogExec&) = delete;

 private:
  KvDialogExecFn m_previous;
};

// Tracks popup menus through `fn` while it lives.
class KvScopedPopupMenuExec {
 public:
  explicit KvScopedPopupMenuExec(KvPopupMenuExecFn fn)
      : m_previous(KvSetPopupMenuExec(std::move(fn))) {}
  ~KvScopedPopupMenuExec() { KvSetPopupMenuExec(std::move(m_previous)); }
  KvScopedPopupMenuExec(const KvScopedPopupMenuExec&) = delete;
  KvScopedPopupMenuExec& operator=(const KvScopedPopupMenuExec&) = delete;

 private:
  KvPopupMenuExecFn m_previous;
};

// Installs a calculator while it lives (none afterwards).
class KvScopedCalculator {
 public:
  explicit KvScopedCalculator(KvCalculatorFn fn) { KvSetCalculator(std::move(fn)); }
  ~KvScopedCalculator() { KvSetCalculator(nullptr); }
  KvScopedCalculator(const KvScopedCalculator&) = delete;
  KvScopedCalculator& operator=(const KvScopedCalculator&) = delete;
};

// The menu's action of command `id`; null when it has none.
inline QAction* KvMenuAction(const QMenu* menu, int id) {
  for (QAction* action : menu->actions()) {
    if (action->data().toInt() == id)
      return action;
  }
  return nullptr;
}

// Shows the window and waits until it is the active window.
inline bool KvShowActive(QWidget* window) {
  window->show();
  window->activateWindow();
  return QTest::qWaitForWindowActive(window);
}

// The text the visible tool tip shows, as the operator reads it (a tip
// reads a text that looks like markup as rich text); empty when none shows.
inline QString KvShownTip() {
  if (!QToolTip::isVisible())
    return QString();
  const QString text = QToolTip::text();
  return Qt::mightBeRichText(text) ? QTextDocumentFragment::fromHtml(text).toPlainText() : text;
}
