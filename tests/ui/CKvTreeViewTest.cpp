// The tree view: items found by their keys, check boxes that pass their
// state down through the view's hooks, and its own command enabling.

#include "ui/CKvTreeView.h"

#include "ui/CKvCommandRouter.h"
#include "ui/CKvListFindDlg.h"
#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"
#include "KvListTestSupport.h"
#include "KvViewTestSupport.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QTreeWidgetItemIterator>

namespace {
// Items read "<code segment> <name>"; the key of an item is its segment.
class CodeTree : public CKvTreeView {
 public:
  QStringList calls;
  QSet<int> refused;

  QString GetItemKey(const QString& text) const override { return text.section(QLatin1Char(' '), 0, 0); }
  bool IsCmdAllowed(int id) override { return !refused.contains(id); }
  void OnOpen() override { calls.append(QStringLiteral("open")); }
  void OnCheckChanged(QTreeWidgetItem* item, bool checked) override {
    calls.append(item->text(0) + (checked ? QStringLiteral(" on") : QStringLiteral(" off")));
    CKvTreeView::OnCheckChanged(item, checked);
  }

  QTreeWidgetItem* Add(QTreeWidgetItem* parent, const char* text) {
    auto* item = parent ? new QTreeWidgetItem(parent, QStringList{QString::fromUtf8(text)})
                        : new QTreeWidgetItem(this, QStringList{QString::fromUtf8(text)});
    item->setCheckState(0, Qt::Unchecked);
    return item;
  }
  QTreeWidgetItem* Item(const char* text) {
    return findItems(QString::fromUtf8(text), Qt::MatchExactly | Qt::MatchRecursive).value(0);
  }
  QString Selected() const {
    QString text;
    GetSelectedText(&text);
    return text;
  }
};

// 1 小学 > 01 一年级 > 3 三班; 10 初中 > 12 二班 > 7 李四.
// The keys "1" and "10" both begin "1012": only "10" leads to it.
void fillCodes(CodeTree& tree) {
  QTreeWidgetItem* primary = tree.Add(nullptr, "1 小学");
  tree.Add(tree.Add(primary, "01 一年级"), "3 三班");
  tree.Add(tree.Add(tree.Add(nullptr, "10 初中"), "12 二班"), "7 李四");
  tree.collapseAll();
}
}  // namespace

TEST(CKvTreeViewTest, SelectByKeyTextFindsTheItemWhoseKeysJoinToTheText) {
  KvViewHost host;
  auto* tree = new CodeTree;
  host.Place(tree, QStringLiteral("机构和班级"));
  fillCodes(*tree);

  EXPECT_EQ(tree->SelectByKeyText(QStringLiteral("1012")), tree->Item("12 二班"));
  EXPECT_EQ(tree->Selected(), QStringLiteral("12 二班"));
  EXPECT_TRUE(tree->Item("12 二班")->isExpanded());
  EXPECT_TRUE(tree->Item("10 初中")->isExpanded());
  EXPECT_EQ(tree->GetCopyText(), QStringLiteral("1012"));

  EXPECT_EQ(tree->SelectByKeyText(QStringLiteral("10127")), tree->Item("7 李四"));
  EXPECT_EQ(tree->SelectByKeyText(QStringLiteral("1013")), tree->Item("3 三班"));
  EXPECT_EQ(tree->SelectByKeyText(QStringLiteral("10")), tree->Item("10 初中"));
  EXPECT_EQ(tree->SelectByKeyText(QStringLiteral("101")), tree->Item("01 一年级"));

  // No such item: the selection stays.
  EXPECT_EQ(tree->SelectByKeyText(QStringLiteral("1014")), nullptr);
  EXPECT_EQ(tree->SelectByKeyText(QString()), nullptr);
  EXPECT_EQ(tree->Selected(), QStringLiteral("01 一年级"));

  EXPECT_EQ(tree->SelectByPath({QStringLiteral("10"), QStringLiteral("12")}), tree->Item("12 二班"));
  EXPECT_EQ(tree->SelectByPath({QStringLiteral("1"), QStringLiteral("12")}), nullptr);
  EXPECT_EQ(tree->SelectByPath({}), nullptr);
  EXPECT_EQ(tree->Selected(), QStringLiteral("12 二班"));
}

