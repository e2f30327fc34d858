#pragma once
// One row of the weekly teaching plan: what a grade plans for a course
// (WKJH: weekly periods NU, run length CN, priority CL, fixed and barred
// times WTN0/WTN1, note) joined with what one class decides for it
// (SBTTCHR: teacher, shared room, week kind DS). Plans are versions keyed by
// year Y, term QC and start date T; grade rows are stored under the grade's
// code, assignments under the class's code.
//
// The record also carries the version rules: only the latest version may be
// saved or re-dated. Every multi-statement write (save, copy of the previous
// version, re-date, version delete) is one transaction: the first failure
// undoes it. A window's save is also refused when the rows it replaces are
// no longer those the window read. Text values are quoted for the
// connection.
//
// Time texts (WTN0, WTN1): fields separated by ";"; in a field the first
// digit is the day (0 Sunday .. 6 Saturday), later digits periods (1..9),
// letters A..D segments. ExpandTimes turns a text into three-character time
// codes ("1A2", "3??"), BuildTimeMask turns the row's two texts into a mask.

#include <QList>
#include <QString>
#include <QStringList>

class CKvDb;
class CWktRec;
struct KvPkPlanRead;

class CWkjhRec {
 public:
  CWkjhRec(const QString& year = QString(), int term = 0, const QString& date = QString(),
           const QString& code = QString());
  void Clear();

  // "优次中常后" by priority 1..5, "全单双" by week kind 0..2; "" outside.
  static QString PriorityText(int priority);
  static QString WeekKindText(int kind);
  // Y, QC as one digit and T: the text by which versions are ordered.
  QString VersionKey() const;

  // --- Reading ---

  // *pRead (when given) says whether the query could be read at all, so a
  // write can tell a failed read from an empty one.
  int LoadPlanRows(const QString& where, const QString& order, QList<CWkjhRec>& rows, CKvDb* pDb,
                   bool* pRead = nullptr);
  // The rows of this row's version and code ("Order By SBT" when order is
  // empty); -1 when they could not be read.
  int LoadClassPlanRows(const QString& order, QList<CWkjhRec>& rows, CKvDb* pDb);
  // Assignments are read in SBT, TCHR, PUBRM, DS order when order is empty,
  // so "the first assignment of a course" is the same on every back end.
  int LoadAssignments(const QString& where, const QString& order, QList<CWkjhRec>& rows, CKvDb* pDb,
                      bool* pRead = nullptr);
  // The assignments of this row's version and code; -1 when they could not
  // be read.
  int LoadClassAssignments(QList<CWkjhRec>& rows, CKvDb* pDb);
  // Every plan row takes this row's code and the teacher, room and week
  // kind of the first assignment of its course.
  int JoinAssignments(QList<CWkjhRec>& plan, const QList<CWkjhRec>& assignments) const;
  // The grade's rows of this version joined with the class's assignments:
  // their number, 0 when the grade has none, -1 (rows empty) when a read
  // failed, so that a failed read is never taken for a plan without rows or
  // without teachers.
  int LoadClassPlan(const QString& order, QList<CWkjhRec>& rows, CKvDb* pDb);
  // Inside the caller's transaction: locks the plan (WKJH, SBTTCHR) and the
  // timetable (PK), in that order, as every write that locks them does.
  static bool LockPlanAndTimetable(CKvDb* pDb);
  // The class plan of this version (0), else that of the latest version of
  // the grade (1; 0 when there is none either); -1 (rows empty) when a read
  // failed.
  int LoadPlanForDocument(QList<CWkjhRec>& rows, CKvDb* pDb);
  // This row becomes the plan row of the course: 0 none, 1 without an
  // assignment, 2 with one.
  int LoadPlanRow(const QString& course, CKvDb* pDb);
  // This row's key becomes the latest version (of this year, term and grade
  // when Y is set); 0 when there is none, -1 when it cannot be read (the
  // version rules then refuse).
  int GetLatest(CKvDb* pDb);
  // The first of rows with the course, not copied; null when none has it.
  static const CWkjhRec* FindPlanRow(const QString& course, const QList<CWkjhRec>& rows);

