// The period-schedule card: what it opens on, the times and ticks its save
// checks, the page and the controls over it as the counts change, when it
// is read-only, the year or term switch, save and refresh from the keys,
// printing, and the save with its log entry kept whole.

#include "KvPkWindowTestSupport.h"

#include "app/CKvMainFrm.h"
#include "core/CKvDb.h"
#include "forms/CFormChildFrm.h"
#include "core/KvFakePrinterCatalogue.h"
#include "print/KvPdfReadBack.h"
#include "print/KvPrintTestSupport.h"
#include "timetable/CWktDoc.h"
#include "timetable/CWktView.h"
#include "ui/CKvCommandRouter.h"
#include "ui/CKvEdit.h"
#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"
#include "ui/KvUiTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QTest>

namespace {

class KvWktDocTest : public KvPkWindowTest {
 protected:
  CWktDoc* Open() {
    auto* doc = dynamic_cast<CWktDoc*>(Module()->OpenDocument(270, 0));
    if (doc)
      view = doc->FindView<CWktView>();
    return doc;
  }
  QComboBox* Combo(int id) { return KvDlgItem<QComboBox>(view, id); }
  // Chooses the period counts of the four segments as the operator does.
  void SetCounts(const QList<int>& counts) {
    for (int s = 0; s < 4; ++s)
      Combo(CWktView::IDC_COUNT0 + s)->setCurrentIndex(counts[s]);
    view->OnCountChanged();
  }
  void SetTimes(int s, const QStringList& times) {
    for (int i = 0; i < times.size(); ++i)
      view->TimeEdit(s, i / 2, i % 2)->setText(times[i]);
  }
  QStringList Wkt() { return Rows(QStringLiteral("WKT"), QStringLiteral("Y,QC,DT,DN,HM0,HM1,SBT")); }