TEST(CKvTreeViewTest, SingleExpandOpensTheNewPathAndClosesTheOldBranch) {
  // 1 小学 > 01 一年级 > 3 三班; 10 初中 > 12 二班 > 7 李四.
  const struct {
    const char* before;
    const char* after;
    QStringList expanded;
  } cases[] = {
      // Into another branch: the old one closes up to the top.
      {"3 三班", "7 李四", {"10 初中", "12 二班"}},
      // Within one branch: the shared item stays open.
      {"3 三班", "01 一年级", {"1 小学", "01 一年级"}},
      {"12 二班", "3 三班", {"1 小学", "01 一年级"}},
      {"01 一年级", "1 小学", {"1 小学", "01 一年级"}},
      {"7 李四", "1 小学", {"1 小学"}},
  };
  for (const auto& c : cases) {
    KvViewHost host;
    auto* tree = new CodeTree;
    host.Place(tree, QStringLiteral("机构和班级"));
    fillCodes(*tree);
    tree->SetSingleExpand(true);
    tree->setCurrentItem(tree->Item(c.before));
    tree->setCurrentItem(tree->Item(c.after));
    QStringList expanded;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
      if ((*it)->isExpanded())
        expanded.append((*it)->text(0));
    EXPECT_EQ(expanded, c.expanded) << c.before << " -> " << c.after;
  }
}

TEST(CKvTreeViewTest, SpacePassesTheCheckDownThroughTheViewsHook) {
  KvViewHost host;
  auto* tree = new CodeTree;
  host.Place(tree, QStringLiteral("机构和班级"));
  fillCodes(*tree);
  tree->setCurrentItem(tree->Item("10 初中"));

  QTest::keyClick(tree, Qt::Key_Space);
  EXPECT_EQ(tree->calls, QStringList{"10 初中 on"});
  EXPECT_EQ(tree->Item("12 二班")->checkState(0), Qt::Checked);
  EXPECT_EQ(tree->Item("7 李四")->checkState(0), Qt::Checked);
  EXPECT_EQ(tree->Item("1 小学")->checkState(0), Qt::Unchecked);

  tree->setCurrentItem(tree->Item("12 二班"));
  QTest::keyClick(tree, Qt::Key_Space);
  EXPECT_EQ(tree->Item("7 李四")->checkState(0), Qt::Unchecked);
  EXPECT_EQ(tree->Item("10 初中")->checkState(0), Qt::Checked);
}

TEST(CKvTreeViewTest, DoubleClickOpensALeafOnlyWhenOpenIsAllowed) {
  KvViewHost host;
  auto* tree = new CodeTree;
  host.Place(tree, QStringLiteral("机构和班级"));
  fillCodes(*tree);
  tree->expandAll();
  auto doubleClick = [&](const char* text) {
    const QPoint pos = tree->visualItemRect(tree->Item(text)).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, pos);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, pos);
  };

  tree->refused = {KV_CMD_OPEN};
  doubleClick("7 李四");
  EXPECT_TRUE(tree->calls.isEmpty());
  tree->refused.clear();
  doubleClick("12 二班");  // has a child: only expands or collapses
  EXPECT_TRUE(tree->calls.isEmpty());
  doubleClick("3 三班");
  EXPECT_EQ(tree->calls, QStringList{"open"});
}

TEST(CKvTreeViewTest, PrintingAndSaveAsGoOnToTheWindow) {
  KvViewHost host;
  auto* tree = new CodeTree;
  host.Place(tree, QStringLiteral("机构和班级"));
  fillCodes(*tree);
  tree->setCurrentItem(tree->Item("1 小学"));
  CKvCommandRouter* router = CKvCommandRouter::Instance();
  EXPECT_EQ(router->TargetFor(KV_CMD_EDIT_COPY), static_cast<KvCommandTarget*>(tree));
  for (int id : {KV_CMD_FILE_PRINT, KV_CMD_FILE_PRINT_SETUP, KV_CMD_FILE_SAVE_AS})
    EXPECT_NE(router->TargetFor(id), static_cast<KvCommandTarget*>(tree)) << id;
}

TEST(CKvTreeViewTest, FindFromTheDialogLooksFromTheTop) {
  KvViewHost host;
  auto* tree = new CodeTree;
  host.Place(tree, QStringLiteral("机构和班级"));
  fillCodes(*tree);
  KvScopedDialogExec exec([](QDialog* dialog) {
    dialog->show();
    KvDlgItem<QComboBox>(dialog, CKvListFindDlg::IDC_FIND_TEXT)->setEditText(QStringLiteral("班"));
    QTest::mouseClick(KvDlgItem<QWidget>(dialog, KV_IDOK), Qt::LeftButton);
    return dialog->result();
  });
  CKvCommandRouter* router = CKvCommandRouter::Instance();
  EXPECT_TRUE(router->Execute(KV_CMD_EDIT_FIND));
  EXPECT_EQ(tree->Selected(), QStringLiteral("3 三班"));
  EXPECT_TRUE(router->Execute(KV_CMD_EDIT_FIND));
  EXPECT_EQ(tree->Selected(), QStringLiteral("3 三班"));
  EXPECT_TRUE(router->Execute(KV_CMD_EDIT_FIND_NEXT));
  EXPECT_EQ(tree->Selected(), QStringLiteral("12 二班"));
}
