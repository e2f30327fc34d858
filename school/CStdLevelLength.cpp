// The tree's structure parameters against the rows stored: changing the
// code length of one level rewrites every stored code with a segment at
// that level and every copy of such a code; the number of management levels
// and the multi-class flag change only while no row depends on them.

#include "school/CStd.h"

#include "app/CKvApp.h"
#include "core/CKvDb.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvNumber.h"
#include "core/KvText.h"
#include "school/CXxDataType.h"
#include "school/KvSchoolSql.h"

namespace {
CKvDb* connectionOr(CKvDb* pDb) { return pDb ? pDb : KvGetAppDb(); }

// The columns that hold tree codes, in the order they are rewritten.
const char* const kCodeColumns[][2] = {{"Std", "KNO"},     {"Std", "DM0"},    {"Std", "DM1"},
                                       {"PC", "STD"},      {"WKJH", "STD"},   {"SBTTCHR", "STD"},
                                       {"PK", "STD"}};

bool refuse(CStd::Refusal* refusal, const QString& message) {
  refusal->message = message;
  return false;
}

// Rows whose code is at least `length` long; -1 when it cannot be read.
int countFrom(CKvDb* pDb, int length) {
  return KvSchoolCount(pDb, KvFormat(QStringLiteral("Select Count(*) From Std Where Len(rtrim(KNO))>=%d"), length));
}

// Rows at the class level, and with a single class per grade only when
// students are stored too; -1 when they cannot be counted.
int rowsAtLastLevels(CKvDb* pDb) {
  const int classes = countFrom(pDb, CXxDataType::ClassCodeLen());
  if (classes <= 0 || CXxDataType::MultiClassRef() != 0)
    return classes;
  return countFrom(pDb, CXxDataType::StudentCodeLen());
}

// The 1-based level of the longest stored code; 0 for an empty table, -1
// when it cannot be read.
int deepestLevel(CKvDb* pDb) {
  QString text;
  if (!KvSchoolText(pDb, QStringLiteral("Select Max(Len(rtrim(KNO))) From Std"), QString(), &text))
    return -1;
  const int longest = KvStrToInt(text);
  if (longest <= 0)
    return 0;
  const int levels = CXxDataType::LevelCount();
  int i = 0;
  while (i < levels && CXxDataType::CodeLenOfLevel(i) < longest)
    ++i;
  return i + 1;
}

// Under the locks of the tree and its references: rewrites every stored code
// for the new length of one level. False when refused (*refusal) or when a
// statement failed.
bool rewriteCodes(int level, int newLength, CKvDb* pDb, CStd::Refusal* refusal) {
  const int oldLength = CXxDataType::CodeLenRef(level);
  if (!(CXxDataType::StudentCodeLen() + (newLength - oldLength) < 16 && newLength > 0))
    return refuse(refusal, QStringLiteral("码长值过大、或不能为0！"));
  const int pos = CXxDataType::CodeLenOfLevel(level) - oldLength;
  QStringList statements;
  if (newLength < oldLength) {
    const QString sql =
        KvFormat(QStringLiteral("Select Max(Mid(KNO,%d,%d)) From Std Where Len(rtrim(KNO))=%d"), pos + 1,
                 oldLength, pos + oldLength);
    QString largest;
    if (!KvSchoolText(pDb, sql, KvReplace(sql, QStringLiteral("Mid("), QStringLiteral("Substring(")), &largest))
      return false;
    qsizetype zeros = 0;
    while (zeros < largest.size() && largest.at(zeros) == u'0')
      ++zeros;
    if (largest.size() - zeros > newLength)
      return refuse(refusal, QStringLiteral("码长值过小！"));
    for (const auto& column : kCodeColumns) {
      statements.append(KvFormat(
          QStringLiteral("Update %s Set %s=Left(%s,%d)||Mid(%s,%d,30) Where Len(rtrim(%s))>%d"), column[0],
          column[1], column[1], pos, column[1], pos + oldLength - newLength + 1, column[1], pos));
    }
  } else {
    const QString zeros(newLength - oldLength, u'0');
    for (const auto& column : kCodeColumns) {
      statements.append(KvFormat(
          QStringLiteral("Update %s Set %s=Left(%s,%d)||'%s'||Mid(%s,%d,30) Where Len(rtrim(%s))>%d"),
          column[0], column[1], column[1], pos, zeros, column[1], pos + 1, column[1], pos));
    }
  }
  for (const QString& sql : statements)
    if (!pDb->Execute(sql, KvReplace(sql, QStringLiteral("Mid("), QStringLiteral("Substring("))))
      return false;
  return true;
}

// Under the STD lock: whether the rows stored let the structure change.
bool structureFree(int levels, int multiClass, CKvDb* pDb, CStd::Refusal* refusal) {
  if (multiClass != CXxDataType::MultiClassRef()) {
    const int rows = rowsAtLastLevels(pDb);
    if (rows != 0)
      return rows > 0 ? refuse(refusal, QStringLiteral("已有班级，不能修改！")) : false;
  }
  if (levels == CXxDataType::MgmtLevelsRef())
    return true;
  const int grades = countFrom(pDb, CXxDataType::GradeCodeLen());
  if (grades != 0)
    return grades > 0 ? refuse(refusal, QStringLiteral("已有年级，不能修改！")) : false;
  // Fewer management levels may not cut off units already there.
  const int deepest = levels < CXxDataType::MgmtLevelsRef() ? deepestLevel(pDb) : 0;
  if (deepest < 0)
    return false;
  return levels >= deepest || refuse(refusal, QStringLiteral("此级数内已设机构，不能设置！"));
}
}  // namespace

