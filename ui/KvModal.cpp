#include "ui/KvModal.h"

#include <QAction>
#include <QDialog>
#include <QMenu>

#include <utility>

namespace {
KvDialogExecFn& dialogExec() {
  static KvDialogExecFn fn;
  return fn;
}
KvPopupMenuExecFn& popupExec() {
  static KvPopupMenuExecFn fn;
  return fn;
}
}  // namespace

int KvExecDialog(QDialog* dialog) {
  if (!dialog)
    return 0;
  if (const KvDialogExecFn fn = dialogExec())
    return fn(dialog);
  return dialog->exec();
}

QAction* KvExecPopupMenu(QMenu* menu, const QPoint& globalPos) {
  if (!menu)
    return nullptr;
  const KvPopupMenuExecFn fn = popupExec();
  if (!fn)
    return menu->exec(globalPos);
  QAction* chosen = fn(menu, globalPos);
  if (!chosen || !chosen->isEnabled() || chosen->isSeparator())
    return nullptr;
  chosen->trigger();
  return chosen;
}

KvDialogExecFn KvSetDialogExec(KvDialogExecFn fn) { return std::exchange(dialogExec(), std::move(fn)); }

KvPopupMenuExecFn KvSetPopupMenuExec(KvPopupMenuExecFn fn) {
  return std::exchange(popupExec(), std::move(fn));
}
