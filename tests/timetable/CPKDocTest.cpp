// The timetable window on a small school: typed cells (checked without
// statements, kept canonical), hand saves through the checker (clashes in
// every week kind, the count question), switching with unsaved edits,
// arranging from its three places, deleting under a grade, the read-only
// teacher and room pages, the open arguments, every write all or nothing;
// and each window and the open dialog rendered offscreen.

#include "KvPkGridWindowTestSupport.h"
#include "KvPkWindowTestSupport.h"

#include "core/CKvDb.h"
#include "core/KvDbTransaction.h"
#include "core/KvFakePrinterCatalogue.h"
#include "forms/CForthView.h"
#include "forms/CFormChildFrm.h"
#include "forms/CFormDataType.h"
#include "print/KvPdfReadBack.h"
#include "print/KvPrintTestSupport.h"
#include "support/KvStationInFlight.h"
#include "timetable/CPKDoc.h"
#include "timetable/CPKTreeView.h"
#include "timetable/CPKView.h"
#include "timetable/CPkOpenPlanDlg.h"
#include "timetable/CWkjhDoc.h"
#include "timetable/CWkjhRec.h"
#include "timetable/CWktView.h"
#include "timetable/KvPkDocSupport.h"
#include "ui/CKvEdit.h"
#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"
#include "ui/KvUiTestSupport.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QMenu>

#include <utility>

