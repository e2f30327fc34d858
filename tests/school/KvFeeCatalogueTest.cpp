// The fee-item catalogue's windows: the edit dialog's code proposal, padding
// and refusals, new repeated until Cancel from the selected item, the merge
// question of a rename, the row selected after a delete, and the Settings
// command that opens the catalogue.

#include "KvFeeUiTestSupport.h"
#include "KvSchoolTestSupport.h"

#include "school/CKvCostEditDlg.h"
#include "school/CKvCostList.h"
#include "school/CKvCostListDlg.h"
#include "ui/KvCommands.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QLineEdit>
#include <QTest>

class KvFeeCatalogueTest : public KvSchoolDbTest {
 protected:
  void SetUp() override {
    KvSchoolDbTest::SetUp();
    if (!IsSkipped() && !HasFatalFailure()) {
      ASSERT_TRUE(KvGrantRights(*m_app, {QStringLiteral("1801")}));
    }
  }
  QStringList Items() { return Rows(QStringLiteral("COST"), QStringLiteral("KNO,NA,NT")); }
  QStringList Log() {
    return Column(QStringLiteral("Select rtrim(sNote) From KvLog Where nTaskID=1800 Order By nTask"));
  }
};

TEST_P(KvFeeCatalogueTest, EditDialogPadsCodesAndRefusesBadInput) {
  AddItem(QStringLiteral("07"), QStringLiteral("资料费"));
  const struct {
    const char* code;
    const char* name;
    const char* message;  // empty: stored
    const char* shownCode;
  } cases[] = {
      {"0", "书本费", "代码不合适，请重输！", ""},
      {"00", "书本费", "代码不合适，请重输！", ""},
      {"123", "书本费", "代码不合适，请重输！", "23"},
      {"3", "", "名称不能为空，请重输！", "03"},
      {"7", "重复", "", "07"},  // taken: open without a word
      {"5", "O'Neil书本费", "", "05"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    KvScriptedAnswers answers;
    CKvCostEditDlg dlg(1, QString(), pdb());
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("增加"));
    EXPECT_EQ(KvFieldText(&dlg, CKvCostEditDlg::IDC_CODE), QStringLiteral("08"));
    KvSetField(&dlg, CKvCostEditDlg::IDC_CODE, QString::fromUtf8(c.code));
    KvSetField(&dlg, CKvCostEditDlg::IDC_NAME, QString::fromUtf8(c.name));
    const QStringList before = State();
    KvPress(&dlg, KV_IDOK);
    EXPECT_EQ(KvFieldText(&dlg, CKvCostEditDlg::IDC_CODE), QString::fromUtf8(c.shownCode));
    const bool stored = *c.message == 0 && QByteArray(c.name) != "重复";
    EXPECT_EQ(dlg.result() == QDialog::Accepted, stored);
    EXPECT_EQ(answers.Stops(), *c.message ? QStringList{QString::fromUtf8(c.message)} : QStringList{});
    if (!stored) {
      EXPECT_EQ(State(), before);
    }
    if (*c.message) {
      EXPECT_TRUE(dlg.focusWidget() && dlg.focusWidget()->objectName().startsWith(QStringLiteral("id_103")));
    }
  }
  EXPECT_EQ(Items(), (QStringList{"05|O'Neil书本费|", "07|资料费|"}));
  EXPECT_EQ(Log(), QStringList{"新增：05 - O'Neil书本费"});
}

TEST_P(KvFeeCatalogueTest, NewRepeatsFromTheSelectedItemUntilCancel) {
  CCost first{QStringLiteral("01"), QStringLiteral("学费"), QStringLiteral("每学期")};
  ASSERT_TRUE(first.Insert(pdb()));
  QStringList proposals;
  int runs = 0;
  KvFeeDialogScript script([&](QDialog* dialog) {
    if (dialog->objectName() == QStringLiteral("dlg_954")) {
      static_cast<CKvCostListDlg*>(dialog)->List()->FindAndSelect(QStringLiteral("01"));
      KvPress(dialog, CKvCostListDlg::IDC_NEW);
      dialog->reject();
      return;
    }
    auto* focus = qobject_cast<QLineEdit*>(dialog->focusWidget());
    proposals << KvFieldText(dialog, CKvCostEditDlg::IDC_CODE) + QLatin1Char('|') +
                     KvFieldText(dialog, CKvCostEditDlg::IDC_NAME) + QLatin1Char('|') +
                     KvFieldText(dialog, CKvCostEditDlg::IDC_NOTE) + QLatin1Char('|') +
                     (focus ? focus->selectedText() : QString());
    if (++runs == 3) {
      dialog->reject();
      return;
    }
    KvSetField(dialog, CKvCostEditDlg::IDC_NAME, QStringLiteral("杂费%1").arg(runs));
    KvPress(dialog, KV_IDOK);
  });
  // The Settings command of the fee menu opens the catalogue.
  ASSERT_TRUE(m_app->IsCmdEnabled(KV_CMD_SET_FEE_ITEMS));
  m_app->ExecuteCmd(KV_CMD_SET_FEE_ITEMS);
  EXPECT_EQ(proposals, (QStringList{"02|学费|每学期|学费", "03|杂费1|每学期|杂费1", "04|杂费2|每学期|杂费2"}));
  EXPECT_EQ(Items(), (QStringList{"01|学费|每学期", "02|杂费1|每学期", "03|杂费2|每学期"}));
  EXPECT_EQ(Log(), (QStringList{"新增：02 - 杂费1", "新增：03 - 杂费2"}));
}

