// The command registry, the router of the frame's commands and the
// right-click menus built from the registry.

#include "KvUiTestSupport.h"
#include "ui/CKvCommandRegistry.h"
#include "ui/CKvCommandRouter.h"
#include "ui/KvCommandTarget.h"
#include "ui/KvCommands.h"
#include "ui/KvMenus.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMenu>
#include <QVBoxLayout>
#include <memory>

namespace {
// A list that copies and deletes its selected rows; the module may veto.
class FakeList : public QWidget, public KvCommandTarget {
 public:
  explicit FakeList(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::StrongFocus); }
  bool HandlesCmd(int id) const override { return id == KV_CMD_EDIT_COPY || id == KV_CMD_DELETE; }
  void ExecuteCmd(int id) override { ran.append(id); }
  bool IsCmdEnabled(int) override { return selected > 0; }
  bool IsCmdAllowed(int id) override { return id != vetoed; }

  int selected = 0;
  int vetoed = 0;
  QList<int> ran;
};

// A frame that copies too (its own way) and sets up printers.
class FakeFrame : public QWidget, public KvCommandTarget {
 public:
  bool HandlesCmd(int id) const override {
    return id == KV_CMD_EDIT_COPY || id == KV_CMD_FILE_PRINT_SETUP;
  }
  void ExecuteCmd(int id) override { ran.append(id); }
  bool IsCmdEnabled(int id) override { return id != KV_CMD_EDIT_COPY || copyEnabled; }

  bool copyEnabled = false;
  QList<int> ran;
};

class FakeApp : public KvCommandTarget {
 public:
  bool HandlesCmd(int id) const override { return id == KV_CMD_CALCULATOR; }
  void ExecuteCmd(int id) override { ran.append(id); }
  QList<int> ran;
};

class CommandRouterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    list = new FakeList(&frame);
    edit = new QLineEdit(&frame);
    auto* layout = new QVBoxLayout(&frame);
    layout->addWidget(list);
    layout->addWidget(edit);
    router = CKvCommandRouter::Instance();
    router->SetFrame(&frame);
    router->SetApplicationTarget(&app);
    ASSERT_TRUE(KvShowActive(&frame));
  }
  void TearDown() override {
    router->SetFrame(nullptr);
    router->SetApplicationTarget(nullptr);
  }

  FakeFrame frame;
  FakeList* list = nullptr;
  QLineEdit* edit = nullptr;
  FakeApp app;
  CKvCommandRouter* router = nullptr;
};
}  // namespace

TEST(CommandRegistryTest, CaptionsAndActionsCarryTheCommand) {
  CKvCommandRegistry& registry = CKvCommandRegistry::Instance();
  EXPECT_EQ(registry.Caption(KV_CMD_EDIT_COPY), QStringLiteral("复制(&C)\tCtrl+C"));
  EXPECT_EQ(registry.Caption(KV_CMD_REFRESH), QStringLiteral("刷新\tF5"));
  EXPECT_TRUE(registry.Caption(49999).isEmpty());

  registry.Add(49999, QStringLiteral("测试命令\tAlt+9"));
  EXPECT_TRUE(registry.Contains(49999));
  std::unique_ptr<QAction> action(registry.CreateAction(49999, nullptr));
  EXPECT_EQ(action->text(), QStringLiteral("测试命令\tAlt+9"));
  EXPECT_EQ(action->iconText(), QStringLiteral("测试命令"));
  EXPECT_EQ(action->objectName(), QStringLiteral("cmd_49999"));
  EXPECT_EQ(KvActionCommandId(action.get()), 49999);
  const QList<int> ids = registry.Ids();
  EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
}

TEST_F(CommandRouterTest, CommandGoesToTheFocusedTargetThenFrameThenApplication) {
  list->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), list);
  EXPECT_EQ(router->TargetFor(KV_CMD_EDIT_COPY), list);
  EXPECT_EQ(router->TargetFor(KV_CMD_FILE_PRINT_SETUP), &frame);
  EXPECT_EQ(router->TargetFor(KV_CMD_CALCULATOR), &app);
  EXPECT_EQ(router->TargetFor(KV_CMD_REFRESH), nullptr);

  // Nothing selected: copy is refused and does not run.
  EXPECT_FALSE(router->Execute(KV_CMD_EDIT_COPY));
  list->selected = 1;
  EXPECT_TRUE(router->Execute(KV_CMD_EDIT_COPY));
  EXPECT_EQ(list->ran, QList<int>{KV_CMD_EDIT_COPY});
  EXPECT_TRUE(frame.ran.isEmpty());

  // The module's veto has the last word.
  list->vetoed = KV_CMD_DELETE;
  EXPECT_FALSE(router->IsEnabled(KV_CMD_DELETE));

  // From the edit field, copy is the frame's.
  edit->setFocus();
  EXPECT_EQ(router->TargetFor(KV_CMD_EDIT_COPY), &frame);
  frame.copyEnabled = true;
  EXPECT_TRUE(router->Execute(KV_CMD_EDIT_COPY));
  EXPECT_EQ(frame.ran, QList<int>{KV_CMD_EDIT_COPY});
  EXPECT_TRUE(router->Execute(KV_CMD_CALCULATOR));
  EXPECT_EQ(app.ran, QList<int>{KV_CMD_CALCULATOR});
}

