#include "timetable/KvPkMenus.h"

#include "ui/CKvCommandRegistry.h"

#include <QAction>
#include <QMenu>

namespace {
QAction* findCommand(QMenu* menu, int id) {
  for (QAction* action : menu->actions())
    if (!action->isSeparator() && action->data().toInt() == id)
      return action;
  return nullptr;
}
}  // namespace

void KvPkRemoveCommand(QMenu* menu, int id) {
  if (QAction* action = findCommand(menu, id)) {
    menu->removeAction(action);
    action->deleteLater();
  }
}

void KvPkRemoveItemAt(QMenu* menu, int position) {
  const QList<QAction*> actions = menu->actions();
  if (position >= 0 && position < actions.size()) {
    menu->removeAction(actions[position]);
    actions[position]->deleteLater();
  }
}

void KvPkInsertCommand(QMenu* menu, int id, int beforeId, bool bSeparator) {
  QAction* before = findCommand(menu, beforeId);
  QAction* action = CKvCommandRegistry::Instance().CreateAction(id, menu);
  menu->insertAction(before, action);
  if (bSeparator)
    menu->insertSeparator(before);
}
