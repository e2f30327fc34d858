// The directory of the code tree: where it opens and what it picks, the
// classes-only directory, the structure parameters with their refusals and
// the code-length rewrite, moving students by cut and paste, and going back
// a level when a class is emptied.

#include "KvStdTreeTestSupport.h"

#include "core/CKvCsRec.h"
#include "school/CKvStdDirDlg.h"
#include "school/CXxDataType.h"
#include "school/KvStdPicker.h"
#include "ui/KvListTestSupport.h"
#include "ui/CKvCodeBrowseList.h"
#include "ui/CKvCommandRouter.h"
#include "ui/KvCommands.h"

#include <QCheckBox>
#include <QLabel>

class CKvStdDirDlgTest : public KvStdTreeTest {
 protected:
  static void open(CKvStdDirDlg& dialog) {
    ASSERT_TRUE(KvShowActive(&dialog));
    dialog.List()->setFocus();
  }
  static QStringList shown(const CKvStdDirDlg& dialog) {
    QStringList codes;
    for (int row = 0; row < dialog.List()->GetItemCount(); ++row)
      codes.append(dialog.List()->GetItemText(row, 0));
    return codes;
  }
  static QString selected(const CKvStdDirDlg& dialog) {
    const int row = dialog.List()->GetFirstSelected();
    return row < 0 ? QString() : dialog.List()->GetItemText(row, 0);
  }
  static bool run(int id) { return CKvCommandRouter::Instance()->Execute(id); }
  static bool enabled(int id) { return CKvCommandRouter::Instance()->IsEnabled(id); }
  QStringList params() {
    return Rows(QStringLiteral("SysCsTab"), QStringLiteral("CsN,CsVal"), QStringLiteral("Where Cs=4180"));
  }
};

TEST_P(CKvStdDirDlgTest, OpensWhereItsCallerSaysAndPicksByMode) {
  const struct {
    int mode;
    const char* start;
    int deepest;
    const char* parent;    // listed on opening
    const char* selected;  // on opening
    const char* picked;    // after OK; empty: nothing picked
    bool down;             // "进子项" enabled on opening
  } cases[] = {
      {1, "010201", -1, "010201", "010201001", "010201001", false},  // a class with students opens on them
      {1, "010202", -1, "0102", "010202", "010202", true},           // a class without is a leaf
      {1, "010201002", -1, "010201", "010201002", "010201002", false},
      {2, "0102", -1, "01", "0102", "0102", true},
      {0, "0102", -1, "01", "0102", "", true},      // OK goes down
      {0, "010201", 2, "0102", "010201", "", false},  // classes only: nothing opens
      {1, "0199", -1, "", "01", "", true},          // unknown start: the root
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.start);
    CKvStdDirDlg dialog(pdb(), c.mode, QString::fromLatin1(c.start), c.deepest);
    open(dialog);
    EXPECT_EQ(dialog.ParentCode(), QString::fromLatin1(c.parent));
    EXPECT_EQ(selected(dialog), QString::fromLatin1(c.selected));
    EXPECT_EQ(KvDlgItem<QAbstractButton>(&dialog, CKvStdDirDlg::IDC_DOWN)->isEnabled(), c.down);
    const QString parent = dialog.ParentCode();
    Click(&dialog, KV_IDOK);
    EXPECT_EQ(dialog.isVisible(), !*c.picked);
    if (*c.picked) {
      EXPECT_EQ(dialog.ChosenCode(), QString::fromLatin1(c.picked));
    } else if (c.deepest == 2) {
      EXPECT_EQ(dialog.ParentCode(), parent);
    }
  }

  // The classes-only directory of the Settings menu lists classes without
  // opening them.
  CKvStdDirDlg classes(pdb(), 0, QString(), CXxDataType::LevelCount() - 2);
  open(classes);
  ASSERT_TRUE(run(KV_CMD_FORWARD));
  ASSERT_TRUE(run(KV_CMD_FORWARD));
  EXPECT_EQ(shown(classes), (QStringList{"010201", "010202"}));
  EXPECT_FALSE(enabled(KV_CMD_FORWARD));

  // The picker of the other windows: OK gives the code, Cancel keeps it.
  for (const bool ok : {true, false}) {
    KvScopedDialogExec exec([ok](QDialog* dialog) {
      dialog->show();
      if (ok)
        Click(dialog, KV_IDOK);
      else
        dialog->reject();
      return dialog->result();
    });
    QString code = QStringLiteral("010201");
    EXPECT_EQ(KvPickStdCode(nullptr, pdb(), 1, code), ok);
    EXPECT_EQ(code, ok ? QStringLiteral("010201001") : QStringLiteral("010201"));
  }
}

