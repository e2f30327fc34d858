// The application's hooks on the tables of a data file: creating the system
// tables, the default rows of a new file, the catalogues that combine the
// application's entries with the modules' (rights, operation names, code
// references, carry-forward items) and rewriting a code wherever it is kept.

#include "app/CKvApp.h"
#include "app/CKvDataType.h"
#include "app/CKvDwRec.h"
#include "app/CKvTaskLog.h"
#include "app/KvAppQuery.h"
#include "app/KvMonthTableHooks.h"
#include "core/CKvCsTab.h"
#include "core/CKvDb.h"
#include "core/KvCopyTable.h"
#include "core/KvDbTransaction.h"
#include "core/KvText.h"
#include "print/KvPrintTables.h"
#include "ui/CKvWaitWnd.h"

#include <QWidget>

namespace {

// Width of OPR.PSD: the text of a salted password hash.
constexpr int kPasswordWidth = 128;

// Runs a CREATE of a table that is missing; true when the table exists
// afterwards without a failed statement.
bool createTable(CKvDb* pDb, const QString& table, const QString& sqlJet,
                 const QString& sqlServer = QString(), const QString& indexSql = QString()) {
  if (pDb->TableExists(table))
    return true;
  bool ok = pDb->Execute(sqlJet, sqlServer);
  if (ok && !indexSql.isEmpty())
    ok = pDb->Execute(indexSql);
  return ok;
}

// The server text of a CREATE: the type word replaced (case-sensitive).
QString serverText(const QString& sqlJet, const QString& longWord) {
  return KvReplace(sqlJet, longWord, QStringLiteral("INT"));
}

// Drops entries whose key occurred before; the first occurrence wins.
template <typename Key>
void removeLaterDuplicates(QList<Key>& keys, QStringList& names) {
  for (qsizetype i = 0; i < keys.size(); ++i)
    for (qsizetype j = keys.size() - 1; j > i; --j)
      if (keys.at(j) == keys.at(i)) {
        keys.removeAt(j);
        names.removeAt(j);
      }
}

// The statement of one code place with its condition: the Jet text and the
// server text (the Jet condition where the place has no server one).
void appendCondition(const KvCodeRefs& refs, qsizetype i, QString* sqlJet, QString* sqlServer) {
  *sqlServer = *sqlJet;
  const QString& jetCondition = refs.JetConditions.at(i);
  const QString& serverCondition =
      refs.ServerConditions.at(i).isEmpty() ? jetCondition : refs.ServerConditions.at(i);
  if (!jetCondition.isEmpty())
    *sqlJet += QStringLiteral(" And ") + jetCondition;
  if (!serverCondition.isEmpty())
    *sqlServer += QStringLiteral(" And ") + serverCondition;
}

}  // namespace