  CWktView* view = nullptr;
};

TEST_P(KvWktDocTest, ATermWithoutScheduleOpensOnTheDefaultsUnsavedAndAStoredOneSaved) {
  CWktDoc* doc = Open();
  ASSERT_NE(doc, nullptr);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(doc->m_strTitle, QStringLiteral("设置作息时间"));
  EXPECT_EQ(doc->m_wkt.Y, QStringLiteral("2024"));
  EXPECT_EQ(doc->m_wkt.QC, 0);
  EXPECT_EQ(doc->m_wkt.PeriodCount(1), 5);
  EXPECT_FALSE(doc->m_bReadOnly);
  QString reason;
  EXPECT_TRUE(doc->HasUnsavedEdits(reason));
  EXPECT_EQ(Combo(CWktView::IDC_YEAR)->currentText(), QStringLiteral("2024"));
  EXPECT_EQ(Combo(CWktView::IDC_YEAR)->count(), 3);
  EXPECT_EQ(Combo(CWktView::IDC_TERM)->currentText(), QStringLiteral("春季学期"));
  doc->GetFrames().at(0)->resize(1100, 720);
  KvGrab(doc->GetFrames().at(0), QStringLiteral("schedule"));

  KvScriptedAnswers answers;
  ASSERT_TRUE(view->SaveRecord(0));
  EXPECT_FALSE(doc->HasUnsavedEdits(reason));
  EXPECT_EQ(Wkt().size(), 12);
  EXPECT_EQ(LogNotes(1902), QStringList{QStringLiteral("保存2024年春季学期作息时间表")});

  // The term is kept for the next opening, which finds its own schedule.
  Combo(CWktView::IDC_TERM)->setCurrentIndex(1);
  view->OnYearTermChanged();
  EXPECT_TRUE(doc->HasUnsavedEdits(reason));
  doc->GetFrames().at(0)->CloseWithoutAsking();
  ASSERT_NE(Open(), nullptr);
  EXPECT_EQ(view->GetWktDoc()->m_wkt.QC, 1);
  EXPECT_TRUE(answers.texts.isEmpty()) << answers.texts.join(u'|').toStdString();
  // The autumn schedule was taken over: leaving it asks first.
  KvScriptedAnswers no({KV_IDNO});
  Combo(CWktView::IDC_TERM)->setCurrentIndex(0);
  view->OnYearTermChanged();
  EXPECT_EQ(no.texts, QStringList{QStringLiteral("当前文档已发生了变化，存盘吗？")});
  EXPECT_FALSE(view->GetWktDoc()->HasUnsavedEdits(reason));
  EXPECT_EQ(Rows(QStringLiteral("WKT"), QStringLiteral("QC"), QStringLiteral("Where DT='A'")), QStringList{QStringLiteral("0")});
}

// The times of two morning periods (start, end, start, end) and what the
// save says.
TEST_P(KvWktDocTest, TimesMustBeValidNeverDecreaseAndEndAfterTheyStart) {
  ASSERT_NE(Open(), nullptr);
  SetCounts({0, 2, 0, 0});
  struct Case {
    QStringList times;
    QString refusal;
  };
  const QList<Case> cases = {
      {{QStringLiteral("0800"), QStringLiteral("0840"), QStringLiteral("0840"), QStringLiteral("0920")}, {}},
      {{QStringLiteral("0800"), QStringLiteral("0800"), QStringLiteral("0840"), QStringLiteral("0920")},
       QStringLiteral("起止时间相同或倒置！")},
      {{QStringLiteral("0800"), QStringLiteral("0850"), QStringLiteral("0830"), QStringLiteral("0920")},
       QStringLiteral("时间先后顺序不正确！")},
      {{QStringLiteral("0800"), QStringLiteral("0840"), QStringLiteral("0900"), QStringLiteral("0850")},
       QStringLiteral("时间先后顺序不正确！")},
      {{QStringLiteral("8:00"), QStringLiteral("0840"), QStringLiteral("0840"), QStringLiteral("0920")},
       QStringLiteral("时间不正确！")},
      {{QStringLiteral("800"), QStringLiteral("0840"), QStringLiteral("0840"), QStringLiteral("0920")},
       QStringLiteral("时间不正确！")},
      {{QStringLiteral("0800"), QStringLiteral("2400"), QStringLiteral("0840"), QStringLiteral("0920")},
       QStringLiteral("时间不正确！")},
      {{QStringLiteral("0800"), QStringLiteral("0840"), QStringLiteral("0860"), QStringLiteral("0920")},
       QStringLiteral("时间不正确！")},
      {{QStringLiteral("0800"), QStringLiteral("0840"), QString(), QStringLiteral("0920")}, QStringLiteral("时间不正确！")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.times.join(u' ').toStdString());
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From WKT")));
    SetTimes(1, c.times);
    KvScriptedAnswers answers;
    EXPECT_EQ(view->SaveRecord(0), c.refusal.isEmpty());
    EXPECT_EQ(answers.Stops(), c.refusal.isEmpty() ? QStringList() : QStringList{c.refusal});
    EXPECT_EQ(Wkt().size(), c.refusal.isEmpty() ? 2 : 0);
  }

  // With no period ticked there is nothing to place lessons in.
  SetTimes(1, {QStringLiteral("0800"), QStringLiteral("0840"), QStringLiteral("0840"), QStringLiteral("0920")});
  for (int d = 0; d < 7; ++d)
    for (int p = 0; p < 2; ++p)
      view->CheckBox(d, 1, p)->setChecked(false);
  KvScriptedAnswers answers;
  EXPECT_FALSE(view->SaveRecord(0));
  EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("应选择排课时间！")});
}

