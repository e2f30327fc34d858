// The code-directory browser driven through the command router as the main
// menu would: levels, delete, cut and paste of codes, picking.

#include "KvListTestSupport.h"
#include "KvUiTestSupport.h"
#include "support/KvTestDb.h"
#include "ui/CKvCodeBrowseDlg.h"
#include "ui/CKvCodeBrowseList.h"
#include "ui/CKvCommandRouter.h"
#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"
#include "ui/KvRowClipboard.h"

#include "core/KvMessage.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QVBoxLayout>

namespace {
// A directory of codes held in memory: a code can be drilled into when it
// has codes below it and picked when it has none.
class DirectoryDlg : public CKvCodeBrowseDlg {
 public:
  DirectoryDlg(CKvDb* db, int mode, const QString& separator = QStringLiteral("-"))
      : CKvCodeBrowseDlg(4100, 1000, db, mode, nullptr, separator) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(List());
    layout->addWidget(KvSetControlId(new QPushButton(QStringLiteral("确定"), this), 1));
    layout->addWidget(KvSetControlId(new QPushButton(QStringLiteral("取消"), this), 2));
  }

  QStringList codes{QStringLiteral("01"),    QStringLiteral("01-01"),
                    QStringLiteral("01-02"), QStringLiteral("01-02-01"),
                    QStringLiteral("02"),    QStringLiteral("02-01")};
  QStringList pasted;
  QStringList deleted;

  void InitColumns() override {
    List()->SetColumns({QStringLiteral("编码"), QStringLiteral("名称")}, {120, 160});
  }
  void FillList() override {
    List()->DeleteAllItems();
    for (const QString& code : std::as_const(codes)) {
      if (GetParentCode(code) == ParentCode())
        List()->AddRow({code, QStringLiteral("单位") + code});
    }
  }
  bool CanDrillDown(const QString& code) override {
    return std::any_of(codes.cbegin(), codes.cend(),
                       [&](const QString& c) { return c.startsWith(code + u'-'); });
  }
  bool IsSelectable(const QString& code) override { return !code.isEmpty() && !CanDrillDown(code); }
  bool IsCodeUsed(const QString&) override { return false; }
  bool DeleteCode(const QString& code) override {
    codes.removeAll(code);
    deleted.append(code);
    return true;
  }
  QString GetPasteCode(const QString& rowCode, const QString&) override {
    return rowCode.section(u'-', -1);
  }
  bool PasteCode(const QString& rowCode, const QString& newCode, bool cut) override {
    pasted.append(rowCode + u'>' + newCode);
    QStringList moved;
    for (const QString& code : std::as_const(codes)) {
      if (code == rowCode || code.startsWith(rowCode + u'-'))
        moved.append(newCode + code.mid(rowCode.size()));
    }
    if (cut)
      codes.removeIf([&](const QString& c) { return c == rowCode || c.startsWith(rowCode + u'-'); });
    codes += moved;
    codes.sort();
    return true;
  }

  QString selectedCode() const {
    const int row = List()->GetFirstSelected();
    return row < 0 ? QString() : List()->GetItemText(row, 0);
  }
  QStringList shownCodes() const {
    QStringList shown;
    for (int row = 0; row < List()->GetItemCount(); ++row)
      shown.append(List()->GetItemText(row, 0));
    return shown;
  }
};

class CodeBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override { KV_CREATE_TEST_DB(m_file); }

  // Shows (or activates) the dialog with the focus in its list.
  void open(DirectoryDlg& dialog) {
    ASSERT_TRUE(KvShowActive(&dialog));
    dialog.List()->setFocus();
  }
  static bool run(int id) { return CKvCommandRouter::Instance()->Execute(id); }
  static bool enabled(int id) { return CKvCommandRouter::Instance()->IsEnabled(id); }
  static void select(DirectoryDlg& dialog, const QString& code) {
    ASSERT_TRUE(dialog.List()->SelectOnlyCode(code)) << code.toStdString();
  }

  KvTestDb m_file{0};
  KvMessageRecorder m_messages;
};
}  // namespace