bool CKvApp::CreateSystemTables(CKvDb* pDb) {
  if (!pDb)
    return false;
  bool ok = true;

  const QString sysTab = QStringLiteral(
      "CREATE TABLE SYSTAB(NA CHAR(40),KJ CHAR(8),"
      "AN CHAR(10),PY LONG,MM LONG,JT CHAR(3),T1 CHAR(8),T13 CHAR(8))");
  ok &= createTable(pDb, QStringLiteral("SYSTAB"), sysTab, serverText(sysTab, QStringLiteral("LONG")));

  // The version stamp goes only into a parameter table made just now.
  CKvCsTab csTab(pDb);
  const int created = csTab.CreateTable(pDb);
  if (created == 0) {
    ok = false;
  } else if (created == 2) {
    csTab.Set(9133, 1, QString::number(m_nEditionCode * 10 + pDb->GetKind()),
              QStringLiteral("%1%2").arg(GetFormatVersion(), -4).arg(GetRevision()));
    ok &= csTab.Insert(pDb);
  }

  const QString opr = QStringLiteral("OPR");
  if (pDb->TableExists(opr)) {
    // An older file keeps a short password column: widen it for the hash.
    int width = 0;
    if (pDb->GetColumnWidth(opr, QStringLiteral("PSD"), &width) && width < kPasswordWidth) {
      pDb->ResizeCharColumn(opr, QStringLiteral("PSD"), kPasswordWidth);
      ok &= pDb->GetColumnWidth(opr, QStringLiteral("PSD"), &width) && width >= kPasswordWidth;
    }
  } else {
    ok &= pDb->Execute(QStringLiteral("CREATE TABLE OPR(OPNO CHAR(3),NA CHAR(8),PSD CHAR(%1))")
                           .arg(kPasswordWidth));
  }
  ok &= createTable(pDb, QStringLiteral("PWR"), QStringLiteral("CREATE TABLE PWR(OPNO CHAR(3),PWR CHAR(4))"),
                    QString(), QStringLiteral("CREATE INDEX PWR ON PWR(OPNO)"));

  const QString formList =
      QStringLiteral("CREATE TABLE KvFormList(nFlag Long,nForm Long,sFna Char(200),nOpen Long,nTopNum Long)");
  const QString formFormula = QStringLiteral(
      "CREATE TABLE KvFormFormula(nFlag Long,nForm Long,nCol Long,"
      "nType Long,nFact Long,nLess Long,nMore Long,sFormula Char(200))");
  const QString formTopWord = QStringLiteral(
      "CREATE TABLE KvFormTopWord(nFlag Long,nForm Long,"
      "nCol1 Long,nRow1 Long,nCol2 Long,nRow2 Long,sWords Char(100))");
  const QString formHeadNote = QStringLiteral(
      "CREATE TABLE KvFormHeadNote(nFlag Long,nForm Long,bIsTail Long,nRow Long,"
      "nColPecent Long,bIsUse Long,bIsSystem Long,sNote Char(20),sWords Char(200))");
  const QString kvVar = QStringLiteral(
      "CREATE TABLE KVVAR(nSoft Long,nNo Long,SVAR CHAR(10),SEXP CHAR(200),SNOTE CHAR(60),NTYPE Long)");
  const QString longWord = QStringLiteral("Long");
  ok &= createTable(pDb, QStringLiteral("KvFormList"), formList, serverText(formList, longWord));
  ok &= createTable(pDb, QStringLiteral("KvFormFormula"), formFormula, serverText(formFormula, longWord));
  ok &= createTable(pDb, QStringLiteral("KvFormTopWord"), formTopWord, serverText(formTopWord, longWord));
  ok &= createTable(pDb, QStringLiteral("KvFormHeadNote"), formHeadNote,
                    serverText(formHeadNote, longWord));
  ok &= createTable(pDb, QStringLiteral("KVVAR"), kvVar, serverText(kvVar, longWord),
                    QStringLiteral("Create Index KVVAR On KVVAR(nSoft,nNo)"));

  if (const auto& create = KvGetMonthTableHooks().create)
    ok &= create(pDb);

  ok &= KvCreateDwTable(pDb, QStringLiteral("KVDW"));
  // The unit array belongs to the application's data file: another file's
  // tables (a new year's file being made) leave it alone.
  if (pDb == GetDb())
    CKvDwRec().KvSelectDw(QString(), QStringLiteral("Order By KNO"), &KvGetDwArray(), pDb);
  return ok;
}

void CKvApp::UpgradeSystemTables(CKvDb* pDb) {
  if (const auto& upgrade = KvGetMonthTableHooks().upgrade)
    upgrade(pDb);
}

bool CKvApp::CreateAllTables(CKvDb* pDb) {
  if (!pDb)
    return false;
  UpgradeSystemTables(pDb);
  bool ok = CreateSystemTables(pDb);
  ok &= CreateCommonTables(pDb);
  for (CKvDataType* pType : m_dataTypes)
    ok &= pType->CreateTables(pDb);
  return ok;
}

bool CKvApp::CreateCommonTables(CKvDb* pDb) {
  if (!pDb)
    return false;
  bool ok = KvCreatePageSetTable(pDb);
  ok &= KvCreateFontTable(pDb);
  ok &= CKvTaskLog::CreateTables(pDb);
  return ok;
}

void CKvApp::OpenModuleData(CKvDb*) {
  for (CKvDataType* pType : m_dataTypes)
    if (pType->m_bHasTab)
      pType->OpenData(GetDb());
}

bool CKvApp::InsertDefaultRows(CKvDb* pDb, int nYear) {
  if (!pDb)
    return false;
  QStringList codes;
  QStringList names;
  GetRightCatalogue(codes, names);

  KvDbTransaction transaction(*pDb);
  if (!transaction.IsActive())
    return false;
  QStringList statements = {
      QStringLiteral("INSERT INTO SYSTAB(NA,KJ,PY,MM,AN,JT,T1,T13) \t\t"
                     "VALUES('××单位','×××',%1,0,'','031','×××','')")
          .arg(nYear),
      QStringLiteral("INSERT INTO OPR(OPNO,NA,PSD) VALUES('101','管理员','')"),
      QStringLiteral("INSERT INTO OPR(OPNO,NA,PSD) VALUES('102','×××','')"),
      QStringLiteral("INSERT INTO PWR(OPNO,PWR) VALUES('101','0001')"),
  };
  // Operator 102 holds every right but the administrator's own.
  for (qsizetype i = 1; i < codes.size(); ++i)
    statements.append(QStringLiteral("INSERT INTO PWR(OPNO,PWR) VALUES('102','%1')")
                          .arg(pDb->QuoteText(codes.at(i))));
  for (const QString& sql : statements)
    if (!pDb->Execute(sql))
      return false;
  for (CKvDataType* pType : m_dataTypes)
    if (!pType->InsertDefaultRows(pDb, nYear))
      return false;
  return transaction.Commit();
}

