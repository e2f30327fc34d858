// Changing the code length of one level: every stored code with a segment
// at that level, and every copy of such a code, is rewritten.

#include "school/CStd.h"

#include "app/CKvApp.h"
#include "core/CKvDb.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
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

bool stop(const QString& message) {
  KvMessageBox(message, KV_MB_OK | KV_MB_ICONSTOP);
  return false;
}

// Rows whose code is at least `length` long; -1 when it cannot be read.
int countFrom(CKvDb* pDb, int length) {
  return KvSchoolCount(pDb, KvFormat(QStringLiteral("Select Count(*) From Std Where Len(rtrim(KNO))>=%d"), length));
}
}  // namespace

bool CStd::ChangeLevelLength(int level, int newLength, CKvDb* pDb) {
  pDb = connectionOr(pDb);
  if (!pDb || level < 0 || level >= CXxDataType::LevelCount())
    return false;
  const int oldLength = CXxDataType::CodeLenRef(level);
  if (!(CXxDataType::StudentCodeLen() + (newLength - oldLength) < 16 && newLength > 0))
    return stop(QStringLiteral("码长值过大、或不能为0！"));
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
      return stop(QStringLiteral("码长值过小！"));
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
  KvDbTransaction transaction(*pDb);
  if (!transaction.IsActive())
    return false;
  for (const QString& sql : statements)
    if (!pDb->Execute(sql, KvReplace(sql, QStringLiteral("Mid("), QStringLiteral("Substring("))))
      return false;
  return transaction.Commit();
}

bool CStd::ChangeLevelLengthAndSave(int level, int newLength, CKvDb* pDb) {
  pDb = connectionOr(pDb);
  if (!pDb)
    return false;
  CXxDataType* type = CXxDataType::Get();
  const CXxDataType::Params before = type->m_params;
  bool done = false;
  {
    KvDbTransaction transaction(*pDb);
    if (transaction.IsActive() && ChangeLevelLength(level, newLength, pDb)) {
      CXxDataType::CodeLenRef(level) = newLength;
      done = type->SaveParams(pDb) && transaction.Commit();
    }
  }
  if (!done)
    type->m_params = before;
  return done;
}

bool CStd::HasRowsAtLastLevels(CKvDb* pDb) {
  pDb = connectionOr(pDb);
  const bool deep = countFrom(pDb, CXxDataType::ClassCodeLen()) != 0;
  if (CXxDataType::MultiClassRef() != 0)
    return deep;
  return deep && countFrom(pDb, CXxDataType::StudentCodeLen()) != 0;
}

bool CStd::HasRowsBelowUnits(CKvDb* pDb) {
  return countFrom(connectionOr(pDb), CXxDataType::GradeCodeLen()) != 0;
}

int CStd::DeepestLevelUsed(CKvDb* pDb) {
  QString text;
  if (!KvSchoolText(connectionOr(pDb), QStringLiteral("Select Max(Len(rtrim(KNO))) From Std"), QString(), &text))
    return CXxDataType::LevelCount();
  const int longest = KvStrToInt(text);
  if (longest <= 0)
    return 0;
  const int levels = CXxDataType::LevelCount();
  int i = 0;
  while (i < levels && CXxDataType::CodeLenOfLevel(i) < longest)
    ++i;
  return i + 1;
}
