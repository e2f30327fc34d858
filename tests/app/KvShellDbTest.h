#pragma once
// A logged-in application on a fresh data file of each back-end kind: every
// table made, the default rows (operators 101 and 102) written, operator 101
// logged in, and a test module that lists one unit-bearing table, TDATA
// (KNO holds the unit code; flag "1"). Helpers add units and visibility
// rows and read columns back.

#include "KvShellTestApp.h"
#include "app/CKvDwRec.h"
#include "core/CKvCsRec.h"
#include "core/CKvDb.h"

#include <gtest/gtest.h>

// Module 30 of the shell tests that also keeps unit codes in TDATA.
class KvUnitTestModule : public KvShellTestModule {
 public:
  bool CreateTables(CKvDb* pDb) override {
    if (!KvShellTestModule::CreateTables(pDb))
      return false;
    if (pDb->TableExists(QStringLiteral("TDATA")))
      return true;
    return pDb->Execute(QStringLiteral("Create Table TDATA(KNO Char(14),V Long)"));
  }
  void GetCodeReferences(const QString& kind, KvCodeRefs& refs) override {
    KvShellTestModule::GetCodeReferences(kind, refs);
    if (kind == u"KVDW" && withUnitTable)
      refs.Add(QStringLiteral("TDATA"), QStringLiteral("KNO"), QStringLiteral("1测试数据表"));
  }
  bool withUnitTable = true;
};

class KvShellDbTest : public KvDbKindTest {
 protected:
  void SetUp() override {
    KvDbKindTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    m_app.createModules = [this](KvShellTestApp& a) {
      m_module = new KvUnitTestModule;
      a.AddDataType(m_module);
    };
    m_app.InitInstance();
    ASSERT_TRUE(m_app.OpenOn(testDb()));
    ASSERT_TRUE(m_app.CreateAllTables(appDb()));
    ASSERT_TRUE(m_app.InsertDefaultRows(appDb(), 2024));
    m_app.GetDataFile().SetYear(2024);
    ASSERT_TRUE(m_app.GetDataFile().ReadSysTab(nullptr, false));
  }
  void TearDown() override {
    KvGetDwArray().clear();
    KvGetCurrentDw().Clear();
    KvGetSavedDw().Clear();
    KvDbKindTest::TearDown();
  }

  CKvDb* appDb() { return m_app.GetDb(); }

  void addUnit(const QString& code, const QString& shortName = QString()) {
    ASSERT_TRUE(appDb()->Execute(QStringLiteral("Insert Into KVDW(KNO,NA,JA) Values('%1','%2','%3')")
                                     .arg(code, QStringLiteral("单位") + code, shortName)));
  }
  void addUnits(const QStringList& codes) {
    for (const QString& code : codes)
      addUnit(code);
    reloadUnits();
  }
  void addViewer(const QString& unit, const QString& opno) {
    CKvCsRec row(appDb());
    row.Set(4000, 1, unit, opno);
    ASSERT_TRUE(row.Insert());
  }
  void addOperator(const QString& code) {
    ASSERT_TRUE(appDb()->Execute(
        QStringLiteral("Insert Into OPR(OPNO,NA,PSD) Values('%1','操作%1','')").arg(code)));
  }
  void reloadUnits() { CKvDwRec().KvSelectDw(QString(), QString(), &KvGetDwArray(), appDb()); }
  QStringList column(const QString& sql) {
    QStringList values;
    appDb()->QueryTexts(sql, &values, 1);
    return values;
  }
  // "unit:operator" of every visibility row, in order.
  QStringList viewers() {
    QStringList cols[2];
    appDb()->QueryTexts(QStringLiteral("Select rtrim(CsNa),rtrim(CsVal) From SysCsTab "
                                       "Where Cs=4000 And CsN=1 Order By CsNa,CsVal"),
                        cols, 2);
    QStringList pairs;
    for (qsizetype i = 0; i < cols[0].size(); ++i)
      pairs.append(cols[0].at(i) + u':' + cols[1].at(i));
    return pairs;
  }
  void logIn(const QString& code) { m_app.GetDataFile().SetOperatorCode(code); }

  KvShellTestApp m_app;
  KvUnitTestModule* m_module = nullptr;
};

inline QStringList KvUnitCodes(const CKvDwArray& units) {
  QStringList codes;
  for (const CKvDwRec& unit : units)
    codes.append(unit.KNO);
  return codes;
}
