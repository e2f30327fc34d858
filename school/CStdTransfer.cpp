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
bool refuse(bool report, const QString& message) {
  if (report)
    KvMessageBox(message, KV_MB_OK | KV_MB_ICONSTOP);
  return false;
}

// A generated student code: digits only, of a student's length, not all
// zeros.
bool isStudentCode(const QString& code) {
  return code.size() == CXxDataType::StudentCodeLen() && KvIsAllDigits(code) &&
         code.count(u'0') != code.size();
}
}  // namespace

bool CStd::ModifyWithTransfer(const CStd& source, int newTerm, bool report, bool* termRefused) {
  if (termRefused)
    *termRefused = false;
  CStd stored = source;
  stored.m_pDb = m_pDb;
  const int found = stored.Load(0, -1);
  if (found < 0)
    return false;
  const bool isNewTransfer = LB[1] == 1 && IsStudent() && found > 0 && stored.DM[1].isEmpty();
  if (!isNewTransfer)
    return Modify(source, report);

  const int classLength = CXxDataType::ClassCodeLen();
  QString target = DM[1];
  if (target.isEmpty())
    return refuse(report, QStringLiteral("新代码不能为空!"));
  if (target.size() != CXxDataType::StudentCodeLen() && target.size() != classLength)
    return refuse(report, QStringLiteral("应为一学生、或教学班代码!"));
  if (target.left(classLength) == KNO.left(classLength))
    return refuse(report, QStringLiteral("不能在班内转学!"));
  CStd targetClass(m_pDb, target.left(classLength));
  if (targetClass.Count(0, -1) != 1)
    return refuse(report, QStringLiteral("此教学班不存在!"));
  if (target.size() == classLength) {
    target = targetClass.NextChildCode();
    if (!isStudentCode(target))
      return refuse(report, QStringLiteral("无法在转入班产生新代码!"));
  } else if (CStd(m_pDb, target).Count(0, -1) != 0) {
    return refuse(report, QStringLiteral("此学生已存在、代码应是转入班的未用码。可以录入转入班的代码，"
                                         "由系统自动生成新码！!"));
  }
  CStd grade(m_pDb, target.left(CXxDataType::GradeCodeLen()));
  if (grade.Load(0, -1) <= 0 || newTerm < 1 || newTerm > grade.XQN) {
    if (termRefused)
      *termRefused = true;
    return refuse(report, QStringLiteral("未录入新期次，或超界!"));
  }

  const CStd before = *this;
  DM[1] = target;
  CStd moved = *this;
  moved.KNO = target;
  moved.LB[0] = 1;
  moved.QC[0] = newTerm - 1;
  moved.DM[0] = KNO;
  moved.LB[1] = 0;
  moved.QC[1] = grade.XQN - 1;
  moved.DM[1].clear();

  bool done = false;
  {
    KvDbTransaction transaction(*m_pDb);
    done = transaction.IsActive() && m_pDb->LockTable(QStringLiteral("STD")) && Modify(source, report) &&
           moved.InsertRow() == 1 && transaction.Commit();
  }
  const QString text = KvFormat(QStringLiteral("%s --> %s"), KNO, target);
  if (!done) {
    *this = before;
    if (report)
      KvMessageBox(text + QStringLiteral("转学失败！"), KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  if (report)
    KvMessageBox(text + QStringLiteral("转学成功！"), KV_MB_OK | KV_MB_ICONINFORMATION);
  return true;
}
