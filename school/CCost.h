#pragma once
// One fee item of table COST: a two-digit code ("01" to "99"), a name and
// a note. Every fee line (PC) names its item in PC.COST.
//
// What callers may rely on:
// - Texts are quoted for the connection; values read come without trailing
//   blanks.
// - Insert, Update and Delete each run in one transaction (nested under a
//   caller's). Insert and Update take the COST lock before they count, so
//   two operators never store the same code.
// - Update may merge two items: when the new code belongs to another item
//   it asks "要将费用<%s>与<%s>合并吗？"; on Yes the old item goes and every
//   fee line of it names the new item, all or nothing.
// - Delete refuses an item that a fee line uses (*pReferenced, when
//   given, tells that case apart), or whose use cannot be counted. The
//   lines are counted, and moved to a new code, under the PC lock taken
//   after COST's: a receipt in flight is waited for.

#include <QList>
#include <QString>

class CKvDb;

class CCost {
 public:
  QString KNO;
  QString NA;
  QString NT;

  void Clear();
  // The name as the title of the item's column: "/", which ends a field of
  // a column definition, shown as "／"; cut into lines six wide.
  QString ColumnTitle() const;

  // Replaces *items with the rows "Select ... From COST <where> <order>";
  // their number, -1 when the select fails.
  static int Select(const QString& where, const QString& order, QList<CCost>* items, CKvDb* pDb);
  // The item of that code into this record; the number found (-1
  // unreadable).
  int Load(const QString& code, CKvDb* pDb);
  // Every item in code order.
  static int SelectAll(QList<CCost>* items, CKvDb* pDb);

  // False when the code is taken (nothing stored) or a statement failed.
  bool Insert(CKvDb* pDb);
  // This record's values replace the item `read` (as the caller read it),
  // possibly under a new code (the fee lines follow); see the merge above.
  // Under the COST lock, and again after the merge question, the item must
  // still be stored as read ("费用项目<%s>已被其他窗口或工作站修改或删除，
  // 请重新打开后再修改！") and the merge's target must still be there
  // ("费用项目<%s>已被其他窗口或工作站删除，不能合并！"). False when refused,
  // declined or failed, with nothing changed.
  bool Update(const CCost& read, CKvDb* pDb);
  static bool Delete(const QString& code, CKvDb* pDb, bool* pReferenced = nullptr);
  // One more than the largest code, two digits; "" when the codes cannot
  // be read, and "" after "99", told as "代码已到最大值99，不能再自动编号！".
  static QString NextCode(CKvDb* pDb);
};
