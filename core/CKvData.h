#pragma once
// CKvData: the base of a record that knows its own table. It holds one row's
// values in three typed arrays (integers, floating-point values, texts: the
// column order of CKvQuery) and learns its table and field names from a
// derived class. From the names it builds its own Where and Order By
// clauses, selects its rows, checks whether other tables still refer to it
// and decides whether it may be deleted.
//
// Field-name marks (blanks around a name are trimmed first):
//   "#name"       a key field: it takes part in the Where clause;
//   "#sep#name"   a key field and, for a text field, the code field of a code
//                 tree whose levels are joined by `sep` (the first such mark
//                 only);
//   "?name"       the display name (first text field so marked);
//   "|name"       the level of a code-tree row (first integer field so
//                 marked).
//
// Modes of the Where and Order By clauses: 0 the keys as they are; 1 the
// code and every code below it, in code order; 2 the direct children of the
// code (the top level for an empty code), in the numeric order of their last
// code segment.
//
// A derived class overrides GetFieldNames, optionally the other hooks, and
// Clone, so that a new record of its own class can be made from a CKvData
// reference.

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <type_traits>

class CKvDb;
class CKvQuery;

// What GetFieldNames is asked for.
enum : int {
  KV_DATA_LONG_NAMES = 0,
  KV_DATA_DOUBLE_NAMES = 1,
  KV_DATA_TEXT_NAMES = 2,
  KV_DATA_TABLE_NAME = 3,  // one entry: the record's table
};

// The field description of a record, built from its field names.
struct KvDataFields {
  QString strTable;
  QStringList names;  // integers, then doubles, then texts; marks removed
  QList<int> keys;    // 1 for a key field, in the same order
  int nLong = 0;
  int nDouble = 0;
  int nText = 0;
  int nCodeField = -1;   // index among the texts, -1 when none
  int nNameField = -1;   // index among the texts, -1 when none
  int nLevelField = -1;  // index among the integers, -1 when none
  QString strSeparator;  // the code separator

  QStringList TextNames() const { return names.mid(nLong + nDouble, nText); }
};

class CKvData {
 public:
  CKvData();
  CKvData(const CKvData&);
  CKvData& operator=(const CKvData&);
  virtual ~CKvData();

  // A new record of this record's own class holding a copy of it; the
  // caller owns it. Every derived class overrides it.
  virtual CKvData* Clone() const;

  // Every integer and double to 0, every text to empty.
  virtual void Clear();
  // The field names of one kind (KV_DATA_*_NAMES) with their marks, or the
  // table name (KV_DATA_TABLE_NAME). None by default.
  virtual void GetFieldNames(int nWhat, QStringList* pNames) {
    (void)nWhat;
    (void)pNames;
  }
  // Called each time before the field description is built.
  virtual void PrepareFields() {}
  // The tables that may refer to this record: per entry a table name
  // followed by a Where clause ("STD Where CLS='...'"), one list for the Jet
  // dialect and one for the server (an empty server entry takes the Jet
  // one). Values in the clauses must be quoted with CKvDb::QuoteText. None
  // by default.
  virtual void GetReferences(QStringList* pJetTails, QStringList* pServerTails) {
    (void)pJetTails;
    (void)pServerTails;
  }
  // 1: the record may be deleted (nothing refers to it). Otherwise *pReason
  // says why not ("“%s”已被引用，不能删除！" or "“%s”已不存在！") and the
  // result is 0 or, for a code-tree record that is its parent's only child,
  // 2. Shows nothing itself.
  virtual int CanDelete(QString* pReason);
  // True when every key field equals the other record's (doubles within
  // 1e-7, texts exactly); other fields are not compared.
  virtual bool CompareKeys(const CKvData& other);
  // The Where clause of the mode for this record's values, in the dialect
  // of its connection; empty when there is no condition.
  virtual QString BuildWhere(const KvDataFields& fields, int nMode) const;
  // The Order By clause of the mode over the text field nTextField (index
  // into textNames), whose codes are joined by `separator`.
  virtual void BuildOrderBy(QString* pOrderBy, int nTextField, const QString& separator,
                            const QStringList& textNames, int nMode) const;
  // True when a table of GetReferences still holds a row that refers to
  // this record; the tables in skipTables (ASCII case ignored) are not
  // asked. A count that fails on an existing table counts as a reference,
  // so a broken check never lets a delete through.
  virtual bool IsReferenced();
  virtual bool IsReferenced(const QStringList& skipTables);

  // Runs the preparation hook and builds the field description.
  KvDataFields BuildFields();

  // Selects the rows of the record's table: "Select <fields> From <table>"
  // with the Where and Order By texts of the connection's dialect (an empty
  // server text takes the Jet one); an empty Where or Order By text is
  // replaced by the record's own for the mode. Each row's values are copied
  // into this record and a copy of it is appended to *pRecords (emptied
  // first); returns the number of rows. Call it on a record of class T.
  template <class T>
  int Select(QList<T>* pRecords, int nMode, const QString& whereJet = QString(),
             const QString& orderJet = QString(), const QString& whereServer = QString(),
             const QString& orderServer = QString()) {
    static_assert(std::is_base_of_v<CKvData, T>, "records of the table are CKvData");
    if (pRecords)
      pRecords->clear();
    T* self = dynamic_cast<T*>(this);
    if (!self)
      return 0;
    return SelectRows(nMode, whereJet, orderJet, whereServer, orderServer, [pRecords, self] {
      if (pRecords)
        pRecords->append(*self);
    });
  }
  // Selects with the record's own clauses of the mode; when there is a row
  // this record takes the first row's values. Returns the number of rows.
  int LoadFirst(int nMode);

  // The names joined with ",".
  static QString JoinNames(const QStringList& names);
  // Names the query's columns after the fields (integers, doubles, texts).
  static void SetQueryFieldNames(CKvQuery* pQuery, const KvDataFields& fields);

  QList<int> m_lValues;
  QList<double> m_dValues;
  QStringList m_sValues;
  // The connection the record works on (not owned); its kind chooses the
  // dialect.
  CKvDb* m_pDb = nullptr;
  // Per-field flags a derived class keeps with the record.
  QList<int> m_nFlags;

 protected:
  // The value of a field; 0, 0.0 or empty past the end of its array.
  int LongValue(int i) const;
  double DoubleValue(int i) const;
  QString TextValue(int i) const;

  // The walk behind Select: copies each row into this record and calls
  // onRow; returns the number of rows.
  int SelectRows(int nMode, const QString& whereJet, const QString& orderJet,
                 const QString& whereServer, const QString& orderServer,
                 const std::function<void()>& onRow);

 private:
  // Clone, refused (null) when the class did not override it: a cut-down
  // copy would select and check through the base's hooks.
  std::unique_ptr<CKvData> NewOfSameClass() const;
};