namespace {
// Shown columns: segment, period, then Sunday .. Saturday.
constexpr int kMonday = 3;
constexpr int kTuesday = 4;
constexpr int kWednesday = 5;

class CPKDocTest : public KvPkGridWindowTest {
 protected:
  void SetUp() override {
    KvPkGridWindowTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    AddClasses(2);
    SaveSchedule(4, 4);
    AddCourse(QStringLiteral("0001"), QStringLiteral("语文"));
    AddCourse(QStringLiteral("0002"), QStringLiteral("音乐"));
    AddTeacher(QStringLiteral("0001"), QStringLiteral("王芳"));
    AddTeacher(QStringLiteral("0002"), QStringLiteral("李娜"));
    AddRoom(QStringLiteral("001"), QStringLiteral("琴房"));
    AddPlan(QStringLiteral("0101"), QStringLiteral("0001"), 2, 1);
    AddPlan(QStringLiteral("0101"), QStringLiteral("0002"), 1, 1, 2);
    for (const QString& klass : {QStringLiteral("010101"), QStringLiteral("010102")}) {
      Assign(klass, QStringLiteral("0001"), QStringLiteral("0001"));
      Assign(klass, QStringLiteral("0002"), QStringLiteral("0002"), QStringLiteral("001"), 1);
    }
  }
  QStringList ClassRows(const QString& klass) {
    return Rows(QStringLiteral("PK"), QStringLiteral("rtrim(WK),rtrim(DT),rtrim(DN),rtrim(DS),rtrim(SBT),rtrim(TCHR),rtrim(PUBRM)"),
                QStringLiteral("Where STD='%1'").arg(klass));
  }
  QStringList AllRows() { return Rows(QStringLiteral("PK"), QStringLiteral("rtrim(STD),rtrim(WK),rtrim(DT),rtrim(DN),rtrim(DS),rtrim(SBT),rtrim(TCHR),rtrim(PUBRM)")); }
  static CPKTreeView* Tree(CPKDoc* pDoc) { return pDoc->FindView<CPKTreeView>(); }
};

TEST_P(CPKDocTest, TypedCellsAreCheckedAndKeptAsTheyAreSaved) {
  CPKDoc* doc = OpenTimetable();
  ASSERT_NE(doc, nullptr);
  ASSERT_FALSE(doc->m_bReadOnly);
  ASSERT_EQ(doc->GetRowCount(), 8);  // row r is period r: 4 morning, 4 afternoon
  EXPECT_EQ(RowTexts(doc, 0).mid(0, 2), (QStringList{QStringLiteral("早上"), QStringLiteral("1")}));
  EXPECT_EQ(RowTexts(doc, 4).mid(0, 2), (QStringList{QStringLiteral("下午"), QStringLiteral("1")}));
  struct Case {
    const char* typed;
    const char* kept;
    bool good;
  };
  const Case cases[] = {
      {"1", "0001", true},        // every week, canonical
      {"d2", "D0002", true},      // odd weeks, as the plan has it
      {"s2", "s2", false},        // the plan has odd weeks
      {"2", "2", false},          // likewise
      {"X1", "X1", false},        // no syntax
      {"3", "3", false},          // not in the plan
      {"00001", "00001", false},  // longer than a course code
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    ASSERT_TRUE(Type(doc, 1, kMonday, QString::fromUtf8(c.typed)));
    EXPECT_EQ(RowTexts(doc, 1)[kMonday], QString::fromUtf8(c.kept));
    EXPECT_EQ(Grid(doc)->GetCellColor(1, kMonday, QStringLiteral("TEXT")) == QColor(Qt::red), !c.good);
  }
  // Sunday is no teaching day: its cells cannot be typed into.
  EXPECT_FALSE(Type(doc, 1, 2, QStringLiteral("1")));

  // A refused cell stops the save with the list of bad cells.
  KvScriptedAnswers answers;
  EXPECT_FALSE(doc->Save());
  ASSERT_FALSE(answers.Stops().isEmpty());
  EXPECT_TRUE(answers.Stops()[0].startsWith(QStringLiteral("下列单元格出错：\n第2行")));
  EXPECT_TRUE(ClassRows(QStringLiteral("010101")).isEmpty());

  // Enter from a typed cell opens the course list on the next, empty one;
  // Ctrl+S on it closes the list and saves (yes to the count question).
  ASSERT_TRUE(Type(doc, 1, kMonday, QStringLiteral("1")));
  KvScriptedAnswers counts({KV_IDYES});
  KvScopedPopupMenuExec save([](QMenu* menu, const QPoint&) -> QAction* {
    QTest::keyClick(menu, Qt::Key_S, Qt::ControlModifier);
    return nullptr;
  });
  Grid(doc)->PlaceCaret(1, kMonday, 0, QStringLiteral("TEXT"));
  QTest::keyClick(Grid(doc)->Editor(), Qt::Key_Return);
  EXPECT_EQ(ClassRows(QStringLiteral("010101")), QStringList{QStringLiteral("1|B|2|0|0001|0001|")});
  EXPECT_FALSE(Grid(doc)->IsChanged());
}

TEST_P(CPKDocTest, CellsShowNamesOnScreenAndOnPaperWhileTheyKeepTheirCodes) {
  AddCourse(QStringLiteral("0003"), QStringLiteral("美术"));
  AddPlan(QStringLiteral("0101"), QStringLiteral("0003"), 1, 1);
  Assign(QStringLiteral("010101"), QStringLiteral("0003"), QStringLiteral("0001"), QString(), 2);
  AddLesson(QStringLiteral("010101"), 1, 'B', 1, QStringLiteral("0001"), QStringLiteral("0001"));
  AddLesson(QStringLiteral("010101"), 2, 'B', 1, QStringLiteral("0002"), QStringLiteral("0002"), QStringLiteral("001"), 1);
  AddLesson(QStringLiteral("010101"), 2, 'B', 1, QStringLiteral("0003"), QStringLiteral("0001"), QString(), 2);
  // A course the catalogue no longer has.
  AddLesson(QStringLiteral("010101"), 3, 'B', 2, QStringLiteral("0009"), QString());
  AddLesson(QStringLiteral("010102"), 1, 'B', 1, QStringLiteral("0002"), QStringLiteral("0002"), QStringLiteral("001"), 1);
  // One class, teacher and room with a course in odd and another in even weeks of one period.
  AddLesson(QStringLiteral("010101"), 3, 'B', 1, QStringLiteral("0002"), QStringLiteral("0002"), QStringLiteral("001"), 1);
  AddLesson(QStringLiteral("010101"), 3, 'B', 1, QStringLiteral("0003"), QStringLiteral("0002"), QStringLiteral("001"), 2);
  KvFakePrinterCatalogue printers;
  struct Case {
    int row;
    int column;
    const char* stored;
    const char* shown;
  };
  struct Page {
    int page;
    const char* code;
    QList<Case> cells;
  };
  const QList<Case> classCells = {{0, kMonday, "D010102", "(单)2班"}, {0, kTuesday, "D010101", "(单)1班"},
                                  {0, kWednesday, "D010101S010101", "(单)1班\n(双)1班"}};
  const Page pages[] = {
      {0, "010101",
       {{0, kMonday, "0001", "语文"}, {0, kTuesday, "D0002S0003", "(单)音乐\n(双)美术"}, {1, kWednesday, "0009", "0009"}}},
      {1, "0002", classCells},
      {2, "001", classCells},
  };
  for (const Page& page : pages) {
    SCOPED_TRACE(page.page);
    CPKDoc* doc = OpenTimetable(page.page, QString::fromUtf8(page.code));
    ASSERT_NE(doc, nullptr);
    KvPdfReadBack pdf;
    {
      KvPrintAnswers answers(KvTestPdfPath(QString::number(page.page)));
      Grid(doc)->ExecuteCmd(KV_CMD_FILE_PRINT);
      pdf = KvReadPdf(answers.pdfPath);
    }
    ASSERT_TRUE(pdf.ok);
    for (const Case& c : page.cells) {
      const QString stored = QString::fromUtf8(c.stored);
      const QString shown = QString::fromUtf8(c.shown);
      EXPECT_EQ(RowTexts(doc, c.row)[c.column], stored);
      EXPECT_EQ(doc->GetShownText(c.row, doc->m_colMap[c.column]), shown);
      for (const QString& line : shown.split(u'\n'))
        EXPECT_FALSE(pdf.Find(line).isEmpty()) << line.toStdString();
      if (stored != shown) {
        EXPECT_TRUE(pdf.Find(stored).isEmpty()) << c.stored;
      }
    }
    CloseAll();
  }

  // The editor shows the code; the cell the name of what an edit, its undo
  // and its redo store; a refresh reads the names anew.
  CPKDoc* doc = OpenTimetable();
  ASSERT_NE(doc, nullptr);
  CForthView* grid = Grid(doc);
  const int monday = doc->m_colMap[kMonday];
  grid->PlaceCaret(0, kMonday, 0, QStringLiteral("TEXT"));
  EXPECT_EQ(grid->Editor()->text(), QStringLiteral("0001"));
  ASSERT_TRUE(Type(doc, 0, kMonday, QStringLiteral("d2")));
  EXPECT_EQ(grid->Editor()->text(), QStringLiteral("D0002"));
  EXPECT_EQ(doc->GetShownText(0, monday), QStringLiteral("(单)音乐"));
  grid->UndoRedo(true);
  EXPECT_EQ(RowTexts(doc, 0)[kMonday], QStringLiteral("0001"));
  EXPECT_EQ(doc->GetShownText(0, monday), QStringLiteral("语文"));
  grid->UndoRedo(false);
  EXPECT_EQ(doc->GetShownText(0, monday), QStringLiteral("(单)音乐"));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update SBT Set NA='书法' Where KNO='0003'")));
  {
    KvScriptedAnswers answers({KV_IDNO});
    grid->ExecuteCmd(KV_CMD_REFRESH);
  }
  EXPECT_EQ(doc->GetShownText(0, monday), QStringLiteral("语文"));
  EXPECT_EQ(doc->GetShownText(0, doc->m_colMap[kTuesday]), QStringLiteral("(单)音乐\n(双)书法"));
}

TEST_P(CPKDocTest, HandSaveRefusesClashesInEveryWeekKindAndKeepsTheEdit) {
  // Class 2 has the teacher every week on Monday and in odd weeks on
  // Tuesday, first period each.
  AddLesson(QStringLiteral("010102"), 1, 'B', 1, QStringLiteral("0001"), QStringLiteral("0001"));
  AddLesson(QStringLiteral("010102"), 2, 'B', 1, QStringLiteral("0002"), QStringLiteral("0001"), QString(), 1);
  CPKDoc* doc = OpenTimetable();
  ASSERT_NE(doc, nullptr);
  for (int day : {kMonday, kTuesday}) {
    SCOPED_TRACE(day);
    ASSERT_TRUE(Type(doc, 0, day, QStringLiteral("1")));
    KvScriptedAnswers answers;
    EXPECT_FALSE(doc->Save());
    ASSERT_EQ(answers.Stops().size(), 1);
    EXPECT_TRUE(answers.Stops()[0].contains(QStringLiteral("任课教师王芳此时在<(010102)2班>有课"))) << answers.Stops()[0].toStdString();
    EXPECT_EQ(RowTexts(doc, 0)[day], QStringLiteral("0001"));
    EXPECT_TRUE(Grid(doc)->IsChanged());
    EXPECT_TRUE(ClassRows(QStringLiteral("010101")).isEmpty());
    ASSERT_TRUE(Type(doc, 0, day, QString()));
  }
  // The teacher, then the room, given to class 2 at the same period at
  // another workstation while the count question is open: refused as well.
  CKvDb other;
  ASSERT_TRUE(testDb().OpenAnother(other));
  for (const bool room : {false, true}) {
    ASSERT_TRUE(Type(doc, 0, kWednesday, room ? QStringLiteral("D2") : QStringLiteral("1")));
    KvScriptedAnswers answers;
    answers.onQuestion = [&] { AddLesson(QStringLiteral("010102"), 3, 'B', 1, QStringLiteral("0002"), room ? QString() : QStringLiteral("0001"), room ? QStringLiteral("001") : QString(), room, &other); };
    EXPECT_FALSE(doc->Save());
    ASSERT_EQ(answers.Stops().size(), 1);
    EXPECT_TRUE(answers.Stops()[0].endsWith(room ? QStringLiteral("公用教室<琴房>此时<(010102)2班>有课")
                                                 : QStringLiteral("任课教师王芳此时在<(010102)2班>有课")));
    EXPECT_TRUE(ClassRows(QStringLiteral("010101")).isEmpty());
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From PK Where WK='3'")));
  }
  // The class's teacher changed in the plan meanwhile: refused too.
  ASSERT_TRUE(Type(doc, 0, kWednesday, QStringLiteral("1")));
  {
    const QString plan = QStringLiteral("Update SBTTCHR Set TCHR='%1' Where STD='010101' And SBT='0001'");
    KvScriptedAnswers answers;
    answers.onQuestion = [&] { EXPECT_TRUE(other.Execute(plan.arg(QStringLiteral("0002")))); };
    EXPECT_FALSE(doc->Save());
    EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("本班的教学计划已被其他窗口或工作站修改，请刷新后重新输入！")});
    EXPECT_TRUE(ClassRows(QStringLiteral("010101")).isEmpty());
    ASSERT_TRUE(other.Execute(plan.arg(QStringLiteral("0001"))));
  }
  // The class recoded, deleted, a later plan version set up, each still in flight at another workstation when the count question is answered: waited for, then seen; refused, nothing stored.
  const char* gone[][3] = {
      {"Update STD Set KNO='010109' Where KNO='010101'", "Update STD Set KNO='010101' Where KNO='010109'", "“010101”已不存在，不能保存！"},
      {"Delete From STD Where KNO='010101'", "Insert Into STD(KNO,NA) Values('010101','1班')", "“010101”已不存在，不能保存！"},
      {kLaterPlan, kLaterPlanGone, "非最后一次计划，不能保存！"}};
  for (const auto& [change, undo, refusal] : gone) {
    std::unique_ptr<KvStationInFlight> station;
    KvScriptedAnswers answers;
    answers.onQuestion = [&] { station = std::make_unique<KvStationInFlight>(testDb(), QStringList{"STD", "PC", "WKJH", "SBTTCHR", "PK"}, QStringList{QString::fromUtf8(change)}); };
    EXPECT_FALSE(doc->Save());
    EXPECT_EQ(answers.Stops(), QStringList{QString::fromUtf8(refusal)});
    EXPECT_TRUE(station && station->Committed() && ClassRows(QStringLiteral("010101")).isEmpty() && other.Execute(QString::fromUtf8(undo)));
  }
  // The term without lessons, Wednesday's first period closed at another
  // workstation meanwhile: refused too.
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From PK")));
  CWktRec closed = m_schedule;
  closed.SBT[3][1][0] = 0;
  QString refusal;
  KvScriptedAnswers closing;
  closing.onQuestion = [&] { EXPECT_TRUE(closed.Save(m_schedule, &other, &refusal)); };
  EXPECT_FALSE(doc->Save());
  EXPECT_EQ(closing.Stops(), QStringList{QStringLiteral("作息时间表已被其他窗口或工作站修改，请刷新后重新输入！")});
  ASSERT_TRUE(AllRows().isEmpty() && m_schedule.Save(closed, &other, &refusal));
  // A free period: the count question decides (one of two lessons placed).
  ASSERT_TRUE(Type(doc, 0, kWednesday, QStringLiteral("1")));
  {
    KvScriptedAnswers answers({KV_IDNO});
    EXPECT_FALSE(doc->Save());
    EXPECT_TRUE(answers.texts.value(0).contains(QStringLiteral("下列课程排课数与计划不符")));
  }
  EXPECT_TRUE(ClassRows(QStringLiteral("010101")).isEmpty());
  KvScriptedAnswers answers({KV_IDYES});
  EXPECT_TRUE(doc->Save());
  EXPECT_EQ(answers.texts.size(), 1);  // the check run again asks nothing
  EXPECT_EQ(ClassRows(QStringLiteral("010101")), QStringList{QStringLiteral("3|B|1|0|0001|0001|")});
  EXPECT_FALSE(Grid(doc)->IsChanged());
  EXPECT_EQ(LogNotes(4).size(), 1);
}

