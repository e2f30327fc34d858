// The list pages of the form properties sheet and their dialogs: columns
// (defaults of a new column, placing, refusals, totals, bound columns, the
// "/" a name cannot hold), column-head blocks (the full head, overlaps,
// corners, a one-row head, copy and paste) and head and tail fields
// (prompt width, refusals, places, fields the module defines).

#include "KvSheetTestSupport.h"
#include "core/KvMessage.h"
#include "core/KvWidth.h"
#include "forms/CKvColumnDlg.h"
#include "forms/CKvHeadBlockDlg.h"
#include "forms/CKvHeadFieldDlg.h"
#include "forms/CKvPublicPage2.h"
#include "forms/CKvPublicPage3.h"
#include "forms/CKvPublicPage4.h"
#include "forms/KvColumnDef.h"
#include "ui/CKvEdit.h"
#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"
#include "ui/KvUpDownEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

template <class W = QWidget>
W* item(QDialog* dialog, int id) {
  W* widget = KvDlgItem<W>(dialog, id);
  EXPECT_NE(widget, nullptr) << id;
  return widget;
}

void setPos(QDialog* dialog, int id, int value) { item<KvUpDownEdit>(dialog, id)->SetPos(value); }

void clickOk(QDialog* dialog) { item<QPushButton>(dialog, KV_IDOK)->click(); }

}  // namespace

class CKvPublicPagesTest : public KvSheetTest {
 protected:
  void SetUp() override {
    KvSheetTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    m_pSheet = std::make_unique<CKvPublicSheet>(m_pDoc.get(), QStringLiteral("文档属性"));
  }
  void TearDown() override {
    m_pSheet.reset();
    KvSheetTest::TearDown();
  }
  KvFormEntry& edited() { return m_pSheet->Edited(); }
  QString definition(int i) { return edited().formulas.at(i).sFormula; }

  std::unique_ptr<CKvPublicSheet> m_pSheet;
};

// --- Columns ---

TEST_P(CKvPublicPagesTest, ANewColumnTakesItsDefaultsAndTheRequestedPlace) {
  CKvPublicPageList* list = m_pSheet->Page2()->List();
  const QStringList before = {definition(0), definition(1), definition(2)};
  list->SelectRows({1});
  bool shown = false;
  KvDialogScript script([&](QDialog* dialog) {
    shown = true;
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("新增栏"));
    auto* kind = item<QComboBox>(dialog, CKvColumnDlg::IDC_KIND);
    EXPECT_EQ(kind->count(), 2);
    EXPECT_EQ(kind->currentText(), QStringLiteral("公式栏"));
    EXPECT_TRUE(item<QRadioButton>(dialog, CKvColumnDlg::IDC_NUMBER)->isChecked());
    EXPECT_TRUE(item<QRadioButton>(dialog, CKvColumnDlg::IDC_RIGHT)->isChecked());
    EXPECT_EQ(item<QComboBox>(dialog, CKvColumnDlg::IDC_SCALE)->currentText(), QStringLiteral("原数"));
    auto* position = item<KvUpDownEdit>(dialog, CKvColumnDlg::IDC_POSITION);
    EXPECT_EQ(position->Pos(), 2);
    EXPECT_EQ(position->Maximum(), 4);
    item<CKvEdit>(dialog, CKvColumnDlg::IDC_NAME)->setText(QStringLiteral(" 学费 "));
    position->SetPos(1);
    clickOk(dialog);
  });
  list->ExecuteCmd(KV_CMD_NEW);
  ASSERT_TRUE(shown);
  ASSERT_EQ(edited().formulas.size(), 4);
  const KvFormula& added = edited().formulas.at(0);
  EXPECT_EQ(added.nType, 100);
  EXPECT_EQ(added.nFact, 1010);
  EXPECT_EQ(added.nLess, 2);
  EXPECT_EQ(added.nMore, 2);
  EXPECT_EQ(added.sFormula, QStringLiteral("学费/NUMBER/RIGHT/0001/0/"));
  EXPECT_EQ((QStringList{definition(1), definition(2), definition(3)}), before);
  EXPECT_EQ(list->GetSelectedRows(), QList<int>{0});
  EXPECT_TRUE(list->GetCheck(0));
  EXPECT_EQ(list->GetItemText(3, 0), QStringLiteral("4"));
}

