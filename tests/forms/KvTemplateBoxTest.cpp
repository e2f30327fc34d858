// The template list in the main frame: a page per module tab, made afresh
// with every rebuild; the tab renamed and kept; the view the operator chose
// kept per module; 43101 hiding the box; 57600 and 57601 opening the type
// selected in the list; and closing the main frame closing every document
// window, each asking to save and keeping its open arguments.

#include "KvTemplateListTestSupport.h"
#include "app/CKvMainFrm.h"
#include "app/CKvTemplateBox.h"
#include "app/KvDocOpenMode.h"
#include "core/KvRegistry.h"
#include "ui/CKvCommandRouter.h"
#include "ui/CMdiClient.h"
#include "ui/KvCommands.h"

#include <QApplication>
#include <QInputDialog>
#include <QListView>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTabBar>

namespace {

// A second form module with a tab of its own.
class KvOtherFormModule : public KvFakeFormModule {
 public:
  KvOtherFormModule() {
    m_nModule = 31;
    m_strTabLabel = QStringLiteral("其他");
  }
};

}  // namespace

class KvTemplateBoxTest : public KvTemplateListTest {
 protected:
  void SetUp() override {
    KvTemplateListTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    m_list.reset();
    m_pOther = new KvOtherFormModule;
    m_app.AddDataType(m_pOther);
    m_pModule->m_strTabLabel = QStringLiteral("测试");
    m_pModule->m_bHasTab = 1;
    m_pOther->m_bHasTab = 1;
    m_frame = std::make_unique<CKvMainFrm>();
    m_frame->show();
    m_frame->RestoreTemplateTabs();
    m_frame->ShowTemplateBox(true);
  }
  void TearDown() override {
    m_frame.reset();
    KvTemplateListTest::TearDown();
  }
  CKvTemplateBox* box() { return m_frame->TemplateBox(); }
  CKvTemplateList* pageList(int tab) { return qobject_cast<CKvTemplateList*>(box()->Page(tab)); }
  static bool enabled(int id) { return CKvCommandRouter::Instance()->IsEnabled(id); }

  std::unique_ptr<CKvMainFrm> m_frame;
  KvOtherFormModule* m_pOther = nullptr;
};

TEST_P(KvTemplateBoxTest, EachTabShowsItsModulesListMadeAfreshWithTheTabs) {
  ASSERT_EQ(box()->TabCount(), 2);
  CKvTemplateList* first = pageList(0);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->GetModule(), 30);
  EXPECT_EQ(first->objectName(), QStringLiteral("id_1301"));
  EXPECT_EQ(m_pModule->GetTemplateList(), first);
  EXPECT_EQ(first->GetItemCount(), 3);
  EXPECT_TRUE(first->isVisibleTo(box()));
  box()->SelectTab(1);
  EXPECT_FALSE(first->isVisibleTo(box()));
  EXPECT_TRUE(pageList(1)->isVisibleTo(box()));
  EXPECT_EQ(pageList(1)->GetModule(), 31);

  // A login rebuilds the tabs: the rows follow the new data file and rights.
  ASSERT_TRUE(store(300, 5, QStringLiteral("复件_甲")));
  QPointer<CKvTemplateList> old(first);
  m_frame->RestoreTemplateTabs();
  EXPECT_TRUE(old.isNull());
  EXPECT_EQ(pageList(0)->GetItemCount(), 4);
  m_pModule->RefillTemplateList(300, 5);
  EXPECT_EQ(pageList(0)->GetSelectedRows(), QList<int>{pageList(0)->FindRow(300, 5)});

  // The chosen view stays the module's.
  EXPECT_EQ(pageList(0)->GetStyle() & CKvListCtrl::LVS_TYPEMASK, unsigned(CKvListCtrl::LVS_ICON));
  pageList(0)->ExecuteCmd(KV_CMD_VIEW_DETAILS);
  m_frame->RestoreTemplateTabs();
  EXPECT_EQ(pageList(0)->GetStyle() & CKvListCtrl::LVS_TYPEMASK, unsigned(CKvListCtrl::LVS_REPORT));
  EXPECT_EQ(pageList(1)->GetStyle() & CKvListCtrl::LVS_TYPEMASK, unsigned(CKvListCtrl::LVS_ICON));
}

