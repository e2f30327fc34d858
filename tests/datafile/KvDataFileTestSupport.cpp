#include "KvDataFileTestSupport.h"

#include "app/CKvApp.h"
#include "core/CKvDb.h"
#include "datafile/KvDataFileInstall.h"
#include "school/KvSchoolInstall.h"
#include "ui/KvModal.h"

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
