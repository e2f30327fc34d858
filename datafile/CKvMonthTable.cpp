#include "datafile/CKvMonthTable.h"

#include "app/CKvApp.h"
#include "app/CKvDataType.h"
#include "app/KvAppQuery.h"
#include "core/CKvDb.h"
#include "core/KvDate.h"
#include "core/KvDbBackend.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "app/KvLoggedWrite.h"

#include <QList>

namespace {
const QString kTrimmed = QStringLiteral(" \n\t\r\n");

QString trimmed(QString text) {
  while (!text.isEmpty() && kTrimmed.contains(text.back()))
    text.chop(1);
  while (!text.isEmpty() && kTrimmed.contains(text.front()))
    text.remove(0, 1);
  return text;
}

// Max(PY) of SYSTAB; false when it cannot be read.
bool readFileYear(CKvDb* pDb, int* pYear) {
  return KvAppSelectInt(pDb, QStringLiteral("Select Max(PY) From SysTab"), QString(), pYear);
}
}  // namespace

bool KvYearMonths::operator==(const KvYearMonths& other) const {
  for (int i = 0; i < 12; ++i)
    if (first[i] != other.first[i] || last[i] != other.last[i])
      return false;
  return true;
}

QString KvDateNextYear(const QString& date) {
  int year = 0, month = 0, day = 0;
  KvSplitDateText(date, &year, &month, &day);
  const bool monthEnd = day == KvDaysInMonth(year, month);
  ++year;
  return KvMakeDate(year, month, monthEnd ? KvDaysInMonth(year, month) : qMin(day, KvDaysInMonth(year, month)));
}

CKvMonthTable::CKvMonthTable(CKvDb* db, int nType) : m_pDb(db ? db : KvGetAppDb()), m_nType(nType) {}

QString CKvMonthTable::CalendarFirst(const QString& year, int month) {
  return year + KvIntToText(month, 2) + QStringLiteral("01");
}

QString CKvMonthTable::CalendarLast(const QString& year, int month) {
  return year + KvIntToText(month, 2) + QString::number(KvDaysInMonth(year.toInt(), month));
}

bool CKvMonthTable::CreateTable() {
  if (!m_pDb)
    return false;
  if (m_pDb->TableExists(QStringLiteral("ZRVMONTH")))
    return true;
  const QString create = QStringLiteral(
      "CREATE TABLE ZRVMONTH(nType Long,YY Char(4),MM Char(2),T0 Char(8),T1 Char(8))");
  QString server = create;
  server.replace(QStringLiteral("Long"), QStringLiteral("INT"));
  KvDbTransaction trans(*m_pDb);
  return trans.IsActive() && m_pDb->Execute(create, server) &&
         m_pDb->Execute(QStringLiteral("CREATE INDEX ZRVMONTH ON ZRVMONTH(nType,YY,MM)")) && trans.Commit();
}

bool CKvMonthTable::ReadYear(const QString& period, KvYearMonths& months) {
  const QString year = period.left(4);
  const int only = period.size() == 6 ? period.mid(4, 2).toInt() : 0;
  for (int m = 1; m <= 12; ++m) {
    if (only && m != only)
      continue;
    months.first[m - 1] = CalendarFirst(year, m);
    months.last[m - 1] = CalendarLast(year, m);
  }
  if (!m_pDb)
    return false;
  QString sql = KvFormat("Select rtrim(MM),rtrim(T0),rtrim(T1) From ZRVMONTH Where nType=%d And YY='%s'",
                         m_nType, m_pDb->QuoteText(year));
  if (only)
    sql += KvFormat(" And MM='%s'", KvIntToText(only, 2));
  auto cursor = KvAppSelect(m_pDb, sql);
  if (!cursor)
    return false;
  for (; !cursor->atEnd(); cursor->next()) {
    const int m = cursor->text(0).toInt();
    if (m < 1 || m > 12)
      continue;
    months.first[m - 1] = cursor->text(1);
    months.last[m - 1] = cursor->text(2);
  }
  return true;
}