TEST_P(KvFeeCatalogueTest, RenameOntoAnotherItemMergesOnlyOnYes) {
  AddItem(QStringLiteral("03"), QStringLiteral("书本费"));
  AddItem(QStringLiteral("07"), QStringLiteral("资料费"));
  AddLine(QStringLiteral("010201001"), QStringLiteral("03"), 0, 1, 100);
  for (int answer : {int(KV_IDNO), int(KV_IDYES)}) {
    SCOPED_TRACE(answer);
    KvScriptedAnswers answers({answer});
    CKvCostEditDlg dlg(0, QStringLiteral("03"), pdb());
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("修改"));
    EXPECT_EQ(KvFieldText(&dlg, CKvCostEditDlg::IDC_NAME), QStringLiteral("书本费"));
    KvSetField(&dlg, CKvCostEditDlg::IDC_CODE, QStringLiteral("7"));
    KvSetField(&dlg, CKvCostEditDlg::IDC_NAME, QStringLiteral("课本费"));
    const QStringList before = State();
    KvPress(&dlg, KV_IDOK);
    EXPECT_EQ(answers.texts, QStringList{"要将费用<03>与<07>合并吗？"});
    if (answer == KV_IDNO) {
      EXPECT_NE(dlg.result(), QDialog::Accepted);
      EXPECT_EQ(State(), before);
    } else {
      EXPECT_EQ(dlg.result(), QDialog::Accepted);
    }
  }
  EXPECT_EQ(Items(), QStringList{"07|资料费|"});
  EXPECT_EQ(Column(QStringLiteral("Select COST From PC")), QStringList{"07"});
  EXPECT_EQ(Log(), QStringList{"修改：03(书本费) --> 07(课本费)"});

  // The item changed at another workstation while the merge question is
  // open: 是 stores nothing and says why.
  AddItem(QStringLiteral("08"), QStringLiteral("报名费"));
  CKvDb other(kind());
  ASSERT_TRUE(testDb().OpenAnother(other));
  {
    CKvCostEditDlg merging(0, QStringLiteral("08"), pdb());
    merging.show();
    KvSetField(&merging, CKvCostEditDlg::IDC_CODE, QStringLiteral("7"));
    QStringList texts;
    const KvMessageHandler previous = KvSetMessageHandler([&](const KvMessage& message) {
      texts.append(message.text);
      if (message.buttons() == KV_MB_YESNO) {
        EXPECT_TRUE(other.Execute(QStringLiteral("Update COST Set NT='另一站' Where KNO='08'")));
      }
      return int(KV_IDYES);
    });
    KvPress(&merging, KV_IDOK);
    KvSetMessageHandler(previous);
    EXPECT_EQ(texts, (QStringList{"要将费用<08>与<07>合并吗？",
                                  "费用项目<08>已被其他窗口或工作站修改或删除，请重新打开后再修改！"}));
    EXPECT_TRUE(merging.isVisible());
  }
  EXPECT_EQ(Items(), (QStringList{"07|资料费|", "08|报名费|另一站"}));

  // An item another workstation deleted meanwhile: refused with a word, no
  // merge question about a code with itself, nothing stored.
  CKvCostEditDlg dlg(0, QStringLiteral("07"), pdb());
  dlg.show();
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From COST")));
  KvSetField(&dlg, CKvCostEditDlg::IDC_NAME, QStringLiteral("资料费"));
  const QStringList before = State();
  KvScriptedAnswers answers;
  KvPress(&dlg, KV_IDOK);
  EXPECT_EQ(answers.texts, QStringList{"费用项目<07>已被其他窗口或工作站修改或删除，请重新打开后再修改！"});
  EXPECT_NE(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(State(), before);
}