TEST_P(CKvPublicPagesTest, AMoveInsideAGroupKeepsTheGroupOverItsColumns) {
  const KvTopWord group{1, 1, 2, 1, QStringLiteral("收费项目")};
  edited().topWords = {group, {1, 2, 1, 2, QStringLiteral("学生")}, {2, 2, 2, 2, QStringLiteral("金额")}};
  m_pSheet->Page2()->List()->SelectRows({2});
  KvDialogScript script([](QDialog* dialog) { setPos(dialog, CKvColumnDlg::IDC_POSITION, 1); clickOk(dialog); });
  m_pSheet->Page2()->List()->ExecuteCmd(KV_CMD_MODIFY);  // 金额 before 学生
  EXPECT_EQ(edited().topWords.value(0), group);
  m_pSheet->Tabs()->setCurrentWidget(m_pSheet->Page3());  // showing 学生 moved under the group's right half
  EXPECT_EQ(m_pSheet->Page3()->List()->GetItemText(1, 1), QStringLiteral("(2,2)"));
}

TEST_P(CKvPublicPagesTest, TheColumnDialogRefusesBadFieldsInOrderAndStaysOpen) {
  struct Case {
    std::function<void(QDialog*)> spoil;
    QString message;
  };
  const QList<Case> cases = {
      {[](QDialog* d) { item<CKvEdit>(d, CKvColumnDlg::IDC_NAME)->setText(QStringLiteral("  ")); },
       QStringLiteral("栏名不能为空，重输！")},
      {[](QDialog* d) { setPos(d, CKvColumnDlg::IDC_POSITION, 4); }, QStringLiteral("栏顺序号超界！")},
      {[](QDialog* d) { setPos(d, CKvColumnDlg::IDC_DISPLAY_WIDTH, 61); }, QStringLiteral("显示宽度超界！")},
      {[](QDialog* d) { setPos(d, CKvColumnDlg::IDC_EDIT_WIDTH, 0); }, QStringLiteral("编辑宽度超界！")},
      {[](QDialog* d) { setPos(d, CKvColumnDlg::IDC_LESS, 5); }, QStringLiteral("至少保留小数位数不合适！")},
      {[](QDialog* d) { setPos(d, CKvColumnDlg::IDC_MORE, -1); }, QStringLiteral("最多保留小数位数不合适！")},
      {[](QDialog* d) {
         setPos(d, CKvColumnDlg::IDC_LESS, 3);
         setPos(d, CKvColumnDlg::IDC_MORE, 1);
       },
       QStringLiteral("最多保留小数位数不合适！")},
      {[](QDialog* d) {
         item<CKvEdit>(d, CKvColumnDlg::IDC_NAME)->setText(QString(30, u'名'));
         item<CKvEdit>(d, CKvColumnDlg::IDC_FORMULA)->setText(QString(180, u'1'));
       },
       QStringLiteral("公式长度超界！")},
  };
  const QList<KvFormula> before = edited().formulas;
  CKvPublicPageList* list = m_pSheet->Page2()->List();
  list->SelectRows({2});
  for (const Case& c : cases) {
    KvMessageRecorder recorder;
    bool stayed = false;
    KvDialogScript script([&](QDialog* dialog) {
      c.spoil(dialog);
      clickOk(dialog);
      stayed = dialog->isVisible();
      dialog->reject();
    });
    list->ExecuteCmd(KV_CMD_MODIFY);
    EXPECT_EQ(recorder.texts(), QStringList{c.message});
    EXPECT_EQ(recorder.messages().value(0).icon(), 0u);
    EXPECT_TRUE(stayed) << c.message.toStdString();
  }
  EXPECT_EQ(edited().formulas, before);
}

