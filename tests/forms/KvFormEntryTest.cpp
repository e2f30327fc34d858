// The stored layout of a form template on each back-end kind: round trips
// of the list row, columns, head blocks and notes with awkward texts, the
// all-or-nothing saves and deletes, and the cut of texts to their columns.

#include "app/KvShellTestApp.h"
#include "core/KvMessage.h"
#include "forms/KvFormEntry.h"

#include <gtest/gtest.h>

namespace {

int count(CKvDb& db, const QString& sql) { return db.GetLong(sql); }

KvFormEntry sampleEntry(CKvDb* pDb, int nFlag, int nForm) {
  KvFormEntry entry;
  entry.SetKey(pDb, nFlag, nForm);
  entry.sFna = QStringLiteral("班级收费'明细\"表");
  entry.nOption = 3;
  entry.nOpen = 1;
  entry.nTopNum = 2;
  entry.AddFormula(2, 1212, 0, 0, QStringLiteral("学生/STRING/LEFT"));
  entry.AddFormula(103, 1010, 2, 2, QStringLiteral("O'Neil/NUMBER/RIGHT/1001/-2/a/b/'c'"));
  entry.AddFormula(100, 812, 0, 0, QStringLiteral("备注\\说明/MDBSTRING/MID"));
  entry.AddTopWord(1, 1, 1, 2, QStringLiteral("学生"));
  entry.AddTopWord(2, 1, 2, 2, QStringLiteral("金'额"));
  // Notes in the order the store gives them back: head before tail, by
  // row, then by position.
  entry.AddHeadNote(0, 0, 10, 1, 0, QStringLiteral("编表单位"), QStringLiteral("编表单位：#co_name"));
  entry.AddHeadNote(0, 0, 591, 1, 1, QStringLiteral("凭证号"), QStringLiteral("用户录入"));
  entry.AddHeadNote(0, 1, 0, 0, 0, QStringLiteral("类别"), QStringLiteral("类别：'#xx_lb'"));
  entry.AddHeadNote(1, 0, 80, 1, 0, QStringLiteral("制表"), QStringLiteral("制表：#cur_opr_name"));
  return entry;
}

}  // namespace

class KvFormEntryStoreTest : public KvDbKindTest {
 protected:
  void SetUp() override {
    KvDbKindTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    KvShellTestApp app;
    ASSERT_TRUE(app.CreateAllTables(&db()));
  }
};

TEST_P(KvFormEntryStoreTest, LayoutRoundTripKeepsEveryFieldAndText) {
  KvFormEntry saved = sampleEntry(&db(), 255, 3);
  ASSERT_TRUE(saved.SaveLayout());

  KvFormEntry loaded;
  loaded.SetKey(&db(), 255, 3);
  ASSERT_EQ(loaded.LoadAll(), 1);
  EXPECT_EQ(loaded.Compare(saved), 0);
  EXPECT_EQ(loaded.sFna, saved.sFna);
  EXPECT_EQ(loaded.nOption, 3);
  EXPECT_EQ(loaded.formulas.at(1).sFormula, QStringLiteral("O'Neil/NUMBER/RIGHT/1001/-2/a/b/'c'"));
  // The option travels in front of the title.
  QStringList stored;
  db().QueryTexts(QStringLiteral("Select sFna From KvFormList Where nFlag=255 And nForm=3"), &stored, 1);
  EXPECT_EQ(stored, QStringList{QStringLiteral("3\t班级收费'明细\"表")});

  KvFormEntry other;
  other.SetKey(&db(), 255, 4);
  EXPECT_EQ(other.Load(), 0);
}

TEST_P(KvFormEntryStoreTest, NotesComeBackByAreaRowAndPosition) {
  KvFormEntry entry;
  entry.SetKey(&db(), 300, 0);
  entry.AddHeadNote(1, 0, 50, 0, 0, QStringLiteral("尾"), QStringLiteral("t"));
  entry.AddHeadNote(0, 0, 1290, 0, 0, QStringLiteral("右"), QStringLiteral("r"));
  entry.AddHeadNote(0, 0, 305, 0, 0, QStringLiteral("左"), QStringLiteral("l"));
  ASSERT_TRUE(entry.SaveLayout());
  KvFormEntry loaded;
  loaded.SetKey(&db(), 300, 0);
  ASSERT_EQ(loaded.LoadAll(), 1);
  ASSERT_EQ(loaded.headNotes.size(), 3);
  EXPECT_EQ(loaded.headNotes.at(0).sNote, QStringLiteral("左"));
  EXPECT_EQ(loaded.headNotes.at(1).sNote, QStringLiteral("右"));
  EXPECT_EQ(loaded.headNotes.at(2).sNote, QStringLiteral("尾"));
}

