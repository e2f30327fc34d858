#pragma once
// Reading, filtering and purging the operation log (KvTask, KvLog, KvLogOp)
// for the log viewer, and creating its tables. Every function takes the
// connection to use. Selects run through CKvQuery, which shows a failure to
// the user; the functions then return -1 (-2 for LoadLogTasks), never a
// count that would pass for "nothing there". Conditions and orders are whole
// clauses whose values the caller has quoted.

#include "app/CKvLogRec.h"
#include "app/CKvOperation.h"

#include <QList>
#include <QString>
#include <QStringList>

class CKvDb;

class CKvTaskLog {
 public:
  // Creates the three tables when KvTask is missing; false when a statement
  // failed.
  static bool CreateTables(CKvDb* pDb);

  // The work periods of the condition in the order given; the array is
  // emptied first. Returns their number.
  static int LoadTasks(const QString& condition, const QString& order, QList<CKvOperation>* pTasks,
                       CKvDb* pDb);
  // The period of that number into *pTask; false when there is none (the
  // record is then unchanged).
  static bool LoadTask(int nTask, CKvOperation* pTask, CKvDb* pDb);
  // The entries of the condition, each with its operation's name.
  static int LoadLogRows(const QString& condition, const QString& order, QList<CKvLogRec>* pRows,
                         CKvDb* pDb);
  // The entries of one period in time order; within one second the higher
  // operation code first.
  static int LoadLog(int nTask, QList<CKvLogRec>* pRows, CKvDb* pDb);
  // Appends the distinct period numbers of the entries that meet the
  // condition (the list is not emptied) and returns the list's size. An
  // empty condition runs nothing and gives -1 (every period qualifies); a
  // failed select gives -2.
  static int LoadLogTasks(const QString& condition, QList<int>* pTasks, CKvDb* pDb);
  // The operator labels of KvLogOp; the computers of the periods.
  static int LoadOpNames(QStringList* pNames, CKvDb* pDb);
  static int LoadComputers(QStringList* pNames, CKvDb* pDb);
  // The next level of the date tree of the periods' start times below the
  // prefix: the years (empty prefix), the months of a year (4 characters)
  // or the days of a month (6 characters), ascending. Any other prefix
  // length gives 0 and runs nothing.
  static int QueryGroups(const QString& prefix, QStringList* pGroups, CKvDb* pDb);

  // Deletes the period and its entries in one transaction; false, with
  // nothing deleted, when a statement failed.
  static bool DeleteTask(int nTask, CKvDb* pDb);
  // Deletes the operator labels no entry uses any more.
  static bool PurgeOpNames(CKvDb* pDb);
};
