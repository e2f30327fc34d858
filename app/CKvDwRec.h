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
class CKvTreeCombo;
class QWidget;

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

  // --- Visibility per operator (KvDwRight.cpp) ---
  // An operator named in no unit's list, or in the list of every leaf, is
  // not restricted. Access is decided on leaves; a unit above the leaves is
  // accessible when all its leaves are. "101" may never be listed.

  // True when every entry of the record's operator list (";"-separated,
  // blanks, tabs and line breaks around an entry ignored, empty entries
  // skipped) is an existing operator other than "101"; otherwise false with
  // *pMessage "操作员不能是系统管理员！" or "操作员：%s不存在！". The message is
  // empty on true.
  bool KvCheckDwOperators(CKvDb* pDb, QString* pMessage) const;
  // From the visibility rows in the table and the leaves of the
  // application's unit array: 1 when the operator is restricted (*pResult
  // then holds the leaves he may see), 2 when he is not, -1 when his rows
  // cannot be read (the failure is shown; *pResult is empty).
  int KvGetDwOperatorLeaves(CKvDb* pDb, const QString& operatorCode, CKvDwArray* pResult);
  // Whether the unit is accessible given the visible leaves: 2 no
  // restriction, 1 accessible, 0 not.
  int KvCheckDwInLeaves(const QString& code, const CKvDwArray* pVisible);
  // KvGetDwOperatorLeaves, then KvCheckDwInLeaves of the unit; 2, 1 or 0,
  // or -1 when the rows cannot be read.
  int KvCheckDwRight(CKvDb* pDb, const QString& code, const QString& operatorCode);
  // From the operator lists in memory (empty operator code: the operator
  // logged in). Modes: 0 the accessible leaves; 1 the tree for a picker (an
  // empty record first, standing for all units, then the accessible leaves
  // and the units above them); 2 the accessible units. Returns the number
  // of records in *pResult.
  int KvGetVisibleDwList(CKvDwArray* pResult, const QString& operatorCode, int mode);
  // The path text of this unit for the tree picker: " <root>", then per
  // ancestor and the unit itself "\n<own part of the code> <JA>". An empty
  // code gives the root line alone.
  QString KvGetDwPathText(const QString& rootText) const;
  // Fills the picker with the units of KvGetVisibleDwList mode 1, selects
  // the current unit (cleared when not there) and sets the current unit from
  // the picker. Display flag 0, or 2 when at most one unit can be picked
  // (a leaf of the list), disables and hides the picker. True when the
  // picker is enabled.
  bool KvFillDwCombo(CKvTreeCombo* pCombo, int displayFlag, const QString& operatorCode,
                     const QString& rootText);
  // The check before data is entered for the current unit. Mode below 0 or
  // 1: no check. Otherwise no accessible unit clears the current unit and
  // one makes it current (both true); else the current unit must be
  // accessible ("你无此单位数据访问权！") and, in mode 0, a leaf
  // ("这不是一个末级单位！"). A refusal shows the message with the stop icon,
  // focuses pFocus and returns false.
  bool KvCheckDwAccess(QWidget* pFocus, int mode);

  // --- Maintenance of the unit tree (KvDwMaintenance.cpp) ---
  // Each shows its own messages and returns true when done; a refusal
  // leaves KVDW as it was. The record holds the new values, field 7 the
  // operator list.

  // Adds the record as a new unit.
  bool KvAddDw(CKvDb* pDb);
  // Rewrites the unit oldCode to the record's values; its descendants, their
  // visibility rows and the unit-bearing tables follow a new code. With
  // pRead, the unit as the caller read it: under the KVDW lock, after every
  // question, the stored unit must still be that unit ("%1：已被其他窗口或工作站
  // 修改或删除，请重新打开后再修改！").
  bool KvModifyDw(const QString& oldCode, CKvDb* pDb, const CKvDwRec* pRead = nullptr);
  // Deletes the unit `code` and its descendants; the record holds the unit.
  bool KvDeleteDw(const QString& code, CKvDb* pDb);
  // Checks the record's code against the length of its level below
  // parentCode and, after confirmation, changes that length for every
  // descendant of the parent (KVDW, visibility rows, unit-bearing tables),
  // converting *pRefCode alike. True when the code may be used.
  bool KvChangeDwCodeLength(CKvDb* pDb, const QString& parentCode, QString* pRefCode);
  // Inserts / updates the KVDW row of the record (the connection's Execute
  // result, reported).
  bool KvInsertDw(CKvDb* pDb, int options);
  bool KvUpdateDw(const QString& oldCode, CKvDb* pDb, int options);

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
