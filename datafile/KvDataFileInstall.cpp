#include "datafile/KvDataFileInstall.h"

#include "app/CKvApp.h"
#include "app/CKvLoginDlg.h"
#include "app/CKvMainFrm.h"
#include "app/KvBackup.h"
#include "app/KvMonthTableHooks.h"
#include "core/KvMessage.h"
#include "datafile/CKvBackupDlg.h"
#include "datafile/CKvDataFileInfoDlg.h"
#include "datafile/CKvDataInfoDlg.h"
#include "datafile/CKvDwDlg.h"
#include "datafile/CKvLogChildFrm.h"
#include "datafile/CKvMDBBak.h"
#include "datafile/CKvMonthTable.h"
#include "datafile/CKvNewDataFileDlg.h"
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
  KvSetBackupArchiveWriter([](CKvDb* pDb, const QString& path, QString* pError) {
    CKvMDBBak bak(pDb);
    const bool saved = bak.SaveBackup(path);
    *pError = bak.LastError();
    return saved;
  });
  app->SetCommandOpener(KV_CMD_BACKUP, [app] { return KvRunBackupDlg(0, app->GetMainFrame()); });
  app->SetCommandOpener(KV_CMD_RESTORE, [app] { return KvRunBackupDlg(1, app->GetMainFrame()); });
  // Data-file information, business months and accounting units.
  app->SetCommandOpener(KV_CMD_DATA_FILE_INFO, [] { return KvRunDataFileInfoDlg(); });
  app->SetCommandOpener(KV_CMD_BUSINESS_MONTH, [] { return KvRunPeriodDlg(); });
  app->SetCommandOpener(KV_CMD_UNITS, [] { return KvRunDwDlg(); });
  // The next year's data file beside the open one; a first year may be
  // opened at once, through the login on the new file.
  app->SetCommandOpener(KV_CMD_NEW_DATA_FILE, [app] {
    CKvDataFile& open = app->GetDataFile();
    CKvNewDataFileDlg dialog(open.GetDbKind(), open.GetFileName(), app->GetDb()->GetConnectInfo(),
                             app->GetMainFrame());
    if (KvExecDialog(&dialog) != QDialog::Accepted || !dialog.IsOpenNow())
      return false;
    CKvDataFile made = open;
    made.SetFileName(dialog.GetNewFileName());
    made.SetOperatorCode(QStringLiteral("101"));
    app->LoginToNewFile(made);
    return false;
  });
  // The login dialog's convert and copy: the new file is made from the one
  // it names. Converting goes to the other back end: a file becomes a
  // database of the server the conversion asks for (and the login may go
  // on there), a database a file in the default data folder.
  KvSetDataFileMaker([](int nMode, const CKvDataFile& source, CKvDataFile* pNewFile) {
    CKvDataFile target = source;
    CKvDbInfo targetInfo = source.GetDbInfo();
    const bool toServer = nMode == 1 && source.GetKind() == 0;
    if (toServer) {
      // PostgreSQL on this machine, with the login kept for it, until the
      // dialog is told otherwise.
      targetInfo = CKvDbInfo(2);
      targetInfo.m_strUser.clear();
      KvReadDbLogin(&targetInfo);
      target.SetKind(1);
      target.SetServerBackend(2);
    } else if (nMode == 1) {
      target.SetKind(0);
      targetInfo = CKvDbInfo(0);
    }
    CKvNewDataFileDlg dialog(target.GetDbKind(), nMode == 1 ? QString() : source.GetFileName(), targetInfo,
                             KvGetApp()->GetMainFrame());
    dialog.SetSource(nMode, source.GetFileName(), source.GetDbKind(), source.GetDbInfo());
    if (KvExecDialog(&dialog) != QDialog::Accepted)
      return false;
    if (toServer) {
      target.SetServerBackend(dialog.GetKind());
      targetInfo = dialog.GetTargetInfo();
      targetInfo.m_strDatabase = dialog.GetNewFileName();
      if (KvMessageBox(QStringLiteral("数据文件已转换为服务器数据库“%1”，要登录到它吗？").arg(dialog.GetNewFileName()),
                       KV_MB_YESNO | KV_MB_ICONQUESTION) != KV_IDYES)
        return false;
    }
    target.SetDbInfo(targetInfo);
    target.SetFileName(dialog.GetNewFileName());
    *pNewFile = target;
    return true;
  });
}