TEST_P(KvFormEntryStoreTest, SavingAgainReplacesTheRecordsOfTheKeyOnly) {
  ASSERT_TRUE(sampleEntry(&db(), 255, 3).SaveLayout());
  ASSERT_TRUE(sampleEntry(&db(), 255, 4).SaveLayout());
  KvFormEntry smaller = sampleEntry(&db(), 255, 3);
  smaller.formulas.resize(1);
  smaller.topWords.clear();
  smaller.sFna = QStringLiteral("新");
  smaller.nOption = 0;
  ASSERT_TRUE(smaller.SaveLayout());

  KvFormEntry loaded;
  loaded.SetKey(&db(), 255, 3);
  ASSERT_EQ(loaded.LoadAll(), 1);
  EXPECT_EQ(loaded.Compare(smaller), 0);
  EXPECT_EQ(count(db(), QStringLiteral("Select Count(*) From KvFormList Where nFlag=255")), 2);
  EXPECT_EQ(count(db(), QStringLiteral("Select Count(*) From KvFormFormula Where nForm=4")), 3);
}

TEST_P(KvFormEntryStoreTest, AFailedSaveLeavesTheStoredLayoutAsItWas) {
  KvMessageRecorder recorder;
  const KvFormEntry before = sampleEntry(&db(), 255, 3);
  ASSERT_TRUE(KvFormEntry(before).SaveLayout());
  ASSERT_TRUE(db().Execute(QStringLiteral("Drop Table KvFormHeadNote")));

  KvFormEntry changed = before;
  changed.sFna = QStringLiteral("改");
  changed.formulas.removeLast();
  EXPECT_FALSE(changed.SaveLayout());
  EXPECT_FALSE(recorder.messages().isEmpty());  // the failed statement was reported

  KvFormEntry loaded;
  loaded.SetKey(&db(), 255, 3);
  ASSERT_EQ(loaded.Load(), 1);
  ASSERT_TRUE(loaded.LoadFormulas());
  ASSERT_TRUE(loaded.LoadTopWords());
  EXPECT_EQ(loaded.sFna, before.sFna);
  EXPECT_EQ(loaded.formulas, before.formulas);
  EXPECT_EQ(loaded.topWords, before.topWords);
}

TEST_P(KvFormEntryStoreTest, TextsAreCutToTheirColumnsWithoutSplittingACharacter) {
  KvFormEntry entry;
  entry.SetKey(&db(), 300, 1);
  // sNote holds 20 width units: ten Chinese characters.
  entry.AddHeadNote(0, 0, 0, 0, 0, QStringLiteral("字").repeated(15), QStringLiteral("x"));
  ASSERT_TRUE(entry.SaveLayout());
  KvFormEntry loaded;
  loaded.SetKey(&db(), 300, 1);
  ASSERT_EQ(loaded.LoadAll(), 1);
  EXPECT_EQ(loaded.headNotes.at(0).sNote, QStringLiteral("字").repeated(10));
}

TEST_P(KvFormEntryStoreTest, DeleteFormsTakesLayoutAndEveryPrintersRowsOfTheKey) {
  ASSERT_TRUE(sampleEntry(&db(), 255, 3).SaveLayout());
  ASSERT_TRUE(sampleEntry(&db(), 255, 13).SaveLayout());
  for (const char* printer : {"甲", "乙"})
    for (const char* mode : {"3", "13"}) {
      const QString key = QStringLiteral("255,'%1','%2'").arg(QLatin1String(mode), QString::fromUtf8(printer));
      ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into KVPAGESET(nFlag,SFIELDMODE,SPRINTER,PageRow) Values(%1,20)").arg(key)));
      ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into KVFONT(nFlag,SFIELDMODE,SPRINTER) Values(%1)").arg(key)));
      ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into FIELDWIDTH(nFlag,SFIELDMODE,SPRINTER,nCol,nWidth) Values(%1,0,10)").arg(key)));
    }

  ASSERT_TRUE(KvDeleteForms(255, 3, &db()));
  for (const char* table : {"KvFormList", "KvFormFormula", "KvFormTopWord", "KvFormHeadNote"}) {
    EXPECT_EQ(count(db(), QStringLiteral("Select Count(*) From %1 Where nForm=3").arg(QLatin1String(table))), 0) << table;
    EXPECT_GT(count(db(), QStringLiteral("Select Count(*) From %1 Where nForm=13").arg(QLatin1String(table))), 0) << table;
  }
  for (const char* table : {"KVPAGESET", "KVFONT", "FIELDWIDTH"}) {
    EXPECT_EQ(count(db(), QStringLiteral("Select Count(*) From %1 Where SFIELDMODE='3'").arg(QLatin1String(table))), 0) << table;
    EXPECT_EQ(count(db(), QStringLiteral("Select Count(*) From %1 Where SFIELDMODE='13'").arg(QLatin1String(table))), 2) << table;
  }
}

TEST_P(KvFormEntryStoreTest, DeleteFormsIsAllOrNothing) {
  KvMessageRecorder recorder;
  ASSERT_TRUE(sampleEntry(&db(), 255, 3).SaveLayout());
  ASSERT_TRUE(db().Execute(QStringLiteral("Drop Table KVFONT")));
  EXPECT_FALSE(KvDeleteForms(255, 3, &db()));
  EXPECT_EQ(count(db(), QStringLiteral("Select Count(*) From KvFormList Where nForm=3")), 1);
  EXPECT_EQ(count(db(), QStringLiteral("Select Count(*) From KvFormFormula Where nForm=3")), 3);
}

KV_DB_KIND_TEST_SUITE(KvFormEntryStoreTest);
