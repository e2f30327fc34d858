// The operator's walk on the real start-up, on SQLite and on PostgreSQL:
// 101 logs in; a unit, a grade and two classes are written; a teacher and
// a course entered through the Settings lists; the period schedule saved
// from its card; a new plan entered in the plan window (grade row, teacher
// in both classes); the grade arranged from the timetable window; a lesson
// moved by hand onto its teacher's lesson in the other class (refused,
// edit kept) and then to a free period; the window reopened on what it
// remembers; the timetable printed to PDF; and the log of every step.

#include "KvPkGridWindowTestSupport.h"
#include "KvPkWindowTestSupport.h"

#include "app/CKvMainFrm.h"
#include "core/CKvDb.h"
#include "core/KvDate.h"
#include "core/KvFakePrinterCatalogue.h"
#include "core/KvFolders.h"
#include "core/KvRegistry.h"
#include "forms/CForthView.h"
#include "forms/CFormChildFrm.h"
#include "forms/CFormDataType.h"
#include "print/KvPdfReadBack.h"
#include "print/KvPrintTestSupport.h"
#include "school/CStd.h"
#include "support/KvTestServerFiles.h"
#include "support/app/KvDialogAnswers.h"
#include "support/timetable/KvTimetableGen.h"
#include "timetable/CKvPkCatalogListDlg.h"
#include "timetable/CPKDoc.h"
#include "timetable/CPKTreeView.h"
#include "timetable/CPkOpenPlanDlg.h"
#include "timetable/CWkjhDoc.h"
#include "timetable/CWktDoc.h"
#include "timetable/CWktView.h"
#include "ui/CKvEdit.h"
#include "ui/CMdiClient.h"
#include "ui/KvAppServices.h"
#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"
#include "ui/KvUiTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDate>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>

#include <algorithm>