TEST_P(CKvStdDirDlgTest, SettingsOpenTheDirectoryWithOrWithoutStudents) {
  EXPECT_EQ(KvXxStudentCodeLength(), 9);
  QList<bool> classesOpen;
  KvScopedDialogExec exec([&classesOpen](QDialog* dialog) {
    auto* directory = static_cast<CKvStdDirDlg*>(dialog);
    EXPECT_EQ(directory->Mode(), 0);
    EXPECT_EQ(directory->ParentCode(), QString());
    classesOpen.append(directory->CanDrillDown(QStringLiteral("010201")));
    EXPECT_TRUE(directory->CanDrillDown(QStringLiteral("0102")));
    return int(QDialog::Rejected);
  });
  for (int id : {KV_CMD_SET_SCHOOL_TREE, KV_CMD_SET_CLASS_TREE}) {
    ASSERT_TRUE(m_app->IsCmdEnabled(id));
    m_app->ExecuteCmd(id);
  }
  EXPECT_EQ(classesOpen, (QList<bool>{true, false}));
}

TEST_P(CKvStdDirDlgTest, ListsEachLevelWithItsColumnsAndParent) {
  CKvStdDirDlg dialog(pdb(), 0, QString(), -1);
  open(dialog);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("管理机构目录"));
  EXPECT_EQ(KvDlgItem<QLabel>(&dialog, CKvStdDirDlg::IDC_PARENT)->text(), QStringLiteral(" "));
  EXPECT_EQ(KvDlgItem<QAbstractButton>(&dialog, CKvStdDirDlg::IDC_CLOSE)->text(), QStringLiteral("&X.关闭"));
  EXPECT_EQ(dialog.List()->ColumnCount(), 5);
  // Rows are never copied; only students are cut and pasted.
  const auto clipboardEntries = [&dialog] {
    const KvShownMenu menu = KvRightClick(dialog.List()->View()->viewport(), QPoint(5, 5));
    QList<int> entries;
    for (int id : {KV_CMD_EDIT_COPY, KV_CMD_EDIT_CUT, KV_CMD_EDIT_PASTE})
      if (menu.order.contains(id))
        entries.append(id);
    return entries;
  };
  EXPECT_EQ(clipboardEntries(), QList<int>{});
  ASSERT_TRUE(run(KV_CMD_FORWARD));
  ASSERT_TRUE(run(KV_CMD_FORWARD));
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("班次目录"));
  ASSERT_TRUE(run(KV_CMD_FORWARD));
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("学生目录"));
  EXPECT_EQ(KvDlgItem<QLabel>(&dialog, CKvStdDirDlg::IDC_PARENT)->text(), QStringLiteral("010201 一班"));
  EXPECT_EQ(KvDlgItem<QAbstractButton>(&dialog, CKvStdDirDlg::IDC_CLOSE)->text(), QStringLiteral("&X.后退"));
  QStringList titles;
  for (int i = 0; i < dialog.List()->ColumnCount(); ++i)
    titles.append(dialog.List()->ColumnTitle(i));
  EXPECT_EQ(titles, (QStringList{"代码", "姓名", "电话", "备注"}));
  EXPECT_EQ(clipboardEntries(), (QList<int>{KV_CMD_EDIT_CUT, KV_CMD_EDIT_PASTE}));
  open(dialog);
  // Lengths the other levels leave room for: 15 - (9 - 3).
  EXPECT_EQ(KvDlgItem<QComboBox>(&dialog, CKvStdDirDlg::IDC_LENGTH)->count(), 9);
  Click(&dialog, CKvStdDirDlg::IDC_CLOSE);
  EXPECT_EQ(dialog.ParentCode(), QStringLiteral("0102"));
  EXPECT_EQ(selected(dialog), QStringLiteral("010201"));
}