TEST_P(KvFeeCatalogueTest, DeleteSelectsTheNeighbourAndKeepsItemsInUse) {
  for (int i = 1; i <= 5; ++i)
    AddItem(QStringLiteral("0%1").arg(i), QStringLiteral("项目%1").arg(i));
  AddLine(QStringLiteral("010201001"), QStringLiteral("02"), 0, 1, 100);
  KvScriptedAnswers answers;
  CKvCostListDlg dlg(pdb(), QStringLiteral("04"));
  dlg.show();
  CKvCostList* list = dlg.List();
  const struct {
    const char* deleted;
    const char* selected;
    const char* message;
  } cases[] = {
      {"04", "03", ""},  // the fourth of five: the third
      {"05", "03", ""},  // the last: the new last
      {"02", "02", "该费用项目已被引用，不能删除！"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.deleted);
    answers.texts.clear();
    list->View()->clearSelection();
    ASSERT_GE(list->FindAndSelect(QString::fromUtf8(c.deleted)), 0);
    KvPress(&dlg, CKvCostListDlg::IDC_DELETE);
    EXPECT_EQ(list->GetItemText(list->GetFirstSelected(), 0), QString::fromUtf8(c.selected));
    EXPECT_EQ(answers.texts, *c.message ? QStringList{QString::fromUtf8(c.message)} : QStringList{});
  }
  EXPECT_EQ(Column(QStringLiteral("Select KNO From COST Order By KNO")), (QStringList{"01", "02", "03"}));
  EXPECT_EQ(Log(), (QStringList{"删除：04", "删除：05"}));
  // Each statement of a delete refused in turn (its BEGIN and COMMIT too):
  // the connection's error alone; never "已被引用".
  bool clean = false;
  for (int n = 1; n < 20 && !clean; ++n) {
    answers.texts.clear();
    list->View()->clearSelection();
    ASSERT_GE(list->FindAndSelect(QStringLiteral("03")), 0);
    pdb()->FailNthStatement(n);
    KvPress(&dlg, CKvCostListDlg::IDC_DELETE);
    clean = pdb()->GetStatementsSent() < n;
    pdb()->FailNthStatement(0);
    // Once the delete itself went through, only the list or the log after
    // it was refused.
    if (clean || !Column(QStringLiteral("Select KNO From COST")).contains(QStringLiteral("03")))
      break;
    ASSERT_EQ(answers.texts.size(), 1) << n;
    EXPECT_TRUE(answers.texts.first().contains(QStringLiteral("执行下列SQL语句时出错！"))) << n;
    EXPECT_EQ(Column(QStringLiteral("Select KNO From COST Order By KNO")), (QStringList{"01", "02", "03"})) << n;
  }
  EXPECT_EQ(Column(QStringLiteral("Select KNO From COST Order By KNO")), (QStringList{"01", "02"}));
  // Rows cannot be copied, and modify wants exactly one row.
  EXPECT_FALSE(KvCmdEnabled(list, KV_CMD_EDIT_COPY));
  list->SelectTexts({QStringLiteral("01"), QStringLiteral("02")});
  EXPECT_FALSE(KvCmdEnabled(list, KV_CMD_MODIFY));
  // The buttons are grey while their commands are: 打开 follows modify.
  const struct {
    bool right, selected;
    const char* buttons;  // 新增, 打开, 修改, 删除 enabled
  } states[] = {{true, true, "1111"}, {true, false, "1000"}, {false, true, "0000"}, {false, false, "0000"}};
  for (const auto& c : states) {
    if (!c.right) {
      ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From PWR Where PWR='1801'")));
      ASSERT_TRUE(m_app->GetDataFile().LoadRights());
    }
    CKvCostListDlg shown(pdb(), QStringLiteral("01"));
    shown.show();
    if (!c.selected)
      shown.List()->View()->clearSelection();
    QString buttons;
    for (int id : {1055, 1, 1056, 1057})
      buttons += KvDlgItem<QWidget>(&shown, id)->isEnabled() ? '1' : '0';
    EXPECT_EQ(buttons, QString::fromUtf8(c.buttons)) << c.right << c.selected;
    // Enter (on the selected row) and a double click (which selects its
    // row) open the change dialog only as 打开 does: without the right
    // nothing opens and nothing is stored.
    int opened = 0;
    KvFeeDialogScript edit([&](QDialog*) { ++opened; });
    const QStringList before = State();
    // The list's own commands, given without the right (as a stale button
    // would), open and store nothing either.
    if (!c.right) {
      shown.List()->OnNew();
      shown.List()->OnModify();
      shown.List()->OnDelete();
    }
    QAbstractItemView* view = shown.List()->View();
    QTest::keyClick(view, Qt::Key_Return);
    const QRect row = view->visualRect(view->model()->index(0, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(opened, c.right ? (c.selected ? 2 : 1) : 0) << c.right << c.selected;
    EXPECT_EQ(State(), before);
    if (!c.right && c.selected)
      KvShot(&shown, QStringLiteral("954_without_right"));
  }
  KvShot(&dlg, QStringLiteral("954"));
  CKvCostEditDlg edit(0, QStringLiteral("01"), pdb());
  edit.show();
  KvShot(&edit, QStringLiteral("955"));
}

KV_DB_KIND_TEST_SUITE(KvFeeCatalogueTest);
