// The receipt's full-format layout, the macros of its positioned layout,
// and the term balances the receipt form proposes and the save checks.

#include "school/CPc.h"

#include "app/CKvApp.h"
#include "app/KvOperatorStore.h"
#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvChineseAmount.h"
#include "core/KvDbBackend.h"
#include "core/KvFormat.h"
#include "core/KvNumber.h"
#include "core/KvNumberText.h"
#include "school/CCost.h"
#include "school/CStd.h"
#include "school/CXxDataType.h"
#include "school/KvSchoolSql.h"
#include "ui/KvTextBox.h"

#include <cmath>

namespace {
constexpr double kZero = 0.000001;

// The names below are empty for a row that is not there; a row that cannot
// be read clears *pRead when it is given.
void noteRead(int loaded, bool* pRead) {
  if (loaded < 0 && pRead)
    *pRead = false;
}

QString studentName(const QString& code, CKvDb* pDb, bool* pRead = nullptr) {
  // No student has an empty code (a new receipt has none yet).
  if (code.isEmpty())
    return QString();
  CStd student(pDb, code);
  const int loaded = student.Load(0, -1);
  noteRead(loaded, pRead);
  return loaded > 0 ? student.NA : QString();
}

QString itemName(const QString& code, CKvDb* pDb, bool* pRead = nullptr) {
  CCost item;
  const int loaded = item.Load(code, pDb);
  noteRead(loaded, pRead);
  return loaded > 0 ? item.NA : QString();
}

// The operator's name; with `known`, a name read before is taken from it
// and one read now is kept there.
QString operatorName(const QString& code, CKvDb* pDb, QHash<QString, QString>* known, bool* pRead = nullptr) {
  if (code.isEmpty())
    return QString();
  if (known) {
    const auto found = known->constFind(code);
    if (found != known->constEnd())
      return *found;
  }
  KvOperatorStore store;
  const int loaded = store.Load(pDb, code);
  noteRead(loaded, pRead);
  const QString name = loaded > 0 ? store.Operator().strName : QString();
  // A failed read is not kept: the next layout tries again.
  if (known && loaded >= 0)
    known->insert(code, name);
  return name;
}

QString amountText(double value, int width) { return KvNumToText(value, width, 2, 2, false); }

// A box of the layout: rows and columns in layout units, frames left, top,
// right, bottom; alignment 0 left, 2 right, 6 centred; printed in overlay
// mode or not. Boxes never wrap.
KvTextBox box(const QString& text, int top, int bottom, int left, int right, int frameLeft, int frameTop,
              int frameRight, int frameBottom, int align, int overlay) {
  KvTextBox b;
  b.Set(text, left, top, right, bottom, frameLeft, frameTop, frameRight, frameBottom, 1, 1, 0, 2, 2, 1,
        align, overlay);
  return b;
}

enum { kLeft = 0, kRight = 2, kCentre = 6 };
}  // namespace

