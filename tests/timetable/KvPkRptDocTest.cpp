// The load reports and their open dialog: the template list's entries of
// the schedule and the reports by right, the three pages with their week
// kinds and period columns, the dialog's refusals and remembered choices,
// a term without schedule, and printing.

#include "KvPkWindowTestSupport.h"

#include "app/KvDocOpenMode.h"
#include "core/CKvDb.h"
#include "core/KvFakePrinterCatalogue.h"
#include "forms/CFormChildFrm.h"
#include "forms/CKvDocTemplate.h"
#include "forms/CKvTemplateList.h"
#include "print/KvPdfReadBack.h"
#include "print/KvPrintTestSupport.h"
#include "timetable/CPkOpenStatusDlg.h"
#include "timetable/CPkRptDoc.h"
#include "timetable/CPkRptView.h"
#include "timetable/CWkjhRec.h"
#include "timetable/CWktDoc.h"
#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"

#include <QComboBox>

namespace {

class KvPkRptDocTest : public KvPkWindowTest {
 protected:
  void SetUp() override {
    KvPkWindowTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    AddClasses(2);
    AddCourse(QStringLiteral("0001"), QStringLiteral("语文"));
    AddCourse(QStringLiteral("0002"), QStringLiteral("数学"));
    AddCourse(QStringLiteral("0003"), QStringLiteral("物理"));
    AddTeacher(QStringLiteral("0001"), QStringLiteral("王芳"));
    AddTeacher(QStringLiteral("0002"), QStringLiteral("李娜"));
    AddTeacher(QStringLiteral("0003"), QStringLiteral("赵强"));
    AddRoom(QStringLiteral("001"), QStringLiteral("微机室"));
    SaveSchedule(4, 4);
    AddPlan(QStringLiteral("0101"), QStringLiteral("0001"), 1, 1);
    Assign(QStringLiteral("010101"), QStringLiteral("0001"), QStringLiteral("0001"));
    // Monday: class 1 has 语文 with 王芳 every week in period 1 and in
    // odd weeks in period 2; class 2 数学 with 李娜 in the room in odd weeks
    // in period 1, 物理 with 李娜 every week and 数学 with 王芳 in even weeks
    // in period 2. Tuesday: 赵强 in class 1.
    AddLesson(QStringLiteral("010101"), 1, 'B', 1, QStringLiteral("0001"), QStringLiteral("0001"));
    AddLesson(QStringLiteral("010101"), 1, 'B', 2, QStringLiteral("0001"), QStringLiteral("0001"), QString(), 1);
    AddLesson(QStringLiteral("010102"), 1, 'B', 1, QStringLiteral("0002"), QStringLiteral("0002"), QStringLiteral("001"), 1);
    AddLesson(QStringLiteral("010102"), 1, 'B', 2, QStringLiteral("0003"), QStringLiteral("0002"));
    AddLesson(QStringLiteral("010102"), 1, 'B', 2, QStringLiteral("0002"), QStringLiteral("0001"), QString(), 2);
    AddLesson(QStringLiteral("010101"), 2, 'C', 1, QStringLiteral("0003"), QStringLiteral("0003"));
  }

