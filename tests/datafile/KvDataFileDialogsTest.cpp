// The data-file information and business-month dialogs as the operator
// uses them: what OK refuses and keeps, what it stores, and the month
// limits; both opened from their commands and looked at.

#include "KvDataFileTestSupport.h"

#include "app/CKvApp.h"
#include "app/KvProgramImage.h"
#include "app/KvUserSettings.h"
#include "core/CKvDb.h"
#include "datafile/CKvDataFileInfoDlg.h"
#include "datafile/CKvMonthTable.h"
#include "datafile/CKvPeriodDlg.h"
#include "ui/KvCommands.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

namespace {

class KvDataFileDialogsTest : public KvDataFileDbTest {
 protected:
  QStringList SysTab() { return Rows(QStringLiteral("SysTab"), QStringLiteral("NA,KJ,T1,AN")); }
  static void Type(QDialog* dialog, int id, const QString& text) {
    auto* edit = KvDlgItem<QLineEdit>(dialog, id);
    ASSERT_NE(edit, nullptr) << id;
    edit->setText(text);
  }
  // OK, then whether the dialog closed.
  static bool PressOk(QDialog* dialog) {
    dialog->accept();
    return !dialog->isVisible();
  }
};

// What OK refuses (the dialog stays open, SYSTAB and the log unchanged)
// and what it stores.
TEST_P(KvDataFileDialogsTest, InformationIsCheckedThenStoredWithItsLogEntry) {
  const QString folder = QDir::tempPath();
  struct Case {
    QString na, t1, kj, an, wallpaper;
    bool free, paid;
    QString refusal;  // empty: stored
    int softUp;
  };
  const QList<Case> cases = {
      {QStringLiteral("   "), QStringLiteral("张三"), QStringLiteral("李四"), {}, {}, true, false,
       QStringLiteral("主体名不能为空！"), 0},
      {QStringLiteral("一中"), QString(), QStringLiteral("李四"), {}, {}, true, false,
       QStringLiteral("法人代表名不能为空！"), 0},
      {QStringLiteral("一中"), QStringLiteral("张三"), QStringLiteral(" \t"), {}, {}, true, false,
       QStringLiteral("业务主管名不能为空！"), 0},
      {QStringLiteral("一中"), QStringLiteral("张三"), QStringLiteral("李四"), {}, folder, true, false,
       QStringLiteral("桌布文件<%1>不存在！").arg(folder), 0},
      {QStringLiteral("一中"), QStringLiteral("张三"), QStringLiteral("李四"), {}, QStringLiteral("http:\\\\x.cn\\a.htm"),
       true, true, {}, 3},
      {QStringLiteral("O'Neil 一中"), QStringLiteral("张三"), QStringLiteral("李四"), QStringLiteral("A1"), {}, false,
       false, {}, 0},
  };
  for (const Case& c : cases) {
    const QStringList before = SysTab() + LogNotes(2);
    KvScriptedAnswers answers;
    bool closed = false;
    KvDialogSteps steps({[&](QDialog* dialog) {
      Type(dialog, 1105, c.na);
      Type(dialog, 1152, c.t1);
      Type(dialog, 1150, c.kj);
      Type(dialog, 1151, c.an);
      Type(dialog, 1096, c.wallpaper);
      KvDlgItem<QCheckBox>(dialog, 1144)->setChecked(c.free);
      KvDlgItem<QCheckBox>(dialog, 1145)->setChecked(c.paid);
      closed = PressOk(dialog);
      if (!closed) {
        EXPECT_EQ(KvDlgItem<QLineEdit>(dialog, 1105)->text(), c.na) << "the typed values stay";
      }
      return closed ? int(QDialog::Accepted) : int(QDialog::Rejected);
    }});
    KvRunDataFileInfoDlg();
    if (!c.refusal.isEmpty()) {
      EXPECT_FALSE(closed) << c.refusal.toStdString();
      EXPECT_EQ(answers.Stops(), QStringList{c.refusal});
      EXPECT_EQ(SysTab() + LogNotes(2), before);
      continue;
    }
    EXPECT_TRUE(closed) << c.na.toStdString();
    const QString row = QStringList{c.na, c.kj, c.t1, c.an}.join(u'|');
    EXPECT_EQ(SysTab(), QStringList{row});
    EXPECT_EQ(m_app->GetDataFile().GetEntityName(), c.na) << "the application reads SYSTAB again";
    EXPECT_EQ(KvGetSoftUpMode(), c.softUp);
  }
  EXPECT_EQ(LogNotes(2).count(QStringLiteral("修改了数据文件信息")), 2);
  // The web address is stored; the main window shows none, so the next
  // dialog shows none either and an empty one is no change.
  EXPECT_EQ(LogNotes(2).count(QStringLiteral("修改了桌布方案")), 1);
}

// Another workstation marks the year carried forward (MM 12) or renames
// the entity while the dialog is open: OK keeps both, refusing when a shown
// field changed, writing only the typed fields otherwise, and nothing at
// all when nothing shown was changed.
TEST_P(KvDataFileDialogsTest, InformationKeepsWhatAnotherWorkstationStoredMeanwhile) {
  CKvDb other(kind());
  ASSERT_TRUE(testDb().OpenAnother(other));
  const QString name = Rows(QStringLiteral("SysTab"), QStringLiteral("NA")).value(0);
  const struct {
    const char* otherSets;
    const char* typedManager;  // null: nothing typed
    bool refused;
    bool beforeOpen = false;  // set before the dialog reads SYSTAB: refused all the same
  } cases[] = {
      {"MM=12,NA='别处改名'", "新主管", true},
      {"MM=12", "新主管", false},
      {"MM=12", nullptr, false},
      {"MM=12", "新主管", false, true},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update SysTab Set MM=0,NA='%1',KJ='李四',T1='张三'").arg(name)));
    const QStringList log = LogNotes(2);
    KvScriptedAnswers answers;
    bool closed = false;
    EXPECT_TRUE(!c.beforeOpen || other.Execute(QStringLiteral("Update SysTab Set ") + QString::fromUtf8(c.otherSets)));
    KvDialogSteps steps({[&](QDialog* dialog) {
      EXPECT_TRUE(c.beforeOpen || other.Execute(QStringLiteral("Update SysTab Set ") + QString::fromUtf8(c.otherSets)));
      if (c.typedManager)
        Type(dialog, 1150, QString::fromUtf8(c.typedManager));
      closed = PressOk(dialog);
      if (!closed) {
        EXPECT_EQ(KvDlgItem<QLineEdit>(dialog, 1150)->text(), QString::fromUtf8(c.typedManager));
      }
      return closed ? int(QDialog::Accepted) : int(QDialog::Rejected);
    }});
    KvRunDataFileInfoDlg();
    const bool carried = kind() != 0 && c.typedManager;  // on a server refused under the lock
    const bool refused = c.refused || carried;
    const QString manager = c.typedManager && !refused ? QString::fromUtf8(c.typedManager) : QStringLiteral("李四");
    const QString stored = c.refused ? QStringLiteral("别处改名") : name;
    EXPECT_EQ(Rows(QStringLiteral("SysTab"), QStringLiteral("MM,NA,KJ")),
              QStringList{QStringLiteral("12|%1|%2").arg(stored, manager)})
        << c.otherSets;
    EXPECT_EQ(closed, !refused) << c.otherSets;
    EXPECT_EQ(answers.Stops(), carried     ? QStringList{QStringLiteral("本年度数据已结转到新年度，不能再保存！")}
                               : c.refused ? QStringList{QStringLiteral("数据文件信息已被其他窗口或工作站修改，请重新打开后再修改！")}
                                           : QStringList())
        << c.otherSets;
    EXPECT_EQ(LogNotes(2).size(), log.size() + (c.typedManager && !refused ? 1 : 0)) << c.otherSets;
  }
}

// A SYSTAB that cannot be written keeps the dialog open, and neither the
// file's identity nor the log changes, whichever statement fails.
TEST_P(KvDataFileDialogsTest, AFailedInformationWriteKeepsTheDialogOpen) {
  const QStringList before = SysTab() + LogNotes(2);
  for (int n = 1;; ++n) {
    KvScriptedAnswers answers;
    bool closed = false;
    int sent = 0;
    KvDialogSteps steps({[&](QDialog* dialog) {
      Type(dialog, 1105, QStringLiteral("新名称"));
      pdb()->FailNthStatement(n);
      closed = PressOk(dialog);
      sent = pdb()->GetStatementsSent();
      pdb()->FailNthStatement(0);
      return closed ? int(QDialog::Accepted) : int(QDialog::Rejected);
    }});
    KvRunDataFileInfoDlg();
    // Once SYSTAB and its log entry are committed, a statement refused
    // afterwards (the application reading SYSTAB again) no longer matters.
    if (closed || sent < n) {
      EXPECT_TRUE(closed) << answers.texts.join(u' ').toStdString();
      EXPECT_GT(n, 3);
      EXPECT_EQ(LogNotes(2), QStringList{QStringLiteral("修改了数据文件信息")});
      break;
    }
    ASSERT_FALSE(closed) << "statement " << n;
    ASSERT_EQ(SysTab() + LogNotes(2), before) << "statement " << n;
  }
}

// The period dialog: OK enters edit mode, the days are checked against the
// calendar month (20 days either way), and a change moves the neighbours.
TEST_P(KvDataFileDialogsTest, MonthDaysAreCheckedAgainstTheCalendarMonth) {
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into PWR(OPNO,PWR) Values('101','3005')")));
  ASSERT_TRUE(m_app->GetDataFile().LoadRights());
  struct Case {
    QString first, last, refusal;
  };
  const QList<Case> cases = {
      {QStringLiteral("20240209"), QStringLiteral("20240308"), QStringLiteral("月初日太过提前！")},
      {QStringLiteral("20240310"), QStringLiteral("20240305"), QStringLiteral("月初、月末日期倒置！")},
      {QStringLiteral("20240301"), QStringLiteral("20240421"), QStringLiteral("月末日太过推后！")},
      {QStringLiteral("20240332"), QStringLiteral("20240331"), QStringLiteral("日期超界")},
      {QStringLiteral("20240210"), QStringLiteral("20240420"), {}},
  };
  CKvPeriodDlg dialog(App()->module, QStringLiteral("收费月"), 5, pdb());
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("测试模块：收费月"));
  auto* list = KvDlgItem<QTreeWidget>(&dialog, 1011);
  ASSERT_EQ(list->topLevelItemCount(), 12);
  EXPECT_EQ(list->topLevelItem(1)->text(2), QStringLiteral("2024年02月29日"));
  list->clearSelection();
  list->topLevelItem(2)->setSelected(true);
  // The list's menu enters edit mode as OK does.
  KvSetPopupMenuExec([](QMenu* menu, const QPoint&) { return menu->actions().first(); });
  emit list->customContextMenuRequested(QPoint(5, 5));
  KvSetPopupMenuExec({});
  ASSERT_TRUE(dialog.IsEditing());
  dialog.OnCancel();
  for (const Case& c : cases) {
    KvScriptedAnswers answers;
    dialog.OnOK();
    ASSERT_TRUE(dialog.IsEditing());
    EXPECT_FALSE(list->isEnabled());
    Type(&dialog, 1012, c.first);
    Type(&dialog, 1014, c.last);
    KvGrabWindow(&dialog, QStringLiteral("dlg_814"));
    dialog.OnOK();
    if (!c.refusal.isEmpty()) {
      EXPECT_EQ(answers.Stops(), QStringList{c.refusal}) << c.first.toStdString();
      EXPECT_TRUE(Months(30).isEmpty());
      dialog.OnCancel();
      EXPECT_TRUE(dialog.isVisible()) << "Cancel in edit mode only leaves it";
      continue;
    }
    EXPECT_FALSE(dialog.IsEditing());
    EXPECT_EQ(Months(30), (QStringList{QStringLiteral("2024|02|20240201|20240209"),
                                       QStringLiteral("2024|03|20240210|20240420"),
                                       QStringLiteral("2024|04|20240421|20240430")}));
    EXPECT_EQ(list->topLevelItem(3)->text(1), QStringLiteral("2024年04月21日"));
  }
  dialog.OnCancel();
  EXPECT_FALSE(dialog.isVisible());
}

// Commands 43108 and 43110 open their dialogs; the month command needs a
// module with business months.
TEST_P(KvDataFileDialogsTest, CommandsOpenTheDialogs) {
  KvDialogSteps steps({[&](QDialog* dialog) {
    EXPECT_EQ(KvDlgItem<QLineEdit>(dialog, 1105)->text(), QStringLiteral("××单位"));
    KvGrabWindow(dialog, QStringLiteral("dlg_816"));
    return int(QDialog::Rejected);
  }});
  m_app->ExecuteCmd(KV_CMD_DATA_FILE_INFO);
  EXPECT_EQ(steps.names, QStringList{QStringLiteral("dlg_816")});
  EXPECT_FALSE(KvRunPeriodDlg()) << "no active module: nothing shown";
  EXPECT_EQ(steps.names.size(), 1);
}

KV_DB_KIND_TEST_SUITE(KvDataFileDialogsTest);

}  // namespace
