// The tree control: check boxes that pass their state down, the path that a
// copy carries, the pre-order search with its offer to start again, and the
// right-click menu, keys and double clicks.

#include "ui/CKvTreeCtrl.h"

#include "core/KvClipboard.h"
#include "core/KvMessage.h"
#include "ui/CKvListFindDlg.h"
#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"
#include "ui/KvRowClipboard.h"
#include "KvListTestSupport.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QStyle>
#include <QStyleOptionViewItem>

namespace {
class RecordingTree : public KvRecordingTree {
 public:

  // The check box of an item, in viewport coordinates.
  QRect CheckBox(QTreeWidgetItem* item) {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualItemRect(item);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    return style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
  }
};

// 初一 > 初一(1)班 > 张三, 李四; 初一 > 初一(2)班 > 王五; 初二 > 初二(1)班 > 张小明.
void fillSchool(CKvTreeCtrl& tree, bool checkBoxes = false) {
  tree.InitTree();
  auto add = [&](QTreeWidgetItem* parent, const char* text) {
    auto* item = parent ? new QTreeWidgetItem(parent, QStringList{QString::fromUtf8(text)})
                        : new QTreeWidgetItem(&tree, QStringList{QString::fromUtf8(text)});
    if (checkBoxes)
      item->setCheckState(0, Qt::Unchecked);
    return item;
  };
  QTreeWidgetItem* one = add(nullptr, "初一");
  QTreeWidgetItem* class1 = add(one, "初一(1)班");
  add(class1, "张三");
  add(class1, "李四");
  add(add(one, "初一(2)班"), "王五");
  add(add(add(nullptr, "初二"), "初二(1)班"), "张小明");
  tree.expandAll();
}

QTreeWidgetItem* item(CKvTreeCtrl& tree, const char* text) {
  return tree.findItems(QString::fromUtf8(text), Qt::MatchExactly | Qt::MatchRecursive).value(0);
}

QString selected(const CKvTreeCtrl& tree) {
  QString text;
  tree.GetSelectedText(&text);
  return text;
}

QStringList checkedItems(CKvTreeCtrl& tree) {
  QStringList texts;
  for (QTreeWidgetItemIterator it(&tree); *it; ++it) {
    if ((*it)->checkState(0) == Qt::Checked)
      texts.append((*it)->text(0));
  }
  return texts;
}

// Presses, releases and clicks again, as a double click arrives.
void doubleClick(CKvTreeCtrl& tree, const QPoint& pos) {
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, pos);
  QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, pos);
  QTest::mouseRelease(tree.viewport(), Qt::LeftButton, {}, pos);
}

// Answers the find dialog with the text; keeps the column note it showed.
KvDialogExecFn findAnswer(const QString& text, QString* note = nullptr) {
  return [text, note](QDialog* dialog) {
    dialog->show();
    if (note)
      *note = KvDlgItem<QWidget>(dialog, CKvListFindDlg::IDC_COLUMN_NOTE)->property("text").toString();
    KvDlgItem<QComboBox>(dialog, CKvListFindDlg::IDC_FIND_TEXT)->setEditText(text);
    QTest::mouseClick(KvDlgItem<QWidget>(dialog, KV_IDOK), Qt::LeftButton);
    return dialog->result();
  };
}
}  // namespace

TEST(CKvTreeCtrlTest, CheckBoxesPassTheirStateDownOnly) {
  RecordingTree tree;
  fillSchool(tree, true);
  tree.resize(300, 400);
  tree.show();
  QApplication::processEvents();

  QTreeWidgetItem* one = item(tree, "初一");
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.CheckBox(one).center());
  EXPECT_EQ(checkedItems(tree), (QStringList{"初一", "初一(1)班", "张三", "李四", "初一(2)班", "王五"}));

  // The space bar on the selected item clears it and everything below.
  tree.setCurrentItem(item(tree, "初一(1)班"));
  QTest::keyClick(&tree, Qt::Key_Space);
  EXPECT_EQ(checkedItems(tree), (QStringList{"初一", "初一(2)班", "王五"}));

  // A child's box leaves its parents as they are.
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.CheckBox(item(tree, "李四")).center());
  EXPECT_EQ(checkedItems(tree), (QStringList{"初一", "李四", "初一(2)班", "王五"}));
}

TEST(CKvTreeCtrlTest, CopyCarriesThePathFromTheRoot) {
  RecordingTree tree;
  fillSchool(tree);
  QGuiApplication::clipboard()->clear();
  QTest::keyClick(&tree, Qt::Key_C, Qt::ControlModifier);
  EXPECT_FALSE(KvClipboardHasRows(KV_ROW_CLIPBOARD_FORMAT));

  tree.setCurrentItem(item(tree, "张三"));
  EXPECT_EQ(tree.GetPathText(), QStringLiteral("初一初一(1)班张三"));
  QTest::keyClick(&tree, Qt::Key_C, Qt::ControlModifier);
  QString text;
  KvGetClipboardText(&text, KV_ROW_CLIPBOARD_FORMAT);
  EXPECT_EQ(text, QStringLiteral("0复制\n初一\n初一(1)班\n张三\n"));
  EXPECT_EQ(tree.FindChildText(item(tree, "初二"), QStringLiteral("张小明")), item(tree, "张小明"));
  EXPECT_EQ(selected(tree), QStringLiteral("张小明"));
}