TEST_P(CKvStdDirDlgTest, ParameterControlsAndButtonsFollowTheRights) {
  const struct {
    QStringList rights;
    int mode;
    bool shown;
    const char* buttons;  // 新增, 修改, 删除 enabled with the first row selected, then with none
  } cases[] = {{{"0080"}, 0, true, "000000"},
               {{"0081", "0082", "0083"}, 0, false, "111100"},
               {{"0080"}, 1, false, "000000"},
               {{"0080"}, 2, false, "000000"}};
  for (const auto& c : cases) {
    Grant(c.rights);
    CKvStdDirDlg dialog(pdb(), c.mode, QString(), -1);
    open(dialog);
    for (int id : {CKvStdDirDlg::IDC_LEVELS, CKvStdDirDlg::IDC_MULTI_CLASS, CKvStdDirDlg::IDC_LENGTH})
      EXPECT_EQ(KvDlgItem<QWidget>(&dialog, id)->isVisible(), c.shown) << c.mode << " " << id;
    QString buttons;
    for (int pass = 0; pass < 2; ++pass, dialog.List()->View()->clearSelection())
      for (int id : {CKvStdDirDlg::IDC_NEW, CKvStdDirDlg::IDC_MODIFY, CKvStdDirDlg::IDC_DELETE})
        buttons += KvDlgItem<QWidget>(&dialog, id)->isEnabled() ? '1' : '0';
    EXPECT_EQ(buttons, QString::fromUtf8(c.buttons)) << c.mode;
  }
  // With rows below the units, only the code length may change.
  Grant({"0080"});
  CKvStdDirDlg dialog(pdb(), 0, QString(), -1);
  open(dialog);
  EXPECT_FALSE(KvDlgItem<QWidget>(&dialog, CKvStdDirDlg::IDC_LEVELS)->isEnabled());
  EXPECT_FALSE(KvDlgItem<QWidget>(&dialog, CKvStdDirDlg::IDC_MULTI_CLASS)->isEnabled());
  EXPECT_TRUE(KvDlgItem<QWidget>(&dialog, CKvStdDirDlg::IDC_LENGTH)->isEnabled());
}

TEST_P(CKvStdDirDlgTest, StructureChangesAreRefusedWhileRowsDependOnThem) {
  CKvStdDirDlg dialog(pdb(), 0, QString(), -1);
  open(dialog);
  KvScriptedAnswers answers;
  // Both controls are greyed; their handlers refuse all the same.
  emit KvDlgItem<QCheckBox>(&dialog, CKvStdDirDlg::IDC_MULTI_CLASS)->clicked(false);
  Choose(&dialog, CKvStdDirDlg::IDC_LEVELS, 1);
  EXPECT_EQ(answers.Stops(), (QStringList{"已有班级，不能修改！", "已有年级，不能修改！"}));
  EXPECT_TRUE(KvDlgItem<QCheckBox>(&dialog, CKvStdDirDlg::IDC_MULTI_CLASS)->isChecked());
  EXPECT_EQ(KvDlgItem<QComboBox>(&dialog, CKvStdDirDlg::IDC_LEVELS)->currentIndex(), 0);

  // Two levels of units and nothing below: one level would cut them off.
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From STD")));
  CXxDataType::MgmtLevelsRef() = 2;
  ASSERT_TRUE(CXxDataType::Get()->SaveParams(pdb()));
  const QStringList twoLevels = params();
  AddNode(QStringLiteral("01"), QStringLiteral("本校"));
  AddNode(QStringLiteral("0101"), QStringLiteral("分校"));
  CKvStdDirDlg units(pdb(), 0, QString(), -1);
  open(units);
  answers.texts.clear();
  answers.styles.clear();
  Choose(&units, CKvStdDirDlg::IDC_LEVELS, 0);
  EXPECT_EQ(answers.Stops(), QStringList{"此级数内已设机构，不能设置！"});
  EXPECT_EQ(params(), twoLevels);
  // Another station stores a grade, a class or a unit while the question
  // is read: the save checks again under its lock and refuses.
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From STD Where KNO='0101'")));
  CKvDb other(kind());
  ASSERT_TRUE(testDb().OpenAnother(other));
  const struct {
    int levels;  // chosen; 0: the multi-class box is cleared
    int addedLevel;
    const char* refusal;
  } raced[] = {{3, 2, "已有年级，不能修改！"}, {0, 3, "已有班级，不能修改！"}, {1, 1, "此级数内已设机构，不能设置！"}};
  for (const auto& c : raced) {
    KvScriptedAnswers racing;
    racing.onQuestion = [&] {
      CStd added(&other, QStringLiteral("01").leftJustified(CXxDataType::CodeLenOfLevel(c.addedLevel), u'1'));
      added.NA = QStringLiteral("另一站");
      EXPECT_EQ(added.InsertRow(), 1);
    };
    if (c.levels > 0)
      Choose(&units, CKvStdDirDlg::IDC_LEVELS, c.levels - 1);
    else
      KvDlgItem<QCheckBox>(&units, CKvStdDirDlg::IDC_MULTI_CLASS)->click();
    EXPECT_EQ(racing.texts, (QStringList{"真的要修改此参数吗?", c.refusal}));
    EXPECT_EQ(params(), twoLevels);
    ASSERT_TRUE(other.Execute(QStringLiteral("Delete From STD Where KNO<>'01'")));
  }
  // Raising it is asked and stored.
  Choose(&units, CKvStdDirDlg::IDC_LEVELS, 2);
  EXPECT_EQ(answers.texts.last(), QStringLiteral("真的要修改此参数吗?"));
  EXPECT_EQ(CXxDataType::MgmtLevelsRef(), 3);
  EXPECT_NE(params(), twoLevels);
}

