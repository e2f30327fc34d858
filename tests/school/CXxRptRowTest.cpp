// The fee reports' rows: the fee detail with its merged and blanked rows,
// the statistics per tree node with head counts (checked against the
// generated year's lines as well), and the student ledger's blocks.

#include "KvSchoolTestSupport.h"

#include "school/CCost.h"
#include "school/CXxDataType.h"
#include "school/CXxRptRow.h"
#include "support/school/KvSchoolGen.h"

#include <gtest/gtest.h>

#include <QHash>
#include <cmath>

class CXxRptRowTest : public KvSchoolDbTest {
 protected:
  void SetUp() override {
    KvSchoolDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    AddItem(QStringLiteral("01"), QStringLiteral("学费"));
    AddItem(QStringLiteral("02"), QStringLiteral("书本费"));
    CCost::SelectAll(&m_items, pdb());
  }
  QList<CCost> m_items;
};

TEST_P(CXxRptRowTest, DetailMergesAReceiptsItemsAndBlanksRepeats) {
  AddNode(QStringLiteral("010201001"), QStringLiteral("张三"));
  const QString a = QStringLiteral("010201001");
  AddLine(a, QStringLiteral("01"), 0, -1, 100, QStringLiteral("20240910"), QStringLiteral("00001"));
  AddLine(a, QStringLiteral("02"), 0, -1, 20, QStringLiteral("20240910"), QStringLiteral("00001"));
  AddLine(a, QStringLiteral("01"), 0, -1, 5, QStringLiteral("20240910"), QStringLiteral("00002"));
  AddLine(a, QStringLiteral("01"), 0, -1, 7, QStringLiteral("20240911"), QStringLiteral("00003"));
  AddLine(a, QStringLiteral("01"), 0, -1, 9, QStringLiteral("20250110"), QStringLiteral("00001"));
  AddLine(a, QStringLiteral("01"), 0, 1, 500);  // a due line: not in the detail
  CXxRptRow scratch(1, 2, 9);
  QList<CXxRptRow> rows;
  const QString dates[2] = {QStringLiteral("20240101"), QStringLiteral("20251231")};
  KvFeeFilter filter;
  ASSERT_EQ(scratch.LoadDetail(dates, filter, m_items, &rows, pdb()), 4);
  EXPECT_EQ(rows.at(0).strings.mid(0, 6), (QStringList{"2024", "09", "10", "00001", a, "张三"}));
  EXPECT_EQ(rows.at(0).doubles, (QList<double>{100, 20}));
  EXPECT_EQ(rows.at(0).ints, QList<int>{1});
  EXPECT_EQ(rows.at(1).strings.mid(0, 4), (QStringList{"", "", "", "00002"}));
  EXPECT_EQ(rows.at(2).strings.mid(0, 4), (QStringList{"", "", "11", "00003"}));
  EXPECT_EQ(rows.at(3).strings.mid(0, 4), (QStringList{"2025", "01", "10", "00001"}));
  // Both review flags: no lines.
  filter.bReviewFlags[0] = filter.bReviewFlags[1] = true;
  EXPECT_EQ(scratch.LoadDetail(dates, filter, m_items, &rows, pdb()), 0);
  // A prefix typed with a quote is a literal.
  KvFeeFilter quoted;
  quoted.strStdPrefix = QStringLiteral("01'");
  EXPECT_EQ(scratch.LoadDetail(dates, quoted, m_items, &rows, pdb()), 0);
}

TEST_P(CXxRptRowTest, StatisticsPerNodeWithHeadCounts) {
  AddNode(QStringLiteral("01"), QStringLiteral("本校"));
  CStd grade = AddNode(QStringLiteral("0102"), QStringLiteral("2024级"));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update STD Set XQT0='20240901',XQL='0' Where KNO='0102'")));
  AddNode(QStringLiteral("0103"), QStringLiteral("临时班"));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update STD Set XQT0='20240901',XQL='9' Where KNO='0103'")));
  AddNode(QStringLiteral("010201"), QStringLiteral("一班"));
  AddNode(QStringLiteral("010201001"), QStringLiteral("张三"));
  AddNode(QStringLiteral("010201002"), QStringLiteral("李四"));
  AddNode(QStringLiteral("010301"), QStringLiteral("一班"));
  AddNode(QStringLiteral("010301001"), QStringLiteral("王五"));
  for (const char* student : {"010201001", "010201002", "010301001"}) {
    AddLine(QString::fromLatin1(student), QStringLiteral("01"), 0, 1, 500);
    AddLine(QString::fromLatin1(student), QStringLiteral("02"), 0, 1, 80);
  }
  AddLine(QStringLiteral("010201002"), QStringLiteral("01"), 0, -1, 500);
  AddLine(QStringLiteral("010201002"), QStringLiteral("02"), 0, -1, 80);
  AddLine(QStringLiteral("010201001"), QStringLiteral("01"), 1, 1, 999);  // spring: not this term
  CXxRptRow scratch(1, 2, 2);
  QList<CXxRptRow> rows;
  KvFeeFilter filter;
  ASSERT_EQ(scratch.LoadStatistics(2, QStringLiteral("2024"), 0, 3, filter, m_items, &rows, pdb()), 4);
  EXPECT_EQ(rows.at(0).strings, (QStringList{"01", "本校"}));
  EXPECT_EQ(rows.at(1).strings, (QStringList{"  02", "  2024级"}));
  EXPECT_EQ(rows.at(2).strings, (QStringList{"    01", "    一班"}));
  EXPECT_EQ(rows.at(3).strings, (QStringList{"      001", "      张三"}));
  EXPECT_EQ(rows.at(3).key, QStringLiteral("010201001"));
  for (const CXxRptRow& row : rows) {
    EXPECT_EQ(row.ints, QList<int>{1});
    EXPECT_EQ(row.doubles, (QList<double>{500, 80}));
  }
  // Amounts due count both students; down to the grades only.
  ASSERT_EQ(scratch.LoadStatistics(0, QStringLiteral("2024"), 0, 1, filter, m_items, &rows, pdb()), 2);
  EXPECT_EQ(rows.at(1).ints, QList<int>{2});
  EXPECT_EQ(rows.at(1).doubles, (QList<double>{1000, 160}));
  // The spring term of 2025 is term 1.
  ASSERT_EQ(scratch.LoadStatistics(0, QStringLiteral("2025"), 1, 1, filter, m_items, &rows, pdb()), 2);
  EXPECT_EQ(rows.at(1).doubles, (QList<double>{999, 0}));
}

