#include "school/CPc.h"

#include "app/CKvApp.h"
#include "app/CKvOperation.h"
#include "core/CKvDb.h"
#include "core/KvDbBackend.h"
#include "core/CKvQuery.h"
#include "core/KvDate.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvLockOrder.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "school/CStd.h"
#include "school/CXxDataType.h"
#include "school/KvSchoolSql.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {
constexpr double kZero = 0.000001;

bool stop(const QString& message) {
  KvMessageBox(message, KV_MB_OK | KV_MB_ICONSTOP);
  return false;
}

// A refusal under the PC lock: the transaction (when there is one) is
// rolled back first, so that no other workstation waits on the box.
bool stopAfter(KvDbTransaction* transaction, const QString& message) {
  if (transaction)
    transaction->Rollback();
  return stop(message);
}

// Reported as a failed statement is.
bool stopFailed(CKvDb* pDb, const QString& sql, const QString& error) {
  KvSchoolReportFailed(pDb, sql, error);
  return false;
}

QString quoted(CKvDb* pDb, const QString& text) { return pDb->QuoteText(text); }

// The lines of a day's receipts (with the day's date), and what they add up
// to (DayTally): lines vN, print counts vP, reviewed lines vR.
QString dayLines() { return QStringLiteral("FS='0' And +F=-1"); }
QString dayTallyColumns() { return QStringLiteral("Count(*) As vN,Sum(LPR) As vP,Count(NullIf(rtrim(Opr1),'')) As vR"); }

// Whether two readings of a voucher hold the same lines, every column of
// them, in any order: a save writes its lines back whole, so a date, memo,
// print count or origin changed elsewhere is a change as much as an amount.
bool sameVoucherLines(QList<CPc> a, QList<CPc> b) {
  if (a.size() != b.size())
    return false;
  const auto key = [](const CPc& x) {
    return std::tie(x.STD, x.COST, x.T, x.DH, x.QC, x.F, x.Mry, x.Opr0, x.Opr1, x.LPR, x.FS);
  };
  const auto order = [&key](const CPc& x, const CPc& y) {
    return std::tuple_cat(key(x), std::tie(x.My)) < std::tuple_cat(key(y), std::tie(y.My));
  };
  std::sort(a.begin(), a.end(), order);
  std::sort(b.begin(), b.end(), order);
  for (qsizetype i = 0; i < a.size(); ++i)
    if (key(a.at(i)) != key(b.at(i)) || std::fabs(a.at(i).My - b.at(i).My) > kZero)
      return false;
  return true;
}

// Whether what the lines rely on still stands, read under the save's
// locks; false when it cannot be read (reported). The first thing gone
// goes into *gone, as the refusal to show:
// - the students and fee items that the lines add to the head's voucher
//   (those `loaded` does not name already: a code with fee lines stored is
//   kept by the deletes that count them) are all stored;
// - each student whose line is written other than as read (no line read
//   has his item and amount) is still in the head's class in its term, by
//   the condition of the sheet's roll: one transferred out meanwhile would
//   owe or have paid the term in two classes.
bool linesStillValid(const CPc& head, const QList<CPc>& lines, const QList<CPc>& loaded, CKvDb* pDb, QString* gone) {
  QSet<QString> heldStudents;
  QSet<QString> heldItems;
  QSet<QString> readAmounts;
  const auto amountKey = [](const CPc& line) {
    return line.STD + u'|' + line.COST + u'|' + QString::number(std::llround(line.My / kZero));
  };
  for (const CPc& line : loaded) {
    heldStudents.insert(line.STD);
    heldItems.insert(line.COST);
    readAmounts.insert(amountKey(line));
  }
  QStringList students;
  QStringList items;
  QStringList changed;
  for (const CPc& line : lines) {
    if (!heldStudents.contains(line.STD) && !students.contains(line.STD))
      students.append(line.STD);
    if (!heldItems.contains(line.COST) && !items.contains(line.COST))
      items.append(line.COST);
    if (!readAmounts.contains(amountKey(line)) && !changed.contains(line.STD))
      changed.append(line.STD);
  }
  if (changed.isEmpty())
    return true;
  const auto listed = [pDb](const QStringList& codes) {
    QStringList literals = {QStringLiteral("''")};
    for (const QString& code : codes)
      literals.append(u'\'' + quoted(pDb, code) + u'\'');
    return literals.join(u',');
  };
  CKvQuery query(1, 0, 1, pDb);
  if (!query.Open(QStringLiteral("Select 0,rtrim(KNO) From STD Where KNO In (") + listed(students) +
                  QStringLiteral(") Union All Select 1,rtrim(KNO) From COST Where rtrim(KNO) In (") + listed(items) +
                  QStringLiteral(") Union All Select 2,rtrim(KNO) From STD Where KNO In (") + listed(changed) +
                  KvFormat(QStringLiteral(") And KNO Like '%s'"), KvLikePrefix(pDb, head.STD)) +
                  CStd::TermCondition(head.QC)))
    return false;
  QSet<QString> stored[3];
  for (; !query.IsEOF(); query.MoveNext())
    stored[std::clamp(int(query.GetLong(0)), 0, 2)].insert(query.GetText(0));
  const auto firstGone = [&](const QStringList& codes, int kind, const QString& text) {
    for (const QString& code : codes)
      if (gone->isEmpty() && !stored[kind].contains(code))
        *gone = kind == 2 ? KvFormat(text, code, head.QC + 1) : KvFormat(text, code);
  };
  firstGone(students, 0, QStringLiteral("学生“%s”已被其他窗口或工作站删除，请刷新后再输入！"));
  firstGone(items, 1, QStringLiteral("收费项目“%s”已被其他窗口或工作站删除，请刷新后再输入！"));
  firstGone(changed, 2, QStringLiteral("学生“%s”已不在本班第%d学期，请刷新后再输入！"));
  return true;
}

