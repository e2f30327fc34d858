#include "app/CKvDwRec.h"

#include "app/CKvApp.h"
#include "app/CKvDataType.h"

#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvSqlTranslator.h"
#include "core/KvWidth.h"

#include <QHash>

namespace {
// The "any run" wildcard of a Like pattern, as a marker the translator
// turns into the dialect of the connection.
const QString kAnyMarker = QStringLiteral("\x07*\x08");

// The application's unit set.
struct UnitSet {
  CKvDwArray units;
  CKvDwRec current;
  CKvDwRec saved;
};
UnitSet& unitSet() {
  static UnitSet set;
  return set;
}

CKvDwArray& appUnits() { return unitSet().units; }

// The kind whose quoting a fragment takes: the given connection's, else the
// application's data file's, else the file kind.
int quoteKind(const CKvDb* pDb) {
  if (!pDb)
    pDb = KvGetAppDb();
  return pDb ? pDb->GetKind() : 0;
}

QString positioned(int nPosition, const QString& fragment) {
  if (nPosition == 1)
    return QStringLiteral(" Where ") + fragment;
  if (nPosition == 2)
    return QStringLiteral(" And ") + fragment;
  return fragment;
}

// Gives a text column the width of a unit code; false when it did not take.
bool resizeCode(CKvDb* pDb, const QString& table, const QString& column) {
  pDb->ResizeCharColumn(table, column, CKvDwRec::kCodeWidth);
  int width = 0;
  return pDb->GetColumnWidth(table, column, &width) && width == CKvDwRec::kCodeWidth;
}

const CKvDwArray& sourceOf(const CKvDwArray* pSource) { return pSource ? *pSource : appUnits(); }
}  // namespace

void CKvDwRec::Clear() { *this = CKvDwRec(); }

QString CKvDwRec::Field(int i) const {
  switch (i) {
    case 0: return KNO;
    case 1: return NA;
    case 2: return JA;
    case 3: return MAR;
    case 4: return MGR;
    case 5: return TEL;
    case 6: return ADR;
    case 7: return Operators;
    case 8: return NT;
    default: return QString();
  }
}

void CKvDwRec::SetField(int i, const QString& value) {
  QString* fields[kFieldCount] = {&KNO, &NA, &JA, &MAR, &MGR, &TEL, &ADR, &Operators, &NT};
  if (i >= 0 && i < kFieldCount)
    *fields[i] = value;
}

int CKvDwRec::KvSelectDw(const QString& where, const QString& order, CKvDwArray* pResult,
                         CKvDb* pDb) {
  Clear();
  CKvDwArray local;
  CKvDwArray& result = pResult ? *pResult : local;
  result.clear();
  if (!pDb)
    return 0;

  // The visibility rows first: an operator list read as empty would mean
  // "every operator may see the unit", so a failed read fails the load.
  QHash<QString, QString> operators;
  {
    CKvQuery rows(0, 0, 2, pDb);
    if (!rows.Open(QStringLiteral("Select Rtrim(CsNa),Rtrim(CsVal) From SysCsTab "
                                  "Where Cs=4000 And CsN=1 Order By CsNa,CsVal")))
      return 0;
    for (; !rows.IsEOF(); rows.MoveNext()) {
      QString& list = operators[rows.GetText(0)];
      if (!list.isEmpty())
        list += u';';
      list += rows.GetText(1);
    }
  }

  CKvQuery query(0, 0, 8, pDb);
  const QString sql =
      QStringLiteral("Select rtrim(KNO),rtrim(NA),rtrim(JA),rtrim(MAR),rtrim(MGR),"
                     "rtrim(TEL),rtrim(ADR),rtrim(NT) From KVDW ") +
      where + u' ' + (order.isEmpty() ? QStringLiteral("Order By KNO") : order);
  if (!query.Open(sql))
    return 0;
  CKvDwRec unit;
  for (; !query.IsEOF(); query.MoveNext()) {
    unit.KNO = query.GetText(0);
    unit.NA = query.GetText(1);
    unit.JA = query.GetText(2);
    unit.MAR = query.GetText(3);
    unit.MGR = query.GetText(4);
    unit.TEL = query.GetText(5);
    unit.ADR = query.GetText(6);
    unit.NT = query.GetText(7);
    unit.Operators = operators.value(unit.KNO);
    result.append(unit);
  }
  if (!result.isEmpty())
    *this = result.first();
  return int(result.size());
}

int CKvDwRec::KvLoadDw(const QString& code, CKvDb* pDb) {
  Clear();
  if (!pDb)
    return 0;
  CKvDwArray units;
  const int count = KvSelectDw(QStringLiteral("Where KNO='") + pDb->QuoteText(code) + u'\'',
                               QString(), &units, pDb);
  return count;
}

int CKvDwRec::KvCountDw(const QString& code, CKvDwArray* pResult, CKvDb* pDb) {
  Clear();
  if (!pDb) {
    if (pResult)
      pResult->clear();
    return 0;
  }
  return KvSelectDw(QStringLiteral("Where KNO Like '") + KvQuoteLikePattern(code, pDb->GetKind()) +
                        kAnyMarker + u'\'',
                    QString(), pResult, pDb);
}