bool CPc::BuildReceiptLayout(KvTextBoxArray* boxes, const QList<CPc>& lines, CKvDb* pDb,
                             QHash<QString, QString>* operatorNames) {
  boxes->clear();
  const int n = CXxDataType::ReceiptRowsRef();
  if (n > 9 || n < 0)
    return true;
  bool read = true;
  const auto add = [boxes](const KvTextBox& b) { boxes->append(b); };
  add(box(QStringLiteral("学生姓名："), 0, 1, 0, 10, 0, 0, 0, 2, kLeft, 0));
  add(box(studentName(STD, pDb, &read), 0, 1, 10, 38, 0, 0, 0, 2, kLeft, 0));
  add(box(QString(), 0, 1, 38, 43, 0, 0, 0, 2, kCentre, 0));
  add(box(T.left(4), 0, 1, 43, 47, 0, 0, 0, 2, kCentre, 1));
  add(box(QStringLiteral("年"), 0, 1, 47, 49, 0, 0, 0, 2, kCentre, 0));
  add(box(T.mid(4, 2), 0, 1, 49, 51, 0, 0, 0, 2, kCentre, 1));
  add(box(QStringLiteral("月"), 0, 1, 51, 53, 0, 0, 0, 2, kCentre, 0));
  add(box(T.mid(6, 2), 0, 1, 53, 55, 0, 0, 0, 2, kCentre, 1));
  add(box(QStringLiteral("日"), 0, 1, 55, 57, 0, 0, 0, 2, kCentre, 0));
  add(box(QStringLiteral("学期："), 0, 1, 57, 65, 0, 0, 0, 2, kRight, 0));
  add(box(KvFormat(QStringLiteral("%d"), QC + 1), 0, 1, 65, 80, 0, 0, 0, 2, kLeft, 0));
  add(box(QStringLiteral("№："), 0, 1, 80, 90, 0, 0, 0, 2, kRight, 0));
  add(box(DH, 0, 1, 90, 100, 0, 0, 0, 2, kLeft, 0));
  add(box(QStringLiteral("摘要"), 1, 2, 0, 40, 2, 2, 1, 1, kCentre, 0));
  add(box(QStringLiteral("费用名称"), 1, 2, 40, 75, 1, 2, 1, 1, kCentre, 0));
  add(box(QStringLiteral("金额"), 1, 2, 75, 100, 1, 2, 2, 1, kCentre, 0));
  for (int i = 0; i < n; ++i) {
    // A line is shown when it has an item and something paid; a refund
    // (a negative amount) is left off the paper and counts in the total
    // only.
    const bool shown = i < lines.size() && !lines.at(i).COST.isEmpty() && lines.at(i).My > kZero;
    const CPc line = shown ? lines.at(i) : CPc();
    add(box(line.Mry, 2 + i, 3 + i, 0, 40, 2, 1, 1, 1, kLeft, 1));
    add(box(shown ? itemName(line.COST, pDb, &read) : QString(), 2 + i, 3 + i, 40, 75, 1, 1, 1, 1, kLeft, 1));
    add(box(amountText(line.My, 0), 2 + i, 3 + i, 75, 100, 1, 1, 2, 1, kCentre, 1));
  }
  SumAmounts(lines);
  const int r = n + 2;
  add(box(QStringLiteral("合计（大写）"), r, r + 1, 0, 20, 2, 1, 1, 2, kCentre, 0));
  add(box(KvAmountToChinese(My), r, r + 1, 20, 75, 1, 1, 1, 2, kLeft, 1));
  add(box(amountText(My, 0), r, r + 1, 75, 100, 1, 1, 2, 2, kCentre, 1));
  CKvApp* app = KvGetApp();
  add(box(QStringLiteral("收款单位："), r + 1, r + 2, 0, 10, 0, 2, 0, 0, kCentre, 0));
  add(box(app ? app->GetDataFile().GetEntityName() : QString(), r + 1, r + 2, 10, 60, 0, 2, 0, 0, kLeft, 1));
  add(box(QStringLiteral("复核："), r + 1, r + 2, 60, 70, 0, 2, 0, 0, kCentre, 0));
  add(box(operatorName(Opr1, pDb, operatorNames, &read), r + 1, r + 2, 70, 80, 0, 2, 0, 0, kLeft, 1));
  add(box(QStringLiteral("收款："), r + 1, r + 2, 80, 90, 0, 2, 0, 0, kCentre, 0));
  add(box(operatorName(Opr0, pDb, operatorNames, &read), r + 1, r + 2, 90, 100, 0, 2, 0, 0, kLeft, 1));
  return read;
}

bool CPc::BuildReceiptMacros(CKvDb* pDb, QList<QPair<QString, QString>>* macros) {
  macros->clear();
  QList<CPc> lines;
  CPc scratch;
  // A receipt that cannot be read, or is no longer stored, is not filled.
  if (scratch.SelectVoucherLines(-1, T, DH, &lines, pDb) <= 0)
    return false;
  bool read = true;
  const auto add = [macros](const QString& token, const QString& value) { macros->append({token, value}); };
  CKvApp* app = KvGetApp();
  add(QStringLiteral("#kvname"), app ? app->GetDataFile().GetEntityName() : QString());
  add(QStringLiteral("#kvmanager"), app ? app->GetDataFile().GetT1() : QString());
  add(QStringLiteral("#kvmaster"), app ? app->GetDataFile().GetManagerName() : QString());
  add(QStringLiteral("#dh"), DH);
  add(QStringLiteral("#yy"), T.left(4));
  add(QStringLiteral("#mm"), T.mid(4, 2));
  add(QStringLiteral("#dd"), T.mid(6));
  add(QStringLiteral("#xsd"), STD);
  add(QStringLiteral("#xsm"), studentName(STD, pDb, &read));
  add(QStringLiteral("#xq"), KvFormat(QStringLiteral("%d"), QC + 1));
  // The rows the receipt fills, then every later row of the layout (at
  // most 9) empty, so that no token of an unused row is printed.
  const int n = CXxDataType::ReceiptRowsRef();
  for (int i = 0; i < 9; ++i) {
    const bool used = i < n && i < lines.size();
    const CPc line = used ? lines.at(i) : CPc();
    const QString s = KvIntToText(i + 1, 2);
    add(QStringLiteral("#zy") + s, line.Mry);
    add(QStringLiteral("#fxd") + s, line.COST);
    add(QStringLiteral("#fxm") + s, used ? itemName(line.COST, pDb, &read) : QString());
    add(QStringLiteral("#je") + s, used ? amountText(line.My, 14) : QString());
  }
  SumAmounts(lines);
  add(QStringLiteral("#hjx"), amountText(My, 14));
  add(QStringLiteral("#hjd"), KvAmountToChinese(My));
  const QString operators[2][2] = {{QStringLiteral("sf"), Opr0}, {QStringLiteral("fh"), Opr1}};
  for (const auto& op : operators) {
    add(u'#' + op[0] + u'd', op[1]);
    add(u'#' + op[0] + u'm', operatorName(op[1], pDb, nullptr, &read));
  }
  return read;
}