bool CKvMonthTable::writeYearRows(const QString& year, const KvYearMonths& months) {
  if (!m_pDb->Execute(KvFormat("Delete From ZRVMONTH Where nType=%d And YY='%s'", m_nType,
                               m_pDb->QuoteText(year))))
    return false;
  for (int m = 1; m <= 12; ++m) {
    const QString& first = months.first[m - 1];
    const QString& last = months.last[m - 1];
    if (first == CalendarFirst(year, m) && last == CalendarLast(year, m))
      continue;
    if (!m_pDb->Execute(KvFormat("Insert Into ZRVMONTH(nType,YY,MM,T0,T1) Values(%d,'%s','%s','%s','%s')",
                                 m_nType, m_pDb->QuoteText(year), KvIntToText(m, 2),
                                 m_pDb->QuoteText(first), m_pDb->QuoteText(last))))
      return false;
  }
  return true;
}

bool CKvMonthTable::WriteYear(const QString& year, const KvYearMonths& months) {
  if (!m_pDb)
    return false;
  KvDbTransaction trans(*m_pDb);
  return trans.IsActive() && writeYearRows(year, months) && trans.Commit();
}

bool CKvMonthTable::Upgrade() {
  if (!m_pDb || !m_pDb->TableExists(QStringLiteral("SysTab")) || m_pDb->TableExists(QStringLiteral("ZRVMONTH")))
    return true;
  KvDbTransaction trans(*m_pDb);
  if (!trans.IsActive() || !CreateTable())
    return false;
  auto cursor = KvAppSelect(m_pDb, QStringLiteral("Select CsVal From SysCsTab Where Cs=4 Order By CsN,CsNa,CsVal"));
  if (!cursor)
    return false;
  QStringList values;
  for (; !cursor->atEnd(); cursor->next())
    values.append(trimmed(cursor->text(0)));
  cursor.reset();
  if (!m_pDb->Execute(QStringLiteral("Delete From SysCsTab Where Cs=4")))
    return false;
  if (values.size() == 13) {
    KvYearMonths months;
    for (int m = 1; m <= 12; ++m) {
      months.first[m - 1] = values.at(m - 1);
      months.last[m - 1] = m < 12 ? KvPrevDate(values.at(m)) : values.at(12);
    }
    int year = 0;
    if (!readFileYear(m_pDb, &year))
      return false;
    const QString thisYear = QString::number(year);
    const QString nextYear = QString::number(year + 1);
    for (int type : {1, 2}) {
      CKvMonthTable table(m_pDb, type);
      KvYearMonths next;
      if (!table.writeYearRows(thisYear, months) || !table.ReadYear(nextYear, next))
        return false;
      next.first[0] = KvNextDate(months.last[11]);
      if (!table.writeYearRows(nextYear, next))
        return false;
    }
  }
  return trans.Commit();
}

bool CKvMonthTable::carryType(int nType, int year) {
  CKvMonthTable table(m_pDb, nType);
  KvYearMonths months;
  if (!table.ReadYear(QString::number(year), months))
    return false;
  months.first[0] = KvNextDate(months.last[11]);
  for (int m = 0; m < 12; ++m) {
    months.last[m] = KvDateNextYear(months.last[m]);
    if (m < 11)
      months.first[m + 1] = KvNextDate(months.last[m]);
  }
  return table.writeYearRows(QString::number(year + 1), months);
}

bool CKvMonthTable::CarryToNewYear() {
  if (!m_pDb)
    return false;
  KvDbTransaction trans(*m_pDb);
  if (!trans.IsActive())
    return false;
  auto cursor = KvAppSelect(m_pDb, QStringLiteral("Select distinct nType From ZRVMONTH"));
  int year = 0;
  if (!cursor || !readFileYear(m_pDb, &year))
    return false;
  QList<int> types;
  for (; !cursor->atEnd(); cursor->next())
    types.append(int(cursor->integer(0)));
  cursor.reset();
  for (int type : types)
    if (!carryType(type, year))
      return false;
  return trans.Commit();
}