TEST_P(CKvPublicPagesTest, TotalsFollowTheColumnsKindAndType) {
  CKvPublicPageList* list = m_pSheet->Page2()->List();
  list->SelectRows({2});
  const auto modify = [&](const std::function<void(QDialog*)>& fn) {
    KvDialogScript script([&](QDialog* dialog) {
      fn(dialog);
      clickOk(dialog);
    });
    list->ExecuteCmd(KV_CMD_MODIFY);
  };
  KvColumnDef def;
  // A formula column cannot be summed across: a vertical sum is stored.
  modify([](QDialog* d) { item<QComboBox>(d, CKvColumnDlg::IDC_TOTAL)->setCurrentIndex(2); });
  KvParseColumnDef(definition(2), def);
  EXPECT_EQ(def.d3, 1);
  // Text stores no total; choosing 数值 again starts from none.
  modify([](QDialog* d) { item<QRadioButton>(d, CKvColumnDlg::IDC_TEXT)->click(); });
  KvParseColumnDef(definition(2), def);
  EXPECT_EQ(def.sType, QStringLiteral("MDBSTRING"));
  EXPECT_EQ(def.d3, 0);
  modify([](QDialog* d) {
    item<QComboBox>(d, CKvColumnDlg::IDC_KIND)->setCurrentIndex(1);
    item<QComboBox>(d, CKvColumnDlg::IDC_TOTAL)->setCurrentIndex(2);
    item<QRadioButton>(d, CKvColumnDlg::IDC_NUMBER)->click();
    EXPECT_EQ(item<QComboBox>(d, CKvColumnDlg::IDC_TOTAL)->currentIndex(), 0);
    item<QComboBox>(d, CKvColumnDlg::IDC_TOTAL)->setCurrentIndex(2);
    item<QComboBox>(d, CKvColumnDlg::IDC_SCALE)->setCurrentIndex(10);
  });
  KvParseColumnDef(definition(2), def);
  EXPECT_EQ(def.d4, 2);
  EXPECT_EQ(def.d3, 2);
  EXPECT_EQ(list->GetItemText(2, 10), QStringLiteral("万倍"));
  EXPECT_EQ(list->GetItemText(2, 11), QStringLiteral("√→"));
  EXPECT_EQ(list->GetItemText(2, 3), QStringLiteral("运算栏"));
}

TEST_P(CKvPublicPagesTest, ColumnNamesCannotHoldTheDefinitionSeparator) {
  CKvPublicPageList* list = m_pSheet->Page2()->List();
  list->SelectRows({2});
  KvDialogScript script([&](QDialog* dialog) {
    auto* name = item<CKvEdit>(dialog, CKvColumnDlg::IDC_NAME);
    name->clear();
    KvTypeText(name, QStringLiteral("单价/元"));
    EXPECT_EQ(name->text(), QStringLiteral("单价元"));
    clickOk(dialog);
  });
  list->ExecuteCmd(KV_CMD_MODIFY);
  KvColumnDef def;
  EXPECT_TRUE(KvParseColumnDef(definition(2), def));
  EXPECT_EQ(def.sTitle, QStringLiteral("单价元"));
  EXPECT_EQ(def.sFormula, QStringLiteral("01"));
}

