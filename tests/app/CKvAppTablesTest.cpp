// The tables of a data file on each back-end kind: creating them (twice),
// widening older columns, the default rows, rewriting and counting a code
// in the places that keep it, the operators and the rights with quotes.

#include "KvShellTestApp.h"
#include "app/CKvDwRec.h"
#include "app/KvMonthTableHooks.h"
#include "app/KvOperatorStore.h"
#include "core/CKvCsTab.h"
#include "core/KvMessage.h"

#include <gtest/gtest.h>

namespace {

QStringList column(CKvDb* pDb, const QString& sql) {
  QStringList values;
  pDb->QueryTexts(sql, &values, 1);
  return values;
}

// A module whose default rows fail after the application's were written.
class FailingRowsModule : public CKvDataType {
 public:
  FailingRowsModule() { m_nModule = 31; }
  bool InsertDefaultRows(CKvDb* pDb, int) override {
    return pDb->Execute(QStringLiteral("Insert Into NOSUCH(A) Values(1)"));
  }
};

const QStringList kSystemTables = {
    "SYSTAB",        "SysCsTab",   "OPR",    "PWR",       "KvFormList", "KvFormFormula",
    "KvFormTopWord", "KvFormHeadNote", "KVVAR", "KVDW",   "KVPAGESET",  "FIELDWIDTH",
    "KVFONT",        "KvTask",     "KvLog",  "KvLogOp",   "TMOD"};

}  // namespace

class CKvAppTablesTest : public KvDbKindTest {
 protected:
  void SetUp() override {
    KvDbKindTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    m_app.createModules = [this](KvShellTestApp& a) {
      m_module = new KvShellTestModule(30);
      a.AddDataType(m_module);
    };
    m_app.InitInstance();
    ASSERT_TRUE(m_app.OpenOn(testDb()));
  }
  CKvDb* appDb() { return m_app.GetDb(); }

  KvShellTestApp m_app;
  KvShellTestModule* m_module = nullptr;
};

TEST_P(CKvAppTablesTest, CreateAllTablesMakesEveryTableOnce) {
  KvMessageRecorder recorder;
  ASSERT_TRUE(m_app.CreateAllTables(appDb()));
  EXPECT_TRUE(recorder.messages().isEmpty());
  for (const QString& table : kSystemTables)
    EXPECT_TRUE(appDb()->TableExists(table)) << table.toStdString();
  // The month table is left to its hook, which nobody installed here.
  EXPECT_FALSE(appDb()->TableExists(QStringLiteral("ZRVMONTH")));
  // A fresh list each: a file appends to the list it is given, a server
  // empties it first.
  QStringList pwrIndexes;
  EXPECT_EQ(appDb()->GetColumnIndexes(&pwrIndexes, QStringLiteral("PWR"), QStringLiteral("OPNO")), 1);
  QStringList varIndexes;
  EXPECT_EQ(appDb()->GetColumnIndexes(&varIndexes, QStringLiteral("KVVAR"), QStringLiteral("nSoft")), 1);
  int width = 0;
  EXPECT_TRUE(appDb()->GetColumnWidth(QStringLiteral("OPR"), QStringLiteral("PSD"), &width));
  EXPECT_EQ(width, 128);

  QList<CKvCsRec> stamp;
  ASSERT_EQ(CKvCsRec(appDb()).SelectByCsN(9133, 1, &stamp), 1);
  EXPECT_EQ(stamp.at(0).CsNa, QString::number(220 + kind()));
  EXPECT_EQ(stamp.at(0).CsVal, u"10  9");

  QStringList before;
  appDb()->ListUserTables(&before);
  ASSERT_TRUE(m_app.CreateAllTables(appDb()));
  EXPECT_TRUE(recorder.messages().isEmpty());
  QStringList after;
  appDb()->ListUserTables(&after);
  EXPECT_EQ(after, before);
  EXPECT_EQ(CKvCsRec(appDb()).SelectByCsN(9133, 1, &stamp), 1);
  EXPECT_EQ(m_module->createCalls, 2);
}

TEST_P(CKvAppTablesTest, MonthTableHooksRunWhenInstalled) {
  int created = 0;
  int upgraded = 0;
  const KvMonthTableHooks previous = KvSetMonthTableHooks(
      {[&](CKvDb* pDb) {
         ++created;
         return pDb->TableExists(QStringLiteral("ZRVMONTH")) ||
                pDb->Execute(QStringLiteral("Create Table ZRVMONTH(N Long)"));
       },
       [&](CKvDb*) { ++upgraded; }, {}});
  EXPECT_TRUE(m_app.CreateAllTables(appDb()));
  KvSetMonthTableHooks(previous);
  EXPECT_EQ(created, 1);
  EXPECT_EQ(upgraded, 1);
  EXPECT_TRUE(appDb()->TableExists(QStringLiteral("ZRVMONTH")));
}

