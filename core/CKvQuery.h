#pragma once
// The typed query: the one way the program reads rows. The caller declares
// how many integer, floating-point and text columns the select returns (in
// that order in its select list), opens it, walks the rows with IsEOF and
// MoveNext and reads the values by type and index within the type. It holds
// one typed recordset per back end and uses the one of the connection's kind.
//
//   CKvQuery q(1, 0, 1, pDb);
//   if (q.Open("Select KNO,NA From T"))
//     for (; !q.IsEOF(); q.MoveNext())
//       use(q.GetLong(0), q.GetText(0));

#include "core/CKvAdoSet.h"
#include "core/CKvDbRd.h"
#include "core/KV_Dbset.h"

#include <QString>
#include <QStringList>

class CKvDb;

class CKvQuery {
 public:
  // The kind is taken from the connection now; the connection must stay
  // open while the query is used.
  CKvQuery(int nLong, int nDouble, int nText, CKvDb* pDb);
  ~CKvQuery();
  CKvQuery(const CKvQuery&) = delete;
  CKvQuery& operator=(const CKvQuery&) = delete;

  // Column names for binding by name. Every back end here binds by
  // position, so a name is not needed; the calls are accepted and change
  // nothing.
  void SetFieldName(int nType, int i, const QString& name);
  void SetFieldNames(int nType, const QStringList& names);

  // Runs the select: sqlJet on kind 0, sqlServer (sqlJet when empty) on
  // kinds 1 and 2, each translated for its back end. A failure is shown to
  // the user (see KV_Dbset, CKvDbRd, CKvAdoSet) and gives false.
  bool Open(const QString& sqlJet, const QString& sqlServer = QString());
  // True when there is no current row (also before a successful Open).
  bool IsEOF() const;
  void MoveNext();

  // The i-th value of its type in the current row. An index beyond the
  // declared count shows "执行查询时，第%d个整数值超界！" (小数值, 字符值 for
  // the other types) under the stop icon and gives 0, 0.0 or an empty text.
  int GetLong(int i) const;
  double GetDouble(int i) const;
  const QString& GetText(int i) const;

  void Close();

 private:
  KV_Dbset m_dbset;
  CKvDbRd m_dbrd;
  CKvAdoSet m_adoset;
  int m_nKind;
  KvTypedSet* m_set;
};
