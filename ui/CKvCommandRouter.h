#pragma once
// Sends the commands of the main menu and the toolbars to the object that
// carries them out, and keeps their enabled state current.
//
// Each command has one shared action (made from the registry on first use)
// that every menu and toolbar of the frame shows. Triggering it runs the
// command on its target: the first object, from the widget with the keyboard
// focus up through its parents to its window, that is a KvCommandTarget
// taking the command; else the frame; else the application. The target's IsCmdEnabled and
// IsCmdAllowed decide the enabled state. That state is asked again when a
// watched menu is about to show, when the focus moves, when a target reports
// a change of its selection (KvCommandsChanged) and after each command; it is
// never polled.

#include <QHash>
#include <QObject>
#include <QPointer>

class KvCommandTarget;
class QAction;
class QMenu;
class QWidget;

class CKvCommandRouter : public QObject {
  Q_OBJECT
 public:
  // The router of the application (made on first use; it lives as long as
  // the QApplication).
  static CKvCommandRouter* Instance();

  // The shared action of the command.
  QAction* Action(int id);

  // The frame asked when no focused object takes a command.
  void SetFrame(QWidget* frame);
  // The application's commands, asked last. The target must outlive its
  // registration (pass null to remove it).
  void SetApplicationTarget(KvCommandTarget* target);

  // The object that would carry the command out now; null when none takes it.
  KvCommandTarget* TargetFor(int id) const;
  // Whether the command would run now.
  bool IsEnabled(int id) const;
  // Runs the command on its target when it is enabled; true when it ran.
  // The enabled states are refreshed afterwards.
  bool Execute(int id);
  // Runs the command on the frame, or on the application when the frame
  // does not take it, whatever has the focus: a control hands a command on
  // to the main window. True when it ran (it must be enabled there).
  bool ExecuteOnFrame(int id);
  // Whether ExecuteOnFrame would run the command now.
  bool IsEnabledOnFrame(int id) const;

  // Asks every shared action's enabled state again.
  void UpdateActions();
  // Asks the enabled state of the menu's command actions each time the menu
  // is about to show.
  void WatchMenu(QMenu* menu);
  // Asks every enabled state again whenever the operator changes one of the
  // window's edit fields, lists, check boxes or text areas (those there
  // now; watching one twice is harmless), so that a command that depends
  // on unsaved changes, such as save, follows the typing.
  void WatchEdits(QWidget* window);

 private:
  explicit CKvCommandRouter(QObject* parent);
  void UpdateAction(QAction* action) const;
  // The frame when it takes the command, else the application when it
  // does; null when neither does.
  KvCommandTarget* frameTarget(int id) const;

  QHash<int, QAction*> m_actions;
  QPointer<QWidget> m_frame;
  KvCommandTarget* m_application = nullptr;
};

// A target tells the router that its selection or state changed, so that
// the enabled states are asked again.
void KvCommandsChanged();
