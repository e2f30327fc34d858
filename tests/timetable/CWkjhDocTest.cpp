// The teaching-plan window: what a grade and a class document edit with
// several classes per grade and with one, the values its cells refuse, the
// save's refusals ("课程重复！", a row without course), rows taken from an
// earlier version, the read-only rules (never modified, no delete), and
// the save and the delete all or nothing.

#include "KvPkGridWindowTestSupport.h"

#include "core/CKvDb.h"
#include "core/KvFakePrinterCatalogue.h"
#include "forms/CForthView.h"
#include "forms/CFormDataType.h"
#include "print/KvPdfReadBack.h"
#include "print/KvPrintTestSupport.h"
#include "timetable/CPkOpenPlanDlg.h"
#include "timetable/CWkjhDoc.h"
#include "timetable/CWkjhTreeView.h"
#include "timetable/KvPkSchoolTree.h"
#include "ui/CKvEdit.h"
#include "ui/KvCommands.h"
#include "support/KvStationInFlight.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QTest>

namespace {
// Shown columns of the plan grid.
enum { kCourse, kTeacher, kRoom, kPeriods, kRun, kPriority, kFixed, kBarred, kWeekKind, kNote };

class CWkjhDocTest : public KvPkGridWindowTest {
 protected:
  void SetUp() override {
    KvPkGridWindowTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    AddCourse(QStringLiteral("0001"), QStringLiteral("语文"));
    AddCourse(QStringLiteral("0002"), QStringLiteral("数学"));
    AddTeacher(QStringLiteral("0001"), QStringLiteral("王芳"));
  }
  // Unit 01 and grade 0101 with two classes, or (one class per grade)
  // grade 0101 as the class; the plan holds course 0001.
  void School(bool oneClassPerGrade) {
    if (oneClassPerGrade) {
      ASSERT_TRUE(SetOneClassPerGrade());
      AddNode(QStringLiteral("01"), QStringLiteral("本校"));
      AddNode(QStringLiteral("0101"), QStringLiteral("一年级"));
      Assign(QStringLiteral("0101"), QStringLiteral("0001"), QStringLiteral("0001"), QString(), 2);
    } else {
      AddClasses(2);
      Assign(QStringLiteral("010101"), QStringLiteral("0001"), QStringLiteral("0001"), QString(), 1);
    }
    AddPlan(QStringLiteral("0101"), QStringLiteral("0001"), 4, 2, 3);
  }
  QStringList Plan() {
    return Rows(QStringLiteral("WKJH"), QStringLiteral("rtrim(T),rtrim(STD),rtrim(SBT),NU,CN,rtrim(CL)")) +
           Rows(QStringLiteral("SBTTCHR"), QStringLiteral("rtrim(T),rtrim(STD),rtrim(SBT),rtrim(TCHR),rtrim(DS)"));
  }
  static bool Editable(CWkjhDoc* doc, int column) {
    return !doc->m_bReadOnly && Grid(doc)->IsCellEditable(QStringLiteral("TEXT"), 0, column);
  }
  static bool Red(CWkjhDoc* doc, int row, int column) {
    return Grid(doc)->GetCellColor(row, column, QStringLiteral("TEXT")) == QColor(Qt::red);
  }
  // Appends a blank row to the grid.
  static void AddRow(CWkjhDoc* doc) {
    doc->AppendRow(doc->NewRow());
    Grid(doc)->InitLayout();
  }
  // The save's stop texts while another workstation's delete (sql, under
  // the locks of tables) is in flight: it commits a second after the save
  // began, and the save is refused.
  QStringList SaveDuringDelete(CWkjhDoc* doc, const QStringList& tables, const QString& sql) {
    KvStationInFlight other(testDb(), tables, {sql});
    EXPECT_TRUE(other.Started());
    KvScriptedAnswers answers;
    EXPECT_FALSE(doc->Save());
    EXPECT_TRUE(other.Committed());
    return answers.Stops();
  }
};

TEST_P(CWkjhDocTest, GradeAndClassEditTheirOwnColumns) {
  for (bool one : {false, true}) {
    SCOPED_TRACE(one ? "one class per grade" : "classes below grades");
    if (one) {
      CloseAll();
      ASSERT_TRUE(pdb()->ClearTables(QStringLiteral("STD WKJH SBTTCHR")));
    }
    School(one);
    CWkjhDoc* doc = OpenPlan(QStringLiteral("0101"));
    ASSERT_NE(doc, nullptr);
    // The week kind is shown wherever it is saved.
    EXPECT_EQ(RowTexts(doc, 0).mid(0, 9),
              (QStringList{QStringLiteral("0001"), one ? QStringLiteral("0001") : QString(), QString(),
                           QStringLiteral("4"), QStringLiteral("2"), QStringLiteral("3"), QString(), QString(),
                           one ? QStringLiteral("2") : QString()}));
    for (int column = kCourse; column <= kNote; ++column) {
      const bool classColumn = column == kTeacher || column == kRoom || column == kWeekKind;
      EXPECT_EQ(Editable(doc, column), one || !classColumn) << column;
    }
    EXPECT_TRUE(Grid(doc)->MayAddRows());
    if (one) {
      // Saved as shown: the week kind stays.
      KvScriptedAnswers answers;
      ASSERT_TRUE(Type(doc, 0, kPeriods, QStringLiteral("5")));
      EXPECT_TRUE(doc->Save());
      EXPECT_EQ(Plan(), (QStringList{QStringLiteral("20240901|0101|0001|5|2|3"),
                                     QStringLiteral("20240901|0101|0001|0001|2")}));
      continue;
    }
    ASSERT_TRUE(doc->SelectCode(QStringLiteral("010101")));
    EXPECT_EQ(RowTexts(doc, 0)[kWeekKind], QStringLiteral("1"));
    for (int column = kCourse; column <= kNote; ++column) {
      const bool classColumn = column == kTeacher || column == kRoom || column == kWeekKind;
      EXPECT_EQ(Editable(doc, column), classColumn) << column;
    }
    EXPECT_FALSE(Grid(doc)->MayAddRows());
    // Class 2, used by no row, deleted at another workstation while its
    // teacher is saved.
    ASSERT_TRUE(doc->SelectCode(QStringLiteral("010102")));
    ASSERT_TRUE(Type(doc, 0, kTeacher, QStringLiteral("0001")));
    const QStringList before = Plan();
    EXPECT_EQ(SaveDuringDelete(doc, {"STD", "PC", "WKJH", "SBTTCHR", "PK"},
                               QStringLiteral("Delete From STD Where KNO='010102'")),
              QStringList{QStringLiteral("“010102”已不存在，不能保存！")});
    EXPECT_EQ(Plan(), before);
  }
}

TEST_P(CWkjhDocTest, CourseTeacherAndRoomShowNamesOnScreenAndOnPaper) {
  AddClasses(2);
  AddRoom(QStringLiteral("001"), QStringLiteral("琴房"));
  AddTeacher(QStringLiteral("0002"), QStringLiteral("李娜"));
  AddPlan(QStringLiteral("0101"), QStringLiteral("0001"), 4, 2, 3);
  Assign(QStringLiteral("010101"), QStringLiteral("0001"), QStringLiteral("0001"), QStringLiteral("001"), 1);
  KvFakePrinterCatalogue printers;
  CWkjhDoc* doc = OpenPlan(QStringLiteral("010101"));
  ASSERT_NE(doc, nullptr);
  KvPdfReadBack pdf;
  {
    KvPrintAnswers answers(KvTestPdfPath());
    Grid(doc)->ExecuteCmd(KV_CMD_FILE_PRINT);
    pdf = KvReadPdf(answers.pdfPath);
  }
  ASSERT_TRUE(pdf.ok);
  struct Case {
    int column;
    const char* stored;
    const char* shown;
  };
  // The other columns show what they hold.
  const Case cases[] = {{kCourse, "0001", "语文"}, {kTeacher, "0001", "王芳"}, {kRoom, "001", "琴房"},
                        {kPriority, "3", "3"},     {kWeekKind, "1", "1"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.column);
    EXPECT_EQ(RowTexts(doc, 0)[c.column], QString::fromUtf8(c.stored));
    EXPECT_EQ(doc->GetShownText(0, doc->m_colMap[c.column]), QString::fromUtf8(c.shown));
    EXPECT_FALSE(pdf.Find(QString::fromUtf8(c.shown)).isEmpty());
  }
  EXPECT_TRUE(pdf.Find(QStringLiteral("0001")).isEmpty());
  EXPECT_TRUE(pdf.Find(QStringLiteral("001")).isEmpty());

  // The editor shows the code, the cell the name of what is stored; a
  // teacher the catalogue no longer has shows the code after a refresh.
  CForthView* grid = Grid(doc);
  const int teacher = doc->m_colMap[kTeacher];
  grid->PlaceCaret(0, kTeacher, 0, QStringLiteral("TEXT"));
  EXPECT_EQ(grid->Editor()->text(), QStringLiteral("0001"));
  ASSERT_TRUE(Type(doc, 0, kTeacher, QStringLiteral("0002")));
  EXPECT_EQ(doc->GetShownText(0, teacher), QStringLiteral("李娜"));
  grid->UndoRedo(true);
  EXPECT_EQ(RowTexts(doc, 0)[kTeacher], QStringLiteral("0001"));
  EXPECT_EQ(doc->GetShownText(0, teacher), QStringLiteral("王芳"));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From TCHR Where KNO='0001'")));
  {
    KvScriptedAnswers answers({KV_IDNO});
    grid->ExecuteCmd(KV_CMD_REFRESH);
  }
  EXPECT_EQ(doc->GetShownText(0, teacher), QStringLiteral("0001"));
  EXPECT_EQ(doc->GetShownText(0, doc->m_colMap[kCourse]), QStringLiteral("语文"));
}

TEST_P(CWkjhDocTest, CellsRefuseValuesOutsideTheirRange) {
  School(false);
  CWkjhDoc* doc = OpenPlan(QStringLiteral("0101"));
  ASSERT_NE(doc, nullptr);
  struct Case {
    int column;
    const char* text;
    bool good;
  };
  const Case grade[] = {{kPeriods, "0", false}, {kPeriods, "100", false}, {kPeriods, "99", true},
                        {kRun, "0", false},     {kRun, "10", false},      {kRun, "9", true},
                        {kPriority, "6", false}, {kPriority, "5", true},  {kFixed, "7A1", false},
                        {kFixed, "1AB", true},  {kBarred, "1AB12", false}, {kCourse, "9999", false},
                        {kCourse, "0002", true}};
  for (const Case& c : grade) {
    SCOPED_TRACE(c.text);
    // Refused while typed (the column's input type) or flagged red after.
    const bool typed = Type(doc, 0, c.column, QString::fromUtf8(c.text));
    EXPECT_EQ(typed && !Red(doc, 0, c.column), c.good);
  }
  KvScriptedAnswers answers({KV_IDNO});
  ASSERT_TRUE(doc->SelectCode(QStringLiteral("010101")));
  const Case klass[] = {{kWeekKind, "3", false}, {kWeekKind, "2", true}, {kTeacher, "9999", false},
                        {kTeacher, "", true}};
  for (const Case& c : klass) {
    SCOPED_TRACE(c.text);
    // Refused while typed (the column's input type) or flagged red after.
    const bool typed = Type(doc, 0, c.column, QString::fromUtf8(c.text));
    EXPECT_EQ(typed && !Red(doc, 0, c.column), c.good);
  }
}

TEST_P(CWkjhDocTest, SaveRefusesRepeatedAndMissingCoursesThenWritesAllOrNothing) {
  School(false);
  CWkjhDoc* doc = OpenPlan(QStringLiteral("0101"));
  ASSERT_NE(doc, nullptr);
  const QStringList before = Plan();
  AddRow(doc);
  for (const auto& [column, text] : {std::pair{kCourse, "0001"}, std::pair{kPeriods, "2"}, std::pair{kRun, "1"},
                                     std::pair{kPriority, "2"}})
    ASSERT_TRUE(Type(doc, 1, column, QString::fromUtf8(text)));
  {
    KvScriptedAnswers answers;
    EXPECT_FALSE(doc->Save());
    EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("课程重复！")});
  }
  ASSERT_TRUE(Type(doc, 1, kCourse, QString()));
  {
    KvScriptedAnswers answers;
    EXPECT_FALSE(doc->Save());
    EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("第2行没有课程！")});
  }
  ASSERT_TRUE(Type(doc, 1, kCourse, QStringLiteral("0002")));
  ASSERT_TRUE(Type(doc, 1, kRun, QString()));
  {
    KvScriptedAnswers answers;
    EXPECT_FALSE(doc->Save());
    EXPECT_TRUE(answers.Stops().value(0).startsWith(QStringLiteral("下列单元格出错：\n第2行")));
  }
  EXPECT_EQ(Plan(), before);
  ASSERT_TRUE(Type(doc, 1, kRun, QStringLiteral("1")));
  // Course 0002, used by no stored row, deleted at another workstation
  // during the save.
  EXPECT_EQ(SaveDuringDelete(doc, {"SBT", "WKJH", "SBTTCHR", "PK"}, QStringLiteral("Delete From SBT Where KNO='0002'")),
            QStringList{QStringLiteral("课程<0002>已被其他窗口或工作站删除，不能保存！")});
  EXPECT_EQ(Plan(), before);
  AddCourse(QStringLiteral("0002"), QStringLiteral("数学"));
  KvScriptedAnswers answers;
  EXPECT_GT(ExpectAllOrNothing([&] { return doc->Save(); }, [this] { return Plan() + LogNotes(3); }), 0);
  // Each class gets an assignment of each course; class 1 keeps its teacher.
  EXPECT_EQ(Plan().size(), 2 + 4);
  EXPECT_TRUE(Plan().contains(QStringLiteral("20240901|010101|0001|0001|1")));
  EXPECT_TRUE(Plan().contains(QStringLiteral("20240901|0101|0002|2|1|2")));
  EXPECT_EQ(LogNotes(3).size(), 1);
}

