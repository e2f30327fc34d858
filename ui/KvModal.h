#pragma once
// The two places where the program waits for the user: running a modal
// dialog and tracking a popup menu. Both can be replaced (tests install a
// function that answers at once, and put the previous one back afterwards),
// so nothing ever blocks where no one can answer.

#include <QPoint>
#include <functional>

class QAction;
class QDialog;
class QMenu;

using KvDialogExecFn = std::function<int(QDialog*)>;
using KvPopupMenuExecFn = std::function<QAction*(QMenu*, const QPoint&)>;

// Runs the dialog modally and returns its result (QDialog::exec by default).
int KvExecDialog(QDialog* dialog);

// Tracks the popup menu at the global point and returns the chosen action,
// null when none was chosen (QMenu::exec by default). As with QMenu::exec,
// the chosen action has been triggered. An installed function that returns
// a disabled action counts as no choice, as a user cannot choose one.
QAction* KvExecPopupMenu(QMenu* menu, const QPoint& globalPos);

// Install a replacement; each returns the one that was in place. An empty
// function restores the default.
KvDialogExecFn KvSetDialogExec(KvDialogExecFn fn);
KvPopupMenuExecFn KvSetPopupMenuExec(KvPopupMenuExecFn fn);
