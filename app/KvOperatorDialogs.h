#pragma once
// The operator dialogs the shell opens: the operators and rights dialog
// (810, administrator only) and the password dialog (812) of one operator.
// Both work on the given connection and log what they change.

#include <QString>

class CKvDb;
class QWidget;

// Runs the operators and rights dialog on the connection; its result.
int KvRunOperatorDlg(CKvDb* pDb, QWidget* parent = nullptr);
// Runs the password dialog for the operator; its result (Accepted when the
// password was changed).
int KvRunPasswordDlg(CKvDb* pDb, const QString& operatorCode, QWidget* parent = nullptr);
