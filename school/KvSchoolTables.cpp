#include "school/KvSchoolTables.h"

#include "core/CKvDb.h"
#include "core/KvText.h"

namespace {
// The server text of a Jet CREATE statement: "Long" becomes "INT".
QString serverInts(const QString& jet) { return KvReplace(jet, QStringLiteral("Long"), QStringLiteral("INT")); }
}  // namespace

bool KvCreateMissingTable(CKvDb* pDb, const QString& table, const QString& createJet,
                          const QString& createServer, const QStringList& indexes) {
  if (!pDb || pDb->TableExists(table))
    return pDb != nullptr;
  bool ok = pDb->Execute(createJet, createServer, 128, true);
  for (const QString& index : indexes)
    ok &= pDb->Execute(index, QString(), 128, true);
  return ok;
}

bool KvCreateSchoolTables(CKvDb* pDb) {
  const QString std = QStringLiteral(
      "Create Table STD(KNO Char(15),NA Char(40),MRG Char(20),TEL Char(25),"
      "XQN Long,XQL Char(1),XQT0 Char(8),XQT1 Char(8),"
      "SEX Char(1),HM Char(20),BT Char(8),PID Char(18),NTN Char(12),"
      "FGF Char(20),FCH Char(30),ADR Char(50),"
      "LB0 Char(1),QC0 Long,DM0 Char(15),LB1 Char(1),QC1 Long,DM1 Char(15),"
      "NT Char(60))");
  bool ok = KvCreateMissingTable(pDb, QStringLiteral("STD"), std, serverInts(std),
                                 {QStringLiteral("Create Index STD ON STD(KNO)")});
  ok &= KvCreateMissingTable(pDb, QStringLiteral("COST"),
                             QStringLiteral("Create Table COST(KNO Char(2),NA Char(20),NT Char(60))"),
                             QString(), {});
  const QString pc = QStringLiteral(
      "Create Table PC(T Char(8),DH Char(5),Mry Char(60),COST Char(2),"
      "STD Char(15),QC Long,F Long,My Double,Opr0 Char(3),Opr1 Char(3),"
      "LPR Long,FS Char(1))");
  const QString pcServer =
      KvReplace(serverInts(pc), QStringLiteral("Double"), QStringLiteral("Numeric(10,2)"));
  // PC1 finds a voucher by its kind and number: numbering and the check of
  // a stored voucher's lines need it, or they read the whole year.
  ok &= KvCreateMissingTable(pDb, QStringLiteral("PC"), pc, pcServer,
                             {QStringLiteral("Create Index PC ON PC(STD,T)"),
                              QStringLiteral("Create Index PC0 ON PC(T,F)"),
                              QStringLiteral("Create Index PC1 ON PC(F,DH)")});
  return ok;
}

bool KvCreateTimetablePlanTables(CKvDb* pDb) {
  const QString wkjh = QStringLiteral(
      "Create Table WKJH(Y Char(4),QC Char(1),T Char(8),STD Char(15),"
      "SBT Char(4),NU Long,"
      "CN Long,CL Char(1),WTN0 Char(30),WTN1 Char(30),NT Char(60))");
  bool ok = KvCreateMissingTable(pDb, QStringLiteral("WKJH"), wkjh, serverInts(wkjh),
                                 {QStringLiteral("Create Index WKJH ON WKJH(Y,QC,T,STD)")});
  ok &= KvCreateMissingTable(
      pDb, QStringLiteral("SBTTCHR"),
      QStringLiteral("Create Table SBTTCHR(Y Char(4),QC Char(1),T Char(8),STD Char(15),"
                     "SBT Char(4),TCHR Char(4),PUBRM Char(3),DS Char(1))"),
      QString(), {QStringLiteral("Create Index SBTTCHR ON SBTTCHR(Y,QC,T,STD)")});
  const QString pk = QStringLiteral(
      "Create Table PK(Y Char(4),QC Char(1),T Char(8),STD Char(15),"
      "WK Char(1),DT Char(1),DN Char(1),DS Char(1),"
      "SBT Char(4),TCHR Char(4),PUBRM Char(3))");
  ok &= KvCreateMissingTable(pDb, QStringLiteral("PK"), pk, serverInts(pk),
                             {QStringLiteral("Create Index PK ON PK(Y,QC,T,STD)")});
  return ok;
}
