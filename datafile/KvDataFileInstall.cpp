#include "datafile/KvDataFileInstall.h"

#include "app/CKvApp.h"
#include "app/KvMonthTableHooks.h"
#include "datafile/CKvDataFileInfoDlg.h"
#include "datafile/CKvDwDlg.h"
#include "datafile/CKvMonthTable.h"
#include "datafile/CKvPeriodDlg.h"
#include "ui/KvCommands.h"

void KvInstallDataFile() {
  // Data-file information, business months and accounting units.
  KvSetMonthTableHooks({[](CKvDb* pDb) { return CKvMonthTable(pDb, 1).CreateTable(); },
                        [](CKvDb* pDb) { CKvMonthTable(pDb, 1).Upgrade(); },
                        [](CKvDb* pDb) { return CKvMonthTable(pDb, 1).CarryToNewYear(); }});
  if (CKvApp* app = KvGetApp()) {
    app->SetCommandOpener(KV_CMD_DATA_FILE_INFO, [] { return KvRunDataFileInfoDlg(); });
    app->SetCommandOpener(KV_CMD_BUSINESS_MONTH, [] { return KvRunPeriodDlg(); });
    app->SetCommandOpener(KV_CMD_UNITS, [] { return KvRunDwDlg(); });
  }
}
