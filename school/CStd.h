#pragma once
// One row of STD, the school's code tree: management units, grades, classes
// and students, told apart by the length of their code KNO (the level model
// is CXxDataType's). The record knows the connection it reads from and
// writes to, builds the clauses that select a node, its subtree or its
// children (optionally only the students present in a term), reads rows,
// describes and validates its fields, and answers the tree's queries.
//
// Writes keep the tree and everything that points into it consistent: PC,
// WKJH, SBTTCHR and PK refer to a node by code prefix in their column STD,
// and transferred students point to each other through DM0 and DM1. When a
// node's code changes, its subtree and every reference follow; a node that
// gets its first child hands its fee lines (and transfer links) down to it,
// while its timetable rows stay, since those describe the level they are
// stored on; a referenced leaf that is its parent's only child is folded
// into the parent.
//
// What callers may rely on:
// - Every text reaches SQL quoted for the connection (CKvDb::QuoteText, and
//   KvQuoteLikePattern for a Like value): a typed "*" or "'" stays literal.
// - Every write (Insert, Modify, Delete, Paste, the level-length rewrite
//   with its parameter save, the transfer) runs in one transaction, nested
//   under a caller's: the first failed statement rolls the whole write back
//   and the result is false.
// - A count that cannot be read counts as a reference (nothing is deleted)
//   and never as "no row".
// - Refusals are shown (stop icon) only when the report flag is set, and
//   only once the write's transaction is rolled back: no other station
//   waits on the message. A failed statement is always reported by the
//   connection.
// - Every write checks under the STD lock that the tree's parameters are
//   still those its codes were built from; when another station changed
//   them, it rolls back and gives CXxDataType::CheckParamChange's answer.
// - Codes are inserted under CKvDb::LockTable("STD"), so two operators
//   never both store a code. A write that counts or moves references locks
//   the referring tables as well, after STD: PC, WKJH, SBTTCHR, PK (the
//   program's one order), so a receipt or a plan in flight is waited for.

#include "core/CKvFieldDesc.h"

#include <QList>
#include <QString>
#include <QStringList>

class CKvDb;

class CStd {
 public:
  CStd() = default;
  CStd(CKvDb* pDb, const QString& code);
  CStd(const CStd&) = default;
  CStd& operator=(const CStd&) = default;
  virtual ~CStd();

  void Set(CKvDb* pDb, const QString& code);
  // Every member, the connection included.
  void Assign(const CStd& other) { *this = other; }
  // codeOnly: KNO alone; otherwise every column but KNO (never the
  // connection).
  void CopyPart(const CStd& other, bool codeOnly);
  // Texts empty, integers 0; the connection stays.
  void Clear();
  // Clear, then the defaults of a new node: a grade runs six terms from
  // September this year to August three years later; a student lives in
  // "x幢x号", is "汉", comes from "x省x县" and leaves in term 5.
  void SetDefaults(bool student);

  bool IsStudent() const;

  // --- SQL pieces ---

  static QString GetColumnList();
  // The values in the column list's order, texts quoted for the connection.
  QString GetValueList() const;
  // Mode 0 the node; 1 the node and its subtree (the whole table for an
  // empty code); other modes the direct children (the first level for an
  // empty code). With term >= 0 only the students present in that term pass
  // (shorter codes always do).
  virtual QString BuildWhere(int mode, int term) const;
  // " And Not(...)": the condition BuildWhere adds for a term, which only
  // the students present in it pass.
  static QString TermCondition(int term);
  virtual QString BuildOrder() const;
  // "Set KNO='<this code>'||Mid(KNO,<old length + 1>,30)" in the
  // connection's dialect.
  QString BuildRecodeSet(const CStd& oldRow) const;

  // --- Reading ---

  // Reads rows into *rows (emptied first) and returns their number; -1 when
  // the select fails (it reports). Empty server texts take the Jet ones;
  // an empty Where or Order By is this row's own for the mode and term.
  // After rows were found this object holds the last one.
  int Select(QList<CStd>* rows, int mode, int term, const QString& where = QString(),
             const QString& serverWhere = QString(), const QString& order = QString(),
             const QString& serverOrder = QString());
  // The first row of the mode into this object; the number found, -1
  // unreadable (this object unchanged).
  int Load(int mode, int term);
  // The number of rows of the Where (this row's own for the mode and term
  // when empty); -1 when it cannot be read.
  int Count(int mode, int term, const QString& where = QString());

  // --- Tree queries ---

