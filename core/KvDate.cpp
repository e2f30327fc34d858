#include "core/KvDate.h"

#include "core/KvNumber.h"

#include <QFileInfo>

namespace {
bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// Days since 1970-01-01 of a proleptic Gregorian date. The month is brought
// into 1-12 first; the day adds linearly, so day 0 is the month's eve.
qint64 dayNumber(int year, int month, int day) {
  qint64 y = year;
  qint64 m = month - 1;
  y += m >= 0 ? m / 12 : (m - 11) / 12;
  m = ((m % 12) + 12) % 12 + 1;
  y -= m <= 2;
  const qint64 era = (y >= 0 ? y : y - 399) / 400;
  const qint64 yoe = y - era * 400;
  const qint64 doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5;
  const qint64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468 + day - 1;
}

// The integer of a fixed-width field, as a "%2d" read of it.
int fieldInt(const QString& text, qsizetype from, qsizetype size) {
  return KvLeadingInt(text.mid(from, size));
}

QString twoDigits(int value) { return KvIntToText(value, 2); }

QString strftimeText(const QDateTime& time, const QString& format) {
  const QDate date = time.date();
  const QTime clock = time.time();
  QString out;
  out.reserve(format.size() + 16);
  for (qsizetype i = 0; i < format.size(); ++i) {
    const QChar ch = format.at(i);
    if (ch != u'%' || i + 1 >= format.size()) {
      out += ch;
      continue;
    }
    const char16_t code = format.at(++i).unicode();
    switch (code) {
    case u'Y':
      out += KvIntToText(date.year(), 4);
      break;
    case u'y':
      out += twoDigits(date.year() % 100);
      break;
    case u'm':
      out += twoDigits(date.month());
      break;
    case u'd':
      out += twoDigits(date.day());
      break;
    case u'j':
      out += KvIntToText(date.dayOfYear(), 3);
      break;
    case u'H':
      out += twoDigits(clock.hour());
      break;
    case u'M':
      out += twoDigits(clock.minute());
      break;
    case u'S':
      out += twoDigits(clock.second());
      break;
    case u'%':
      out += u'%';
      break;
    default:
      out += ch;
      out += QChar(code);
      break;
    }
  }
  return out;
}

void trimWhite(QString& text) {
  qsizetype begin = 0;
  qsizetype end = text.size();
  auto white = [](QChar c) { return c == u' ' || c == u'\n' || c == u'\t' || c == u'\r'; };
  while (begin < end && white(text.at(begin)))
    ++begin;
  while (end > begin && white(text.at(end - 1)))
    --end;
  text = text.mid(begin, end - begin);
}
}  // namespace

QString KvNowText(const QString& format) { return strftimeText(QDateTime::currentDateTime(), format); }

QString KvTimeText(const QDateTime& time) { return strftimeText(time.toLocalTime(), QStringLiteral("%Y%m%d")); }

QString KvFileTimeText(const QString& path) {
  QString local = path;
  local.replace(u'\\', u'/');
  const QFileInfo info(local);
  if (local.isEmpty() || !info.exists() || !info.isFile())
    return QString();
  return strftimeText(info.lastModified().toLocalTime(), QStringLiteral("%Y%m%d%H%M%S"));
}

int KvDaysInMonth(int year, int month) {
  switch (month) {
  case 1:
  case 3:
  case 5:
  case 7:
  case 8:
  case 10:
  case 12:
    return 31;
  case 4:
  case 6:
  case 9:
  case 11:
    return 30;
  case 2:
    return isLeapYear(year) ? 29 : 28;
  default:
    return -1;
  }
}

void KvPrevMonth(int* year, int* month) {
  if (--*month < 1) {
    *month = 12;
    --*year;
  }
}

void KvNextMonth(int* year, int* month) {
  if (++*month > 12) {
    *month = 1;
    ++*year;
  }
}