// "name(code)" of a row of `table` (an operator, a student, a fee item)
// as a sheet shows it; the code alone when it has no name or cannot be
// read.
QString namedCode(CKvDb* pDb, const QString& table, const QString& key, const QString& code) {
  QString name;
  pDb->LookupText(KvFormat(QStringLiteral("max(NA) From %s Where %s='%s'"), table, key, quoted(pDb, code)), &name);
  name = name.trimmed();
  return name.isEmpty() ? code : KvFormat(QStringLiteral("%s(%s)"), name, code);
}

// The first line read for a cell (student, item) whose amount the lines
// change while it carries a review; null when there is none. Whatever
// number heads the sheet, what a review covers keeps its amount: the
// cell's reviewed line is written back as read, and a change would go into
// the cell beside it, under another number.
const CPc* changedReviewedCell(const QList<CPc>& loaded, const QList<CPc>& lines) {
  using Cell = QPair<QString, QString>;
  QHash<Cell, double> amounts;
  for (const CPc& line : loaded)
    amounts[{line.STD, line.COST}] += line.My;
  for (const CPc& line : lines)
    amounts[{line.STD, line.COST}] -= line.My;
  for (const CPc& line : loaded)
    if (!line.Opr1.isEmpty() && std::fabs(amounts.value({line.STD, line.COST})) > kZero)
      return &line;
  return nullptr;
}

// " And QC=%d" when the head names a term, " And F=%d" when it names a kind.
QString termAndKind(const CPc& head) {
  QString text;
  if (head.QC >= 0)
    text += KvFormat(QStringLiteral(" And QC=%d"), head.QC);
  if (head.F != 2)
    text += KvFormat(QStringLiteral(" And F=%d"), head.F);
  return text;
}

// The order in which a class sheet reads its voucher, so that its head (the
// first line) is the same at every reading. A fee line keeps no class of
// origin (a student moved in brings lines of his old class's voucher
// along), so the class's own number is chosen by rule: first a number none
// of whose class lines is reviewed, then the one with the fewest lines in
// other classes, then the one with the most lines in the class, then the
// lowest; within it unreviewed lines first, then by item and student.
QString classHeadOrder(const QString& classCode, CKvDb* pDb) {
  // A count of the lines `o` that carry the line's number.
  const QString count = QStringLiteral("(Select Count(*) From PC o Where o.F=PC.F And o.DH=PC.DH And "
                                       "Mid(o.T,1,4)=Mid(PC.T,1,4) And %1)");
  const QString prefix = KvLikePrefix(pDb, classCode);
  const QString inClass = KvFormat(QStringLiteral("o.STD Like '%s' And o.QC=PC.QC"), prefix);
  return QStringLiteral("Order By ") + count.arg(inClass + QStringLiteral(" And o.Opr1<>''")) +
         QStringLiteral(">0,") + count.arg(KvFormat(QStringLiteral("o.STD Not Like '%s'"), prefix)) +
         QStringLiteral(",-") + count.arg(inClass) + QStringLiteral(",Mid(T,1,4),DH,Opr1,COST,STD");
}

// The one write of every review and cancelled review: Opr1 set where it
// is empty, or cleared where it is this operator's, within `where`
// ("Where ..."); *pChanged (when given) is set when a line changed.
bool reviewWhere(bool bReview, const QString& where, CKvDb* pDb, bool* pChanged) {
  const QString me = quoted(pDb, CPc::CurrentOperator());
  const QString sql = bReview ? KvFormat(QStringLiteral("Update PC Set Opr1='%s' %s And Opr1=''"), me, where)
                              : KvFormat(QStringLiteral("Update PC Set Opr1='' %s And Opr1='%s'"), where, me);
  if (!pDb->Execute(sql))
    return false;
  if (pChanged)
    *pChanged = *pChanged || pDb->GetRowCount() > 0;
  return true;
}

