#pragma once
// One fee line of table PC: an amount due (F = +1) or paid (F = -1) by a
// student (STD) for a fee item (COST) and a term (QC, counted from 0). Lines
// are entered in vouchers: the lines of one voucher share the date T, the
// five-digit number DH and the kind F, and a voucher is identified by F,
// its year (the first four characters of T) and DH; numbers restart at
// "00001" every year, separately per kind. A CPc also serves as the head of
// a voucher (a receipt) or of a class sheet's selection (class code in STD,
// QC -1 for every term, F 2 for both kinds, T "xxxx" for a new voucher).
//
// What callers may rely on:
// - Texts are quoted for the connection; the amount is written with six
//   decimals.
// - A voucher is numbered and stored under CKvDb::LockTable("PC") inside
//   one transaction (nested under a caller's): lines are inserted only
//   while their number is free, and a number another operator used
//   meanwhile rolls everything back with "单号重，插入记录失败！".
// - The selects return -1 (and report) when they cannot be read, so a failed
//   read is never taken for "no lines".
// - The operator is the one logged in to the application's data file.

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

class CKvDb;
class KvDbTransaction;
class CStd;
class KvDbStatement;
class KvTextBoxArray;

class CPc {
 public:
  // The decimals of an amount as the store keeps it: to the fen, whatever
  // decimals a layout gives its column for showing.
  static constexpr int kAmountDecimals = 2;

  QString T;
  QString DH;
  QString Mry;
  QString COST;
  QString STD;
  int QC = 0;
  int F = 0;
  double My = 0.0;
  QString Opr0;
  QString Opr1;
  int LPR = 0;
  int FS = 0;

  // Texts "", integers 0, My 0.
  void Clear();
  // STD, QC, F, T and DH of the other line.
  void CopyHead(const CPc& other);
  // My becomes the sum of the lines' My.
  void SumAmounts(const QList<CPc>& lines);

  // The operator logged in to the application ("" without one).
  static QString CurrentOperator();
  // The lines whose date lies in the year of t (its first four
  // characters): a range of T, which the date index serves.
  static QString YearCondition(const QString& t, CKvDb* pDb);
  // The range of a four-character year as values for "T>=? And T<?": the
  // year, and the year with its last character one higher.
  static QPair<QString, QString> YearRange(const QString& t);
  // "Where F=%d And <year of t> And DH='%s'".
  static QString VoucherWhere(int nF, const QString& t, const QString& dh, CKvDb* pDb);
  // On a class-sheet head, the lines its sheet reads and acts on: a due
  // sheet's the class's due lines of the term, a paid voucher's the class's
  // lines of the voucher in the term (kind, year and number). A student
  // moved to another class takes his lines along under their number, so a
  // voucher may have lines in two classes: each class's sheet, save,
  // delete and review reach its own. "Where ...".
  QString ClassVoucherWhere(CKvDb* pDb) const;

  // --- Reading (the connection is the last argument) ---

