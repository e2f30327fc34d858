// The form view: the main window's commands reach the focused list or tree
// as the view maps them and are grey anywhere else; hints over the
// controls, trees left out on a property page.

#include "ui/CZrvFormView.h"

#include "core/KvClipboard.h"
#include "core/KvMessage.h"
#include "ui/CKvCommandRouter.h"
#include "ui/CKvPropertyPage.h"
#include "ui/CKvTreeView.h"
#include "ui/CKvWordCB.h"
#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"
#include "ui/KvRowClipboard.h"
#include "ui/KvToolTips.h"
#include "KvListTestSupport.h"
#include "KvViewTestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
class RecordingTree : public CKvTreeView {
 public:
  QStringList calls;
  void OnNew() override { calls.append(QStringLiteral("new")); }
};

// Form 960: a name field (1001), a pupils' list (1002), a tree (1003), a
// combo box (1004) and the help button (57670).
class PupilForm : public CZrvFormView {
 public:
  PupilForm() : CZrvFormView(960) {
    auto* layout = new QVBoxLayout(Form());
    layout->addWidget(name = KvSetControlId(new QLineEdit, 1001));
    layout->addWidget(list = KvSetControlId(new KvRecordingList, 1002));
    layout->addWidget(tree = KvSetControlId(new RecordingTree, 1003));
    layout->addWidget(combo = KvSetControlId(new QComboBox, 1004));
    layout->addWidget(help = KvSetControlId(new QPushButton(QStringLiteral("帮助")), KV_CMD_HELP));
    KvFillPupils(*list);
    tree->InitTree();
    new QTreeWidgetItem(tree, QStringList{QStringLiteral("初一")});
  }

  QLineEdit* name;
  KvRecordingList* list;
  RecordingTree* tree;
  QComboBox* combo;
  QPushButton* help;
};

class CZrvFormViewTest : public ::testing::Test {
 protected:
  void SetUp() override { host.Place(form, QStringLiteral("学生")); }

  bool enabled(int id) { return CKvCommandRouter::Instance()->IsEnabled(id); }
  bool run(int id) { return CKvCommandRouter::Instance()->Execute(id); }

  KvViewHost host;
  PupilForm* form = new PupilForm;
};
}  // namespace

TEST_F(CZrvFormViewTest, FocusInAnEditFieldGreysTheForwardedCommands) {
  form->name->setFocus();
  form->name->setText(QStringLiteral("张三"));
  form->name->selectAll();
  for (int id : {KV_CMD_EDIT_COPY, KV_CMD_EDIT_PASTE, KV_CMD_EDIT_CUT, KV_CMD_EDIT_FIND, KV_CMD_DELETE,
                 KV_CMD_FILE_NEW, KV_CMD_FILE_OPEN, KV_CMD_FORM_LEFT, KV_CMD_FILE_PRINT})
    EXPECT_FALSE(enabled(id)) << id;
  // The shared action of the menu follows.
  EXPECT_FALSE(CKvCommandRouter::Instance()->Action(KV_CMD_EDIT_COPY)->isEnabled());

  // Return and Escape in the field reach nothing.
  KvSelectRows(*form->list, {0});
  QTest::keyClick(form->name, Qt::Key_Return);
  QTest::keyClick(form->name, Qt::Key_Escape);
  EXPECT_TRUE(form->list->calls.isEmpty());
}

TEST_F(CZrvFormViewTest, FocusInAListFollowsItsSelectionAndCopiesItsRows) {
  form->list->setFocus();
  CKvCommandRouter* router = CKvCommandRouter::Instance();
  QAction* copy = router->Action(KV_CMD_EDIT_COPY);
  KvSelectRows(*form->list, {});
  EXPECT_FALSE(copy->isEnabled());
  EXPECT_FALSE(enabled(KV_CMD_DELETE));

  KvSelectRows(*form->list, {1, 3});
  EXPECT_TRUE(copy->isEnabled());
  EXPECT_TRUE(enabled(KV_CMD_DELETE));
  QGuiApplication::clipboard()->clear();
  EXPECT_TRUE(run(KV_CMD_EDIT_COPY));
  QString text;
  KvGetClipboardText(&text, KV_ROW_CLIPBOARD_FORMAT);
  EXPECT_EQ(text, QStringLiteral("0复制\n002\n004\n"));

  // New goes to the list as its own new.
  EXPECT_TRUE(run(KV_CMD_FILE_NEW));
  EXPECT_EQ(form->list->calls, QStringList{"new"});
}

