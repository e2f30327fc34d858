// The list view: its shorter right-click menu, printing only for a view
// that names its form, refresh that keeps the selection by text, and open
// (Enter, double click) that modifies once.

#include "ui/CKvListView.h"

#include "core/KvMessage.h"
#include "support/KvTestDb.h"
#include "support/KvTestEnv.h"
#include "ui/CKvCommandRouter.h"
#include "ui/CKvSaveAsDlg.h"
#include "ui/KvCommands.h"
#include "KvListTestSupport.h"
#include "KvViewTestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QTreeView>

namespace {
// A pupils' list whose rows come from `rows` ("code name"), in that order.
class PupilView : public CKvListView {
 public:
  QStringList rows{"001 张三", "002 李四", "003 王五", "004 张小明"};
  QStringList calls;
  int selectionChanges = 0;
  int formId = 0;
  QString title;

  void GetColumns(QList<int>* widths, QStringList* captions) const override {
    *widths = {80, 120, 60};
    *captions = {QStringLiteral("编号"), QStringLiteral("姓名")};
  }
  int GetColumnFormat(int column) const override { return column == 0 ? LVCFMT_RIGHT : LVCFMT_LEFT; }
  void Fill() override {
    calls.append(QStringLiteral("fill"));
    DeleteAllItems();
    for (const QString& row : std::as_const(rows))
      AddRow(row.split(QLatin1Char(' ')));
  }
  void OnSelChange() override { ++selectionChanges; }
  void OnModify() override { calls.append(QStringLiteral("modify")); }
  void OnPrepareContextMenu(QMenu* menu) override {
    // As a module does: drops a command of the menu it was given.
    if (QAction* action = KvMenuAction(menu, KV_CMD_NEW))
      menu->removeAction(action);
  }
  bool GetPrintInfo(int* id, QString* text) const override {
    *id = formId;
    *text = title;
    return formId > 0;
  }
};

// Menu entries in order, separators as 0.
QList<int> shownItems(QWidget* viewport, const QPoint& pos, QString* name) {
  QList<int> items;
  KvScopedPopupMenuExec popup([&](QMenu* menu, const QPoint&) -> QAction* {
    *name = menu->objectName();
    for (QAction* action : menu->actions())
      items.append(action->isSeparator() ? 0 : action->data().toInt());
    return nullptr;
  });
  QContextMenuEvent event(QContextMenuEvent::Mouse, pos, viewport->mapToGlobal(pos));
  QApplication::sendEvent(viewport, &event);
  return items;
}

// Runs the export's file dialog: records the proposed file title and
// cancels.
class ProposedName {
 public:
  ProposedName()
      : m_exec([this](QDialog* dialog) {
          if (auto* saveAs = qobject_cast<CKvSaveAsDlg*>(dialog))
            name = QFileInfo(saveAs->selectedFiles().value(0)).completeBaseName();
          return int(QDialog::Rejected);
        }) {}
  QString name;

 private:
  KvScopedDialogExec m_exec;
};
}  // namespace

TEST(CKvListViewTest, RightClickMenuLeavesOutFindNextCalculatorSaveAsAndPrinting) {
  KvViewHost host;
  auto* view = new PupilView;
  host.Place(view, QStringLiteral("学生名单"));
  QString name;
  const QList<int> items = shownItems(view->View()->viewport(), QPoint(5, 5), &name);
  EXPECT_EQ(name, QStringLiteral("menu_300"));
  // The module's hook saw the shorter menu and took "new" out of it.
  EXPECT_EQ(items, (QList<int>{43005, 43006, 43007, 0, 57635, 57634, 57637, 57642, 43025, 57636, 57606, 0,
                               43008, 43009, 43010, 43011}));
}