// The page for several period counts: 11 head boxes, one per segment with
// periods, ten per period; the controls stand in their boxes.
TEST_P(KvWktDocTest, ThePageAndItsControlsFollowThePeriodCounts) {
  CWktDoc* doc = Open();
  ASSERT_NE(doc, nullptr);
  struct Case {
    QList<int> counts;
    int segments;
    int periods;
  };
  const QList<Case> cases = {{{1, 5, 4, 2}, 4, 12}, {{0, 2, 0, 1}, 2, 3}, {{0, 0, 3, 0}, 1, 3}, {{8, 8, 8, 8}, 4, 32}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.periods);
    SetCounts(c.counts);
    const KvTextBoxArray& boxes = doc->m_layout.Fields;
    const int s = c.segments;
    const int p = c.periods;
    ASSERT_EQ(boxes.size(), 11 + s + 10 * p);
    EXPECT_EQ(boxes[2].text, QStringLiteral("节次"));
    EXPECT_EQ(boxes[4].text, QStringLiteral("星期日"));
    EXPECT_EQ(boxes[10].rightFrame, 2);
    // The first segment's name spans its periods; the last one closes the page.
    EXPECT_EQ(boxes[11].top, 2);
    EXPECT_EQ(boxes[11 + s - 1].bottom, 2 + p);
    EXPECT_EQ(boxes[11 + s - 1].bottomFrame, 2);
    EXPECT_EQ(boxes[11 + s + p - 1].bottomFrame, 2);
    EXPECT_EQ(boxes.last().bottomFrame, 2);
    EXPECT_EQ(boxes.last().rightFrame, 2);
    EXPECT_EQ(QRect(boxes.last().left, boxes.last().top, 10, 1), QRect(90, 1 + p, 10, 1));
    // Every edit and check box inside its box.
    int i = 0;
    for (int seg = 0; seg < 4; ++seg) {
      for (int period = 0; period < c.counts[seg]; ++period, ++i) {
        for (int end = 0; end < 2; ++end) {
          const QRect box = doc->m_layout.PlaceFields(11 + s + p + 2 * i + end);
          const QRect edit = view->TimeEdit(seg, period, end)->geometry();
          EXPECT_EQ(edit.left(), box.left() + 3);
          EXPECT_EQ(edit.width(), box.width() - 6);
        }
        for (int d = 0; d < 7; ++d) {
          const QRect box = doc->m_layout.PlaceFields(11 + s + 3 * p + 7 * i + d);
          EXPECT_EQ(view->CheckBox(d, seg, period)->geometry().left(), box.left() + 3);
          EXPECT_EQ(view->CheckBox(d, seg, period)->geometry().width(), box.width() - 6);
        }
      }
      EXPECT_EQ(view->TimeEdit(seg, c.counts[seg], 0), nullptr);
    }
    EXPECT_EQ(view->findChildren<QCheckBox*>().size(), 7 * p);
  }

  // A third afternoon period copies the second's ticks and has no times yet.
  SetCounts({0, 0, 2, 0});
  view->CheckBox(3, 2, 1)->setChecked(false);
  view->CheckBox(3, 2, 1)->click();
  view->CheckBox(4, 2, 1)->setChecked(true);
  view->CheckBox(4, 2, 1)->click();
  EXPECT_EQ(view->CheckBox(4, 2, 1)->text(), QStringLiteral("    "));
  EXPECT_EQ(doc->m_layout.Fields.at(11 + 1 + 3 * 2 + 7 + 3).text, QStringLiteral("排课"));
  EXPECT_EQ(doc->m_layout.Fields.at(11 + 1 + 3 * 2 + 7 + 4).text, QString());
  SetCounts({0, 0, 3, 0});
  EXPECT_TRUE(view->CheckBox(3, 2, 2)->isChecked());
  EXPECT_FALSE(view->CheckBox(4, 2, 2)->isChecked());
  EXPECT_EQ(view->CheckBox(3, 2, 2)->text(), QStringLiteral("排课"));
  EXPECT_TRUE(view->TimeEdit(2, 2, 0)->text().isEmpty());
  KvScriptedAnswers answers;
  EXPECT_FALSE(view->SaveRecord(0));
  EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("时间不正确！")});
}

