// The node forms: proposed codes, the save's refusals with their focus
// (over a row or under a class another station changed meanwhile among
// them), new nodes one after another from the directory and no form on a
// node another station removed, the in-school transfer
// with its locked sides, the transfer written whole or not at all, and the
// form closing unsaved when another station changed the tree's shape.

#include "KvStdTreeTestSupport.h"

#include "core/CKvCsRec.h"
#include "core/KvDate.h"
#include "school/CKvStdDirDlg.h"
#include "school/CKvStdEditDlg.h"
#include "school/CXxDataType.h"
#include "ui/CKvCodeBrowseList.h"
#include "ui/KvAppServices.h"

#include <functional>

using Form = CKvStdEditDlg;

class CKvStdEditDlgTest : public KvStdTreeTest {
 protected:
  static void open(Form& form) { ASSERT_TRUE(KvShowActive(&form)); }
  QString stdRow(const QString& code) {
    return Rows(QStringLiteral("STD"), QStringLiteral("KNO,NA,LB0,QC0,DM0,LB1,QC1,DM1"),
                QStringLiteral("Where KNO='%1'").arg(code))
        .value(0);
  }
  // Exit by transfer to `code`, leaving in term `term` and entering in `newTerm`.
  static void transfer(Form& form, const QString& code, const QString& term, const QString& newTerm) {
    Choose(&form, Form::IDC_EXIT_KIND, 1);
    Type(&form, Form::IDC_EXIT_TERM, term);
    Type(&form, Form::IDC_NEW_CODE, code);
    Type(&form, Form::IDC_NEW_TERM, newTerm);
  }
};

TEST_P(CKvStdEditDlgTest, NewNodesGetTheNextCodeAndSaveTheirSegmentPadded) {
  const struct {
    int form;
    const char* parent;
    const char* title;
    QString segment;
  } cases[] = {
      {Form::IDD_UNIT, "", "新增管理机构", QStringLiteral("02")},
      {Form::IDD_GRADE, "01", "新增级次", KvNowText(QStringLiteral("%Y")).right(2)},
      {Form::IDD_UNIT, "0102", "新增班次", QStringLiteral("03")},
      {Form::IDD_STUDENT, "010201", "新增学生", QStringLiteral("003")},
  };
  for (const auto& c : cases) {
    Form form(c.form, pdb(), QString::fromLatin1(c.parent), QString(), true);
    open(form);
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8(c.title));
    EXPECT_EQ(Text(&form, Form::IDC_SEGMENT), c.segment) << c.title;
  }

  // A name cannot hold an apostrophe (the text reaches SQL quoted, and is
  // refused by the record's check).
  Form form(Form::IDD_STUDENT, pdb(), QStringLiteral("010201"), QString(), true);
  open(form);
  Type(&form, Form::IDC_NAME, QStringLiteral("O'Neil"));
  KvScriptedAnswers answers;
  Click(&form, KV_IDOK);
  EXPECT_EQ(answers.Stops(), QStringList{"名称 ：“O'Neil”不合适！"});
  EXPECT_EQ(Focused(&form), Form::IDC_NAME);
  EXPECT_EQ(Codes().size(), 6);
  // A segment typed short is padded; a name is cut to its column.
  Type(&form, Form::IDC_SEGMENT, QStringLiteral("5"));
  Type(&form, Form::IDC_NAME, QStringLiteral("Li") + QString(20, QChar(u'王')));
  Click(&form, KV_IDOK);
  EXPECT_EQ(form.result(), QDialog::Accepted);
  EXPECT_EQ(form.SavedCode(), QStringLiteral("010201005"));
  const QString name = QStringLiteral("Li") + QString(19, QChar(u'王'));
  EXPECT_EQ(Column(QStringLiteral("Select NA From STD Where KNO='010201005'")), QStringList{name});
  EXPECT_EQ(Log(), QStringList{QStringLiteral("新增：010201005 - ") + name});
}