// Leaving a node whose save is refused: the message names the column as
// its head reads, and the tree keeps the node whose sheet is still shown,
// also after the click on the other node has finished.
TEST_P(CWkjhDocTest, ARefusedSaveOnLeavingANodeKeepsItsNodeSelected) {
  School(false);
  CWkjhDoc* doc = OpenPlan(QStringLiteral("0101"));
  ASSERT_NE(doc, nullptr);
  m_area->area.show();
  auto* tree = doc->FindView<CWkjhTreeView>();
  ASSERT_NE(tree, nullptr);
  tree->expandAll();
  QTreeWidgetItem* grade = tree->currentItem();
  ASSERT_EQ(KvPkItemCode(grade), QStringLiteral("0101"));
  QTreeWidgetItem* klass = grade->child(0);
  Type(doc, 0, kPriority, QStringLiteral("6"));
  Type(doc, 0, kFixed, QStringLiteral("7A1"));
  const QStringList before = Plan();
  {
    KvScriptedAnswers answers({KV_IDYES});
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(klass).center());
    QCoreApplication::processEvents();
    EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("下列单元格出错：\n第1行“优先级”\n第1行“指定排课时间”")});
  }
  EXPECT_EQ(doc->m_key.STD, QStringLiteral("0101"));
  EXPECT_EQ(tree->currentItem(), grade);
  EXPECT_EQ(tree->selectedItems(), QList<QTreeWidgetItem*>{grade});
  EXPECT_EQ(Plan(), before);
}