TEST_P(CKvPublicPagesTest, BoundColumnsStayAsTheModuleWantsThem) {
  CKvPublicPageList* list = m_pSheet->Page2()->List();
  // The student column is bound and forced shown: no delete, no unticking.
  list->SelectRows({0});
  EXPECT_FALSE(KvCmdEnabled(list, KV_CMD_DELETE));
  EXPECT_FALSE(KvCmdEnabled(list, KV_CMD_EDIT_COPY));
  list->SetCheck(0, false);
  EXPECT_TRUE(list->GetCheck(0));
  EXPECT_EQ(edited().formulas.at(0).nType, 101);
  // A free column is shown or hidden by its check.
  list->SetCheck(2, false);
  EXPECT_EQ(edited().formulas.at(2).nType, 0);

  // A bound column is a fixed one; its widths stay within the module's.
  KvMessageRecorder recorder;
  KvDialogScript script([&](QDialog* dialog) {
    auto* kind = item<QComboBox>(dialog, CKvColumnDlg::IDC_KIND);
    EXPECT_EQ(kind->count(), 1);
    EXPECT_FALSE(kind->isEnabled());
    EXPECT_FALSE(item<QWidget>(dialog, CKvColumnDlg::IDC_FORMULA)->isEnabled());
    setPos(dialog, CKvColumnDlg::IDC_DISPLAY_WIDTH, 13);
    clickOk(dialog);
    setPos(dialog, CKvColumnDlg::IDC_DISPLAY_WIDTH, 12);
    setPos(dialog, CKvColumnDlg::IDC_EDIT_WIDTH, 8);
    clickOk(dialog);
  });
  list->ExecuteCmd(KV_CMD_MODIFY);
  EXPECT_EQ(recorder.texts(), QStringList{"显示宽度超界！"});
  EXPECT_EQ(edited().formulas.at(0).nFact, 1208);
  EXPECT_EQ(edited().formulas.at(0).nType, 101);

  // A free column goes; the defaults bring it back.
  list->SelectRows({2});
  list->ExecuteCmd(KV_CMD_DELETE);
  EXPECT_EQ(edited().formulas.size(), 2);
  EXPECT_EQ(list->GetSelectedRows(), QList<int>{1});
  list->ExecuteCmd(KV_CMD_RESTORE_DEFAULTS);
  EXPECT_EQ(edited().formulas.size(), 3);
  EXPECT_EQ(list->GetItemCount(), 3);
}

// --- Column-head blocks ---

TEST_P(CKvPublicPagesTest, NewBlocksFillTheFirstFreeCellAndNeverOverlap) {
  CKvPublicPageList* list = m_pSheet->Page3()->List();
  KvMessageRecorder recorder;
  bool shown = false;
  {
    KvDialogScript script([&](QDialog*) { shown = true; });
    list->ExecuteCmd(KV_CMD_NEW);
  }
  EXPECT_FALSE(shown);
  EXPECT_EQ(recorder.texts(), QStringList{"栏头单元块已被定义完毕！"});
  EXPECT_EQ(edited().topWords.size(), 2);

  // The amount block gives way to two blocks, one per head row.
  list->SelectRows({1});
  list->ExecuteCmd(KV_CMD_DELETE);
  ASSERT_EQ(edited().topWords.size(), 1);
  recorder.clear();
  {
    KvDialogScript script([&](QDialog* dialog) {
      EXPECT_EQ(item<KvUpDownEdit>(dialog, CKvHeadBlockDlg::IDC_COL1)->Pos(), 2);
      EXPECT_EQ(item<KvUpDownEdit>(dialog, CKvHeadBlockDlg::IDC_ROW1)->Pos(), 1);
      clickOk(dialog);  // no caption yet
      item<CKvEdit>(dialog, CKvHeadBlockDlg::IDC_WORDS)->setText(QStringLiteral("金额"));
      setPos(dialog, CKvHeadBlockDlg::IDC_COL1, 3);
      clickOk(dialog);
      setPos(dialog, CKvHeadBlockDlg::IDC_COL1, 2);
      setPos(dialog, CKvHeadBlockDlg::IDC_COL2, 1);
      clickOk(dialog);
      setPos(dialog, CKvHeadBlockDlg::IDC_COL1, 1);
      setPos(dialog, CKvHeadBlockDlg::IDC_COL2, 2);
      clickOk(dialog);
      setPos(dialog, CKvHeadBlockDlg::IDC_COL1, 2);
      clickOk(dialog);
    });
    list->ExecuteCmd(KV_CMD_NEW);
  }
  EXPECT_EQ(recorder.texts(), (QStringList{"栏名不能为空！", "左上角栏坐标超界！", "单元块定义不合适！",
                                           "当前定义的单元块与已定义的重叠！"}));
  ASSERT_EQ(edited().topWords.size(), 2);
  EXPECT_EQ(edited().topWords.at(1), (KvTopWord{2, 1, 2, 1, QStringLiteral("金额")}));
  EXPECT_EQ(list->GetSelectedRows(), QList<int>{1});
  EXPECT_EQ(list->GetItemText(1, 2), QStringLiteral("(2,1)"));

  // A block may shrink onto cells it covered alone.
  list->SelectRows({0});
  {
    KvDialogScript script([&](QDialog* dialog) {
      setPos(dialog, CKvHeadBlockDlg::IDC_ROW2, 1);
      clickOk(dialog);
    });
    list->ExecuteCmd(KV_CMD_MODIFY);
  }
  EXPECT_EQ(edited().topWords.at(0), (KvTopWord{1, 1, 1, 1, QStringLiteral("学生")}));
}

