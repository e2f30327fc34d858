// The teacher, course and shared-room catalogues: the Settings menu opens
// their lists; codes, names and dates typed into the edit dialogs; new,
// change and delete from the list with their rules and log entries; and
// each write with its log entry kept whole or not at all.

#include "KvPkWindowTestSupport.h"

#include "app/CKvXxApp.h"
#include "core/CKvDb.h"
#include "timetable/CKvCourseEditDlg.h"
#include "timetable/CKvCourseListDlg.h"
#include "timetable/CKvPubRoomEditDlg.h"
#include "timetable/CKvPubRoomListDlg.h"
#include "timetable/CKvTeacherEditDlg.h"
#include "timetable/CKvTeacherListDlg.h"
#include "timetable/CTchrTable.h"
#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTreeView>

namespace {

class KvPkCatalogDlgTest : public KvPkWindowTest {
 protected:
  QStringList Teachers() { return Rows(QStringLiteral("TCHR"), QStringLiteral("KNO,NA,TEL,SEX,NTN")); }
  static void SelectRows(CKvPkCatalogList* list, const QList<int>& rows) {
    QItemSelectionModel* selection = list->DetailsView()->selectionModel();
    selection->clearSelection();
    for (int row : rows)
      selection->select(list->DetailsView()->model()->index(row, 0),
                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
};

TEST_P(KvPkCatalogDlgTest, TheSettingsMenuOpensTheThreeLists) {
  AddTeacher(QStringLiteral("0001"), QStringLiteral("王芳"));
  auto* app = dynamic_cast<CKvXxApp*>(KvGetApp());
  ASSERT_NE(app, nullptr);
  int rows = -1;
  KvDialogScript script({[&](QDialog* dialog) {
                           rows = KvDlgItem<CKvPkCatalogList>(dialog, 1031)->GetItemCount();
                           KvGrab(dialog, QStringLiteral("teachers"));
                           return int(QDialog::Rejected);
                         },
                         [](QDialog*) { return int(QDialog::Rejected); },
                         [](QDialog*) { return int(QDialog::Rejected); }});
  for (int id : {KV_CMD_SET_TEACHERS, KV_CMD_SET_COURSES, KV_CMD_SET_PUBLIC_ROOMS}) {
    ASSERT_TRUE(app->IsCmdEnabled(id)) << id;
    app->ExecuteCmd(id);
  }
  EXPECT_EQ(script.names, QStringList(3, QStringLiteral("dlg_954")));
  EXPECT_EQ(script.titles, (QStringList{QStringLiteral("教师目录"), QStringLiteral("课程目录"), QStringLiteral("公用教室目录")}));
  EXPECT_EQ(rows, 1);
}

// What an edit dialog's OK does with the typed values: the code stored, or
// the refusal shown (nothing stored then).
TEST_P(KvPkCatalogDlgTest, TypedCodesNamesAndDatesAreCheckedBeforeSaving) {
  AddRoom(QStringLiteral("006"), QStringLiteral("微机室"));
  struct Case {
    int kind;  // 0 teacher, 1 course, 2 room
    QString code, name, full, birth;
    QString saved, refusal;
  };
  const QList<Case> cases = {
      {1, QStringLiteral("7"), QStringLiteral("语文"), QStringLiteral("语文"), {}, QStringLiteral("0007"), {}},
      {1, QStringLiteral("0"), QStringLiteral("数学"), QStringLiteral("数学"), {}, {}, QStringLiteral("代码不合适，请重输！")},
      {1, QString(), QStringLiteral("数学"), QStringLiteral("数学"), {}, {}, QStringLiteral("代码不合适，请重输！")},
      {1, QStringLiteral("12345"), QStringLiteral("数学"), QStringLiteral("数学"), {}, {}, QStringLiteral("代码不合适，请重输！")},
      {1, QStringLiteral("8"), QString(), QStringLiteral("数学"), {}, {}, QStringLiteral("简称不能为空，请重输！")},
      {1, QStringLiteral("8"), QStringLiteral("数学"), QString(), {}, {}, QStringLiteral("全称不能为空，请重输！")},
      {2, QString(), QStringLiteral("实验室"), QStringLiteral("实验室"), {}, QStringLiteral("007"), {}},
      {2, QStringLiteral("1000"), QStringLiteral("实验室"), QStringLiteral("实验室"), {}, {}, QStringLiteral("代码不合适，请重输！")},
      {0, QStringLiteral("12"), QStringLiteral("王芳"), {}, QStringLiteral("19800230"), {}, QStringLiteral("日期超界")},
      {0, QStringLiteral("12"), QString(), {}, {}, {}, QStringLiteral("名称不能为空，请重输！")},
      {0, QStringLiteral("12"), QStringLiteral("王芳"), {}, QStringLiteral("19800229"), QStringLiteral("0012"), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code.toStdString() + " " + c.name.toStdString());
    const QStringList before = State({{QStringLiteral("TCHR"), QStringLiteral("KNO,NA,BT")},
                                      {QStringLiteral("SBT"), QStringLiteral("KNO,NA,NAA")},
                                      {QStringLiteral("PUBRM"), QStringLiteral("KNO,NA,NAA")}});
    KvScriptedAnswers answers;
    std::unique_ptr<CKvPkCatalogEditDlg> dlg;
    if (c.kind == 0)
      dlg = std::make_unique<CKvTeacherEditDlg>(1, QString(), pdb());
    else if (c.kind == 1)
      dlg = std::make_unique<CKvCourseEditDlg>(1, QString(), pdb());
    else
      dlg = std::make_unique<CKvPubRoomEditDlg>(1, QString(), pdb());
    dlg->show();
    const int codeId = c.kind == 0 ? 1065 : (c.kind == 1 ? 1064 : 1078);
    if (!c.code.isEmpty() || c.kind != 2)
      KvSetText(dlg.get(), codeId, c.code);
    KvSetText(dlg.get(), c.kind == 0 ? 1066 : (c.kind == 1 ? 1035 : 1067), c.name);
    if (c.kind != 0)
      KvSetText(dlg.get(), c.kind == 1 ? 1063 : 1077, c.full);
    else
      KvSetText(dlg.get(), 1071, c.birth);
    const int result = KvPressOk(dlg.get());
    if (c.refusal.isEmpty()) {
      EXPECT_EQ(result, QDialog::Accepted);
      EXPECT_TRUE(answers.Stops().isEmpty()) << answers.Stops().join(u'|').toStdString();
      const QString table = c.kind == 0 ? QStringLiteral("TCHR") : (c.kind == 1 ? QStringLiteral("SBT") : QStringLiteral("PUBRM"));
      EXPECT_EQ(Rows(table, QStringLiteral("KNO"), QStringLiteral("Where KNO='%1'").arg(c.saved)).size(), 1);
    } else {
      EXPECT_EQ(result, QDialog::Rejected);
      EXPECT_EQ(answers.Stops(), QStringList{c.refusal});
      EXPECT_EQ(State({{QStringLiteral("TCHR"), QStringLiteral("KNO,NA,BT")},
                       {QStringLiteral("SBT"), QStringLiteral("KNO,NA,NAA")},
                       {QStringLiteral("PUBRM"), QStringLiteral("KNO,NA,NAA")}}),
                before);
    }
  }
  EXPECT_EQ(LogNotes(82), QStringList{QStringLiteral("新增：0007 - 语文")});
  EXPECT_EQ(LogNotes(1901), QStringList{QStringLiteral("新增：007 - 实验室")});
  EXPECT_EQ(LogNotes(1900), QStringList{QStringLiteral("新增：0012 - 王芳")});
}

TEST_P(KvPkCatalogDlgTest, NewStartsFromTheSelectedTeacherAndRepeatsUntilCancel) {
  CTchrRec first;
  first.KNO = QStringLiteral("0001");
  first.NA = QStringLiteral("王芳");
  first.TEL = QStringLiteral("5551234");
  first.SEX = 1;
  first.NTN = QStringLiteral("回");
  ASSERT_TRUE(CTchrTable::Insert(first, pdb()));
  CKvTeacherListDlg dlg(0, pdb(), QStringLiteral("0001"));
  dlg.show();
  CKvPkCatalogList* list = dlg.List();
  ASSERT_EQ(list->GetSelectedRows(), QList<int>{0});

  QStringList seen;
  const auto enter = [&](const QString& name) {
    return [&, name](QDialog* edit) {
      auto* sex = KvDlgItem<QComboBox>(edit, 1070);
      auto* nation = KvDlgItem<QComboBox>(edit, 1073);
      seen << QStringLiteral("%1 %2 %3 %4 %5 %6")
                  .arg(edit->windowTitle(), KvGetText(edit, 1065), KvGetText(edit, 1066), KvGetText(edit, 1068),
                       sex->currentText(), nation->currentText());
      KvSetText(edit, 1066, name);
      KvGrab(edit, QStringLiteral("teacher_edit"));
      return KvPressOk(edit);
    };
  };
  {
    KvDialogScript script({enter(QStringLiteral("李娜")), enter(QStringLiteral("赵强"))});
    KvDlgItem<QPushButton>(&dlg, 1055)->click();
    EXPECT_EQ(script.names.size(), 3);  // the third one cancelled
  }
  EXPECT_EQ(seen, (QStringList{QStringLiteral("增加教师 0002 王芳 5551234 女 回"),
                               QStringLiteral("增加教师 0003 李娜 5551234 女 回")}));
  EXPECT_EQ(Teachers(), (QStringList{QStringLiteral("0001|王芳|5551234|1|回"), QStringLiteral("0002|李娜|5551234|1|回"),
                                     QStringLiteral("0003|赵强|5551234|1|回")}));
  EXPECT_EQ(list->GetItemCount(), 3);
  EXPECT_EQ(list->GetSelectedRows(), QList<int>{2});
  EXPECT_EQ(LogNotes(1900), (QStringList{QStringLiteral("新增：0002 - 李娜"), QStringLiteral("新增：0003 - 赵强")}));

  // Nothing selected: the new teacher starts empty, a man, of the Han.
  SelectRows(list, {});
  QString fresh;
  {
    KvDialogScript script({[&](QDialog* edit) {
      fresh = QStringLiteral("%1 %2|%3|%4|%5").arg(edit->windowTitle(), KvGetText(edit, 1065), KvGetText(edit, 1066),
                                                   KvDlgItem<QComboBox>(edit, 1070)->currentText(),
                                                   KvDlgItem<QComboBox>(edit, 1073)->currentText());
      return int(QDialog::Rejected);
    }});
    list->ExecuteCmd(KV_CMD_NEW);
  }
  EXPECT_EQ(fresh, QStringLiteral("增加教师 0004||男|汉"));
}

TEST_P(KvPkCatalogDlgTest, ChangeAndDeleteNeedOneSelectedRowAndTheListsRight) {
  AddTeacher(QStringLiteral("0001"), QStringLiteral("王芳"));
  AddTeacher(QStringLiteral("0002"), QStringLiteral("李娜"));
  AddCourse(QStringLiteral("0001"), QStringLiteral("语文"));
  AddRoom(QStringLiteral("001"), QStringLiteral("微机室"));
  struct Case {
    int list;  // 0 teachers, 1 courses, 2 rooms
    QString right;
  };
  const QList<Case> cases = {{0, QStringLiteral("1901")}, {1, QStringLiteral("0084")}, {2, QStringLiteral("1902")}};
  for (const Case& c : cases) {
    for (bool right : {true, false}) {
      SCOPED_TRACE(c.list * 10 + int(right));
      Grant(right ? QStringList{c.right} : QStringList());
      std::unique_ptr<CKvPkCatalogListDlg> dlg;
      if (c.list == 0)
        dlg = std::make_unique<CKvTeacherListDlg>(0, pdb(), QString());
      else if (c.list == 1)
        dlg = std::make_unique<CKvCourseListDlg>(0, pdb(), QString());
      else
        dlg = std::make_unique<CKvPubRoomListDlg>(0, pdb(), QString());
      dlg->show();
      CKvPkCatalogList* list = dlg->List();
      const auto states = [&] {
        QString text;
        for (int id : {KV_CMD_NEW, KV_CMD_OPEN, KV_CMD_MODIFY, KV_CMD_DELETE, KV_CMD_EDIT_COPY, KV_CMD_EDIT_PASTE})
          text += KvCmdEnabled(list, id) ? u'1' : u'0';
        for (int id : {1055, 1, 1056, 1057})
          text += KvDlgItem<QPushButton>(dlg.get(), id)->isEnabled() ? u'1' : u'0';
        return text;
      };
      EXPECT_EQ(states(), right ? QStringLiteral("1100001100") : QStringLiteral("0000000000"));
      SelectRows(list, {0});
      EXPECT_EQ(states(), right ? QStringLiteral("1111001111") : QStringLiteral("0000000000"));
      if (list->GetItemCount() > 1) {
        SelectRows(list, {0, 1});
        EXPECT_EQ(states(), right ? QStringLiteral("1100001100") : QStringLiteral("0000000000"));
      }
    }
  }
}

TEST_P(KvPkCatalogDlgTest, DeleteAsksNothingAndKeepsARowStillReferredTo) {
  AddClasses(1);
  AddCourse(QStringLiteral("0001"), QStringLiteral("语文"));
  AddCourse(QStringLiteral("0002"), QStringLiteral("数学"));
  AddTeacher(QStringLiteral("0001"), QStringLiteral("王芳"));
  AddLesson(QStringLiteral("010101"), 1, 'B', 1, QStringLiteral("0002"), QStringLiteral("0001"));
  CKvCourseListDlg dlg(0, pdb(), QString());
  dlg.show();
  KvScriptedAnswers answers;
  SelectRows(dlg.List(), {1});
  KvDlgItem<QPushButton>(&dlg, 1057)->click();
  EXPECT_EQ(answers.texts, QStringList{QStringLiteral("课程：0002\n已在周课表中被引用！")});
  SelectRows(dlg.List(), {0});
  KvDlgItem<QPushButton>(&dlg, 1057)->click();
  EXPECT_EQ(answers.texts.size(), 1);
  EXPECT_EQ(Rows(QStringLiteral("SBT"), QStringLiteral("KNO")), QStringList{QStringLiteral("0002")});
  EXPECT_EQ(dlg.List()->GetItemCount(), 1);
  EXPECT_EQ(LogNotes(82), QStringList{QStringLiteral("删除：0001")});
}

TEST_P(KvPkCatalogDlgTest, OpenChangesTheRowAndKeepsTheListOpen) {
  AddTeacher(QStringLiteral("0001"), QStringLiteral("王芳"));
  CKvTeacherListDlg dlg(0, pdb(), QStringLiteral("0001"));
  dlg.show();
  QString title;
  KvDialogScript script({[&](QDialog* edit) {
    title = edit->windowTitle();
    KvSetText(edit, 1065, QStringLiteral("5"));
    KvSetText(edit, 1066, QStringLiteral("王芳芳"));
    return KvPressOk(edit);
  }});
  KvDlgItem<QPushButton>(&dlg, 1)->click();
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_EQ(title, QStringLiteral("修改教师信息"));
  EXPECT_EQ(Rows(QStringLiteral("TCHR"), QStringLiteral("KNO,NA")), QStringList{QStringLiteral("0005|王芳芳")});
  EXPECT_EQ(dlg.List()->GetItemText(dlg.List()->GetFirstSelected(), 0), QStringLiteral("0005"));
  EXPECT_EQ(LogNotes(1900), QStringList{QStringLiteral("修改：0001(王芳) --> 0005(王芳芳)")});
}

TEST_P(KvPkCatalogDlgTest, AnEmptyShortNameTakesTheFullNameWhenEntered) {
  CKvPubRoomEditDlg dlg(1, QString(), pdb());
  dlg.show();
  KvSetText(&dlg, 1077, QStringLiteral("物理实验室"));
  QFocusEvent focus(QEvent::FocusIn);
  QApplication::sendEvent(KvDlgItem<QWidget>(&dlg, 1067), &focus);
  EXPECT_EQ(KvGetText(&dlg, 1067), QStringLiteral("物理实验室"));
  KvGrab(&dlg, QStringLiteral("room_edit"));
}

// A change form whose row cannot be read does not open, so that nothing is
// written from an empty form; read, it opens on the row (and is cancelled);
// changed at another workstation while the form is open, it is not put back.
TEST_P(KvPkCatalogDlgTest, AChangeFormSavesOnlyOverTheRowItRead) {
  AddTeacher(QStringLiteral("0001"), QStringLiteral("王芳"));
  AddCourse(QStringLiteral("0001"), QStringLiteral("语文"));
  AddRoom(QStringLiteral("001"), QStringLiteral("琴房"));
  struct Case {
    QString (*run)(int, const QString&, CKvDb*, QWidget*);
    QString code;
    int nameId;
    QString name;
    const char* elsewhere;
    QString word;
    int typedId;
  };
  const QList<Case> cases = {
      {&CKvTeacherEditDlg::Run, QStringLiteral("0001"), CKvTeacherEditDlg::IDC_NAME, QStringLiteral("王芳"),
       "Update TCHR Set TEL='5550000'", QStringLiteral("教师"), CKvTeacherEditDlg::IDC_NAME},
      {&CKvCourseEditDlg::Run, QStringLiteral("0001"), CKvCourseEditDlg::IDC_SHORT, QStringLiteral("语文"),
       "Update SBT Set NT='选修'", QStringLiteral("课程"), CKvCourseEditDlg::IDC_FULL},
      {&CKvPubRoomEditDlg::Run, QStringLiteral("001"), CKvPubRoomEditDlg::IDC_SHORT, QStringLiteral("琴房"),
       "Update PUBRM Set MGR='张三'", QStringLiteral("公用教室"), CKvPubRoomEditDlg::IDC_FULL},
  };
  CKvDb other;
  ASSERT_TRUE(testDb().OpenAnother(other));
  const auto state = [this] {
    return State({{QStringLiteral("TCHR"), QStringLiteral("KNO,NA")}, {QStringLiteral("SBT"), QStringLiteral("KNO,NA")},
                  {QStringLiteral("PUBRM"), QStringLiteral("KNO,NA")}});
  };
  const QStringList before = state();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name.toStdString());
    QString shown;
    KvDialogScript script({[&](QDialog* dialog) {
      shown = KvGetText(dialog, c.nameId);
      return int(QDialog::Rejected);
    }});
    {
      KvScriptedAnswers answers;
      pdb()->FailNthStatement(1);
      EXPECT_TRUE(c.run(0, c.code, pdb(), nullptr).isEmpty());
      pdb()->FailNthStatement(0);
      EXPECT_TRUE(script.names.isEmpty());
      // The connection's report of the refused read, and nothing else.
      EXPECT_EQ(answers.texts.size(), 1);
    }
    EXPECT_TRUE(c.run(0, c.code, pdb(), nullptr).isEmpty());
    EXPECT_EQ(script.names.size(), 1);
    EXPECT_EQ(shown, c.name);
    KvScriptedAnswers answers;
    KvDialogScript changed({[&](QDialog* dialog) {
      EXPECT_TRUE(other.Execute(QString::fromUtf8(c.elsewhere)));
      KvSetText(dialog, c.typedId, QStringLiteral("新名"));
      return KvPressOk(dialog);
    }});
    EXPECT_TRUE(c.run(0, c.code, pdb(), nullptr).isEmpty());
    EXPECT_EQ(answers.Stops(), QStringList{c.word + c.code + QStringLiteral("已被其他窗口或工作站修改，请重新打开后再修改！")});
  }
  EXPECT_EQ(state(), before);
}

// Each save and delete with its log entry: a refused statement anywhere
// leaves the catalogue and the log as they were.
TEST_P(KvPkCatalogDlgTest, WritesAndTheirLogEntriesAreKeptWholeOrNotAtAll) {
  AddTeacher(QStringLiteral("0001"), QStringLiteral("王芳"));
  const auto state = [this] { return State({{QStringLiteral("TCHR"), QStringLiteral("KNO,NA")}}); };
  KvScriptedAnswers answers;
  int calls = 0;
  // The dialog is made without the seam; the seam is set again for OK.
  const auto run = [&](int mode, const QString& code, const QString& newCode, const QString& name) {
    return [&, mode, code, newCode, name] {
      const int n = ++calls;
      pdb()->FailNthStatement(0);
      CKvTeacherEditDlg dlg(mode, code, pdb());
      dlg.show();
      KvSetText(&dlg, 1065, newCode);
      KvSetText(&dlg, 1066, name);
      pdb()->FailNthStatement(n);
      return KvPressOk(&dlg) == QDialog::Accepted;
    };
  };
  EXPECT_GT(ExpectAllOrNothing(run(1, QString(), QStringLiteral("2"), QStringLiteral("李娜")), state), 0);
  calls = 0;
  EXPECT_GT(ExpectAllOrNothing(run(0, QStringLiteral("0002"), QStringLiteral("3"), QStringLiteral("李小娜")), state), 0);
  CKvTeacherListDlg dlg(0, pdb(), QString());
  dlg.show();
  EXPECT_GT(ExpectAllOrNothing([&] { return dlg.List()->DeleteCode(QStringLiteral("0003")); }, state), 0);
  EXPECT_EQ(Rows(QStringLiteral("TCHR"), QStringLiteral("KNO,NA")), QStringList{QStringLiteral("0001|王芳")});
  EXPECT_EQ(LogNotes(1900), (QStringList{QStringLiteral("修改：0002(李娜) --> 0003(李小娜)"), QStringLiteral("删除：0003"),
                                         QStringLiteral("新增：0002 - 李娜")}));
}

KV_DB_KIND_TEST_SUITE(KvPkCatalogDlgTest);

}  // namespace
