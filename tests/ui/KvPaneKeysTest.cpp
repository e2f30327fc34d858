// The keys of list and tree panes inside a document window: the main
// window's shortcuts of the same keys do not take them from the pane.

#include "ui/CKvListView.h"
#include "ui/KvCommands.h"
#include "KvListTestSupport.h"
#include "KvViewTestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QTreeView>

namespace {
class RecordingView : public CKvListView {
 public:
  QStringList calls;
  void GetColumns(QList<int>* widths, QStringList* captions) const override {
    *widths = {80};
    *captions = {QStringLiteral("编号")};
  }
  void Fill() override {
    calls.append(QStringLiteral("fill"));
    DeleteAllItems();
    AddRow({QStringLiteral("001")});
  }
  void OnNew() override { calls.append(QStringLiteral("new")); }
  void OnOpen() override { calls.append(QStringLiteral("open")); }
};

// The main window's menu commands of the same keys, counting their runs.
struct WindowShortcuts {
  explicit WindowShortcuts(QMainWindow* window) {
    for (const char* key : {"Ctrl+N", "Ctrl+O", "F5"}) {
      auto* action = new QAction(QString::fromLatin1(key), window);
      action->setShortcut(QKeySequence(QString::fromLatin1(key)));
      action->setShortcutContext(Qt::WindowShortcut);
      QObject::connect(action, &QAction::triggered, [this, key] { runs.append(QString::fromLatin1(key)); });
      window->addAction(action);
    }
  }
  QStringList runs;
};
}  // namespace

TEST(KvPaneKeysTest, PanesInADocumentWindowKeepCtrlNCtrlOAndF5) {
  KvViewHost host;
  WindowShortcuts shortcuts(&host.window);

  auto* list = new KvRecordingList;
  KvFillPupils(*list);
  host.area->addSubWindow(list)->show();
  KvSelectRows(*list, {0});
  auto* tree = new KvRecordingTree;
  tree->InitTree();
  tree->setCurrentItem(new QTreeWidgetItem(tree, QStringList{QStringLiteral("初一")}));
  host.area->addSubWindow(tree)->show();
  auto* view = new RecordingView;
  host.Place(view, QStringLiteral("名单"));
  KvSelectRows(*view, {0});

  const struct {
    QWidget* focus;
    QStringList* calls;
    QStringList expected;
  } panes[] = {
      {list->View(), &list->calls, {"new", "open"}},
      {tree, &tree->calls, {"new", "open"}},
      {view->View(), &view->calls, {"fill", "new", "open", "fill"}},
  };
  for (const auto& pane : panes) {
    pane.focus->setFocus();
    ASSERT_TRUE(pane.focus->hasFocus());
    QTest::keyClick(pane.focus, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(pane.focus, Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(pane.focus, Qt::Key_F5);
    EXPECT_EQ(*pane.calls, pane.expected);
  }
  // F5 is a list view's refresh only: elsewhere the window's command runs.
  EXPECT_EQ(shortcuts.runs, (QStringList{"F5", "F5"}));
}
