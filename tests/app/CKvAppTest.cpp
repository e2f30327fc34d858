// The application object without a data file: identity, module registration
// and lookup, the active module through the frame, the template index, the
// catalogues built from the modules, the Settings commands and the services
// the lower libraries reach the application through.

#include "KvShellTestApp.h"
#include "app/CKvOperation.h"
#include "app/KvAppFrame.h"
#include "core/KvMessage.h"
#include "print/CKvPrintFieldDefs.h"
#include "print/CKvPrintSet.h"
#include "print/KvPrintProviders.h"
#include "ui/CKvCommandRegistry.h"
#include "ui/CKvCommandRouter.h"
#include "ui/KvAppServices.h"
#include "ui/KvCommands.h"

#include <gtest/gtest.h>

namespace {

class FakeFrame : public KvAppFrame {
 public:
  int SelectedTemplateTab() const override { return selected; }
  bool IsTemplateBoxVisible() const override { return visible; }
  void ShowTemplateBox(bool bShow) override { visible = bShow; }
  bool HasActiveChildFrame() const override { return child; }
  CMdiClient* MdiClient() const override { return nullptr; }

  int selected = -1;
  bool visible = false;
  bool child = false;
};

// A module that appends one positioned-print layout and sets one page value.
class PrintingModule : public CKvDataType {
 public:
  PrintingModule(int nModule, int nTop) : m_nTop(nTop) { m_nModule = nModule; }
  void GetPrintPosForms(int nLayoutId, CKvPrintFieldDefs& defs) override {
    defs.Add(QString::number(m_nModule), QStringLiteral("layout %1").arg(nLayoutId), QString());
  }
  void GetDefaultPrintSet(int, const QString&, CKvPrintSet& set) override { set.PageTop = m_nTop; }

 private:
  int m_nTop;
};

CKvTemplateIndexEntry entry(int nModule, int bEnabled = 1, const QString& members = QString()) {
  return CKvTemplateIndexEntry(QStringLiteral("组"), QString(), bEnabled, nModule, members);
}

}  // namespace

TEST(CKvAppTest, SchoolEditionIdentityAndModules) {
  CKvXxApp app;
  ASSERT_TRUE(app.InitInstance());
  EXPECT_EQ(KvGetApp(), &app);
  EXPECT_EQ(app.GetEditionCode(), 22);
  EXPECT_EQ(app.GetDataFileExt(), u"xxd");
  EXPECT_EQ(KvGetRegKeyPath(), u"Software\\zrvsoft\\Kvqy\\5.2");
  EXPECT_EQ(KvGetVersionTag(), u"5.2A");
  EXPECT_EQ(KvGetEditionText(), u"A5.2.9");
  EXPECT_EQ(app.GetFirstStartCaption(), u"初启学校管理软件");

  ASSERT_EQ(app.GetDataTypes().size(), 2);
  EXPECT_EQ(app.GetDataTypes().at(0)->GetModule(), 18);
  EXPECT_EQ(app.GetDataTypes().at(1)->GetModule(), 19);
  EXPECT_EQ(KvFindDataType(19), app.GetDataTypes().at(1));
  EXPECT_EQ(KvFindDataType(3), nullptr);
  EXPECT_EQ(app.GetDataTypes().at(0)->m_strTabLabel, u"收费");

  // The school's groups show its two modules (and module 3), no other.
  const QList<CKvTemplateIndexEntry>& index = app.GetTemplateIndex();
  ASSERT_EQ(index.size(), 2);
  EXPECT_EQ(index.at(1).m_strCaption, u"排课");
  for (int module : {18, 19, 3})
    EXPECT_TRUE(CKvTemplateIndexEntry::IsModuleShown(module, index)) << module;
  EXPECT_FALSE(CKvTemplateIndexEntry::IsModuleShown(20, index));
}