// The rules of a voucher's delete applied to one class's lines of it
// (`where`, read as *lines): every line counts, since a line moved in from
// another class may carry another maker or review. Refusals are shown
// after the caller's transaction (when given) is rolled back.
bool deleteClassLines(const QList<CPc>& lines, const QString& where, const QString& dh, CKvDb* pDb,
                      KvDbTransaction* transaction) {
  const QString me = CPc::CurrentOperator();
  for (const CPc& line : lines)
    if (!line.Opr1.isEmpty())
      return stopAfter(transaction, KvFormat(QStringLiteral("“%s”已被复核，不能删除！"), dh));
  for (const CPc& line : lines)
    if (line.Opr0 != me)
      return stopAfter(transaction, QStringLiteral("非你所做单据，不能删除！"));
  return lines.isEmpty() || pDb->Execute(QStringLiteral("Delete From PC ") + where);
}

// A review or cancelled review of the lines `where` selects, read as
// *lines under the caller's PC lock: a review fills only empty reviewers,
// a cancelled review clears only this operator's, so that another
// operator's review stays his whatever landed since the window was drawn.
// *pChanged tells whether a line changed. A cancel that finds no line of
// this operator's but another's review refuses (after the caller's
// transaction, when given, is rolled back); no lines at all is a failure.
bool reviewLines(bool bReview, const QList<CPc>& lines, const QString& where, const QString& dh, CKvDb* pDb,
                 KvDbTransaction* transaction, bool* pChanged) {
  if (lines.isEmpty())
    return false;
  const QString me = CPc::CurrentOperator();
  const bool pending = std::any_of(lines.begin(), lines.end(), [bReview, &me](const CPc& line) {
    return bReview ? line.Opr1.isEmpty() : line.Opr1 == me;
  });
  if (!pending && !bReview && std::any_of(lines.begin(), lines.end(), [](const CPc& line) {
        return !line.Opr1.isEmpty();
      }))
    return stopAfter(transaction, KvFormat(QStringLiteral("“%s”非你所复核的单据，不能取消复核！"), dh));
  return !pending || reviewWhere(bReview, where, pDb, pChanged);
}
}  // namespace

void CPc::Clear() { *this = CPc(); }

void CPc::CopyHead(const CPc& other) {
  STD = other.STD;
  QC = other.QC;
  F = other.F;
  T = other.T;
  DH = other.DH;
}

void CPc::SumAmounts(const QList<CPc>& lines) {
  My = 0.0;
  for (const CPc& line : lines)
    My += line.My;
}

QString CPc::CurrentOperator() {
  CKvApp* app = KvGetApp();
  return app ? app->GetDataFile().GetOperatorCode() : QString();
}

QString CPc::YearCondition(const QString& t, CKvDb* pDb) {
  const auto [year, next] = YearRange(t);
  if (year.size() < 4)
    return KvFormat(QStringLiteral("T='%s'"), quoted(pDb, year));
  return KvFormat(QStringLiteral("T>='%s' And T<'%s'"), quoted(pDb, year), quoted(pDb, next));
}

QPair<QString, QString> CPc::YearRange(const QString& t) {
  // The texts that begin with the year: from the year up to the year with
  // its last character one higher (texts compare bytewise).
  const QString year = t.left(4);
  QString next = year;
  if (next.size() == 4)
    next[3] = QChar(char16_t(year.at(3).unicode() + 1));
  return {year, next};
}

QString CPc::VoucherWhere(int nF, const QString& t, const QString& dh, CKvDb* pDb) {
  return KvFormat(QStringLiteral("Where F=%d And %s And DH='%s'"), nF, YearCondition(t, pDb), quoted(pDb, dh));
}

QString CPc::ClassVoucherWhere(CKvDb* pDb) const {
  QString where = KvFormat(QStringLiteral("Where F=%d And STD Like '%s' And QC=%d"), F, KvLikePrefix(pDb, STD), QC);
  if (F != 1)
    where += KvFormat(QStringLiteral(" And %s And DH='%s'"), YearCondition(T, pDb), quoted(pDb, DH));
  return where;
}

// --- Reading ---

int CPc::SelectSql(bool, const QString& select, QList<CPc>* lines, CKvDb* pDb, const QString& serverSelect) {
  lines->clear();
  CKvQuery query(3, 1, 8, pDb);
  if (!query.Open(select, serverSelect))
    return -1;
  for (; !query.IsEOF(); query.MoveNext()) {
    CPc line;
    line.QC = query.GetLong(0);
    line.F = query.GetLong(1);
    line.LPR = query.GetLong(2);
    line.My = query.GetDouble(0);
    line.T = query.GetText(0);
    line.DH = query.GetText(1);
    line.Mry = query.GetText(2);
    line.COST = query.GetText(3);
    line.STD = query.GetText(4);
    line.Opr0 = query.GetText(5);
    line.Opr1 = query.GetText(6);
    line.FS = KvStrToInt(query.GetText(7));
    lines->append(line);
  }
  return int(lines->size());
}

int CPc::Select(const QString& where, const QString& order, QList<CPc>* lines, CKvDb* pDb) {
  return SelectSql(true,
                   KvFormat(QStringLiteral("Select QC,F,LPR,My,rtrim(T),rtrim(DH),rtrim(Mry),rtrim(COST),"
                                           "rtrim(STD),rtrim(Opr0),rtrim(Opr1),rtrim(FS) From PC %s %s"),
                            where, order),
                   lines, pDb);
}

