#pragma once
// The base of every dialog of the program.
//
// Beside QDialog it gives: the window icon, hints over the controls, an Enter
// key that walks to the next control instead of closing the dialog, a guarded
// OK that runs the save hook and keeps the dialog open when saving fails, a
// right-click menu (menu 301: help and calculator) in the dialog's own area,
// F1 help and the F12 calculator, and a notice when the clipboard changes.
//
// Dialogs are built in code. A derived dialog names its controls by id
// (KvSetControlId: OK is id 1, Cancel id 2) and does its setup in
// OnInitDialog, which runs once, when the dialog is first shown. OK and
// Cancel (buttons, Escape, closing the window, accept(), reject()) go through
// OnOK and OnCancel; the base connects the buttons id 1 and id 2 itself, so a
// derived dialog does not. Run it with KvExecDialog.

#include "core/KvMessage.h"
#include "ui/KvCommandTarget.h"
#include "ui/KvCommands.h"

#include <QDialog>
#include <QIcon>
#include <QString>

class QMenu;

class CKvDlg : public QDialog, public KvCommandTarget {
  Q_OBJECT
 public:
  // The dialog of template `idd` (its object name is "dlg_<idd>") with the
  // icon `idIcon`.
  explicit CKvDlg(unsigned idd, QWidget* parent = nullptr, unsigned idIcon = KV_ICON_APP);

  unsigned TemplateId() const { return m_templateId; }
  unsigned IconId() const { return m_iconId; }

  // Non-zero: Enter moves the focus to the next control.
  int m_bEnterNextCtrl = 1;
  // Non-empty: F1 opens the help's keyword index at this keyword.
  QString m_strHelpKeyword;

  // Gives every control that takes part its hint (GetToolTipText).
  virtual void InitToolTips();
  // The hint of control `controlId`; an empty text gives it none.
  virtual void GetToolTipText(QString* text, int controlId);
  // Stores the dialog's data; false keeps the dialog open. The override
  // reports its own failures.
  virtual bool SaveData() { return true; }
  // Lets the dialog change its right-click menu before it is shown.
  virtual void OnPrepareContextMenu(QMenu* popup) { (void)popup; }
  // Enter in a control that is not a push button.
  virtual void OnEnter();
  // The clipboard's content changed.
  virtual void OnClipboardChange() {}
  // The guarded OK: nothing while OK is disabled; otherwise OK and Cancel
  // are disabled while the data are taken from the controls and saved, then
  // enabled again, and the dialog closes with Accepted only when saving
  // succeeded.
  virtual void OnOK();
  // Closes the dialog with Rejected.
  virtual void OnCancel();
  // F1 and the help command: the help's contents, or its index at
  // m_strHelpKeyword.
  void OnHelp();
  // F12 and the calculator command: the calculator, its result not used.
  void OnCalculator();

  // Commands the dialog carries out: help, calculator, Enter and the
  // clipboard notice. Every one is enabled unless IsCmdEnabled says no.
  bool HandlesCmd(int id) const override;
  void ExecuteCmd(int id) override;

  void accept() override;
  void reject() override;
  void done(int result) override;
  void setVisible(bool visible) override;

 protected:
  // The dialog's setup, run once before it is first shown: hints, clipboard
  // notices. Derived dialogs call the base first.
  virtual void OnInitDialog();
  // Moves the data between the controls and the dialog's members (from the
  // controls when bSaveAndValidate is true); false when a value is not
  // acceptable, which stops OK like a failed save.
  virtual bool DoDataExchange(bool bSaveAndValidate) {
    (void)bSaveAndValidate;
    return true;
  }
  bool UpdateData(bool bSaveAndValidate = true) { return DoDataExchange(bSaveAndValidate); }
  // The guarded save of OK without the closing: false when OK is disabled
  // (or already running), when the data are not acceptable or saving failed.
  // OnOK closes the dialog when it returns true.
  bool GuardedSave();

  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void setOkCancelEnabled(bool enabled);
  // Runs a command of the dialog's keys when it is enabled.
  void runEnabled(int id);

  unsigned m_templateId;
  unsigned m_iconId;
  bool m_initialized = false;
  bool m_initializing = false;
  bool m_inOk = false;
};

// Loads the icon of a resource id (":/icons/icon_<id>.png" or ".svg"); the
// application's icon when there is none.
QIcon KvLoadIcon(unsigned id);