bool CKvMonthTable::Modify(const QString& year, const QString& month, const QString newDays[2],
                          const QString readDays[2]) {
  if (!m_pDb)
    return false;
  const int m = month.toInt();
  if (m < 1 || m > 12)
    return false;
  KvYearMonths months;
  if (!ReadYear(year, months))
    return false;
  const QString oldFirst = months.first[m - 1];
  const QString oldLast = months.last[m - 1];
  if (newDays[0] == oldFirst && newDays[1] == oldLast)
    return true;
  const QString readFirst = readDays ? readDays[0] : oldFirst;
  const QString readLast = readDays ? readDays[1] : oldLast;
  int fileYear = 0;
  if (!readFileYear(m_pDb, &fileYear))
    return false;
  const bool isFileYear = year.toInt() == fileYear;

  CKvDataType* module = KvFindDataType(m_nType);
  if (module && (!module->CheckMonthChange(m, newDays[0], oldFirst) ||
                 !module->CheckMonthChange(m + 1, KvNextDate(newDays[1]), KvNextDate(oldLast))))
    return false;
  if (module && isFileYear && m == 1)
    module->OnFirstMonthChanged(1, newDays[0], oldFirst);

  QString period;
  const int code = module ? module->GetMonthPeriod(period) : -1;
  const int logCode = m_nType * 100 + (code < 0 ? 0 : code % 100);
  const QString note = KvFormat("修改%s：%s～%s --> %s～%s", period, oldFirst, oldLast, newDays[0], newDays[1]);
  // Why the change was refused under the lock; shown once it is undone.
  QString refusal;
  // A neighbour must keep a day at least: one that ran backwards would
  // leave the months before and after it overlapping.
  const auto keepsDays = [&](const QString& y, int n, const QString& first, const QString& last) {
    if (first <= last)
      return true;
    refusal = KvFormat("这样修改将使%s年%s月成为%s～%s，没有一天，其前后两月将会重叠，不能修改！", y,
                       KvIntToText(n, 2), first, last);
    return false;
  };
  const bool written = KvLoggedWrite(m_pDb, logCode, note, [&] {
    // Under the table's lock: the month is still what the window read.
    if (!m_pDb->LockTable(QStringLiteral("ZRVMONTH")) || !ReadYear(year, months))
      return false;
    if (months.first[m - 1] != readFirst || months.last[m - 1] != readLast) {
      refusal = KvFormat("%s年%s月已被别的窗口或工作站修改为%s～%s，本次修改未保存，请重新打开后再修改！", year,
                         month, months.first[m - 1], months.last[m - 1]);
      return false;
    }
    months.first[m - 1] = newDays[0];
    months.last[m - 1] = newDays[1];
    if (m > 1)
      months.last[m - 2] = KvPrevDate(newDays[0]);
    if (m < 12)
      months.first[m] = KvNextDate(newDays[1]);
    if ((m > 1 && !keepsDays(year, m - 1, months.first[m - 2], months.last[m - 2])) ||
        (m < 12 && !keepsDays(year, m + 1, months.first[m], months.last[m])) || !writeYearRows(year, months))
      return false;
    KvYearMonths other;
    if (isFileYear && m == 12) {
      const QString next = QString::number(year.toInt() + 1);
      if (!ReadYear(next, other))
        return false;
      other.first[0] = KvNextDate(newDays[1]);
      if (!keepsDays(next, 1, other.first[0], other.last[0]) || !writeYearRows(next, other))
        return false;
    } else if (m == 1) {
      const QString previous = QString::number(year.toInt() - 1);
      if (!ReadYear(previous, other))
        return false;
      other.last[11] = KvPrevDate(newDays[0]);
      if (!keepsDays(previous, 12, other.first[11], other.last[11]) || !writeYearRows(previous, other))
        return false;
    }
    // The change is made with the data file held: on a server nobody may
    // have logged in since that was checked.
    if (!m_pDb->CheckOtherClients(false)) {
      refusal = QStringLiteral("修改期间别的工作站登录了当前数据文件，本次修改未保存！");
      return false;
    }
    return true;
  });
  if (!written && !refusal.isEmpty())
    KvMessageBox(refusal, KV_MB_OK | KV_MB_ICONSTOP);
  return written;
}
