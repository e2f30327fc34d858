// Carrying the code tree into a new year's data file.

#include "school/CStd.h"

#include "core/CKvDb.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvNumber.h"
#include "school/CXxDataType.h"
#include "school/KvSchoolSql.h"

namespace {
// The year the course of a grade row ends.
int endYear(const CStd& grade) { return KvStrToInt(grade.XQT[1].left(4)); }

// The grade of a code, read through the code's connection; false when it is
// not there.
bool loadGrade(CKvDb* pDb, const QString& code, CStd* grade) {
  *grade = CStd(pDb, code.left(CXxDataType::GradeCodeLen()));
  return grade->Load(0, -1) > 0;
}
}  // namespace

bool CStd::CarryOver(CKvDb* oldDb, CKvDb* newDb) {
  QString yearText;
  if (!KvSchoolText(newDb, QStringLiteral("Select max(PY) From SysTab"), QString(), &yearText))
    return false;
  const int year = KvStrToInt(yearText);
  if (year <= 0)
    return false;
  const int gradeLength = CXxDataType::GradeCodeLen();
  KvDbTransaction transaction(*newDb);
  if (!transaction.IsActive())
    return false;
  if (!KvCopyTableChecked(oldDb, newDb, QStringLiteral("STD"),
                          KvFormat(QStringLiteral("Where Len(rtrim(KNO))<%d"), gradeLength)))
    return false;
  const QString gradeWhere = KvFormat(QStringLiteral("Where Len(rtrim(KNO))=%d"), gradeLength);
  CStd reader(oldDb, QString());
  QList<CStd> grades;
  if (reader.Select(&grades, 0, -1, gradeWhere) != reader.Count(0, -1, gradeWhere))
    return false;
  for (CStd& grade : grades) {
    if (endYear(grade) >= year) {
      if (!KvCopyTableChecked(oldDb, newDb, QStringLiteral("STD"),
                              KvFormat(QStringLiteral("Where KNO Like '%s'"), KvLikePrefix(oldDb, grade.KNO))))
        return false;
    } else if (grade.CarryNode(year, oldDb, newDb) < 0) {
      return false;
    }
  }
  return transaction.Commit();
}

int CStd::CarryNode(int year, CKvDb* oldDb, CKvDb* newDb) {
  if (IsStudent()) {
    CStd grade;
    bool carried = loadGrade(oldDb, KNO, &grade) && endYear(grade) >= year;
    if (!carried && (LB[0] == 1 || LB[1] == 1)) {
      CStd self = *this;
      self.m_pDb = oldDb;
      QList<CStd> chain;
      carried = self.GetTransferChain(&chain) > 0 && loadGrade(oldDb, chain.last().KNO, &grade) &&
                endYear(grade) >= year;
    }
    if (!carried)
      return 0;
  } else {
    CStd reader = *this;
    reader.m_pDb = oldDb;
    QList<CStd> children;
    const int expected = reader.Count(2, -1);
    if (reader.Select(&children, 2, -1) != expected)
      return -1;
    bool any = false;
    for (CStd& child : children) {
      const int result = child.CarryNode(year, oldDb, newDb);
      if (result < 0)
        return -1;
      any = any || result == 1;
    }
    if (!any)
      return 0;
  }
  CStd copy = *this;
  copy.m_pDb = newDb;
  return copy.InsertRow() == 1 ? 1 : -1;
}