TEST_P(CPKDocTest, HandSaveAndDeleteAreAllOrNothing) {
  CPKDoc* doc = OpenTimetable();
  ASSERT_NE(doc, nullptr);
  ASSERT_TRUE(Type(doc, 0, kMonday, QStringLiteral("1")));
  ASSERT_TRUE(Type(doc, 1, kMonday, QStringLiteral("1")));
  ASSERT_TRUE(Type(doc, 2, kMonday, QStringLiteral("d2")));
  KvScriptedAnswers answers;
  const auto state = [this] { return AllRows() + LogNotes(4); };
  EXPECT_GT(ExpectAllOrNothing(
                [&] {
                  const bool saved = doc->Save();
                  // A failed save keeps the edits and the window modified.
                  EXPECT_EQ(RowTexts(doc, 2)[kMonday], QStringLiteral("D0002"));
                  EXPECT_NE(Grid(doc)->IsChanged(), saved);
                  if (!saved)
                    return false;
                  return true;
                },
                state),
            0);
  EXPECT_EQ(ClassRows(QStringLiteral("010101")).size(), 3);

  // A later plan version set up since the window read: the delete refused, nothing deleted.
  ASSERT_TRUE(pdb()->Execute(QString::fromLatin1(kLaterPlan)));
  EXPECT_FALSE(doc->DeleteTimetables());
  EXPECT_TRUE(answers.Stops().endsWith(QStringLiteral("非最后一次计划，不能删除！")) && ClassRows(QStringLiteral("010101")).size() == 3 && pdb()->Execute(QString::fromLatin1(kLaterPlanGone)));
  // The grade's delete removes every class's timetable under it.
  AddLesson(QStringLiteral("010102"), 4, 'C', 2, QStringLiteral("0001"), QStringLiteral("0001"));
  ASSERT_TRUE(doc->SelectKey(QStringLiteral("0101")));
  EXPECT_TRUE(doc->m_bReadOnly);
  EXPECT_TRUE(RowTexts(doc, 0)[kMonday].isEmpty());
  ASSERT_TRUE(doc->CanDelete());
  EXPECT_GT(ExpectAllOrNothing(
                [&] { return doc->DeleteTimetables(); },
                state),
            0);
  EXPECT_EQ(LogNotes(4).size(), 2);
}