  // Answers the open dialog with the autumn term, its plan and the weekday.
  static int ChooseAutumn(QDialog* dialog, int weekday = 1) {
    auto* term = KvDlgItem<QComboBox>(dialog, CPkOpenStatusDlg::IDC_TERM);
    term->setCurrentIndex(1);
    static_cast<CPkOpenStatusDlg*>(dialog)->RefillPlanList();
    KvDlgItem<QComboBox>(dialog, CPkOpenStatusDlg::IDC_PLAN)->setCurrentIndex(0);
    KvDlgItem<QComboBox>(dialog, CPkOpenStatusDlg::IDC_WEEKDAY)->setCurrentIndex(weekday);
    return KvPressOk(dialog);
  }
  CPkRptDoc* Open(int page, KvDialogScript::Step step = [](QDialog* d) { return ChooseAutumn(d); }) {
    KvDialogScript script({std::move(step)});
    return dynamic_cast<CPkRptDoc*>(Module()->OpenDocument(273, page));
  }
  // The shown cells of each row, "|" between them, line breaks as "/".
  static QStringList Shown(const CPkRptDoc* doc) {
    QStringList rows;
    for (const QStringList& row : doc->m_rows) {
      QStringList cells;
      for (int i = 0; i < doc->m_formEntry.formulas.size(); ++i)
        if (doc->m_formEntry.formulas[i].IsShown())
          cells.append(QString(row[i]).replace(u'\\', u'/'));
      rows.append(cells.join(u'|'));
    }
    return rows;
  }
};

TEST_P(KvPkRptDocTest, TheTemplateListOffersTheScheduleAndTheReportsByRight) {
  CPkDataType* module = Module();
  ASSERT_NE(module, nullptr);
  struct Entry {
    int flag;
    int form;
    QString right;
  };
  const QList<Entry> entries = {{270, 0, QStringLiteral("1903")},
                                {273, 2, QStringLiteral("1922")},
                                {273, 0, QStringLiteral("1920")},
                                {273, 1, QStringLiteral("1921")}};
  int previous = -1;
  for (const Entry& e : entries) {
    SCOPED_TRACE(e.right.toStdString());
    const int index = module->FindEntryIndex(e.flag, e.form);
    EXPECT_GT(index, previous);
    previous = index;
    Grant({});
    module->UpdateRightFlags();
    EXPECT_FALSE(module->CanOpenDocument(e.flag, e.form));
    Grant({e.right});
    module->UpdateRightFlags();
    EXPECT_TRUE(module->CanOpenDocument(e.flag, e.form));
    EXPECT_FALSE(module->CanNewDocument(e.flag, e.form));
  }
  EXPECT_FALSE(module->AcceptsCopies(*module->FindTemplate(273)));

  // 57601 opens the entry selected in the module's list, each logged.
  Grant({QStringLiteral("1903"), QStringLiteral("1920"), QStringLiteral("1921"), QStringLiteral("1922")});
  module->UpdateRightFlags();
  QWidget page;
  ASSERT_NE(module->CreateTemplatePage(&page), nullptr);
  for (const Entry& e : entries) {
    SCOPED_TRACE(e.right.toStdString());
    module->RefillTemplateList(e.flag, e.form);
    ASSERT_TRUE(module->CanFileOpen());
    KvDialogScript script({[](QDialog* d) { return ChooseAutumn(d); }});
    module->OnFileOpen();
    EXPECT_EQ(script.names, e.flag == 273 ? QStringList{QStringLiteral("dlg_966")} : QStringList());
  }
  EXPECT_EQ(Rows(QStringLiteral("KvLog"), QStringLiteral("sNote"), QStringLiteral("Where nTaskID=13")),
            (QStringList{QStringLiteral("公用教室排课情况表"), QStringLiteral("教师排课情况表"),
                         QStringLiteral("班级排课情况表"), QStringLiteral("设置作息时间")}));
}

// Open arguments stored by an earlier run, or none at the first opening: a
// term other than 0 or 1 is the spring term, a date that is none is the
// year's 1 March (its plan chosen), a weekday outside the week is Monday.
TEST_P(KvPkRptDocTest, StoredOpenArgumentsOutsideTheirRangeFallBack) {
  CWkjhRec spring(kYear, 0, QStringLiteral("20240301"), QStringLiteral("0101"));
  spring.SBT = QStringLiteral("0001");
  ASSERT_TRUE(spring.InsertPlanRow(pdb()));
  struct Case {
    QStringList args;
    QString shown;
  };
  const QList<Case> cases = {
      {{QStringLiteral("2024"), QStringLiteral("1"), QStringLiteral("20240901"), QStringLiteral("3")},
       QStringLiteral("2024 秋季学期 2024.09.01 星期三")},
      {{QStringLiteral("2024"), QStringLiteral("7"), QStringLiteral("20241399"), QStringLiteral("9")},
       QStringLiteral("2024 春季学期 2024.03.01 星期一")},
      {{QStringLiteral("1990"), QStringLiteral("x")}, QStringLiteral("2024 春季学期 2024.03.01 星期一")},
      {{}, QStringLiteral("2024 春季学期 2024.03.01 星期一")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.join(u' ').toStdString());
    if (c.args.isEmpty())
      KvDeleteDocOpenMode(273, 0);
    else
      KvSaveDocOpenMode(273, 0, c.args);
    Module()->FindTemplate(273)->Entries()[Module()->FindTemplate(273)->FindEntry(0)].bArgsLoaded = false;
    QString shown;
    Open(0, [&](QDialog* d) {
      QStringList texts;
      for (int id : {CPkOpenStatusDlg::IDC_YEAR, CPkOpenStatusDlg::IDC_TERM, CPkOpenStatusDlg::IDC_PLAN,
                     CPkOpenStatusDlg::IDC_WEEKDAY})
        texts.append(KvDlgItem<QComboBox>(d, id)->currentText());
      shown = texts.join(u' ');
      return int(QDialog::Rejected);
    });
    EXPECT_EQ(shown, c.shown);
  }
}

TEST_P(KvPkRptDocTest, EachPageShowsWhoDoesWhatInEveryPeriodOfTheDay) {
  struct Case {
    int page;
    QString caption;
    QStringList rows;
  };
  const QList<Case> cases = {
      {0, QStringLiteral("教师排课情况表"),
       {QStringLiteral("王芳|1班|1班/2班||||||"), QStringLiteral("李娜|2班|2班||||||")}},
      {1, QStringLiteral("公用教室排课情况表"), {QStringLiteral("微机室|2班|||||||")}},
      {2, QStringLiteral("班级排课情况表"),
       {QStringLiteral("1班|语文-王芳|语文-王芳||||||"), QStringLiteral("2班|数学-李娜|物理-李娜/数学-王芳||||||")}},
  };
  QList<CPkRptDoc*> pages;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    CPkRptDoc* doc = Open(c.page);
    pages.append(doc);
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(doc->m_bReadOnly);
    EXPECT_EQ(doc->m_formEntry.sFna, c.caption);
    EXPECT_EQ(Shown(doc), c.rows);
    // A refresh with any of its statements refused shows what it showed.
    pdb()->FailNthStatement(1000000);
    ASSERT_TRUE(doc->Refill());
    const int sent = pdb()->GetStatementsSent();
    for (int n = 1; n <= sent; ++n) {
      KvScriptedAnswers answers;
      pdb()->FailNthStatement(n);
      doc->Refill();
      pdb()->FailNthStatement(0);
      EXPECT_EQ(Shown(doc), c.rows) << n;
    }
    ASSERT_NE(doc->FindView<CPkRptView>(), nullptr);
    EXPECT_EQ(doc->FindView<CPkRptView>()->m_nFixedCols, 1);
    doc->GetFrames().at(0)->resize(1000, 400);
    KvGrab(doc->GetFrames().at(0), QStringLiteral("report%1").arg(c.page));
  }
  // On a server, each page refreshed after the connection was lost too.
  if (kind() == 0)
    return;
  ASSERT_TRUE(testDb().EndSessions());
  KvScriptedAnswers answers;
  for (qsizetype i = 0; i < pages.size(); ++i) {
    EXPECT_FALSE(pages[i]->Refill()) << i;
    EXPECT_EQ(Shown(pages[i]), cases[i].rows) << i;
  }
}