// Without right "04", or once a timetable of the term is stored, the
// schedule is shown only: no controls, nothing to save, no question.
TEST_P(KvWktDocTest, TheScheduleIsReadOnlyWithoutTheRightOrWithATimetable) {
  AddClasses(1);
  struct Case {
    bool right;
    bool timetable;
    bool readOnly;
  };
  for (const Case& c : QList<Case>{{true, false, false}, {false, false, true}, {true, true, true}}) {
    SCOPED_TRACE(int(c.right) * 10 + int(c.timetable));
    Grant(c.right ? QStringList{QStringLiteral("1903"), QStringLiteral("1904")} : QStringList{QStringLiteral("1903")});
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From PK")));
    if (c.timetable) {
      ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into PK(Y,QC,T,STD,WK,DT,DN,DS,SBT,TCHR,PUBRM) "
                                                "Values('2024','0','20240301','010101','1','B','1','0','0001','','')")));
    }
    CWktDoc* doc = Open();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->m_bReadOnly, c.readOnly);
    doc->GetFrames().at(0)->resize(1100, 720);
    KvGrab(doc->GetFrames().at(0), QStringLiteral("schedule_read_only"));
    EXPECT_EQ(view->CheckBox(1, 1, 0)->isVisible(), !c.readOnly);
    EXPECT_EQ(view->TimeEdit(1, 0, 0)->isEnabled(), !c.readOnly);
    EXPECT_EQ(Combo(CWktView::IDC_COUNT0)->isEnabled(), !c.readOnly);
    EXPECT_EQ(KvCmdEnabled(doc, KV_CMD_FILE_SAVE), !c.readOnly);
    // The schedule was taken over from the defaults: unsaved only when it
    // could be saved.
    KvScriptedAnswers answers({KV_IDNO});
    QString reason;
    EXPECT_EQ(doc->HasUnsavedEdits(reason), !c.readOnly);
    EXPECT_TRUE(doc->GetFrames().at(0)->close());
    EXPECT_EQ(answers.texts.size(), c.readOnly ? 0 : 1);
  }
}

TEST_P(KvWktDocTest, ASaveIsRefusedWhenATimetableWasStoredMeanwhile) {
  AddClasses(1);
  CWktDoc* doc = Open();
  ASSERT_NE(doc, nullptr);
  ASSERT_FALSE(doc->m_bReadOnly);
  AddLesson(QStringLiteral("010101"), 1, 'B', 1, QStringLiteral("0001"), QString());
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update PK Set QC='0'")));
  KvScriptedAnswers answers;
  EXPECT_FALSE(doc->Save());
  EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("本学期已有课表，不能修改作息时间表！")});
  EXPECT_TRUE(Wkt().isEmpty());
  EXPECT_TRUE(LogNotes(1902).isEmpty());
}

// A new year or term first offers to save: Cancel keeps the old choice and
// the edits, No drops them, Yes saves them.
TEST_P(KvWktDocTest, ChangingTheYearOrTermOffersToSaveFirst) {
  CWktDoc* doc = Open();
  ASSERT_NE(doc, nullptr);
  QString reason;
  {
    KvScriptedAnswers answers({KV_IDCANCEL});
    Combo(CWktView::IDC_YEAR)->setCurrentIndex(2);
    view->OnYearTermChanged();
    EXPECT_EQ(answers.texts, QStringList{QStringLiteral("当前文档已发生了变化，存盘吗？")});
  }
  EXPECT_EQ(Combo(CWktView::IDC_YEAR)->currentText(), QStringLiteral("2024"));
  EXPECT_EQ(doc->m_wkt.Y, QStringLiteral("2024"));
  EXPECT_TRUE(Wkt().isEmpty());
  {
    KvScriptedAnswers answers({KV_IDNO});
    Combo(CWktView::IDC_YEAR)->setCurrentIndex(2);
    view->OnYearTermChanged();
  }
  EXPECT_EQ(doc->m_wkt.Y, QStringLiteral("2025"));
  EXPECT_TRUE(Wkt().isEmpty());
  {
    KvScriptedAnswers answers({KV_IDYES});
    Combo(CWktView::IDC_TERM)->setCurrentIndex(1);
    view->OnYearTermChanged();
  }
  EXPECT_EQ(Rows(QStringLiteral("WKT"), QStringLiteral("Y,QC"), QStringLiteral("Where DT='A'")),
            QStringList{QStringLiteral("2025|0")});
  EXPECT_EQ(doc->m_wkt.QC, 1);
  EXPECT_TRUE(doc->HasUnsavedEdits(reason));
  // Nothing unsaved (a tick ticked back): the other term is read at once.
  ASSERT_TRUE(view->SaveRecord(0));
  view->CheckBox(6, 1, 0)->click();
  view->CheckBox(6, 1, 0)->click();
  KvScriptedAnswers answers;
  Combo(CWktView::IDC_TERM)->setCurrentIndex(0);
  view->OnYearTermChanged();
  EXPECT_EQ(answers.texts, QStringList());
  // A read that fails keeps the year, the term and the schedule shown.
  pdb()->FailNthStatement(1);
  Combo(CWktView::IDC_YEAR)->setCurrentIndex(1);
  view->OnYearTermChanged();
  pdb()->FailNthStatement(0);
  EXPECT_EQ(doc->m_wkt.Y + Combo(CWktView::IDC_YEAR)->currentText() + QString::number(doc->m_wkt.QC),
            QStringLiteral("202520250"));
}

