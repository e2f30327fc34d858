#include "KvDataFileTestSupport.h"

#include "app/CKvApp.h"
#include "app/CKvDwRec.h"
#include "core/CKvDb.h"
#include "core/CKvDbInfo.h"
#include "datafile/KvDataFileInstall.h"
#include "school/KvSchoolInstall.h"
#include "support/KvTestWorkers.h"
#include "ui/KvModal.h"

#include <cstdio>
#include <cstdlib>

KvMonthTestModule::KvMonthTestModule() {
  m_nModule = kModule;
  m_strCaption = QStringLiteral("测试");
  m_strTabLabel = QStringLiteral("测试模块");
}

int KvMonthTestModule::GetMonthPeriod(QString& name) {
  name = QStringLiteral("收费月");
  return 5;
}

bool KvMonthTestModule::CheckMonthChange(int nMonth, const QString& text1, const QString& text2) {
  calls.append(QStringLiteral("check %1 %2 %3").arg(nMonth).arg(text1, text2));
  return !refuseChange;
}

void KvMonthTestModule::OnFirstMonthChanged(int nMonth, const QString& text1, const QString& text2) {
  calls.append(QStringLiteral("first %1 %2 %3").arg(nMonth).arg(text1, text2));
}

bool KvMonthTestModule::CreateTables(CKvDb* pDb) {
  return pDb->TableExists(QStringLiteral("TDW")) ||
         pDb->Execute(QStringLiteral("Create Table TDW(HDO Char(14),V Long)"),
                      QStringLiteral("Create Table TDW(HDO Char(14),V INT)"));
}

void KvMonthTestModule::GetCodeReferences(const QString& kind, KvCodeRefs& refs) {
  if (kind == u"KVDW")
    refs.Add(QStringLiteral("TDW"), QStringLiteral("HDO"), QStringLiteral("1测试数据"));
}

bool KvMonthTestModule::Check(int nValue, const QString& text, QString& message) {
  if (nValue != 8 && nValue != 9)
    return true;
  if (refuseImport == nValue) {
    message = QStringLiteral("测试拒绝");
    return false;
  }
  if (nValue == 8)
    return true;
  if (duringImport)
    duringImport();
  const QStringList parts = text.split(u'\n');
  CKvDb source(0);
  if (parts.size() < 4 || !source.Open(parts.at(2), CKvDbInfo(0)))
    return false;
  QStringList values[1];
  source.QueryTexts(QStringLiteral("Select V From TDW Where HDO='%1'").arg(parts.at(0)), values, 1);
  for (const QString& v : values[0])
    if (!KvGetAppDb()->Execute(QStringLiteral("Insert Into TDW(HDO,V) Values('%1',%2)").arg(parts.at(1), v)))
      return false;
  return true;
}

KvDataFileTestApp::KvDataFileTestApp() : module(new KvMonthTestModule) {
  KvInstallSchool();
  InitInstance();
  AddDataType(module);
  KvInstallDataFile();
}

KvDialogSteps::KvDialogSteps(QList<Step> steps) : m_steps(std::move(steps)) {
  KvSetDialogExec([this](QDialog* dialog) {
    names.append(dialog->objectName());
    dialog->show();
    const int result = m_steps.isEmpty() ? int(QDialog::Rejected) : m_steps.takeFirst()(dialog);
    dialog->hide();
    return result;
  });
}

KvDialogSteps::~KvDialogSteps() { KvSetDialogExec({}); }

void KvGrabWindow(QWidget* window, const QString& name) {
  const QByteArray folder = qgetenv("KV_TEST_GRAB");
  if (!folder.isEmpty())
    window->grab().save(QString::fromLocal8Bit(folder) + u'/' + name + QStringLiteral(".png"));
}

void KvDataFileDbTest::SetUp() {
  KvModuleDbTest::SetUp();
  if (IsSkipped() || HasFatalFailure())
    return;
  m_app->GetDataFile().SetLogOn(true);
  m_app->GetDataFile().GetYear(true);
}

std::unique_ptr<KvModuleTestApp> KvDataFileDbTest::MakeApp() { return std::make_unique<KvDataFileTestApp>(); }

QStringList KvDataFileDbTest::Months(int type) {
  return Rows(QStringLiteral("ZRVMONTH"), QStringLiteral("rtrim(YY),rtrim(MM),rtrim(T0),rtrim(T1)"),
              QStringLiteral("Where nType=%1").arg(type));
}

QStringList KvDataFileDbTest::LogNotes(int code) {
  return Rows(QStringLiteral("KvLog"), QStringLiteral("sNote"), QStringLiteral("Where nTaskID=%1").arg(code));
}

void KvDataFileDbTest::AddUnit(const QString& code, const QString& name) {
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into KVDW(KNO,NA,JA,MAR,MGR,TEL,ADR,NT) "
                                            "Values('%1','%2','%2','','','','','')")
                                 .arg(code, name)));
  CKvDwRec().KvSelectDw(QString(), QStringLiteral("Order By KNO"), &KvGetDwArray(), pdb());
}

QStringList KvDataFileDbTest::Units() {
  return Rows(QStringLiteral("KVDW"), QStringLiteral("rtrim(KNO),rtrim(JA)"));
}

void KvHoldDataFileInWorker(const char* role) {
  const QString heldPath = KvTestWorkerRequest(role);
  if (heldPath.isEmpty())
    return;
  CKvDb held(0);
  KvTestWorkerSay(held.Open(heldPath, CKvDbInfo(0)) ? "READY" : "NOT OPEN");
  KvTestWorkerWaitForGo();
  std::fflush(stdout);
  std::_Exit(0);
}