TEST_F(CodeBrowserTest, BackIsGreyAtTheTopAndDrillingInAndBackSelectsTheCodeLeft) {
  DirectoryDlg dialog(&m_file.db(), 0);
  open(dialog);
  EXPECT_EQ(dialog.shownCodes(), (QStringList{"01", "02"}));
  EXPECT_EQ(dialog.selectedCode(), QStringLiteral("01"));
  EXPECT_FALSE(enabled(KV_CMD_BACK));
  EXPECT_TRUE(enabled(KV_CMD_FORWARD));

  // The right-click menu carries back and drill down before cut.
  const KvShownMenu menu = KvRightClick(dialog.List()->View()->viewport(), QPoint(5, 5));
  const qsizetype back = menu.order.indexOf(KV_CMD_BACK);
  ASSERT_GE(back, 0);
  EXPECT_EQ(menu.order.mid(back, 3), (QList<int>{KV_CMD_BACK, KV_CMD_FORWARD, KV_CMD_EDIT_CUT}));
  EXPECT_FALSE(menu.enabled.value(KV_CMD_BACK));

  ASSERT_TRUE(run(KV_CMD_FORWARD));
  EXPECT_EQ(dialog.ParentCode(), QStringLiteral("01"));
  EXPECT_EQ(dialog.shownCodes(), (QStringList{"01-01", "01-02"}));
  EXPECT_EQ(dialog.selectedCode(), QStringLiteral("01-01"));
  EXPECT_FALSE(enabled(KV_CMD_FORWARD));  // 01-01 has nothing below it
  EXPECT_TRUE(enabled(KV_CMD_BACK));

  // Opening a code that cannot be drilled into does nothing in mode 0.
  QTest::keyClick(dialog.List()->View(), Qt::Key_Return);
  EXPECT_EQ(dialog.ParentCode(), QStringLiteral("01"));
  EXPECT_TRUE(dialog.isVisible());

  ASSERT_TRUE(run(KV_CMD_BACK));
  EXPECT_EQ(dialog.ParentCode(), QString());
  EXPECT_EQ(dialog.selectedCode(), QStringLiteral("01"));
  EXPECT_FALSE(enabled(KV_CMD_BACK));
}

TEST_F(CodeBrowserTest, DeletingTheLastCodeOfALevelClimbsToItsParent) {
  DirectoryDlg dialog(&m_file.db(), 0);
  open(dialog);
  select(dialog, QStringLiteral("02"));
  ASSERT_TRUE(run(KV_CMD_FORWARD));
  ASSERT_EQ(dialog.shownCodes(), QStringList{"02-01"});

  m_messages.script({KV_IDNO, KV_IDYES});
  ASSERT_TRUE(run(KV_CMD_DELETE));
  EXPECT_EQ(m_messages.last(), QStringLiteral("真的要删除吗？"));
  EXPECT_TRUE(dialog.deleted.isEmpty());
  ASSERT_TRUE(run(KV_CMD_DELETE));
  EXPECT_EQ(dialog.deleted, QStringList{"02-01"});
  EXPECT_EQ(dialog.ParentCode(), QString());
  EXPECT_EQ(dialog.selectedCode(), QStringLiteral("02"));
}

TEST_F(CodeBrowserTest, ACutCodeCannotGoIntoItselfNorBackWhereItWas) {
  DirectoryDlg dialog(&m_file.db(), 0);
  open(dialog);
  ASSERT_TRUE(run(KV_CMD_FORWARD));  // into 01
  select(dialog, QStringLiteral("01-02"));
  ASSERT_TRUE(run(KV_CMD_EDIT_CUT));
  ASSERT_TRUE(run(KV_CMD_FORWARD));  // into 01-02
  ASSERT_TRUE(run(KV_CMD_EDIT_PASTE));
  EXPECT_EQ(m_messages.last(), QStringLiteral("不能剪切：01-02"));
  open(dialog);                              // the paste's progress window had the focus
  EXPECT_FALSE(enabled(KV_CMD_EDIT_PASTE));  // a cut is pasted once
  ASSERT_TRUE(run(KV_CMD_BACK));  // back in 01, 01-02 selected
  ASSERT_TRUE(run(KV_CMD_EDIT_CUT));
  ASSERT_TRUE(run(KV_CMD_EDIT_PASTE));
  EXPECT_EQ(m_messages.messages().size(), 2);
  EXPECT_EQ(m_messages.last(), QStringLiteral("不能剪切：01-02"));
  EXPECT_TRUE(dialog.pasted.isEmpty());

  // Elsewhere the cut moves the code with what lies below it.
  open(dialog);
  ASSERT_TRUE(run(KV_CMD_EDIT_CUT));
  ASSERT_TRUE(run(KV_CMD_BACK));
  select(dialog, QStringLiteral("02"));
  ASSERT_TRUE(run(KV_CMD_FORWARD));
  ASSERT_TRUE(run(KV_CMD_EDIT_PASTE));
  EXPECT_EQ(dialog.pasted, QStringList{"01-02>02-02"});
  EXPECT_EQ(dialog.shownCodes(), (QStringList{"02-01", "02-02"}));
  EXPECT_EQ(dialog.List()->GetSelectedRows(), QList<int>{1});
  EXPECT_TRUE(dialog.codes.contains(QStringLiteral("02-02-01")));
}