TEST_P(KvWktDocTest, TheSaveAndItsLogEntryAreKeptWholeOrNotAtAll) {
  CWktDoc* doc = Open();
  ASSERT_NE(doc, nullptr);
  KvScriptedAnswers answers;
  const auto state = [this] { return State({{QStringLiteral("WKT"), QStringLiteral("Y,QC,DT,DN,HM0,HM1,SBT")}}); };
  EXPECT_GT(ExpectAllOrNothing([&] { return view->SaveRecord(0); }, state), 0);
  EXPECT_EQ(Wkt().size(), 12);
  EXPECT_EQ(LogNotes(1902).size(), 1);
  // A failed save keeps the edits unsaved.
  view->CheckBox(6, 1, 0)->click();
  QString reason;
  pdb()->FailNthStatement(3);
  EXPECT_FALSE(doc->Save());
  pdb()->FailNthStatement(0);
  EXPECT_TRUE(doc->HasUnsavedEdits(reason));
  EXPECT_EQ(LogNotes(1902).size(), 1);
}

// Keys in the main window: a change offers save at once, Ctrl+S saves it
// wherever the caret is, and F5 reads the schedule again, asking first only
// over the operator's changes; it shows what it read wherever the caret was
// (in a period gone or added). A state is early reading's first start and
// the first morning tick of Saturday and Monday, shown, then stored.
TEST_P(KvWktDocTest, ChangesOfferSaveAtOnceCtrlSSavesThemAndF5ReadsTheScheduleAgain) {
  CKvMainFrm frame;
  ASSERT_TRUE(KvShowActive(&frame));
  ASSERT_NE(Open(), nullptr);
  QAction* save = CKvCommandRouter::Instance()->Action(KV_CMD_FILE_SAVE);
  const auto state = [&] {
    const QString start = Rows(QStringLiteral("WKT"), QStringLiteral("HM0"), QStringLiteral("Where DT='A' And DN='1'")).value(0);
    const QString sbt = Rows(QStringLiteral("WKT"), QStringLiteral("SBT"), QStringLiteral("Where DT='B' And DN='1'")).value(0);
    return QStringLiteral("%1%2%3 %4")
        .arg(view->TimeEdit(0, 0, 0)->text())
        .arg(int(view->CheckBox(6, 1, 0)->isChecked()))
        .arg(int(view->CheckBox(1, 1, 0)->isChecked()))
        .arg(start + sbt.mid(6, 1) + sbt.mid(1, 1));
  };
  const auto tick = [this](int day) {
    return [this, day] {
      view->CheckBox(day, 1, 0)->setFocus();
      QTest::keyClick(view->CheckBox(day, 1, 0), Qt::Key_Space);
    };
  };
  const auto type = [this] {
    view->TimeEdit(0, 0, 0)->setFocus();
    view->TimeEdit(0, 0, 0)->selectAll();
    QTest::keyClicks(view->TimeEdit(0, 0, 0), QStringLiteral("0725"));
  };
  const auto otherWindow = [&] {
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update WKT Set HM0='0710' Where DT='A'")));
    tick(6)();
  };
  // Another station drops the fifth morning period and moves early reading;
  // the caret is in the fifth period here. Then a tick in a period added.
  const auto fifthGone = [&] {
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From WKT Where DT='B' And DN='5'")));
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update WKT Set HM0='0705' Where DT='A'")));
    view->TimeEdit(1, 4, 0)->setFocus();
    view->TimeEdit(1, 4, 0)->selectAll();
    QTest::keyClicks(view->TimeEdit(1, 4, 0), QStringLiteral("1140"));
  };
  const auto fifthAdded = [&] {
    type();
    SetCounts({1, 5, 4, 2});
    view->CheckBox(6, 1, 4)->setFocus();
    QTest::keyClick(view->CheckBox(6, 1, 4), Qt::Key_Space);
  };
  const QStringList stale{QStringLiteral("作息时间表已被其他窗口或工作站修改，请刷新后重新输入！")};
  const QStringList refresh{QStringLiteral("刷新将放弃本窗口中尚未保存的修改，继续吗？")};
  struct Step { std::function<void()> change; int key; QList<int> answers; QStringList texts; QString state; };
  const QList<Step> steps = {{{}, Qt::Key_F5, {}, {}, "073001 "},
                             {{}, Qt::Key_S, {}, {}, "073001 073001"},
                             {tick(6), Qt::Key_S, {}, {}, "073011 073011"},
                             {type, Qt::Key_S, {}, {}, "072511 072511"},
                             {otherWindow, Qt::Key_S, {}, stale, "072501 071011"},
                             {{}, Qt::Key_F5, {KV_IDYES}, refresh, "071011 071011"},
                             {tick(6), Qt::Key_S, {}, {}, "071001 071001"},
                             {tick(1), Qt::Key_F5, {KV_IDNO}, refresh, "071000 071001"},
                             {fifthGone, Qt::Key_S, {}, stale, "071000 070501"},
                             {{}, Qt::Key_F5, {KV_IDYES}, refresh, "070501 070501"},
                             {fifthAdded, Qt::Key_F5, {KV_IDYES}, refresh, "070501 070501"}};
  Combo(CWktView::IDC_YEAR)->setFocus();
  for (const Step& step : steps) {
    SCOPED_TRACE(step.state.toStdString());
    KvScriptedAnswers answers(step.answers);
    if (step.change) {
      step.change();
      EXPECT_TRUE(save->isEnabled());
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(step.key), step.key == Qt::Key_S ? Qt::ControlModifier : Qt::NoModifier);
    EXPECT_EQ(answers.texts, step.texts);
    EXPECT_EQ(state(), step.state);
  }
  KvGrab(view->window(), QStringLiteral("schedule_refreshed"));
}

