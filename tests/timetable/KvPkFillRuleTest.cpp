// What a failed read does to the timetabling windows: a refresh of the plan
// (grade and class), the class timetable and the period-schedule card with
// each of its statements refused in turn after a key change leaves nothing to edit or save,
// and the next clean refresh makes it editable again; a hand save whose
// plan cannot be read stores nothing; the schedule of a new year taken
// over from the previous year, saved on closing and arranged.

#include "KvPkGridWindowTestSupport.h"

#include "core/CKvDb.h"
#include "forms/CForthView.h"
#include "forms/CFormChildFrm.h"
#include "forms/CFormDataType.h"
#include "timetable/CPKDoc.h"
#include "timetable/CPKTreeView.h"
#include "timetable/CWkjhDoc.h"
#include "timetable/CWktDoc.h"
#include "timetable/CWktView.h"
#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>

#include <functional>

namespace {
// Shown columns of the timetable: segment, period, Sunday .. Saturday.
constexpr int kMonday = 3;

class KvPkFillRuleTest : public KvPkGridWindowTest {
 protected:
  void SetUp() override {
    KvPkGridWindowTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    Grant({QStringLiteral("1903"), QStringLiteral("1904"), QStringLiteral("1905"), QStringLiteral("1906"),
           QStringLiteral("1907"), QStringLiteral("1908")});
    AddClasses(2);
    AddCourse(QStringLiteral("0001"), QStringLiteral("语文"));
    AddTeacher(QStringLiteral("0001"), QStringLiteral("王芳"));
    AddRoom(QStringLiteral("001"), QStringLiteral("琴房"));
    AddPlan(QStringLiteral("0101"), QStringLiteral("0001"), 2, 1);
    for (const QString& klass : {QStringLiteral("010101"), QStringLiteral("010102")})
      Assign(klass, QStringLiteral("0001"), QStringLiteral("0001"), QStringLiteral("001"));
  }
  // Every table the windows write, and the log.
  QStringList State() {
    QStringList rows;
    for (const auto& [table, columns] :
         QList<std::pair<QString, QString>>{{QStringLiteral("WKJH"), QStringLiteral("STD,SBT,NU,CN,CL")},
                                            {QStringLiteral("SBTTCHR"), QStringLiteral("STD,SBT,TCHR,PUBRM,DS")},
                                            {QStringLiteral("PK"), QStringLiteral("STD,WK,DT,DN,SBT,TCHR,PUBRM")},
                                            {QStringLiteral("WKT"), QStringLiteral("Y,QC,DT,DN,HM0,HM1,SBT")},
                                            {QStringLiteral("KvLog"), QStringLiteral("nTaskID,sNote")}})
      for (const QString& row : Rows(table, columns))
        rows.append(table + u':' + row);
    return rows;
  }
  // With KV_TEST_GRAB set to a folder, the document's window is saved there.
  static void grab(CKvDoc* doc, const QString& name) {
    const QByteArray folder = qgetenv("KV_TEST_GRAB");
    if (folder.isEmpty() || doc->GetFrames().isEmpty())
      return;
    CFormChildFrm* frame = doc->GetFrames().at(0);
    frame->resize(1100, 720);
    frame->grab().save(QDir(QString::fromLocal8Bit(folder)).filePath(name + QStringLiteral(".png")));
  }
  CWktDoc* OpenSchedule(int term) {
    SetOpenArgs(270, 0, {QString::number(term)});
    auto* type = dynamic_cast<CFormDataType*>(KvFindDataType(19));
    return dynamic_cast<CWktDoc*>(type->OpenDocument(270, 0));
  }
};

// For each window: the statements of a clean refresh are counted, then
// each is refused in turn: a grid's refresh stays as it was, a key change leaves it read-only (a failed fill
// also shows no rows); an edit is refused, a save stores nothing and
// closing asks nothing; the next clean refresh makes it editable again.
TEST_P(KvPkFillRuleTest, ARefusedReadOfARefreshLeavesNothingToEditOrSave) {
  SaveSchedule(2, 2);
  const auto tickSaturday = [](CKvDoc* doc) {
    QCheckBox* box = doc->FindView<CWktView>()->CheckBox(6, 1, 0);
    if (!box || box->isHidden() || !box->isEnabled())
      return false;
    box->click();
    return true;
  };
  struct Case {
    const char* name;
    std::function<CKvDoc*()> open;
    // Tries an edit as the operator would; true when it was taken.
    std::function<bool(CKvDoc*)> edit;
    bool keeps = true;  // a refused refresh leaves the window as it was
  };
  const QList<Case> cases = {
      {"grade plan", [this] { return OpenPlan(QStringLiteral("0101")); },
       [](CKvDoc* doc) { return doc->GetRowCount() > 0 && Type(doc, 0, 3, QStringLiteral("3")); }},
      {"class plan", [this] { return OpenPlan(QStringLiteral("010101")); },
       [](CKvDoc* doc) { return doc->GetRowCount() > 0 && Type(doc, 0, 2, QString()); }},
      {"class timetable", [this] { return OpenTimetable(); },
       [](CKvDoc* doc) { return doc->GetRowCount() > 1 && Type(doc, 1, kMonday, QStringLiteral("1")); }},
      {"schedule card", [this] { return OpenSchedule(kTerm); }, tickSaturday},
      // The spring term has no schedule: the autumn one is taken over.
      {"inherited schedule card", [this] { return OpenSchedule(0); }, tickSaturday},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CKvDoc* doc = c.open();
    ASSERT_NE(doc, nullptr);
    ASSERT_FALSE(doc->m_bReadOnly);
    const int rows = doc->GetRowCount();
    const QStringList before = State();
    pdb()->FailNthStatement(1000000);
    ASSERT_TRUE(doc->Refill());
    const int sent = pdb()->GetStatementsSent();
    pdb()->FailNthStatement(0);
    ASSERT_GT(sent, 0);
    for (int n = 1; n <= sent; ++n) {
      SCOPED_TRACE(n);
      KvScriptedAnswers answers;
      pdb()->FailNthStatement(n);
      const bool refreshed = doc->Refill();
      EXPECT_EQ(!doc->IsFillFailed() && doc->GetRowCount() == rows, refreshed || c.keeps);
      answers.texts.clear();
      pdb()->FailNthStatement(n);
      doc->MarkKeyChanged();
      const bool filled = doc->Refill();
      pdb()->FailNthStatement(0);
      EXPECT_TRUE(doc->m_bReadOnly);
      if (!filled) {
        EXPECT_TRUE(doc->IsFillFailed());
        EXPECT_EQ(doc->GetRowCount(), 0);
        grab(doc, QStringLiteral("failed_%1").arg(QString::fromLatin1(c.name).replace(u' ', u'_')));
      }
      // Only the connection's own report of the refused statement.
      EXPECT_EQ(answers.texts.size(), 1) << answers.texts.join(u'|').toStdString();
      EXPECT_FALSE(c.edit(doc));
      QString reason;
      EXPECT_FALSE(doc->HasUnsavedEdits(reason));
      EXPECT_FALSE(doc->Save());
      EXPECT_TRUE(doc->SaveModified());
      EXPECT_EQ(answers.texts.size(), 1);
      EXPECT_EQ(State(), before);

      EXPECT_TRUE(doc->Refill());
      EXPECT_FALSE(doc->IsFillFailed());
      EXPECT_FALSE(doc->m_bReadOnly);
      EXPECT_EQ(doc->GetRowCount(), rows);
      if (HasFailure())
        break;
    }
    // Editable again: the edit is taken and counts as unsaved.
    EXPECT_TRUE(c.edit(doc));
    QString reason;
    EXPECT_TRUE(doc->HasUnsavedEdits(reason));
    CloseAll();
  }
}

// A hand save reads the class's plan again; with any statement refused,
// the save fails and stores nothing: never lessons without their teacher.
TEST_P(KvPkFillRuleTest, AHandSaveWhosePlanCannotBeReadStoresNothing) {
  SaveSchedule(2, 2);
  CPKDoc* doc = OpenTimetable();
  ASSERT_NE(doc, nullptr);
  ASSERT_TRUE(Type(doc, 0, kMonday, QStringLiteral("1")));
  ASSERT_TRUE(Type(doc, 1, kMonday, QStringLiteral("1")));
  KvScriptedAnswers answers;
  EXPECT_GT(ExpectAllOrNothing([&] { return doc->Save(); }, [this] { return State(); }), 0);
  EXPECT_EQ(Rows(QStringLiteral("PK"), QStringLiteral("rtrim(DT),rtrim(DN),rtrim(SBT),rtrim(TCHR),rtrim(PUBRM)")),
            (QStringList{QStringLiteral("B|1|0001|0001|001"), QStringLiteral("B|2|0001|0001|001")}));
}

// A new year's file whose only schedule is the previous year's: the card
// shows the new year with the old periods, unsaved; closing with Yes
// stores and logs it under the new year, and the new year arranges on it.
TEST_P(KvPkFillRuleTest, ANewYearTakesOverTheOldScheduleSavesItOnClosingAndArranges) {
  CWktRec old(QStringLiteral("2023"), kTerm);
  const int counts[4] = {0, 3, 1, 0};
  old.ResizePeriods(counts);
  for (int s = 1, hour = 8; s <= 2; ++s)
    for (int p = 0; p < counts[s]; ++p, ++hour) {
      old.HM0[s][p] = QStringLiteral("%1").arg(hour * 100, 4, 10, QLatin1Char('0'));
      old.HM1[s][p] = QStringLiteral("%1").arg(hour * 100 + 45, 4, 10, QLatin1Char('0'));
      for (int d = 1; d <= 5; ++d)
        old.SBT[d][s][p] = 1;
    }
  ASSERT_TRUE(old.Save(pdb()));
  const QStringList oldRows = Rows(QStringLiteral("WKT"), QStringLiteral("Y,QC,DT,DN,HM0,HM1,SBT"));

  CWktDoc* card = OpenSchedule(kTerm);
  ASSERT_NE(card, nullptr);
  auto* view = card->FindView<CWktView>();
  EXPECT_EQ(card->m_wkt.Y, kYear);
  EXPECT_EQ(card->m_wkt.QC, kTerm);
  EXPECT_EQ(card->m_wkt.PeriodCount(1), 3);
  EXPECT_EQ(KvDlgItem<QComboBox>(view, CWktView::IDC_YEAR)->currentText(), kYear);
  EXPECT_EQ(KvDlgItem<QComboBox>(view, CWktView::IDC_TERM)->currentIndex(), kTerm);
  QString reason;
  EXPECT_TRUE(card->HasUnsavedEdits(reason));
  grab(card, QStringLiteral("new_year_schedule"));
  {
    KvScriptedAnswers answers({KV_IDYES});
    EXPECT_TRUE(card->GetFrames().at(0)->close());
    EXPECT_EQ(answers.texts, QStringList{QStringLiteral("当前文档已发生了变化，存盘吗？")});
  }
  QStringList newRows;
  for (const QString& row : oldRows)
    newRows.append(QStringLiteral("2024") + row.mid(4));
  EXPECT_EQ(Rows(QStringLiteral("WKT"), QStringLiteral("Y,QC,DT,DN,HM0,HM1,SBT")), oldRows + newRows);
  EXPECT_EQ(LogNotes(2), QStringList{QStringLiteral("保存2024年秋季学期作息时间表")});

  CPKDoc* doc = OpenTimetable();
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->GetRowCount(), 4);
  KvScriptedAnswers answers;
  doc->FindView<CPKTreeView>()->setCurrentItem(doc->FindView<CPKTreeView>()->currentItem()->parent());
  doc->Arrange();
  EXPECT_TRUE(answers.texts.contains(QStringLiteral("要保存此次排课结果吗？"))) << answers.texts.join(u'|').toStdString();
  EXPECT_EQ(Rows(QStringLiteral("PK"), QStringLiteral("Y")), QStringList(4, kYear));
}

KV_DB_KIND_TEST_SUITE(KvPkFillRuleTest);

}  // namespace