  // The code cut to the length of the level above its own; "" for a code of
  // the first level and for "".
  static QString ParentCode(const QString& code);
  QString ParentCode() const { return ParentCode(KNO); }
  // The code cut after each level, from the top down to its own.
  static QStringList SplitAncestors(const QString& code);
  // "name/name/.../own name" from the top; the codes and names of the path
  // into *codes and *names. 0 when the node does not exist, -1 when a row
  // cannot be read, else the number of levels. A missing ancestor row gives
  // its code in place of its name.
  int GetPath(QString* path, QStringList* codes, QStringList* names);
  // The longest code of the subtree; -1 when it cannot be read.
  int MaxCodeLen();
  // This code followed by the next number after the largest child segment,
  // zero-padded to the child level's length; "" when the largest segment
  // cannot be read, and "" past the length's last number (all nines) with
  // *pFull (when given) saying so.
  QString NextChildCode(QString* pFull = nullptr);
  // KNO holds what was typed: digits find students by code prefix, letters
  // by the pinyin initials of their names, anything else by a part of the
  // name. With exactly one match this object becomes it; otherwise it is
  // emptied and keeps the typed text as KNO. Returns the number found.
  int FindStudents(QList<CStd>* rows);
  // A student's rows across in-school transfers, earliest first; 0 for a
  // code that is not a student's or a student that does not exist, -1 when
  // a row cannot be read. A chain that comes back to a row already read
  // ends there.
  int GetTransferChain(QList<CStd>* rows);
  // -1 when the course dates agree with each other and with the number of
  // terms; otherwise the message and the side at fault (0 start, 1 end).
  int CheckTerms(QString* message) const;

  // --- Fields ---

  // The 23 field descriptors, in column order (KNO first, NT last), values
  // not filled.
  static QList<CKvFieldDesc> GetFieldDefs();
  // The field descriptors with their values; the first failing field stops
  // the check ("“名称”不能为空！", "代码 ：“…”不合适！").
  bool Validate(bool report);
  // The first failing field's message; empty when every field passes.
  QString Invalidity() const;
  virtual bool CheckField(const CKvFieldDesc& field) const;
  virtual bool IsSameCode(const CStd& other) const { return KNO == other.KNO; }

  // --- References (CStdWrite.cpp) ---

  // "PC Where STD Like '<code>*'" and the same for WKJH, SBTTCHR and PK.
  virtual void GetRefTables(QStringList* texts, QStringList* serverTexts) const;
  // True when a referencing table holds a row of the subtree, or cannot be
  // counted.
  virtual bool IsReferenced();
  // 1 referenced, 0 not, -1 a count could not be read.
  int ReferenceState();
  // 0 refused (message set), 1 may go with its subtree, 2 a referenced
  // leaf above the students that is its parent's only child (folded into
  // the parent). A referenced student is refused like any referenced node:
  // folding him would make a class of a person.
  virtual int CanDelete(QString* message);
  // Moves every reference from oldRow's code to this row's code: PC, WKJH,
  // SBTTCHR, PK and the DM0/DM1 links. False at the first failed
  // statement, nothing moved.
  virtual bool RenameRefs(const CStd& oldRow);
  // The hand-down to a node's first child: as RenameRefs from the parent,
  // but the timetable rows (WKJH, SBTTCHR, PK) stay on the parent's code.
  bool HandDownRefs(const CStd& parent);

  // --- Writes (CStdWrite.cpp) ---

  // What a write found under its locks and refused: a message, or the
  // tree's parameters changed by another station. It is told (Tell) after
  // the write's transaction has been rolled back.
  struct Refusal {
    QString message;
    bool paramsChanged = false;
  };
  // A parameter change gets CXxDataType::CheckParamChange's answer (with
  // report: the message and the end of the program; without: the stored
  // parameters are loaded); a message is shown with report.
  static void Tell(const Refusal& refusal, bool report, CKvDb* pDb);
  // Under the STD lock: false, with refusal->paramsChanged when so, unless
  // the stored tree parameters are those in memory.
  static bool ParamsAsBuilt(CKvDb* pDb, Refusal* refusal);
  // Inside a transaction: the locks of STD, then of PC, WKJH, SBTTCHR and
  // PK, the tables that refer to tree codes.
  static bool LockTreeAndReferences(CKvDb* pDb);