bool CKvApp::CarrySystemTables(CKvDb* pOldDb, CKvDb* pNewDb, QString* error) {
  const QStringList tables = {
      QStringLiteral("OPR"),        QStringLiteral("PWR"),          QStringLiteral("KVFONT"),
      QStringLiteral("KVPAGESET"),  QStringLiteral("FIELDWIDTH"),   QStringLiteral("KvFormList"),
      QStringLiteral("KvFormFormula"), QStringLiteral("KvFormTopWord"),
      QStringLiteral("KvFormHeadNote"), QStringLiteral("SysCsTab"), QStringLiteral("KVVAR"),
      QStringLiteral("KVDW"),       QStringLiteral("ZRVMONTH"),
  };
  const auto fail = [&](const QString& text) {
    if (error)
      *error = text;
    return false;
  };
  for (const QString& table : tables) {
    // A previous year's file made before the month table has no months.
    if (table == QStringLiteral("ZRVMONTH") && !pOldDb->TableExists(table))
      continue;
    const QString where = table == QStringLiteral("SysCsTab")
                              ? QStringLiteral("Where Cs Not In (9133,9000,6)")
                              : QString();
    if (!KvCopyTableStrict(pOldDb, pNewDb, table, error, where))
      return false;
  }
  if (const auto& carry = KvGetMonthTableHooks().carryToNewYear)
    if (!carry(pNewDb))
      return fail(QStringLiteral("业务月结转失败！"));
  for (CKvDataType* pType : m_dataTypes)
    if (!pType->CarryData(pOldDb, pNewDb))
      return fail(QStringLiteral("“%1”结转失败！").arg(pType->m_strCaption));
  return true;
}

QString CKvApp::GetClearedTables() {
  QString tables = QStringLiteral("ZRVMONTH KvTask KvLog KvLogOp");
  for (CKvDataType* pType : m_dataTypes) {
    const QString own = pType->GetClearedTables();
    if (!own.isEmpty())
      tables += u' ' + own;
  }
  return tables;
}

void CKvApp::GetRightCatalogue(QStringList& codes, QStringList& names) {
  codes.clear();
  names.clear();
  auto add = [&](const char* code, const QString& name) {
    codes.append(QString::fromLatin1(code));
    names.append(name);
  };
  add("0001", QStringLiteral("系统管理"));
  add("0006", QStringLiteral("数据备份"));
  add("0005", QStringLiteral("自定位打印设置"));
  add("0007", QStringLiteral("SQL语言数据维护"));
  QString unitCaption;
  if (HasUnitFeature(&unitCaption)) {
    add("0009", unitCaption);
    add("0010", QStringLiteral("子单位数据操作"));
  }
  add("0011", QStringLiteral("打印机管理"));
  add("0012", QStringLiteral("导出文档"));

  for (CKvDataType* pType : m_dataTypes)
    pType->GetSharedRights(codes, names);
  removeLaterDuplicates(codes, names);

  for (CKvDataType* pType : m_dataTypes) {
    QStringList items;
    QStringList itemNames;
    pType->GetModuleRights(items, itemNames);
    for (qsizetype i = 0; i < items.size(); ++i) {
      codes.append(KvModuleRightCode(pType->GetModule(), items.at(i)));
      names.append(itemNames.value(i));
    }
  }
}

void CKvApp::GetOperationNames(QList<int>& numbers, QStringList& names) {
  static const struct {
    int number;
    const char* name;
  } application[] = {
      {0, "操作员注册"},   {1, "结束工作"},      {2, "年度文件信息"}, {3, "口令更改"},
      {5, "建新年度数据文件"}, {6, "年末转账"},  {7, "设置业务月"},   {10, "操作员管理"},
      {11, "操作日志清理"}, {12, "新建文档"},    {13, "打开文档"},     {14, "文档模板"},
      {15, "文档属性"},     {16, "文档页面设置"}, {17, "打印文档"},    {27, "保存成文本文档"},
      {22, "数据备份"},     {23, "数据恢复"},    {26, "SQL语言数据维护"}, {28, "打印机管理"},
      {29, "导出文档"},
  };
  for (const auto& entry : application) {
    numbers.append(entry.number);
    names.append(QString::fromUtf8(entry.name));
  }
  for (CKvDataType* pType : m_dataTypes)
    pType->GetSharedOperationNames(numbers, names);
  removeLaterDuplicates(numbers, names);
}