TEST_F(CodeBrowserTest, CodesOfAnotherDataFileAreRefused) {
  KvTestDb other(0);
  ASSERT_TRUE(other.Create());
  DirectoryDlg dialog(&m_file.db(), 0);
  open(dialog);
  KvCopyRowsToClipboard(&other.db(), KV_ROW_CLIPBOARD_FORMAT, {QStringLiteral("01")}, false);
  ASSERT_TRUE(run(KV_CMD_EDIT_PASTE));
  EXPECT_EQ(m_messages.last(), QStringLiteral("不能在不同数据文件之间粘贴！"));
  EXPECT_TRUE(dialog.pasted.isEmpty());
}

TEST_F(CodeBrowserTest, PickingOpensAtTheGivenCodeAndOkReturnsIt) {
  DirectoryDlg dialog(&m_file.db(), 1);
  dialog.m_strSelectedCode = QStringLiteral("01-02-01");
  open(dialog);
  EXPECT_EQ(dialog.ParentCode(), QStringLiteral("01-02"));
  EXPECT_EQ(dialog.selectedCode(), QStringLiteral("01-02-01"));

  // OK on a code with codes below it drills into it instead of picking.
  ASSERT_TRUE(run(KV_CMD_BACK));
  KvDlgItem<QPushButton>(&dialog, 1)->click();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.ParentCode(), QStringLiteral("01-02"));
  KvDlgItem<QPushButton>(&dialog, 1)->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.m_strSelectedCode, QStringLiteral("01-02-01"));
}

namespace {
// A directory whose codes are plain concatenations of two-digit segments,
// with no separator between them.
class PlainDirectoryDlg : public DirectoryDlg {
 public:
  PlainDirectoryDlg(CKvDb* db, int mode) : DirectoryDlg(db, mode, QString()) {
    codes = QStringList{"01", "0101", "0102", "010201", "02", "0201"};
  }
  QString GetParentCode(const QString& code) override { return code.left(qMax(0, int(code.size()) - 2)); }
  bool CanDrillDown(const QString& code) override {
    return std::any_of(codes.cbegin(), codes.cend(),
                       [&](const QString& c) { return c.size() > code.size() && c.startsWith(code); });
  }
  QString GetPasteCode(const QString& rowCode, const QString&) override { return rowCode.right(2); }
  bool PasteCode(const QString& rowCode, const QString& newCode, bool) override {
    pasted.append(rowCode + u'>' + newCode);
    return true;
  }
};
}  // namespace

TEST_F(CodeBrowserTest, APickStartsBelowACodeThatCannotBePickedAndBesideOneThatCan) {
  // (start code, parent listed, code selected)
  const struct {
    const char* start;
    const char* parent;
    const char* selected;
  } cases[] = {
      {"0102", "0102", "010201"},  // has codes below it: its own children
      {"010201", "0102", "010201"},  // a leaf: among its siblings
      {"09", "", "01"},              // unknown start: the top level
  };
  for (const auto& c : cases) {
    PlainDirectoryDlg dialog(&m_file.db(), 1);
    dialog.m_strSelectedCode = QString::fromLatin1(c.start);
    open(dialog);
    EXPECT_EQ(dialog.ParentCode(), QString::fromLatin1(c.parent)) << c.start;
    EXPECT_EQ(dialog.selectedCode(), QString::fromLatin1(c.selected)) << c.start;
  }
  // Browsing (mode 0) opens beside the start code whatever lies below it.
  PlainDirectoryDlg browse(&m_file.db(), 0);
  browse.m_strSelectedCode = QStringLiteral("0102");
  open(browse);
  EXPECT_EQ(browse.ParentCode(), QStringLiteral("01"));
  EXPECT_EQ(browse.selectedCode(), QStringLiteral("0102"));
}

TEST_F(CodeBrowserTest, WithoutSeparatorAPastedCodeIsTheParentAndItsSegment) {
  PlainDirectoryDlg dialog(&m_file.db(), 0);
  dialog.m_strSelectedCode = QStringLiteral("0102");
  open(dialog);
  ASSERT_TRUE(run(KV_CMD_EDIT_CUT));
  ASSERT_TRUE(run(KV_CMD_FORWARD));  // into 0102: its own subtree
  ASSERT_TRUE(run(KV_CMD_EDIT_PASTE));
  EXPECT_EQ(m_messages.last(), QStringLiteral("不能剪切：0102"));
  EXPECT_TRUE(dialog.pasted.isEmpty());

  open(dialog);
  ASSERT_TRUE(run(KV_CMD_BACK));
  ASSERT_TRUE(run(KV_CMD_EDIT_CUT));
  ASSERT_TRUE(run(KV_CMD_BACK));
  select(dialog, QStringLiteral("02"));
  ASSERT_TRUE(run(KV_CMD_FORWARD));
  ASSERT_TRUE(run(KV_CMD_EDIT_PASTE));
  EXPECT_EQ(dialog.pasted, QStringList{"0102>0202"});
}