TEST_P(CKvStdEditDlgTest, RefusedSavesNameTheFieldAndWriteNothing) {
  AddNode(QStringLiteral("010202001"), QStringLiteral("王五"));
  AddNode(QStringLiteral("0103"), QStringLiteral("2023级"));
  AddNode(QStringLiteral("010201003"), QStringLiteral("王六"));
  AddNode(QStringLiteral("010201004"), QStringLiteral("赵七"));
  AddNode(QStringLiteral("010203"), QStringLiteral("三班"));
  // Another station acting while a form is open: SQL, or a transfer to 二班.
  CKvDb other(kind());
  ASSERT_TRUE(testDb().OpenAnother(other));
  const auto elsewhere = [&other](const char* sql) { ASSERT_TRUE(other.Execute(QString::fromUtf8(sql))); };
  const auto transferElsewhere = [&other](const char* code) {
    CStd read(&other, QString::fromLatin1(code));
    ASSERT_EQ(read.Load(0, -1), 1);
    CStd moving = read;
    moving.LB[1] = 1;
    moving.DM[1] = QStringLiteral("010202");
    ASSERT_TRUE(moving.ModifyWithTransfer(read, 1, false));
  };
  const auto rename = [](Form& f) { Type(&f, Form::IDC_NAME, QStringLiteral("新名")); };
  const QString year = KvNowText(QStringLiteral("%Y"));
  const struct {
    int form;
    const char* parent;
    const char* code;  // empty: a new node
    std::function<void(Form&)> input;
    const char* message;
    int focus;
  } cases[] = {
      {Form::IDD_UNIT, "", "", [](Form& f) { Type(&f, Form::IDC_SEGMENT, "0"); }, "代码不合适!", Form::IDC_SEGMENT},
      {Form::IDD_UNIT, "", "", [](Form& f) { Type(&f, Form::IDC_SEGMENT, "123"); }, "代码不合适!",
       Form::IDC_SEGMENT},
      {Form::IDD_UNIT, "", "01", [](Form& f) { Type(&f, Form::IDC_NAME, " "); }, "名称不能为空，请重输!",
       Form::IDC_NAME},
      {Form::IDD_GRADE, "01", "0103", [](Form& f) { Type(&f, Form::IDC_TERMS, "0"); }, "学期数超界!",
       Form::IDC_TERMS},
      {Form::IDD_GRADE, "01", "0103", [](Form& f) { Choose(&f, Form::IDC_TERM_KIND, -1); }, "未选择学期类别!",
       Form::IDC_TERM_KIND},
      {Form::IDD_GRADE, "01", "0103", [](Form& f) { Type(&f, Form::IDC_START, "202413"); }, "月份超界！",
       Form::IDC_START},
      {Form::IDD_GRADE, "01", "0102",
       [year](Form& f) {
         Type(&f, Form::IDC_TERMS, "4");
         Type(&f, Form::IDC_END, QString::number(year.toInt() + 2) + "08");
       },
       "它下面已有班级，不能修改学期数！", 0},  // its terms edit is greyed
      {Form::IDD_STUDENT, "010201", "010201001",
       [](Form& f) { KvDlgItem<QComboBox>(&f, Form::IDC_SEX)->setCurrentIndex(-1); }, "未选择性别!",
       Form::IDC_SEX},
      {Form::IDD_STUDENT, "010201", "010201001",
       [](Form& f) {
         Choose(&f, Form::IDC_ENTRY_KIND, 2);
         Type(&f, Form::IDC_ENTRY_TERM, "9");
       },
       "入学期次超界!", Form::IDC_ENTRY_TERM},
      {Form::IDD_STUDENT, "010201", "010201001",
       [](Form& f) {
         Choose(&f, Form::IDC_ENTRY_KIND, 2);
         Type(&f, Form::IDC_ENTRY_TERM, "3");
         Choose(&f, Form::IDC_EXIT_KIND, 2);
         Type(&f, Form::IDC_EXIT_TERM, "2");
       },
       "入学期次不能大于结业期次!", Form::IDC_EXIT_TERM},
      {Form::IDD_STUDENT, "010201", "010201001", [](Form& f) { transfer(f, "", "2", "3"); }, "新代码不能为空!",
       Form::IDC_NEW_CODE},
      {Form::IDD_STUDENT, "010201", "010201001",
       [](Form& f) {
         // The grade picked in the directory.
         transfer(f, "", "2", "3");
         KvScopedDialogExec pick([](QDialog* dialog) {
           dialog->show();
           static_cast<CKvStdDirDlg*>(dialog)->DrillDown();
           Click(dialog, KV_IDOK);
           return dialog->result();
         });
         Click(&f, Form::IDC_PICK_NEW);
         EXPECT_EQ(Text(&f, Form::IDC_NEW_CODE), QStringLiteral("0102"));
       },
       "应为一学生、或教学班代码!", Form::IDC_NEW_CODE},
      {Form::IDD_STUDENT, "010201", "010201001", [](Form& f) { transfer(f, "010201", "2", "3"); },
       "不能在班内转学!", Form::IDC_NEW_CODE},
      {Form::IDD_STUDENT, "010201", "010201001", [](Form& f) { transfer(f, "010201009", "2", "3"); },
       "不能在班内转学!", Form::IDC_NEW_CODE},
      {Form::IDD_STUDENT, "010201", "010201001", [](Form& f) { transfer(f, "010299", "2", "3"); },
       "此教学班不存在!", Form::IDC_NEW_CODE},
      {Form::IDD_STUDENT, "010201", "010201001", [](Form& f) { transfer(f, "010202001", "2", "3"); },
       "此学生已存在、代码应是转入班的未用码。可以录入转入班的代码，由系统自动生成新码！!", Form::IDC_NEW_CODE},
      {Form::IDD_STUDENT, "010201", "010201001", [](Form& f) { transfer(f, "010202", "2", "7"); },
       "未录入新期次，或超界!", Form::IDC_NEW_TERM},
      {Form::IDD_STUDENT, "010201", "010201001", [](Form& f) { transfer(f, "010202000", "2", "3"); }, "新代码不合适!",
       Form::IDC_NEW_CODE},
      // Saves over a row another station changed, or under a class it deleted.
      {Form::IDD_STUDENT, "010201", "010201003", [&](Form& f) { transferElsewhere("010201003"); rename(f); },
       "“010201003”已被其他窗口或工作站修改，请重新打开后再修改！", Form::IDC_SEGMENT},
      {Form::IDD_STUDENT, "010201", "010201004",
       [&](Form& f) { transferElsewhere("010201004"); transfer(f, "010203", "2", "3"); },
       "“010201004”已被其他窗口或工作站修改，请重新打开后再修改！", Form::IDC_NEW_CODE},
      {Form::IDD_UNIT, "0102", "010202", [&](Form& f) { elsewhere("Update STD Set MRG='王' Where KNO='010202'"); rename(f); },
       "“010202”已被其他窗口或工作站修改，请重新打开后再修改！", Form::IDC_SEGMENT},
      {Form::IDD_STUDENT, "010203", "", [&](Form& f) { elsewhere("Delete From STD Where KNO='010203'"); rename(f); },
       "上级“010203”已不存在，不能保存“010203001”！", Form::IDC_SEGMENT},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    Form form(c.form, pdb(), QString::fromLatin1(c.parent), QString::fromLatin1(c.code), !*c.code);
    open(form);
    c.input(form);
    const QStringList before = State();
    KvScriptedAnswers answers;
    Click(&form, KV_IDOK);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(answers.Stops(), QStringList{QString::fromUtf8(c.message)});
    if (c.focus) {
      EXPECT_EQ(Focused(&form), c.focus);
    }
    EXPECT_EQ(State(), before);
  }

  // A refused save leaves the terms as typed.
  Form form(Form::IDD_STUDENT, pdb(), QStringLiteral("010201"), QStringLiteral("010201001"), false);
  open(form);
  cases[9].input(form);
  KvScriptedAnswers answers;
  Click(&form, KV_IDOK);
  EXPECT_EQ(Text(&form, Form::IDC_ENTRY_TERM), QStringLiteral("3"));
  EXPECT_EQ(Text(&form, Form::IDC_EXIT_TERM), QStringLiteral("2"));
}

