// Which units an operator may see: the visible lists and the access check
// from the operator lists in memory, the unit picker, and on every back-end
// kind the writers of the visibility rows and the checks that read them.

#include "KvShellDbTest.h"
#include "app/KvDwRight.h"
#include "core/KvMessage.h"
#include "ui/CKvTreeCombo.h"
#include "ui/CKvTreeComboTree.h"

#include <QLineEdit>
#include <QTreeWidgetItem>

namespace {

// The units 01, 0101, 0102 and 02 with the operator lists given by code.
CKvDwArray unitTree(const QHash<QString, QString>& operators = {}) {
  CKvDwArray units;
  for (const char* code : {"01", "0101", "0102", "02"}) {
    CKvDwRec unit;
    unit.KNO = QString::fromLatin1(code);
    unit.NA = QStringLiteral("单位") + unit.KNO;
    unit.JA = QStringLiteral("简") + unit.KNO;
    unit.Operators = operators.value(unit.KNO);
    units.append(unit);
  }
  return units;
}

// The application with operator 102 logged in and the units in memory.
class KvDwRightMemoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_app.InitInstance();
    m_app.GetDataFile().SetOperatorCode(QStringLiteral("102"));
  }
  void TearDown() override {
    KvGetDwArray().clear();
    KvGetCurrentDw().Clear();
  }
  QStringList visible(int mode, const QString& op = QString()) {
    CKvDwArray list;
    const int count = CKvDwRec().KvGetVisibleDwList(&list, op, mode);
    EXPECT_EQ(count, list.size());
    return KvUnitCodes(list);
  }

  KvShellTestApp m_app;
};

}  // namespace

TEST_F(KvDwRightMemoryTest, OneVisibleLeafLeavesOutItsPartlyVisibleParent) {
  KvGetDwArray() = unitTree({{"0101", "102"}});
  EXPECT_EQ(visible(0), QStringList{"0101"});
  EXPECT_EQ(visible(2), QStringList{"0101"});
  EXPECT_EQ(visible(1), (QStringList{"", "01", "0101"}));

  // Exactly one accessible unit becomes the current unit without a word.
  KvMessageRecorder recorder;
  KvSetCurrentDw(QStringLiteral("02"));
  EXPECT_TRUE(CKvDwRec().KvCheckDwAccess(nullptr, 0));
  EXPECT_EQ(KvGetCurrentDw().KNO, QStringLiteral("0101"));
  EXPECT_TRUE(recorder.messages().isEmpty());
  EXPECT_FALSE(KvCheckAllSubDwRight(true));
  EXPECT_EQ(recorder.last(), QStringLiteral("当前操作员没有全部子单位数据访问权！"));
}

TEST_F(KvDwRightMemoryTest, AccessNeedsAVisibleLeafInModeZeroOnly) {
  KvGetDwArray() = unitTree({{"0101", "102;103"}, {"0102", " 102 "}});
  EXPECT_EQ(visible(2), (QStringList{"01", "0101", "0102"}));

  KvMessageRecorder recorder;
  KvSetCurrentDw(QStringLiteral("02"));
  EXPECT_FALSE(CKvDwRec().KvCheckDwAccess(nullptr, 0));
  EXPECT_EQ(recorder.last(), QStringLiteral("你无此单位数据访问权！"));
  EXPECT_EQ(recorder.messages().last().icon(), unsigned(KV_MB_ICONSTOP));
  KvSetCurrentDw(QStringLiteral("01"));
  EXPECT_FALSE(CKvDwRec().KvCheckDwAccess(nullptr, 0));
  EXPECT_EQ(recorder.last(), QStringLiteral("这不是一个末级单位！"));
  recorder.clear();
  EXPECT_TRUE(CKvDwRec().KvCheckDwAccess(nullptr, 2));
  EXPECT_TRUE(CKvDwRec().KvCheckDwAccess(nullptr, 1));
  EXPECT_TRUE(CKvDwRec().KvCheckDwAccess(nullptr, -1));
  EXPECT_TRUE(recorder.messages().isEmpty());
}