int CPc::FindOutstandingTerm(const CStd& student, QList<CPc>* lines, CKvDb* pDb) {
  lines->clear();
  CKvQuery query(1, 1, 1, pDb);
  if (!query.Open(KvFormat(QStringLiteral("Select QC,sum(f*my),rtrim(COST) From PC Where STD='%s' "
                                          "Group By QC,COST Order By QC,COST"),
                           pDb->QuoteText(student.KNO))) ||
      query.IsEOF())
    return student.QC[0];
  int lastTerm = student.QC[0];
  for (; !query.IsEOF(); query.MoveNext()) {
    const int term = query.GetLong(0);
    lastTerm = term;
    // Proposed to the fen the receipt takes: a data file may hold amounts
    // with more decimals, and a sum of them any number.
    const double owed = KvRoundDecimals(query.GetDouble(0), kAmountDecimals);
    if (owed < kZero)
      continue;
    if (!lines->isEmpty() && term != lines->first().QC)
      return lines->first().QC;
    CPc line;
    line.QC = term;
    line.COST = query.GetText(0);
    line.My = owed;
    lines->append(line);
  }
  return lines->isEmpty() ? lastTerm : lines->first().QC;
}

QString CPc::TermBalanceSelect(int tag, int term, bool bLeaveOut, const QString& andWhere) {
  return KvFormat(QStringLiteral("Select %d,0,sum(f*My),rtrim(COST),'' From PC Where STD=? And QC=%d %s%sGroup By COST"),
                  tag, term, bLeaveOut ? QStringLiteral("And Not(F=-1 And T>=? And T<? And DH=?) ") : QString(),
                  andWhere.isEmpty() ? QString() : QStringLiteral("And ") + andWhere + u' ');
}

void CPc::BindTermBalance(KvDbStatement& statement, int* p, const QString& student, const QString& t,
                          const QString& dh) {
  statement.bindText((*p)++, student);
  if (dh.isEmpty())
    return;
  const auto [year, next] = YearRange(t);
  statement.bindText((*p)++, year);
  statement.bindText((*p)++, next);
  statement.bindText((*p)++, dh);
}

int CPc::GetTermDifferences(const QString& student, int term, const QString& t, const QString& dh,
                            QList<CPc>* lines, CKvDb* pDb) {
  std::unique_ptr<KvDbRowset> rows =
      KvSchoolSelectKept(pDb, TermBalanceSelect(0, term, !dh.isEmpty()) + QStringLiteral(" Order By COST"),
                         [&](KvDbStatement& statement) {
                           int p = 0;
                           BindTermBalance(statement, &p, student, t, dh);
                         });
  if (!rows)
    return -1;
  QList<CPc> balances;
  for (; !rows->atEnd(); rows->next()) {
    CPc balance;
    balance.My = rows->real(2);
    balance.COST = KvDbTrimRight(rows->text(3));
    balances.append(balance);
  }
  SubtractReceipt(&balances, *lines);
  *lines = balances;
  return int(lines->size());
}

void CPc::SubtractReceipt(QList<CPc>* balances, const QList<CPc>& lines) {
  QList<CPc> receipt = lines;
  for (CPc& balance : *balances) {
    for (qsizetype i = 0; i < receipt.size();) {
      if (receipt.at(i).COST == balance.COST) {
        balance.My -= receipt.at(i).My;
        receipt.removeAt(i);
      } else {
        ++i;
      }
    }
  }
  for (CPc line : receipt) {
    line.My = -line.My;
    balances->append(line);
  }
  balances->removeIf([](const CPc& line) { return std::fabs(line.My) < kZero; });
}