namespace {
enum { kCourse, kTeacher, kRoom, kPeriods, kRun, kPriority, kFixed, kBarred, kWeekKind };

using KvStep = std::function<int(QDialog*)>;

// The grid cells of a class timetable that hold a lesson: (row, column).
QList<std::pair<int, int>> Lessons(CKvDoc* doc) {
  QList<std::pair<int, int>> cells;
  for (int r = 0; r < doc->GetRowCount(); ++r)
    for (int c = 2; c < 9; ++c)
      if (!KvPkGridWindowTest::RowTexts(doc, r)[c].isEmpty())
        cells.append({r, c});
  return cells;
}

// A catalogue's Settings list: 新增 pressed once (its edit dialog gets the
// next step), then the list closed.
int PressNew(QDialog* list) {
  KvDlgItem<QPushButton>(list, CKvPkCatalogListDlg::IDC_NEW)->click();
  return QDialog::Rejected;
}

// The open dialog answered with a new plan, or accepted as it opens.
KvStep OpenDialog(bool newPlan) {
  return [newPlan](QDialog* dialog) {
    auto* open = qobject_cast<CPkOpenPlanDlg*>(dialog);
    if (!open)
      return int(QDialog::Rejected);
    if (newPlan) {
      // From 1 March: the dialog's own checks run.
      KvPkGridWindowTest::PickPlan(*open, QStringLiteral("新计划"));
      KvDlgItem<CKvEdit>(open, CPkOpenPlanDlg::IDC_DATE_MONTH)->setText(QStringLiteral("03"));
      KvDlgItem<CKvEdit>(open, CPkOpenPlanDlg::IDC_DATE_DAY)->setText(QStringLiteral("01"));
    }
    return KvPkGridWindowTest::PressOk(*open);
  };
}

// The program started for real: fresh settings and data folder, the school
// edition with its modules, 101 logged in through the login dialog on a new
// SQLite file in the default folder or a new PostgreSQL database the dialog
// makes. Dialogs after the login get the test's steps in turn.
class KvPkEndToEndTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    KvRegDeleteTree(KvRegRoot::CurrentUser, QStringLiteral("Software"));
    QDir(KvDefaultDataFolder()).removeRecursively();
    if (GetParam() == 2) {
      KV_REQUIRE_PG_SERVER();
      m_server = KvTestDb::ServerInfo(2);
      ASSERT_TRUE(m_serverFiles.Take());
      m_database = m_serverFiles.Name(QDate::currentDate().year());
      m_answers.login = [this](CKvLoginDlg& dialog) {
        KvDlgItem<QComboBox>(&dialog, CKvLoginDlg::IdKind)->setCurrentIndex(CKvLoginDlg::KindPostgres);
        KvDlgItem<QLineEdit>(&dialog, CKvLoginDlg::IdServer)->setText(m_server.m_strServer);
        KvDlgItem<QLineEdit>(&dialog, CKvLoginDlg::IdUser)->setText(m_server.m_strUser);
        KvDlgItem<QLineEdit>(&dialog, CKvLoginDlg::IdServerPassword)->setText(m_server.m_strPassword);
        KvDlgItem<QLineEdit>(&dialog, CKvLoginDlg::IdDatabase)->setText(m_database);
        KvDlgItem<QPushButton>(&dialog, CKvLoginDlg::IdNewFile)->click();
        return true;
      };
    }
    m_app = std::make_unique<KvPkTestApp>();
  }
  void TearDown() override {
    if (m_app) {
      CloseAll();
      if (m_app->GetDb()->IsOpen())
        KvRequestQuit(0);
      m_app.reset();
    }
  }

  CKvDb* pdb() { return m_app->GetDb(); }
  static CFormDataType* Module() { return dynamic_cast<CFormDataType*>(KvFindDataType(19)); }
  void Answer(QList<KvStep> steps) {
    m_steps = std::move(steps);
    m_answers.other = [this](QDialog* dialog) {
      return m_steps.isEmpty() ? int(QDialog::Rejected) : m_steps.takeFirst()(dialog);
    };
  }
  QStringList Column(const QString& sql) {
    QStringList values;
    pdb()->QueryTexts(sql, &values, 1);
    return values;
  }
  QStringList LogNotes(int task) {
    QStringList notes = Column(QStringLiteral("Select rtrim(sNote) From KvLog Where nTaskID=%1").arg(task));
    notes.sort();
    return notes;
  }
  void AddNode(const QString& code, const QString& name) {
    CStd node(pdb(), code);
    node.NA = name;
    ASSERT_EQ(node.InsertRow(), 1) << code.toStdString();
  }
  void CloseAll() {
    for (QMdiSubWindow* window : m_app->GetMainFrame()->MdiClient()->subWindowList())
      if (auto* frame = qobject_cast<CFormChildFrm*>(window))
        frame->CloseWithoutAsking();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  KvDialogAnswers m_answers;
  KvScopedDialogExec m_exec{[this](QDialog* dialog) { return m_answers.run(dialog); }};
  QList<KvStep> m_steps;
  std::unique_ptr<KvPkTestApp> m_app;
  CKvDbInfo m_server;
  KvTestServerFiles m_serverFiles;
  QString m_database;
};

