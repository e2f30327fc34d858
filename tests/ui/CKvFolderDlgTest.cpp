// The folder chooser: the initial path shown and selected, hidden folders
// only along it, selection filling the edit field, and OK's creation offer
// that keeps the dialog open unless the folder is there.

#include "ui/CKvFolderDlg.h"

#include "KvUiTestSupport.h"
#include "core/KvMessage.h"
#include "ui/KvObjectNames.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

namespace {

QStringList childNames(const QTreeWidgetItem* item) {
  QStringList names;
  for (int i = 0; i < item->childCount(); ++i)
    names += item->child(i)->text(0);
  return names;
}

class CKvFolderDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    QDir root(m_dir.path());
    for (const char* sub : {"学校/.隐藏/备份", "学校/.其他", "学校/张", "学校/博", "学校/阿", "学校/b班",
                            "学校/A班", "学校/a组"})
      ASSERT_TRUE(root.mkpath(QString::fromUtf8(sub)));
  }
  QString path(const QString& sub) const { return m_dir.path() + u'/' + sub; }
  // Clicks OK and tells whether the dialog closed with it.
  static bool clickOk(CKvFolderDlg& dialog) {
    dialog.setResult(QDialog::Rejected);
    KvDlgItem<QPushButton>(&dialog, KV_IDOK)->click();
    return dialog.result() == QDialog::Accepted;
  }

  QTemporaryDir m_dir;
  KvMessageRecorder m_messages;
};

}  // namespace

TEST_F(CKvFolderDlgTest, OpensOnTheInitialPathWithHiddenFoldersOnlyAlongIt) {
  CKvFolderDlg dialog(path(QStringLiteral("学校/.隐藏/备份")));
  dialog.show();
  EXPECT_EQ(dialog.objectName(), QStringLiteral("dlg_804"));
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("文件夹浏览"));
  EXPECT_FALSE(KvDlgItem(&dialog, CKvFolderDlg::IDC_UNIT)->isVisible());
  EXPECT_FALSE(KvDlgItem(&dialog, CKvFolderDlg::IDC_UNIT_LABEL)->isEnabled());

  auto* tree = KvDlgItem<QTreeWidget>(&dialog, CKvFolderDlg::IDC_TREE);
  ASSERT_NE(tree->currentItem(), nullptr);
  EXPECT_EQ(tree->currentItem()->text(0), QStringLiteral("备份"));
  EXPECT_EQ(KvDlgItem<QLineEdit>(&dialog, CKvFolderDlg::IDC_PATH)->text(),
            path(QStringLiteral("学校/.隐藏/备份")));
  // The top level: home, "/" and perhaps the desktop and volumes.
  QStringList top;
  for (int i = 0; i < tree->topLevelItemCount(); ++i)
    top += tree->topLevelItem(i)->text(0);
  EXPECT_TRUE(top.contains(QStringLiteral("主文件夹")));
  EXPECT_TRUE(top.contains(QStringLiteral("/")));

  // ".其他" is hidden and off the path. Names sort in pinyin order, not by
  // code point (博 < 张 < 阿 there), and with case ignored.
  const QTreeWidgetItem* school = tree->currentItem()->parent()->parent();
  const QStringList names = childNames(school);
  EXPECT_EQ(names.size(), 7);
  EXPECT_TRUE(names.contains(QStringLiteral(".隐藏")));
  EXPECT_LT(names.indexOf(QStringLiteral("阿")), names.indexOf(QStringLiteral("博")));
  EXPECT_LT(names.indexOf(QStringLiteral("博")), names.indexOf(QStringLiteral("张")));
  EXPECT_EQ(names.indexOf(QStringLiteral("a组")), names.indexOf(QStringLiteral("A班")) + 1);
  EXPECT_EQ(names.indexOf(QStringLiteral("b班")), names.indexOf(QStringLiteral("a组")) + 1);
  EXPECT_TRUE(school->isExpanded());

  // Selecting a folder shows its path; its subfolders are read then.
  QTreeWidgetItem* classA = school->child(int(names.indexOf(QStringLiteral("A班"))));
  tree->setCurrentItem(classA);
  EXPECT_EQ(KvDlgItem<QLineEdit>(&dialog, CKvFolderDlg::IDC_PATH)->text(), path(QStringLiteral("学校/A班")));
  EXPECT_EQ(classA->childCount(), 0);
  EXPECT_EQ(classA->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

TEST_F(CKvFolderDlgTest, MissingInitialFolderKeepsItsPathAndSelectsItsParent) {
  CKvFolderDlg dialog(path(QStringLiteral("学校/新建/2026")), QStringLiteral("备份到"));
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("备份到"));
  auto* tree = KvDlgItem<QTreeWidget>(&dialog, CKvFolderDlg::IDC_TREE);
  ASSERT_NE(tree->currentItem(), nullptr);
  EXPECT_EQ(tree->currentItem()->text(0), QStringLiteral("学校"));
  EXPECT_EQ(KvDlgItem<QLineEdit>(&dialog, CKvFolderDlg::IDC_PATH)->text(),
            path(QStringLiteral("学校/新建/2026")));
}

TEST_F(CKvFolderDlgTest, OkCreatesAMissingFolderOnlyWhenAskedToAndStaysOpenOtherwise) {
  const QString target = path(QStringLiteral("学校/新建/2026"));
  CKvFolderDlg dialog(target);
  dialog.show();

  m_messages.script({KV_IDNO, KV_IDCANCEL});
  EXPECT_FALSE(clickOk(dialog));
  EXPECT_EQ(m_messages.last(), QStringLiteral("文件夹“%1”不存在，要创建它吗？").arg(target));
  EXPECT_EQ(m_messages.messages().last().buttons(), unsigned(KV_MB_YESNOCANCEL));
  EXPECT_FALSE(clickOk(dialog));
  EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("学校/新建"))));
  EXPECT_TRUE(dialog.isVisible());

  m_messages.script({KV_IDYES});
  EXPECT_TRUE(clickOk(dialog));
  EXPECT_TRUE(QFileInfo(target).isDir());
  EXPECT_EQ(dialog.GetPath(), target);
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(CKvFolderDlgTest, OkRefusesEmptyBadAndUncreatablePaths) {
  CKvFolderDlg dialog(path(QStringLiteral("学校")));
  dialog.show();
  auto* edit = KvDlgItem<QLineEdit>(&dialog, CKvFolderDlg::IDC_PATH);

  edit->setText(QStringLiteral("  "));
  EXPECT_FALSE(clickOk(dialog));
  EXPECT_EQ(m_messages.last(), QStringLiteral("没有指定文件夹名！"));

  edit->setText(path(QStringLiteral("学校/a?b")));
  EXPECT_FALSE(clickOk(dialog));
  EXPECT_EQ(m_messages.messages().last().icon(), unsigned(KV_MB_ICONSTOP));

  // A plain file is no folder; a folder below a plain file cannot be made.
  QFile file(path(QStringLiteral("学校/名单.txt")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  edit->setText(file.fileName());
  EXPECT_FALSE(clickOk(dialog));
  EXPECT_EQ(m_messages.last(), QStringLiteral("不是一个文件夹而是一个已存在的文件！"));
  m_messages.script({KV_IDYES});
  edit->setText(file.fileName() + QStringLiteral("/下级"));
  EXPECT_FALSE(clickOk(dialog));
  EXPECT_TRUE(dialog.isVisible());

  edit->setText(path(QStringLiteral("学校/b班")));
  EXPECT_TRUE(clickOk(dialog));
  EXPECT_EQ(dialog.GetPath(), path(QStringLiteral("学校/b班")));
}
