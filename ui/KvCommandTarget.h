#pragma once
// An object that carries out commands: a list, a tree, a view, a dialog, the
// main frame or the application. The router and the right-click menus ask it
// whether it takes a command, whether the command is enabled now, and then
// let it run the command.

class KvCommandTarget {
 public:
  virtual ~KvCommandTarget() = default;

  // True when this object carries out the command (enabled or not).
  virtual bool HandlesCmd(int id) const = 0;
  // Runs the command; called only when it is enabled.
  virtual void ExecuteCmd(int id) = 0;

  // The object's own enabling rule for the command.
  virtual bool IsCmdEnabled(int id) {
    (void)id;
    return true;
  }
  // The module's veto: a derived class refuses single commands here. It has
  // the last word over IsCmdEnabled.
  virtual bool IsCmdAllowed(int id) {
    (void)id;
    return true;
  }
};

// Whether the target runs the command now: its rule and the module's veto.
inline bool KvCmdEnabled(KvCommandTarget* target, int id) {
  return target && target->IsCmdEnabled(id) && target->IsCmdAllowed(id);
}
