// The dialog base: Enter, the guarded OK, F1, F12, the right-click menu and
// the hints over the controls.

#include "KvUiTestSupport.h"
#include "ui/CKvDlg.h"
#include "ui/KvHelp.h"
#include "ui/KvObjectNames.h"

#include "core/KvMessage.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <memory>

namespace {
// A dialog with two fields, a check box, a combo box, OK and Cancel.
class TestDlg : public CKvDlg {
 public:
  TestDlg() : CKvDlg(777) {
    auto* layout = new QVBoxLayout(this);
    for (QWidget* control :
         {static_cast<QWidget*>(KvSetControlId(new QLineEdit(this), 1001)),
          static_cast<QWidget*>(KvSetControlId(new QLineEdit(this), 1002)),
          static_cast<QWidget*>(KvSetControlId(new QCheckBox(QStringLiteral("选项"), this), 1003)),
          static_cast<QWidget*>(KvSetControlId(new QComboBox(this), 1004)),
          static_cast<QWidget*>(KvSetControlId(new QPushButton(QStringLiteral("确定"), this), 1)),
          static_cast<QWidget*>(KvSetControlId(new QPushButton(QStringLiteral("取消"), this), 2))})
      layout->addWidget(control);
  }

  bool SaveData() override {
    ++saves;
    okEnabledWhileSaving = KvDlgItem(this, 1)->isEnabled();
    cancelEnabledWhileSaving = KvDlgItem(this, 2)->isEnabled();
    return saveResult;
  }
  void OnClipboardChange() override { ++clipboardChanges; }
  bool IsCmdEnabled(int id) override { return id != greyed; }

  bool saveResult = true;
  int saves = 0;
  bool okEnabledWhileSaving = true;
  bool cancelEnabledWhileSaving = true;
  int clipboardChanges = 0;
  int greyed = 0;
};

// A dialog that finds nothing to ask and closes itself while being set up.
class SelfClosingDlg : public TestDlg {
 protected:
  void OnInitDialog() override {
    TestDlg::OnInitDialog();
    OnOK();
  }
};

QWidget* item(QWidget* dialog, int id) { return KvDlgItem(dialog, id); }
}  // namespace

