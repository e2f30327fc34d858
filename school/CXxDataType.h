#pragma once
// The descriptor of module 18, fees and school structure. One object is
// registered with the application (the program's module list); every other
// part of the module and the timetabling module find it through
// KvFindDataType(18), or through the static accessors here.
//
// It creates the module's tables (STD, COST, PC and, for the timetabling
// module, WKJH, SBTTCHR and PK), lists the module's rights and the common
// rights it adds, fills the default page and the positioned-print layout of
// the receipt, names the carry-forward items and carries them, and names the
// columns of its tables that hold operator codes.
//
// It also holds the structure parameters of the code tree STD (SysCsTab
// category 4180): the number of management levels M (1 to 4), the
// multi-class flag m, the code length of each level and the receipt rows.
// The tree has L = M + m + 2 levels counted from 0: units, the grade level
// M, the class level L-2 (the grade level itself when m is 0) and the
// student level L-1. A code is one fixed-length segment per level, so a
// code of level i is CodeLenOfLevel(i) characters long.
//
// What callers may rely on:
// - The static accessors work on the registered descriptor; in a process
//   without one (a tool, a test) they work on a descriptor of their own that
//   holds the defaults until parameters are loaded into it.
// - SaveParams is all or nothing: a failed statement leaves the stored
//   parameters as they were and the ones in memory as they were stored.
// - CheckParamChange with stop never ends the process itself: it shows its
//   message, closes the connection and asks the program to leave its event
//   loop (KvRequestQuit), so the normal shut-down runs.

#include "forms/CFormDataType.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class CKvDb;

class CXxDataType : public CFormDataType {
 public:
  // Module number, menu and labels set, parameters at their defaults.
  CXxDataType();
  ~CXxDataType() override;

  static constexpr int kModule = 18;
  // Parameter category in SysCsTab.
  static constexpr int kParamCs = 4180;
  // Levels a tree can have at most: 4 management levels, the multi-class
  // level, grades and students.
  static constexpr int kMaxLevels = 7;

  // --- Module descriptor hooks ---

  void RegisterTemplates() override;
  // Reloads the parameters, then creates each missing table with its index;
  // a failed statement is reported and the others still run (false then).
  bool CreateTables(CKvDb* pDb) override;
  // Reload the parameters of the data file just opened (modules with a tab
  // are told so with its connection; every module after each login).
  void OpenData(CKvDb* pDb) override;
  void OnAfterLogin() override;
  void GetModuleRights(QStringList& codes, QStringList& names) override;
  void GetSharedRights(QStringList& codes, QStringList& names) override;
  void GetDefaultPrintSet(int nFormNo, const QString& formName, CKvPrintSet& set) override;
  void GetPrintPosForms(int nLayoutId, CKvPrintFieldDefs& defs) override;
  void GetCodeReferences(const QString& kind, KvCodeRefs& refs) override;
  void GetCarryItems(QList<int>& numbers, QStringList& captions, QStringList& tables) override;
  bool CarryOver(int nGroup, int nItem, CKvDb* pOldDb, CKvDb* pNewDb, int nFlag) override;
  // The base check, then -1 with "新旧年度的参数不一致" when the two data
  // files' parameters differ. Afterwards the parameters in memory are the
  // new file's.
  int CheckCarryOver(int nGroup, int nItem, const QString& caption, const QString& tables,
                     CKvDb* pOldDb, CKvDb* pNewDb, QString& message) override;

  // Carries one item (item + 100 x group: 0 the tree, 1 the fee items, 2
  // the fee lines) into the new data file, in one transaction of the new
  // file; false when nothing was carried (the new file is then as before).
  bool CarryItem(int nGroup, int nItem, CKvDb* pOldDb, CKvDb* pNewDb);

  // Groups of the rights dialog: common groups 80 and 81, module groups 0
  // to 2.
  void GetSystemRightGroups(QList<int>& groups, QStringList& captions);
  void GetModuleRightGroups(QList<int>& groups, QStringList& captions);

  // --- Parameters ---

  void SetDefaultParams();
  // Reads the rows of category 4180 into the members; a level in use whose
  // length is not positive becomes 2. False (members unchanged) when the
  // rows cannot be read; the query has reported it, and a lost connection
  // has told its loss (CKvDb::IsOpenOrFailsAsLost).
  bool LoadParams(CKvDb* pDb);
  // Replaces the stored rows by the members (levels beyond L-1 are not
  // stored) in one transaction; the members then read as a load would give
  // them.
  bool SaveParams(CKvDb* pDb);
  // Defaults, then LoadParams; on failure the members are left as they
  // were before.
  bool ReloadParams(CKvDb* pDb);

  // The parameters as stored (CsN 0, 1, 2 and 10 + level).
  struct Params {
    int nMgmtLevels = 1;
    int nMultiClass = 1;
    int nReceiptRows = 3;
    int nCodeLen[kMaxLevels] = {1, 4, 1, 2, 0, 0, 0};

    int LevelCount() const { return nMgmtLevels + nMultiClass + 2; }
    // Equal in M, m, the receipt rows and the lengths of the levels in use.
    bool SameAs(const Params& other) const;
    // A level in use whose length is not positive gets 2.
    void Normalise();
    // Takes the value of one stored row (CsN, CsVal).
    void Apply(int csn, const QString& text);
  };
  Params m_params;

  // --- Static access to the module's descriptor ---

  static CXxDataType* Get();
  static int& MgmtLevelsRef();
  static int& MultiClassRef();
  static int& ReceiptRowsRef();
  // Level i from 0; an index outside 0-6 reaches a scratch value.
  static int& CodeLenRef(int i);
  // L = M + m + 2.
  static int LevelCount();
  // Length of a code of level i: len(0) + ... + len(i); 0 for i < 0.
  static int CodeLenOfLevel(int i);
  // Level of a code counted from 1 (also the 0-based level of its
  // children); 0 for the empty code; L + 1 for a code longer than a
  // student's.
  static int LevelOfCode(const QString& code);
  // Code lengths of the usual levels.
  static int GradeCodeLen() { return CodeLenOfLevel(MgmtLevelsRef()); }
  static int ClassCodeLen() { return CodeLenOfLevel(LevelCount() - 2); }
  static int StudentCodeLen() { return CodeLenOfLevel(LevelCount() - 1); }

  // Reloads the parameters of the connection (null: the open data file's)
  // and compares them with those in memory: 0 unchanged; 1 changed. With
  // stop, a change shows "系统参数发生了变化，软件将被迫关闭！", closes the
  // connection and asks the program to quit (the result is then 1, and the
  // caller must not go on). -1 when the stored parameters cannot be read:
  // the values in memory stay, and the caller must not go on either.
  static int CheckParamChange(bool bStop, CKvDb* pDb);
  // As CheckParamChange, on the rows (CsN, CsVal) of category kParamCs that
  // the caller has read.
  static int CheckParamRows(const QList<QPair<int, QString>>& rows, bool bStop, CKvDb* pDb);
  // For a write that builds codes from the parameters in memory, under its
  // STD lock: 0 when the stored parameters are still those, 1 when they
  // changed, -1 when they cannot be read. The parameters in memory stay as
  // they were: the write rolls back, then answers a change with
  // CheckParamChange(true, ...).
  static int StoredParamsChanged(CKvDb* pDb);

 private:
  // CheckParamChange's answer once the stored parameters are in memory.
  static int settleParamChange(const Params& before, bool bStop, CKvDb* pDb);
};

// The length of a student's code in the registered fee module (module 18);
// 0 when the program has none. A class code is shorter by the student
// level's own length.
int KvXxStudentCodeLength();
