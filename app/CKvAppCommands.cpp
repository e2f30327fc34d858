// The application's commands of the main menu (128): what each runs and
// when it is enabled. Commands reserved to the administrator are enabled
// only while operator "101" is logged in.

#include "app/CKvApp.h"
#include "app/CKvDataType.h"
#include "app/CKvMainFrm.h"
#include "app/KvAppFrame.h"
#include "app/KvOperatorDialogs.h"
#include "core/CKvDb.h"
#include "print/CKvPrintPosDlg.h"
#include "print/CKvPrinterDlg.h"
#include "print/KvPrinterProfiles.h"
#include "ui/CKvCommandRouter.h"
#include "ui/KvCalculatorHook.h"
#include "ui/KvCommands.h"
#include "ui/KvHelp.h"
#include "ui/KvModal.h"

namespace {
// The commands whose dialogs come from later parts of the program.
bool isOpenerCommand(int id) {
  switch (id) {
    case KV_CMD_NEW_DATA_FILE:
    case KV_CMD_DATA_FILE_INFO:
    case KV_CMD_BUSINESS_MONTH:
    case KV_CMD_VIEW_LOG:
    case KV_CMD_BACKUP:
    case KV_CMD_RESTORE:
    case KV_CMD_SQL_CONSOLE:
    case KV_CMD_ACCOUNT_INFO:
    case KV_CMD_UNITS: return true;
    default: return false;
  }
}

bool isApplicationCommand(int id) {
  switch (id) {
    case KV_CMD_FILE_PRINT_SETUP:
    case KV_CMD_HELP:
    case KV_CMD_CALCULATOR:
    case KV_CMD_LOGIN:
    case KV_CMD_OPERATORS:
    case KV_CMD_PASSWORD:
    case KV_CMD_FILE_NEW:
    case KV_CMD_FILE_OPEN:
    case KV_CMD_PRINT_POSITIONS:
    case KV_CMD_PRINTERS: return true;
    default: return isOpenerCommand(id);
  }
}

// The commands that need none of the data file's rows.
bool needsNoDataFile(int id) {
  switch (id) {
    case KV_CMD_FILE_PRINT_SETUP:
    case KV_CMD_HELP:
    case KV_CMD_CALCULATOR:
    case KV_CMD_LOGIN:
    case KV_CMD_FILE_NEW:
    case KV_CMD_FILE_OPEN:
    case KV_CMD_PRINTERS: return true;
    default: return false;
  }
}

QWidget* frameWidget() { return KvGetApp() ? KvGetApp()->GetMainFrame() : nullptr; }

// 57600 and 57601 of the active module: while the template box is hidden
// they show it.
bool documentCommandEnabled(int id) {
  if (!KvIsTemplateBoxVisible())
    return true;
  CKvDataType* module = KvGetActiveDataType();
  if (!module)
    return false;
  return id == KV_CMD_FILE_NEW ? module->CanFileNew() : module->CanFileOpen();
}
}  // namespace

void CKvApp::SetCommandOpener(int nId, KvCommandOpener fn) {
  if (!isOpenerCommand(nId))
    return;
  if (fn)
    m_openers.insert(nId, std::move(fn));
  else
    m_openers.remove(nId);
  KvCommandsChanged();
}

bool CKvApp::RunOpener(int nId) {
  // A copy: the dialog may install another opener while it runs.
  const KvCommandOpener fn = m_openers.value(nId);
  return fn && fn();
}

bool CKvApp::IsAdministrator() const { return m_dataFile.GetOperatorCode() == u"101"; }

bool CKvApp::HandlesCmd(int id) const { return isApplicationCommand(id); }

