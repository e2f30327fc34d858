#pragma once
// Saving a receipt: the receipt on the form (its head, the head as stored,
// its lines, new or not) becomes one voucher of paid fee lines, or replaces
// the stored one, and is logged. The form turns the outcome into focus and
// list state; this service shows the messages (through KvMessageBox) and
// writes nothing before all checks and the question have passed.
//
// Order:
// 1. The structure parameters are checked against the stored ones (a change
//    made elsewhere ends the program, see CXxDataType::CheckParamChange).
// 2. The checks of the student, the term, the number and the lines, then
//    the payment against the term's balances: an overpaid item refuses, a
//    shortfall asks "保存吗？".
// 3. One transaction: the PC lock; in one select the year's largest number
//    (a number left empty, 0 or no digits, takes the next), and the
//    balances again (kept from step 2 when no other connection has
//    committed since), and the student and the items, checked again; a
//    replaced receipt read and given to the caller's check
//    ("单据已被其他窗口或工作站修改或删除，请刷新后再输入！" when it is gone or no
//    longer as the window loaded it); the delete of the replaced receipt
//    (its own refusals, then "无法修改！");
//    the balance check (an item overpaid meanwhile refuses with its "多收"
//    line); the lines, inserted only while their number is free
//    ("单号重，插入记录失败！"); the log row on the same connection. Any
//    failure rolls all of it back: PC and the log are as before. A
//    refusal in this step is shown after the rollback.
//
// Steps 1 and 2 read everything they need in one select.

#include "school/CPc.h"

#include <QList>

#include <functional>

class CKvDb;

struct KvReceiptSaveResult {
  // Where the form puts the focus after the save.
  enum Focus { kNone, kStudent, kTerm, kItem, kAmount };

  bool bSaved = false;
  Focus focus = kNone;
  // The line of an item or amount focus.
  int nLine = 0;

  // What a save read on its way, for the window that shows the day's
  // receipts: the student's name and telephone as stored (bStudentKnown
  // when exactly one student has the code), and the number a new receipt
  // of the year takes next, read under the PC lock.
  bool bStudentKnown = false;
  QString strStudentName;
  QString strStudentTel;
  QString strNextNumber;
};

class KvReceiptSave {
 public:
  // head: T (the day), DH, STD, QC, Opr0, Opr1, LPR and FS of the receipt;
  // storedHead: the receipt as stored (T and DH), for a replacement; lines:
  // the form's lines (COST, Mry, My). On success the head holds the saved
  // student code and number, *savedLines (when given) the lines stored, and
  // *dayBefore (when given) what the lines of the receipt's day added up to
  // under the lock, before the save wrote (read in the same select).
  // storedAsLoaded (when given) tells whether the replaced receipt, read
  // under the lock (its first line as head, and its lines), is still the
  // one the caller loaded.
  using StoredCheck = std::function<bool(const CPc& head, const QList<CPc>& lines)>;
  static KvReceiptSaveResult Save(CPc& head, const CPc& storedHead, const QList<CPc>& lines, bool bNew,
                                  CKvDb* pDb, QList<CPc>* savedLines = nullptr,
                                  CPc::DayTally* dayBefore = nullptr, const StoredCheck& storedAsLoaded = {});
};
