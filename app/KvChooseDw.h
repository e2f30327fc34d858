#pragma once
// Lets the operator choose one accounting unit in the choose dialog (796);
// the choice becomes the application's current unit. When there is nothing
// to choose the dialog does not show and the unit check of nCheckMode
// decides (see CKvChooseDlg).

#include <QString>

class QWidget;

// nCheckMode: the unit check of OK (below 0 or 1: none; 0 reachable leaf;
// other: reachable); nDisplay: the picker's display flag (0 hidden, 2 hidden
// without a choice); operatorCode: whose units (empty: the one logged in).
// True when the dialog ends with OK.
bool KvChooseDw(int nCheckMode, int nDisplay, const QString& operatorCode = QString(),
                QWidget* parent = nullptr);