TEST_F(CZrvFormViewTest, OpenAsksModifyAndSendsOpen) {
  form->list->setFocus();
  KvSelectRows(*form->list, {0});
  form->list->refused = {KV_CMD_MODIFY};
  EXPECT_FALSE(enabled(KV_CMD_FILE_OPEN));
  form->list->refused = {KV_CMD_OPEN};
  EXPECT_TRUE(enabled(KV_CMD_FILE_OPEN));
  EXPECT_TRUE(run(KV_CMD_FILE_OPEN));
  EXPECT_TRUE(form->list->calls.isEmpty());  // open itself is refused

  form->list->refused.clear();
  EXPECT_TRUE(run(KV_CMD_FILE_OPEN));
  EXPECT_EQ(form->list->calls, QStringList{"open"});

  // Escape, which the list leaves alone, goes back.
  QTest::keyClick(form->list->View(), Qt::Key_Escape);
  EXPECT_EQ(form->list->calls, (QStringList{"open", "left"}));

  // In a tree, Return (which the tree leaves alone) opens only what may be
  // modified; new reaches the tree.
  form->tree->setFocus();
  form->tree->setCurrentItem(form->tree->topLevelItem(0));
  EXPECT_TRUE(run(KV_CMD_FILE_NEW));
  EXPECT_EQ(form->tree->calls, QStringList{"new"});
  // What the tree view does not take is not offered.
  EXPECT_FALSE(enabled(KV_CMD_FILE_PRINT));
  EXPECT_FALSE(enabled(KV_CMD_EDIT_SELECT_ALL));
}

TEST_F(CZrvFormViewTest, LeftAndRightDeliverOneKeyPress) {
  form->list->setFocus();
  KvSelectRows(*form->list, {0});
  EXPECT_TRUE(run(KV_CMD_FORM_LEFT));
  EXPECT_EQ(form->list->calls, QStringList{"left"});
  EXPECT_TRUE(run(KV_CMD_FORM_RIGHT));
  EXPECT_EQ(form->list->calls, (QStringList{"left", "right"}));

  // Enabled as the list allows going back and forward.
  form->list->refused = {KV_CMD_BACK};
  EXPECT_FALSE(enabled(KV_CMD_FORM_LEFT));
  KvSelectRows(*form->list, {0, 1});
  EXPECT_FALSE(enabled(KV_CMD_FORM_RIGHT));  // forward needs exactly one row
}

TEST_F(CZrvFormViewTest, ControlsGetTheirHints) {
  EXPECT_EQ(form->list->toolTip(), KvMenuControlHint());
  EXPECT_EQ(form->tree->toolTip(), KvMenuControlHint());
  EXPECT_EQ(form->combo->toolTip(), KvComboHint());
  EXPECT_EQ(form->help->toolTip(), KvHelpButtonHint());
  EXPECT_EQ(form->name->toolTip(), QString());
}

TEST(CKvPropertyPageTest, HintsLeaveOutTreesAndButtons) {
  CKvPropertyPage page(961);
  auto* layout = new QVBoxLayout(&page);
  auto* word = KvSetControlId(new CKvWordCB, 1001);
  auto* list = KvSetControlId(new CKvListCtrl, 1002);
  auto* tree = KvSetControlId(new CKvTreeCtrl, 1003);
  auto* help = KvSetControlId(new QPushButton(QStringLiteral("帮助")), KV_CMD_HELP);
  for (QWidget* control : QList<QWidget*>{word, list, tree, help})
    layout->addWidget(control);
  EXPECT_EQ(list->toolTip(), QString());  // given when first shown
  page.show();
  EXPECT_EQ(page.objectName(), QStringLiteral("dlg_961"));
  EXPECT_EQ(word->toolTip(), KvWordComboHint());
  EXPECT_EQ(list->toolTip(), KvMenuControlHint());
  EXPECT_EQ(tree->toolTip(), QString());
  EXPECT_EQ(help->toolTip(), QString());
}

TEST(CZrvFormViewOkTest, ADerivedViewTakesOkFromItsButtonAndReturn) {
  // As a card form does: OK saves, whatever has the focus.
  class SavingForm : public CZrvFormView {
   public:
    SavingForm() : CZrvFormView(962) {
      auto* layout = new QVBoxLayout(Form());
      layout->addWidget(name = KvSetControlId(new QLineEdit, 1001));
      layout->addWidget(ok = KvSetControlId(new QPushButton(QStringLiteral("确认")), KV_IDOK));
    }
    bool IsCmdEnabled(int id) override { return id == KV_IDOK || CZrvFormView::IsCmdEnabled(id); }
    void ExecuteCmd(int id) override {
      if (id == KV_IDOK)
        ++saves;
      else
        CZrvFormView::ExecuteCmd(id);
    }
    QLineEdit* name;
    QPushButton* ok;
    int saves = 0;
  };
  KvViewHost host;
  auto* form = new SavingForm;
  host.Place(form, QStringLiteral("收据"));
  form->initialUpdate();  // a second update connects nothing twice
  QTest::mouseClick(form->ok, Qt::LeftButton);
  EXPECT_EQ(form->saves, 1);
  form->name->setFocus();
  QTest::keyClick(form->name, Qt::Key_Return);
  EXPECT_EQ(form->saves, 2);
}