TEST_P(KvTemplateBoxTest, TheListRenamesItsTabAndHidesTheBox) {
  KvScopedDialogExec exec([](QDialog* dialog) {
    auto* input = qobject_cast<QInputDialog*>(dialog);
    if (!input)
      return int(QDialog::Rejected);
    EXPECT_EQ(input->textValue(), QStringLiteral("测试"));
    input->setTextValue(QStringLiteral(" 收费模板 "));
    return int(QDialog::Accepted);
  });
  pageList(0)->ExecuteCmd(KV_CMD_RENAME_MODULE_TAB);
  EXPECT_EQ(box()->TabBar()->tabText(0), QStringLiteral("收费模板"));
  QString stored;
  KvRegReadString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), QStringLiteral("tablabel_30"), &stored);
  EXPECT_EQ(stored, QStringLiteral("收费模板"));
  m_pModule->RegisterTemplates();
  EXPECT_EQ(m_pModule->m_strTabLabel, QStringLiteral("收费模板"));

  pageList(0)->ExecuteCmd(KV_BAR_TEMPLATE_BOX);
  EXPECT_FALSE(m_frame->IsTemplateBoxVisible());
}

TEST_P(KvTemplateBoxTest, NewAndOpenOfTheMainMenuTakeTheSelectedType) {
  CKvTemplateList* list = pageList(0);
  list->DetailsView()->selectionModel()->clearSelection();
  EXPECT_FALSE(enabled(KV_CMD_FILE_NEW));
  EXPECT_FALSE(enabled(KV_CMD_FILE_OPEN));
  // The locked type without the right: neither.
  list->SelectRow(list->FindRow(300, 1));
  EXPECT_FALSE(enabled(KV_CMD_FILE_NEW));
  EXPECT_FALSE(enabled(KV_CMD_FILE_OPEN));

  list->SelectRow(list->FindRow(300, 0));
  ASSERT_TRUE(enabled(KV_CMD_FILE_NEW));
  ASSERT_TRUE(CKvCommandRouter::Instance()->Execute(KV_CMD_FILE_NEW));
  ASSERT_EQ(m_frame->MdiClient()->subWindowList().size(), 1);
  EXPECT_EQ(m_frame->MdiClient()->subWindowList().at(0)->windowTitle(), QStringLiteral("收费表"));
  // A double click opens it too.
  list->SelectRow(list->FindRow(301, 0));
  emit list->DetailsView()->doubleClicked(list->View()->model()->index(list->FindRow(301, 0), 0));
  EXPECT_EQ(m_frame->MdiClient()->subWindowList().size(), 2);
}

TEST_P(KvTemplateBoxTest, ClosingTheMainFrameClosesEveryDocumentAskingAndKeepingItsArguments) {
  CKvTemplateList* list = pageList(0);
  list->SelectRow(list->FindRow(300, 0));
  ASSERT_TRUE(CKvCommandRouter::Instance()->Execute(KV_CMD_FILE_OPEN));
  ASSERT_EQ(m_frame->MdiClient()->subWindowList().size(), 1);
  auto* frame = qobject_cast<CFormChildFrm*>(m_frame->MdiClient()->subWindowList().at(0));
  ASSERT_NE(frame, nullptr);
  frame->GetDocument()->FindView<KvFakeView>()->changed = true;

  // Cancel keeps the document and the main frame.
  KvMessageRecorder recorder;
  recorder.script({KV_IDCANCEL});
  EXPECT_FALSE(m_frame->close());
  EXPECT_EQ(m_frame->MdiClient()->subWindowList().size(), 1);
  EXPECT_EQ(KvFakeControl().closes, 0);

  // No closes it without saving; its arguments are kept.
  recorder.script({KV_IDNO});
  EXPECT_TRUE(m_frame->close());
  EXPECT_TRUE(m_frame->MdiClient()->subWindowList().isEmpty());
  EXPECT_EQ(recorder.messages().size(), 2);
  EXPECT_EQ(recorder.messages().at(1).text, QStringLiteral("当前文档已发生了变化，存盘吗？"));
  EXPECT_EQ(KvFakeControl().closes, 1);
  EXPECT_EQ(KvFakeControl().saves, 0);
  QStringList args;
  ASSERT_EQ(KvReadDocOpenMode(300, 0, args), 2);
  EXPECT_EQ(args, (QStringList{QStringLiteral("2024"), QStringLiteral("closed")}));
}

INSTANTIATE_TEST_SUITE_P(Kinds, KvTemplateBoxTest, ::testing::Values(0), KvDbKindName);
