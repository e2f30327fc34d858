#include "school/KvReceiptSave.h"

#include "app/CKvApp.h"
#include "app/CKvOperation.h"
#include "core/CKvDb.h"
#include "core/KvDbBackend.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "core/KvSqlTranslator.h"
#include "core/KvText.h"
#include "school/CStd.h"
#include "school/CXxDataType.h"
#include "school/KvSchoolSql.h"

#include <QHash>

#include <algorithm>

#include <cmath>

namespace {
constexpr double kZero = 0.000001;

KvReceiptSaveResult refuse(KvReceiptSaveResult::Focus focus, int line = 0) {
  KvReceiptSaveResult result;
  result.focus = focus;
  result.nLine = line;
  return result;
}

KvReceiptSaveResult stop(const QString& message, KvReceiptSaveResult::Focus focus, int line = 0) {
  KvMessageBox(message, KV_MB_OK | KV_MB_ICONSTOP);
  return refuse(focus, line);
}

// A refusal under the PC lock: rolled back first, so that no other
// workstation waits on the box.
KvReceiptSaveResult stopAfter(KvDbTransaction& transaction, const QString& message,
                              KvReceiptSaveResult::Focus focus, int line = 0) {
  transaction.Rollback();
  return stop(message, focus, line);
}

// One line per balance: "%s：%s%12.2lf元\n".
QString balanceText(const QList<CPc>& balances, bool* overpaid) {
  QString text;
  *overpaid = false;
  for (const CPc& balance : balances) {
    const bool owed = balance.My > kZero;
    *overpaid = *overpaid || balance.My < -kZero;
    text += KvFormat(QStringLiteral("%s：%s%12.2lf元\n"), balance.COST,
                     owed ? QStringLiteral("不足") : QStringLiteral("多收"), std::fabs(balance.My));
  }
  return text;
}



// A row of the save's tagged selects: tag, number, amount, text, text.
struct TaggedRow {
  int nTag = 0;
  int nNumber = 0;
  double dAmount = 0.0;
  QString strText0;
  QString strText1;
};

QList<TaggedRow> readTagged(KvDbRowset& read) {
  QList<TaggedRow> rows;
  for (; !read.atEnd(); read.next())
    rows.append({int(read.integer(0)), int(read.integer(1)), read.real(2), KvDbTrimRight(read.text(3)),
                 KvDbTrimRight(read.text(4))});
  return rows;
}

CPc balanceOf(const TaggedRow& row) {
  CPc balance;
  balance.COST = row.strText0;
  balance.My = row.dAmount;
  return balance;
}

void sortByItem(QList<CPc>* balances) {
  std::sort(balances->begin(), balances->end(), [](const CPc& a, const CPc& b) { return a.COST < b.COST; });
}

// What the save reads before its question, in one select of tagged rows.
struct PreSaveRows {
  QList<QPair<int, QString>> params;   // tag 0: CsN, CsVal
  int nInTerm = 0;                     // tag 1: the student's rows in the term
  int nAnyTerm = 0;                    // tag 2: the student's rows, name, telephone
  QString strName;
  QString strTel;
  QHash<QString, QString> itemNames;   // tag 3: KNO, NA of the lines' items
  QList<CPc> balances;                 // tag 4: COST, sum(f*My)
  QString strVersion;                  // tag 9: the data version read with them
};

// The items the lines name.
QStringList itemCodes(const QList<CPc>& lines) {
  QStringList codes;
  for (const CPc& line : lines)
    if (!line.COST.isEmpty())
      codes.append(line.COST);
  return codes;
}

// The selects of the student in the term (tag 1), of the student at all
// with his name and telephone (tag 2) and of the lines' items (tag 3), with
// their bound values: read before the question and again under the lock
// after it.
QStringList studentAndItemSelects(int term, const QStringList& codes) {
  QStringList selects = {QStringLiteral("Select 1,Count(*),0.0,'','' From Std Where KNO=?") + CStd::TermCondition(term),
                         QStringLiteral("Select 2,Count(*),0.0,Min(NA),Min(TEL) From Std Where KNO=?")};
  if (!codes.isEmpty())
    selects.append(QStringLiteral("Select 3,0,0.0,rtrim(KNO),rtrim(NA) From COST Where rtrim(KNO) In (") +
                   QStringList(codes.size(), QStringLiteral("?")).join(u',') + u')');
  return selects;
}

void bindStudentAndItems(KvDbStatement& statement, int* p, const QString& student, const QStringList& codes) {
  statement.bindText((*p)++, student);
  statement.bindText((*p)++, student);
  for (const QString& code : codes)
    statement.bindText((*p)++, code);
}

// One tagged row into the rows read (a tag not named here is a balance).
void takeRow(const TaggedRow& row, PreSaveRows* rows) {
  switch (row.nTag) {
    case 0:
      rows->params.append({row.nNumber, row.strText0});
      break;
    case 1:
      rows->nInTerm = row.nNumber;
      break;
    case 2:
      rows->nAnyTerm = row.nNumber;
      rows->strName = row.strText0;
      rows->strTel = row.strText1;
      break;
    case 3:
      rows->itemNames.insert(row.strText0, row.strText1);
      break;
    case 9:
      rows->strVersion = row.strText0;
      break;
    default:
      rows->balances.append(balanceOf(row));
  }
}

bool readPreSaveRows(const CPc& head, const QString& student, const QString& leftOutT, const QString& leftOutDh,
                     const QList<CPc>& lines, CKvDb* pDb, PreSaveRows* rows) {
  const QStringList codes = itemCodes(lines);
  QStringList selects = {
      KvFormat(QStringLiteral("Select 0,CsN,0.0,Rtrim(CsVal),'' From SysCsTab Where Cs=%d"), CXxDataType::kParamCs)};
  selects += studentAndItemSelects(head.QC, codes);
  selects.append(CPc::TermBalanceSelect(4, head.QC, !leftOutDh.isEmpty()));
  selects.append(QStringLiteral("Select 9,0,0.0,") + KvDataVersionSql(pDb->GetKind()) + QStringLiteral(",''"));
  std::unique_ptr<KvDbRowset> read =
      KvSchoolSelectKept(pDb, selects.join(QStringLiteral(" Union All ")), [&](KvDbStatement& statement) {
        int p = 0;
        bindStudentAndItems(statement, &p, student, codes);
        CPc::BindTermBalance(statement, &p, student, leftOutT, leftOutDh);
      });
  if (!read)
    return false;
  for (const TaggedRow& row : readTagged(*read))
    takeRow(row, rows);
  sortByItem(&rows->balances);
  return true;
}

// Why the student, as the rows read tell, is not present in the term, and
// the field to focus; empty when he is.
QString studentRefusal(const PreSaveRows& rows, KvReceiptSaveResult::Focus* focus) {
  if (rows.nInTerm == 1)
    return QString();
  *focus = rows.nAnyTerm == 0 ? KvReceiptSaveResult::kStudent : KvReceiptSaveResult::kTerm;
  return rows.nAnyTerm == 0 ? QStringLiteral("此代码对应的学生不存在！") : QStringLiteral("学期期次不正确！");
}
}  // namespace