TEST(CKvListViewTest, PrintsOnlyAFormWithTheSharedPrintSet) {
  KvMessageRecorder messages;
  KvTestDb data(0);
  KV_CREATE_TEST_DB(data);
  KvScopedAppDb app(&data.db());
  KvScopedRights rights({QStringLiteral("0012")});
  alignas(8) static char storage[8];
  auto* shared = reinterpret_cast<CKvPrintSet*>(storage);  // never read by the view
  KvScopedAppPrintSet printSet(shared);
  QList<KvListPrintTarget> printed;
  QList<KvListPrintTarget> pageSetups;
  const KvListPrintFn previousPrinter = KvSetListPrinter(
      [&](const KvRowSource&, const KvListPrintTarget& target, int) { printed.append(target); return true; });
  const KvListPageSetupFn previousSetup = KvSetListPageSetup(
      [&](const KvListPrintTarget& target, QWidget*) { pageSetups.append(target); return true; });

  KvViewHost host;
  auto* view = new PupilView;
  host.Place(view, QStringLiteral("学生名单"));
  CKvCommandRouter* router = CKvCommandRouter::Instance();

  // No form: print and page setup are grey, save as proposes the default
  // title.
  EXPECT_FALSE(router->IsEnabled(KV_CMD_FILE_PRINT));
  EXPECT_FALSE(router->IsEnabled(KV_CMD_FILE_PAGE_SETUP));
  {
    ProposedName proposed;
    EXPECT_TRUE(router->Execute(KV_CMD_FILE_SAVE_AS));
    EXPECT_EQ(proposed.name, QStringLiteral("青禾苑文档"));
  }

  // A form: print and page setup use the shared print set with its id and
  // title, and save as proposes the title.
  view->formId = 912;
  view->title = QStringLiteral("学生名单表");
  EXPECT_TRUE(router->Execute(KV_CMD_FILE_PRINT));
  EXPECT_TRUE(router->Execute(KV_CMD_FILE_PAGE_SETUP));
  ASSERT_EQ(printed.size(), 1);
  ASSERT_EQ(pageSetups.size(), 1);
  for (const KvListPrintTarget& target : {printed.first(), pageSetups.first()}) {
    EXPECT_EQ(target.printSet, shared);
    EXPECT_EQ(target.db, &data.db());
    EXPECT_EQ(target.formId, 912);
    EXPECT_EQ(target.title, QStringLiteral("学生名单表"));
  }
  {
    ProposedName proposed;
    router->Execute(KV_CMD_FILE_SAVE_AS);
    EXPECT_EQ(proposed.name, QStringLiteral("学生名单表"));
  }

  // Without the shared print set (no one logged in) nothing prints.
  {
    KvScopedAppPrintSet none(nullptr);
    EXPECT_FALSE(router->IsEnabled(KV_CMD_FILE_PRINT));
    EXPECT_FALSE(router->IsEnabled(KV_CMD_FILE_PAGE_SETUP));
  }
  KvSetListPrinter(previousPrinter);
  KvSetListPageSetup(previousSetup);
}

TEST(CKvListViewTest, RefreshKeepsTheSelectedRowsByTextWhereverTheyMoved) {
  KvViewHost host;
  auto* view = new PupilView;
  view->ModifyStyle(CKvListCtrl::LVS_TYPEMASK, CKvListCtrl::LVS_ICON);
  host.Place(view, QStringLiteral("学生名单"));
  // The initial update shows details, one column per width (a width
  // without a caption gives an empty title), and fills.
  EXPECT_EQ(view->GetStyle() & CKvListCtrl::LVS_TYPEMASK, unsigned(CKvListCtrl::LVS_REPORT));
  ASSERT_EQ(view->GetColumnCount(), 3);
  EXPECT_EQ(view->GetColumnTitle(2), QString());
  EXPECT_EQ(view->ColumnAlignment(0), Qt::AlignRight);
  EXPECT_EQ(view->DetailsView()->header()->sectionSize(1), 120);
  EXPECT_EQ(view->GetItemCount(), 4);

  KvSelectRows(*view, {1, 3});
  EXPECT_GT(view->selectionChanges, 0);

  // The next fill brings the rows in another order, one of them gone.
  view->rows = QStringList{"004 张小明", "005 赵六", "003 王五", "001 张三"};
  view->selectionChanges = 0;
  EXPECT_TRUE(CKvCommandRouter::Instance()->Execute(KV_CMD_REFRESH));
  EXPECT_EQ(view->calls, (QStringList{"fill", "fill"}));
  QStringList selected;
  view->GetSelectedTexts(&selected);
  EXPECT_EQ(selected, QStringList{"004"});
  EXPECT_EQ(view->GetFirstSelected(), 0);
  EXPECT_GT(view->selectionChanges, 0);
}

TEST(CKvListViewTest, EnterAndDoubleClickModifyOnce) {
  KvViewHost host;
  auto* view = new PupilView;
  host.Place(view, QStringLiteral("学生名单"));
  KvSelectRows(*view, {2});

  QTest::keyClick(view->View(), Qt::Key_Return);
  EXPECT_EQ(view->calls, (QStringList{"fill", "modify"}));

  const QRect row = view->View()->visualRect(view->View()->model()->index(2, 1));
  QTest::mouseClick(view->View()->viewport(), Qt::LeftButton, {}, row.center());
  QTest::mouseDClick(view->View()->viewport(), Qt::LeftButton, {}, row.center());
  QTest::mouseRelease(view->View()->viewport(), Qt::LeftButton, {}, row.center());
  EXPECT_EQ(view->calls, (QStringList{"fill", "modify", "modify"}));
}