TEST_P(CKvPublicPagesTest, AOneRowHeadLocksTheRowsAndPastedBlocksPassUnchecked) {
  edited().nTopNum = 1;
  CKvPublicPageList* list = m_pSheet->Page3()->List();
  list->SelectRows({0});
  KvDialogScript script([&](QDialog* dialog) {
    EXPECT_FALSE(item<QWidget>(dialog, CKvHeadBlockDlg::IDC_ROW1)->isEnabled());
    EXPECT_FALSE(item<QWidget>(dialog, CKvHeadBlockDlg::IDC_ROW2)->isEnabled());
    dialog->reject();
  });
  list->ExecuteCmd(KV_CMD_MODIFY);

  list->SelectRows({0, 1});
  ASSERT_TRUE(KvCmdEnabled(list, KV_CMD_EDIT_COPY));
  EXPECT_FALSE(KvCmdEnabled(list, KV_CMD_EDIT_CUT));
  list->ExecuteCmd(KV_CMD_EDIT_COPY);
  ASSERT_TRUE(KvCmdEnabled(list, KV_CMD_EDIT_PASTE));
  list->ExecuteCmd(KV_CMD_EDIT_PASTE);
  ASSERT_EQ(edited().topWords.size(), 4);
  EXPECT_EQ(edited().topWords.mid(2), edited().topWords.mid(0, 2));
  EXPECT_EQ(list->GetSelectedRows(), (QList<int>{2, 3}));
}

// --- Head and tail fields ---

TEST_P(CKvPublicPagesTest, FieldPromptsAreAtMostTwentyWide) {
  KvDialogScript script([&](QDialog* dialog) {
    auto* note = item<CKvEdit>(dialog, CKvHeadFieldDlg::IDC_NOTE);
    KvTypeText(note, QStringLiteral("一二三四五六七八九十甲"));
    EXPECT_EQ(KvTextWidth(note->text()), 20);
    EXPECT_FALSE(item<QWidget>(dialog, CKvHeadFieldDlg::IDC_LENGTH)->isEnabled());
    auto* words = item<QComboBox>(dialog, CKvHeadFieldDlg::IDC_WORDS);
    EXPECT_EQ(words->itemText(0), QStringLiteral("单位名称 #co_name"));
    words->setEditText(QStringLiteral("#xx_lb"));
    item<QRadioButton>(dialog, CKvHeadFieldDlg::IDC_TAIL)->setChecked(true);
    setPos(dialog, CKvHeadFieldDlg::IDC_ROW, 2);
    // A field cannot start beyond 99%: 100 would be stored as 0 with a
    // longer edit box.
    KvMessageRecorder recorder;
    setPos(dialog, CKvHeadFieldDlg::IDC_POSITION, 100);
    clickOk(dialog);
    EXPECT_EQ(recorder.texts(), QStringList{"栏位置超界！"});
    setPos(dialog, CKvHeadFieldDlg::IDC_POSITION, 99);
    clickOk(dialog);
  });
  m_pSheet->Page4()->List()->ExecuteCmd(KV_CMD_NEW);
  ASSERT_EQ(edited().headNotes.size(), 4);
  EXPECT_EQ(edited().headNotes.last(),
            (KvHeadNote{1, 1, 99, 1, 0, QStringLiteral("一二三四五六七八九十"), QStringLiteral("#xx_lb")}));
  EXPECT_EQ(m_pSheet->Page4()->List()->GetItemText(3, 4), QStringLiteral("99％"));
}

