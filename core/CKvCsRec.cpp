#include "core/CKvCsRec.h"

#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvSqlTranslator.h"

namespace {
const QString kTable = QStringLiteral("SYSCSTAB");

void reportNoConnection(const QString& sql) {
  KvMessageBox(KvFormat(QStringLiteral("数据库对象为空，无法执行：\n%s"), sql));
}

// Quoted for the connection; without one (the statement is only shown) as
// for a data file.
QString quote(const CKvDb* db, const QString& text) {
  return db ? db->QuoteText(text) : KvQuoteSqlText(text, 0);
}
}  // namespace

CKvCsRec& CKvCsRec::operator=(const CKvCsRec& other) {
  Cs = other.Cs;
  CsN = other.CsN;
  CsNa = other.CsNa;
  CsVal = other.CsVal;
  LPO = other.LPO;
  return *this;
}

void CKvCsRec::Set(int cs, int csn, const QString& na, const QString& val, const QString& lpo) {
  Cs = cs;
  CsN = csn;
  CsNa = na;
  CsVal = val;
  LPO = lpo;
}

void CKvCsRec::Reset() { Set(0, 0, QString(), QString(), QString()); }

int CKvCsRec::CreateTable(CKvDb* pDb) {
  CKvDb* db = Connection(pDb);
  if (!db) {
    reportNoConnection(QStringLiteral("CREATE TABLE ") + kTable);
    return 0;
  }
  if (db->TableExists(kTable)) {
    int width = 0;
    db->GetColumnWidth(kTable, QStringLiteral("LPO"), &width);
    if (width == 0) {
      // A data file from before printer profiles.
      KvDbTransaction transaction(*db);
      if (!db->Execute(QStringLiteral("Alter Table SYSCSTAB Add LPO char(30)")) ||
          !db->Execute(QStringLiteral("Update SYSCSTAB Set LPO=''")) || !transaction.Commit())
        return 0;
    }
    return 1;
  }
  const QString create = QStringLiteral(
      "CREATE TABLE SYSCSTAB(CS LONG,CSN LONG,CSNA CHAR(255),CSVAL CHAR(255),LPO char(30))");
  QString createServer = create;
  createServer.replace(QStringLiteral("LONG"), QStringLiteral("INT"));
  KvDbTransaction transaction(*db);
  if (!db->Execute(create, createServer) ||
      !db->Execute(QStringLiteral("CREATE Index SYSCSTAB On SysCsTab(CS)")) || !transaction.Commit())
    return 0;
  return 2;
}

bool CKvCsRec::Execute(const QString& sqlJet, const QString& sqlServer, CKvDb* pDb, int nOptions) {
  CKvDb* db = Connection(pDb);
  if (!db) {
    reportNoConnection(sqlJet);
    return false;
  }
  return db->Execute(sqlJet, sqlServer, nOptions, true);
}

bool CKvCsRec::Insert(CKvDb* pDb, int nOptions) {
  const CKvDb* db = Connection(pDb);
  const QString sql = QStringLiteral("Insert Into SysCsTab(Cs,CsN,CsNa,CsVal,LPO) Values(") +
                      QString::number(Cs) + u',' + QString::number(CsN) + QStringLiteral(",'") +
                      quote(db, CsNa) + QStringLiteral("','") + quote(db, CsVal) +
                      QStringLiteral("','") + quote(db, LPO) + QStringLiteral("')");
  return Execute(sql, QString(), pDb, nOptions);
}

QString CKvCsRec::KeyWhere(CKvDb* pDb, int cs, const int* csn, const QString& lpo) const {
  QString where = QStringLiteral("Where Cs=") + QString::number(cs);
  if (csn)
    where += QStringLiteral(" And CsN=") + QString::number(*csn);
  if (!lpo.isEmpty())
    where += QStringLiteral(" And LPO='") + quote(Connection(pDb), lpo) + u'\'';
  return where;
}

bool CKvCsRec::Delete(int cs, int csn, const QString& lpo, CKvDb* pDb) {
  return Execute(QStringLiteral("Delete From SysCsTab ") + KeyWhere(pDb, cs, &csn, lpo), QString(),
                 pDb);
}

bool CKvCsRec::Delete(int cs, const QString& lpo, CKvDb* pDb) {
  return Execute(QStringLiteral("Delete From SysCsTab ") + KeyWhere(pDb, cs, nullptr, lpo),
                 QString(), pDb);
}

bool CKvCsRec::DeleteWhere(const QString& whereJet, const QString& whereServer, CKvDb* pDb) {
  const QString head = QStringLiteral("Delete From SysCsTab ");
  return Execute(head + whereJet, head + (whereServer.isEmpty() ? whereJet : whereServer), pDb);
}

bool CKvCsRec::DeleteByName(int cs, int csn, int number, CKvDb* pDb) {
  return DeleteWhere(KeyWhere(pDb, cs, &csn, QString()) + QStringLiteral(" And CsNa='") +
                         QString::number(number) + u'\'',
                     QString(), pDb);
}

