#pragma once
// The form view: a view of a document window (a QMdiSubWindow, or a pane of
// one) that shows a form of controls, scrolled when the window is smaller
// than the form. The card views, the operation-log view and several module
// views derive from it.
//
// It adds two things to a scrolled form:
// - hints over its controls (initialUpdate): the word-saving combo box, any
//   other combo box, the program's lists and trees, and the help button
//   (57670) each get the hint the dialogs give them;
// - the main window's edit, file and print commands go to the list or tree
//   that has the focus. The command router asks the focused list or tree
//   first, so this view takes only what the control does not take itself,
//   and hands it on as this table says:
//
//     arrives                 the control receives    enabled when the control allows
//     57635 57634 57637 57642 43025 57636 57640 57604 43007 43113 57607 57605
//                             the same id              the same id
//     57600 new               43004                    43004
//     57601 open, 1 (OK)      43005                    43006
//     2 (Cancel)              43012                    (always)
//     43026, 43027            a Left / Right key press 43012 / 43013
//
//   A command is enabled only when the control also takes the id it would
//   receive. With the focus anywhere else (an edit field, a button, nothing)
//   every command but Cancel is disabled and none is handed on.
//
// OK (1) arrives from Return or Enter that the focused control leaves
// alone, and from a click on the form's button id 1; Cancel (2) from
// Escape and the button id 2. Return on a focused push button clicks it
// instead. A derived view gives one command another meaning by overriding
// ExecuteCmd and IsCmdEnabled for that id and leaving the rest to the base.
//
// A derived view builds its controls on Form() with Qt layouts in its
// constructor, names them by id (KvSetControlId) and fills them in its
// initialUpdate after the base's; the window's owner calls initialUpdate
// once the view is placed.

#include "ui/KvCommandTarget.h"

#include <QScrollArea>

class KvRowControl;

class CZrvFormView : public QScrollArea, public KvCommandTarget {
  Q_OBJECT
 public:
  // The form of template `templateId` (object name "dlg_<templateId>").
  explicit CZrvFormView(unsigned templateId, QWidget* parent = nullptr);

  unsigned TemplateId() const { return m_templateId; }
  // The widget the controls stand on.
  QWidget* Form() const { return widget(); }

  // Gives the controls their hints and connects the buttons id 1 and 2.
  virtual void initialUpdate();
  // Gives every control that takes part its hint (GetToolTipText).
  virtual void InitToolTips();
  // The hint of control `controlId`; an empty text gives it none.
  virtual void GetToolTipText(QString* text, int controlId);

  // The program's list or tree (a list or tree control, or a view of
  // either) in this view that has the keyboard focus; null when the focus
  // is on any other widget, or outside the view.
  KvRowControl* FocusedRowControl() const;

  bool HandlesCmd(int id) const override;
  bool IsCmdEnabled(int id) override;
  void ExecuteCmd(int id) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // Runs OK or Cancel when enabled and asks the enabled states again.
  void runCommand(int id);

  unsigned m_templateId;
  bool m_buttonsConnected = false;
};