TEST_F(KvDwRightMemoryTest, EveryLeafOrNoListMeansNoRestriction) {
  KvGetDwArray() = unitTree({{"0101", "102"}, {"0102", "102"}, {"02", "102"}});
  EXPECT_EQ(visible(0), (QStringList{"0101", "0102", "02"}));
  EXPECT_EQ(visible(1), (QStringList{"", "01", "0101", "0102", "02"}));
  EXPECT_TRUE(KvCheckAllSubDwRight(true));
  // An operator named nowhere sees the whole tree too.
  EXPECT_EQ(visible(0, QStringLiteral("105")), (QStringList{"0101", "0102", "02"}));
  EXPECT_EQ(visible(2, QStringLiteral("105")), (QStringList{"", "01", "0101", "0102", "02"}));

  // A data file without units: one unit (the empty one) that is the current.
  KvGetDwArray().clear();
  EXPECT_EQ(visible(0), QStringList{});
  EXPECT_EQ(visible(1), QStringList{""});
  EXPECT_TRUE(KvCheckAllSubDwRight(true));
  EXPECT_TRUE(CKvDwRec().KvCheckDwAccess(nullptr, 0));
  EXPECT_TRUE(KvGetCurrentDw().KNO.isEmpty());
}

TEST_F(KvDwRightMemoryTest, PickerShowsThePathsAndSetsTheCurrentUnit) {
  CKvDwArray tree = unitTree();
  tree[1].JA.clear();
  KvGetDwArray() = tree;
  EXPECT_EQ(tree[1].KvGetDwPathText(QStringLiteral("全部")),
            QStringLiteral(" 全部\n01 简01\n01 "));
  EXPECT_EQ(CKvDwRec().KvGetDwPathText(QStringLiteral("全部")), QStringLiteral(" 全部"));

  CKvTreeCombo picker;
  KvSetCurrentDw(QStringLiteral("0102"));
  EXPECT_TRUE(CKvDwRec().KvFillDwCombo(&picker, 1, QString(), QStringLiteral("全部")));
  EXPECT_TRUE(picker.isEnabled());
  EXPECT_EQ(picker.Tree()->topLevelItemCount(), 1);
  EXPECT_EQ(picker.Tree()->topLevelItem(0)->child(0)->childCount(), 2);
  EXPECT_EQ(picker.GetSelText(), QStringLiteral("02 简0102"));
  EXPECT_EQ(KvGetCurrentDw().KNO, QStringLiteral("0102"));

  // Choosing another item and reading it back rebuilds the whole code.
  ASSERT_TRUE(picker.SelectText(QStringLiteral(" 全部\n02 简02")));
  KvSetCurrentDwFromCombo(&picker);
  EXPECT_EQ(KvGetCurrentDw().KNO, QStringLiteral("02"));
  ASSERT_TRUE(picker.SelectText(QStringLiteral(" 全部")));
  KvSetCurrentDwFromCombo(&picker);
  EXPECT_TRUE(KvGetCurrentDw().KNO.isEmpty());

  // A current unit the operator may not see is dropped.
  KvGetDwArray() = unitTree({{"0101", "102"}});
  KvSetCurrentDw(QStringLiteral("02"));
  QWidget host;
  auto* inDialog = new CKvTreeCombo(&host);
  host.show();
  ASSERT_FALSE(inDialog->isHidden());
  EXPECT_FALSE(CKvDwRec().KvFillDwCombo(inDialog, 2, QString(), QStringLiteral("全部")));
  EXPECT_TRUE(KvGetCurrentDw().KNO.isEmpty());
  // One unit to pick: flag 2 hides the picker; flag 1 keeps it.
  EXPECT_TRUE(inDialog->isHidden());
  EXPECT_FALSE(inDialog->isEnabled());
  CKvTreeCombo shown;
  EXPECT_TRUE(CKvDwRec().KvFillDwCombo(&shown, 1, QString(), QStringLiteral("全部")));
}