  // Under the locks of the tree and its references (a receipt or a plan in
  // flight is waited for and then counted): refusals of CanDelete, and
  // "“…”已不存在，不能删除！".
  bool Delete(bool report);
  bool Delete(Refusal* refusal);
  // "Delete From STD <where of mode>"; its result.
  bool DeleteRows(int options, int mode);
  // Inserts this row and counts the rows with its code: 1 success, 0 the
  // insert failed, more: the code was there already; -1 when the count
  // cannot be read. Runs inside the caller's transaction, which must hold
  // the STD lock.
  int InsertRow();
  // Under the STD lock; a row whose parent is not stored is refused
  // ("上级“…”已不存在，不能保存“…”！"). The hand-down to a first child
  // takes the PC lock too.
  bool Insert(bool report);
  // As Insert(bool), the refusal kept for the caller to tell after its
  // own transaction; the same for Modify.
  bool Insert(Refusal* refusal);
  // Replaces the stored row `source` by this row, possibly under a new code
  // (subtree and references follow). `source` is the row as the caller read
  // it: under the STD lock the stored row must still be that row
  // (StoredAsRead) and the new code's parent must be stored. A new code
  // moves the references, under their locks.
  bool Modify(const CStd& source, bool report);
  bool Modify(const CStd& source, Refusal* refusal);
  // Reads `read`'s row again on this row's connection (call it under the
  // STD lock): 1 when it is stored with every column as in `read`, 0 when
  // it is gone ("源对象“…”已不存在，不能修改！") or was changed meanwhile
  // ("“…”已被其他窗口或工作站修改，请重新打开后再修改！"), with *message
  // set; -1 when it cannot be read.
  int StoredAsRead(const CStd& read, QString* message) const;
  // Gives oldRow's subtree (mode 1) this row's code as prefix.
  bool RecodeSubtree(const CStd& oldRow, int mode);
  // Copies source's subtree to this row's code (beside the source, as
  // "复件：", when pasted onto itself).
  bool Paste(const CStd& source, bool report);

  // --- In-school transfer (CStdTransfer.cpp) ---

  // Saves this row over `source`, the row as the caller read it (see
  // Modify), and, when this saves a new transfer (exit kind 1 with a new
  // code, `source` having none), also creates the student's row in the
  // target: DM1 names the target class (the next free student code there
  // is taken) or an unused student code of another class; newTerm is the
  // entry term there, counted from 1. All in one transaction, every check
  // under the STD lock. Refusals (report on): the changed or missing row of
  // StoredAsRead, "此教学班不存在!", "不能在班内转学!", "应为一学生、或教学班代码!",
  // "新代码不合适!" (a student segment of zeros), "此学生已存在、…",
  // "无法在转入班产生新代码!", "未录入新期次，或超界!". On success DM1 holds
  // the new row's code, and "%s --> %s转学成功！" is shown with report;
  // a failed save shows "%s --> %s转学失败！" and changes nothing.
  // *termRefused (when given) tells a refused entry term from the others.
  bool ModifyWithTransfer(const CStd& source, int newTerm, bool report, bool* termRefused = nullptr);

  // --- Level lengths of the tree (CStdLevelLength.cpp) ---

  // Rewrites every stored code (STD KNO, DM0, DM1; PC, WKJH, SBTTCHR, PK
  // STD) for a new length of one level and stores the parameter, all or
  // nothing, in one transaction under the locks of the tree and its
  // references, where the stored lengths and the widest segment are read.
  // Refused after the rollback ("码长值过大、或不能为0！", "码长值过小！", or
  // the answer to parameters changed meanwhile) or failed: false, with
  // nothing written and the parameters in memory as before.
  static bool ChangeLevelLengthAndSave(int level, int newLength, CKvDb* pDb);
  // Stores the number of management levels and the multi-class flag, in
  // one transaction under the STD lock, where the rows they depend on are
  // checked again: a new flag with classes stored ("已有班级，不能修改！"),
  // a new number of levels with grades stored ("已有年级，不能修改！") or
  // fewer levels than the units stored use ("此级数内已设机构，不能设置！").
  // False when refused (*refusal, for Tell after the rollback) or failed;
  // the parameters in memory are then as before.
  static bool ChangeStructure(int levels, int multiClass, CKvDb* pDb, Refusal* refusal);
  // Queries the parameter page asks before a structure change; a count
  // that cannot be read answers "yes, rows are there".
  static bool HasRowsAtLastLevels(CKvDb* pDb);
  static bool HasRowsBelowUnits(CKvDb* pDb);

  // --- Carry-over into a new year's data file (CStdCarry.cpp) ---

  // Copies the tree from oldDb into the empty STD of newDb, in one
  // transaction of newDb: the units, every grade whose course ends in the
  // new year or later with its subtree, and of an ended grade only what
  // leads to students who moved inside the school into a running grade.
  // False, with newDb as before, when a copy or an insert fails or newDb
  // has no year (SysTab's PY).
  bool CarryOver(CKvDb* oldDb, CKvDb* newDb);
  // Carries this node of an ended grade (and, above the students, what of
  // its subtree must go): 1 written, 0 left behind, -1 failed.
  int CarryNode(int year, CKvDb* oldDb, CKvDb* newDb);

  // --- Members ---

  QString KNO;
  QString NA;
  QString MRG;
  QString TEL;
  int XQN = 0;
  int XQL = 0;
  QString XQT[2];
  int SEX = 0;
  QString HM;
  QString BT;
  QString PID;
  QString NTN;
  QString FGF;
  QString FCH;
  QString ADR;
  int LB[2] = {0, 0};
  int QC[2] = {0, 0};
  QString DM[2];
  QString NT;
  CKvDb* m_pDb = nullptr;
};
