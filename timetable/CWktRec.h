#pragma once
// The period schedule of one school year and term: four segments of the day
// (0 早读, 1 早上, 2 下午, 3 晚上), each with its periods' start and end times
// (HHMM), and per weekday (0 Sunday .. 6 Saturday) a flag per period saying
// whether a lesson may be placed there. Stored in WKT, one row per segment
// and period.
//
// The flag arrays double as a weekly mask: the placement engine and the
// checker combine masks of the same shape. A segment's period count is the
// length of its Sunday flag array; every day has the same count once loaded.
// Periods are 0-based here and 1-based in the table and in every text shown.

#include "ui/KvTextBox.h"

#include <QList>
#include <QString>
#include <QStringList>

class CKvDb;

class CWktRec {
 public:
  static constexpr int kDays = 7;
  static constexpr int kSegments = 4;

  explicit CWktRec(const QString& year = QString(), int term = 0);

  // Year and times empty, term 0, every flag 0; lengths kept.
  void Clear();
  void SetAllFlags(unsigned value);
  // "早读", "早上", "下午", "晚上" for 0..3; "" otherwise.
  static QString GetSegmentName(int s);
  // "星期一早上第3节" for day 1, segment 1, period 2.
  QString GetPeriodLabel(int day, int s, int p) const;
  // The school's default day (1, 5, 4, 2 periods) and week; year and term
  // untouched.
  void SetDefaults();
  // Flag arrays resized to the counts; new flags 0; times untouched.
  void SetPeriodCounts(const int counts[kSegments]);
  // As SetPeriodCounts, but a new period copies the flag of the period
  // before it, and the time arrays follow with empty texts.
  void ResizePeriods(const int counts[kSegments]);
  // Flag := both flags set (the records must have the same counts).
  CWktRec& IntersectFlags(const CWktRec& other);
  // Flag := 0 where the other's flag is set.
  void SubtractFlags(const CWktRec& other);
  int CountFlags() const;
  bool IsEmpty() const;
  // "\n" and a period label for each flag set here but not in allowed.
  QString ListFlagsOutside(const CWktRec& allowed) const;
  // The highest day with a set flag; 0 when none is set.
  int LastFlaggedDay() const;
  // The number of periods of segment s.
  int PeriodCount(int s) const { return int(SBT[0][s].size()); }

  // The stored lessons of the year and term; -1 when they cannot be counted.
  static int CountTimetableRows(const QString& year, int term, CKvDb* pDb);
  static bool DeleteRows(const QString& year, int term, CKvDb* pDb);
  // Replaces the stored rows of the year and term in one transaction.
  bool Save(CKvDb* pDb) const;
  // The same, after checking under the locks on WKT and PK that the year
  // and term have no stored lessons and that their stored periods are still
  // those of read (none when read has none). Otherwise nothing is written
  // and *pRefusal says why, for the caller to show once its transaction
  // has ended.
  bool Save(const CWktRec& read, CKvDb* pDb, QString* pRefusal) const;
  // Reads the year and term; false (record empty) when there is no row or
  // the read failed; *pRead (when given) is false only when it failed.
  bool Load(const QString& year, int term, CKvDb* pDb, bool* pRead = nullptr);
  // 0 when the year and term were found; 1 when taken over from the latest
  // year of the same term, else of the other term, else the defaults; -1
  // when a read failed (the record is then empty: a schedule that could not
  // be read is never taken for a missing one). The record always ends with
  // the requested year and term.
  int LoadOrInherit(const QString& year, int term, CKvDb* pDb);
  // The timetable side's read. With checkCounts a changed period count of a
  // segment is shown ("作息时间表中%s时段课时数发生了变化！") and the record
  // kept as it was. A failed read keeps the record as it was, shows nothing
  // more and gives false; *pRead (when given) is false only then.
  bool LoadForTimetable(const QString& year, int term, bool keepTimes, bool checkCounts, CKvDb* pDb,
                        bool* pRead = nullptr);
  // Whether the stored periods of the year and term are still these, as
  // LoadForTimetable read them without the times: 1 yes, 0 changed, -1
  // unreadable. Asked under the caller's lock on PK, it holds until the
  // commit: a schedule save holds WKT and PK and refuses once the term has
  // lessons.
  int StoredAsLoaded(CKvDb* pDb) const;

  // The page of the period-schedule card, on a grid 100 units wide with
  // rows 1 unit high: 11 head boxes (school, year and term, "节次", "时间",
  // the seven weekdays), then a name box per segment with periods, then for
  // every period over all segments its number (P boxes), its start and end
  // time (2P), and its seven day cells, Sunday first (7P).
  void BuildCardLayout(KvTextBoxArray& boxes, const QString& entityName) const;

  // Same year, term, times and flags (counts included).
  bool operator==(const CWktRec& other) const = default;

  QString Y;
  int QC = 0;
  QStringList HM0[kSegments];
  QStringList HM1[kSegments];
  QList<unsigned> SBT[kDays][kSegments];

 private:
  // Every segment without periods.
  void clearPeriods();
};
