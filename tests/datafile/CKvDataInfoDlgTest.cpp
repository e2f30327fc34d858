// Account information: the lines of the module whose tab is selected, the
// detail of a single selected line, the follow-up command offered only for
// a single kind-0 line whose right the operator holds, the right to look,
// and the year and month that come back.

#include "KvToolsTestSupport.h"
#include "KvDataFileTestSupport.h"

#include "core/KvRegistry.h"
#include "datafile/CKvDataInfoDlg.h"
#include "datafile/CKvDataInfoList.h"
#include "ui/CKvTreeCombo.h"
#include "ui/KvAppServices.h"
#include "ui/KvCommands.h"
#include "ui/KvMenus.h"
#include "ui/KvObjectNames.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QItemSelectionModel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTreeView>

class CKvDataInfoDlgTest : public KvToolsDbTest {
 protected:
  void SetUp() override {
    KvToolsDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    KvRegDeleteValue(KvRegRoot::CurrentUser, KvGetRegKeyPath(), QStringLiteral("DataInfo_Year"));
    KvRegDeleteValue(KvRegRoot::CurrentUser, KvGetRegKeyPath(), QStringLiteral("DataInfo_Month"));
    app().InfoModule()->lines = {
        KvInfoLine(0, QStringLiteral("未交费学生"), QStringLiteral("催交费用"), QStringLiteral("05"), 7),
        KvInfoLine(1, QStringLiteral("收费总额")),
        KvInfoLine(0, QStringLiteral("无权命令"), QStringLiteral("清理"), QString(), 8),
    };
  }
  std::unique_ptr<CKvDataInfoDlg> Open() {
    auto dialog = std::make_unique<CKvDataInfoDlg>(pdb());
    dialog->show();
    QApplication::processEvents();
    return dialog;
  }
  static QString Detail(const CKvDataInfoDlg& dialog) {
    return KvDlgItem<QPlainTextEdit>(&dialog, CKvDataInfoDlg::IDC_DETAIL)->toPlainText();
  }
  static void Select(CKvDataInfoList* list, const QList<int>& rows) {
    QItemSelectionModel* selection = list->DetailsView()->selectionModel();
    selection->clearSelection();
    for (int row : rows)
      selection->select(list->DetailsView()->model()->index(row, 0),
                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  // The texts of the list's right-click menu above its find command.
  static QStringList MenuTop(CKvDataInfoList* list) {
    std::unique_ptr<QMenu> menu(KvBuildPopupMenu(KV_MENU_LIST, list));
    list->OnPrepareContextMenu(menu.get());
    QStringList texts;
    for (QAction* action : menu->actions()) {
      if (action->data().toInt() == KV_CMD_EDIT_FIND)
        break;
      texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return texts;
  }
};

TEST_P(CKvDataInfoDlgTest, ShowsTheActiveModulesLinesWithTheDetailOfOneSelectedLine) {
  {
    KvToolsFrame noModule(-1);
    auto dialog = Open();
    EXPECT_EQ(dialog->List()->GetItemCount(), 0);
    EXPECT_TRUE(Detail(*dialog).isEmpty());
  }
  KvToolsFrame frame(InfoTab());
  const QList<KvDataInfoItem> lines = app().InfoModule()->lines;
  app().InfoModule()->lines.clear();
  {
    auto dialog = Open();
    EXPECT_EQ(dialog->List()->GetItemCount(), 0);
    EXPECT_TRUE(Detail(*dialog).isEmpty());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("排课信息"));
  }
  app().InfoModule()->lines = lines;
  auto dialog = Open();
  CKvDataInfoList* list = dialog->List();
  ASSERT_EQ(list->GetItemCount(), 3);
  EXPECT_EQ(list->GetItemText(1, 1), QStringLiteral("收费总额结果"));
  EXPECT_EQ(list->GetSelectedRows(), QList<int>{0});
  EXPECT_EQ(Detail(*dialog), QStringLiteral("未交费学生详情"));
  Select(list, {0, 1});
  EXPECT_TRUE(Detail(*dialog).isEmpty());
  EXPECT_FALSE(list->IsCmdEnabled(KV_CMD_OPEN));
  EXPECT_EQ(MenuTop(list), QStringList{});
}

TEST_P(CKvDataInfoDlgTest, TheCommandOfASingleKindZeroLineRunsWithItsRightAndIsLogged) {
  KvToolsFrame frame(InfoTab());
  LoginAs(QStringLiteral("102"), {QStringLiteral("1936")});
  auto dialog = Open();
  CKvDataInfoList* list = dialog->List();
  const struct {
    int row;
    bool offered;
  } cases[] = {{0, false}, {1, false}, {2, false}};
  for (const auto& c : cases) {
    Select(list, {c.row});
    EXPECT_EQ(list->IsCmdEnabled(KV_CMD_OPEN), c.offered) << c.row;
    EXPECT_EQ(MenuTop(list).isEmpty(), !c.offered) << c.row;
  }
  // With the line's right the command stands on top of the menu.
  LoginAs(QStringLiteral("102"), {QStringLiteral("1936"), QStringLiteral("1905")});
  Select(list, {0});
  EXPECT_EQ(MenuTop(list), (QStringList{QStringLiteral("催交费用"), QStringLiteral("-")}));
  list->ExecuteCmd(KV_CMD_OPEN);
  EXPECT_EQ(app().InfoModule()->ran, QStringList{QStringLiteral("未交费学生")});
  EXPECT_EQ(list->GetSelectedRows(), QList<int>{0});
  EXPECT_EQ(LogNotes(1907), QStringList{QStringLiteral("催交费用")});

  // A command that did nothing is not logged.
  app().InfoModule()->commandResult = false;
  list->ExecuteCmd(KV_CMD_OPEN);
  EXPECT_EQ(LogNotes(1907).size(), 1);
}

TEST_P(CKvDataInfoDlgTest, TheRightToLookAndTheYearAndMonthThatComeBack) {
  KvToolsFrame frame(InfoTab());
  {
    LoginAs(QStringLiteral("102"));
    KvScriptedAnswers answers;
    auto dialog = Open();
    EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("你无数据信息查询权！")});
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(LogNotes(1922).isEmpty());
  }
  LoginAs(QStringLiteral("101"));
  const int fileYear = KvAppServiceDataFileYear();
  {
    auto dialog = Open();
    ASSERT_TRUE(dialog->isVisible());
    auto* year = KvDlgItem<QComboBox>(dialog.get(), CKvDataInfoDlg::IDC_YEAR);
    auto* month = KvDlgItem<QComboBox>(dialog.get(), CKvDataInfoDlg::IDC_MONTH);
    EXPECT_EQ(year->currentText(), QStringLiteral("%1年").arg(fileYear));
    const int asked = int(app().InfoModule()->asked.size());
    month->setCurrentIndex(3);
    emit month->activated(3);
    EXPECT_EQ(app().InfoModule()->asked.last(), QStringLiteral("%1/03").arg(fileYear));
    // Choosing the same month again reads nothing.
    emit month->activated(3);
    EXPECT_EQ(app().InfoModule()->asked.size(), asked + 1);
    year->setCurrentIndex(year->findText(QStringLiteral("%1年").arg(fileYear - 1)));
    emit year->activated(year->currentIndex());
    dialog->OnCancel();
  }
  EXPECT_EQ(LogNotes(1922), QStringList{QStringLiteral("查看数据信息")});
  auto dialog = Open();
  EXPECT_EQ(KvDlgItem<QComboBox>(dialog.get(), CKvDataInfoDlg::IDC_YEAR)->currentText(),
            QStringLiteral("%1年").arg(fileYear - 1));
  EXPECT_EQ(KvDlgItem<QComboBox>(dialog.get(), CKvDataInfoDlg::IDC_MONTH)->currentText(),
            QStringLiteral("03月"));
  EXPECT_EQ(app().InfoModule()->asked.last(), QStringLiteral("%1/03").arg(fileYear - 1));
  KvGrabWindow(dialog.get(), QStringLiteral("dlg_823"));
}

TEST_P(CKvDataInfoDlgTest, AnotherUnitChosenReadsItsLines) {
  KvToolsFrame frame(InfoTab());
  CKvDwRec first, second;
  first.KNO = QStringLiteral("01");
  first.NA = QStringLiteral("一中");
  second.KNO = QStringLiteral("02");
  second.NA = QStringLiteral("二中");
  KvGetDwArray() = {first, second};
  {
    auto dialog = Open();
    CKvTreeCombo* picker = dialog->UnitPicker();
    EXPECT_TRUE(picker->isVisible());
    const int asked = int(app().InfoModule()->asked.size());
    ASSERT_TRUE(picker->SelectText(second.KvGetDwPathText(QStringLiteral("全部(或公用)"))));
    dialog->ApplyUnitPicker(-1);
    EXPECT_EQ(app().InfoModule()->units.last(), QStringLiteral("02"));
    EXPECT_EQ(app().InfoModule()->asked.size(), asked + 1);
    KvGrabWindow(dialog.get(), QStringLiteral("dlg_823_units"));
  }
  KvGetDwArray().clear();
  KvGetCurrentDw().Clear();
}

KV_DB_KIND_TEST_SUITE(CKvDataInfoDlgTest);