TEST_P(CKvStdEditDlgTest, DirectoryRepeatsNewAndOpensNoFormOnANodeGone) {
  CKvStdDirDlg directory(pdb(), 0, QStringLiteral("010201001"), -1);
  ASSERT_TRUE(KvShowActive(&directory));
  int forms = 0;
  KvScopedDialogExec exec([&forms](QDialog* dialog) {
    dialog->show();
    if (++forms == 3) {
      dialog->reject();
    } else {
      Type(dialog, Form::IDC_NAME, QStringLiteral("新生%1").arg(forms));
      Click(dialog, KV_IDOK);
    }
    return dialog->result();
  });
  Click(&directory, CKvStdDirDlg::IDC_NEW);
  EXPECT_EQ(forms, 3);
  EXPECT_EQ(Codes(), (QStringList{"01", "0102", "010201", "010201001", "010201002", "010201003", "010201004",
                                  "010202"}));
  EXPECT_EQ(directory.List()->GetItemText(directory.List()->GetFirstSelected(), 0), QStringLiteral("010201004"));
  EXPECT_EQ(Log(), (QStringList{"新增：010201003 - 新生1", "新增：010201004 - 新生2"}));

  // 修改 on a node another station removed: no form, the clerk is told, the
  // list read again without it.
  CKvDb other(kind());
  ASSERT_TRUE(testDb().OpenAnother(other));
  for (const QString code : {"010201002", "010202", "0102", "01"}) {
    CKvStdDirDlg at(pdb(), 0, code, -1);
    ASSERT_TRUE(KvShowActive(&at) && other.Execute(QStringLiteral("Delete From STD Where KNO='%1'").arg(code)));
    forms = 0;
    KvScriptedAnswers answers;
    Click(&at, CKvStdDirDlg::IDC_MODIFY);
    EXPECT_EQ(forms, 0);
    EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("“%1”已不存在，不能修改！").arg(code)});
    for (int row = 0; row < at.List()->GetItemCount(); ++row)
      EXPECT_NE(at.List()->GetItemText(row, 0), code);
  }
}

