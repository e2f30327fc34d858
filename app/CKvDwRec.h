#pragma once
// Accounting units ("核算单位"). One data file can keep the books of several
// units; they form one code tree in the table KVDW, and a business row that
// belongs to a unit carries the unit's code in its column HDO (an empty HDO
// marks a row common to all units). The file is in group accounting mode
// exactly when KVDW holds a unit.
//
// CKvDwRec is one unit and, as the unit functions are its members, also the
// slot their first or found unit is handed back in. The tree rules rely on
// arrays sorted by KNO ("Order By KNO"): a unit is followed at once by its
// descendants; its parent is the unit with the longest code that is a proper
// prefix of its code; it is a leaf when the unit after it does not begin
// with its code.
//
// The application's unit array of the open data file, its current unit and
// the saved previous one live here for the whole process (KvGetDwArray,
// KvGetCurrentDw, KvGetSavedDw): the login fills the array, a unit picker or
// KvSetCurrentDw sets the current unit, and the HDO filters use it by
// default.
//
// Every text put into a statement is quoted for the connection (codes,
// Like patterns through KvQuoteLikePattern), so an apostrophe in a unit's
// fields is stored intact.

#include <QList>
#include <QString>

class CKvDb;
class CKvDwRec;

using CKvDwArray = QList<CKvDwRec>;

class CKvDwRec {
 public:
  // Number of fields: KNO, NA, JA, MAR, MGR, TEL, ADR, the operator list, NT.
  static constexpr int kFieldCount = 9;
  // Declared width of KNO.
  static constexpr int kCodeWidth = 14;

  CKvDwRec() = default;

  // All nine fields empty.
  void Clear();

  // Field i (0 to 8, in the order above); an empty text for another index.
  QString Field(int i) const;
  void SetField(int i, const QString& value);

  // Reads the units "Select ... From KVDW <where> <order>" (an empty order
  // is "Order By KNO") into *pResult (emptied first), each with its
  // operator list from the visibility rows (SysCsTab Cs 4000, CsN 1; the
  // operator codes joined by ";" in ascending order). The record receives
  // the first unit (cleared when there is none). Returns the number of
  // units; 0, with the result empty, when a select fails (the query layer
  // reports it). `where` and `order` are whole clauses whose values the
  // caller has quoted.
  int KvSelectDw(const QString& where, const QString& order, CKvDwArray* pResult, CKvDb* pDb);
  // Loads the unit of that code into the record; the number found (0 or 1).
  int KvLoadDw(const QString& code, CKvDb* pDb);
  // The unit and all its descendants into *pResult in code order; their
  // number. The record receives the first.
  int KvCountDw(const QString& code, CKvDwArray* pResult, CKvDb* pDb);

  // Lookups in an array held in memory (pSource null: the application's
  // unit array); a null pResult counts only. The record is cleared first.
  // Modes: 0 the unit itself (the record receives it); 1 the unit and its
  // descendants (the record receives the unit); 2 its children (with an
  // empty code the top level); 3 its descendants; 4 its leaf descendants.
  // Modes above 4 act as 3. Returns the number of matching units.
  int KvFindDw(const QString& code, int mode, CKvDwArray* pResult = nullptr,
               const CKvDwArray* pSource = nullptr);
  // The units whose code is a proper prefix of `code`, in code order, into
  // *pResult (may be null); the record receives the last of them, the
  // parent (cleared when there is none).
  void KvFindDwEx(const QString& code, CKvDwArray* pResult = nullptr,
                  const CKvDwArray* pSource = nullptr);
  // The code of the last direct child of the unit, or `code` itself when it
  // has none.
  QString KvLastChildDw(const QString& code, const CKvDwArray* pSource = nullptr);
  // The greatest width of field `field` over the unit and its descendants
  // in the application's array; the width of `code` when none matches.
  int KvMaxDwFieldLen(const QString& code, int field);

  QString KNO;        // unit code, at most 14 characters
  QString NA;         // name
  QString JA;         // short name
  QString MAR;        // responsible person
  QString MGR;        // manager; the data file's manager name in group mode
  QString TEL;        // telephone
  QString ADR;        // address
  QString Operators;  // operator codes joined by ";"; not a column of KVDW
  QString NT;         // note
};

// The application's units of the open data file, in code order.
CKvDwArray& KvGetDwArray();
// The current unit (empty code: none selected).
CKvDwRec& KvGetCurrentDw();
// The previous current unit, kept when KvSetCurrentDw is asked to save it.
CKvDwRec& KvGetSavedDw();

// With bSave the current unit is first copied to the saved one; then an
// empty code clears the current unit and any other code makes it the unit of
// that code in pSource (the application's array when null), cleared when it
// is not found.
void KvSetCurrentDw(const QString& code, bool bSave = false, const CKvDwArray* pSource = nullptr);

// WHERE fragments on HDO. nPosition 1 puts " Where " in front, 2 " And ",
// any other value leaves the fragment bare. Values are quoted for pDb's
// kind (null: the application's data file; without application, the file
// kind).
//
// The unit's own rows and the common rows: "HDO=''" for an empty code,
// otherwise "(HDO='' Or HDO='<code>')". pRec null: the current unit.
QString KvHdoUnitFilter(int nPosition, const CKvDwRec* pRec = nullptr, const CKvDb* pDb = nullptr);
// Only the unit's own rows: "HDO='<code>'". pRec null: the current unit.
QString KvHdoExactFilter(int nPosition, const CKvDwRec* pRec = nullptr, const CKvDb* pDb = nullptr);
// The rows of the ";"-separated units and their descendants, without the
// common rows: "(HDO Like '<code>*' Or ...)" with the wildcard marker. An
// empty list gives an empty text when bAllWhenEmpty is set, otherwise
// "(HDO='')" with its position prefix.
QString KvHdoInFilter(int nPosition, bool bAllWhenEmpty, const QString& codes,
                      const CKvDb* pDb = nullptr);

// Creates the unit table when it is missing; otherwise gives its KNO the
// width 14 when it has another. False when a statement failed (reported by
// the connection).
bool KvCreateDwTable(CKvDb* pDb, const QString& table = QStringLiteral("KVDW"));