TEST_P(CPKDocTest, SwitchingAsksAboutEditsAndForgetsTheirUndo) {
  AddLesson(QStringLiteral("010102"), 5, 'C', 4, QStringLiteral("0001"), QStringLiteral("0001"));
  CPKDoc* doc = OpenTimetable();
  ASSERT_NE(doc, nullptr);
  CPKTreeView* tree = Tree(doc);
  ASSERT_NE(tree, nullptr);
  ASSERT_EQ(tree->currentItem()->text(0), QStringLiteral("01 1班"));
  QTreeWidgetItem* class2 = tree->currentItem()->parent()->child(1);

  ASSERT_TRUE(Type(doc, 0, kMonday, QStringLiteral("1")));
  {
    KvScriptedAnswers answers({KV_IDCANCEL});
    tree->setCurrentItem(class2);
    EXPECT_EQ(answers.texts, QStringList{QStringLiteral("当前文档已发生了变化，存盘吗？")});
  }
  EXPECT_EQ(doc->m_grid.STD, QStringLiteral("010101"));
  EXPECT_EQ(tree->currentItem()->text(0), QStringLiteral("01 1班"));
  EXPECT_EQ(RowTexts(doc, 0)[kMonday], QStringLiteral("0001"));
  {
    KvScriptedAnswers answers({KV_IDNO});
    tree->setCurrentItem(class2);
  }
  EXPECT_EQ(doc->m_grid.STD, QStringLiteral("010102"));
  EXPECT_EQ(RowTexts(doc, 7)[7], QStringLiteral("0001"));
  EXPECT_TRUE(RowTexts(doc, 0)[kMonday].isEmpty());
  // Undo has nothing of the other class to write into this grid.
  EXPECT_FALSE(Grid(doc)->IsChanged());
  Grid(doc)->ExecuteCmd(KV_CMD_EDIT_UNDO);
  EXPECT_TRUE(RowTexts(doc, 0)[kMonday].isEmpty());
  EXPECT_FALSE(Grid(doc)->IsChanged());
  EXPECT_TRUE(ClassRows(QStringLiteral("010101")).isEmpty());

  // A refresh asks too; Cancel keeps the edit.
  ASSERT_TRUE(Type(doc, 0, kMonday, QStringLiteral("1")));
  {
    KvScriptedAnswers answers({KV_IDCANCEL});
    Grid(doc)->ExecuteCmd(KV_CMD_REFRESH);
    EXPECT_EQ(answers.texts.size(), 1);
  }
  EXPECT_EQ(RowTexts(doc, 0)[kMonday], QStringLiteral("0001"));
  ASSERT_TRUE(Type(doc, 0, kMonday, QString()));

  // Yes saves the edit before the switch.
  ASSERT_TRUE(Type(doc, 0, kMonday, QStringLiteral("d2")));
  {
    KvScriptedAnswers answers({KV_IDYES, KV_IDYES});
    tree->setCurrentItem(class2->parent()->child(0));
  }
  EXPECT_EQ(doc->m_grid.STD, QStringLiteral("010101"));
  EXPECT_EQ(ClassRows(QStringLiteral("010102")).size(), 2);
}

