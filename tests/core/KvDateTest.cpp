#include "core/KvDate.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

TEST(KvDate, LeapYearsAndMonthLengths) {
  EXPECT_EQ(KvDaysInMonth(1900, 2), 28);
  EXPECT_EQ(KvDaysInMonth(2000, 2), 29);
  EXPECT_EQ(KvDaysInMonth(2024, 2), 29);
  EXPECT_EQ(KvDaysInMonth(2023, 2), 28);
  EXPECT_EQ(KvDaysInMonth(2024, 4), 30);
  EXPECT_EQ(KvDaysInMonth(2024, 12), 31);
  EXPECT_EQ(KvDaysInMonth(2024, 13), -1);
  EXPECT_EQ(KvDaysInMonth(2024, 0), -1);
}

TEST(KvDate, SteppingCrossesMonthAndYearEnds) {
  EXPECT_EQ(KvNextDate(QStringLiteral("20241231")), QStringLiteral("20250101"));
  EXPECT_EQ(KvPrevDate(QStringLiteral("20250101")), QStringLiteral("20241231"));
  EXPECT_EQ(KvNextDate(QStringLiteral("20240228")), QStringLiteral("20240229"));
  EXPECT_EQ(KvNextDate(QStringLiteral("20230228")), QStringLiteral("20230301"));
  EXPECT_EQ(KvPrevDate(QStringLiteral("20240301")), QStringLiteral("20240229"));
  EXPECT_EQ(KvPrevDate(QStringLiteral("202401")), QStringLiteral("202312"));
  EXPECT_EQ(KvNextDate(QStringLiteral("202412")), QStringLiteral("202501"));

  int year = 2024, month = 12;
  KvNextMonth(&year, &month);
  EXPECT_EQ(year * 100 + month, 202501);
  KvPrevMonth(&year, &month);
  KvPrevMonth(&year, &month);
  EXPECT_EQ(year * 100 + month, 202411);
}

TEST(KvDate, SplittingAndMaking) {
  int y = -1, m = -1, d = -1;
  KvSplitDateText(QStringLiteral("20240305"), &y, &m, &d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20240305);
  KvSplitDateText(QStringLiteral("2024"), &y, &m, &d);
  EXPECT_EQ(m, 0);
  EXPECT_EQ(d, 0);
  KvSplitDateText(QStringLiteral("2024ab"), nullptr, &m, nullptr);
  EXPECT_EQ(m, 0);
  EXPECT_EQ(KvMakeDate(2024, 3, 5), QStringLiteral("20240305"));
  EXPECT_EQ(KvMakeDate(2024, 3, 0), QStringLiteral("202403"));
}

TEST(KvDate, CheckingDateTexts) {
  QString date = QStringLiteral("18991231");
  EXPECT_EQ(KvCheckDateText(&date), -2);
  date = QStringLiteral("20240230");
  EXPECT_EQ(KvCheckDateText(&date), -4);
  date = QStringLiteral("2024031");
  EXPECT_EQ(KvCheckDateText(&date), -1);
  date = QStringLiteral("20241301");
  EXPECT_EQ(KvCheckDateText(&date), -3);
  date = QStringLiteral("20240305x");  // a day that is not a number reads as 0
  EXPECT_EQ(KvCheckDateText(&date), -4);
  date = QStringLiteral("20240229");
  EXPECT_EQ(KvCheckDateText(&date), 0);
  EXPECT_EQ(date, QStringLiteral("20240229"));
  date = QStringLiteral("202403005");  // the day is all the rest
  EXPECT_EQ(KvCheckDateText(&date), 0);
  EXPECT_EQ(date, QStringLiteral("20240305"));
  EXPECT_EQ(KvCheckDateText(nullptr), -1);
}

TEST(KvDate, CompletingRanges) {
  QString from = QStringLiteral("2024"), to = QStringLiteral("2024");
  EXPECT_TRUE(KvCompleteDateRange(&from, &to));
  EXPECT_EQ(from + u'|' + to, QStringLiteral("20240101|20241231"));
  from = QStringLiteral("202402");
  to = QStringLiteral("202402");
  EXPECT_TRUE(KvCompleteDateRange(&from, &to));
  EXPECT_EQ(from + u'|' + to, QStringLiteral("20240201|20240229"));
  from = QStringLiteral("20245");
  EXPECT_FALSE(KvCompleteDateRange(&from, &to));
}

TEST(KvDate, CountingDays) {
  EXPECT_EQ(KvDaysBetween(QStringLiteral("20240305"), QStringLiteral("20240305"), false), 0);
  EXPECT_EQ(KvDaysBetween(QStringLiteral("20240101"), QStringLiteral("20250101"), false), 366);
  EXPECT_EQ(KvDaysBetween(QStringLiteral("20250101"), QStringLiteral("20240101"), false), -366);
  EXPECT_EQ(KvDaysBetween(QStringLiteral("20231231"), QStringLiteral("20240101"), false), 1);
  EXPECT_EQ(KvDaysBetween(QStringLiteral("19991115"), QStringLiteral("20010301"), false), 472);
  EXPECT_EQ(KvDaysBetween(QStringLiteral("2024"), QStringLiteral("2024"), false), 365);  // 1 Jan to 31 Dec
  EXPECT_EQ(KvDaysBetween(QStringLiteral("20245"), QStringLiteral("2024"), false), -1);

  // Thirty-day months: one month from 31 January, then the exact days.
  EXPECT_EQ(KvDaysBetween(QStringLiteral("20240131"), QStringLiteral("20240301"), true), 31);
  EXPECT_EQ(KvDaysBetween(QStringLiteral("20230131"), QStringLiteral("20230301"), true), 31);
  EXPECT_EQ(KvDaysBetween(QStringLiteral("20240115"), QStringLiteral("20240320"), true), 65);
  EXPECT_EQ(KvDaysBetween(QStringLiteral("20241215"), QStringLiteral("20250110"), true), 26);
  EXPECT_EQ(KvDaysBetween(QStringLiteral("20250110"), QStringLiteral("20241215"), true), -26);

  EXPECT_EQ(KvDaysBetweenYmd(2024, 2, 28, 2024, 3, 1), 2);
  EXPECT_EQ(KvDaysBetweenYmd(1900, 2, 28, 1900, 3, 1), 1);
  EXPECT_EQ(KvDaysBetweenYmd(2024, 3, 1, 2023, 3, 1), -366);
}