TEST_F(CommandRouterTest, SharedActionsFollowFocusSelectionAndMenus) {
  std::unique_ptr<QMenu> menu(KvBuildCommandMenu(
      128, QStringLiteral("编辑"), {KV_CMD_EDIT_COPY, 0, KV_CMD_DELETE}, &frame));
  EXPECT_EQ(menu->objectName(), QStringLiteral("menu_128"));
  QAction* copy = KvMenuAction(menu.get(), KV_CMD_EDIT_COPY);
  QAction* remove = KvMenuAction(menu.get(), KV_CMD_DELETE);
  ASSERT_TRUE(copy && remove);
  EXPECT_EQ(copy, router->Action(KV_CMD_EDIT_COPY));
  EXPECT_EQ(copy->objectName(), QStringLiteral("cmd_57634"));

  list->setFocus();
  EXPECT_FALSE(copy->isEnabled());

  // A change of selection the list reports is seen at once.
  list->selected = 2;
  KvCommandsChanged();
  EXPECT_TRUE(copy->isEnabled());
  EXPECT_TRUE(remove->isEnabled());

  // A change the list does not report is seen when the menu opens.
  list->selected = 0;
  EXPECT_TRUE(copy->isEnabled());
  emit menu->aboutToShow();
  EXPECT_FALSE(copy->isEnabled());

  // Moving the focus asks again: delete has no taker from the edit field.
  list->selected = 1;
  edit->setFocus();
  EXPECT_FALSE(remove->isEnabled());
  list->setFocus();
  EXPECT_TRUE(remove->isEnabled());

  // Triggering the shared action runs the command on the focused list.
  copy->trigger();
  EXPECT_EQ(list->ran, QList<int>{KV_CMD_EDIT_COPY});
}

TEST_F(CommandRouterTest, PopupMenusRunTheChosenCommandOnTheirReceiver) {
  std::unique_ptr<QMenu> menu(KvBuildPopupMenu(KV_MENU_LIST, nullptr));
  EXPECT_EQ(menu->objectName(), QStringLiteral("menu_300"));
  EXPECT_EQ(menu->title(), QStringLiteral("列表框右键菜单"));
  const QList<QAction*> items = menu->actions();
  ASSERT_EQ(items.size(), 24);
  // Removing seven items from position 11 leaves printer setup and the views.
  EXPECT_EQ(KvActionCommandId(items.at(11)), KV_CMD_EDIT_FIND_NEXT);
  EXPECT_EQ(KvActionCommandId(items.at(18)), KV_CMD_FILE_PRINT_SETUP);
  EXPECT_EQ(items.at(11)->text(), QStringLiteral("查找下一个(&E)\tF3"));

  QAction* offered = nullptr;
  KvScopedPopupMenuExec popup([&](QMenu* shown, const QPoint&) {
    return offered = KvMenuAction(shown, KV_CMD_DELETE);
  });
  // Greyed: choosing it runs nothing.
  EXPECT_EQ(KvTrackPopupMenu(menu.get(), QPoint(10, 10), list), 0);
  EXPECT_FALSE(offered->isEnabled());
  EXPECT_TRUE(list->ran.isEmpty());
  list->selected = 1;
  EXPECT_EQ(KvTrackPopupMenu(menu.get(), QPoint(10, 10), list), KV_CMD_DELETE);
  EXPECT_EQ(list->ran, QList<int>{KV_CMD_DELETE});
}

TEST(PopupMenuTest, DialogAndTreeMenusHoldTheirItems) {
  std::unique_ptr<QMenu> dialog(KvBuildPopupMenu(KV_MENU_DIALOG, nullptr));
  ASSERT_EQ(dialog->actions().size(), 2);
  EXPECT_EQ(dialog->actions().at(0)->text(), QStringLiteral("帮助(&H)\tF1"));
  EXPECT_EQ(dialog->actions().at(1)->text(), QStringLiteral("计算器\tF12"));

  std::unique_ptr<QMenu> tree(KvBuildPopupMenu(KV_MENU_TREE, nullptr));
  QStringList texts;
  for (QAction* action : tree->actions())
    texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
  EXPECT_EQ(texts.join(QLatin1Char('|')),
            QStringLiteral("新增(&N)...\tCtrl+N|打开(&O)...\tCtrl+O|修改(&S)...\tCtrl+M|删除(&R)\tDelete|-|"
                           "剪切(&T)\tCtrl+X|复制(&C)\tCtrl+C|粘贴(&P)\tCtrl+V|-|查找(&F)\tCtrl+F|"
                           "查找下一个(&E)\tF3|-|计算器(&B)\tF12"));

  std::unique_ptr<QMenu> words(KvBuildPopupMenu(KV_MENU_WORD_COMBO, nullptr));
  ASSERT_EQ(words->actions().size(), 2);
  EXPECT_EQ(words->actions().at(0)->text(), QStringLiteral("保存词语"));
  EXPECT_EQ(words->actions().at(1)->text(), QStringLiteral("删除词条"));
}