TEST_P(KvPkEndToEndTest, SchoolPlanArrangeMoveSaveReopenAndPrint) {
  ASSERT_TRUE(m_app->StartUp({QStringLiteral("kvqy")}));
  ASSERT_EQ(m_answers.seen.value(0), QStringLiteral("dlg_815"));
  ASSERT_EQ(m_app->GetDataFile().GetOperatorCode(), u"101");
  ASSERT_EQ(pdb()->GetKind(), GetParam());
  const QString year = QString::number(m_app->GetDataFile().GetYear());

  // The operator's rights in the module, as the operators dialog grants them.
  for (const char* right : {"0084", "1901", "1902", "1903", "1904", "1905", "1906", "1907", "1908"})
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into PWR(OPNO,PWR) Values('101','%1')").arg(QLatin1String(right))));
  ASSERT_TRUE(m_app->GetDataFile().LoadRights());

  // The school: a unit, a grade, two classes.
  ASSERT_TRUE(KvSetTimetableTreeParams(pdb()));
  AddNode(QStringLiteral("01"), QStringLiteral("本校"));
  AddNode(QStringLiteral("0101"), QStringLiteral("一年级"));
  AddNode(QStringLiteral("010101"), QStringLiteral("1班"));
  AddNode(QStringLiteral("010102"), QStringLiteral("2班"));

  // A teacher and a course through their Settings lists.
  Answer({PressNew, [](QDialog* edit) {
            KvSetText(edit, 1065, QStringLiteral("0001"));
            KvSetText(edit, 1066, QStringLiteral("王芳"));
            return KvPressOk(edit);
          }});
  m_app->ExecuteCmd(KV_CMD_SET_TEACHERS);
  Answer({PressNew, [](QDialog* edit) {
            KvSetText(edit, 1064, QStringLiteral("0001"));
            KvSetText(edit, 1035, QStringLiteral("语文"));
            KvSetText(edit, 1063, QStringLiteral("语文"));
            return KvPressOk(edit);
          }});
  m_app->ExecuteCmd(KV_CMD_SET_COURSES);
  ASSERT_EQ(Column(QStringLiteral("Select rtrim(NA) From TCHR")), QStringList{QStringLiteral("王芳")});
  ASSERT_EQ(Column(QStringLiteral("Select rtrim(NA) From SBT")), QStringList{QStringLiteral("语文")});

  // The period schedule of the spring term as its card opens.
  auto* card = dynamic_cast<CWktDoc*>(Module()->OpenDocument(270, 0));
  ASSERT_NE(card, nullptr);
  {
    KvScriptedAnswers answers;
    ASSERT_TRUE(card->FindView<CWktView>()->SaveRecord(0));
    ASSERT_TRUE(answers.texts.isEmpty()) << answers.texts.join(u'|').toStdString();
  }
  CloseAll();

  // A new plan: the grade's row, then the teacher in each class.
  Answer({OpenDialog(true)});
  KvScriptedAnswers answers;
  auto* plan = dynamic_cast<CWkjhDoc*>(Module()->OpenDocument(271, 0));
  ASSERT_NE(plan, nullptr) << answers.texts.join(u'|').toStdString();
  const QString version = plan->m_key.T;
  ASSERT_EQ(version, year + QStringLiteral("0301"));
  ASSERT_TRUE(plan->SelectCode(QStringLiteral("0101")));
  ASSERT_EQ(plan->GetRowCount(), 0);
  plan->AppendRow(plan->NewRow());
  KvPkGridWindowTest::Grid(plan)->InitLayout();
  for (const auto& [column, text] : {std::pair{kCourse, "0001"}, std::pair{kPeriods, "2"}, std::pair{kRun, "1"},
                                     std::pair{kPriority, "1"}})
    ASSERT_TRUE(KvPkGridWindowTest::Type(plan, 0, column, QString::fromUtf8(text)));
  ASSERT_TRUE(plan->Save());
  for (const QString& klass : {QStringLiteral("010101"), QStringLiteral("010102")}) {
    ASSERT_TRUE(plan->SelectCode(klass));
    ASSERT_TRUE(KvPkGridWindowTest::Type(plan, 0, kTeacher, QStringLiteral("0001")));
    ASSERT_TRUE(KvPkGridWindowTest::Type(plan, 0, kWeekKind, QStringLiteral("0")));
    ASSERT_TRUE(plan->Save());
  }
  CloseAll();

  // Arrange the grade from the timetable window's tree, answering Yes.
  Answer({OpenDialog(false)});
  KvPkGridWindowTest::SetOpenArgs(272, 0, {year, QStringLiteral("0"), version, QStringLiteral("010101"), QString()});
  auto* doc = dynamic_cast<CPKDoc*>(Module()->OpenDocument(272, 0));
  ASSERT_NE(doc, nullptr);
  CPKTreeView* tree = doc->FindView<CPKTreeView>();
  tree->setCurrentItem(tree->currentItem()->parent());
  ASSERT_EQ(doc->m_grid.STD, QStringLiteral("0101"));
  tree->ExecuteCmd(KV_CMD_ARRANGE);
  EXPECT_TRUE(answers.texts.contains(QStringLiteral("要保存此次排课结果吗？")));
  ASSERT_EQ(Column(QStringLiteral("Select Count(*) From PK")), QStringList{QStringLiteral("4")});
  tree->setCurrentItem(tree->currentItem()->child(0));
  ASSERT_EQ(doc->m_grid.STD, QStringLiteral("010101"));
  const QList<std::pair<int, int>> mine = Lessons(doc);
  ASSERT_EQ(mine.size(), 2);

  // Onto a period where the teacher has class 2: refused, the edit kept.
  tree->setCurrentItem(tree->currentItem()->parent()->child(1));
  const QList<std::pair<int, int>> theirs = Lessons(doc);
  ASSERT_EQ(theirs.size(), 2);
  tree->setCurrentItem(tree->currentItem()->parent()->child(0));
  const auto [row, column] = mine[0];
  const auto [busyRow, busyColumn] = theirs[0];
  ASSERT_TRUE(KvPkGridWindowTest::Type(doc, row, column, QString()));
  ASSERT_TRUE(KvPkGridWindowTest::Type(doc, busyRow, busyColumn, QStringLiteral("1")));
  {
    KvScriptedAnswers refused;
    EXPECT_FALSE(doc->Save());
    ASSERT_EQ(refused.Stops().size(), 1);
    EXPECT_TRUE(refused.Stops()[0].contains(QStringLiteral("任课教师王芳此时在<(010102)2班>有课")))
        << refused.Stops()[0].toStdString();
  }
  EXPECT_EQ(KvPkGridWindowTest::RowTexts(doc, busyRow)[busyColumn], QStringLiteral("0001"));
  // Then to a free period of both classes.
  int freeRow = -1, freeColumn = -1;
  for (int r = 0; r < doc->GetRowCount() && freeRow < 0; ++r)
    for (int c = 3; c <= 7 && freeRow < 0; ++c)
      if (!mine.contains({r, c}) && !theirs.contains({r, c})) {
        freeRow = r;
        freeColumn = c;
      }
  ASSERT_TRUE(KvPkGridWindowTest::Type(doc, busyRow, busyColumn, QString()));
  ASSERT_TRUE(KvPkGridWindowTest::Type(doc, freeRow, freeColumn, QStringLiteral("1")));
  {
    KvScriptedAnswers saved;
    EXPECT_TRUE(doc->Save());
    EXPECT_TRUE(saved.texts.isEmpty()) << saved.texts.join(u'|').toStdString();
  }
  CloseAll();

  // Reopened on the remembered version and class.
  QStringList offered;
  Answer({[&offered](QDialog* dialog) {
    auto* open = qobject_cast<CPkOpenPlanDlg*>(dialog);
    offered = {open->Y, QString::number(open->QC), open->T};
    return KvPkGridWindowTest::PressOk(*open);
  }});
  doc = dynamic_cast<CPKDoc*>(Module()->OpenDocument(272, 0));
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(offered, (QStringList{year, QStringLiteral("0"), version}));
  EXPECT_EQ(doc->m_grid.STD, QStringLiteral("010101"));
  QList<std::pair<int, int>> expected = {mine[1], {freeRow, freeColumn}};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Lessons(doc), expected);

  // Printed: the class path, the weekday heads, each lesson under its day
  // and the earlier period above the later.
  {
    KvFakePrinterCatalogue printers;
    KvPrintAnswers printed(KvTestPdfPath());
    KvPkGridWindowTest::Grid(doc)->ExecuteCmd(KV_CMD_FILE_PRINT);
    const KvPdfReadBack pdf = KvReadPdf(printed.pdfPath);
    ASSERT_TRUE(pdf.ok);
    EXPECT_TRUE(pdf.PageTexts(0).join(u' ').contains(QStringLiteral("本校/一年级/1班")));
    // Lessons print as course names, never as codes.
    EXPECT_TRUE(pdf.Find(QStringLiteral("0001"), 0).isEmpty());
    const QList<KvPdfWord> lessons = pdf.Find(QStringLiteral("语文"), 0);
    ASSERT_EQ(lessons.size(), 2);
    QList<std::pair<int, double>> printedAt;  // (column, top) of each printed lesson
    for (const KvPdfWord& word : lessons) {
      const double centre = (word.left + word.right) / 2;
      int day = -1;
      for (int d = 1; d <= 5; ++d)
        for (const KvPdfWord& head : pdf.Find(KvWeekdayName(d), 0))
          if (centre > head.left - 3 && centre < head.right + 3 && word.top > head.bottom)
            day = d + 2;
      printedAt.append({day, word.top});
    }
    const auto topUnder = [&printedAt](int day) {
      for (const auto& [column, top] : printedAt)
        if (column == day)
          return top;
      return -1.0;
    };
    for (const auto& [r, c] : expected)
      EXPECT_GE(topUnder(c), 0) << "no lesson printed under the day of column " << c;
    // Of two lessons on different days, the earlier period prints higher.
    if (expected[0].first != expected[1].first && expected[0].second != expected[1].second) {
      EXPECT_LT(topUnder(expected[0].second), topUnder(expected[1].second));
    }
  }
  CloseAll();

  // The log: the login, the teacher, the course, each window opened, the
  // schedule, the three plan saves, the arrange, the hand save, the print.
  const QString term = year + QStringLiteral("年春季学期(") + version + u')';
  QStringList expectedLog = {
      QStringLiteral("操作员：管理员(101) 开始工作"),
      QStringLiteral("新增：0001 - 王芳"),
      QStringLiteral("新增：0001 - 语文"),
      QStringLiteral("设置作息时间"),
      QStringLiteral("保存%1年春季学期作息时间表").arg(year),
      QStringLiteral("制订教学计划"),
      QStringLiteral("保存本校/一年级") + term + QStringLiteral("教学计划"),
      QStringLiteral("保存本校/一年级/1班") + term + QStringLiteral("教学计划"),
      QStringLiteral("保存本校/一年级/2班") + term + QStringLiteral("教学计划"),
      QStringLiteral("班课表"),
      QStringLiteral("保存<0101>") + term + QStringLiteral("课表"),
      QStringLiteral("保存本校/一年级/1班") + term + QStringLiteral("课表"),
      QStringLiteral("班课表"),
      QStringLiteral("打印“课程表”"),
  };
  QStringList log = Column(QStringLiteral("Select rtrim(sNote) From KvLog"));
  log.sort();
  expectedLog.sort();
  EXPECT_EQ(log, expectedLog);
}

