#include "app/CKvApp.h"

#include "app/CKvDataType.h"
#include "app/CKvDwRec.h"
#include "app/CKvMainFrm.h"
#include "app/CKvOperation.h"
#include "app/KvAppFrame.h"
#include "app/KvLostConnectionNotice.h"
#include "core/CKvDb.h"
#include "core/KvConst.h"
#include "core/KvMessage.h"
#include "core/KvSqlTranslator.h"
#include "core/KvSqliteFunctions.h"
#include "print/CKvPrintFieldDefs.h"
#include "print/CKvPrintSet.h"
#include "print/KvPrintProviders.h"
#include "ui/CKvCommandRouter.h"
#include "ui/KvAppServices.h"
#include "ui/KvIconKeepingStyle.h"
#include "ui/KvListPrint.h"

#include <QCoreApplication>
#include <QTimer>
#include <sqlite3.h>

namespace {
CKvApp* theApp = nullptr;
}  // namespace

CKvApp::CKvApp()
    : m_pTask(std::make_unique<CKvOperation>()), m_pPrintSet(std::make_unique<CKvPrintSet>()) {
  theApp = this;
}

CKvApp::~CKvApp() {
  // The frame goes first: it asks the application while it closes.
  m_pMainFrame.reset();
  if (m_bQuitHandlerInstalled)
    KvSetQuitHandler({});
  if (m_bServicesInstalled) {
    // The lower libraries must not call into an application that is gone.
    KvSetAppDbProvider({});
    KvSetConnectionLostHandler({});
    KvSetLostStatementHandler({});
    KvSetRightTest({});
    KvSetLogService({});
    KvSetDefaultPrintSetProvider({});
    KvSetPrintPosFormsProvider({});
    KvSetAppPrintSetProvider({});
    CKvCommandRouter::Instance()->SetApplicationTarget(nullptr);
  }
  if (theApp == this)
    theApp = nullptr;
  KvGetDwArray().clear();
  KvGetCurrentDw().Clear();
  KvGetSavedDw().Clear();
  qDeleteAll(m_dataTypes);
  m_dataTypes.clear();
  m_dataFile.Close();
}

bool CKvApp::InitInstance() {
  // The modules are made once.
  if (m_bServicesInstalled)
    return true;
  CreateDataTypes();
  SetIdentity();
  RebuildTemplateIndex();
  InstallServices();
  return true;
}

void CKvApp::InstallServices() {
  KvInstallIconKeepingStyle();
  KvSetAppDbProvider([this]() -> CKvDb* { return GetDb()->IsOpen() ? GetDb() : nullptr; });
  KvSetRightTest([](const QString& code) { return KvHasRightCode(code); });
  KvSetLogService([](int nCode, const QString& detail) { CKvOperation::WriteLog(nCode, detail); });
  KvSetDefaultPrintSetProvider([this](int nFormNo, const QString& formName, CKvPrintSet& set) {
    GetDefaultPrintSet(nFormNo, formName, set);
  });
  KvSetPrintPosFormsProvider(
      [this](int nLayoutId, CKvPrintFieldDefs& defs) { return GetPrintPosForms(nLayoutId, defs); });
  KvSetAppPrintSetProvider(
      [this]() -> CKvPrintSet* { return GetDb()->IsOpen() ? m_pPrintSet.get() : nullptr; });
  // The data file's connection lost: told once, and the login offered
  // from the event loop, outside the statement that found the loss.
  // Failures of the operator's commands on the lost connection say so.
  m_pLostNotice = std::make_unique<KvLostConnectionNotice>();
  KvSetLostStatementHandler([this](const CKvDb& db) {
    if (&db == GetDb())
      m_pLostNotice->StatementFailed();
  });
  KvSetConnectionLostHandler([this](CKvDb& db) {
    if (&db != GetDb())
      return false;
    m_pLostNotice->LossFound();
    QTimer::singleShot(0, QCoreApplication::instance(), [] {
      if (CKvApp* app = KvGetApp())
        app->LoginAfterLostConnection();
    });
    return true;
  });
  CKvCommandRouter::Instance()->SetApplicationTarget(this);
  m_bServicesInstalled = true;
}

void CKvApp::SetIdentity() {}

QString CKvApp::GetProgramVersion() const { return QString::fromLatin1(kv::kVersion); }

QString CKvApp::GetFirstStartCaption() const { return QStringLiteral("操作环境"); }

void CKvApp::AddDataType(CKvDataType* pType) {
  if (pType && !m_dataTypes.contains(pType))
    m_dataTypes.append(pType);
}

bool CKvApp::HasRight(const QString& code) {
  if (code.isEmpty())
    return false;
  const QStringList held = m_dataFile.GetRights().split(u' ', Qt::SkipEmptyParts);
  return held.contains(code);
}