  // Reads a select that delivers QC, F, LPR, My, T, DH, Mry, COST, STD,
  // Opr0, Opr1, FS in this order into *lines (emptied first).
  // serverSelect (select when empty) runs on the server kinds.
  static int SelectSql(bool bNames, const QString& select, QList<CPc>* lines, CKvDb* pDb,
                       const QString& serverSelect = QString());
  static int Select(const QString& where, const QString& order, QList<CPc>* lines, CKvDb* pDb);
  // One row per voucher (per T and DH), in date and number order.
  static int SelectVouchers(const QString& where, QList<CPc>* lines, CKvDb* pDb);
  // What the lines of a day's receipts add up to, which changes with every
  // receipt stored, replaced or deleted, printed, reviewed or unreviewed:
  // their number, their print counts and the reviewed ones.
  struct DayTally {
    int nLines = 0;
    int nPrints = 0;
    int nReviewed = 0;
    bool operator==(const DayTally&) const = default;
  };
  // The receipts (paid vouchers made as receipts) of one day, in one
  // statement: per receipt T, DH, F, and STD, Opr0, Opr1 and LPR as
  // SelectVouchers takes them (the least over its lines), in number order,
  // and the student's name and telephone (empty for a code not in STD);
  // *tally (when given) what their lines add up to.
  static int SelectDayReceipts(const QString& date, QList<CPc>* receipts, QList<QPair<QString, QString>>* students,
                               CKvDb* pDb, DayTally* tally = nullptr);
  // The select of a day's DayTally as one tagged row (tag, lines, prints,
  // reviewed as text, ''), with "?" for the day.
  static QString DayTallySelect(int tag);
  // The paid class-sheet vouchers of a class and term.
  static int SelectClassPaidVouchers(const QString& classCode, int term, QList<CPc>* lines,
                                     CKvDb* pDb);
  // The voucher's lines in the order of their items, the same at every
  // reading; with lines this record becomes the first.
  int SelectVoucherLines(int nF, const QString& t, const QString& dh, QList<CPc>* lines, CKvDb* pDb);
  // As SelectVoucherLines without keeping the lines; 0: no such voucher.
  int LoadVoucher(int nF, const QString& t, const QString& dh, CKvDb* pDb);
  // Paid lines of the voucher number in the year of t; -1 unreadable.
  static int CountPaidVoucherLines(const QString& t, const QString& dh, CKvDb* pDb);
  // The most lines any receipt has; 0 without receipts; -1 unreadable.
  static int MaxReceiptLines(CKvDb* pDb);

  // --- Writes ---

  // The next number of a kind in a year: one more than the largest stored,
  // five digits ("00001" for the first); "" when it cannot be read, and
  // "" after "99999" with *pFull (when given) set as NumberAfter sets it.
  // Take it under the PC lock when it is to be stored.
  static QString NextVoucherNo(int nF, const QString& year, CKvDb* pDb, QString* pFull = nullptr);
  // The five-digit number after `largest`; "" past "99999", with *pFull
  // (when given) set to "单号已到最大值99999，不能再自动编号！".
  static QString NumberAfter(qint64 largest, QString* pFull);
  // The select of the largest number of a kind in the year of t, with "?"
  // for the year range (BindLargestNumber binds it from *p on), read down
  // the (F, DH) index from its end.
  static QString LargestNumberSelect(int nF);
  static void BindLargestNumber(KvDbStatement& statement, int* p, const QString& t);
  // Inserts this line (error report on).
  bool Insert(CKvDb* pDb, int nOptions = 1) const;
  // Stores a new receipt (paid lines sharing T and DH) in one transaction;
  // false for no lines, a failed statement or a number in use.
  static bool InsertVoucher(const QList<CPc>& lines, CKvDb* pDb);
  // The log row a voucher's save writes (see CKvOperation::InsertLogRow).
  struct VoucherLog {
    int nTask = 0;
    QString sOp;
    QString sT;
    int nCode = 0;
    QString note;
  };
  // InsertVoucher's work inside the caller's transaction, which holds the
  // PC lock: one bound statement (prepared once per connection) that
  // inserts the lines only while their number is free in the year and
  // kind, and the log row (when given and the log is on) written only with
  // them. A number in use rolls the transaction back before
  // "单号重，插入记录失败！". With bCommit the whole transaction (begun
  // with its select, see KvDbTransaction) is committed after them, which
  // needs that nothing else was written in it. On a server the lines and
  // the log row go in one statement, sent with the commit in one round
  // trip where the back end can.
  static bool InsertVoucherLines(const QList<CPc>& lines, CKvDb* pDb, const VoucherLog* log,
                                 KvDbTransaction& transaction, bool bCommit);
  // Deletes a voucher made by the current operator and not reviewed; a
  // voucher that is not there counts as deleted. Refusals, shown after the
  // caller's transaction (when given) is rolled back:
  // "“%s”已被复核，不能删除！", "非你所做单据，不能删除！".
  bool DeleteVoucher(int nF, const QString& t, const QString& dh, CKvDb* pDb, KvDbTransaction* transaction);
  // On a class-sheet head naming a paid voucher: DeleteVoucher on the
  // voucher's lines of the head's class and term (ClassVoucherWhere), with
  // its refusals when any of them is reviewed or made by another.
  bool DeleteClassVoucher(CKvDb* pDb, KvDbTransaction* transaction) const;
  // Reviews a voucher by the current operator: Opr1 is set on its lines
  // where it is still empty. The caller holds the PC lock, in the
  // transaction that reads the voucher and writes it. *pChanged tells
  // whether a line changed (false for a voucher reviewed already, by
  // whoever); false when the voucher is not there.
  bool ReviewVoucher(int nF, const QString& t, const QString& dh, CKvDb* pDb, bool* pChanged = nullptr);
  // Cancels one's own review, under the caller's PC lock: only this
  // operator's reviewers are cleared; another's stays. A voucher with no
  // line of this operator's but one of another's refuses
  // ("“%s”非你所复核的单据，不能取消复核！", shown after the caller's
  // transaction, when given, is rolled back); *pChanged as above.
  bool UnreviewVoucher(int nF, const QString& t, const QString& dh, CKvDb* pDb, KvDbTransaction* transaction,
                       bool* pChanged = nullptr);
  // On a head, in one transaction under the PC lock: the class's lines of
  // the one voucher it names (paid with a date, ClassVoucherWhere, with
  // the rules of ReviewVoucher and UnreviewVoucher), else every line of the
  // class's students in the head's term and kind, filled where empty or
  // cleared where this operator's. *pChanged tells whether a line changed.
  // A head with no class code is refused: nothing is written.
  bool ReviewClass(CKvDb* pDb, bool* pChanged = nullptr) const;
  bool UnreviewClass(CKvDb* pDb, bool* pChanged = nullptr) const;
  // Inside the print's transaction: raises the print count of the
  // voucher's lines, exempting the transaction from the carried-year check
  // (the paper is printed already); false when the statement failed or
  // the voucher has no lines (nothing was counted).
  static bool IncPrintCount(int nF, const QString& t, const QString& dh, CKvDb* pDb);

