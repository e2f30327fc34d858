#include "datafile/KvDataFileInstall.h"

#include "app/CKvApp.h"
#include "app/CKvMainFrm.h"
#include "app/KvBackup.h"
#include "datafile/CKvBackupDlg.h"
#include "datafile/CKvMDBBak.h"
#include "ui/KvCommands.h"

void KvInstallDataFile() {
  CKvApp* app = KvGetApp();
  if (!app)
    return;
  // Backup and restore: the archive writer of the scheduled and safety
  // backups, and the two dialogs.
  KvSetBackupArchiveWriter([](CKvDb* pDb, const QString& path) { return CKvMDBBak(pDb).SaveBackup(path); });
  app->SetCommandOpener(KV_CMD_BACKUP, [app] { return KvRunBackupDlg(0, app->GetMainFrame()); });
  app->SetCommandOpener(KV_CMD_RESTORE, [app] { return KvRunBackupDlg(1, app->GetMainFrame()); });
}
