#pragma once
// The parameter store: the table SysCsTab of a data file, shared by every
// operator of the file. A row is addressed by a category code Cs, a number
// CsN within the category and, where needed, a name CsNa; it carries one text
// value CsVal and, for settings that depend on a printer, the printer-profile
// name LPO (empty otherwise).
//
// CKvCsRec is one row and at the same time the access object of the table:
// every read, insert and delete goes through a record. An operation that
// runs a statement takes an optional connection; without one it runs on the
// record's own. With neither it shows "数据库对象为空，无法执行：\n%s" and runs
// nothing. A failed statement is reported by the connection (CKvDb::Execute
// or the typed query). Text values are quoted for the connection they run
// on; CHAR columns come back without their trailing blanks.
//
// Categories in use: 4000 accounting units an operator may see, 4001 named
// printer profiles, 4180 school-structure and fee parameters, 9000 form lists
// of the modules, 9002 and 9003 page settings (LPO the printer profile), 9007
// saved words, 9133 the data file's version stamp, 9139 text-export settings,
// 1000 to 1003 find and replace history, 0 the data file's own switches, 4
// business-month periods, a form's number its print fields.

#include <QList>
#include <QString>
#include <QStringList>

class CKvDb;

class CKvCsRec {
 public:
  CKvCsRec() = default;
  explicit CKvCsRec(CKvDb* pDb) : m_pDb(pDb) {}
  // A copy works on the same connection as the original.
  CKvCsRec(const CKvCsRec& other) = default;
  // Takes the five values; the record keeps its own connection.
  CKvCsRec& operator=(const CKvCsRec& other);

  void Set(int cs, int csn, const QString& na, const QString& val, const QString& lpo = QString());
  // Cs and CsN 0, the texts empty.
  void Reset();

  CKvDb* GetDb() const { return m_pDb; }
  void SetDb(CKvDb* pDb) { m_pDb = pDb; }

  // Creates SysCsTab when missing (with its index on CS), or gives an older
  // table without LPO that column, empty in every row. Returns 2 when the
  // table was created, 1 when it was there already, 0 when a statement
  // failed (or there is no connection). The steps of either change happen
  // together or not at all.
  int CreateTable(CKvDb* pDb = nullptr);

  // Runs a statement with the error report on; the server text, when empty,
  // is the Jet text. nOptions is passed on to CKvDb::Execute.
  bool Execute(const QString& sqlJet, const QString& sqlServer = QString(), CKvDb* pDb = nullptr,
               int nOptions = 128);

  // Inserts this record's five values.
  bool Insert(CKvDb* pDb = nullptr, int nOptions = 128);

  // Deletes the rows of (cs, csn), or of the whole category; an empty lpo
  // deletes the rows of every printer profile, a profile name only its own.
  bool Delete(int cs, int csn, const QString& lpo = QString(), CKvDb* pDb = nullptr);
  bool Delete(int cs, const QString& lpo = QString(), CKvDb* pDb = nullptr);
  // "Delete From SysCsTab <where>" with the clause of the connection's
  // dialect (an empty server clause takes the Jet one); an empty clause
  // empties the table. The caller quotes the values in the clauses.
  bool DeleteWhere(const QString& whereJet, const QString& whereServer = QString(),
                   CKvDb* pDb = nullptr);
  // Deletes the rows of (cs, csn) whose CsNa is `number` as decimal text.
  bool DeleteByName(int cs, int csn, int number, CKvDb* pDb = nullptr);

  // Selects rows into *pRecs (emptied first) and returns their number, -1
  // when they cannot be read (reported). The
  // clauses are whole ("Where ...", "Order By ..."); the server ones, when
  // empty, take the Jet ones. The caller quotes the values in the clauses.
  int Select(const QString& whereJet, const QString& whereServer, const QString& orderJet,
             const QString& orderServer, QList<CKvCsRec>* pRecs, CKvDb* pDb = nullptr);
  // The rows of a category, ordered by CsN, CsNa, CsVal; a non-empty lpo
  // keeps that profile's rows only.
  int SelectByCs(int cs, const QString& lpo, QList<CKvCsRec>* pRecs, CKvDb* pDb = nullptr);
  int SelectByCs(int cs, QList<CKvCsRec>* pRecs, CKvDb* pDb = nullptr);
  // The rows of (cs, csn), ordered by CsNa, CsVal; a non-empty lpo keeps
  // that profile's rows only.
  int SelectByCsN(int cs, int csn, const QString& lpo, QList<CKvCsRec>* pRecs,
                  CKvDb* pDb = nullptr);
  int SelectByCsN(int cs, int csn, QList<CKvCsRec>* pRecs, CKvDb* pDb = nullptr);

  // Takes the values of the first row of (cs, csn) (of that profile when
  // lpo is not empty); returns the number of rows. With none the record is
  // unchanged.
  int Load(int cs, int csn, CKvDb* pDb = nullptr);
  int Load(int cs, int csn, const QString& lpo, CKvDb* pDb = nullptr);

  // Stores a list under (cs, csn) and the number: one row per entry, CsNa
  // the number, CsVal the entry's position right-aligned in six characters
  // followed by the entry. False at the first insert that fails.
  bool InsertList(int cs, int csn, int number, const QStringList& entries, CKvDb* pDb = nullptr);
  // Reads back such a list in its stored order; returns its size (-1
  // unreadable).
  int ReadList(int cs, int csn, int number, QStringList* pEntries, CKvDb* pDb = nullptr);

  int Cs = 0;
  int CsN = 0;
  QString CsNa;
  QString CsVal;
  QString LPO;

 private:
  // The given connection, else the record's own (may be null).
  CKvDb* Connection(CKvDb* pDb) const { return pDb ? pDb : m_pDb; }
  // The loader behind every select; with bLpo false LPO is read as empty.
  int LoadRows(const QString& whereJet, const QString& whereServer, const QString& orderJet,
               const QString& orderServer, QList<CKvCsRec>* pRecs, CKvDb* pDb, bool bLpo);
  // "Where Cs=%d[ And CsN=%d][ And LPO='%s']" quoted for the connection.
  QString KeyWhere(CKvDb* pDb, int cs, const int* csn, const QString& lpo) const;

  CKvDb* m_pDb = nullptr;
};