TEST_P(CKvStdEditDlgTest, TransferMakesTheNewRowAndLocksBothSides) {
  // The kinds set the terms; an entry by transfer cannot be chosen by hand.
  {
    Form form(Form::IDD_STUDENT, pdb(), QStringLiteral("010201"), QString(), true);
    open(form);
    EXPECT_FALSE(KvDlgItem<QWidget>(&form, Form::IDC_EXIT_KIND)->isEnabled());
    Choose(&form, Form::IDC_ENTRY_KIND, 1);
    EXPECT_EQ(KvDlgItem<QComboBox>(&form, Form::IDC_ENTRY_KIND)->currentIndex(), 0);
    EXPECT_EQ(Text(&form, Form::IDC_ENTRY_TERM), QStringLiteral("1"));
    EXPECT_EQ(Text(&form, Form::IDC_EXIT_TERM), QStringLiteral("6"));
  }
  const struct {
    const char* student;
    const char* target;
    const char* created;
  } cases[] = {{"010201001", "010202", "010202001"}, {"010201002", "010202007", "010202007"}};
  for (const auto& c : cases) {
    const QString student = QString::fromLatin1(c.student);
    const QString created = QString::fromLatin1(c.created);
    Form form(Form::IDD_STUDENT, pdb(), QStringLiteral("010201"), student, false);
    open(form);
    transfer(form, QString::fromLatin1(c.target), QStringLiteral("2"), QStringLiteral("3"));
    KvScriptedAnswers answers;
    Click(&form, KV_IDOK);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(answers.texts, QStringList{student + QStringLiteral(" --> ") + created + QStringLiteral("转学成功！")});
    const QString name = student.endsWith(u'1') ? QStringLiteral("张三") : QStringLiteral("李四");
    EXPECT_EQ(stdRow(student), QStringList({student, name, "0", "0", "", "1", "1", created}).join(u'|'));
    EXPECT_EQ(stdRow(created), QStringList({created, name, "1", "2", student, "0", "5", ""}).join(u'|'));
  }
  EXPECT_EQ(Log(), (QStringList{"修改：010201001(张三) --> 010201001(张三)", "修改：010201002(李四) --> 010201002(李四)"}));

  // The old row keeps its exit and can still be corrected.
  Form old(Form::IDD_STUDENT, pdb(), QStringLiteral("010201"), QStringLiteral("010201001"), false);
  open(old);
  for (int id : {Form::IDC_EXIT_KIND, Form::IDC_NEW_CODE, Form::IDC_PICK_NEW, Form::IDC_NEW_TERM})
    EXPECT_FALSE(KvDlgItem<QWidget>(&old, id)->isEnabled()) << id;
  EXPECT_EQ(Text(&old, Form::IDC_NEW_CODE), QStringLiteral("010202001"));
  EXPECT_EQ(Text(&old, Form::IDC_NEW_TERM), QStringLiteral("3"));
  Type(&old, Form::IDC_NAME, QStringLiteral("张叁"));
  Click(&old, KV_IDOK);
  EXPECT_EQ(old.result(), QDialog::Accepted);
  EXPECT_EQ(stdRow(QStringLiteral("010201001")), QStringLiteral("010201001|张叁|0|0||1|1|010202001"));
  EXPECT_EQ(Column(QStringLiteral("Select Count(*) From STD")), QStringList{"8"});

  // The new row keeps its entry.
  Form moved(Form::IDD_STUDENT, pdb(), QStringLiteral("010202"), QStringLiteral("010202001"), false);
  open(moved);
  EXPECT_FALSE(KvDlgItem<QWidget>(&moved, Form::IDC_ENTRY_KIND)->isEnabled());
  EXPECT_FALSE(KvDlgItem<QWidget>(&moved, Form::IDC_OLD_CODE)->isEnabled());
  EXPECT_EQ(Text(&moved, Form::IDC_OLD_CODE), QStringLiteral("010201001"));
  EXPECT_EQ(Text(&moved, Form::IDC_OLD_TERM), QStringLiteral("2"));
  EXPECT_EQ(KvDlgItem<QComboBox>(&moved, Form::IDC_ENTRY_KIND)->currentText(), QStringLiteral("本校转入"));
  Click(&moved, KV_IDOK);
  EXPECT_EQ(moved.result(), QDialog::Accepted);
  EXPECT_EQ(stdRow(QStringLiteral("010202001")), QStringLiteral("010202001|张三|1|2|010201001|0|5|"));
}