KvReceiptSaveResult KvReceiptSave::Save(CPc& head, const CPc& storedHead, const QList<CPc>& lines, bool bNew,
                                        CKvDb* pDb, QList<CPc>* savedLines, CPc::DayTally* dayBefore,
                                        const StoredCheck& storedAsLoaded) {
  using R = KvReceiptSaveResult;
  if (!pDb)
    return refuse(R::kNone);
  const QString student = KvStripChars(head.STD, QStringLiteral(" \t\r\n"));
  const QString leftOutT = bNew ? QString() : storedHead.T;
  const QString leftOutDh = bNew ? QString() : storedHead.DH;
  // A failed read refuses the save; a parameter change ends the program.
  PreSaveRows stored;
  if (!readPreSaveRows(head, student, leftOutT, leftOutDh, lines, pDb, &stored) ||
      CXxDataType::CheckParamRows(stored.params, true, pDb) != 0)
    return refuse(R::kNone);

  // The student, present in the term.
  if (student.size() != CXxDataType::StudentCodeLen() || !KvIsAllDigits(student) || student.isEmpty())
    return stop(QStringLiteral("这不是一个学生的代码！"), R::kStudent);
  if (head.QC < 0)
    return stop(QStringLiteral("学期期次不正确！"), R::kTerm);
  R::Focus focus = R::kNone;
  if (const QString refusal = studentRefusal(stored, &focus); !refusal.isEmpty())
    return stop(refusal, focus);

  // The number: digits written back with leading zeros; 0 or none leaves it
  // empty, and the save takes the next free number.
  QString number = head.DH;
  KvFormatIntFrom(number, 5, false);

  // The lines: those with an item and an amount, each item once.
  QList<CPc> collected;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const CPc& line = lines.at(i);
    if (std::fabs(line.My) < kZero || line.COST.isEmpty())
      continue;
    const auto found = stored.itemNames.constFind(line.COST);
    if (found == stored.itemNames.constEnd())
      return stop(QStringLiteral("此收费项目不存在！"), R::kItem, int(i));
    CPc fee = head;
    fee.STD = student;
    fee.DH = number;
    fee.F = -1;
    fee.COST = line.COST;
    fee.My = line.My;
    fee.Mry = line.Mry.isEmpty() ? KvFormat(QStringLiteral("收%d学期%s"), head.QC + 1, *found) : line.Mry;
    for (const CPc& earlier : collected)
      if (earlier.COST == fee.COST)
        return stop(QStringLiteral("一张单据不能有重复的收费项目！"), R::kItem, int(i));
    collected.append(fee);
  }
  if (collected.isEmpty())
    return stop(QStringLiteral("没有有效的收费记录行！"), R::kItem, 0);

  // The payment against what the student owes in the term.
  QList<CPc> balances = stored.balances;
  CPc::SubtractReceipt(&balances, collected);
  if (!balances.isEmpty()) {
    bool overpaid = false;
    const QString text = balanceText(balances, &overpaid);
    if (overpaid)
      return stop(text, R::kAmount, 0);
    if (KvMessageBox(text + QStringLiteral("保存吗？"), KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) != KV_IDYES)
      return refuse(R::kAmount, 0);
  }

  // The write, all or nothing: the PC lock first, then in one select (sent
  // with the begin and the lock where the back end can) the year's largest
  // number, which a number left empty follows, and the balances again,
  // since another operator may have been paid meanwhile. They are read
  // again only when another connection has committed since the first read
  // (the data version then differs); otherwise that read still holds. The
  // student and the items, which the question may have left time to change,
  // come with them and are checked again.
  const QString version = KvDataVersionSql(pDb->GetKind());
  const QStringList codes = itemCodes(lines);
  QString select = CPc::TermBalanceSelect(4, head.QC, !leftOutDh.isEmpty(), version + QStringLiteral("<>?")) +
                  QStringLiteral(" Union All Select 5,0,0.0,(") + CPc::LargestNumberSelect(-1) + QStringLiteral("),''") +
                  QStringLiteral(" Union All Select 9,0,0.0,") + version + QStringLiteral(",''");
  if (dayBefore)
    select += QStringLiteral(" Union All ") + CPc::DayTallySelect(6);
  select += QStringLiteral(" Union All ") + studentAndItemSelects(head.QC, codes).join(QStringLiteral(" Union All "));
  // A replaced receipt keeps its stored print count: a print made from
  // another workstation meanwhile is not undone by the window's old count.
  if (!bNew)
    select += QStringLiteral(" Union All Select 7,Coalesce(Max(LPR),0),0.0,'','' From PC "
                             "Where F=-1 And T>=? And T<? And DH=?");
  QString translated;
  KvDbStatement* statement = KvSchoolBoundKept(pDb, select,
                                               [&](KvDbStatement& bound) {
                                                 int p = 0;
                                                 CPc::BindTermBalance(bound, &p, student, leftOutT, leftOutDh);
                                                 bound.bindText(p++, stored.strVersion);
                                                 CPc::BindLargestNumber(bound, &p, head.T);
                                                 if (dayBefore)
                                                   bound.bindText(p++, head.T);
                                                 bindStudentAndItems(bound, &p, student, codes);
                                                 if (!bNew) {
                                                   CPc::BindLargestNumber(bound, &p, storedHead.T);
                                                   bound.bindText(p++, storedHead.DH);
                                                 }
                                               },
                                               &translated);
  if (!statement)
    return refuse(R::kStudent);
  std::unique_ptr<KvDbRowset> read;
  QString error;
  KvDbTransaction transaction(*pDb, QStringLiteral("PC"), *statement, &read, &error);
  if (!transaction.IsActive())
    return refuse(R::kStudent);
  if (!read) {
    KvSchoolReportFailed(pDb, translated, error);
    return refuse(R::kStudent);
  }
  PreSaveRows locked;
  int largest = 0;
  CPc::DayTally day;
  int prints = head.LPR;
  for (const TaggedRow& row : readTagged(*read)) {
    if (row.nTag == 5)
      largest = KvStrToInt(row.strText0);
    else if (row.nTag == 7)
      prints = row.nNumber;
    else if (row.nTag == 6)
      day = {row.nNumber, int(row.dAmount), KvStrToInt(row.strText0)};
    else
      takeRow(row, &locked);
  }
  balances = locked.strVersion == stored.strVersion ? stored.balances : locked.balances;
  // The student and the items as they are after the question.
  if (const QString refusal = studentRefusal(locked, &focus); !refusal.isEmpty())
    return stopAfter(transaction, refusal, focus);
  for (qsizetype i = 0; i < lines.size(); ++i)
    if (std::fabs(lines.at(i).My) >= kZero && !lines.at(i).COST.isEmpty() &&
        !locked.itemNames.contains(lines.at(i).COST))
      return stopAfter(transaction, QStringLiteral("此收费项目不存在！"), R::kItem, int(i));
  if (QString full; number.isEmpty() && (number = CPc::NumberAfter(largest, &full)).isEmpty())
    return stopAfter(transaction, full, R::kStudent);
  for (CPc& fee : collected) {
    fee.DH = number;
    fee.LPR = prints;
  }
  if (!bNew && storedAsLoaded) {
    CPc storedNow;
    QList<CPc> storedLines;
    const int count = storedNow.SelectVoucherLines(-1, storedHead.T, storedHead.DH, &storedLines, pDb);
    if (count < 0)
      return refuse(R::kStudent);
    if (count == 0 || !storedAsLoaded(storedNow, storedLines))
      return stopAfter(transaction, QStringLiteral("单据已被其他窗口或工作站修改或删除，请刷新后再输入！"),
                       R::kStudent);
  }
  if (!bNew) {
    CPc scratch;
    if (!scratch.DeleteVoucher(-1, storedHead.T, storedHead.DH, pDb, &transaction))
      return stopAfter(transaction, QStringLiteral("无法修改！"), R::kStudent);
  }
  // A replaced receipt's own lines were left out of the balances above.
  sortByItem(&balances);
  CPc::SubtractReceipt(&balances, collected);
  if (std::any_of(balances.cbegin(), balances.cend(), [](const CPc& balance) { return balance.My < -kZero; })) {
    bool overpaid = false;
    return stopAfter(transaction, balanceText(balances, &overpaid), R::kAmount, 0);
  }
  QString note;
  if (bNew) {
    note = KvFormat(QStringLiteral("新增：№(%s)%s"), head.T.left(4), number);
  } else {
    note = KvFormat(QStringLiteral("修改№(%s)%s"), storedHead.T.left(4), storedHead.DH);
    if (storedHead.T.left(4) != head.T.left(4) || storedHead.DH != number)
      note += KvFormat(QStringLiteral(" --> (%s)%s"), head.T, number);
  }
  // The lines and the log row (while the data file's log is on); a new
  // receipt's transaction has written nothing else, so its commit goes
  // with them.
  CKvApp* app = KvGetApp();
  CPc::VoucherLog log;
  if (app)
    log = {app->GetTask().nTask, CKvOperation::OperatorLabel(), CKvOperation::NowText(),
           CXxDataType::kModule * 100 + 2, note};
  const bool bSaved = CPc::InsertVoucherLines(collected, pDb, app ? &log : nullptr, transaction, bNew) &&
                      (bNew || transaction.Commit());
  if (!bSaved)
    return refuse(R::kStudent);

  head.STD = student;
  head.DH = number;
  if (savedLines)
    *savedLines = collected;
  if (dayBefore)
    *dayBefore = day;
  KvReceiptSaveResult result;
  result.bSaved = true;
  result.focus = R::kStudent;
  result.bStudentKnown = stored.nAnyTerm == 1;
  result.strStudentName = stored.strName;
  result.strStudentTel = stored.strTel;
  // Past the last number the next receipt has none: its save tells why.
  result.strNextNumber = CPc::NumberAfter(std::max(largest, KvStrToInt(number)), nullptr);
  return result;
}