TEST_P(CKvAppTablesTest, FailedStatementMakesTheRunFalseButGoesOn) {
  KvMessageRecorder recorder;
  // A view under the module table's name: its CREATE fails, the other
  // tables are made all the same.
  ASSERT_TRUE(appDb()->Execute(QStringLiteral("Create View TMOD As Select 1 As A")));
  EXPECT_FALSE(m_app.CreateAllTables(appDb()));
  EXPECT_EQ(recorder.messages().size(), 1);
  EXPECT_TRUE(appDb()->TableExists(QStringLiteral("KvLogOp")));
  EXPECT_TRUE(appDb()->TableExists(QStringLiteral("SYSTAB")));
}

TEST_P(CKvAppTablesTest, OlderColumnsAreWidened) {
  KvMessageRecorder recorder;
  ASSERT_TRUE(appDb()->Execute(QStringLiteral("CREATE TABLE OPR(OPNO CHAR(3),NA CHAR(8),PSD CHAR(10))")));
  ASSERT_TRUE(appDb()->Execute(QStringLiteral("INSERT INTO OPR(OPNO,NA,PSD) VALUES('101','管理员','x')")));
  ASSERT_TRUE(appDb()->Execute(QStringLiteral(
      "CREATE TABLE KVDW(KNO CHAR(10),NA CHAR(60),JA CHAR(20),MAR CHAR(12),MGR CHAR(12),"
      "TEL CHAR(25),ADR CHAR(255),NT CHAR(255))")));
  ASSERT_TRUE(appDb()->Execute(QStringLiteral("INSERT INTO KVDW(KNO,NA) VALUES('01','一部')")));
  ASSERT_TRUE(m_app.CreateAllTables(appDb()));
  EXPECT_TRUE(recorder.messages().isEmpty());
  int width = 0;
  EXPECT_TRUE(appDb()->GetColumnWidth(QStringLiteral("OPR"), QStringLiteral("PSD"), &width));
  EXPECT_EQ(width, 128);
  EXPECT_TRUE(appDb()->GetColumnWidth(QStringLiteral("KVDW"), QStringLiteral("KNO"), &width));
  EXPECT_EQ(width, 14);
  EXPECT_EQ(column(appDb(), QStringLiteral("Select PSD From OPR")), QStringList{"x"});
  // The application's units were loaded from its own file.
  ASSERT_EQ(KvGetDwArray().size(), 1);
  EXPECT_EQ(KvGetDwArray().at(0).NA, u"一部");
}

TEST_P(CKvAppTablesTest, DefaultRowsGiveOperator102EveryRightButTheFirst) {
  ASSERT_TRUE(m_app.CreateAllTables(appDb()));
  ASSERT_TRUE(m_app.InsertDefaultRows(appDb(), 2024));
  EXPECT_EQ(column(appDb(), QStringLiteral("Select PY From SYSTAB")), QStringList{"2024"});
  EXPECT_EQ(column(appDb(), QStringLiteral("Select JT From SYSTAB")), QStringList{"031"});
  EXPECT_EQ(column(appDb(), QStringLiteral("Select OPNO From OPR Order By OPNO")),
            (QStringList{"101", "102"}));
  EXPECT_EQ(column(appDb(), QStringLiteral("Select PWR From PWR Where OPNO='101'")),
            QStringList{"0001"});
  QStringList codes;
  QStringList names;
  m_app.GetRightCatalogue(codes, names);
  codes.removeFirst();
  QStringList held = column(appDb(), QStringLiteral("Select PWR From PWR Where OPNO='102'"));
  held.sort();
  codes.sort();
  EXPECT_EQ(held, codes);
  EXPECT_TRUE(held.contains(u"3001"));

  // The operator store reads them back.
  KvOperatorStore store;
  EXPECT_EQ(store.Load(appDb(), QStringLiteral("101")), 1);
  EXPECT_EQ(store.Operator().strName, u"管理员");
  EXPECT_EQ(store.Load(appDb(), QStringLiteral("1'9")), 0);
  EXPECT_TRUE(store.Operator().strName.isEmpty());
  QList<KvOperator> operators;
  EXPECT_EQ(KvOperatorStore::Fill(&operators, appDb(), false), 1);
  EXPECT_EQ(operators.at(0).strCode, u"102");
  EXPECT_EQ(KvOperatorStore::Fill(&operators, appDb(), true), 2);
}

TEST_P(CKvAppTablesTest, DefaultRowsAreAllOrNothing) {
  ASSERT_TRUE(m_app.CreateAllTables(appDb()));
  m_app.AddDataType(new FailingRowsModule);
  KvMessageRecorder recorder;
  EXPECT_FALSE(m_app.InsertDefaultRows(appDb(), 2024));
  EXPECT_TRUE(column(appDb(), QStringLiteral("Select PY From SYSTAB")).isEmpty());
  EXPECT_TRUE(column(appDb(), QStringLiteral("Select OPNO From OPR")).isEmpty());
}