  // --- Class sheets ---

  // On a class-sheet head: reads the lines it selects (or makes it a new
  // voucher head; a due sheet or paid voucher becomes its first line, in an
  // order that puts the class's own number first: one none of whose class
  // lines is reviewed, then the fewest lines in other classes, the most in
  // the class, the lowest number; its reviewer and maker are judged over
  // every class line of that number); the number of lines, 0 (head
  // unchanged) for a head that does not name a class, a term and one kind;
  // -1 unreadable (the lines or a new voucher's next number).
  int LoadClassVoucher(QList<CPc>* lines, CKvDb* pDb);
  // On the new head: replaces the old head's voucher (the head as the
  // sheet read it, its number included) by the lines (lines with no amount
  // dropped), in one transaction, when under the STD and PC locks it
  // is still stored as `loaded` (every column of every line; a paid
  // voucher that is gone counts as changed): otherwise
  // "单据已被其他窗口或工作站修改或删除，请刷新后再输入！" and nothing is written.
  // A line the caller does not replace is to be among the lines as it was
  // loaded. A student or fee item the lines add that is no longer stored
  // refuses ("学生“%s”已被其他窗口或工作站删除，请刷新后再输入！",
  // "收费项目“%s”已被其他窗口或工作站删除，请刷新后再输入！"), as does a
  // student whose line is written other than as read and who is no longer
  // in the class in the term ("学生“%s”已不在本班第%d学期，请刷新后再输入！"),
  // a line read of the old head's number that is reviewed
  // ("“%s”已被复核，不能修改！"), and a cell (student, item) whose amount
  // the lines change while a line read for it is reviewed, whatever its
  // number ("学生“%s”的“%s”已被复核（%s号单据，复核员%s），不能修改！");
  // every refusal under the lock is shown
  // after the rollback. A number of 0 or
  // without digits becomes the next free one of the kind and year (taken
  // under the PC lock), typed digits get their leading zeros, in the head
  // and in the lines that carried the head's number. A number other lines
  // carry refuses ("单号重，插入记录失败！") unless it is the old head's
  // number and `loaded` has lines of it (its lines in another class are
  // then the voucher's own). Compare,
  // delete and the lines stored all go by ClassVoucherWhere. *lines
  // becomes the voucher as stored then. "空单据！" when none
  // is left (the voucher is then gone), and for payments a note when
  // students of the class now owe or have overpaid in the term.
  bool SaveClassVoucher(CPc oldHead, const QList<CPc>& loaded, QList<CPc>* lines, CKvDb* pDb);

