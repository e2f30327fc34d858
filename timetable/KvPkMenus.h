#pragma once
// Changes the timetabling windows make to the right-click menus they are
// given (items carry their command id in data()).

class QMenu;

// Removes the item of the command; nothing when the menu has none.
void KvPkRemoveCommand(QMenu* menu, int id);
// Removes the item at a position; nothing past the end.
void KvPkRemoveItemAt(QMenu* menu, int position);
// Puts the command (and, with bSeparator, a separator after it) before the
// item of beforeId, or last when there is none.
void KvPkInsertCommand(QMenu* menu, int id, int beforeId, bool bSeparator);