// The period columns follow the schedule: a segment's name over its
// periods' numbers; a segment without periods has no column.
TEST_P(KvPkRptDocTest, PeriodColumnsFollowTheSchedule) {
  struct Case {
    QList<int> counts;
    QStringList heads;
  };
  const QList<Case> cases = {
      {{0, 4, 4, 0}, {QStringLiteral("班级"), QStringLiteral("早上"), QStringLiteral("1"), QStringLiteral("4"),
                      QStringLiteral("下午")}},
      {{1, 2, 0, 0}, {QStringLiteral("班级"), QStringLiteral("早读"), QStringLiteral("早上"), QStringLiteral("1"),
                      QStringLiteral("2")}},
  };
  for (const Case& c : cases) {
    CWktRec schedule(kYear, kTerm);
    const int counts[4] = {c.counts[0], c.counts[1], c.counts[2], c.counts[3]};
    schedule.ResizePeriods(counts);
    schedule.SetAllFlags(1);
    ASSERT_TRUE(schedule.Save(pdb()));
    CPkRptDoc* doc = Open(2);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->m_formEntry.ShownColumnCount(), 1 + c.counts[0] + c.counts[1] + c.counts[2] + c.counts[3]);
    QStringList heads;
    for (const KvTopWord& word : doc->m_formEntry.topWords)
      heads.append(word.sWords);
    for (const QString& head : c.heads)
      EXPECT_TRUE(heads.contains(head)) << head.toStdString();
    EXPECT_TRUE(doc->m_formEntry.CheckColumnHead());
    doc->GetFrames().at(0)->CloseWithoutAsking();
  }
}