TEST_P(CPKDocTest, ArrangeComesFromThreePlacesAndAsksAboutEditsFirst) {
  CPKDoc* doc = OpenTimetable();
  ASSERT_NE(doc, nullptr);
  CPKTreeView* tree = Tree(doc);
  auto* grid = doc->FindView<CPKView>();
  // The grid's right-click menu carries it before the cut item.
  QMenu menu;
  menu.addAction(QStringLiteral("剪切"))->setData(KV_CMD_EDIT_CUT);
  grid->AddContextMenuItems(&menu);
  ASSERT_EQ(menu.actions().size(), 3);
  EXPECT_EQ(menu.actions()[0]->data().toInt(), KV_CMD_ARRANGE);

  ASSERT_TRUE(Type(doc, 0, kMonday, QStringLiteral("1")));
  {
    KvScriptedAnswers answers({KV_IDCANCEL});
    tree->ExecuteCmd(KV_CMD_ARRANGE);
    EXPECT_EQ(answers.texts.size(), 1);
  }
  EXPECT_TRUE(AllRows().isEmpty());
  EXPECT_EQ(RowTexts(doc, 0)[kMonday], QStringLiteral("0001"));
  {
    // No discards the edit; the arrange's own question is answered Yes.
    KvScriptedAnswers answers({KV_IDNO, KV_IDYES});
    grid->ExecuteCmd(KV_CMD_ARRANGE);
    EXPECT_EQ(answers.texts.value(1), QStringLiteral("要保存此次排课结果吗？"));
  }
  // The selected class only.
  EXPECT_EQ(ClassRows(QStringLiteral("010101")).size(), 3);
  EXPECT_TRUE(ClassRows(QStringLiteral("010102")).isEmpty());
  EXPECT_FALSE(Grid(doc)->IsChanged());
  int shown = 0;
  for (int r = 0; r < doc->GetRowCount(); ++r)
    for (int c = 2; c < doc->m_colMap.size(); ++c) {
      const QString text = RowTexts(doc, r)[c];
      shown += text.isEmpty() ? 0 : 1;
      // What was placed shows the course's name.
      if (!text.isEmpty()) {
        EXPECT_EQ(doc->GetShownText(r, doc->m_colMap[c]),
                  text == QStringLiteral("0001") ? QStringLiteral("语文") : QStringLiteral("(单)音乐"));
      }
    }
  EXPECT_EQ(shown, 3);

  // A later plan version makes this one history: no arranging, no editing,
  // deleting still allowed.
  CWkjhRec later(kYear, kTerm, QStringLiteral("20241101"), QStringLiteral("0101"));
  later.SBT = QStringLiteral("0001");
  ASSERT_TRUE(later.InsertPlanRow(pdb()));
  grid->ExecuteCmd(KV_CMD_REFRESH);
  EXPECT_TRUE(doc->m_bReadOnly);
  EXPECT_FALSE(tree->IsCmdAllowed(KV_CMD_ARRANGE));
  EXPECT_FALSE(grid->IsCommandEnabled(KV_CMD_ARRANGE));
  EXPECT_TRUE(tree->IsCmdAllowed(KV_CMD_DELETE));
  KvScriptedAnswers answers;
  tree->ExecuteCmd(KV_CMD_ARRANGE);
  EXPECT_TRUE(answers.texts.isEmpty());
  EXPECT_TRUE(doc->DeleteTimetables() && AllRows().isEmpty());
}