int CPc::SelectVouchers(const QString& where, QList<CPc>* lines, CKvDb* pDb) {
  return SelectSql(false,
                   KvFormat(QStringLiteral("Select Min(QC),Min(F),Min(LPR),Min(My),rtrim(T),rtrim(DH),Min(Mry),"
                                           "Min(COST),Min(STD),Min(Opr0),Min(Opr1),Min(FS) From PC %s "
                                           "Group By T,DH Order By T,DH"),
                            where),
                   lines, pDb);
}

int CPc::SelectDayReceipts(const QString& date, QList<CPc>* receipts, QList<QPair<QString, QString>>* students,
                           CKvDb* pDb, DayTally* tally) {
  receipts->clear();
  students->clear();
  if (tally)
    *tally = DayTally();
  // The day's lines are read through the date index (T, F): the unary plus
  // keeps SQLite's planner, which has no statistics, from reading them
  // through the (F, DH) index for the sake of the grouping's order, which
  // would visit every paid line of the year. With the day fixed, a receipt
  // is its number; only the columns the list shows are aggregated, and the
  // student is joined to each receipt (codes are unique in STD) rather
  // than looked up one by one.
  CKvQuery query(4, 0, 6, pDb);
  if (!query.Open(KvFormat(QStringLiteral("Select r.vLPR,r.vN,r.vP,r.vR,r.vDH,r.vSTD,r.vOpr0,r.vOpr1,s.NA,s.TEL From "
                                          "(Select DH As vDH,Min(LPR) As vLPR,Min(STD) As vSTD,Min(Opr0) As vOpr0,"
                                          "Min(Opr1) As vOpr1,%s From PC Where %s And T='%s' Group By DH) r "
                                          "Left Join STD s On s.KNO=r.vSTD Order By r.vDH"),
                           dayTallyColumns(), dayLines(), quoted(pDb, date))))
    return -1;
  for (; !query.IsEOF(); query.MoveNext()) {
    CPc receipt;
    receipt.T = date;
    receipt.F = -1;
    receipt.LPR = query.GetLong(0);
    receipt.DH = query.GetText(0);
    receipt.STD = query.GetText(1);
    receipt.Opr0 = query.GetText(2);
    receipt.Opr1 = query.GetText(3);
    receipts->append(receipt);
    students->append({query.GetText(4), query.GetText(5)});
    if (tally) {
      tally->nLines += query.GetLong(1);
      tally->nPrints += query.GetLong(2);
      tally->nReviewed += query.GetLong(3);
    }
  }
  return int(receipts->size());
}

QString CPc::DayTallySelect(int tag) {
  return KvFormat(QStringLiteral("Select %d,vN,vP,Cast(vR As VARCHAR(10)),'' From (Select %s From PC Where %s And T=?) t"),
                  tag, dayTallyColumns(), dayLines());
}

int CPc::SelectClassPaidVouchers(const QString& classCode, int term, QList<CPc>* lines, CKvDb* pDb) {
  return SelectVouchers(KvFormat(QStringLiteral("Where FS='1' And F=-1 And STD Like '%s' And QC=%d"),
                                 KvLikePrefix(pDb, classCode), term),
                        lines, pDb);
}

int CPc::SelectVoucherLines(int nF, const QString& t, const QString& dh, QList<CPc>* lines, CKvDb* pDb) {
  // A server returns rows in no fixed order, and an update of a line (a
  // print count, a review, another workstation's change) can move it: the
  // same voucher must read back in the same order every time.
  const int count = Select(VoucherWhere(nF, t, dh, pDb), QStringLiteral("Order By COST"), lines, pDb);
  if (count > 0)
    *this = lines->first();
  return count;
}

int CPc::LoadVoucher(int nF, const QString& t, const QString& dh, CKvDb* pDb) {
  QList<CPc> lines;
  return SelectVoucherLines(nF, t, dh, &lines, pDb);
}

int CPc::CountPaidVoucherLines(const QString& t, const QString& dh, CKvDb* pDb) {
  return KvSchoolCount(pDb, QStringLiteral("Select Count(*) From PC ") + VoucherWhere(-1, t, dh, pDb));
}

int CPc::MaxReceiptLines(CKvDb* pDb) {
  CKvQuery query(1, 0, 0, pDb);
  if (!query.Open(QStringLiteral("Select Count(*) From PC Where FS='0' And F=-1 Group By T,DH")))
    return -1;
  int most = 0;
  for (; !query.IsEOF(); query.MoveNext())
    most = qMax(most, query.GetLong(0));
  return most;
}

// --- Writes ---

QString CPc::NextVoucherNo(int nF, const QString& year, CKvDb* pDb, QString* pFull) {
  std::unique_ptr<KvDbRowset> rows = KvSchoolSelectKept(pDb, LargestNumberSelect(nF), [&](KvDbStatement& statement) {
    int p = 0;
    BindLargestNumber(statement, &p, year);
  });
  if (!rows)
    return QString();
  return NumberAfter(KvStrToInt(rows->atEnd() ? QString() : KvDbTrimRight(rows->text(0))), pFull);
}

