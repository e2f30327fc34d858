// The fee-item catalogue: codes proposed and refused, the rename that
// merges two items together with their fee lines (all or nothing), and
// deletes refused while fee lines use an item.

#include "KvSchoolTestSupport.h"

#include "core/KvMessage.h"
#include "school/CCost.h"

#include <gtest/gtest.h>

class CCostTest : public KvSchoolDbTest {};

TEST_P(CCostTest, CodesAreProposedAndTakenOnce) {
  EXPECT_EQ(CCost::NextCode(pdb()), QStringLiteral("01"));
  CCost item{QStringLiteral("03"), QStringLiteral("书本费"), QStringLiteral("O'Neil")};
  EXPECT_TRUE(item.Insert(pdb()));
  EXPECT_FALSE(item.Insert(pdb()));
  EXPECT_EQ(CCost::NextCode(pdb()), QStringLiteral("04"));
  CCost loaded;
  EXPECT_EQ(loaded.Load(QStringLiteral("03"), pdb()), 1);
  EXPECT_EQ(loaded.NT, QStringLiteral("O'Neil"));
  AddItem(QStringLiteral("99"), QStringLiteral("杂费"));
  KvMessageRecorder recorder;
  EXPECT_EQ(CCost::NextCode(pdb()), QString());
  EXPECT_EQ(recorder.last(), QStringLiteral("代码已到最大值99，不能再自动编号！"));
  QList<CCost> all;
  EXPECT_EQ(CCost::SelectAll(&all, pdb()), 2);
  EXPECT_EQ(all.last().KNO, QStringLiteral("99"));
}

TEST_P(CCostTest, RenameMovesLinesAndMergesOnRequest) {
  AddItem(QStringLiteral("03"), QStringLiteral("书本费"));
  AddItem(QStringLiteral("07"), QStringLiteral("资料费"));
  AddLine(QStringLiteral("010201001"), QStringLiteral("03"), 0, 1, 100);
  AddLine(QStringLiteral("010201001"), QStringLiteral("07"), 0, 1, 50);

  // Only the name: no fee line changes.
  CCost read{QStringLiteral("03"), QStringLiteral("书本费"), QString()};
  CCost item{QStringLiteral("03"), QStringLiteral("课本费"), QString()};
  const QStringList lines = Rows(QStringLiteral("PC"), QStringLiteral("COST,My"));
  EXPECT_TRUE(item.Update(read, pdb()));
  read = item;
  EXPECT_EQ(Rows(QStringLiteral("PC"), QStringLiteral("COST,My")), lines);

  // Onto 07: declined, nothing changes.
  KvMessageRecorder recorder;
  item.KNO = QStringLiteral("07");
  const QStringList before = State();
  EXPECT_FALSE(item.Update(read, pdb()));
  EXPECT_EQ(recorder.last(), QStringLiteral("要将费用<03>与<07>合并吗？"));
  EXPECT_EQ(recorder.messages().last().defaultAnswer(), int(KV_IDNO));
  EXPECT_EQ(State(), before);

  // Accepted: 03 goes, 07 keeps its name, every line names 07.
  KvScriptedAnswers yes;
  ExpectAllOrNothing([&] { return item.Update(read, pdb()); });
  EXPECT_EQ(Rows(QStringLiteral("COST"), QStringLiteral("KNO,NA")), QStringList{"07|资料费"});
  EXPECT_EQ(Column(QStringLiteral("Select COST From PC")), (QStringList{"07", "07"}));
}

TEST_P(CCostTest, ItemsInUseAreNotDeleted) {
  AddItem(QStringLiteral("01"), QStringLiteral("学费"));
  AddItem(QStringLiteral("02"), QStringLiteral("杂费"));
  AddLine(QStringLiteral("010201001"), QStringLiteral("01"), 0, 1, 100);
  EXPECT_FALSE(CCost::Delete(QStringLiteral("01"), pdb()));
  EXPECT_TRUE(CCost::Delete(QStringLiteral("02"), pdb()));
  EXPECT_EQ(Column(QStringLiteral("Select KNO From COST")), QStringList{"01"});
}

KV_DB_KIND_TEST_SUITE(CCostTest);
