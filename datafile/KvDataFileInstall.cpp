#include "datafile/KvDataFileInstall.h"

#include "app/CKvApp.h"
#include "app/CKvMainFrm.h"
#include "app/KvBackup.h"
#include "datafile/CKvBackupDlg.h"
#include "datafile/CKvDataInfoDlg.h"
#include "datafile/CKvLogChildFrm.h"
#include "datafile/CKvMDBBak.h"
#include "datafile/CKvSqlDlg.h"
#include "ui/KvCommands.h"
#include "ui/KvModal.h"

void KvInstallDataFile() {
  CKvApp* app = KvGetApp();
  if (!app)
    return;
  // The SQL console and the account information run on the application's
  // data file and end with nothing to hand back.
  app->SetCommandOpener(KV_CMD_SQL_CONSOLE, [] {
    CKvSqlDlg dialog(KvGetAppDb(), KvGetApp()->GetMainFrame());
    KvExecDialog(&dialog);
    return false;
  });
  app->SetCommandOpener(KV_CMD_ACCOUNT_INFO, [] {
    CKvDataInfoDlg dialog(KvGetAppDb(), KvGetApp()->GetMainFrame());
    KvExecDialog(&dialog);
    return false;
  });
  app->SetCommandOpener(KV_CMD_VIEW_LOG, [] { return KvOpenLogWindow(); });
  // Backup and restore: the archive writer of the scheduled and safety
  // backups, and the two dialogs.
  KvSetBackupArchiveWriter([](CKvDb* pDb, const QString& path) { return CKvMDBBak(pDb).SaveBackup(path); });
  app->SetCommandOpener(KV_CMD_BACKUP, [app] { return KvRunBackupDlg(0, app->GetMainFrame()); });
  app->SetCommandOpener(KV_CMD_RESTORE, [app] { return KvRunBackupDlg(1, app->GetMainFrame()); });
}