TEST_P(CWkjhDocTest, EarlierRowsCountAsUnsavedAndHistoryIsNeverModified) {
  School(false);
  // A new plan from 1 October shows the September rows until it is saved.
  AnswerOpenDialog([](CPkOpenPlanDlg& dialog) {
    PickPlan(dialog, QStringLiteral("新计划"));
    dialog.T = QStringLiteral("20241001");
    return int(QDialog::Accepted);
  });
  SetOpenArgs(271, 0, {kYear, QString::number(kTerm), kDate, QStringLiteral("0101")});
  auto* type = dynamic_cast<CFormDataType*>(KvFindDataType(19));
  KvScriptedAnswers answers({KV_IDNO});  // no copy of the previous plan
  auto* doc = dynamic_cast<CWkjhDoc*>(type->OpenDocument(271, 0));
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->m_key.T, QStringLiteral("20241001"));
  EXPECT_EQ(doc->m_nEarlier, 1);
  QString reason;
  EXPECT_TRUE(doc->HasUnsavedEdits(reason));
  EXPECT_TRUE(doc->CanDelete());
  ASSERT_TRUE(doc->Save());
  EXPECT_FALSE(doc->HasUnsavedEdits(reason));
  CloseAll();

  // September is history now: read-only, never modified, no delete.
  AnswerOpenDialog([](CPkOpenPlanDlg& dialog) {
    dialog.T = kDate;
    return int(QDialog::Accepted);
  });
  doc = OpenPlan(QStringLiteral("0101"));
  ASSERT_NE(doc, nullptr);
  EXPECT_TRUE(doc->m_bReadOnly);
  EXPECT_FALSE(doc->HasUnsavedEdits(reason));
  EXPECT_FALSE(doc->CanDelete());
  // A unit above the grades: no delete either.
  ASSERT_TRUE(doc->SelectCode(QStringLiteral("01")));
  EXPECT_FALSE(doc->CanDelete());
  EXPECT_FALSE(doc->FindView<CWkjhTreeView>()->IsCmdAllowed(KV_CMD_DELETE));
}

