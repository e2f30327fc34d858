#pragma once
// One row of the fee reports, and the three queries that build them: the
// paid lines of a date range (fee detail), the amounts due, paid or owed per
// node of the code tree in one term (fee statistics), and one student's
// lines term by term along his in-school transfers (student ledger).
//
// A row holds integer columns (term, head count), one amount per fee item
// (in the order of the fee-item list given to the query), text columns and
// a key (the node code of a statistics row). The arrays keep the sizes they
// were made with. The queries are called on a scratch row sized by the
// caller (1 integer for detail and statistics, none for the ledger; one
// amount per item; 9 texts for detail and ledger, 2 for statistics), build
// each row in it and append copies to the output. They read only; a
// statement that fails is reported and the rows made so far are returned.
// Rows are matched through hash tables, never by scanning the rows made.

#include "school/CCost.h"

#include <QList>
#include <QString>
#include <QStringList>

class CKvDb;

// The filters chosen in the open dialogs: a code prefix (unit, grade,
// class or student; empty = all), a fee item (empty = all), the maker and
// the reviewer (empty = any), and the not-reviewed and reviewed flags.
struct KvFeeFilter {
  QString strStdPrefix;
  QString strCost;
  QString strOperators[2];
  bool bReviewFlags[2] = {false, false};
};

class CXxRptRow {
 public:
  CXxRptRow() = default;
  CXxRptRow(int nInts, int nAmounts, int nTexts);

  // Key and texts "", integers 0, amounts 0.0; sizes kept.
  void Clear();
  // Element-wise += / -= of the integers and amounts over this row's sizes.
  void Add(const CXxRptRow& other);
  void Subtract(const CXxRptRow& other);
  // Every amount within 1e-6 of zero.
  bool IsZero() const;

  // Each load returns the number of rows, -1 (and no rows) when a read
  // fails.
  //
  // Fee detail: one row per receipt, student and term, with one amount per
  // item; repeated year, month, day and number are blanked. dates are
  // "yyyymmdd", inclusive.
  int LoadDetail(const QString dates[2], const KvFeeFilter& filter, const QList<CCost>& items,
                 QList<CXxRptRow>* rows, CKvDb* pDb);
  // Fee statistics of a year and season (0 autumn, 1 spring): kind 0 due,
  // 1 paid, 2 owed; one row per node of the tree down to level `depth`
  // (0-based) whose total is not zero, with the number of students counted
  // and the node's code and name indented by level.
  int LoadStatistics(int kind, const QString& year, int season, int depth, const KvFeeFilter& filter,
                     const QList<CCost>& items, QList<CXxRptRow>* rows, CKvDb* pDb);
  // Student ledger: per term the due lines, the paid lines, subtotals and
  // the arrears.
  int LoadLedger(const QString& student, const QList<CCost>& items, QList<CXxRptRow>* rows, CKvDb* pDb);

  QList<int> ints;
  QList<double> doubles;
  QStringList strings;
  QString key;
};