QString CPc::NumberAfter(qint64 largest, QString* pFull) {
  return KvNextNumberText(largest, 5, QStringLiteral("单号"), pFull);
}

QString CPc::LargestNumberSelect(int nF) {
  return KvFormat(
      QStringLiteral("Select DH From PC Where F=%d And T>=? And T<? And DH Is Not Null Order By F Desc,DH Desc Limit 1"),
      nF);
}

void CPc::BindLargestNumber(KvDbStatement& statement, int* p, const QString& t) {
  const auto [year, next] = YearRange(t);
  statement.bindText((*p)++, year);
  statement.bindText((*p)++, next);
}

namespace {
const char kInsertHead[] = "Insert Into PC(QC,F,LPR,My,T,DH,Mry,COST,STD,Opr0,Opr1,FS) Values";

QString insertValues(const CPc& line, CKvDb* pDb) {
  return KvFormat(QStringLiteral("(%d,%d,%d,%lf,'%s','%s','%s','%s','%s','%s','%s','%d')"), line.QC, line.F,
                  line.LPR, line.My, quoted(pDb, line.T), quoted(pDb, line.DH), quoted(pDb, line.Mry),
                  quoted(pDb, line.COST), quoted(pDb, line.STD), quoted(pDb, line.Opr0), quoted(pDb, line.Opr1),
                  line.FS);
}
}  // namespace

bool CPc::Insert(CKvDb* pDb, int nOptions) const {
  return pDb->Execute(QString::fromLatin1(kInsertHead) + insertValues(*this, pDb), QString(), nOptions);
}

bool CPc::InsertVoucher(const QList<CPc>& lines, CKvDb* pDb) {
  if (lines.isEmpty())
    return false;
  KvDbTransaction transaction(*pDb);
  return transaction.IsActive() && pDb->LockTable(QStringLiteral("PC")) &&
         InsertVoucherLines(lines, pDb, nullptr, transaction, true);
}

namespace {
// The voucher's lines in one bound statement that inserts them only while
// their number is free in the year and kind; one text per count of lines,
// each prepared once on the connection.
QString boundInsertText(qsizetype count) {
  static const QString row = QStringLiteral(
      "Select CAST(? AS INTEGER),CAST(? AS INTEGER),CAST(? AS INTEGER),CAST(? AS DOUBLE PRECISION),"
      "CAST(? AS VARCHAR(8)),CAST(? AS VARCHAR(5)),CAST(? AS VARCHAR(60)),CAST(? AS VARCHAR(2)),"
      "CAST(? AS VARCHAR(15)),CAST(? AS VARCHAR(3)),CAST(? AS VARCHAR(3)),CAST(? AS VARCHAR(1))");
  QStringList rows;
  for (qsizetype i = 0; i < count; ++i)
    rows.append(row);
  return QString::fromLatin1(kInsertHead).chopped(6) + QStringLiteral(" Select * From (") +
         rows.join(QStringLiteral(" Union All ")) +
         QStringLiteral(") kv_lines Where Not Exists(Select 1 From PC Where F=? And T>=? And T<? And DH=?)");
}
}  // namespace

bool CPc::InsertVoucherLines(const QList<CPc>& lines, CKvDb* pDb, const VoucherLog* log, KvDbTransaction& transaction,
                             bool bCommit) {
  if (lines.isEmpty() || !pDb->IsOpen())
    return false;
  if (log && !CKvOperation::IsLogOn())
    log = nullptr;
  // On a server the log row goes in the lines' statement, written only when
  // every line was: the statement then reports the one log row.
  const bool bLogTogether = log && pDb->GetKind() != 0;
  QString sql = boundInsertText(lines.size());
  if (bLogTogether)
    sql = QStringLiteral("With kv_new As (") + sql +
          QStringLiteral(" Returning 1) Insert Into KvLog(nTask,sOp,sT,nTaskID,sNote) ") + CKvOperation::LogRowSelect() +
          QStringLiteral(" From (Select Count(*) As n From kv_new) kv_count Where n=?");
  QString error;
  KvDbStatement* statement = pDb->GetBackend()->keptStatement(sql, &error);
  if (!statement)
    return stopFailed(pDb, sql, error);
  pDb->GetBackend()->takeLockWait();  // a wait noted earlier is not this statement's
  int p = 0;
  for (const CPc& line : lines) {
    statement->bindInteger(p++, line.QC);
    statement->bindInteger(p++, line.F);
    statement->bindInteger(p++, line.LPR);
    statement->bindReal(p++, line.My);
    for (const QString* text : {&line.T, &line.DH, &line.Mry, &line.COST, &line.STD, &line.Opr0, &line.Opr1})
      statement->bindText(p++, *text);
    statement->bindText(p++, QString::number(line.FS));
  }
  const CPc& first = lines.first();
  const auto [year, next] = YearRange(first.T);
  statement->bindInteger(p++, first.F);
  statement->bindText(p++, year);
  statement->bindText(p++, next);
  statement->bindText(p++, first.DH);
  if (bLogTogether) {
    CKvOperation::BindLogRow(*statement, &p, log->nTask, log->sOp, log->sT, log->nCode, log->note, pDb->GetKind());
    statement->bindInteger(p++, lines.size());
  }
  // The statement is the transaction's last when the log row is in it or
  // there is none: the commit then goes with it.
  const bool bLast = bCommit && (bLogTogether || !log);
  if (bLast) {
    if (!transaction.CommitWith(*statement, sql))
      return false;  // rolled back and reported
  } else if (!statement->run(&error)) {
    return stopFailed(pDb, sql, error);
  }
  if (statement->rowsAffected() != (bLogTogether ? 1 : lines.size()))
    return stopAfter(&transaction, QStringLiteral("单号重，插入记录失败！"));
  if (log && !bLogTogether &&
      !CKvOperation::InsertLogRow(log->nTask, log->sOp, log->sT, log->nCode, log->note, pDb))
    return false;
  return !bCommit || bLast || transaction.Commit();
}

