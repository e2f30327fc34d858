#pragma once
// Small makers the pages and dialogs of the form properties sheet share:
// an up-down edit named by its control id, a label that leads to its field,
// and the refusal of a field (a message without icon, then the focus on
// the field).

#include <QString>

class KvUpDownEdit;
class QLabel;
class QWidget;

// An up-down edit named "id_<id>", at least the width given.
KvUpDownEdit* KvNewUpDown(QWidget* parent, int id, int minimumWidth = 64);
// A label whose mnemonic and click lead to the buddy.
QLabel* KvNewBuddyLabel(const QString& text, QWidget* buddy, QWidget* parent);
// Shows the text without icon, puts the focus on the field; false.
bool KvRefuseField(const QString& text, QWidget* field);
