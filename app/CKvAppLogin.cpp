// The application's start-up, its login sequence and its shut-down, and the
// making of a new data file that the first start and the login dialog share.

#include "app/CKvApp.h"
#include "app/CKvDataType.h"
#include "app/CKvDlgPos.h"
#include "app/CKvDwRec.h"
#include "app/CKvLoginDlg.h"
#include "app/CKvMainFrm.h"
#include "app/CKvOperation.h"
#include "app/KvAppFrame.h"
#include "app/KvBackup.h"
#include "app/KvMonthTableHooks.h"
#include "app/KvProgramImage.h"
#include "core/CKvDb.h"
#include "core/KvFolders.h"
#include "core/KvMessage.h"
#include "core/KvPath.h"
#include "core/KvRegistry.h"
#include "core/KvText.h"
#include "print/KvPrinterProfiles.h"
#include "ui/CKvCommandRouter.h"
#include "ui/CKvWaitWnd.h"
#include "ui/KvAppServices.h"
#include "ui/KvCommands.h"
#include "ui/KvModal.h"
#include "ui/KvPrinterNames.h"
#include "ui/KvResources.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QSplashScreen>

namespace {
constexpr KvRegRoot kRoot = KvRegRoot::CurrentUser;
// The picture of the splash window.
constexpr int kSplashBitmap = 805;
// The earliest year a data file may be named after.
constexpr int kFirstYear = 1990;

// Tells that the data file cannot be used any more; the program ends.
void tellDataFileLost(const CKvDataFile& file) {
  KvMessageBox(QStringLiteral("不能再打开数据文件：\n%1\n程序将结束运行。")
                   .arg(QDir::toNativeSeparators(file.GetFileName())),
               KV_MB_OK | KV_MB_ICONSTOP);
}
}  // namespace

bool CKvApp::StartUp(const QStringList& arguments) {
  QSplashScreen splash(KvResourceBitmap(kSplashBitmap));
  splash.setObjectName(QStringLiteral("dlg_805"));
  splash.show();
  QCoreApplication::processEvents();

  InitInstance();
  KvGetDlgPos().Load();
  m_pMainFrame = std::make_unique<CKvMainFrm>();
  if (!m_bQuitHandlerInstalled) {
    KvSetQuitHandler([this](int code) {
      m_nExitCode = code;
      if (m_pMainFrame)
        m_pMainFrame->SaveTemplateBoxState();
      ExitInstance();
      QCoreApplication::exit(code);
    });
    m_bQuitHandlerInstalled = true;
  }

  // The one argument is a data file; anything more ends the start.
  const QStringList files = arguments.mid(1);
  if (files.size() > 1) {
    splash.close();
    return EndStartUp();
  }
  m_pMainFrame->showMaximized();
  splash.close();

  KvRegisterFileType(GetDataFileExt(), GetDataFileDescription(), KvModuleFileName());
  KvLoadCurrentPrinter();
  m_pMainFrame->RestoreTemplateBoxState();
  if (!KvCheckDbEngine() || !Login(files.value(0)))
    return EndStartUp();

  const QString key = KvGetRegKeyPath();
  const QString program = KvModuleFileName();
  QString stored;
  if (!KvRegReadString(kRoot, key, QStringLiteral("Exe"), &stored) ||
      !KvEqualsIgnoreCase(stored, program))
    KvRegWriteString(kRoot, key, QStringLiteral("Exe"), program);
  return true;
}

bool CKvApp::EndStartUp() {
  m_pMainFrame.reset();
  return false;
}

void CKvApp::ChooseFirstDataFile(bool* pbNew) {
  *pbNew = false;
  const QString folder = KvDefaultDataFolder();
  const QString ext = GetDataFileExt();
  // The newest year's data file of the folder.
  int newest = 0;
  QString path;
  const QFileInfoList found = QDir(folder).entryInfoList(QDir::Files | QDir::Readable);
  for (const QFileInfo& info : found) {
    const QString title = info.completeBaseName();
    bool ok = false;
    const int year = title.toInt(&ok);
    if (ok && KvIsAllDigits(title) && year >= kFirstYear && year > newest &&
        KvEqualsIgnoreCase(info.suffix(), ext)) {
      newest = year;
      path = info.absoluteFilePath();
    }
  }
  if (newest == 0) {
    const int year = QDate::currentDate().year();
    path = QStringLiteral("%1/%2.%3").arg(folder).arg(year).arg(ext);
    QDir().mkpath(folder);
    CKvDb db(0);
    bool made = false;
    {
      CKvWaitWnd wait;
      wait.Show(m_pMainFrame.get());
      made = CreateDataFile(&db, path, CKvDbInfo(0), year);
    }
    if (made) {
      *pbNew = true;
    } else {
      KvMessageBox(QStringLiteral("不能建立数据文件：\n%1").arg(QDir::toNativeSeparators(path)),
                   KV_MB_OK | KV_MB_ICONSTOP);
      path.clear();
    }
  }
  m_dataFile.SetKind(0);
  m_dataFile.SetDbInfo(CKvDbInfo(0));
  m_dataFile.SetRootDir(folder);
  m_dataFile.SetFileName(path);
  // A new data file is opened by its administrator, whose password is empty.
  m_dataFile.SetOperatorCode(*pbNew ? QStringLiteral("101") : QString());
}