TEST_P(CKvStdDirDlgTest, CodeLengthRewritesEveryCodeOrNothing) {
  AddLine(QStringLiteral("010201001"), QStringLiteral("01"), 0, 1, 300);
  CKvStdDirDlg dialog(pdb(), 0, QStringLiteral("010201001"), -1);
  open(dialog);
  ASSERT_EQ(dialog.LevelShown(), 3);
  KvScriptedAnswers answers({KV_IDNO});
  Choose(&dialog, CKvStdDirDlg::IDC_LENGTH, 3);  // asked, not answered Yes
  EXPECT_EQ(CXxDataType::CodeLenRef(3), 3);
  EXPECT_EQ(KvDlgItem<QComboBox>(&dialog, CKvStdDirDlg::IDC_LENGTH)->currentIndex(), 2);

  // A refused statement leaves codes and parameter as they were, until the
  // rewrite runs whole (only the list's reads follow it).
  const QStringList before = State();
  int n = 1;
  for (; n < 200 && CXxDataType::CodeLenRef(3) == 3; ++n) {
    pdb()->FailNthStatement(n);
    Choose(&dialog, CKvStdDirDlg::IDC_LENGTH, 3);
    const int sent = pdb()->GetStatementsSent();
    pdb()->FailNthStatement(0);
    if (CXxDataType::CodeLenRef(3) == 4)
      break;
    ASSERT_GE(sent, n) << "the clean run failed";
    ASSERT_EQ(State(), before) << "statement " << n;
    EXPECT_EQ(KvDlgItem<QComboBox>(&dialog, CKvStdDirDlg::IDC_LENGTH)->currentIndex(), 2);
  }
  EXPECT_GT(n, 8);
  EXPECT_EQ(shown(dialog), (QStringList{"0102010001", "0102010002"}));
  EXPECT_EQ(Column(QStringLiteral("Select STD From PC")), QStringList{"0102010001"});
  EXPECT_EQ(Column(QStringLiteral("Select CsVal From SysCsTab Where Cs=4180 And CsN=13")), QStringList{"4"});

  // Another station lengthens the class level while the question is read:
  // the rewrite compares the stored lengths again, and nothing is written.
  CKvDb other(kind());
  ASSERT_TRUE(testDb().OpenAnother(other));
  KvScriptedAnswers raced;
  raced.onQuestion = [&] {
    EXPECT_TRUE(other.Execute(QStringLiteral("Update SysCsTab Set CsVal='3' Where Cs=4180 And CsN=12")));
  };
  Choose(&dialog, CKvStdDirDlg::IDC_LENGTH, 4);
  EXPECT_EQ(raced.Stops(), QStringList{"系统参数发生了变化，软件将被迫关闭！"});
  EXPECT_EQ(other.GetLong(QStringLiteral("Select Count(*) From PC Where STD='0102010001'")), 1);
}