TEST_P(KvPkRptDocTest, TheOpenDialogRefusesWhatItCannotOpenAndRemembersTheChoice) {
  // Titles by kind.
  for (int page : {0, 1, 2}) {
    QString title;
    Open(page, [&](QDialog* d) {
      title = d->windowTitle();
      KvGrab(d, QStringLiteral("open966"));
      return int(QDialog::Rejected);
    });
    static const char* const titles[3] = {"打开教师排课情况表", "打开公用教室排课情况表", "打开班级排课情况表"};
    EXPECT_EQ(title, QString::fromUtf8(titles[page]));
  }
  // The spring term has no plan; an unpicked date or weekday is refused.
  QStringList stops;
  {
    KvScriptedAnswers answers;
    EXPECT_EQ(Open(0, [](QDialog* d) { return KvPressOk(d); }), nullptr);
    EXPECT_EQ(Open(0,
                   [](QDialog* d) {
                     KvDlgItem<QComboBox>(d, CPkOpenStatusDlg::IDC_TERM)->setCurrentIndex(1);
                     static_cast<CPkOpenStatusDlg*>(d)->RefillPlanList();
                     KvDlgItem<QComboBox>(d, CPkOpenStatusDlg::IDC_PLAN)->setCurrentIndex(-1);
                     return KvPressOk(d);
                   }),
              nullptr);
    EXPECT_EQ(Open(0,
                   [](QDialog* d) {
                     KvDlgItem<QComboBox>(d, CPkOpenStatusDlg::IDC_WEEKDAY)->setCurrentIndex(-1);
                     return ChooseAutumn(d, -1);
                   }),
              nullptr);
    stops = answers.Stops();
  }
  EXPECT_EQ(stops, (QStringList{QStringLiteral("此学期没有计划！"), QStringLiteral("未选择计划执行时间！"),
                                QStringLiteral("未选择星期！")}));

  // The next opening starts with the last one's year, term, date and weekday.
  CPkRptDoc* doc = Open(0, [](QDialog* d) { return ChooseAutumn(d, 2); });
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(Shown(doc), QStringList{QStringLiteral("赵强|||||1班|||")});
  doc->GetFrames().at(0)->CloseWithoutAsking();
  QString chosen;
  ASSERT_NE(Open(0,
                 [&](QDialog* d) {
                   QStringList texts;
                   for (int id : {CPkOpenStatusDlg::IDC_YEAR, CPkOpenStatusDlg::IDC_TERM, CPkOpenStatusDlg::IDC_PLAN,
                                  CPkOpenStatusDlg::IDC_WEEKDAY})
                     texts.append(KvDlgItem<QComboBox>(d, id)->currentText());
                   chosen = texts.join(u' ');
                   return KvPressOk(d);
                 }),
            nullptr);
  EXPECT_EQ(chosen, QStringLiteral("2024 秋季学期 2024.09.01 星期二"));
}

TEST_P(KvPkRptDocTest, ATermWithoutScheduleOrACatalogueStillEmptyOpensNothing) {
  // A spring plan without a spring schedule.
  CWkjhRec row(kYear, 0, QStringLiteral("20240301"), QStringLiteral("0101"));
  row.SBT = QStringLiteral("0001");
  row.NU = 1;
  ASSERT_TRUE(row.InsertPlanRow(pdb()));
  {
    KvScriptedAnswers answers;
    EXPECT_EQ(Open(0,
                   [](QDialog* d) {
                     KvDlgItem<QComboBox>(d, CPkOpenStatusDlg::IDC_PLAN)->setCurrentIndex(0);
                     return KvPressOk(d);
                   }),
              nullptr);
    EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("还没有设定本学期作息时间表！")});
  }
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From TCHR")));
  KvScriptedAnswers answers;
  KvDialogScript script;
  EXPECT_EQ(Module()->OpenDocument(273, 0), nullptr);
  EXPECT_TRUE(script.names.isEmpty());
  EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("下列信息还未设置\n教师")});
}

TEST_P(KvPkRptDocTest, TheReportPrintsWithItsNotes) {
  KvFakePrinterCatalogue printers;
  CPkRptDoc* doc = Open(2);
  ASSERT_NE(doc, nullptr);
  KvPdfReadBack pdf;
  {
    KvPrintAnswers answers(KvTestPdfPath());
    doc->FindView<CPkRptView>()->ExecuteCmd(KV_CMD_FILE_PRINT);
    pdf = KvReadPdf(answers.pdfPath);
  }
  ASSERT_TRUE(pdf.ok);
  const QString texts = pdf.PageTexts(0).join(u' ');
  for (const QString& text : {QStringLiteral("班级排课情况表"), QStringLiteral("2024年 秋季学期 星期一"),
                              QStringLiteral("语文-王芳"), QStringLiteral("注：2024年09月01日开始执行")})
    EXPECT_TRUE(texts.contains(text)) << text.toStdString() << " in " << texts.toStdString();
  EXPECT_GT(pdf.widthMm, pdf.heightMm);
}

KV_DB_KIND_TEST_SUITE(KvPkRptDocTest);

}  // namespace
