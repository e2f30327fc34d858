#pragma once
// The accounting units of the data file (dialog 790): the unit list and
// its buttons, each sending its command to the list, enabled as the list's
// command check says. Every change goes straight to the data file. An
// operator who may not reach every unit does not get the dialog.

#include "ui/CKvZrvDlg.h"

#include <QMap>

class CKvDwList;
class QPushButton;

class CKvDwDlg : public CKvZrvDlg {
  Q_OBJECT
 public:
  // db null: the application's connection.
  explicit CKvDwDlg(CKvDb* db = nullptr, QWidget* parent = nullptr);

  CKvDwList* List() const { return m_pList; }
  // The button of a command; null for another id.
  QPushButton* Button(int commandId) const { return m_buttons.value(commandId); }
  void UpdateButtons();

  // OK runs the list's modify and keeps the dialog open.
  bool SaveData() override;

 protected:
  void OnInitDialog() override;

 private:
  CKvDwList* m_pList;
  QMap<int, QPushButton*> m_buttons;
};

// Checks the operator's access to every unit, then runs the dialog on the
// application's connection. False when refused or cancelled.
bool KvRunDwDlg(QWidget* parent = nullptr);