TEST_P(CXxRptRowTest, LedgerBlocksPerTerm) {
  const QString a = QStringLiteral("010201001");
  AddNode(a, QStringLiteral("张三"));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update STD Set QC1=1 Where KNO='010201001'")));
  AddLine(a, QStringLiteral("01"), 0, 1, 500, QStringLiteral("20240901"), QStringLiteral("00001"));
  AddLine(a, QStringLiteral("01"), 1, 1, 500, QStringLiteral("20250301"), QStringLiteral("00001"));
  AddLine(a, QStringLiteral("01"), 1, -1, 300, QStringLiteral("20250302"), QStringLiteral("00001"));
  AddLine(a, QStringLiteral("01"), 1, -1, 200, QStringLiteral("20250303"), QStringLiteral("00002"));
  CXxRptRow scratch(0, 2, 9);
  QList<CXxRptRow> rows;
  ASSERT_EQ(scratch.LoadLedger(a, m_items, &rows, pdb()), 9);
  QStringList captions;
  for (const CXxRptRow& row : rows)
    captions.append(row.strings.at(6));
  EXPECT_EQ(captions, (QStringList{"  第1学期", "", "  欠费", "", "  第2学期", "", "", "", "  实收小计"}));
  EXPECT_EQ(rows.at(2).doubles, (QList<double>{500, 0}));
  EXPECT_EQ(rows.at(5).strings.at(3), QStringLiteral("00001"));
  EXPECT_EQ(rows.at(7).doubles, (QList<double>{200, 0}));
  EXPECT_EQ(rows.at(8).doubles, (QList<double>{500, 0}));
  CXxRptRow none(0, 2, 9);
  EXPECT_EQ(none.LoadLedger(QStringLiteral("0102"), m_items, &rows, pdb()), 0);
}

KV_DB_KIND_TEST_SUITE(CXxRptRowTest);

// The statistics of a generated year agree with the sums worked out from
// its lines one by one.
class CXxRptRowYearTest : public KvDbKindTest {};

TEST_P(CXxRptRowYearTest, ArrearsOfAGeneratedYearAgreeWithTheLines) {
  KvSchoolTestApp app;
  ASSERT_TRUE(app.OpenOn(testDb()));
  KvSchoolGenOptions options;
  options.nStudents = 240;
  options.nClassesPerGrade = 4;
  KvSchoolGenSummary summary;
  ASSERT_TRUE(KvGenerateSchoolYear(app.GetDb(), options, &summary));
  CKvDb* pDb = app.GetDb();
  QList<CCost> items;
  ASSERT_EQ(CCost::SelectAll(&items, pDb), 12);
  QList<CPc> lines;
  ASSERT_GT(CPc::Select(QString(), QString(), &lines, pDb), 0);

  // Per student and item: due minus paid in the grade's current term.
  QHash<QString, QList<double>> balances;
  for (const CPc& line : lines) {
    const int grade = line.STD.mid(2, 2).toInt() - 1;
    if (line.QC != summary.nGradeTerms[grade])
      continue;
    QList<double>& amounts = balances[line.STD];
    amounts.resize(items.size());
    amounts[line.COST.toInt() - 1] += line.F * line.My;
  }
  QHash<QString, QPair<int, QList<double>>> expected;
  for (auto it = balances.cbegin(); it != balances.cend(); ++it) {
    bool zero = true;
    for (double amount : it.value())
      zero = zero && std::fabs(amount) <= 1e-6;
    if (zero)
      continue;
    for (int length : {2, 4, 6, 9}) {
      auto& node = expected[it.key().left(length)];
      node.first += 1;
      node.second.resize(items.size());
      for (qsizetype i = 0; i < items.size(); ++i)
        node.second[i] += it.value().at(i);
    }
  }
  CXxRptRow scratch(1, int(items.size()), 2);
  QList<CXxRptRow> rows;
  KvFeeFilter filter;
  ASSERT_EQ(scratch.LoadStatistics(2, QStringLiteral("2024"), 0, 3, filter, items, &rows, pDb), expected.size());
  for (const CXxRptRow& row : rows) {
    ASSERT_TRUE(expected.contains(row.key)) << row.key.toStdString();
    EXPECT_EQ(row.ints.at(0), expected.value(row.key).first) << row.key.toStdString();
    for (qsizetype i = 0; i < items.size(); ++i)
      EXPECT_NEAR(row.doubles.at(i), expected.value(row.key).second.at(i), 1e-6);
  }
  pDb->Close();
}

KV_DB_KIND_TEST_SUITE(CXxRptRowYearTest);