TEST_P(CKvAppTablesTest, OperatorStoreTellsAFailedReadFromNone) {
  KvOperatorStore store;
  QList<KvOperator> operators{KvOperator{}};
  KvMessageRecorder recorder;
  EXPECT_EQ(store.Load(appDb(), QStringLiteral("101")), -1);  // no OPR yet
  EXPECT_EQ(KvOperatorStore::Fill(&operators, appDb(), true), -1);
  EXPECT_TRUE(operators.isEmpty());
  EXPECT_TRUE(recorder.messages().isEmpty());
}

TEST_P(CKvAppTablesTest, CodeChangeRewritesEveryPlaceOrNone) {
  ASSERT_TRUE(m_app.CreateAllTables(appDb()));
  ASSERT_TRUE(appDb()->Execute(QStringLiteral("Insert Into TMOD(KNO,OPR) Values('a','1''2')")));
  CKvCsRec visibility(appDb());
  visibility.Set(4000, 1, QStringLiteral("01"), QStringLiteral("1'2"));
  ASSERT_TRUE(visibility.Insert());

  QString message;
  EXPECT_FALSE(m_app.IsCodeUnused(appDb(), QStringLiteral("OPR"), QStringLiteral("1'2"), nullptr, &message));
  EXPECT_EQ(message, u"测试表\n核算单位表");
  EXPECT_TRUE(m_app.IsCodeUnused(appDb(), QStringLiteral("OPR"), QStringLiteral("103"), nullptr, &message));
  EXPECT_TRUE(message.isEmpty());

  ASSERT_TRUE(m_app.ChangeCode(appDb(), QStringLiteral("OPR"), QStringLiteral("1'2"), QStringLiteral("1'3")));
  EXPECT_EQ(column(appDb(), QStringLiteral("Select OPR From TMOD")), QStringList{"1'3"});
  EXPECT_EQ(column(appDb(), QStringLiteral("Select CsVal From SysCsTab Where Cs=4000")),
            QStringList{"1'3"});

  // A second module whose place cannot be written: nothing changes anywhere.
  auto* broken = new KvShellTestModule(32);
  broken->placeTable = QStringLiteral("NOSUCH");
  m_app.AddDataType(broken);
  KvMessageRecorder recorder;
  EXPECT_FALSE(m_app.ChangeCode(appDb(), QStringLiteral("OPR"), QStringLiteral("1'3"), QStringLiteral("104")));
  EXPECT_EQ(recorder.messages().size(), 1);
  EXPECT_EQ(column(appDb(), QStringLiteral("Select OPR From TMOD")), QStringList{"1'3"});
  EXPECT_EQ(column(appDb(), QStringLiteral("Select CsVal From SysCsTab Where Cs=4000")),
            QStringList{"1'3"});

  // A place that cannot be counted may hold the code.
  EXPECT_FALSE(m_app.IsCodeUnused(appDb(), QStringLiteral("OPR"), QStringLiteral("105"), nullptr, &message));
  EXPECT_EQ(message, u"测试表");
  EXPECT_EQ(recorder.messages().size(), 1);  // counting is quiet
}

TEST_P(CKvAppTablesTest, RightsAndSysTabKeepQuotes) {
  ASSERT_TRUE(m_app.CreateAllTables(appDb()));
  ASSERT_TRUE(m_app.InsertDefaultRows(appDb(), 2024));
  ASSERT_TRUE(appDb()->Execute(QStringLiteral("Insert Into OPR(OPNO,NA,PSD) Values('1''1','奥''尼','')")));
  ASSERT_TRUE(appDb()->Execute(QStringLiteral("Insert Into PWR(OPNO,PWR) Values('1''1','1805')")));
  ASSERT_TRUE(appDb()->Execute(QStringLiteral("Insert Into PWR(OPNO,PWR) Values('1''1','0012')")));
  CKvDataFile& file = m_app.GetDataFile();
  file.SetOperatorCode(QStringLiteral("1'1"));
  ASSERT_TRUE(file.LoadRights());
  EXPECT_TRUE(KvHasRight(18, QStringLiteral("05")));
  EXPECT_TRUE(KvHasRightCode(QStringLiteral("0012")));
  EXPECT_TRUE(m_app.HasExportRight());
  // Whole codes only; an empty code is never held.
  EXPECT_FALSE(KvHasRightCode(QStringLiteral("180")));
  EXPECT_FALSE(KvHasRightCode(QStringLiteral("05 0")));
  EXPECT_FALSE(KvHasRightCode(QString()));
  EXPECT_FALSE(KvHasRight(18, QStringLiteral("06")));

  file.SetYear(2024);
  file.SetNames(QStringLiteral("O'Brien学校"), QStringLiteral("李'四"), QString(), QString());
  ASSERT_TRUE(file.WriteSysTab());
  file.SetNames(QString(), QString(), QString(), QString());
  ASSERT_TRUE(file.ReadSysTab(nullptr, false));
  EXPECT_EQ(file.GetEntityName(), u"O'Brien学校");
  EXPECT_EQ(file.GetManagerName(), u"李'四");
}

KV_DB_KIND_TEST_SUITE(CKvAppTablesTest);
