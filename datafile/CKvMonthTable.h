#pragma once
// The business months of a data file: table ZRVMONTH keeps, per period type
// and year, the months whose first or last day differs from the calendar
// month; a month without a row is the calendar month. Dates are "yyyymmdd"
// texts.
//
// Every write (WriteYear, Modify, the migration of Upgrade, CarryToNewYear)
// runs in one transaction of the table's connection and keeps nothing when
// a statement or a read it depends on fails. A read that fails inside a
// write refuses the write.

#include <QString>

class CKvDb;

// The months of one year: the first days of months 1 to 12 and their last
// days. Index 0 is month 1.
struct KvYearMonths {
  QString first[12];
  QString last[12];
  bool operator==(const KvYearMonths& other) const;
};

class CKvMonthTable {
 public:
  // db null: the application's connection.
  explicit CKvMonthTable(CKvDb* db = nullptr, int nType = 1);
  virtual ~CKvMonthTable() = default;

  CKvDb* Db() const { return m_pDb; }
  int Type() const { return m_nType; }

  // The calendar month `month` (1..12) of `year`.
  static QString CalendarFirst(const QString& year, int month);
  static QString CalendarLast(const QString& year, int month);

  // Creates the table and its index when the table is missing; false when a
  // statement failed.
  bool CreateTable();
  // Moves the months that older data files kept as 13 parameter rows (Cs 4)
  // into the table, for types 1 and 2, this year and the next. Nothing
  // happens to a file without SYSTAB or with the table. A count other than
  // 13 is dropped, every month staying the calendar month. False when the
  // migration failed (the file is then as it was).
  bool Upgrade();
  // On a new year's file whose SYSTAB holds its year Y (Max(PY)) and whose
  // ZRVMONTH was copied from the previous year's file: adds the months of
  // Y + 1 for every type from those of Y, each last day a year later
  // (KvDateNextYear: February 29 becomes February 28, February 28 at the
  // end of its month February 29), each first day the day after its
  // predecessor's last. False when it failed, with nothing added.
  bool CarryToNewYear();

  // `period` is "yyyy" (every month) or "yyyymm" (that month). The months
  // asked for start as calendar months and take the stored days. False when
  // the select failed (the calendar months then stay).
  bool ReadYear(const QString& period, KvYearMonths& months);
  // Replaces the year's rows: a month equal to the calendar month gets none.
  bool WriteYear(const QString& year, const KvYearMonths& months);
  // Changes month `month` ("01".."12") of `year` to newDays[0]..newDays[1]:
  // the neighbour months follow (month 12 of the data file's year moves
  // month 1 of the next year, month 1 moves month 12 of the year before),
  // the module of the type may refuse (CheckMonthChange), and the change is
  // logged for it. Both years and the log entry are kept together or not at
  // all. True also when nothing changed.
  // Refused with a message, under the table's lock and after the module's
  // questions: a month no longer stored as readDays gives it (the days a
  // window read; without them, as this call read them first), a neighbour
  // that would be left without a day, and, on a server, another workstation
  // on the data file (the change is made with the file held exclusively).
  bool Modify(const QString& year, const QString& month, const QString newDays[2],
              const QString readDays[2] = nullptr);

 private:
  bool writeYearRows(const QString& year, const KvYearMonths& months);
  bool carryType(int nType, int year);

  CKvDb* m_pDb;
  int m_nType;
};

// The year `date` moved one year on, the day kept within the month; the
// last day of a month stays the last day of that month.
QString KvDateNextYear(const QString& date);