bool CKvApp::LoginToNewFile(const CKvDataFile& newFile) {
  m_pNewFile = &newFile;
  const bool loggedIn = Login(QString());
  m_pNewFile = nullptr;
  return loggedIn;
}

void CKvApp::LoginAfterLostConnection() {
  if (!m_dataFile.GetDb().IsLost())
    return;
  KvMessageBox(QStringLiteral("与数据库服务器的连接已中断，请重新注册。"), KV_MB_OK | KV_MB_ICONSTOP);
  Login(QString());
}

bool CKvApp::Login(const QString& file) {
  enum { Again, Registry, File } mode;
  bool newFile = false;
  // A connection the server ended logs in again as an open one does: the
  // descriptor in hand keeps the server password that the settings may
  // not hold.
  const bool lost = m_dataFile.GetDb().IsLost();
  const int baseline = m_dataFile.GetDb().CarriedBaseline();
  if (m_dataFile.GetDb().IsOpen() || lost) {
    mode = Again;
  } else if (file.isEmpty()) {
    mode = Registry;
    if (!m_dataFile.ReadDbConfig())
      ChooseFirstDataFile(&newFile);
  } else {
    mode = File;
    m_dataFile.ReadDbConfig();
    m_dataFile.SetKind(0);
    // The file was named by the person starting the program (a double click
    // on a data file, say): when it cannot be opened they are told why
    // before the program ends, rather than the program vanishing unseen.
    if (!m_dataFile.Open(QString(), file, QString(), true))
      return false;
    // The dialog starts without an operator.
    m_dataFile.SetOperatorCode(QString());
    m_dataFile.SetOperatorName(QString());
    m_dataFile.SetOperatorPassword(QString());
  }
  m_dataFile.Close();

  CKvLoginDlg dialog(m_pNewFile ? *m_pNewFile : m_dataFile, m_pMainFrame.get());
  if (newFile || m_pNewFile)
    dialog.SetNewFile();
  // The open windows hold rows of this data file: they may be saved only
  // into it.
  if (lost)
    dialog.KeepDataFile();
  // The open windows were opened by the operator logged in: they would act
  // for anyone who logs in now, so only he may until every one is closed.
  if (KvHasActiveChildFrame())
    dialog.KeepOperator();
  const bool accepted = KvExecDialog(&dialog) == QDialog::Accepted;
  // The dialog started the update program: the program is ending.
  if (dialog.IsUpdating())
    return false;
  if (accepted) {
    // The previous operator's working period ends when the login is
    // confirmed and the previous data file can be reached.
    if (mode == Again && m_dataFile.Reopen(false))
      m_pTask->EndWork();
    m_dataFile.Close();
    m_dataFile = dialog.DataFile();
  } else if (mode != Again || lost) {
    // Cancelled after a lost connection: the program stays disconnected,
    // its windows and their unsaved work kept for a later login.
    return false;
  }

  {
    CKvWaitWnd wait;
    wait.Show(m_pMainFrame.get());
    if (!m_dataFile.Reopen(false)) {
      // Still out of reach: the windows stay, to be saved after a later login.
      if (lost)
        return false;
      if (mode == Again) {
        wait.Hide();
        tellDataFileLost(m_dataFile);
        KvRequestQuit(1);
      }
      return false;
    }
    if (!m_dataFile.GetDb().NormaliseMdbPassword()) {
      wait.Hide();
      tellDataFileLost(m_dataFile);
      if (mode == Again)
        KvRequestQuit(1);
      return false;
    }
  }
  // Logging in again without a new login: the working period that began
  // with the last login ends, and a new one begins below.
  if (mode == Again && !accepted)
    m_pTask->EndWork();
  if (!FinishLogin(accepted && dialog.IsNewFile()))
    return false;
  // The windows kept over a lost connection hold rows read before a carry
  // since: the session keeps a baseline that said not carried, so that
  // their saves are refused rather than stored into the carried year.
  // Without a window kept, nothing read before is held: the session is
  // a new one. The notice below tells what the baseline decided.
  if (lost && baseline >= 0 && KvHasActiveChildFrame())
    GetDb()->NoteCarriedMark(baseline);
  tellCarriedYear();
  return true;
}

