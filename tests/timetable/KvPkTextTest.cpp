// Time texts of plan rows, the masks built from them, the typed cell text of
// a timetable, and the schedule's own mask operations. No database.

#include "KvPkTestSupport.h"

#include "timetable/CWkjhRec.h"

#include <gtest/gtest.h>

namespace {
TEST(KvPkTimeText, ExpandsFieldsIntoTimeCodes) {
  const struct {
    const char* text;
    int count;
    QStringList codes;
  } cases[] = {
      {"", 0, {}},
      {";;", 0, {}},
      {"1A2", 1, {"1A2"}},
      {"1A12", 2, {"1A1", "1A2"}},
      {"1BA3", 2, {"1B3", "1A3"}},
      {"2", 1, {"2??"}},
      {"c", 1, {"?C?"}},
      {"5D", 1, {"5D?"}},
      {"12345", 4, {"1?2", "1?3", "1?4", "1?5"}},
      {"1ab", 2, {"1A?", "1B?"}},
      {"A3", 1, {"3A?"}},
      {"A12", 1, {"1A2"}},
      {"1A1;;2b;", 2, {"1A1", "2B?"}},
      {"1A22", 2, {"1A2", "1A2"}},
  };
  for (const auto& c : cases) {
    QStringList codes;
    EXPECT_EQ(CWkjhRec::ExpandTimes(QString::fromUtf8(c.text), &codes), c.count) << c.text;
    EXPECT_EQ(codes, c.codes) << c.text;
  }
}

TEST(KvPkTimeText, RefusesBrokenTextsWithoutAppending) {
  for (const char* text : {"7A1", "10", "1E", "1-3", "1,2", "1AB12", "1 A", "1A?", "１A1", "1A１", "一", "2;1x"}) {
    QStringList codes{QStringLiteral("kept")};
    EXPECT_EQ(CWkjhRec::ExpandTimes(QString::fromUtf8(text), &codes), -1) << text;
    EXPECT_EQ(codes, QStringList{QStringLiteral("kept")}) << text;
  }
}

TEST(KvPkTimeText, MaskTakesFixedTimesLessBarredOnes) {
  CWktRec mask;
  const int counts[4] = {1, 11, 4, 2};
  mask.SetPeriodCounts(counts);
  CWkjhRec row;
  EXPECT_EQ(row.BuildTimeMask(mask), QString());
  EXPECT_EQ(mask.CountFlags(), 7 * 18);

  row.WTN0 = QStringLiteral("1A1;1A2");
  row.WTN1 = QStringLiteral("1A2");
  EXPECT_EQ(row.BuildTimeMask(mask), QString());
  EXPECT_EQ(mask.CountFlags(), 1);
  EXPECT_EQ(mask.SBT[1][0], QList<unsigned>{1u});

  // Periods 10 and 11 are never named by a code.
  row.WTN0 = QStringLiteral("1B");
  row.WTN1.clear();
  EXPECT_EQ(row.BuildTimeMask(mask), QString());
  EXPECT_EQ(mask.CountFlags(), 9);
  row.WTN0.clear();
  row.WTN1 = QStringLiteral("1B");
  EXPECT_EQ(row.BuildTimeMask(mask), QString());
  EXPECT_EQ(mask.CountFlags(), 7 * 18 - 9);

  row.WTN0 = QStringLiteral("1x");
  row.WTN1 = QStringLiteral("9");
  EXPECT_EQ(row.BuildTimeMask(mask), QStringLiteral("指定时间定义出错"));
  EXPECT_EQ(mask.CountFlags(), 7 * 18);
  row.WTN0 = QStringLiteral("1");
  EXPECT_EQ(row.BuildTimeMask(mask), QStringLiteral("限制时间定义出错"));
}

TEST(KvPkCellText, SplitsWeekKinds) {
  const struct {
    const char* text;
    bool ok;
    const char* every;
    const char* odd;
    const char* even;
  } cases[] = {
      {"", true, "", "", ""},           {"12", true, "12", "", ""},      {"d12s34", true, "", "12", "34"},
      {"S34D12", true, "", "12", "34"}, {"D12S", true, "", "12", ""},    {"s7", true, "", "", "7"},
      {"DS12", false, "", "", ""},      {"D12S12", false, "", "", ""},  {"D", false, "", "", ""},
      {"12D3", false, "", "", ""},      {"X12", false, "", "", ""},     {"D1A", false, "", "", ""},
      {"D１", false, "", "", ""},
  };
  for (const auto& c : cases) {
    QString entries[3];
    EXPECT_EQ(ParseCellText(QString::fromUtf8(c.text), entries), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(entries[0], QString::fromUtf8(c.every)) << c.text;
      EXPECT_EQ(entries[1], QString::fromUtf8(c.odd)) << c.text;
      EXPECT_EQ(entries[2], QString::fromUtf8(c.even)) << c.text;
    }
  }
}

TEST(KvPkSchedule, ResizeAndCompareMasks) {
  CWktRec schedule;
  const int two[4] = {0, 2, 0, 0};
  schedule.ResizePeriods(two);
  schedule.SBT[3][1] = {1u, 0u};
  schedule.SBT[4][1] = {0u, 1u};
  const int four[4] = {0, 4, 0, 0};
  schedule.ResizePeriods(four);
  EXPECT_EQ(schedule.SBT[3][1], (QList<unsigned>{1u, 0u, 0u, 0u}));
  EXPECT_EQ(schedule.SBT[4][1], (QList<unsigned>{0u, 1u, 1u, 1u}));
  EXPECT_EQ(schedule.HM0[1], (QStringList{QString(), QString(), QString(), QString()}));
  EXPECT_EQ(schedule.LastFlaggedDay(), 4);
  CWktRec allowed = schedule;
  allowed.SBT[4][1] = {0u, 1u, 0u, 0u};
  EXPECT_EQ(schedule.ListFlagsOutside(allowed), QStringLiteral("\n星期四早上第3节\n星期四早上第4节"));
  EXPECT_EQ(CWktRec::GetSegmentName(4), QString());
  EXPECT_EQ(CWktRec::GetSegmentName(-1), QString());
  EXPECT_EQ(CWktRec().LastFlaggedDay(), 0);
}

TEST(KvPkGridShape, PeriodsNumberedAcrossTheDay) {
  CWktRec schedule;
  const int counts[4] = {1, 0, 3, 2};
  schedule.SetPeriodCounts(counts);
  CPkGrid grid;
  grid.SetSizes(schedule);
  int s = -1, p = -1;
  ASSERT_TRUE(grid.PeriodPosition(0, s, p));
  EXPECT_EQ(s * 10 + p, 0);
  ASSERT_TRUE(grid.PeriodPosition(3, s, p));
  EXPECT_EQ(s * 10 + p, 22);
  ASSERT_TRUE(grid.PeriodPosition(4, s, p));
  EXPECT_EQ(s * 10 + p, 30);
  EXPECT_FALSE(grid.PeriodPosition(6, s, p));
  EXPECT_FALSE(grid.PeriodPosition(-1, s, p));
}
}  // namespace