void KvPrevDay(int* year, int* month, int* day) {
  if (--*day < 1) {
    KvPrevMonth(year, month);
    *day = KvDaysInMonth(*year, *month);
  }
}

void KvNextDay(int* year, int* month, int* day) {
  if (++*day > KvDaysInMonth(*year, *month)) {
    *day = 1;
    KvNextMonth(year, month);
  }
}

void KvSplitDateText(const QString& date, int* year, int* month, int* day) {
  if (year)
    *year = KvStrToInt(date.mid(0, 4), 0);
  if (month)
    *month = KvStrToInt(date.mid(4, 2), 0);
  if (day)
    *day = KvStrToInt(date.mid(6, 2), 0);
}

QString KvMakeDate(int year, int month, int day) {
  QString text = KvIntToText(year, 4) + KvIntToText(month, 2);
  if (day > 0)
    text += KvIntToText(day, 2);
  return text;
}

QString KvPrevDate(const QString& date) {
  int year, month, day;
  KvSplitDateText(date, &year, &month, &day);
  if (date.size() == 6) {
    KvPrevMonth(&year, &month);
    return KvMakeDate(year, month, 0);
  }
  KvPrevDay(&year, &month, &day);
  return KvMakeDate(year, month, day);
}

QString KvNextDate(const QString& date) {
  int year, month, day;
  KvSplitDateText(date, &year, &month, &day);
  if (date.size() == 6) {
    KvNextMonth(&year, &month);
    return KvMakeDate(year, month, 0);
  }
  KvNextDay(&year, &month, &day);
  return KvMakeDate(year, month, day);
}

int KvCheckDateText(QString* date) {
  if (!date || date->size() < 8)
    return -1;
  QString yearText = date->left(4);
  trimWhite(yearText);
  const int year = KvStrToInt(yearText, 0);
  const int month = KvStrToInt(date->mid(4, 2), 0);
  const int day = KvStrToInt(date->mid(6), 0);
  if (year < 1900)
    return -2;
  if (month < 1 || month > 12)
    return -3;
  if (day < 1 || day > KvDaysInMonth(year, month))
    return -4;
  *date = QString::number(year * 10000 + month * 100 + day);
  return 0;
}

bool KvCompleteDateRange(QString* from, QString* to) {
  if (!from || !to)
    return false;
  if (from->size() == 4)
    *from += QStringLiteral("01");
  if (from->size() == 6)
    *from += QStringLiteral("01");
  if (to->size() == 4)
    *to += QStringLiteral("12");
  if (to->size() == 6) {
    int year, month;
    KvSplitDateText(*to, &year, &month, nullptr);
    *to += KvIntToText(KvDaysInMonth(year, month), 2);
  }
  return from->size() == 8 && to->size() == 8;
}

int KvDaysBetweenYmd(int year1, int month1, int day1, int year2, int month2, int day2) {
  return int(dayNumber(year2, month2, day2) - dayNumber(year1, month1, day1));
}

int KvDaysBetween(const QString& from, const QString& to, bool thirtyDayMonths) {
  QString start = from;
  QString end = to;
  if (!KvCompleteDateRange(&start, &end))
    return -1;
  if (start == end)
    return 0;
  if (start > end)
    return -KvDaysBetween(end, start, thirtyDayMonths);
  const int y1 = fieldInt(start, 0, 4), m1 = fieldInt(start, 4, 2);
  int d1 = fieldInt(start, 6, 2);
  int y2 = fieldInt(end, 0, 4), m2 = fieldInt(end, 4, 2);
  const int d2 = fieldInt(end, 6, 2);
  if (!thirtyDayMonths)
    return KvDaysBetweenYmd(y1, m1, d1, y2, m2, d2);
  // Whole months count 30 days each; the part after the last whole month
  // counts its exact days.
  const int endYear = y2, endMonth = m2;
  if (d1 > d2) {
    KvPrevMonth(&y2, &m2);
    d1 = KvMin(d1, KvDaysInMonth(y2, m2));
  }
  const int months = (y2 - y1) * 12 + (m2 - m1);
  return 30 * months + KvDaysBetweenYmd(y2, m2, d1, endYear, endMonth, d2);
}