TEST_P(CPKDocTest, TeacherAndRoomPagesShowClassesReadOnly) {
  AddLesson(QStringLiteral("010102"), 1, 'B', 1, QStringLiteral("0002"), QStringLiteral("0002"), QStringLiteral("001"), 1);
  for (const auto& [page, code] : {std::pair{1, QStringLiteral("0002")}, std::pair{2, QStringLiteral("001")}}) {
    SCOPED_TRACE(page);
    CPKDoc* doc = OpenTimetable(page, code);
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(doc->m_bReadOnly);
    EXPECT_EQ(RowTexts(doc, 0)[kMonday], QStringLiteral("D010102"));
    EXPECT_FALSE(Type(doc, 1, kMonday, QStringLiteral("010101")));
    CPKTreeView* tree = Tree(doc);
    EXPECT_EQ(tree->currentItem()->text(0), page == 1 ? QStringLiteral("0002 李娜") : QStringLiteral("001 琴房"));
    EXPECT_FALSE(tree->IsCmdAllowed(KV_CMD_ARRANGE));
    EXPECT_FALSE(tree->IsCmdAllowed(KV_CMD_DELETE));
    CloseAll();
  }
}

TEST_P(CPKDocTest, OpenArgumentsAreMadeSoundAndRemembered) {
  QStringList seen;
  AnswerOpenDialog([&seen](CPkOpenPlanDlg& dialog) {
    seen = {dialog.Y, QString::number(dialog.QC)};
    return int(QDialog::Rejected);
  });
  SetOpenArgs(272, 0, {kYear, QStringLiteral("7"), QStringLiteral("2024xx01"), QStringLiteral("010101"), QStringLiteral("0009")});
  auto* type = dynamic_cast<CFormDataType*>(KvFindDataType(19));
  EXPECT_EQ(type->OpenDocument(272, 0), nullptr);
  EXPECT_EQ(seen, (QStringList{QStringLiteral("2024"), QStringLiteral("0")}));
  struct Case {
    QStringList args;
    QStringList sound;
  };
  const QString y = QStringLiteral("2024");
  const Case cases[] = {
      {{}, {y, QStringLiteral("0"), QStringLiteral("20240301"), QString(), QString()}},
      {{y, QStringLiteral("7"), QStringLiteral("2024xx01"), QStringLiteral("010101"), QString()},
       {y, QStringLiteral("0"), QStringLiteral("20240301"), QStringLiteral("010101"), QString()}},
      {{QStringLiteral("2023"), QStringLiteral("1"), QStringLiteral("20230231"), QString(), QString()},
       {QStringLiteral("2023"), QStringLiteral("1"), QStringLiteral("20230301"), QString(), QString()}},
      {{y, QStringLiteral("1"), QStringLiteral("20240915"), QString(), QStringLiteral("0001")},
       {y, QStringLiteral("1"), QStringLiteral("20240915"), QString(), QStringLiteral("0001")}},
  };
  for (const Case& c : cases) {
    QStringList args = c.args;
    KvPkNormalizeOpenArgs(args, 5);
    EXPECT_EQ(args, c.sound);
  }

  AnswerOpenDialog();
  CPKDoc* doc = OpenTimetable(0, QStringLiteral("010102"));
  ASSERT_NE(doc, nullptr);
  EXPECT_TRUE(doc->m_grid.SBT.isEmpty());
  CloseAll();
  EXPECT_EQ(OpenArgsOf(272, 0), (QStringList{kYear, QString::number(kTerm), kDate, QStringLiteral("010102"), QString()}));
}

TEST_P(CPKDocTest, OneClassPerGradeStillChecksEveryCell) {
  ASSERT_TRUE(SetOneClassPerGrade());
  AddNode(QStringLiteral("0102"), QStringLiteral("二年级"));
  AddPlan(QStringLiteral("0102"), QStringLiteral("0001"), 1, 1);
  Assign(QStringLiteral("0102"), QStringLiteral("0001"), QStringLiteral("0002"));
  CPKDoc* doc = OpenTimetable(0, QStringLiteral("0102"));
  ASSERT_NE(doc, nullptr);
  ASSERT_FALSE(doc->m_bReadOnly);
  ASSERT_TRUE(Type(doc, 0, kMonday, QStringLiteral("X1")));
  EXPECT_EQ(Grid(doc)->GetCellColor(0, kMonday, QStringLiteral("TEXT")), QColor(Qt::red));
  ASSERT_TRUE(Type(doc, 0, kMonday, QStringLiteral("1")));
  KvScriptedAnswers answers;
  EXPECT_TRUE(doc->Save());
  EXPECT_EQ(ClassRows(QStringLiteral("0102")), QStringList{QStringLiteral("1|B|1|0|0001|0002|")});
}