int CKvCsRec::LoadRows(const QString& whereJet, const QString& whereServer,
                       const QString& orderJet, const QString& orderServer,
                       QList<CKvCsRec>* pRecs, CKvDb* pDb, bool bLpo) {
  if (pRecs)
    pRecs->clear();
  const QString select = QStringLiteral("Select Cs,CsN,Rtrim(CsNa),Rtrim(CsVal),") +
                         (bLpo ? QStringLiteral("Rtrim(LPO)") : QStringLiteral("''")) +
                         QStringLiteral(" From SysCsTab");
  const QString sqlJet = select + u' ' + whereJet + u' ' + orderJet;
  const QString sqlServer = select + u' ' + (whereServer.isEmpty() ? whereJet : whereServer) + u' ' +
                            (orderServer.isEmpty() ? orderJet : orderServer);
  CKvDb* db = Connection(pDb);
  if (!db) {
    reportNoConnection(sqlJet);
    return -1;
  }
  CKvQuery query(2, 0, 3, db);
  query.SetFieldName(0, 0, QStringLiteral("Cs"));
  query.SetFieldName(0, 1, QStringLiteral("CsN"));
  if (!query.Open(sqlJet, sqlServer))
    return -1;
  // Rows are read into a copy: the record itself keeps its values.
  CKvCsRec row(*this);
  int count = 0;
  for (; !query.IsEOF(); query.MoveNext()) {
    row.Set(query.GetLong(0), query.GetLong(1), query.GetText(0), query.GetText(1),
            query.GetText(2));
    if (pRecs)
      pRecs->append(row);
    ++count;
  }
  return count;
}

int CKvCsRec::Select(const QString& whereJet, const QString& whereServer, const QString& orderJet,
                     const QString& orderServer, QList<CKvCsRec>* pRecs, CKvDb* pDb) {
  return LoadRows(whereJet, whereServer, orderJet, orderServer, pRecs, pDb, true);
}

int CKvCsRec::SelectByCs(int cs, const QString& lpo, QList<CKvCsRec>* pRecs, CKvDb* pDb) {
  return Select(KeyWhere(pDb, cs, nullptr, lpo), QString(),
                QStringLiteral("Order By CsN,CsNa,CsVal"), QString(), pRecs, pDb);
}

int CKvCsRec::SelectByCs(int cs, QList<CKvCsRec>* pRecs, CKvDb* pDb) {
  return SelectByCs(cs, QString(), pRecs, pDb);
}

int CKvCsRec::SelectByCsN(int cs, int csn, const QString& lpo, QList<CKvCsRec>* pRecs,
                          CKvDb* pDb) {
  return Select(KeyWhere(pDb, cs, &csn, lpo), QString(), QStringLiteral("Order By CsNa,CsVal"),
                QString(), pRecs, pDb);
}

int CKvCsRec::SelectByCsN(int cs, int csn, QList<CKvCsRec>* pRecs, CKvDb* pDb) {
  return SelectByCsN(cs, csn, QString(), pRecs, pDb);
}

int CKvCsRec::Load(int cs, int csn, CKvDb* pDb) { return Load(cs, csn, QString(), pDb); }

int CKvCsRec::Load(int cs, int csn, const QString& lpo, CKvDb* pDb) {
  QList<CKvCsRec> rows;
  const int count =
      Select(KeyWhere(pDb, cs, &csn, lpo), QString(), QString(), QString(), &rows, pDb);
  if (count > 0)
    *this = rows.first();
  return count;
}

bool CKvCsRec::InsertList(int cs, int csn, int number, const QStringList& entries, CKvDb* pDb) {
  CKvCsRec row(Connection(pDb));
  for (int i = 0; i < entries.size(); ++i) {
    row.Set(cs, csn, QString::number(number), KvFormat(QStringLiteral("%6d%s"), i, entries[i]));
    if (!row.Insert(nullptr, 128))
      return false;
  }
  return true;
}

int CKvCsRec::ReadList(int cs, int csn, int number, QStringList* pEntries, CKvDb* pDb) {
  if (pEntries)
    pEntries->clear();
  QList<CKvCsRec> rows;
  // The positions are padded with blanks: only a bytewise order keeps 10
  // after 9, so the server is told so whatever the database's collation.
  const int count = LoadRows(
      KeyWhere(pDb, cs, &csn, QString()) + QStringLiteral(" And CsNa='") + QString::number(number) +
          u'\'',
      QString(), QStringLiteral("Order By CsVal"), QStringLiteral("Order By CsVal COLLATE \"C\""),
      &rows, pDb, false);
  if (pEntries) {
    for (const CKvCsRec& row : rows)
      pEntries->append(row.CsVal.mid(6));
  }
  return count;
}
