#include "school/KvReceiptSave.h"

#include "app/CKvApp.h"
#include "app/CKvOperation.h"
#include "core/CKvDb.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "core/KvText.h"
#include "school/CCost.h"
#include "school/CStd.h"
#include "school/CXxDataType.h"

#include <QHash>

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

// Writes the log row on the saving connection (nothing while the data
// file's log is off).
bool writeLog(const QString& note, CKvDb* pDb) {
  CKvApp* app = KvGetApp();
  if (!app || !app->GetDataFile().IsLogOn())
    return true;
  return CKvOperation::InsertLogRow(app->GetTask().nTask, CKvOperation::OperatorLabel(),
                                    CKvOperation::NowText(), CXxDataType::kModule * 100 + 2, note, pDb);
}
}  // namespace

KvReceiptSaveResult KvReceiptSave::Save(CPc& head, const CPc& storedHead, const QList<CPc>& lines, bool bNew,
                                        CKvDb* pDb, QList<CPc>* savedLines) {
  using R = KvReceiptSaveResult;
  if (!pDb || CXxDataType::CheckParamChange(true, pDb) != 0)
    return refuse(R::kNone);

  // The student, present in the term.
  const QString student = KvStripChars(head.STD, QStringLiteral(" \t\r\n"));
  if (student.size() != CXxDataType::StudentCodeLen() || !KvIsAllDigits(student) || student.isEmpty())
    return stop(QStringLiteral("这不是一个学生的代码！"), R::kStudent);
  if (head.QC < 0)
    return stop(QStringLiteral("学期期次不正确！"), R::kTerm);
  CStd row(pDb, student);
  const int present = row.Count(0, head.QC);
  if (present < 0)
    return refuse(R::kNone);
  if (present != 1) {
    const int any = row.Count(0, -1);
    if (any < 0)
      return refuse(R::kNone);
    if (any == 0)
      return stop(QStringLiteral("此代码对应的学生不存在！"), R::kStudent);
    return stop(QStringLiteral("学期期次不正确！"), R::kTerm);
  }

  // The number: digits written back with leading zeros; 0 or none leaves it
  // empty, and the save takes the next free number.
  QString number = head.DH;
  KvFormatIntFrom(number, 5, false);

  // The lines: those with an item and an amount, each item once.
  QList<CCost> catalogue;
  if (CCost::SelectAll(&catalogue, pDb) < 0)
    return refuse(R::kNone);
  QHash<QString, CCost> items;
  for (const CCost& item : catalogue)
    items.insert(item.KNO, item);
  QList<CPc> collected;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const CPc& line = lines.at(i);
    if (std::fabs(line.My) < kZero || line.COST.isEmpty())
      continue;
    const auto found = items.constFind(line.COST);
    if (found == items.constEnd())
      return stop(QStringLiteral("此收费项目不存在！"), R::kItem, int(i));
    const CCost& item = *found;
    CPc fee = head;
    fee.STD = student;
    fee.DH = number;
    fee.F = -1;
    fee.COST = line.COST;
    fee.My = line.My;
    fee.Mry = line.Mry.isEmpty() ? KvFormat(QStringLiteral("收%d学期%s"), head.QC + 1, item.NA) : line.Mry;
    for (const CPc& earlier : collected)
      if (earlier.COST == fee.COST)
        return stop(QStringLiteral("一张单据不能有重复的收费项目！"), R::kItem, int(i));
    collected.append(fee);
  }
  if (collected.isEmpty())
    return stop(QStringLiteral("没有有效的收费记录行！"), R::kItem, 0);

  // The payment against what the student owes in the term.
  const QString leftOutT = bNew ? QString() : storedHead.T;
  const QString leftOutDh = bNew ? QString() : storedHead.DH;
  QList<CPc> balances = collected;
  if (CPc::GetTermDifferences(student, head.QC, leftOutT, leftOutDh, &balances, pDb) < 0)
    return refuse(R::kNone);
  if (!balances.isEmpty()) {
    bool overpaid = false;
    const QString text = balanceText(balances, &overpaid);
    if (overpaid)
      return stop(text, R::kAmount, 0);
    if (KvMessageBox(text + QStringLiteral("保存吗？"), KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) != KV_IDYES)
      return refuse(R::kAmount, 0);
  }

  // The write, all or nothing.
  KvDbTransaction transaction(*pDb);
  if (!transaction.IsActive() || !pDb->LockTable(QStringLiteral("PC")))
    return refuse(R::kStudent);
  if (number.isEmpty()) {
    number = CPc::NextVoucherNo(-1, head.T.left(4), pDb);
    if (number.isEmpty())
      return refuse(R::kStudent);
    for (CPc& fee : collected)
      fee.DH = number;
  }
  if (!bNew) {
    CPc scratch;
    if (!scratch.DeleteVoucher(-1, storedHead.T, storedHead.DH, pDb))
      return stop(QStringLiteral("无法修改！"), R::kStudent);
  }
  // Another operator may have been paid meanwhile: an overpayment now
  // refuses.
  balances = collected;
  if (CPc::GetTermDifferences(student, head.QC, leftOutT, leftOutDh, &balances, pDb) < 0)
    return refuse(R::kStudent);
  bool overpaid = false;
  const QString text = balanceText(balances, &overpaid);
  if (overpaid)
    return stop(text, R::kAmount, 0);
  if (!CPc::InsertVoucherLines(collected, pDb))
    return refuse(R::kStudent);
  QString note;
  if (bNew) {
    note = KvFormat(QStringLiteral("新增：№(%s)%s"), head.T.left(4), number);
  } else {
    note = KvFormat(QStringLiteral("修改№(%s)%s"), storedHead.T.left(4), storedHead.DH);
    if (storedHead.T.left(4) != head.T.left(4) || storedHead.DH != number)
      note += KvFormat(QStringLiteral(" --> (%s)%s"), head.T, number);
  }
  if (!writeLog(note, pDb) || !transaction.Commit())
    return refuse(R::kStudent);

  head.STD = student;
  head.DH = number;
  if (savedLines)
    *savedLines = collected;
  KvReceiptSaveResult result;
  result.bSaved = true;
  result.focus = R::kStudent;
  return result;
}
