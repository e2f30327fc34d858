#include "ui/KvMenus.h"

#include "ui/CKvCommandRegistry.h"
#include "ui/CKvCommandRouter.h"
#include "ui/KvCommandTarget.h"
#include "ui/KvCommands.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>

QList<KvMenuItem> KvMenuItems(int menuId) {
  const KvMenuItem separator;
  switch (menuId) {
    case KV_MENU_LIST:
      return {{KV_CMD_NEW, {}},
              {KV_CMD_OPEN, {}},
              {KV_CMD_MODIFY, {}},
              {KV_CMD_DELETE, {}},
              separator,
              {KV_CMD_EDIT_CUT, {}},
              {KV_CMD_EDIT_COPY, {}},
              {KV_CMD_EDIT_PASTE, {}},
              {KV_CMD_EDIT_SELECT_ALL, {}},
              {KV_CMD_INVERT_SELECTION, {}},
              {KV_CMD_EDIT_FIND, {}},
              {KV_CMD_EDIT_FIND_NEXT, {}},
              separator,
              {KV_CMD_CALCULATOR, {}},
              separator,
              {KV_CMD_FILE_SAVE_AS, {}},
              {KV_CMD_FILE_PRINT, {}},
              {KV_CMD_FILE_PAGE_SETUP, {}},
              {KV_CMD_FILE_PRINT_SETUP, {}},
              separator,
              {KV_CMD_VIEW_LARGE_ICONS, {}},
              {KV_CMD_VIEW_SMALL_ICONS, {}},
              {KV_CMD_VIEW_LIST, {}},
              {KV_CMD_VIEW_DETAILS, {}}};
    case KV_MENU_DIALOG:
      return {{KV_CMD_HELP, {}}, {KV_CMD_CALCULATOR, QStringLiteral("计算器\tF12")}};
    case KV_MENU_TREE:
      return {{KV_CMD_NEW, {}},
              {KV_CMD_OPEN, {}},
              {KV_CMD_MODIFY, {}},
              {KV_CMD_DELETE, {}},
              separator,
              {KV_CMD_EDIT_CUT, {}},
              {KV_CMD_EDIT_COPY, {}},
              {KV_CMD_EDIT_PASTE, {}},
              separator,
              {KV_CMD_EDIT_FIND, {}},
              {KV_CMD_EDIT_FIND_NEXT, {}},
              separator,
              {KV_CMD_CALCULATOR, {}}};
    case KV_MENU_WORD_COMBO:
      return {{KV_CMD_SAVE_WORD, {}}, {KV_CMD_DELETE_WORD, {}}};
    case KV_MENU_FORM:
      return {{KV_CMD_EDIT_CUT, {}},
              {KV_CMD_EDIT_COPY, {}},
              {KV_CMD_EDIT_PASTE, {}},
              {KV_CMD_PASTE_MANY, {}},
              {KV_CMD_PASTE_COLUMN, {}},
              {KV_CMD_INSERT_ROW, {}},
              {KV_CMD_APPEND_ROW, {}},
              {KV_CMD_DELETE, QStringLiteral("删除(D)\tDelete")},
              {KV_CMD_EDIT_SELECT_ALL, QStringLiteral("全选(&L)\tCtrl+A")},
              separator,
              {KV_CMD_EDIT_FIND, QStringLiteral("查找(&F)...\tCtrl+F")},
              {KV_CMD_EDIT_FIND_NEXT, QStringLiteral("查找下一个(&I)\tF3")},
              {KV_CMD_EDIT_REPLACE, {}}};
    default:
      return {};
  }
}

QString KvMenuTitle(int menuId) {
  switch (menuId) {
    case KV_MENU_LIST: return QStringLiteral("列表框右键菜单");
    case KV_MENU_DIALOG: return QStringLiteral("对话框右键菜单");
    case KV_MENU_TREE: return QStringLiteral("树视右键菜单");
    case KV_MENU_WORD_COMBO: return QStringLiteral("具有存词功能的组合框");
    case KV_MENU_FORM: return QStringLiteral("表格右键菜单");
    default: return QString();
  }
}

QMenu* KvBuildPopupMenu(int menuId, QWidget* parent) {
  auto* menu = new QMenu(KvMenuTitle(menuId), parent);
  menu->setObjectName(KvMenuObjectName(menuId));
  const CKvCommandRegistry& registry = CKvCommandRegistry::Instance();
  for (const KvMenuItem& item : KvMenuItems(menuId)) {
    if (item.id == 0) {
      menu->addSeparator();
      continue;
    }
    QAction* action = registry.CreateAction(item.id, menu);
    if (!item.caption.isEmpty())
      action->setText(item.caption);
    menu->addAction(action);
  }
  return menu;
}

void KvEnableMenuItems(QMenu* menu, KvCommandTarget* receiver) {
  if (!menu)
    return;
  for (QAction* action : menu->actions()) {
    const int id = KvActionCommandId(action);
    if (id != 0 && !action->menu())
      action->setEnabled(KvCmdEnabled(receiver, id));
  }
}

int KvTrackPopupMenu(QMenu* menu, const QPoint& globalPos, KvCommandTarget* receiver) {
  if (!menu || !receiver)
    return 0;
  KvEnableMenuItems(menu, receiver);
  const int id = KvActionCommandId(KvExecPopupMenu(menu, globalPos));
  // A command refused in the meantime (the menu ran an event loop) is not run.
  if (id == 0 || !KvCmdEnabled(receiver, id))
    return 0;
  receiver->ExecuteCmd(id);
  KvCommandsChanged();
  return id;
}

namespace {
// The registry's action of each command id, 0 standing for a separator.
template <typename Bar>
void addCommands(Bar* bar, const QList<int>& ids) {
  CKvCommandRouter* router = CKvCommandRouter::Instance();
  for (int id : ids) {
    if (id == 0)
      bar->addSeparator();
    else
      bar->addAction(router->Action(id));
  }
}
}  // namespace

QMenu* KvBuildCommandMenu(int menuId, const QString& title, const QList<int>& ids,
                          QWidget* parent) {
  auto* menu = new QMenu(title, parent);
  menu->setObjectName(KvMenuObjectName(menuId));
  addCommands(menu, ids);
  CKvCommandRouter::Instance()->WatchMenu(menu);
  return menu;
}

QToolBar* KvBuildCommandToolBar(int toolBarId, const QString& title, const QList<int>& ids,
                                QWidget* parent) {
  auto* bar = new QToolBar(title, parent);
  bar->setObjectName(KvMenuObjectName(toolBarId));
  addCommands(bar, ids);
  return bar;
}
