#pragma once
// Small makers the fee module's dialogs share: a push button named by its
// control id, a refusal under the stop icon that puts the focus on the
// field at fault, and the removal of commands from a right-click menu.

#include <QList>
#include <QString>

class QFormLayout;
class QHBoxLayout;
class QLayout;
class QMenu;
class QPushButton;
class QWidget;

// A push button with the caption, named "id_<id>".
QPushButton* KvNewIdButton(const QString& caption, int id, QWidget* parent);
// The row of a dialog's OK button (with its caption) and "&X.取消", at the
// right.
QHBoxLayout* KvNewOkCancelRow(QWidget* dialog, const QString& okCaption);
// Adds a form row: the label, whose mnemonic leads to the buddy, and the
// field (the buddy itself when no layout is given).
void KvAddFormRow(QFormLayout* form, const QString& label, QWidget* buddy, QLayout* field = nullptr);
// Shows the text with the stop icon, focuses the field; false.
bool KvRefuseStop(const QString& text, QWidget* field);
// Removes the items of the commands from the menu, each with a separator
// that would then stand first, last or next to another.
void KvRemoveMenuCommands(QMenu* menu, const QList<int>& ids);