// On a data file with last year's schedule the card opens in the shown main
// window on it, unsaved: closing asks, and Yes stores and logs the file's year.
TEST_P(KvPkEndToEndTest, LastYearsScheduleIsOfferedForSavingUnderTheFilesYearOnClose) {
  ASSERT_TRUE(m_app->StartUp({QStringLiteral("kvqy")}));
  const QString year = QString::number(m_app->GetDataFile().GetYear());
  CWktRec lastYear(QString::number(year.toInt() - 1), 0);
  lastYear.SetDefaults();
  ASSERT_TRUE(lastYear.Save(pdb()));
  for (const char* right : {"1903", "1904"})
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into PWR(OPNO,PWR) Values('101','%1')").arg(QLatin1String(right))));
  ASSERT_TRUE(m_app->GetDataFile().LoadRights());
  m_app->GetMainFrame()->show();
  QApplication::processEvents();
  auto* card = dynamic_cast<CWktDoc*>(Module()->OpenDocument(270, 0));
  ASSERT_NE(card, nullptr);
  QApplication::processEvents();
  EXPECT_EQ(card->m_wkt.Y, year);
  QString reason;
  EXPECT_TRUE(card->HasUnsavedEdits(reason));
  {
    KvScriptedAnswers answers({KV_IDYES});
    EXPECT_TRUE(m_app->GetMainFrame()->close());
    EXPECT_EQ(answers.texts, QStringList{QStringLiteral("当前文档已发生了变化，存盘吗？")});
  }
  EXPECT_EQ(Column(QStringLiteral("Select Count(*) From WKT Where Y='%1' And QC='0'").arg(year)),
            QStringList{QStringLiteral("12")});
  EXPECT_TRUE(LogNotes(1902).contains(QStringLiteral("保存%1年春季学期作息时间表").arg(year)));
}

INSTANTIATE_TEST_SUITE_P(Kinds, KvPkEndToEndTest, ::testing::Values(0, 2), KvDbKindName);
}  // namespace