bool CKvApp::IsCmdEnabled(int id) {
  if (isOpenerCommand(id) && !HasOpener(id))
    return false;
  // The commands that change the data file under the connection stay off
  // while a document window is open: its next save would write its rows
  // into the restored file, or into a new year's file logged in to at once,
  // or into a previous year that the new year has carried. (The login, the
  // other way to another data file and to the login dialog's copy and
  // conversion, is off below.)
  if ((id == KV_CMD_RESTORE || id == KV_CMD_NEW_DATA_FILE) && KvHasActiveChildFrame())
    return false;
  switch (id) {
    // Logging in again after a lost connection keeps the data file and
    // the windows, whose unsaved work is saved after it.
    case KV_CMD_LOGIN: return !KvHasActiveChildFrame() || GetDb()->IsLost();
    case KV_CMD_PASSWORD: return GetDb()->IsOpen();
    case KV_CMD_FILE_NEW:
    case KV_CMD_FILE_OPEN: return documentCommandEnabled(id);
    case KV_CMD_OPERATORS:
    case KV_CMD_NEW_DATA_FILE:
    case KV_CMD_DATA_FILE_INFO:
    case KV_CMD_VIEW_LOG:
    case KV_CMD_RESTORE: return IsAdministrator();
    case KV_CMD_BACKUP: return IsAdministrator() || HasRight(QStringLiteral("0006"));
    case KV_CMD_SQL_CONSOLE: return IsAdministrator() || HasRight(QStringLiteral("0007"));
    case KV_CMD_PRINT_POSITIONS: return HasRight(QStringLiteral("0005"));
    case KV_CMD_BUSINESS_MONTH: {
      // A module is active whose business-month item the operator may use,
      // and no document window is open.
      CKvDataType* module = KvGetActiveDataType();
      if (!module || KvHasActiveChildFrame())
        return false;
      const int item = module->GetMonthCode() % 100;
      return item >= 0 &&
             KvHasRight(module->GetModule(), QStringLiteral("%1").arg(item, 2, 10, QLatin1Char('0')));
    }
    default: return true;
  }
}

void CKvApp::ExecuteCmd(int id) {
  // While the connection is lost, a command on the data file says so
  // rather than open its window on no data file. (New and open leave it to
  // the module, whose reads say so.)
  if (!needsNoDataFile(id) && GetDb()->FailsAsLost())
    return;
  switch (id) {
    case KV_CMD_FILE_PRINT_SETUP: KvRunPrintSetup(frameWidget()); break;
    case KV_CMD_HELP: KvHtmlHelp(QString()); break;
    case KV_CMD_CALCULATOR: KvRunCalculator(false, QString(), frameWidget(), nullptr); break;
    case KV_CMD_LOGIN: Login(QString()); break;
    case KV_CMD_OPERATORS: KvRunOperatorDlg(GetDb(), frameWidget()); break;
    case KV_CMD_PASSWORD:
      KvRunPasswordDlg(GetDb(), m_dataFile.GetOperatorCode(), frameWidget());
      break;
    case KV_CMD_FILE_NEW:
    case KV_CMD_FILE_OPEN:
      if (!KvIsTemplateBoxVisible()) {
        KvShowTemplateBox(true);
      } else if (CKvDataType* module = KvGetActiveDataType()) {
        if (id == KV_CMD_FILE_NEW)
          module->OnFileNew();
        else
          module->OnFileOpen();
      }
      break;
    case KV_CMD_VIEW_LOG:
      // A module may show the log its own way; otherwise the log window.
      for (CKvDataType* module : m_dataTypes)
        if (module->OnAppCommand(id))
          return;
      RunOpener(id);
      break;
    case KV_CMD_PRINT_POSITIONS: {
      CKvPrintPosDlg dialog(GetDb(), frameWidget());
      KvExecDialog(&dialog);
      break;
    }
    case KV_CMD_PRINTERS: {
      CKvPrinterDlg dialog(frameWidget());
      KvExecDialog(&dialog);
      break;
    }
    case KV_CMD_RESTORE:
      // A restored data file is logged in to again.
      if (RunOpener(id))
        Login(QString());
      break;
    default: RunOpener(id); break;
  }
}