TEST_P(CPKDocTest, TemplateEntriesOpenByRight) {
  auto* type = dynamic_cast<CFormDataType*>(KvFindDataType(19));
  struct Case {
    const char* right;
    bool plan;
    bool timetables;
  };
  const Case cases[] = {{"1905", true, false}, {"1907", false, true}, {"1906", false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.right);
    Grant({QString::fromUtf8(c.right)});
    EXPECT_EQ(type->CanOpenDocument(271, 0), c.plan);
    for (int page = 0; page < 3; ++page)
      EXPECT_EQ(type->CanOpenDocument(272, page), c.timetables);
  }
  // With the query rights alone a plan and a timetable of a later version
  // open copying nothing, 是 answered to everything; the open dialog offers
  // no new plan and keeps its dates closed.
  AddLesson(QStringLiteral("010101"), 1, 'B', 1, QStringLiteral("0001"), QString());
  Grant({QStringLiteral("1905"), QStringLiteral("1907")});
  const auto stored = [this] { return Rows(QStringLiteral("WKJH"), QStringLiteral("rtrim(T)")) + AllRows(); };
  bool offered = false;
  AnswerOpenDialog([&](CPkOpenPlanDlg& dialog) {
    offered |= KvDlgItem<QComboBox>(&dialog, CPkOpenPlanDlg::IDC_PLANS)->findText(QStringLiteral("新计划")) >= 0 ||
               KvDlgItem<CKvEdit>(&dialog, CPkOpenPlanDlg::IDC_DATE_MONTH)->isEnabled();
    dialog.T = QStringLiteral("20241001");
    return int(QDialog::Accepted);
  });
  KvScriptedAnswers answers;
  const QStringList before = stored();
  ASSERT_NE(OpenPlan(QStringLiteral("0101")), nullptr);
  EXPECT_EQ(stored(), before);
  CWkjhRec later(kYear, kTerm, QStringLiteral("20241001"), QStringLiteral("0101"));
  later.SBT = QStringLiteral("0001");
  ASSERT_TRUE(later.InsertPlanRow(pdb()));
  const QStringList planned = stored();
  ASSERT_NE(OpenTimetable(), nullptr);
  EXPECT_EQ(stored(), planned);
  EXPECT_TRUE(answers.texts.isEmpty()) << qPrintable(answers.texts.join(u'|'));
  EXPECT_FALSE(offered);
  // The arrange command's caption, and delete's, come from the document.
  Grant({QStringLiteral("1907"), QStringLiteral("1908")});
  CPKDoc* doc = OpenTimetable();
  ASSERT_NE(doc, nullptr);
  int flag = 1;
  EXPECT_EQ(doc->GetCommandCaption(KV_CMD_ARRANGE, flag), QStringLiteral("排课"));
  EXPECT_EQ(flag, 0);
}

