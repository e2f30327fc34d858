#pragma once
// The one registry of the program's commands: id and caption. Captions are
// kept as menus show them, "\t" and the accelerator included ("复制(&C)\tCtrl+C");
// a menu shows the part after "\t" in its shortcut column. The shared command
// ids are registered from the start; the application shell and the modules
// add their own commands at start-up.

#include <QList>
#include <QString>

class QAction;
class QObject;

class CKvCommandRegistry {
 public:
  // The registry of the process.
  static CKvCommandRegistry& Instance();

  // Registers a command, or gives a registered one a new caption.
  void Add(int id, const QString& caption);
  bool Contains(int id) const;
  // The caption; empty for a command that is not registered.
  QString Caption(int id) const;
  // The registered ids in ascending order.
  QList<int> Ids() const;

  // A new action for the command: the caption as its text, the id in data(),
  // the object name "cmd_<id>", and the command's toolbar image as its icon
  // when there is one. An unregistered id gets an empty text.
  QAction* CreateAction(int id, QObject* parent) const;

 private:
  CKvCommandRegistry();

  QList<int> m_ids;  // ascending
  QList<QString> m_captions;
};

// The command id an action carries in data(); 0 for none.
int KvActionCommandId(const QAction* action);