TEST(KvDate, ChineseCaptions) {
  EXPECT_EQ(KvIntToChineseDigits(2024), QStringLiteral("二○二四"));
  EXPECT_EQ(KvIntToChineseDigits(-10), QStringLiteral("-一○"));
  EXPECT_EQ(KvWeekdayName(0), QStringLiteral("星期日"));
  EXPECT_EQ(KvWeekdayName(6), QStringLiteral("星期六"));
  EXPECT_EQ(KvWeekdayName(7), QString());
  EXPECT_EQ(KvDateToChinese(QStringLiteral("20240305"), QString()), QStringLiteral("2024年03月05日"));
  EXPECT_EQ(KvDateToChinese(QStringLiteral("20240305"), QStringLiteral("-")), QStringLiteral("2024-03-05"));
  EXPECT_EQ(KvDateToChinese(QStringLiteral("202403"), QStringLiteral("/")), QStringLiteral("2024/03"));
  EXPECT_EQ(KvDateToChinese(QString(), QString()), QString());
}

TEST(KvDate, RangeCaptions) {
  auto caption = [](const char* from, const char* to, const char* sep = "", bool condense = true) {
    return KvDateRangeCaption(QString::fromUtf8(from), QString::fromUtf8(to), QString::fromUtf8(sep), condense);
  };
  EXPECT_EQ(caption("202409", "202501"), QStringLiteral("2024年09月～2025年01月"));
  EXPECT_EQ(caption("2024", ""), QStringLiteral("2024年"));
  EXPECT_EQ(caption("202401", "202403"), QStringLiteral("2024年01月～03月"));
  EXPECT_EQ(caption("202402", "202402"), QStringLiteral("2024年02月"));
  EXPECT_EQ(caption("20240201", "20240229"), QStringLiteral("2024年02月"));
  EXPECT_EQ(caption("2023", "2024"), QStringLiteral("2023年～2024年"));
  EXPECT_EQ(caption("20240305", "20240305"), QStringLiteral("2024年03月05日"));
  EXPECT_EQ(caption("20240305", "20240320"), QStringLiteral("2024年03月05日～20日"));
  EXPECT_EQ(caption("20240305", "20240420"), QStringLiteral("2024年03月05日～04月20日"));
  EXPECT_EQ(caption("20240305", "20250420"), QStringLiteral("2024年03月05日～2025年04月20日"));
  EXPECT_EQ(caption("202409", "202501", "-"), QStringLiteral("2024-09～2025-01"));
  EXPECT_EQ(caption("2024", "2024", "-"), QStringLiteral("2024"));
  EXPECT_EQ(caption("20240305", "20240320", "-"), QStringLiteral("2024-03-05～20"));
  EXPECT_EQ(caption("20240305", "20250420", "."), QStringLiteral("2024.03.05～2025.04.20"));
  EXPECT_EQ(caption("202409", "202501", "", false), QStringLiteral("2024年09月～2025年01月"));
  EXPECT_EQ(caption("2024", "2024", "", false), QStringLiteral("2024年"));
  EXPECT_EQ(caption("20245", "202501"), QString());
  EXPECT_EQ(caption("2024", "2024123"), QString());
}

TEST(KvDate, ClockAndFileTimes) {
  const QDateTime time(QDate(2024, 3, 5), QTime(7, 8, 9));
  EXPECT_EQ(KvTimeText(time), QStringLiteral("20240305"));
  const QString now = KvNowText(QStringLiteral("%Y%m%d%H%M%S"));
  EXPECT_EQ(now.size(), 14);
  const QString today = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
  EXPECT_TRUE(now.startsWith(today) || now.startsWith(QDate::currentDate().addDays(-1).toString(QStringLiteral("yyyyMMdd"))));
  EXPECT_EQ(KvNowText(QStringLiteral("%y|%%|%Q")).mid(2), QStringLiteral("|%|%Q"));

  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("a.txt"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("x");
  file.close();
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2023, 12, 31), QTime(23, 59, 58)), QFileDevice::FileModificationTime));
  file.close();
  EXPECT_EQ(KvFileTimeText(path), QStringLiteral("20231231235958"));
  EXPECT_EQ(KvFileTimeText(QString(path).replace(u'/', u'\\')), QStringLiteral("20231231235958"));
  EXPECT_EQ(KvFileTimeText(dir.path()), QString());
  EXPECT_EQ(KvFileTimeText(dir.filePath(QStringLiteral("none"))), QString());
}