bool CPc::DeleteVoucher(int nF, const QString& t, const QString& dh, CKvDb* pDb, KvDbTransaction* transaction) {
  CPc stored;
  const int count = stored.LoadVoucher(nF, t, dh, pDb);
  if (count < 0)
    return false;
  if (count == 0)
    return true;
  if (!stored.Opr1.isEmpty())
    return stopAfter(transaction, KvFormat(QStringLiteral("“%s”已被复核，不能删除！"), dh));
  if (stored.Opr0 != CurrentOperator())
    return stopAfter(transaction, QStringLiteral("非你所做单据，不能删除！"));
  return pDb->Execute(QStringLiteral("Delete From PC ") + VoucherWhere(nF, t, dh, pDb));
}

bool CPc::DeleteClassVoucher(CKvDb* pDb, KvDbTransaction* transaction) const {
  QList<CPc> lines;
  const QString where = ClassVoucherWhere(pDb);
  return Select(where, QString(), &lines, pDb) >= 0 && deleteClassLines(lines, where, DH, pDb, transaction);
}

bool CPc::ReviewVoucher(int nF, const QString& t, const QString& dh, CKvDb* pDb, bool* pChanged) {
  return reviewVoucher(true, VoucherWhere(nF, t, dh, pDb), dh, pDb, nullptr, pChanged);
}

bool CPc::UnreviewVoucher(int nF, const QString& t, const QString& dh, CKvDb* pDb, KvDbTransaction* transaction,
                          bool* pChanged) {
  return reviewVoucher(false, VoucherWhere(nF, t, dh, pDb), dh, pDb, transaction, pChanged);
}

bool CPc::reviewVoucher(bool bReview, const QString& where, const QString& dh, CKvDb* pDb,
                        KvDbTransaction* transaction, bool* pChanged) {
  if (pChanged)
    *pChanged = false;
  QList<CPc> lines;
  return Select(where, QString(), &lines, pDb) >= 0 &&
         reviewLines(bReview, lines, where, dh, pDb, transaction, pChanged);
}

bool CPc::ReviewClass(CKvDb* pDb, bool* pChanged) const { return reviewClass(true, pDb, pChanged); }

bool CPc::UnreviewClass(CKvDb* pDb, bool* pChanged) const { return reviewClass(false, pDb, pChanged); }

bool CPc::reviewClass(bool bReview, CKvDb* pDb, bool* pChanged) const {
  if (pChanged)
    *pChanged = false;
  // An empty class code would take the lines of every class.
  if (STD.isEmpty())
    return false;
  // Read and written in one transaction under the PC lock, as the delete
  // is: a review that lands between the two is seen, not cleared.
  KvDbTransaction transaction(*pDb, QStringLiteral("PC"));
  if (!transaction.IsActive())
    return false;
  bool changed = false;
  // A paid voucher with a date: the class's lines of it, with the rules of
  // a voucher; any other node: every line of its students in its term and
  // kind, each filled where empty or cleared where this operator's.
  const bool done = F == -1 && !T.isEmpty() && T != u"xxxx"
                        ? reviewVoucher(bReview, ClassVoucherWhere(pDb), DH, pDb, &transaction, &changed)
                        : reviewWhere(bReview,
                                      KvFormat(QStringLiteral("Where STD Like '%s'"), KvLikePrefix(pDb, STD)) +
                                          termAndKind(*this),
                                      pDb, &changed);
  if (!done || !transaction.Commit())
    return false;
  if (pChanged)
    *pChanged = changed;
  return true;
}

bool CPc::IncPrintCount(int nF, const QString& t, const QString& dh, CKvDb* pDb) {
  // The paper is printed: its count is kept in the year it was printed
  // from, carried since or not.
  pDb->SkipCarriedCheck();
  return pDb->Execute(QStringLiteral("Update PC Set LPR=LPR+1 ") + VoucherWhere(nF, t, dh, pDb)) &&
         pDb->GetRowCount() > 0;
}

