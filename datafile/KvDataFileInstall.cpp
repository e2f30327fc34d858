#include "datafile/KvDataFileInstall.h"

#include "app/CKvApp.h"
#include "app/CKvMainFrm.h"
#include "app/KvBackup.h"
#include "app/KvMonthTableHooks.h"
#include "datafile/CKvBackupDlg.h"
#include "datafile/CKvDataFileInfoDlg.h"
#include "datafile/CKvDataInfoDlg.h"
#include "datafile/CKvDwDlg.h"
#include "datafile/CKvLogChildFrm.h"
#include "datafile/CKvMDBBak.h"
#include "datafile/CKvMonthTable.h"
#include "datafile/CKvPeriodDlg.h"
#include "datafile/CKvSqlDlg.h"
#include "ui/KvCommands.h"
#include "ui/KvModal.h"

void KvInstallDataFile() {
  // Business months: the table is made, upgraded and carried with the
  // data file.
  KvSetMonthTableHooks({[](CKvDb* pDb) { return CKvMonthTable(pDb, 1).CreateTable(); },
                        [](CKvDb* pDb) { CKvMonthTable(pDb, 1).Upgrade(); },
                        [](CKvDb* pDb) { return CKvMonthTable(pDb, 1).CarryToNewYear(); }});
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
  // Data-file information, business months and accounting units.
  app->SetCommandOpener(KV_CMD_DATA_FILE_INFO, [] { return KvRunDataFileInfoDlg(); });
  app->SetCommandOpener(KV_CMD_BUSINESS_MONTH, [] { return KvRunPeriodDlg(); });
  app->SetCommandOpener(KV_CMD_UNITS, [] { return KvRunDwDlg(); });
}