TEST(CKvAppTest, GoneApplicationLeavesNoServicesBehind) {
  {
    CKvXxApp app;
    app.InitInstance();
  }
  EXPECT_EQ(KvGetApp(), nullptr);
  EXPECT_EQ(KvGetAppDb(), nullptr);
  EXPECT_EQ(KvFindDataType(18), nullptr);
  EXPECT_FALSE(KvHasRightCode(QStringLiteral("0001")));
  CKvPrintFieldDefs defs;
  EXPECT_EQ(GetPrintPosForms(-1, defs), 0);
  KvAppServiceLog(17, QStringLiteral("nothing to log into"));
  // Without an application the key path still names the product.
  EXPECT_EQ(KvGetRegKeyPath(), u"Software\\zrvsoft\\Kvqy\\5.2");
}

TEST(CKvAppTest, ActiveModuleCountsOnlyModulesWithTabs) {
  CKvXxApp app;
  app.InitInstance();
  CKvDataType* fees = KvFindDataType(18);
  CKvDataType* timetable = KvFindDataType(19);
  EXPECT_EQ(KvGetActiveDataType(), nullptr);  // no frame
  EXPECT_FALSE(KvHasActiveChildFrame());
  EXPECT_FALSE(KvIsTemplateBoxVisible());

  FakeFrame frame;
  KvAppFrame* previous = KvSetAppFrame(&frame);
  frame.selected = 0;
  EXPECT_EQ(KvGetActiveDataType(), nullptr);  // no module shows a tab
  fees->m_bHasTab = 1;
  timetable->m_bHasTab = 1;
  frame.selected = 1;
  EXPECT_EQ(KvGetActiveDataType(), timetable);
  fees->m_bHasTab = 0;
  frame.selected = 0;
  EXPECT_EQ(KvGetActiveDataType(), timetable);
  frame.selected = 1;
  EXPECT_EQ(KvGetActiveDataType(), nullptr);

  KvShowTemplateBox(true);
  frame.child = true;
  EXPECT_TRUE(KvIsTemplateBoxVisible());
  EXPECT_TRUE(KvHasActiveChildFrame());
  KvSetAppFrame(previous);
}

TEST(CKvAppTest, TemplateIndexGroups) {
  const QString members = QStringLiteral(" 20  21 ");
  // A group shows its leading module while no member has an entry.
  QList<CKvTemplateIndexEntry> entries = {entry(-1, 1, QStringLiteral(" 20 21 "))};
  EXPECT_TRUE(CKvTemplateIndexEntry::IsModuleShown(20, entries));
  EXPECT_FALSE(CKvTemplateIndexEntry::IsModuleShown(21, entries));
  // A member with its own entry shows itself and hides the group's leader.
  entries.append(entry(21));
  EXPECT_TRUE(CKvTemplateIndexEntry::IsModuleShown(21, entries));
  EXPECT_FALSE(CKvTemplateIndexEntry::IsModuleShown(20, entries));
  // Disabled entries count for nothing.
  EXPECT_FALSE(CKvTemplateIndexEntry::IsModuleShown(22, {entry(22, 0), entry(18)}));
  EXPECT_TRUE(CKvTemplateIndexEntry::IsModuleShown(22, {}));
  EXPECT_FALSE(CKvTemplateIndexEntry::IsModuleShown(20, {entry(-1, 0, members)}));
}