// --- Class sheets ---

int CPc::LoadClassVoucher(QList<CPc>* lines, CKvDb* pDb) {
  lines->clear();
  const CPc head = *this;
  if (CXxDataType::LevelOfCode(STD) != CXxDataType::LevelCount() - 1 || QC == -1 || F == 2)
    return 0;
  const QString klass = KvFormat(QStringLiteral("STD Like '%s' And QC=%d"), KvLikePrefix(pDb, STD), QC);
  // A new voucher of the kind: today, the next number (not reserved: the
  // save checks it), made by the current operator; -1 when the number
  // cannot be read. Past the last number it has none: the save refuses
  // unless the operator types one.
  const auto makeNew = [&](int kind, const QString& memo) {
    T = KvNowText(QStringLiteral("%Y%m%d"));
    QString full;
    DH = NextVoucherNo(kind, T.left(4), pDb, &full);
    Mry = KvFormat(memo, QC + 1);
    Opr0 = CurrentOperator();
    Opr1.clear();
    F = kind;
    FS = 1;
    return DH.isEmpty() && full.isEmpty() ? -1 : 0;
  };
  // With lines the head becomes the first line, keeping the class code.
  // Its reviewer and maker are judged over every line of its number, so
  // that one line unreviewed (a student who came back) opens nothing that
  // a review covers, nor what another operator made.
  const auto takeFirst = [&](int count) {
    if (count <= 0)
      return count;
    *this = lines->first();
    STD = head.STD;
    const QString me = CurrentOperator();
    for (const CPc& line : *lines) {
      if (line.T.left(4) != T.left(4) || line.DH != DH)
        continue;
      if (Opr1.isEmpty())
        Opr1 = line.Opr1;
      if (line.Opr0 != me)
        Opr0 = line.Opr0;
    }
    return count;
  };
  const auto restore = [&](int count) {
    *this = head;
    Opr0.clear();
    Opr1.clear();
    return count;
  };
  if (F == 1) {
    const int count = Select(ClassVoucherWhere(pDb), classHeadOrder(STD, pDb), lines, pDb);
    if (count != 0)
      return takeFirst(count);
    return makeNew(1, QStringLiteral("第%d学期应交"));
  }
  if (F == -1 && T.isEmpty())
    return restore(Select(QStringLiteral("Where F=-1 And ") + klass, QString(), lines, pDb));
  if (F == -1 && T == u"xxxx")
    return makeNew(-1, QStringLiteral("第%d学期交费"));
  if (F == -1)
    return takeFirst(Select(ClassVoucherWhere(pDb), classHeadOrder(STD, pDb), lines, pDb));
  return restore(Select(QStringLiteral("Where ") + klass, QString(), lines, pDb));
}