  // --- Receipts (CPcReceipt.cpp) ---

  // On the receipt head: the full-format receipt as text boxes for the
  // receipt-rows parameter n (3n + 25 boxes; none for n > 9). A line is
  // shown when it has an item and an amount above 0 (not a refund); the
  // total covers every line and is stored in the head's My. Operators'
  // names are read once into *operatorNames (by code) when it is given.
  // False when a read failed (the name it was for is left empty).
  bool BuildReceiptLayout(KvTextBoxArray* boxes, const QList<CPc>& lines, CKvDb* pDb,
                          QHash<QString, QString>* operatorNames = nullptr);
  // On the receipt head: the macros of the positioned receipt layout 4181
  // and their values, in the order they are to be added to the printer;
  // the head's My becomes the total of its stored lines. False when the
  // receipt is not stored or any read (lines, student, items, operators)
  // failed: such macros are not to be printed.
  bool BuildReceiptMacros(CKvDb* pDb, QList<QPair<QString, QString>>* macros);
  // The first term in which the student owes something, with what is owed
  // per item, to the fen, in *lines; the entry term when nothing can be read or the
  // student has no lines; the latest term with lines when nothing is owed.
  static int FindOutstandingTerm(const CStd& student, QList<CPc>* lines, CKvDb* pDb);
  // Replaces *lines (a receipt's lines) by the student's balances per item
  // in the term after this receipt, the stored receipt (t, dh; dh empty for
  // a new one) left out: positive still owed, negative overpaid; balances
  // within 0.000001 of zero are dropped. The number left, -1 unreadable.
  static int GetTermDifferences(const QString& student, int term, const QString& t, const QString& dh,
                                QList<CPc>* lines, CKvDb* pDb);
  // GetTermDifferences in two halves, for a caller that reads the balances
  // together with other rows: the select of the stored balances per item
  // (tag, 0, sum(f*My), COST, '') with "?" for the student and, with
  // bLeaveOut, for the year range and number of the receipt left out
  // (BindTermBalance binds them from *p on), and the receipt's lines taken
  // off them. `andWhere`, when given, is added to the select's condition
  // (its parameters come after the others).
  static QString TermBalanceSelect(int tag, int term, bool bLeaveOut, const QString& andWhere = QString());
  static void BindTermBalance(KvDbStatement& statement, int* p, const QString& student, const QString& t,
                              const QString& dh);
  static void SubtractReceipt(QList<CPc>* balances, const QList<CPc>& receipt);

  // --- Carry-over ---

  // Copies every fee line of the students that the new data file holds, in
  // one transaction of the new file; false (nothing copied) on failure.
  static bool CarryFeeLines(CKvDb* pFirstDb, CKvDb* pSecondDb);

 private:
  // ReviewClass (true) or UnreviewClass.
  bool reviewClass(bool bReview, CKvDb* pDb, bool* pChanged) const;
  // A review (true) or cancelled review of the lines `where` selects.
  static bool reviewVoucher(bool bReview, const QString& where, const QString& dh, CKvDb* pDb,
                            KvDbTransaction* transaction, bool* pChanged);
};