int CKvDwRec::KvFindDw(const QString& code, int mode, CKvDwArray* pResult,
                       const CKvDwArray* pSource) {
  Clear();
  if (pResult)
    pResult->clear();
  const CKvDwArray& units = sourceOf(pSource);
  if (mode > 4)
    mode = 3;
  if (mode == 0 && code.isEmpty())
    return 0;
  int count = 0;
  qsizetype childLength = -1;
  const auto take = [&](const CKvDwRec& unit) {
    if (pResult)
      pResult->append(unit);
    ++count;
  };
  for (qsizetype i = 0; i < units.size(); ++i) {
    const CKvDwRec& unit = units[i];
    if (!code.isEmpty() && !unit.KNO.startsWith(code))
      continue;
    const bool self = unit.KNO == code;
    switch (mode) {
      case 0:
        if (self) {
          *this = unit;
          take(unit);
          return count;
        }
        break;
      case 1:
        if (self)
          *this = unit;
        take(unit);
        break;
      case 2:
        if (self)
          break;
        if (childLength < 0)
          childLength = unit.KNO.size();
        if (unit.KNO.size() == childLength)
          take(unit);
        break;
      case 3:
        if (!self)
          take(unit);
        break;
      default:  // 4: leaves only
        if (!self && (i + 1 == units.size() || !units[i + 1].KNO.startsWith(unit.KNO)))
          take(unit);
        break;
    }
  }
  return count;
}

void CKvDwRec::KvFindDwEx(const QString& code, CKvDwArray* pResult, const CKvDwArray* pSource) {
  Clear();
  if (pResult)
    pResult->clear();
  for (const CKvDwRec& unit : sourceOf(pSource)) {
    if (unit.KNO == code)
      break;
    if (code.startsWith(unit.KNO)) {
      *this = unit;
      if (pResult)
        pResult->append(unit);
    }
  }
}

QString CKvDwRec::KvLastChildDw(const QString& code, const CKvDwArray* pSource) {
  CKvDwArray children;
  KvFindDw(code, 2, &children, pSource);
  Clear();
  return children.isEmpty() ? code : children.last().KNO;
}

int CKvDwRec::KvMaxDwFieldLen(const QString& code, int field) {
  CKvDwArray subtree;
  KvFindDw(code, 1, &subtree, nullptr);
  Clear();
  if (subtree.isEmpty())
    return KvTextWidth(code);
  int longest = 0;
  for (const CKvDwRec& unit : subtree)
    longest = qMax(longest, KvTextWidth(unit.Field(field)));
  return longest;
}

CKvDwArray& KvGetDwArray() { return appUnits(); }

CKvDwRec& KvGetCurrentDw() { return unitSet().current; }

CKvDwRec& KvGetSavedDw() { return unitSet().saved; }

void KvSetCurrentDw(const QString& code, bool bSave, const CKvDwArray* pSource) {
  CKvDwRec& current = KvGetCurrentDw();
  if (bSave)
    KvGetSavedDw() = current;
  if (code.isEmpty()) {
    current.Clear();
    return;
  }
  CKvDwRec found;
  found.KvFindDw(code, 0, nullptr, pSource);
  current = found;
}

QString KvHdoUnitFilter(int nPosition, const CKvDwRec* pRec, const CKvDb* pDb) {
  const QString& code = (pRec ? *pRec : KvGetCurrentDw()).KNO;
  if (code.isEmpty())
    return positioned(nPosition, QStringLiteral("HDO=''"));
  return positioned(nPosition, QStringLiteral("(HDO='' Or HDO='") +
                                   KvQuoteSqlText(code, quoteKind(pDb)) + QStringLiteral("')"));
}

QString KvHdoExactFilter(int nPosition, const CKvDwRec* pRec, const CKvDb* pDb) {
  const QString& code = (pRec ? *pRec : KvGetCurrentDw()).KNO;
  return positioned(nPosition,
                    QStringLiteral("HDO='") + KvQuoteSqlText(code, quoteKind(pDb)) + u'\'');
}

QString KvHdoInFilter(int nPosition, bool bAllWhenEmpty, const QString& codes,
                      const CKvDb* pDb) {
  const int kind = quoteKind(pDb);
  QStringList patterns;
  // An empty entry would be a pattern matching every row: it is skipped.
  for (const QString& code : codes.split(u';', Qt::SkipEmptyParts))
    patterns.append(QStringLiteral("HDO Like '") + KvQuoteLikePattern(code, kind) + kAnyMarker +
                    u'\'');
  if (patterns.isEmpty()) {
    if (bAllWhenEmpty)
      return QString();
    return positioned(nPosition, QStringLiteral("(HDO='')"));
  }
  return positioned(nPosition, u'(' + patterns.join(QStringLiteral(" Or ")) + u')');
}

bool KvCreateDwTable(CKvDb* pDb, const QString& table) {
  if (!pDb)
    return false;
  if (!pDb->TableExists(table)) {
    return pDb->Execute(QStringLiteral("CREATE TABLE ") + table +
                        QStringLiteral("(KNO CHAR(14),NA CHAR(60),JA CHAR(20),MAR CHAR(12),"
                                       "MGR CHAR(12),TEL CHAR(25),ADR CHAR(255),NT CHAR(255))"));
  }
  int width = 0;
  if (pDb->GetColumnWidth(table, QStringLiteral("KNO"), &width) && width > 0 &&
      width != CKvDwRec::kCodeWidth) {
    if (!resizeCode(pDb, table, QStringLiteral("KNO")))
      return false;
  }
  // The modules' columns that hold a unit code follow the unit table.
  bool ok = true;
  if (CKvApp* app = KvGetApp()) {
    KvCodeRefs refs;
    app->GetCodeReferences(QStringLiteral("KVDW"), refs);
    for (int i = 0; i < refs.Count(); ++i) {
      width = 0;
      if (pDb->GetColumnWidth(refs.Tables[i], refs.Columns[i], &width) && width > 0 &&
          width != CKvDwRec::kCodeWidth && !resizeCode(pDb, refs.Tables[i], refs.Columns[i]))
        ok = false;
    }
  }
  return ok;
}