QString KvIntToChineseDigits(int value) {
  static const char16_t numerals[] = u"○一二三四五六七八九";
  QString text = QString::number(value);
  for (QChar& ch : text)
    if (ch >= u'0' && ch <= u'9')
      ch = QChar(numerals[ch.unicode() - u'0']);
  return text;
}

QString KvWeekdayName(int weekday) {
  static const char16_t names[] = u"日一二三四五六";
  if (weekday < 0 || weekday > 6)
    return QString();
  return QStringLiteral("星期") + QChar(names[weekday]);
}

QString KvDateToChinese(const QString& date, const QString& separator) {
  if (date.isEmpty())
    return QString();
  const bool marks = separator.isEmpty();
  QString text = date.left(4) + (marks ? QStringLiteral("年") : separator);
  if (date.size() > 4)
    text += date.mid(4, 2) + (marks ? QStringLiteral("月") : separator);
  if (date.size() > 6)
    text += date.mid(6, 2) + (marks ? QStringLiteral("日") : separator);
  if (!marks && text.endsWith(separator))
    text.chop(separator.size());
  return text;
}

QString KvDateRangeCaption(const QString& from, const QString& to, const QString& separator, bool condense) {
  QString start = from;
  QString end = to.isEmpty() ? from : to;
  auto validLength = [](const QString& t) { return t.size() == 4 || t.size() == 6 || t.size() == 8; };
  if (!validLength(start) || !validLength(end))
    return QString();
  if (!condense) {
    if (start == end)
      return KvDateToChinese(start, separator);
    return KvDateToChinese(start, separator) + QStringLiteral("～") + KvDateToChinese(end, separator);
  }
  KvCompleteDateRange(&start, &end);
  const QString y = start.left(4), m = start.mid(4, 2), d = start.mid(6, 2);
  const QString y2 = end.left(4), m2 = end.mid(4, 2), d2 = end.mid(6, 2);
  const QString& s = separator;
  const bool marks = separator.isEmpty();
  const QString tilde = QStringLiteral("～");
  const QString nian = QStringLiteral("年"), yue = QStringLiteral("月"), ri = QStringLiteral("日");

  if (start == end)
    return marks ? y + nian + m + yue + d + ri : y + s + m + s + d;
  int endYear, endMonth;
  KvSplitDateText(end, &endYear, &endMonth, nullptr);
  const bool sameYear = y == y2;
  const bool sameMonth = sameYear && m == m2;
  const bool wholeMonths = d == QStringLiteral("01") && d2 == KvIntToText(KvDaysInMonth(endYear, endMonth), 2);
  const bool wholeYears = m == QStringLiteral("01") && m2 == QStringLiteral("12");
  if (wholeMonths) {
    if (sameMonth)
      return marks ? y + nian + m + yue : y + s + m;
    if (sameYear && wholeYears)
      return marks ? y + nian : y;
    if (sameYear)
      return marks ? y + nian + m + yue + tilde + m2 + yue : y + s + m + tilde + m2;
    if (wholeYears)
      return marks ? y + nian + tilde + y2 + nian : y + tilde + y2;
    return marks ? y + nian + m + yue + tilde + y2 + nian + m2 + yue : y + s + m + tilde + y2 + s + m2;
  }
  if (sameMonth)
    return marks ? y + nian + m + yue + d + ri + tilde + d2 + ri : y + s + m + s + d + tilde + d2;
  if (sameYear)
    return marks ? y + nian + m + yue + d + ri + tilde + m2 + yue + d2 + ri
                 : y + s + m + s + d + tilde + m2 + s + d2;
  return marks ? y + nian + m + yue + d + ri + tilde + y2 + nian + m2 + yue + d2 + ri
               : y + s + m + s + d + tilde + y2 + s + m2 + s + d2;
}
