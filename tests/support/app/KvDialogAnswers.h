#pragma once
// The dialogs of a real start-up answered through the modal seam: the login
// dialog gets its fields from the test and OK; every other dialog goes to
// `other`, which cancels unless the test says otherwise. The names of the
// dialogs run are kept. Also the settings and data folder a first start
// finds, and the login answers that make a new PostgreSQL data file.

#include "app/CKvLoginDlg.h"
#include "core/CKvDbInfo.h"
#include "core/KvFolders.h"
#include "core/KvRegistry.h"
#include "ui/KvObjectNames.h"
#include "ui/KvUiTestSupport.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <functional>

// The login dialog's control of that id.
template <class W>
W* KvLoginItem(CKvLoginDlg& dialog, int id) {
  return KvDlgItem<W>(&dialog, id);
}

class KvDialogAnswers {
 public:
  // Sets the login dialog's fields; false cancels it. Unset: OK as it is.
  std::function<bool(CKvLoginDlg&)> login = [](CKvLoginDlg&) { return true; };
  // Answers every other dialog, shown; unset: Cancel.
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

// No settings and an empty default data folder: the program's first start.
inline void KvClearSettingsAndDataFolder() {
  KvRegDeleteTree(KvRegRoot::CurrentUser, QStringLiteral("Software"));
  QDir(KvDefaultDataFolder()).removeRecursively();
}

// The login answers that make the PostgreSQL database `name` on the server
// as a new data file and log in as 101.
inline std::function<bool(CKvLoginDlg&)> KvNewPostgresFileLogin(const CKvDbInfo& server, const QString& name) {
  return [server, name](CKvLoginDlg& dialog) {
    KvLoginItem<QComboBox>(dialog, CKvLoginDlg::IdKind)->setCurrentIndex(CKvLoginDlg::KindPostgres);
    KvLoginItem<QLineEdit>(dialog, CKvLoginDlg::IdServer)->setText(server.m_strServer);
    KvLoginItem<QLineEdit>(dialog, CKvLoginDlg::IdUser)->setText(server.m_strUser);
    KvLoginItem<QLineEdit>(dialog, CKvLoginDlg::IdServerPassword)->setText(server.m_strPassword);
    KvLoginItem<QLineEdit>(dialog, CKvLoginDlg::IdDatabase)->setText(name);
    KvLoginItem<QPushButton>(dialog, CKvLoginDlg::IdNewFile)->click();
    EXPECT_EQ(KvLoginItem<QComboBox>(dialog, CKvLoginDlg::IdOperator)->currentData(), QStringLiteral("101"));
    return true;
  };
}
