#pragma once
// What the tests of the console, the account information and the log
// window share: the school edition with a test module 19 that gives
// account-information lines (one with a command), the data-file tools
// installed, opened on a test database of each kind; a main frame that has
// only a work area and a template-box tab; the log entries of one
// operation read back.

#include "app/CKvDataType.h"
#include "app/CKvDwRec.h"
#include "app/CKvXxApp.h"
#include "app/KvAppFrame.h"
#include "app/KvDataInfoItem.h"
#include "app/KvShellServices.h"
#include "datafile/KvDataFileInstall.h"
#include "school/KvSchoolInstall.h"
#include "support/module/KvModuleTestDb.h"
#include "support/school/KvSchoolGen.h"
#include "ui/CMdiClient.h"

#include <QStringList>

// Module 19 with a tab whose account information is a table the test sets.
class KvInfoModule : public CKvDataType {
 public:
  KvInfoModule() {
    m_nModule = 19;
    m_nMenuId = 326;
    m_strCaption = m_strTabLabel = QStringLiteral("排课");
    m_bHasTab = 1;
  }
  void GetDataInfo(const CKvDwRec& unit, const QString& year, const QString& month, int& nViewOp,
                   int& nRightItem, QString& caption, QList<KvDataInfoItem>& items) override {
    units.append(unit.KNO);
    asked.append(year + u'/' + month);
    nViewOp = viewOp;
    nRightItem = rightItem;
    caption = QStringLiteral("排课信息");
    items = lines;
  }
  void GetModuleOperationNames(QList<int>& numbers, QStringList& names) override {
    numbers.append(5);
    names.append(QStringLiteral("催交费用"));
  }
  bool RunDataInfoCommand(const CKvDwRec& unit, const QString& year, const QString& month,
                          const KvDataInfoItem& item) override {
    (void)unit, (void)year, (void)month;
    ran.append(item.strTopic);
    return commandResult;
  }

  QList<KvDataInfoItem> lines;
  int viewOp = 22;
  int rightItem = 36;
  bool commandResult = true;
  QStringList units;
  QStringList asked;
  QStringList ran;
};

inline KvDataInfoItem KvInfoLine(int kind, const QString& topic, const QString& command = QString(),
                                 const QString& right = QString(), int operation = 0) {
  KvDataInfoItem item;
  item.nKind = kind;
  item.strTopic = topic;
  item.strResult = topic + QStringLiteral("结果");
  item.strDetail = topic + QStringLiteral("详情");
  item.bHasCommand = command.isEmpty() ? 0 : 1;
  item.strCommand = command;
  item.strRightItem = right;
  item.nOperation = operation;
  return item;
}

class KvToolsTestApp : public KvModuleTestApp {
 public:
  KvToolsTestApp() {
    KvInstallSchool();
    CKvXxApp::SetDataTypeFactory(19, [] { return new KvInfoModule; });
    InitInstance();
    CKvXxApp::SetDataTypeFactory(19, {});
    KvInstallShellServices();
    KvInstallDataFile();
  }
  KvInfoModule* InfoModule() { return static_cast<KvInfoModule*>(KvFindDataType(19)); }
};

// A main frame with a work area whose template box has a selected tab.
class KvToolsFrame : public KvAppFrame {
 public:
  explicit KvToolsFrame(int tab) : selectedTab(tab) {
    area.resize(1000, 700);
    area.show();
    m_pPrevious = KvSetAppFrame(this);
  }
  ~KvToolsFrame() override { KvSetAppFrame(m_pPrevious); }
  int SelectedTemplateTab() const override { return selectedTab; }
  bool IsTemplateBoxVisible() const override { return true; }
  void ShowTemplateBox(bool) override {}
  bool HasActiveChildFrame() const override { return area.activeSubWindow() != nullptr; }
  CMdiClient* MdiClient() const override { return const_cast<CMdiClient*>(&area); }

  int selectedTab;
  CMdiClient area;

 private:
  KvAppFrame* m_pPrevious = nullptr;
};

class KvToolsDbTest : public KvModuleDbTest {
 protected:
  std::unique_ptr<KvModuleTestApp> MakeApp() override { return std::make_unique<KvToolsTestApp>(); }
  bool SetTreeParams(CKvDb* pDb) override { return KvSetGeneratedSchoolParams(pDb); }

  KvToolsTestApp& app() { return static_cast<KvToolsTestApp&>(*m_app); }
  // The template-box tab of module 19.
  int InfoTab() const {
    int tab = 0;
    for (CKvDataType* type : m_app->GetDataTypes()) {
      if (type->GetModule() == 19)
        return tab;
      tab += type->m_bHasTab ? 1 : 0;
    }
    return -1;
  }
  // The notes of the log entries of an operation code, in the order written.
  QStringList LogNotes(int code) {
    QStringList notes;
    pdb()->QueryTexts(QStringLiteral("Select sNote From KvLog Where nTaskID=%1 Order By sT,sNote").arg(code),
                      &notes, 1);
    return notes;
  }
  // Logs the operator in as `code` holding only the rights.
  void LoginAs(const QString& code, const QStringList& rights = {}) {
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From PWR Where OPNO='%1'").arg(code)));
    for (const QString& right : rights)
      ASSERT_TRUE(pdb()->Execute(
          QStringLiteral("Insert Into PWR(OPNO,PWR) Values('%1','%2')").arg(code, right)));
    m_app->GetDataFile().SetOperatorCode(code);
    ASSERT_TRUE(m_app->GetDataFile().LoadRights());
  }
};