TEST_F(KvDwRightMemoryTest, PickerWithoutUnitsHoldsTheRootLineAlone) {
  QWidget host;
  auto* picker = new CKvTreeCombo(&host);
  auto* hidden = new CKvTreeCombo(&host);
  host.show();
  EXPECT_FALSE(CKvDwRec().KvFillDwCombo(picker, 2, QString(), QStringLiteral("全部")));
  EXPECT_EQ(picker->Tree()->topLevelItemCount(), 1);
  EXPECT_EQ(picker->Tree()->topLevelItem(0)->childCount(), 0);
  EXPECT_TRUE(picker->isHidden());
  EXPECT_FALSE(picker->isEnabled());
  EXPECT_TRUE(KvGetCurrentDw().KNO.isEmpty());

  // Flag 0 fills the picker but never shows it.
  KvGetDwArray() = unitTree();
  EXPECT_FALSE(CKvDwRec().KvFillDwCombo(hidden, 0, QString(), QStringLiteral("全部")));
  EXPECT_TRUE(hidden->isHidden());
  EXPECT_EQ(hidden->Tree()->topLevelItem(0)->childCount(), 2);
}

// --- The visibility rows on each back-end kind ---

class KvDwRightDb : public KvShellDbTest {};

TEST_P(KvDwRightDb, OperatorListsAreCheckedEntryByEntry) {
  addOperator(QStringLiteral("103"));
  CKvDwRec unit;
  QString message = QStringLiteral("x");
  unit.Operators = QStringLiteral("102; \t;103\n;;");
  EXPECT_TRUE(unit.KvCheckDwOperators(appDb(), &message));
  EXPECT_TRUE(message.isEmpty());
  unit.Operators = QStringLiteral("102;101");
  EXPECT_FALSE(unit.KvCheckDwOperators(appDb(), &message));
  EXPECT_EQ(message, QStringLiteral("操作员不能是系统管理员！"));
  unit.Operators = QStringLiteral("102;999");
  EXPECT_FALSE(unit.KvCheckDwOperators(appDb(), &message));
  EXPECT_EQ(message, QStringLiteral("操作员：999不存在！"));

  addUnits({"01", "02"});
  addViewer(QStringLiteral("01"), QStringLiteral("105"));
  ASSERT_TRUE(KvSetDwOperators(appDb(), QStringLiteral("02"), QStringLiteral(" 102;;103 "),
                               QStringLiteral("01")));
  EXPECT_EQ(viewers(), (QStringList{"02:102", "02:103"}));
}

TEST_P(KvDwRightDb, RevokingFromAnUnrestrictedOperatorKeepsTheOtherLeaves) {
  addUnits({"01", "0101", "0102", "02"});
  CKvDwRec rec;
  EXPECT_EQ(rec.KvCheckDwRight(appDb(), QStringLiteral("0101"), QStringLiteral("102")), 2);

  ASSERT_TRUE(KvSetDwRight(appDb(), false, QStringLiteral("0101"), QStringLiteral("102")));
  EXPECT_EQ(viewers(), (QStringList{"0102:102", "02:102"}));
  EXPECT_EQ(rec.KvCheckDwRight(appDb(), QStringLiteral("0101"), QStringLiteral("102")), 0);
  EXPECT_EQ(rec.KvCheckDwRight(appDb(), QStringLiteral("0102"), QStringLiteral("102")), 1);
  EXPECT_EQ(rec.KvCheckDwRight(appDb(), QStringLiteral("01"), QStringLiteral("102")), 0);
  CKvDwArray leaves;
  EXPECT_EQ(rec.KvGetDwOperatorLeaves(appDb(), QStringLiteral("102"), &leaves), 1);
  EXPECT_EQ(KvUnitCodes(leaves), (QStringList{"0102", "02"}));

  // Revoking what he cannot see changes nothing; revoking a visible leaf
  // deletes its row alone.
  ASSERT_TRUE(KvSetDwRight(appDb(), false, QStringLiteral("0101"), QStringLiteral("102")));
  ASSERT_TRUE(KvSetDwRight(appDb(), false, QStringLiteral("02"), QStringLiteral("102")));
  EXPECT_EQ(viewers(), QStringList{"0102:102"});

  // Granting the missing leaves one by one: the last one frees him.
  ASSERT_TRUE(KvSetDwRight(appDb(), true, QStringLiteral("02"), QStringLiteral("102")));
  EXPECT_EQ(viewers(), (QStringList{"0102:102", "02:102"}));
  ASSERT_TRUE(KvSetDwRight(appDb(), true, QStringLiteral("0101"), QStringLiteral("102")));
  EXPECT_TRUE(viewers().isEmpty());
  EXPECT_EQ(rec.KvCheckDwRight(appDb(), QStringLiteral("0101"), QStringLiteral("102")), 2);

  // A grant to someone who sees the unit already writes no row that would
  // restrict him.
  ASSERT_TRUE(KvSetDwRight(appDb(), true, QStringLiteral("02"), QStringLiteral("102")));
  EXPECT_TRUE(viewers().isEmpty());
}