TEST_P(CWkjhDocTest, DeleteRemovesTheCodesPlanWithItsLogOrNothing) {
  School(false);
  CWkjhDoc* doc = OpenPlan(QStringLiteral("0101"));
  ASSERT_NE(doc, nullptr);
  ASSERT_TRUE(doc->CanDelete());
  KvScriptedAnswers answers;
  // A later plan set up at another workstation while the question is open.
  CKvDb other;
  ASSERT_TRUE(testDb().OpenAnother(other));
  const QStringList before = Plan();
  answers.onQuestion = [&] { ASSERT_TRUE(other.Execute(QStringLiteral("Insert Into WKJH(Y,QC,T,STD,SBT,NU,CN,CL,WTN0,WTN1,NT) Values('2024','1','20241001','0101','0001',1,1,'1','','','')"))); };
  // The refusal is shown once the transaction and its locks are let go.
  int depthAtStop = -1;
  const KvMessageHandler scripted = KvSetMessageHandler([&](const KvMessage& m) {
    depthAtStop = m.icon() == KV_MB_ICONSTOP ? pdb()->TransactionDepth() : depthAtStop;
    return scripted(m);
  });
  EXPECT_FALSE(doc->DeletePlan());
  EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("非最后一次计划，不能删除！")});
  EXPECT_EQ(depthAtStop, 0);
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From WKJH Where T='20241001'")));
  EXPECT_EQ(Plan(), before);
  EXPECT_GT(ExpectAllOrNothing(
                [&] { return doc->DeletePlan(); },
                [this] { return Plan() + LogNotes(3); }),
            0);
  EXPECT_TRUE(Plan().isEmpty());
  EXPECT_EQ(LogNotes(3).size(), 1);
  // The tree's delete shows what is stored then.
  doc->FindView<CWkjhTreeView>()->OnDelete();
  EXPECT_EQ(doc->GetRowCount(), 0);
}

