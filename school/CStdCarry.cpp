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

// Whether the grade of a code still runs in the year: 1 yes, 0 no (or no
// such grade), -1 unreadable.
int gradeRuns(CKvDb* pDb, const QString& code, int year) {
  CStd grade(pDb, code.left(CXxDataType::GradeCodeLen()));
  const int found = grade.Load(0, -1);
  if (found < 0)
    return -1;
  return found > 0 && endYear(grade) >= year ? 1 : 0;
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
  const int gradeCount = reader.Select(&grades, 0, -1, gradeWhere);
  if (gradeCount < 0 || gradeCount != reader.Count(0, -1, gradeWhere))
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
    int carried = gradeRuns(oldDb, KNO, year);
    if (carried == 0 && (LB[0] == 1 || LB[1] == 1)) {
      // A student who moved inside the school goes where his latest place
      // still runs.
      CStd self = *this;
      self.m_pDb = oldDb;
      QList<CStd> chain;
      const int links = self.GetTransferChain(&chain);
      carried = links < 0 ? -1 : links == 0 ? 0 : gradeRuns(oldDb, chain.last().KNO, year);
    }
    if (carried <= 0)
      return carried;
  } else {
    CStd reader = *this;
    reader.m_pDb = oldDb;
    QList<CStd> children;
    const int expected = reader.Count(2, -1);
    if (expected < 0 || reader.Select(&children, 2, -1) != expected)
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