TEST_P(CKvPublicPagesTest, TheFieldDialogRefusesBadFieldsAndTakenPlaces) {
  KvMessageRecorder recorder;
  KvDialogScript script([&](QDialog* dialog) {
    auto* note = item<CKvEdit>(dialog, CKvHeadFieldDlg::IDC_NOTE);
    auto* words = item<QComboBox>(dialog, CKvHeadFieldDlg::IDC_WORDS);
    setPos(dialog, CKvHeadFieldDlg::IDC_ROW, 16);
    clickOk(dialog);
    setPos(dialog, CKvHeadFieldDlg::IDC_ROW, 1);
    setPos(dialog, CKvHeadFieldDlg::IDC_POSITION, 101);
    clickOk(dialog);
    setPos(dialog, CKvHeadFieldDlg::IDC_POSITION, 6);
    clickOk(dialog);
    note->setText(QStringLiteral("单位"));
    clickOk(dialog);
    words->setEditText(QStringLiteral("#co_name"));
    clickOk(dialog);  // the head's first row at 6% is taken
    item<QRadioButton>(dialog, CKvHeadFieldDlg::IDC_TAIL)->setChecked(true);
    clickOk(dialog);  // the tail's is not, but the prompt is
    note->setText(QStringLiteral("学校"));
    clickOk(dialog);
    EXPECT_FALSE(dialog->isVisible());
  });
  edited().headNotes[0].nColPecent = 6;
  m_pSheet->Page4()->List()->ExecuteCmd(KV_CMD_NEW);
  EXPECT_EQ(recorder.texts(),
            (QStringList{"显示行次超界！", "栏位置超界！", "字域提示不能为空，重输！",
                         "显示内容不能为空，重输！", "该字域的位置已存在!", "该字域提示已存在!"}));
  for (const KvMessage& message : recorder.messages())
    EXPECT_EQ(message.icon(), 0u);
  ASSERT_EQ(edited().headNotes.size(), 4);
  EXPECT_EQ(edited().headNotes.last().bIsTail, 1);
}

TEST_P(CKvPublicPagesTest, AModulesFieldKeepsItsTextsAndItsEditBoxLimit) {
  CKvPublicPageList* list = m_pSheet->Page4()->List();
  list->SelectRows({1});  // 凭证号, defined by the module
  EXPECT_FALSE(KvCmdEnabled(list, KV_CMD_DELETE));
  KvMessageRecorder recorder;
  KvDialogScript script([&](QDialog* dialog) {
    EXPECT_FALSE(item<QWidget>(dialog, CKvHeadFieldDlg::IDC_NOTE)->isEnabled());
    EXPECT_FALSE(item<QWidget>(dialog, CKvHeadFieldDlg::IDC_WORDS)->isEnabled());
    auto* length = item<KvUpDownEdit>(dialog, CKvHeadFieldDlg::IDC_LENGTH);
    EXPECT_TRUE(length->isEnabled());
    EXPECT_EQ(length->Pos(), 5);
    setPos(dialog, CKvHeadFieldDlg::IDC_LENGTH, 6);
    clickOk(dialog);
    setPos(dialog, CKvHeadFieldDlg::IDC_LENGTH, 3);
    item<QRadioButton>(dialog, CKvHeadFieldDlg::IDC_NO_OVERLAY)->setChecked(true);
    clickOk(dialog);
  });
  list->ExecuteCmd(KV_CMD_MODIFY);
  EXPECT_EQ(recorder.texts(), QStringList{"编辑框长度不合适！"});
  EXPECT_EQ(edited().headNotes.at(1),
            (KvHeadNote{0, 0, 390, 0, 1, QStringLiteral("凭证号"), QStringLiteral("用户录入")}));
  EXPECT_EQ(list->GetItemText(1, 6), QStringLiteral("不套打"));

  // An operator's field can go.
  list->SelectRows({0});
  ASSERT_TRUE(KvCmdEnabled(list, KV_CMD_DELETE));
  list->ExecuteCmd(KV_CMD_DELETE);
  EXPECT_EQ(edited().headNotes.size(), 2);
  EXPECT_EQ(list->GetItemText(0, 0), QStringLiteral("凭证号"));
}

INSTANTIATE_TEST_SUITE_P(Kinds, CKvPublicPagesTest, ::testing::Values(0), KvDbKindName);
