#include "datafile/CKvMonthTable.h"

#include "app/CKvApp.h"
#include "app/CKvDataType.h"
#include "app/KvAppQuery.h"
#include "core/CKvDb.h"
#include "core/KvDate.h"
#include "core/KvDbBackend.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
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
  ++year;
  return KvMakeDate(year, month, qMin(day, KvDaysInMonth(year, month)));
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

bool CKvMonthTable::Modify(const QString& year, const QString& month, const QString newDays[2]) {
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
  return KvLoggedWrite(m_pDb, logCode, note, [&] {
    months.first[m - 1] = newDays[0];
    months.last[m - 1] = newDays[1];
    if (m > 1)
      months.last[m - 2] = KvPrevDate(newDays[0]);
    if (m < 12)
      months.first[m] = KvNextDate(newDays[1]);
    if (!writeYearRows(year, months))
      return false;
    KvYearMonths other;
    if (isFileYear && m == 12) {
      const QString next = QString::number(year.toInt() + 1);
      if (!ReadYear(next, other))
        return false;
      other.first[0] = KvNextDate(newDays[1]);
      return writeYearRows(next, other);
    }
    if (m == 1) {
      const QString previous = QString::number(year.toInt() - 1);
      if (!ReadYear(previous, other))
        return false;
      other.last[11] = KvPrevDate(newDays[0]);
      return writeYearRows(previous, other);
    }
    return true;
  });
}