TEST_P(KvDwRightDb, RowsNamingNoLeafRestrictNobody) {
  addUnits({"01", "0101", "02"});
  addViewer(QStringLiteral("01"), QStringLiteral("102"));
  addViewer(QStringLiteral("09"), QStringLiteral("102"));
  CKvDwArray leaves;
  EXPECT_EQ(CKvDwRec().KvGetDwOperatorLeaves(appDb(), QStringLiteral("102"), &leaves), 2);
  // Quotes in codes reach the table intact.
  ASSERT_TRUE(KvSetDwOperators(appDb(), QStringLiteral("0'1"), QStringLiteral("1'2"), QString()));
  EXPECT_TRUE(viewers().contains(QStringLiteral("0'1:1'2")));
}

TEST_P(KvDwRightDb, AFailedReadOrStatementNeverChangesWhatAnOperatorSees) {
  addUnits({"01", "0101", "0102", "02"});
  KvMessageRecorder recorder;
  // A list that cannot be read is no unrestricted operator.
  addViewer(QStringLiteral("0101"), QStringLiteral("102"));
  CKvDwArray leaves;
  appDb()->FailNthStatement(1);
  EXPECT_EQ(CKvDwRec().KvGetDwOperatorLeaves(appDb(), QStringLiteral("102"), &leaves), -1);
  appDb()->FailNthStatement(0);
  EXPECT_TRUE(leaves.isEmpty());
  EXPECT_FALSE(recorder.messages().isEmpty());

  struct Case {
    QStringList rows;  // the leaves operator 102 has rows for
    bool grant;
    const char* unit;
    QStringList after;
  };
  const Case cases[] = {
      // The last missing leaf frees him: the re-check after the insert
      // decides the deletion.
      {{"0101", "0102"}, true, "02", {}},
      {{"0101"}, true, "02", {"0101:102", "02:102"}},
      // Revoking a unit he does not see: a failed read must not be taken
      // for "unrestricted", which would write rows for the other leaves.
      {{"0101"}, false, "02", {"0101:102"}},
      {{"0101", "02"}, false, "02", {"0101:102"}},
      {{}, false, "0101", {"0102:102", "02:102"}},
      // Named on every leaf he sees every unit: his rows give way to those
      // of the other leaves.
      {{"0101", "0102", "02"}, false, "0102", {"0101:102", "02:102"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.grant ? "grant " : "revoke ") + c.unit);
    int failures = 0;
    for (int n = 1; n < 50; ++n) {
      ASSERT_TRUE(CKvCsRec(appDb()).DeleteWhere(QStringLiteral("Where Cs=4000")));
      for (const QString& unit : c.rows)
        addViewer(unit, QStringLiteral("102"));
      const QStringList before = viewers();
      appDb()->FailNthStatement(n);
      const bool done = KvSetDwRight(appDb(), c.grant, QString::fromLatin1(c.unit), QStringLiteral("102"));
      const int sent = appDb()->GetStatementsSent();
      appDb()->FailNthStatement(0);
      if (sent < n) {
        EXPECT_TRUE(done);
        EXPECT_EQ(viewers(), c.after);
        break;
      }
      EXPECT_FALSE(done) << "statement " << n;
      EXPECT_EQ(viewers(), before) << "statement " << n;
      ++failures;
    }
    EXPECT_GE(failures, 3);
  }
}

KV_DB_KIND_TEST_SUITE(KvDwRightDb);