TEST(CKvAppTest, CataloguesCombineApplicationAndModulesInOrder) {
  KvShellTestApp app;
  app.createModules = [](KvShellTestApp& a) {
    a.AddDataType(new KvShellTestModule(30));
    a.AddDataType(new KvShellTestModule(19));
  };
  app.InitInstance();

  QStringList codes{QStringLiteral("stale")};
  QStringList names;
  app.GetRightCatalogue(codes, names);
  // Shared rights once (the first wins), then each module's items.
  EXPECT_EQ(codes, (QStringList{"0001", "0006", "0005", "0007", "0011", "0012", "0080", "3001",
                                "1303", "1901", "1193"}));
  EXPECT_EQ(names.at(1), u"数据备份");
  EXPECT_EQ(names.size(), codes.size());
  EXPECT_EQ(KvModuleRightCode(18, QStringLiteral("05")), u"1805");
  EXPECT_EQ(KvModuleRightCode(18, QStringLiteral("001")), u"8001");

  QList<int> numbers;
  QStringList opNames;
  app.GetOperationNames(numbers, opNames);
  EXPECT_EQ(numbers.size(), 22);  // 21 of the application and 40 once
  EXPECT_EQ(numbers.indexOf(2), 2);
  EXPECT_EQ(opNames.at(2), u"年度文件信息");
  EXPECT_EQ(numbers.last(), 40);
  EXPECT_EQ(CKvOperation::GetOperationName(2), u"年度文件信息");
  EXPECT_EQ(CKvOperation::GetOperationName(1905), u"排课操作");
  EXPECT_EQ(CKvOperation::GetOperationName(1904), QString());
  EXPECT_EQ(CKvOperation::GetOperationName(2105), QString());

  QList<int> items;
  QStringList captions;
  QStringList tables;
  app.GetCarryCatalogue(items, captions, tables);
  // Of the shared items 101 and 201 only the first is kept, per module.
  EXPECT_EQ(items, (QList<int>{30003, 30101, 19003, 19101}));
  EXPECT_EQ(tables.at(1), u"A");

  KvCodeRefs refs;
  EXPECT_EQ(app.GetCodeReferences(QStringLiteral("OPR"), refs), 3);
  EXPECT_EQ(refs.Tables.last(), u"SysCsTab");
  EXPECT_EQ(refs.JetConditions.last(), u"Cs=4000 And (CsN=1 Or CsN=2)");
  KvCodeRefs none;
  EXPECT_EQ(app.GetCodeReferences(QStringLiteral("KVDW"), none), 0);

  EXPECT_EQ(app.GetClearedTables(), u"ZRVMONTH KvTask KvLog KvLogOp");
  QString message = QStringLiteral("old");
  EXPECT_TRUE(app.CheckModules(1, QStringLiteral("x"), message, QStringLiteral("30;19")));
  EXPECT_TRUE(message.isEmpty());
  EXPECT_EQ(app.AskModules(1, QString(), QString(), 0, 0), 0);
}

TEST(CKvAppTest, PrintProvidersAskEveryModuleInRegistrationOrder) {
  KvShellTestApp app;
  app.createModules = [](KvShellTestApp& a) {
    a.AddDataType(new PrintingModule(18, 111));
    a.AddDataType(new PrintingModule(19, 222));
  };
  app.InitInstance();
  CKvPrintFieldDefs defs;
  EXPECT_EQ(GetPrintPosForms(-1, defs), 2);
  EXPECT_EQ(defs.Names, (QStringList{"18", "19"}));
  CKvPrintSet set;
  GetDefaultPrintSet(272, QStringLiteral("课表"), set);
  EXPECT_EQ(set.PageTop, 222);  // the later module has the last word
}

TEST(CKvAppTest, SettingsCommandsWaitForTheirDialogs) {
  CKvXxApp app;
  app.InitInstance();
  CKvCommandRouter* router = CKvCommandRouter::Instance();
  EXPECT_EQ(CKvCommandRegistry::Instance().Caption(KV_CMD_SET_TEACHERS), u"教师 ...");
  EXPECT_EQ(CKvCommandRegistry::Instance().Caption(KV_CMD_SET_SCHOOL_TREE), u"机构、班级和学生 ...");
  EXPECT_EQ(router->TargetFor(KV_CMD_SET_TEACHERS), &app);
  EXPECT_FALSE(router->IsEnabled(KV_CMD_SET_TEACHERS));
  EXPECT_FALSE(router->Execute(KV_CMD_SET_TEACHERS));

  CKvDb* given = nullptr;
  int runs = 0;
  app.SetSettingsDialog(KV_CMD_SET_TEACHERS, [&](CKvDb* pDb) {
    given = pDb;
    ++runs;
  });
  EXPECT_TRUE(router->IsEnabled(KV_CMD_SET_TEACHERS));
  EXPECT_FALSE(router->IsEnabled(KV_CMD_SET_COURSES));
  EXPECT_TRUE(router->Execute(KV_CMD_SET_TEACHERS));
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(given, KvGetAppDb());
  app.SetSettingsDialog(KV_CMD_SET_TEACHERS, {});
  EXPECT_FALSE(router->IsEnabled(KV_CMD_SET_TEACHERS));
}

TEST(CKvAppTest, DatabaseEngineCheckPasses) {
  KvMessageRecorder recorder;
  EXPECT_TRUE(KvCheckDbEngine());
  EXPECT_TRUE(recorder.messages().isEmpty());
}
