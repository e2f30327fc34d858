#pragma once
// Dates held as text, as the tables and settings keep them: "yyyymmdd" for a
// day, "yyyymm" for a month, "yyyy" for a year, and 14-digit time stamps
// "%Y%m%d%H%M%S" in local time. Calendar arithmetic is Gregorian.

#include <QDateTime>
#include <QString>

// The local time now formatted with strftime codes (%Y %m %d %H %M %S %y %j
// %%), never in the user's locale; other codes are kept as written.
QString KvNowText(const QString& format);
// The time's local date as "%Y%m%d".
QString KvTimeText(const QDateTime& time);
// The last-write time of an existing plain file as "%Y%m%d%H%M%S"; the empty
// text when the path does not exist or is a folder.
QString KvFileTimeText(const QString& path);

// Days of the month: 28 to 31, or -1 for a month outside 1-12.
int KvDaysInMonth(int year, int month);

// Step one day back or forward in place, across month and year ends.
void KvPrevDay(int* year, int* month, int* day);
void KvNextDay(int* year, int* month, int* day);
// Step one month back or forward in place, across year ends.
void KvPrevMonth(int* year, int* month);
void KvNextMonth(int* year, int* month);

// Year, month and day from characters 1-4, 5-6 and 7-8 (0 where missing or
// not a number). Any pointer may be null.
void KvSplitDateText(const QString& date, int* year, int* month, int* day);
// "yyyymm", followed by "dd" when the day is greater than 0.
QString KvMakeDate(int year, int month, int day);
// A 6-character text steps one month, any other one day.
QString KvPrevDate(const QString& date);
QString KvNextDate(const QString& date);

// Checks a "yyyymmdd" text: -1 shorter than 8 characters, -2 year below
// 1900, -3 month outside 1-12, -4 day outside the month; on success the text
// is rewritten as plain digits (blanks and extra characters dropped) and 0 is
// returned.
int KvCheckDateText(QString* date);

// Widens partial dates to whole days: a year starts on its 1st of January and
// ends on its 31st of December, a month starts on its first and ends on its
// last day. True when both are then 8 characters long.
bool KvCompleteDateRange(QString* from, QString* to);

// Days from one date text to another (partial dates completed as above;
// negative when `to` is earlier; -1 when a text is not a date). With
// `thirtyDayMonths` every whole month counts 30 days.
int KvDaysBetween(const QString& from, const QString& to, bool thirtyDayMonths);
// Exact number of days from the first date to the second.
int KvDaysBetweenYmd(int year1, int month1, int day1, int year2, int month2, int day2);

// The value's digits as Chinese numerals: 2024 gives "二○二四".
QString KvIntToChineseDigits(int value);
// "星期日" for 0 to "星期六" for 6; the empty text for any other value.
QString KvWeekdayName(int weekday);

// Caption of a 4-, 6- or 8-character date text: "2024年03月05日", or with a
// separator "2024-03-05".
QString KvDateToChinese(const QString& date, const QString& separator);
// Caption of a date range such as "2024年09月～2025年01月"; with `condense`,
// whole months and years are shown as such ("2024年"). An empty end is the
// start; texts not 4, 6 or 8 characters long give the empty text.
QString KvDateRangeCaption(const QString& from, const QString& to, const QString& separator, bool condense);