TEST_P(CKvStdEditDlgTest, ARefusedStatementLeavesTheTransferUnwrittenAndTheFormOpen) {
  // The save's statements refused one at a time, the form filled first.
  const QStringList before = State();
  int n = 1;
  for (; n < 200; ++n) {
    Form form(Form::IDD_STUDENT, pdb(), QStringLiteral("010201"), QStringLiteral("010201001"), false);
    open(form);
    transfer(form, QStringLiteral("010202"), QStringLiteral("2"), QStringLiteral("3"));
    KvScriptedAnswers answers;
    pdb()->FailNthStatement(n);
    Click(&form, KV_IDOK);
    const int sent = pdb()->GetStatementsSent();
    pdb()->FailNthStatement(0);
    // Once the rows are written only the log entry follows.
    if (form.result() == QDialog::Accepted)
      break;
    ASSERT_GE(sent, n) << "the clean run failed";
    EXPECT_TRUE(form.isVisible());
    ASSERT_EQ(State(), before) << "statement " << n;
  }
  EXPECT_GT(n, 5);
  EXPECT_EQ(stdRow(QStringLiteral("010201001")), QStringLiteral("010201001|张三|0|0||1|1|010202001"));
  EXPECT_EQ(stdRow(QStringLiteral("010202001")), QStringLiteral("010202001|张三|1|2|010201001|0|5|"));
}

TEST_P(CKvStdEditDlgTest, ChangedTreeParametersCloseTheFormUnsaved) {
  Form form(Form::IDD_UNIT, pdb(), QStringLiteral("0102"), QString(), true);
  open(form);
  Type(&form, Form::IDC_NAME, QStringLiteral("三班"));
  // Another station changes the number of receipt rows.
  CKvDb other(kind());
  ASSERT_TRUE(testDb().OpenAnother(other));
  CKvCsRec rec(&other);
  ASSERT_TRUE(rec.Delete(4180, 2));
  rec.Set(4180, 2, QStringLiteral("收费单据行数"), QStringLiteral("5"));
  ASSERT_TRUE(rec.Insert());
  int quits = 0;
  const KvQuitFn previous = KvSetQuitHandler([&quits](int) { ++quits; });
  KvScriptedAnswers answers;
  Click(&form, KV_IDOK);
  KvSetQuitHandler(previous);
  EXPECT_EQ(quits, 1);
  EXPECT_EQ(answers.texts, QStringList{"系统参数发生了变化，软件将被迫关闭！"});
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.result(), QDialog::Rejected);
  QStringList codes;
  QStringList notes;
  other.QueryTexts(QStringLiteral("Select KNO From STD Where KNO='010203'"), &codes, 1);
  other.QueryTexts(QStringLiteral("Select sNote From KvLog"), &notes, 1);
  EXPECT_TRUE(codes.isEmpty());
  EXPECT_TRUE(notes.isEmpty());
}

KV_DB_KIND_TEST_SUITE(CKvStdEditDlgTest);