TEST_P(CKvStdDirDlgTest, StudentsMoveBetweenClassesByCutAndPaste) {
  CKvStdDirDlg dialog(pdb(), 0, QStringLiteral("010201001"), -1);
  open(dialog);
  // Units, grades and classes are not cut; students are.
  Click(&dialog, CKvStdDirDlg::IDC_CLOSE);
  EXPECT_FALSE(enabled(KV_CMD_EDIT_CUT));
  ASSERT_TRUE(run(KV_CMD_FORWARD));
  ASSERT_TRUE(run(KV_CMD_EDIT_SELECT_ALL));
  ASSERT_TRUE(run(KV_CMD_EDIT_CUT));
  KvScriptedAnswers answers;
  ASSERT_TRUE(run(KV_CMD_EDIT_PASTE));  // into their own class
  EXPECT_EQ(answers.texts, (QStringList{"不能剪切：010201001", "不能剪切：010201002"}));

  open(dialog);
  ASSERT_TRUE(run(KV_CMD_EDIT_SELECT_ALL));
  ASSERT_TRUE(run(KV_CMD_EDIT_CUT));
  ASSERT_TRUE(run(KV_CMD_BACK));
  dialog.List()->SelectOnlyCode(QStringLiteral("010202"));
  ASSERT_TRUE(run(KV_CMD_FORWARD));
  ASSERT_TRUE(run(KV_CMD_EDIT_PASTE));
  EXPECT_EQ(shown(dialog), (QStringList{"010202001", "010202002"}));
  EXPECT_EQ(Codes(), (QStringList{"01", "0102", "010201", "010202", "010202001", "010202002"}));
  EXPECT_EQ(Log(), (QStringList{"移动：张三(010201001-->010202001)", "移动：李四(010201002-->010202002)"}));
}

TEST_P(CKvStdDirDlgTest, DeletingTheLastStudentGoesBackToTheClasses) {
  AddNode(QStringLiteral("010202001"), QStringLiteral("王五"));
  AddLine(QStringLiteral("010201001"), QStringLiteral("01"), 0, 1, 300);
  CKvStdDirDlg dialog(pdb(), 0, QStringLiteral("010202001"), -1);
  open(dialog);
  KvScriptedAnswers answers;
  Click(&dialog, CKvStdDirDlg::IDC_DELETE);
  EXPECT_EQ(dialog.ParentCode(), QStringLiteral("0102"));
  EXPECT_EQ(selected(dialog), QStringLiteral("010202"));
  EXPECT_EQ(Log(), QStringList{"删除：010202001"});

  // A referenced student stays, with the refusal.
  dialog.List()->SelectOnlyCode(QStringLiteral("010201"));
  ASSERT_TRUE(run(KV_CMD_FORWARD));
  Click(&dialog, CKvStdDirDlg::IDC_DELETE);
  EXPECT_EQ(answers.Stops(), QStringList{"“010201001”已被引用，不能删除！"});
  EXPECT_EQ(shown(dialog), (QStringList{"010201001", "010201002"}));
  // Another station deletes the student while the question is read.
  CKvDb other(kind());
  ASSERT_TRUE(testDb().OpenAnother(other));
  KvScriptedAnswers gone;
  gone.onQuestion = [&] { ASSERT_TRUE(other.Execute(QStringLiteral("Delete From STD Where KNO='010201002'"))); };
  dialog.List()->SelectOnlyCode(QStringLiteral("010201002"));
  Click(&dialog, CKvStdDirDlg::IDC_DELETE);
  EXPECT_EQ(gone.Stops(), QStringList{"“010201002”已不存在，不能删除！"});
  EXPECT_EQ(Log(), QStringList{"删除：010202001"});
}

KV_DB_KIND_TEST_SUITE(CKvStdDirDlgTest);