bool CKvApp::RebuildTemplateIndex() {
  m_templateIndex.clear();
  RegisterTemplateGroups();
  return !m_templateIndex.isEmpty();
}

bool CKvApp::HasUnitFeature(QString* caption) const {
  if (caption)
    *caption = QStringLiteral("独立核算单位");
  return false;
}

bool CKvApp::IsUnitFeatureActive() const {
  return HasUnitFeature(nullptr) && KvGetActiveDataType() != nullptr;
}

bool CKvApp::HasExportRight() { return KvHasRightCode(QStringLiteral("0012")); }

void CKvApp::LogExport(const QString& detail) { CKvOperation(29, detail); }

void CKvApp::GetDefaultPrintSet(int nFormNo, const QString& formName, CKvPrintSet& set) {
  for (CKvDataType* pType : m_dataTypes)
    pType->GetDefaultPrintSet(nFormNo, formName, set);
}

int CKvApp::GetPrintPosForms(int nLayoutId, CKvPrintFieldDefs& defs) {
  for (CKvDataType* pType : m_dataTypes)
    pType->GetPrintPosForms(nLayoutId, defs);
  return defs.Count();
}

bool CKvApp::OpenDefaultPrinter(QPrinter& printer, const KvPaperRequest& request) {
  return KvOpenPrinter(printer, request);
}

bool CKvApp::CheckTexts(const QString&, const QString&) { return true; }

int CKvApp::AskModules(int nValue, const QString& text1, const QString& text2, int nValue2,
                       int nValue3) {
  for (CKvDataType* pType : m_dataTypes) {
    const int answer = pType->Answer(nValue, text1, text2, nValue2, nValue3);
    if (answer != 0)
      return answer;
  }
  return 0;
}

// --- Free functions ---

CKvApp* KvGetApp() { return theApp; }

CKvDb* KvGetAppDb() { return theApp ? theApp->GetDb() : nullptr; }

CKvDataType* KvFindDataType(int nModule) {
  if (!theApp)
    return nullptr;
  for (CKvDataType* pType : theApp->GetDataTypes())
    if (pType->GetModule() == nModule)
      return pType;
  return nullptr;
}

CKvDataType* KvGetActiveDataType() {
  const KvAppFrame* frame = KvGetAppFrame();
  if (!theApp || !frame)
    return nullptr;
  const int selected = frame->SelectedTemplateTab();
  int position = 0;
  for (CKvDataType* pType : theApp->GetDataTypes()) {
    if (!pType->m_bHasTab)
      continue;
    if (position == selected)
      return pType;
    ++position;
  }
  return nullptr;
}

bool KvHasRightCode(const QString& code) { return theApp && theApp->HasRight(code); }

QString KvModuleRightCode(int nModule, const QString& item) {
  return (QString::number(nModule + 100) + item).right(4);
}

bool KvHasRight(int nModule, const QString& item) {
  return KvHasRightCode(KvModuleRightCode(nModule, item));
}

QString KvGetRegKeyPath() {
  // Before the edition has set its identity, the program's own key.
  const QString productKey = theApp && !theApp->GetProductKey().isEmpty()
                                 ? theApp->GetProductKey()
                                 : QString::fromLatin1(kv::kProductKey);
  const QString version =
      theApp ? theApp->GetProgramVersion() : QString::fromLatin1(kv::kVersion);
  return QStringLiteral("Software\\%1\\%2\\%3")
      .arg(QString::fromLatin1(kv::kOrganisation), productKey, version);
}

QString KvGetDbKindLetter() {
  return theApp && theApp->GetDbKind() != 0 ? QStringLiteral("S") : QStringLiteral("A");
}

QString KvGetVersionTag() {
  if (!theApp)
    return QString::fromLatin1(kv::kVersion) + KvGetDbKindLetter();
  return theApp->GetVersionSuffix() + theApp->GetProgramVersion() + KvGetDbKindLetter();
}

QString KvGetEditionText() {
  if (!theApp)
    return KvGetDbKindLetter() + QString::fromLatin1(kv::kVersion);
  return KvGetDbKindLetter() + theApp->GetProgramVersion() + u'.' +
         QString::number(theApp->GetRevision()) + theApp->GetVersionSuffix();
}

bool KvCheckDbEngine() {
  bool ok = false;
  sqlite3* db = nullptr;
  if (sqlite3_open(":memory:", &db) == SQLITE_OK && KvRegisterJetFunctions(db)) {
    const QByteArray sql =
        KvTranslateSql(QStringLiteral("Select Mid('abc',2,1)"), false).toUtf8();
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
      ok = text && QByteArray(text) == "b";
    }
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  if (!ok)
    KvMessageBox(QStringLiteral("SQLite数据库引擎无法正常工作！"), KV_MB_OK | KV_MB_ICONSTOP);
  return ok;
}