bool CPc::SaveClassVoucher(CPc oldHead, const QList<CPc>& loaded, QList<CPc>* lines, CKvDb* pDb) {
  {
    KvDbTransaction transaction(*pDb);
    // STD too: the class of each student whose line changes is read again
    // under the lock.
    if (!transaction.IsActive() || !KvLockTablesInOrder(pDb, {QStringLiteral("STD"), QStringLiteral("PC")}))
      return false;
    // The lines the sheet read: the class's in the term, of the voucher as
    // it was read.
    CPc read = *this;
    read.T = oldHead.T;
    read.DH = oldHead.DH;
    const QString where = read.ClassVoucherWhere(pDb);
    const bool bNewVoucher = F != 1 && oldHead.T == u"xxxx";
    // The lines read under the number the sheet was read with.
    const auto carriesReadNumber = [&oldHead](const CPc& line) {
      return line.F == oldHead.F && line.T.left(4) == oldHead.T.left(4) && line.DH == oldHead.DH;
    };
    if (!bNewVoucher) {
      // A sheet left open must not undo what another workstation did to
      // its voucher since: a review, other amounts, a delete.
      QList<CPc> stored;
      const int count = Select(where, QString(), &stored, pDb);
      if (count < 0)
        return false;
      if ((F == -1 && count == 0) || !sameVoucherLines(stored, loaded))
        return stopAfter(&transaction, QStringLiteral("单据已被其他窗口或工作站修改或删除，请刷新后再输入！"));
      // What a review covers changes only after the review is cancelled.
      for (const CPc& line : loaded)
        if (carriesReadNumber(line) && !line.Opr1.isEmpty())
          return stopAfter(&transaction, KvFormat(QStringLiteral("“%s”已被复核，不能修改！"), oldHead.DH));
      if (const CPc* reviewed = changedReviewedCell(loaded, *lines)) {
        // Rolled back before the names are read for the message.
        transaction.Rollback();
        const auto named = [pDb](const char* table, const char* key, const QString& code) {
          return namedCode(pDb, QString::fromLatin1(table), QString::fromLatin1(key), code);
        };
        return stop(KvFormat(QStringLiteral("学生“%s”的“%s”已被复核（%s号单据，复核员%s），不能修改！"),
                             named("STD", "KNO", reviewed->STD), named("COST", "KNO", reviewed->COST),
                             reviewed->DH, named("OPR", "OPNO", reviewed->Opr1)));
      }
    }
    // Digits are written with leading zeros; 0 or no digits takes the next
    // free number of the kind and year, under the lock.
    QString number = DH;
    KvFormatIntFrom(number, 5, false);
    QString full;
    if (number.isEmpty())
      number = NextVoucherNo(F, T.left(4), pDb, &full);
    if (!full.isEmpty())
      return stopAfter(&transaction, full);
    if (number.isEmpty())
      return false;
    for (CPc& line : *lines)
      if (line.DH == DH)
        line.DH = number;
    DH = number;
    if (!bNewVoucher && !pDb->Execute(QStringLiteral("Delete From PC ") + where, QString(), 1))
      return false;
    lines->removeIf([](const CPc& line) { return std::fabs(line.My) < kZero; });
    // The sheet chose its students and items before the lock: each one it
    // adds to the voucher is read again under it.
    QString gone;
    if (!linesStillValid(*this, *lines, loaded, pDb, &gone))
      return false;
    if (!gone.isEmpty())
      return stopAfter(&transaction, gone);
    for (const CPc& line : *lines)
      if (!line.Insert(pDb, 1))
        return false;
    // A number is free when no other lines carry it. Only the number the
    // sheet was read with may stand in another class as well (a student
    // moved away took his lines along): they are that voucher's own. Any
    // other number is counted whole, a moved-in line's included.
    const auto carriesNumber = [this](const CPc& line) {
      return line.F == F && line.T.left(4) == T.left(4) && line.DH == DH;
    };
    if (!carriesReadNumber(*this) || std::none_of(loaded.begin(), loaded.end(), carriesNumber)) {
      const int count = KvSchoolCount(pDb, QStringLiteral("Select Count(*) From PC ") + VoucherWhere(F, T, DH, pDb));
      if (count < 0)
        return false;
      if (count != std::count_if(lines->begin(), lines->end(), carriesNumber))
        return stopAfter(&transaction, QStringLiteral("单号重，插入记录失败！"));
    }
    // The lines as stored (texts trimmed as every reading trims them), which
    // the next save of the sheet compares with.
    QList<CPc> stored;
    if (Select(ClassVoucherWhere(pDb), QString(), &stored, pDb) < 0)
      return false;
    if (!transaction.Commit())
      return false;
    *lines = stored;
  }
  if (lines->isEmpty()) {
    stop(QStringLiteral("空单据！"));
    return true;
  }
  if (F != -1)
    return true;
  QList<CPc> balances;
  SelectSql(false,
            KvFormat(QStringLiteral("Select Min(QC),Min(F),Min(LPR),sum(f*My),Min(T),Min(DH),"
                                    "Min(Mry),rtrim(COST),rtrim(STD),Min(Opr0),Min(Opr1),Min(FS) "
                                    "From PC Where STD Like '%s' And QC=%d Group By STD,COST Order By STD,COST"),
                     KvLikePrefix(pDb, STD), QC),
            &balances, pDb);
  bool under = false;
  bool over = false;
  for (const CPc& balance : balances) {
    under = under || balance.My > kZero;
    over = over || balance.My < -kZero;
  }
  if (under || over) {
    QString text;
    if (under)
      text += QStringLiteral("本学期有交不足费的学生!\n");
    if (over)
      text += QStringLiteral("本学期有交多费的同学生!\n");
    text += QStringLiteral("请在欠费表中查询具体情况后，再修改此单!\n");
    KvMessageBox(text, KV_MB_OK | KV_MB_ICONINFORMATION);
  }
  return true;
}

// --- Carry-over ---

bool CPc::CarryFeeLines(CKvDb* pFirstDb, CKvDb* pSecondDb) {
  KvDbTransaction transaction(*pSecondDb);
  if (!transaction.IsActive())
    return false;
  QStringList students;
  const QString where = KvFormat(QStringLiteral("Where Len(rtrim(KNO))=%d"), CXxDataType::StudentCodeLen());
  if (KvSchoolCount(pSecondDb, QStringLiteral("Select Count(*) From STD ") + where) !=
      pSecondDb->QueryTexts(QStringLiteral("Select KNO From STD ") + where, &students, 1))
    return false;
  // One copy per batch of students: a copy per student costs a query and a
  // recordset for every student of the year.
  constexpr qsizetype kBatch = 500;
  for (qsizetype first = 0; first < students.size(); first += kBatch) {
    QStringList literals;
    for (const QString& student : students.mid(first, kBatch))
      literals.append(u'\'' + quoted(pFirstDb, student) + u'\'');
    if (!KvCopyTableChecked(pFirstDb, pSecondDb, QStringLiteral("PC"),
                            QStringLiteral("Where STD In (") + literals.join(u',') + u')'))
      return false;
  }
  return transaction.Commit();
}
