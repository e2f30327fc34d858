// The data side of a student's in-school transfer: the old row is saved
// with its exit fields and the new row is made in the target class, both in
// one transaction.

#include "school/CStd.h"

#include "core/CKvDb.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvText.h"
#include "school/CXxDataType.h"

namespace {
// A student code in a class: digits only, of a student's length, its own
// segment not all zeros (the node form refuses such a segment at every
// later save).
bool isStudentCode(const QString& code) {
  const int classLength = CXxDataType::ClassCodeLen();
  return code.size() == CXxDataType::StudentCodeLen() && KvIsAllDigits(code) &&
         code.mid(classLength).count(u'0') != code.size() - classLength;
}

// The transfer's checks and writes, in one transaction under the STD lock:
// the tree's parameters, the old row as read, the target class, its next
// free code and the target's grade are read there. A refusal sets *refusal,
// told after the rollback; a failed statement leaves it empty. On success
// row->DM[1] is the new row's code.
bool writeTransfer(CStd* row, const CStd& source, int newTerm, CStd::Refusal* refusal, bool* termRefused) {
  CKvDb* pDb = row->m_pDb;
  KvDbTransaction transaction(*pDb);
  if (!transaction.IsActive() || !pDb->LockTable(QStringLiteral("STD")) || !CStd::ParamsAsBuilt(pDb, refusal))
    return false;
  // Another station's transfer or change meanwhile refuses this one.
  if (row->StoredAsRead(source, &refusal->message) <= 0)
    return false;
  const auto refuse = [refusal](const QString& message) {
    refusal->message = message;
    return false;
  };
  const int classLength = CXxDataType::ClassCodeLen();
  QString target = row->DM[1];
  if (target.isEmpty())
    return refuse(QStringLiteral("新代码不能为空!"));
  if (target.size() != CXxDataType::StudentCodeLen() && target.size() != classLength)
    return refuse(QStringLiteral("应为一学生、或教学班代码!"));
  if (target.left(classLength) == row->KNO.left(classLength))
    return refuse(QStringLiteral("不能在班内转学!"));
  CStd targetClass(pDb, target.left(classLength));
  if (targetClass.Count(0, -1) != 1)
    return refuse(QStringLiteral("此教学班不存在!"));
  if (target.size() == classLength) {
    QString full;
    target = targetClass.NextChildCode(&full);
    if (!isStudentCode(target))
      return refuse(full.isEmpty() ? QStringLiteral("无法在转入班产生新代码!") : full);
  } else if (!isStudentCode(target)) {
    return refuse(QStringLiteral("新代码不合适!"));
  } else if (CStd(pDb, target).Count(0, -1) != 0) {
    return refuse(QStringLiteral("此学生已存在、代码应是转入班的未用码。可以录入转入班的代码，"
                                 "由系统自动生成新码！!"));
  }
  CStd grade(pDb, target.left(CXxDataType::GradeCodeLen()));
  if (grade.Load(0, -1) <= 0 || newTerm < 1 || newTerm > grade.XQN) {
    if (termRefused)
      *termRefused = true;
    return refuse(QStringLiteral("未录入新期次，或超界!"));
  }

  row->DM[1] = target;
  CStd moved = *row;
  moved.KNO = target;
  moved.LB[0] = 1;
  moved.QC[0] = newTerm - 1;
  moved.DM[0] = row->KNO;
  moved.LB[1] = 0;
  moved.QC[1] = grade.XQN - 1;
  moved.DM[1].clear();
  return row->Modify(source, refusal) && moved.InsertRow() == 1 && transaction.Commit();
}
}  // namespace

bool CStd::ModifyWithTransfer(const CStd& source, int newTerm, bool report, bool* termRefused) {
  if (termRefused)
    *termRefused = false;
  // A transfer is new when the row as read had none; the stored row is
  // compared with that row under the lock.
  const bool isNewTransfer = LB[1] == 1 && IsStudent() && source.DM[1].isEmpty();
  if (!isNewTransfer)
    return Modify(source, report);

  const CStd before = *this;
  Refusal refusal;
  const bool done = writeTransfer(this, source, newTerm, &refusal, termRefused);
  const QString text = KvFormat(QStringLiteral("%s --> %s"), KNO, DM[1]);
  if (!done) {
    *this = before;
    if (refusal.message.isEmpty() && !refusal.paramsChanged)
      refusal.message = text + QStringLiteral("转学失败！");
    Tell(refusal, report, m_pDb);
    return false;
  }
  if (report)
    KvMessageBox(text + QStringLiteral("转学成功！"), KV_MB_OK | KV_MB_ICONINFORMATION);
  return true;
}