TEST_P(KvWktDocTest, TheCardPrintsTheSchedule) {
  KvFakePrinterCatalogue printers;
  CWktDoc* doc = Open();
  ASSERT_NE(doc, nullptr);
  KvPdfReadBack pdf;
  {
    KvPrintAnswers answers(KvTestPdfPath());
    view->ExecuteCmd(KV_CMD_FILE_PRINT);
    pdf = KvReadPdf(answers.pdfPath);
  }
  ASSERT_TRUE(pdf.ok);
  const QStringList texts = pdf.PageTexts(0);
  for (const QString& text : {QStringLiteral("学校周作息时间表"), QStringLiteral("2024年"), QStringLiteral("星期六"),
                              QStringLiteral("早读"), QStringLiteral("07:30"), QStringLiteral("21:30"), QStringLiteral("排课")})
    EXPECT_TRUE(texts.join(u' ').contains(text)) << text.toStdString();
  // An unsaved tick (a Saturday morning) and time print as the card shows them.
  view->CheckBox(6, 1, 0)->click();
  view->TimeEdit(0, 0, 0)->selectAll();
  QTest::keyClicks(view->TimeEdit(0, 0, 0), QStringLiteral("0725"));
  KvPrintAnswers answers(KvTestPdfPath());
  view->ExecuteCmd(KV_CMD_FILE_PRINT);
  const QString unsaved = KvReadPdf(answers.pdfPath).PageTexts(0).join(u' ');
  EXPECT_EQ(unsaved.count(QStringLiteral("排课")) - texts.join(u' ').count(QStringLiteral("排课")), 1);
  EXPECT_TRUE(unsaved.contains(QStringLiteral("07:25")));
}

KV_DB_KIND_TEST_SUITE(KvWktDocTest);

}  // namespace