TEST(DialogTest, EnterWalksTheControlsAndOkRunsTheGuardedSave) {
  TestDlg dialog;
  EXPECT_EQ(dialog.objectName(), QStringLiteral("dlg_777"));
  ASSERT_TRUE(KvShowActive(&dialog));
  item(&dialog, 1001)->setFocus();
  QTest::keyClick(item(&dialog, 1001), Qt::Key_Return);
  EXPECT_EQ(QApplication::focusWidget(), item(&dialog, 1002));
  QTest::keyClick(item(&dialog, 1002), Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(QApplication::focusWidget(), item(&dialog, 1003));
  EXPECT_EQ(dialog.saves, 0);

  // Saving fails: the dialog stays, OK and Cancel were off while saving and
  // are back on.
  dialog.saveResult = false;
  item(&dialog, 1)->setFocus();
  QTest::keyClick(item(&dialog, 1), Qt::Key_Return);
  EXPECT_EQ(dialog.saves, 1);
  EXPECT_FALSE(dialog.okEnabledWhileSaving);
  EXPECT_FALSE(dialog.cancelEnabledWhileSaving);
  EXPECT_TRUE(item(&dialog, 1)->isEnabled());
  EXPECT_TRUE(item(&dialog, 2)->isEnabled());
  EXPECT_TRUE(dialog.isVisible());

  // A disabled OK does nothing, whatever asks for it.
  item(&dialog, 1)->setEnabled(false);
  dialog.accept();
  EXPECT_EQ(dialog.saves, 1);
  item(&dialog, 1)->setEnabled(true);

  dialog.saveResult = true;
  QTest::mouseClick(static_cast<QPushButton*>(item(&dialog, 1)), Qt::LeftButton);
  EXPECT_EQ(dialog.saves, 2);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(DialogTest, EnterRunsOkWhenWalkingIsOffAndCancelSkipsTheSave) {
  TestDlg dialog;
  dialog.m_bEnterNextCtrl = 0;
  ASSERT_TRUE(KvShowActive(&dialog));
  item(&dialog, 1001)->setFocus();
  QTest::keyClick(item(&dialog, 1001), Qt::Key_Return);
  EXPECT_EQ(dialog.saves, 1);
  EXPECT_FALSE(dialog.isVisible());

  TestDlg cancelled;
  ASSERT_TRUE(KvShowActive(&cancelled));
  QTest::keyClick(item(&cancelled, 1001), Qt::Key_Escape);
  EXPECT_EQ(cancelled.saves, 0);
  EXPECT_EQ(cancelled.result(), QDialog::Rejected);
}

TEST(DialogTest, DialogClosingDuringItsSetupEndsItsModalRun) {
  SelfClosingDlg dialog;
  // Only a fault would leave the modal loop running; then the timer ends it.
  QTimer::singleShot(5000, &dialog, [&] { dialog.QDialog::done(QDialog::Rejected); });
  EXPECT_EQ(KvExecDialog(&dialog), QDialog::Accepted);
  EXPECT_EQ(dialog.saves, 1);
}

TEST(DialogTest, F12OpensTheCalculatorWithoutSendBack) {
  int calls = 0;
  bool sendBack = true;
  QString expression = QStringLiteral("x");
  KvScopedCalculator calculator([&](bool back, const QString& text, QWidget*, QString* result) {
    ++calls;
    sendBack = back;
    expression = text;
    *result = QStringLiteral("42");
    return true;
  });
  TestDlg dialog;
  ASSERT_TRUE(KvShowActive(&dialog));
  QTest::keyClick(item(&dialog, 1003), Qt::Key_F12);
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(sendBack);
  EXPECT_TRUE(expression.isEmpty());
  EXPECT_TRUE(static_cast<QLineEdit*>(item(&dialog, 1001))->text().isEmpty());
}

TEST(DialogTest, F1OpensTheHelpPagesOnlyWhenTheyAreThere) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString previousFolder = KvSetHelpFolder(folder.path());
  QList<QUrl> opened;
  const KvUrlOpenFn previousOpener = KvSetHelpOpener([&](const QUrl& url) {
    opened.append(url);
    return true;
  });
  const std::shared_ptr<void> restore(nullptr, [&](void*) {
    KvSetHelpOpener(previousOpener);
    KvSetHelpFolder(previousFolder);
  });
  KvMessageRecorder messages;
  TestDlg dialog;
  ASSERT_TRUE(KvShowActive(&dialog));

  // No pages: nothing opens and nothing is said.
  QTest::keyClick(item(&dialog, 1001), Qt::Key_F1);
  EXPECT_TRUE(opened.isEmpty());
  EXPECT_TRUE(messages.texts().isEmpty());

  for (const char* page : {"index.html", "keywords.html"}) {
    QFile file(QDir(folder.path()).filePath(QLatin1String(page)));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  QTest::keyClick(item(&dialog, 1001), Qt::Key_F1);
  ASSERT_EQ(opened.size(), 1);
  EXPECT_EQ(opened.at(0).fileName(), QStringLiteral("index.html"));

  dialog.m_strHelpKeyword = QStringLiteral("收费");
  dialog.ExecuteCmd(KV_CMD_HELP);
  ASSERT_EQ(opened.size(), 2);
  EXPECT_EQ(opened.at(1).fileName(), QStringLiteral("keywords.html"));
  EXPECT_EQ(opened.at(1).fragment(), QStringLiteral("收费"));

  // A browser that cannot be started is reported.
  KvSetHelpOpener([](const QUrl&) { return false; });
  dialog.OnHelp();
  EXPECT_EQ(messages.last(), QStringLiteral("未能启动帮助。"));
}

TEST(DialogTest, RightClickMenuOnlyInTheClientArea) {
  int calls = 0;
  KvScopedCalculator calculator([&](bool, const QString&, QWidget*, QString*) {
    ++calls;
    return false;
  });
  QStringList shown;
  KvScopedPopupMenuExec popup([&](QMenu* menu, const QPoint&) -> QAction* {
    shown.append(menu->objectName());
    return KvMenuAction(menu, KV_CMD_CALCULATOR);
  });
  TestDlg dialog;
  ASSERT_TRUE(KvShowActive(&dialog));

  const QPoint outside(-5, -5);
  QContextMenuEvent titleBar(QContextMenuEvent::Mouse, outside, dialog.mapToGlobal(outside));
  QApplication::sendEvent(&dialog, &titleBar);
  EXPECT_TRUE(shown.isEmpty());

  const QPoint inside(2, 2);
  QContextMenuEvent client(QContextMenuEvent::Mouse, inside, dialog.mapToGlobal(inside));
  QApplication::sendEvent(&dialog, &client);
  EXPECT_EQ(shown, QStringList{QStringLiteral("menu_301")});
  EXPECT_EQ(calls, 1);

  // A command the dialog refuses is greyed and cannot be chosen.
  dialog.greyed = KV_CMD_CALCULATOR;
  QApplication::sendEvent(&dialog, &client);
  EXPECT_EQ(calls, 1);
}

TEST(DialogTest, ControlsGetTheirHintsAndClipboardChangesAreReported) {
  TestDlg dialog;
  auto* help = KvSetControlId(new QPushButton(QStringLiteral("帮助"), &dialog), KV_CMD_HELP);
  dialog.layout()->addWidget(help);
  ASSERT_TRUE(KvShowActive(&dialog));
  EXPECT_EQ(item(&dialog, 1004)->toolTip(),
            QStringLiteral("单击右边的下拉箭头，或按下箭头键，可弹出列表框供选择。"));
  EXPECT_EQ(help->toolTip(), QStringLiteral("任何时候，你都可按下F1键获得联机帮助。"));
  EXPECT_EQ(item(&dialog, 1)->toolTip(),
            QStringLiteral("保存新增或变更内容，确定选择事项，或执行指定功能操作后关闭对话框，进入下一步操作。"));
  EXPECT_EQ(item(&dialog, 2)->toolTip(),
            QStringLiteral("作废刚才的对话框操作，关闭对话框后，返回前一步操作。"));
  EXPECT_TRUE(item(&dialog, 1001)->toolTip().isEmpty());
  EXPECT_TRUE(item(&dialog, 1003)->toolTip().isEmpty());

  QApplication::clipboard()->setText(QStringLiteral("剪贴板"));
  EXPECT_EQ(dialog.clipboardChanges, 1);
}
