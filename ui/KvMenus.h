#pragma once
// Menus built from the command registry.
//
// A right-click menu (300 lists, 301 dialogs, 302 trees, 320 the word-saving
// combo box) is built fresh each time it opens: its own actions (id in data(),
// object name "cmd_<id>") that are connected to nothing. The owner may change
// it (OnPrepareContextMenu), KvTrackPopupMenu greys the commands its receiver
// refuses, tracks it and gives the chosen command to that receiver.
//
// The frame's menus and toolbars show the router's shared actions instead
// (CKvCommandRouter), so the command goes to the focused object.

#include <QList>
#include <QString>

class KvCommandTarget;
class QMenu;
class QPoint;
class QToolBar;
class QWidget;

struct KvMenuItem {
  int id = 0;       // 0: a separator
  QString caption;  // empty: the registry's caption
};

// The items of a right-click menu; empty for an unknown menu id.
QList<KvMenuItem> KvMenuItems(int menuId);
// The name of a right-click menu ("列表框右键菜单"); empty for an unknown id.
QString KvMenuTitle(int menuId);

// A new popup menu with the items of the right-click menu `menuId`, named
// "menu_<menuId>"; the caller owns it.
QMenu* KvBuildPopupMenu(int menuId, QWidget* parent);

// Enables each command item of the menu the receiver runs now (its
// IsCmdEnabled and IsCmdAllowed) and greys the others.
void KvEnableMenuItems(QMenu* menu, KvCommandTarget* receiver);

// Enables the items for the receiver, tracks the menu at the global point
// (through KvExecPopupMenu) and runs the chosen command on the receiver.
// Returns the command run, 0 when none.
int KvTrackPopupMenu(QMenu* menu, const QPoint& globalPos, KvCommandTarget* receiver);

// A menu of the frame named "menu_<menuId>" showing the router's shared
// actions of the ids (0: a separator), enabled afresh each time it opens.
QMenu* KvBuildCommandMenu(int menuId, const QString& title, const QList<int>& ids,
                          QWidget* parent);

// A toolbar named "menu_<toolBarId>" with the router's shared actions of the
// ids (0: a separator).
QToolBar* KvBuildCommandToolBar(int toolBarId, const QString& title, const QList<int>& ids,
                                QWidget* parent);