int CKvApp::GetCodeReferences(const QString& kind, KvCodeRefs& refs) {
  for (CKvDataType* pType : m_dataTypes)
    pType->GetCodeReferences(kind, refs);
  // Operator codes also stand as the owners of unit visibility rows.
  if (kind == u"OPR")
    refs.Add(QStringLiteral("SysCsTab"), QStringLiteral("CsVal"), QStringLiteral("核算单位表"),
             QStringLiteral("Cs=4000 And (CsN=1 Or CsN=2)"));
  return refs.Count();
}

void CKvApp::GetCarryCatalogue(QList<int>& numbers, QStringList& captions, QStringList& tables) {
  numbers.clear();
  captions.clear();
  tables.clear();
  for (CKvDataType* pType : m_dataTypes) {
    QList<int> itemNumbers;
    QStringList itemCaptions;
    QStringList itemTables;
    pType->GetCarryItems(itemNumbers, itemCaptions, itemTables);
    // A shared item (100 and more) is listed once per module, by its item
    // number.
    QString seen;
    for (qsizetype i = 0; i < itemNumbers.size(); ++i) {
      const int number = itemNumbers.at(i);
      const QString mark = QStringLiteral(" %1 ").arg(number % 100);
      if (number >= 100 && seen.contains(mark))
        continue;
      seen += mark;
      numbers.append(number + 1000 * pType->GetModule());
      captions.append(itemCaptions.value(i));
      tables.append(itemTables.value(i));
    }
  }
}

bool CKvApp::IsCodeUnused(CKvDb* pDb, const QString& kind, const QString& text,
                          const int* pnValue, QString* pMessage) {
  QString localMessage;
  QString& message = pMessage ? *pMessage : localMessage;
  message.clear();
  if (!pDb)
    return false;
  const QString value =
      pnValue ? QString::number(*pnValue) : u'\'' + pDb->QuoteText(text) + u'\'';
  KvCodeRefs refs;
  GetCodeReferences(kind, refs);
  for (qsizetype i = 0; i < refs.Count(); ++i) {
    QString sqlJet = QStringLiteral("SELECT COUNT(*) from %1 where %2=%3")
                         .arg(refs.Tables.at(i), refs.Columns.at(i), value);
    QString sqlServer;
    appendCondition(refs, i, &sqlJet, &sqlServer);
    // A place that cannot be counted may hold the code.
    int count = 0;
    if (!KvAppSelectInt(pDb, sqlJet, sqlServer, &count) || count > 0) {
      if (!message.isEmpty())
        message += u'\n';
      message += refs.Captions.at(i);
    }
  }
  return message.isEmpty();
}

bool CKvApp::ChangeCode(CKvDb* pDb, const QString& kind, const QString& oldText,
                        const QString& newText, const int* pnOld, const int* pnNew) {
  if (!pDb || (pnOld && !pnNew))
    return false;
  const QString oldValue =
      pnOld ? QString::number(*pnOld) : u'\'' + pDb->QuoteText(oldText) + u'\'';
  const QString newValue =
      pnOld ? QString::number(*pnNew) : u'\'' + pDb->QuoteText(newText) + u'\'';
  KvCodeRefs refs;
  GetCodeReferences(kind, refs);
  KvDbTransaction transaction(*pDb);
  if (!transaction.IsActive())
    return false;
  for (qsizetype i = 0; i < refs.Count(); ++i) {
    QString sqlJet = QStringLiteral("update %1 set %2=%3 where %2=%4")
                         .arg(refs.Tables.at(i), refs.Columns.at(i), newValue, oldValue);
    QString sqlServer;
    appendCondition(refs, i, &sqlJet, &sqlServer);
    if (!pDb->Execute(sqlJet, sqlServer))
      return false;
  }
  return transaction.Commit();
}

bool CKvApp::CheckModules(int nValue, const QString& text, QString& message,
                          const QString& modules) {
  CKvWaitWnd wait;
  wait.Show();
  message.clear();
  const QStringList listed = modules.split(u';');
  for (CKvDataType* pType : m_dataTypes) {
    if (!modules.isEmpty() && !listed.contains(QString::number(pType->GetModule())))
      continue;
    if (!pType->Check(nValue, text, message))
      return false;
  }
  return true;
}
