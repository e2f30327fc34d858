#pragma once
// The modal seam of a test that runs the real start-up: the login dialog
// answered with fields the test sets, then OK; every other dialog handed to
// the test's own answer, or cancelled. The dialogs' names are kept.

#include "app/CKvLoginDlg.h"
#include "ui/KvObjectNames.h"

#include <QDialog>
#include <QPushButton>
#include <QStringList>
#include <functional>

class KvDialogAnswers {
 public:
  // Sets the login dialog's fields; false cancels it. Unset: OK as it is.
  std::function<bool(CKvLoginDlg&)> login = [](CKvLoginDlg&) { return true; };
  // Answers any other dialog (shown first, hidden after); unset: cancelled.
  std::function<int(QDialog*)> other;
  QStringList seen;

  int run(QDialog* dialog) {
    seen << dialog->objectName();
    auto* loginDlg = qobject_cast<CKvLoginDlg*>(dialog);
    if (!loginDlg) {
      if (!other)
        return QDialog::Rejected;
      dialog->show();
      const int result = other(dialog);
      dialog->hide();
      return result;
    }
    dialog->show();
    if (!login(*loginDlg)) {
      dialog->reject();
      return QDialog::Rejected;
    }
    // A dialog that stays open after OK counts as cancelled.
    KvDlgItem<QPushButton>(dialog, KV_IDOK)->click();
    const int result = dialog->isVisible() ? int(QDialog::Rejected) : dialog->result();
    dialog->hide();
    return result;
  }
};