// A save never puts back what another workstation saved since the window
// read: refused, it writes and logs nothing and leaves the window modified;
// read again, the window saves, twice.
TEST_P(CPKDocTest, ASaveNeverUndoesWhatWasSavedElsewhereSinceTheWindowRead) {
  Grant(QStringLiteral("1903 1904 1905 1906 1907 1908").split(u' '));
  // Last year's spring schedule, which the card takes over first.
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into WKT(Y,QC,DT,DN,HM0,HM1,SBT) Values('2023','0','A','1','0700','0740','0111110')")));
  AddLesson(QStringLiteral("010101"), 1, 'B', 1, QStringLiteral("0001"), QStringLiteral("0001"));
  // Shown by no window, so never replaced: a lesson at a period the schedule
  // no longer has, an assignment to a course of no plan row.
  AddLesson(QStringLiteral("010101"), 2, 'B', 5, QStringLiteral("0002"), QStringLiteral("0002"));
  Assign(QStringLiteral("010101"), QStringLiteral("0003"), QStringLiteral("0002"));
  CKvDb other;
  ASSERT_TRUE(testDb().OpenAnother(other));
  enum { kTimetable, kGradePlan, kClassPlan, kCard };
  const std::pair<int, const char*> cases[] = {
      {kTimetable, "Update PK Set WK='3' Where WK='1' And DN='1'"},
      {kTimetable, "Update PK Set TCHR='0002' Where WK='3' And DN='1'"},
      {kGradePlan, "Update WKJH Set CL='3' Where SBT='0002'"},
      {kClassPlan, "Update SBTTCHR Set PUBRM='001' Where STD='010101' And SBT='0001'"},
      {kCard, "Insert Into WKT(Y,QC,DT,DN,HM0,HM1,SBT) Values('2024','0','A','1','0700','0740','0111110')"},
      {kCard, "Update WKT Set HM1='0745' Where Y='2024' And QC='0'"}};
  const char* what[] = {"课表", "教学计划", "教学计划", "作息时间表"};
  const char* locked[] = {"PK", "WKJH", "SBTTCHR", "WKT"};
  SetOpenArgs(270, 0, {QStringLiteral("0")});  // the card on spring
  const auto reopen = [this](int window) -> CKvDoc* {
    CloseAll();
    return window == kTimetable ? OpenTimetable()
           : window == kCard    ? dynamic_cast<CFormDataType*>(KvFindDataType(19))->OpenDocument(270, 0)
                                : OpenPlan(window == kGradePlan ? QStringLiteral("0101") : QStringLiteral("010101"));
  };
  // Edits 0 and 1 make one change, edit 2 another: Wednesday's fourth morning
  // lesson, the grade's first course's periods, the class's teacher, Saturday.
  const auto edit = [](CKvDoc* doc, int window, int n) {
    if (window == kCard) {
      doc->FindView<CWktView>()->CheckBox(6, 0, 0)->setChecked(n < 2);
      return true;
    }
    const char* texts[3][2] = {{"1", ""}, {"3", "4"}, {"0002", "0001"}};
    const int cells[3][2] = {{3, kWednesday}, {0, 3}, {0, 1}};  // row, shown column
    return Type(doc, cells[window][0], cells[window][1], QString::fromUtf8(texts[window][n / 2]));
  };
  const auto state = [this] {
    return AllRows() + Rows(QStringLiteral("WKJH"), QStringLiteral("NU,rtrim(CL)")) + LogNotes(2) + LogNotes(3) + LogNotes(4) +
           Rows(QStringLiteral("SBTTCHR"), QStringLiteral("rtrim(TCHR),rtrim(PUBRM)")) + Rows(QStringLiteral("WKT"), QStringLiteral("Y,HM1"));
  };
  for (const auto& [window, elsewhere] : cases) {
    SCOPED_TRACE(elsewhere);
    CKvDoc* doc = reopen(window);
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(edit(doc, window, 0));
    ASSERT_TRUE(other.Execute(QString::fromLatin1(elsewhere)));
    const QStringList before = state();
    KvScriptedAnswers answers;  // Yes to the count question
    // While the refusal is read, another workstation saves under the lock
    // the save took: it does not wait.
    const QString table = QString::fromLatin1(locked[window]);
    bool otherSaved = false;
    bool saving = false;
    KvMessageHandler scripted;
    scripted = KvSetMessageHandler([&](const KvMessage& message) {
      if (message.icon() == KV_MB_ICONSTOP && !std::exchange(saving, true)) {
        KvDbTransaction saveElsewhere(other);
        otherSaved = saveElsewhere.IsActive() && other.LockTable(table) && saveElsewhere.Commit();
      }
      return scripted(message);
    });
    EXPECT_FALSE(doc->Save());
    EXPECT_TRUE(otherSaved);
    EXPECT_EQ(answers.Stops(), QStringList{QString::fromUtf8(what[window]) + QStringLiteral("已被其他窗口或工作站修改，请刷新后重新输入！")});
    EXPECT_EQ(state(), before);
    QString reason;
    EXPECT_TRUE(doc->HasUnsavedEdits(reason));
    doc = reopen(window);
    ASSERT_NE(doc, nullptr);
    for (int n = 1; n <= 2; ++n)
      EXPECT_TRUE(edit(doc, window, n) && doc->Save()) << n;
    EXPECT_TRUE(AllRows().contains(QStringLiteral("010101|2|B|5|0|0002|0002|")));
    EXPECT_TRUE(Rows(QStringLiteral("SBTTCHR"), QStringLiteral("rtrim(STD),rtrim(SBT)")).contains(QStringLiteral("010101|0003")));
  }
}

TEST_P(CPKDocTest, WindowsAndOpenDialogRenderOffscreen) {
  AddPlan(QStringLiteral("0101"), QStringLiteral("0001"), 2, 1);
  Assign(QStringLiteral("010101"), QStringLiteral("0001"), QStringLiteral("0001"));
  AddLesson(QStringLiteral("010101"), 1, 'B', 1, QStringLiteral("0001"), QStringLiteral("0001"));
  AddLesson(QStringLiteral("010101"), 3, 'C', 2, QStringLiteral("0001"), QStringLiteral("0001"), QString(), 1);
  AddLesson(QStringLiteral("010101"), 3, 'C', 2, QStringLiteral("0002"), QStringLiteral("0002"), QString(), 2);
  CPkOpenPlanDlg dialog(0);
  dialog.Y = kYear;
  dialog.QC = kTerm;
  dialog.T = kDate;
  dialog.show();
  KvGrab(&dialog, QStringLiteral("dlg_965"));
  dialog.hide();
  m_area->area.show();
  for (int page = 0; page < 2; ++page) {
    CPKDoc* doc = OpenTimetable(page, page == 0 ? QStringLiteral("010101") : QStringLiteral("0001"));
    ASSERT_NE(doc, nullptr);
    CFormChildFrm* frame = doc->GetFrames().at(0);
    frame->resize(900, 560);
    KvGrab(frame, QStringLiteral("timetable_%1").arg(page));
  }
  CWkjhDoc* plan = OpenPlan(QStringLiteral("0101"));
  ASSERT_NE(plan, nullptr);
  CFormChildFrm* frame = plan->GetFrames().at(0);
  frame->resize(900, 360);
  KvGrab(frame, QStringLiteral("plan"));
  ASSERT_TRUE(plan->SelectCode(QStringLiteral("010101")));
  KvGrab(frame, QStringLiteral("plan_class"));
}

KV_DB_KIND_TEST_SUITE(CPKDocTest);
}  // namespace