  // --- Versions ---

  // Fills a new, empty version from the latest one after asking; the copy
  // is one transaction under the locks on WKJH and SBTTCHR, and copies
  // nothing when the version was set up at another workstation meanwhile.
  void CopyPreviousVersion(CKvDb* pDb);
  // 1 saved; 0 refused (not the latest version, checked under the locks) or
  // failed (rolled back).
  // Replaces the code's own plan rows and its assignments of the courses
  // of rows and of the plan rows replaced; rows under the codes below it
  // and assignments to other courses stay. With pRead, the code's stored
  // rows must still be those read (the window's): otherwise another window
  // or workstation saved the plan since, which is said with a message; on
  // success pRead takes the rows as stored.
  // A refusal's text goes to *pRefusal, for a caller inside a transaction
  // of its own to show once that is rolled back; without pRefusal this
  // transaction is rolled back and the refusal shown.
  int SavePlan(QList<CWkjhRec>& rows, CKvDb* pDb, KvPkPlanRead* pRead = nullptr, QString* pRefusal = nullptr);
  // Whether a save of this key writes the grade's plan rows and the
  // assignments under the code.
  bool WritesPlanRows() const;
  bool WritesAssignments() const;
  // The stored rows of the key's own code in the tables a save of this key
  // writes (none of a table it does not write), in a fixed order; false
  // when a read failed.
  bool LoadReplacedRows(KvPkPlanRead& read, CKvDb* pDb) const;
  bool DeletePlanRows(CKvDb* pDb);
  bool DeleteAssignmentRows(CKvDb* pDb);
  // The code's plan, in one transaction under the locks on WKJH and SBTTCHR,
  // unless a later plan is stored ("非最后一次计划，不能删除！"); the refusal
  // goes as with SavePlan.
  bool DeleteClassRows(CKvDb* pDb, QString* pRefusal = nullptr);
  bool InsertPlanRow(CKvDb* pDb) const;
  bool InsertAssignment(CKvDb* pDb) const;
  static int ListVersions(const QString& year, int term, QStringList& dates, CKvDb* pDb);
  // Refusals go as with SavePlan.
  int ChangeVersionDate(const QString& year, int term, const QString& oldDate, const QString& newDate,
                        CKvDb* pDb, QString* pRefusal = nullptr);
  static int DeleteVersion(const QString& year, int term, const QString& date, CKvDb* pDb);

  // --- Time texts ---

  // The number of time codes of the text (appended to codes when given), 0
  // for an empty text, -1 when the text breaks the syntax (nothing appended).
  static int ExpandTimes(const QString& text, QStringList* codes = nullptr);
  // Sets every flag of the mask (already shaped like the schedule) from
  // WTN0 and WTN1; "" on success, else "指定时间定义出错" or
  // "限制时间定义出错" with the mask all set.
  QString BuildTimeMask(CWktRec& mask) const;

  QString Y;
  int QC = 0;
  QString T;
  QString STD;
  QString SBT;
  QString TCHR;
  QString PUBRM;
  int NU = 0;
  int CN = 0;
  int CL = 0;
  QString WTN0;
  QString WTN1;
  int DS = 0;
  QString NT;

  bool operator==(const CWkjhRec& other) const = default;

 private:
  // False when a plan later than this key's version is stored (*pText then
  // takes the refusal) or the latest cannot be read.
  bool isLatest(CKvDb* pDb, const char* refusal, QString* pText) const;
};

// Plan rows (WKJH) and assignments (SBTTCHR) as read together: those a plan
// save replaces, as a window last read or stored them, or those an arrange
// run built its class plans from.
struct KvPkPlanRead {
  QList<CWkjhRec> plan;
  QList<CWkjhRec> assignments;

  bool operator==(const KvPkPlanRead& other) const = default;
};
