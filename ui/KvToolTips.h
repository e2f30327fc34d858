#pragma once
// The hints that dialogs and form views show over their controls.
//
// Controls take part by kind: edit fields, combo boxes, item views (lists,
// trees, list boxes) and buttons, each named by its id ("id_<n>"). The
// program's own word-saving combo box, list control and tree control
// (CKvWordCB, CKvListCtrl, CKvTreeCtrl) are recognised by their class name,
// so they must carry Q_OBJECT.

#include <QList>
#include <QString>

#include <functional>

class QWidget;

QString KvWordComboHint();   // the word-saving combo box
QString KvComboHint();       // any other combo box
QString KvMenuControlHint(); // the program's list and tree controls
QString KvHelpButtonHint();  // the help button (57670)
QString KvOkButtonHint();    // OK (1)
QString KvCancelButtonHint();  // Cancel (2)

bool KvIsWordComboBox(const QWidget* widget);
bool KvIsListControl(const QWidget* widget);
bool KvIsTreeControl(const QWidget* widget);

// The controls below `root` that can carry a hint, in the order of the
// window's children: windows of their own are skipped, and the parts inside a
// control are not controls of their own. With includeTrees false, tree
// controls are left out.
QList<QWidget*> KvHintControls(QWidget* root, bool includeTrees = true);

// Gives each control of KvHintControls(root, includeTrees) the hint that
// `hintOf` gives for its id; an empty hint gives none.
void KvSetHints(QWidget* root, bool includeTrees, const std::function<QString(int controlId)>& hintOf);