bool CStd::ChangeLevelLengthAndSave(int level, int newLength, CKvDb* pDb) {
  pDb = connectionOr(pDb);
  if (!pDb || level < 0 || level >= CXxDataType::LevelCount())
    return false;
  CXxDataType* type = CXxDataType::Get();
  const CXxDataType::Params before = type->m_params;
  Refusal refusal;
  bool done = false;
  {
    // The stored lengths and the widest segment are read under the locks
    // of every table whose codes are rewritten: no code is stored under the
    // old lengths meanwhile.
    KvDbTransaction transaction(*pDb);
    if (transaction.IsActive() && LockTreeAndReferences(pDb) && ParamsAsBuilt(pDb, &refusal) &&
        rewriteCodes(level, newLength, pDb, &refusal)) {
      CXxDataType::CodeLenRef(level) = newLength;
      done = type->SaveParams(pDb) && transaction.Commit();
    }
  }
  if (!done) {
    type->m_params = before;
    Tell(refusal, true, pDb);
  }
  return done;
}

bool CStd::ChangeStructure(int levels, int multiClass, CKvDb* pDb, Refusal* refusal) {
  pDb = connectionOr(pDb);
  if (!pDb)
    return false;
  CXxDataType* type = CXxDataType::Get();
  const CXxDataType::Params before = type->m_params;
  bool done = false;
  {
    KvDbTransaction transaction(*pDb);
    if (transaction.IsActive() && pDb->LockTable(QStringLiteral("STD")) && ParamsAsBuilt(pDb, refusal) &&
        structureFree(levels, multiClass, pDb, refusal)) {
      type->m_params.nMgmtLevels = levels;
      type->m_params.nMultiClass = multiClass;
      done = type->SaveParams(pDb) && transaction.Commit();
    }
  }
  if (!done)
    type->m_params = before;
  return done;
}

bool CStd::HasRowsAtLastLevels(CKvDb* pDb) { return rowsAtLastLevels(connectionOr(pDb)) != 0; }

bool CStd::HasRowsBelowUnits(CKvDb* pDb) {
  return countFrom(connectionOr(pDb), CXxDataType::GradeCodeLen()) != 0;
}
