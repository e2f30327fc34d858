// The operator's walk through the plan and timetable windows on the real
// start-up: a school written through the records, a new plan entered in
// the plan window (grade row, teacher in both classes), the grade arranged
// from the timetable window, a lesson moved by hand onto its teacher's
// lesson in the other class (refused, edit kept) and then to a free
// period, the window reopened on what it remembers, the timetable printed
// to PDF, and the log of every step. Also each window and the open dialog
// rendered offscreen.

#include "KvPkGridWindowTestSupport.h"

#include "core/CKvDb.h"
#include "core/KvDate.h"
#include "core/KvFakePrinterCatalogue.h"
#include "forms/CForthView.h"
#include "forms/CFormChildFrm.h"
#include "forms/CFormDataType.h"
#include "print/KvPdfReadBack.h"
#include "print/KvPrintTestSupport.h"
#include "timetable/CPKDoc.h"
#include "timetable/CPKTreeView.h"
#include "timetable/CPkOpenPlanDlg.h"
#include "timetable/CWkjhDoc.h"
#include "ui/CKvEdit.h"
#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"

#include <gtest/gtest.h>

#include <QDir>

#include <algorithm>

namespace {
enum { kCourse, kTeacher, kRoom, kPeriods, kRun, kPriority, kFixed, kBarred, kWeekKind };

class KvPkWindowWalkTest : public KvPkGridWindowTest {
 protected:
  void SetUp() override {
    KvPkGridWindowTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    AddClasses(2);
    SaveSchedule(4, 4);
    AddCourse(QStringLiteral("0001"), QStringLiteral("语文"));
    AddTeacher(QStringLiteral("0001"), QStringLiteral("王芳"));
  }
  // The grid cells of a class timetable that hold a lesson: (row, column).
  static QList<std::pair<int, int>> Lessons(CKvDoc* doc) {
    QList<std::pair<int, int>> cells;
    for (int r = 0; r < doc->GetRowCount(); ++r)
      for (int c = 2; c < 9; ++c)
        if (!RowTexts(doc, r)[c].isEmpty())
          cells.append({r, c});
    return cells;
  }
};

TEST_P(KvPkWindowWalkTest, PlanArrangeMoveSaveReopenAndPrint) {
  // A new plan from 1 September: the dialog's own checks run.
  AnswerOpenDialog([](CPkOpenPlanDlg& dialog) {
    PickPlan(dialog, QStringLiteral("新计划"));
    KvDlgItem<CKvEdit>(&dialog, CPkOpenPlanDlg::IDC_DATE_MONTH)->setText(QStringLiteral("09"));
    KvDlgItem<CKvEdit>(&dialog, CPkOpenPlanDlg::IDC_DATE_DAY)->setText(QStringLiteral("01"));
    return PressOk(dialog);
  });
  KvScriptedAnswers answers;
  CWkjhDoc* plan = OpenPlan(QStringLiteral("0101"));
  ASSERT_NE(plan, nullptr);
  ASSERT_EQ(plan->m_key.T, kDate);
  ASSERT_EQ(plan->GetRowCount(), 0);
  plan->AppendRow(plan->NewRow());
  Grid(plan)->InitLayout();
  for (const auto& [column, text] : {std::pair{kCourse, "0001"}, std::pair{kPeriods, "2"}, std::pair{kRun, "1"},
                                     std::pair{kPriority, "1"}})
    ASSERT_TRUE(Type(plan, 0, column, QString::fromUtf8(text)));
  ASSERT_TRUE(plan->Save());
  for (const QString klass : {QStringLiteral("010101"), QStringLiteral("010102")}) {
    ASSERT_TRUE(plan->SelectCode(klass));
    ASSERT_TRUE(Type(plan, 0, kTeacher, QStringLiteral("0001")));
    ASSERT_TRUE(Type(plan, 0, kWeekKind, QStringLiteral("0")));
    ASSERT_TRUE(plan->Save());
  }
  CloseAll();

  // Arrange the grade from the timetable window's tree.
  AnswerOpenDialog();
  CPKDoc* doc = OpenTimetable(0, QStringLiteral("010101"));
  ASSERT_NE(doc, nullptr);
  CPKTreeView* tree = doc->FindView<CPKTreeView>();
  tree->setCurrentItem(tree->currentItem()->parent());
  ASSERT_EQ(doc->m_grid.STD, QStringLiteral("0101"));
  tree->ExecuteCmd(KV_CMD_ARRANGE);
  EXPECT_TRUE(answers.texts.contains(QStringLiteral("要保存此次排课结果吗？")));
  ASSERT_EQ(Rows(QStringLiteral("PK"), QStringLiteral("STD")).size(), 4);
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
  ASSERT_TRUE(Type(doc, row, column, QString()));
  ASSERT_TRUE(Type(doc, busyRow, busyColumn, QStringLiteral("1")));
  {
    KvScriptedAnswers refused;
    EXPECT_FALSE(doc->Save());
    ASSERT_EQ(refused.Stops().size(), 1);
    EXPECT_TRUE(refused.Stops()[0].contains(QStringLiteral("任课教师王芳此时在<(010102)2班>有课")));
  }
  EXPECT_EQ(RowTexts(doc, busyRow)[busyColumn], QStringLiteral("0001"));
  // Then to a free period of both classes.
  int freeRow = -1, freeColumn = -1;
  for (int r = 0; r < doc->GetRowCount() && freeRow < 0; ++r)
    for (int c = 3; c <= 7 && freeRow < 0; ++c)
      if (!mine.contains({r, c}) && !theirs.contains({r, c})) {
        freeRow = r;
        freeColumn = c;
      }
  ASSERT_TRUE(Type(doc, busyRow, busyColumn, QString()));
  ASSERT_TRUE(Type(doc, freeRow, freeColumn, QStringLiteral("1")));
  {
    KvScriptedAnswers saved;
    EXPECT_TRUE(doc->Save());
    EXPECT_TRUE(saved.texts.isEmpty());
  }
  CloseAll();

  // Reopened on the remembered version and class.
  QStringList offered;
  AnswerOpenDialog([&offered](CPkOpenPlanDlg& dialog) {
    offered = {dialog.Y, QString::number(dialog.QC), dialog.T};
    return PressOk(dialog);
  });
  auto* type = dynamic_cast<CFormDataType*>(KvFindDataType(19));
  doc = dynamic_cast<CPKDoc*>(type->OpenDocument(272, 0));
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(offered, (QStringList{kYear, QString::number(kTerm), kDate}));
  EXPECT_EQ(doc->m_grid.STD, QStringLiteral("010101"));
  QList<std::pair<int, int>> expected = {mine[1], {freeRow, freeColumn}};
  std::sort(expected.begin(), expected.end());
  const QList<std::pair<int, int>> now = Lessons(doc);
  EXPECT_EQ(now, expected);

  // Printed: the class path, the weekday heads, each lesson under its day
  // and the earlier period above the later.
  KvFakePrinterCatalogue printers;
  KvPrintAnswers printed(KvTestPdfPath());
  Grid(doc)->ExecuteCmd(KV_CMD_FILE_PRINT);
  const KvPdfReadBack pdf = KvReadPdf(printed.pdfPath);
  ASSERT_TRUE(pdf.ok);
  EXPECT_TRUE(pdf.PageTexts(0).join(u' ').contains(QStringLiteral("本校/一年级/1班")));
  const QList<KvPdfWord> lessons = pdf.Find(QStringLiteral("0001"), 0);
  ASSERT_EQ(lessons.size(), 2);
  QList<std::pair<int, double>> printedAt;  // (column, top) of each printed lesson
  for (const KvPdfWord& word : lessons) {
    const double centre = (word.left + word.right) / 2;
    int column = -1;
    for (int d = 1; d <= 5; ++d)
      for (const KvPdfWord& head : pdf.Find(KvWeekdayName(d), 0))
        if (centre > head.left - 3 && centre < head.right + 3 && word.top > head.bottom)
          column = d + 2;
    printedAt.append({column, word.top});
  }
  for (const auto& [r, c] : expected) {
    int found = 0;
    for (const auto& [column, top] : printedAt)
      found += column == c ? 1 : 0;
    EXPECT_GE(found, 1) << "no lesson printed under the day of column " << c;
  }
  if (expected[0].second != expected[1].second && expected[0].first != expected[1].first) {
    const double top0 = printedAt[0].first == expected[0].second ? printedAt[0].second : printedAt[1].second;
    const double top1 = printedAt[0].first == expected[1].second ? printedAt[0].second : printedAt[1].second;
    EXPECT_LT(top0, top1);
  }

  // The log: three plan saves, the arrange and the hand save, the print.
  EXPECT_EQ(LogNotes(3).size(), 3);
  EXPECT_EQ(LogNotes(4).size(), 2);
}

TEST_P(KvPkWindowWalkTest, WindowsAndOpenDialogRenderOffscreen) {
  AddPlan(QStringLiteral("0101"), QStringLiteral("0001"), 2, 1);
  Assign(QStringLiteral("010101"), QStringLiteral("0001"), QStringLiteral("0001"));
  AddLesson(QStringLiteral("010101"), 1, 'B', 1, QStringLiteral("0001"), QStringLiteral("0001"));
  AddLesson(QStringLiteral("010101"), 3, 'C', 2, QStringLiteral("0001"), QStringLiteral("0001"), QString(), 1);
  const QString folder = QDir::temp().filePath(QStringLiteral("kvpk-windows"));
  QDir().mkpath(folder);
  CPkOpenPlanDlg dialog(0);
  dialog.Y = kYear;
  dialog.QC = kTerm;
  dialog.T = kDate;
  dialog.show();
  EXPECT_TRUE(dialog.grab().save(folder + QStringLiteral("/dlg_965.png")));
  dialog.hide();
  m_area->area.show();
  for (int page = 0; page < 2; ++page) {
    CPKDoc* doc = OpenTimetable(page, page == 0 ? QStringLiteral("010101") : QStringLiteral("0001"));
    ASSERT_NE(doc, nullptr);
    CFormChildFrm* frame = doc->GetFrames().at(0);
    frame->resize(900, 460);
    EXPECT_TRUE(frame->grab().save(folder + QStringLiteral("/timetable_%1.png").arg(page)));
  }
  CWkjhDoc* plan = OpenPlan(QStringLiteral("0101"));
  ASSERT_NE(plan, nullptr);
  CFormChildFrm* frame = plan->GetFrames().at(0);
  frame->resize(900, 360);
  EXPECT_TRUE(frame->grab().save(folder + QStringLiteral("/plan.png")));
}

KV_DB_KIND_TEST_SUITE(KvPkWindowWalkTest);
}  // namespace