TEST(CKvTreeCtrlTest, SearchWalksInPreOrderAndOffersToStartAgain) {
  KvMessageRecorder messages;
  RecordingTree tree;
  fillSchool(tree);
  {
    QString note = QStringLiteral("unset");
    KvScopedDialogExec exec(findAnswer(QStringLiteral("张"), &note));
    QTest::keyClick(&tree, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(note, QString());  // no column is named
  }
  EXPECT_EQ(selected(tree), QStringLiteral("张三"));
  QTest::keyClick(&tree, Qt::Key_F3);
  EXPECT_EQ(selected(tree), QStringLiteral("张小明"));

  // No further match: No leaves the selection; the next search starts at the top.
  messages.script({KV_IDNO});
  QTest::keyClick(&tree, Qt::Key_F3);
  EXPECT_EQ(messages.last(), QStringLiteral("没有查找到含 “张”的项！要再从头查找吗？"));
  EXPECT_EQ(messages.messages().last().buttons(), unsigned(KV_MB_YESNOCANCEL));
  EXPECT_EQ(selected(tree), QStringLiteral("张小明"));
  QTest::keyClick(&tree, Qt::Key_F3);
  EXPECT_EQ(selected(tree), QStringLiteral("张三"));

  // Yes starts again at once.
  QTest::keyClick(&tree, Qt::Key_F3);
  messages.script({KV_IDYES});
  QTest::keyClick(&tree, Qt::Key_F3);
  EXPECT_EQ(selected(tree), QStringLiteral("张三"));

  // Typed letters search the pinyin initials; a search from the top that
  // finds nothing only informs.
  for (const char key : {'z', 'x', 'm'})
    QTest::keyClick(&tree, key);
  EXPECT_EQ(selected(tree), QStringLiteral("张小明"));
  messages.clear();
  messages.script({KV_IDNO});
  QTest::keyClick(&tree, '1');
  QTest::keyClick(&tree, 'q');
  EXPECT_EQ(messages.texts(), (QStringList{"没有查找到首拼音含 “Q”的项！要再从头查找吗？"}));
  QTest::keyClick(&tree, 'q');
  EXPECT_EQ(messages.last(), QStringLiteral("没有查找到首拼音含 “QQ”的项！"));
  EXPECT_EQ(messages.messages().last().icon(), unsigned(KV_MB_ICONINFORMATION));
}

TEST(CKvTreeCtrlTest, MenuKeysAndDoubleClicksRunEnabledCommands) {
  RecordingTree tree;
  EXPECT_FALSE(KvCmdEnabled(&tree, KV_CMD_EDIT_FIND));
  fillSchool(tree);
  tree.resize(300, 400);
  tree.show();
  QApplication::processEvents();

  // A right click selects the item under the mouse before the menu opens.
  KvShownMenu menu =
      KvRightClick(tree.viewport(), tree.visualItemRect(item(tree, "王五")).center(), KV_CMD_OPEN);
  EXPECT_EQ(menu.name, QStringLiteral("menu_302"));
  EXPECT_EQ(menu.order,
            (QList<int>{43004, 43005, 43006, 43007, 57635, 57634, 57637, 57636, 57640, 43002}));
  EXPECT_TRUE(menu.enabled.value(KV_CMD_OPEN));
  EXPECT_FALSE(menu.enabled.value(KV_CMD_EDIT_FIND_NEXT));
  EXPECT_EQ(selected(tree), QStringLiteral("王五"));
  for (int id : {KV_CMD_FILE_PRINT, KV_CMD_FILE_PRINT_SETUP, KV_CMD_FILE_SAVE_AS}) {
    EXPECT_TRUE(tree.HandlesCmd(id));
    EXPECT_FALSE(KvCmdEnabled(&tree, id));
  }

  QTest::keyClick(&tree, Qt::Key_Delete);
  QTest::keyClick(&tree, Qt::Key_N, Qt::ControlModifier);
  // A double click opens a leaf; on an item with children it only folds.
  QTreeWidgetItem* grade = item(tree, "初二");
  doubleClick(tree, tree.visualItemRect(grade).center());
  EXPECT_FALSE(grade->isExpanded());
  doubleClick(tree, tree.visualItemRect(item(tree, "李四")).center());
  EXPECT_EQ(tree.calls, (QStringList{"open", "delete", "new", "open"}));
  EXPECT_EQ(selected(tree), QStringLiteral("李四"));
}
