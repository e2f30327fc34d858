#pragma once
// The operation log. A CKvOperation is one work period of an operator (a
// KvTask row: number, thread id, start and end time, computer, user) and the
// handle through which everything logs: constructed with an operation code
// (module × 100 + operation) and a detail text it writes one KvLog entry at
// once, by the logged-in operator in the application's current work period.
// Nothing is written while the data file's log switch is off.
//
// With the log on, every entry of a work period carries a registered number:
// a login that cannot register its period (another station holds KvTask)
// writes nothing more then, and the period registers before its next entry
// (WriteLog, or the next transaction of the application's connection, which
// is refused when the registration fails again).
//
// Work-period numbers are max + 1, taken in a transaction that locks KvTask
// and gives the number up when another station took it at the same time
// (the count check), so numbers are unique. Texts are quoted for the
// connection; a note is cut by width and never splits a character.

#include <QString>
#include <QtGlobal>

class CKvDb;
class KvDbStatement;

class CKvOperation {
 public:
  CKvOperation() = default;
  CKvOperation(int nCode, const QString& detail);
  CKvOperation(int nModule, int nOp, const QString& detail);
  virtual ~CKvOperation();
  CKvOperation(const CKvOperation&) = default;
  CKvOperation& operator=(const CKvOperation&) = default;

  void Clear();

  // Starts the working period of the logged-in operator (the application's
  // record): registers the KvTask row, logs "操作员：%s 开始工作" and adds the
  // operator's label to KvLogOp. A registration that does not commit has
  // shown its one message; the rest waits for the period's registration.
  void BeginWork();
  // Ends it: the end time and "操作员：%s 结束工作".
  void EndWork();

  // One entry by the logged-in operator in the application's work period;
  // none while that period stays unregistered.
  static void WriteLog(int nCode, const QString& detail);
  // The one writer of KvLog rows: an empty note becomes the operation's
  // name; a note wider than 230 becomes its first 230 and "..."; the current
  // unit's code is put in front as "<code>"; the whole is cut to 240.
  static bool InsertLogRow(int nTask, const QString& sOp, const QString& sT, int nCode,
                           const QString& note, CKvDb* pDb);
  // The row InsertLogRow writes, for a statement that writes it along with
  // other work: LogRowSelect is "Select" and the five values (nTask, sOp,
  // sT, nTaskID, sNote) as typed parameters, which BindLogRow binds from *p
  // on as InsertLogRow stores them on a connection of the kind. IsLogOn:
  // whether the data file's log takes rows at all.
  static QString LogRowSelect();
  static void BindLogRow(KvDbStatement& statement, int* p, int nTask, const QString& sOp, const QString& sT,
                         int nCode, const QString& note, int kind);
  static bool IsLogOn();
  // The note as InsertLogRow stores it with the given unit code.
  static QString MakeNote(int nCode, const QString& note, const QString& unitCode);
  // Gives the period its number and stores its row. False when it inserted
  // a new row; true when the period was registered already (its number is
  // taken) or nothing was stored (a failure, or the number taken meanwhile:
  // the period keeps the number it had).
  static bool RegisterTask(CKvOperation& task, CKvDb* pDb);
  // The highest period number the data file knows: of KvTask, of KvLog and
  // the mark "最大工作期号" in SysCsTab (Cs 0, CsN 2), which keeps it when
  // periods are deleted. The next period takes it + 1 and is refused with a
  // message past the column's 32 bits. False when unreadable.
  static bool HighestTaskNumber(CKvDb* pDb, qint64* pnHighest);
  // Registers the application's period, when its login could not, on the
  // application's connection outside any transaction: for a writer on a
  // connection of its own (the SQL console), whose entries carry the
  // period too. False while it stays unregistered (the failure shown).
  static bool RegisterPendingTask();
  // Adds the operator label to KvLogOp unless it is there.
  static void AddLogOperator(const QString& sOp, CKvDb* pDb);
  // The name of an operation code; empty when it has none.
  static QString GetOperationName(int nCode);
  // The current local time "%Y%m%d%H%M%S".
  static QString NowText();
  // "%s(%s)" of the logged-in operator's name and code.
  static QString OperatorLabel();

  int nTask = 0;
  int nThreadID = 0;
  QString sT1;
  QString sT2;
  QString sComputer;
  QString sUser;
};