void CKvApp::tellCarriedYear() {
  if (m_dataFile.GetMonth() != kKvCarriedMonth)
    return;
  const int baseline = GetDb()->CarriedBaseline();
  if (baseline >= 0 && baseline != kKvCarriedMonth)
    KvMessageBox(QStringLiteral("连接中断期间，本年度数据已结转到新年度。仍打开的窗口是结转前读出的数据，"
                                "不能保存到已结转的本年度：本次注册后的保存都将被拒绝。"),
                 KV_MB_OK | KV_MB_ICONEXCLAMATION);
  else
    KvMessageBox(QStringLiteral("本年度数据已结转到新年度，在本年度保存的数据不会再转入新年度。"),
                 KV_MB_OK | KV_MB_ICONINFORMATION);
}

bool CKvApp::FinishLogin(bool bNewFile) {
  CKvDb* db = GetDb();
  KvGetCurrentDw().Clear();
  KvGetSavedDw().Clear();
  m_dataFile.LoadRights();
  m_dataFile.WriteDbConfig();

  // A file of another version is upgraded; its stamp is written only once
  // the upgrade succeeded, so that a failed one is tried again next time.
  int major = 0;
  int minor = 0;
  m_dataFile.CheckVersionStamp(db, nullptr, &major, &minor, false);
  RebuildTemplateIndex();
  bool stamp = true;
  if (major == GetFormatVersion() && minor == GetRevision()) {
    // Tables that files of the current stamp may still lack: the business
    // months (brought over from older settings first) and the units.
    const KvMonthTableHooks& months = KvGetMonthTableHooks();
    if (months.upgrade)
      months.upgrade(db);
    if (months.create)
      months.create(db);
    KvCreateDwTable(db, QStringLiteral("KVDW"));
  } else
    stamp = CreateAllTables(db);
  if (stamp)
    m_dataFile.CheckVersionStamp(db, nullptr, nullptr, nullptr, true);
  CKvDwRec().KvSelectDw(QString(), QStringLiteral("Order By KNO"), &KvGetDwArray(), db);

  for (CKvDataType* module : m_dataTypes)
    module->m_bHasTab = CKvTemplateIndexEntry::IsModuleShown(module->GetModule(), m_templateIndex);
  if (m_pMainFrame)
    m_pMainFrame->RestoreTemplateTabs();
  for (CKvDataType* module : m_dataTypes)
    module->OnAfterLogin();
  for (CKvDataType* module : m_dataTypes)
    module->OnAfterLoginDone();
  OpenModuleData(db);
  KvShowTemplateBox(true);
  m_pTask->BeginWork();
  if (m_pMainFrame) {
    m_pMainFrame->UpdateTitle();
    m_pMainFrame->ShowWallpaper();
  }

  if (bNewFile) {
    CKvCommandRouter* router = CKvCommandRouter::Instance();
    router->ExecuteOnFrame(KV_CMD_DATA_FILE_INFO);
    router->ExecuteOnFrame(KV_CMD_OPERATORS);
  }
  // The backup, the program image and the update program are the business
  // of the computer that keeps the data.
  const bool keepsData = KvIsServerMachine(db);
  if (keepsData)
    KvScheduledBackup(true);
  KvLoadPrinterNames(db);
  if (keepsData && m_dataFile.GetKind() != 0)
    KvPublishProgramImage(db);
  if (keepsData)
    StartUpdater(0);
  KvCommandsChanged();
  return true;
}

void CKvApp::ExitInstance() {
  if (m_bExited)
    return;
  m_bExited = true;
  KvGetDlgPos().Save();
  m_pTask->EndWork();
  m_dataFile.Close();
  KvSaveCurrentPrinter();
}

bool CKvApp::CreateDataFile(CKvDb* pDb, const QString& name, const CKvDbInfo& info, int nYear) {
  if (!pDb || !pDb->CreateDatabase(name, info))
    return false;
  bool ok = CreateAllTables(pDb) && InsertDefaultRows(pDb, nYear);
  if (ok) {
    CKvDataFile stamp;
    stamp.CheckVersionStamp(pDb, nullptr, nullptr, nullptr, true);
    ok = stamp.CheckVersionStamp(pDb, nullptr, nullptr, nullptr, false);
  }
  pDb->Close();
  // A half-made data file is not left behind.
  if (!ok)
    pDb->DropDatabase(name, info);
  return ok;
}
