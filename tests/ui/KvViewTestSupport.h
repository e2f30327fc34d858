#pragma once
// Helpers for the view tests: a main window whose work area holds document
// windows, and the application's shared print set while a test needs one.

#include "ui/KvListPrint.h"
#include "ui/KvUiTestSupport.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <utility>

// A main window with a work area; Place puts a view into a document window
// of its own, shows it active and runs the view's initial update.
class KvViewHost {
 public:
  KvViewHost() {
    window.setCentralWidget(area);
    window.resize(900, 600);
  }

  template <class View>
  QMdiSubWindow* Place(View* view, const QString& title, const QRect& geometry = QRect(10, 10, 420, 300)) {
    QMdiSubWindow* sub = area->addSubWindow(view);
    sub->setWindowTitle(title);
    sub->setGeometry(geometry);
    view->initialUpdate();
    sub->show();
    KvShowActive(&window);
    area->setActiveSubWindow(sub);
    view->setFocus();
    return sub;
  }

  QMainWindow window;
  QMdiArea* area = new QMdiArea;
};

// Makes `set` the application's shared print set while it lives.
class KvScopedAppPrintSet {
 public:
  explicit KvScopedAppPrintSet(CKvPrintSet* set)
      : m_previous(KvSetAppPrintSetProvider([set] { return set; })) {}
  ~KvScopedAppPrintSet() { KvSetAppPrintSetProvider(std::move(m_previous)); }
  KvScopedAppPrintSet(const KvScopedAppPrintSet&) = delete;
  KvScopedAppPrintSet& operator=(const KvScopedAppPrintSet&) = delete;

 private:
  KvAppPrintSetFn m_previous;
};