KV_DB_KIND_TEST_SUITE(CWkjhDocTest);
}  // namespace

// On a new data file a grade has no plan: its empty grid takes a first row
// from Ctrl+Enter, the caret on the course (as on the next), and is saved.
TEST_P(CWkjhDocTest, ANewPlanStartsFromItsEmptyGrid) {
  AddClasses(2);
  AnswerOpenDialog([](CPkOpenPlanDlg& dialog) {
    PickPlan(dialog, QStringLiteral("新计划"));
    dialog.T = kDate;
    return int(QDialog::Accepted);
  });
  CWkjhDoc* doc = OpenPlan(QStringLiteral("0101"));
  ASSERT_NE(doc, nullptr);
  CForthView* grid = Grid(doc);
  ASSERT_EQ(doc->GetRowCount(), 0);
  ASSERT_FALSE(doc->m_bReadOnly);
  ASSERT_TRUE(KvCmdEnabled(grid, KV_CMD_APPEND_ROW));
  ASSERT_TRUE(KvCmdEnabled(grid, KV_CMD_INSERT_ROW));
  grid->setFocus();
  QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : grid, Qt::Key_Return,
                  Qt::ControlModifier);
  ASSERT_EQ(doc->GetRowCount(), 1);
  EXPECT_EQ(grid->Model().Current().row, 0);
  EXPECT_EQ(grid->Model().Current().column, int(kCourse));
  for (const auto& [column, text] : {std::pair{kCourse, "0002"}, std::pair{kPeriods, "4"}, std::pair{kRun, "1"},
                                     std::pair{kPriority, "2"}})
    ASSERT_TRUE(Type(doc, 0, column, QString::fromUtf8(text)));
  grid->PlaceCaret(0, kFixed, 0, QStringLiteral("TEXT"));
  QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : grid, Qt::Key_Return,
                  Qt::ControlModifier);
  ASSERT_EQ(doc->GetRowCount(), 2);
  EXPECT_EQ(grid->Model().Current().row, 1);
  EXPECT_EQ(grid->Model().Current().column, int(kCourse));
  KvScriptedAnswers answers;
  ASSERT_TRUE(doc->Save());
  EXPECT_TRUE(Plan().contains(QStringLiteral("20240901|0101|0002|4|1|2")));
  // A class of a grade whose classes are planned by the grade adds none.
  ASSERT_TRUE(doc->SelectCode(QStringLiteral("010101")));
  EXPECT_FALSE(KvCmdEnabled(grid, KV_CMD_APPEND_ROW));
}
