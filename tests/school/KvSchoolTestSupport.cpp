#include "KvSchoolTestSupport.h"

#include "core/CKvDb.h"
#include "school/CXxDataType.h"
#include "school/KvSchoolInstall.h"
#include "support/school/KvSchoolGen.h"


KvSchoolTestApp::KvSchoolTestApp() {
  KvInstallSchool();
  InitInstance();
}

std::unique_ptr<KvModuleTestApp> KvSchoolDbTest::MakeApp() { return std::make_unique<KvSchoolTestApp>(); }

bool KvSchoolDbTest::SetTreeParams(CKvDb* pDb) { return KvSetGeneratedSchoolParams(pDb); }

QStringList KvSchoolDbTest::Column(const QString& sql) {
  QStringList values;
  pdb()->QueryTexts(sql, &values, 1);
  return values;
}

QStringList KvSchoolDbTest::State() {
  QStringList state;
  state << Rows(QStringLiteral("STD"), CStd::GetColumnList())
        << Rows(QStringLiteral("COST"), QStringLiteral("KNO,NA,NT"))
        << Rows(QStringLiteral("PC"), QStringLiteral("QC,F,LPR,My,T,DH,Mry,COST,STD,Opr0,Opr1,FS"))
        << Rows(QStringLiteral("WKJH"), QStringLiteral("Y,QC,T,STD,SBT"))
        << Rows(QStringLiteral("SBTTCHR"), QStringLiteral("Y,QC,T,STD,SBT,TCHR"))
        << Rows(QStringLiteral("PK"), QStringLiteral("Y,QC,T,STD,WK,DT,DN"))
        << Rows(QStringLiteral("SysCsTab"), QStringLiteral("Cs,CsN,CsNa,CsVal"), QStringLiteral("Where Cs=4180"))
        << Rows(QStringLiteral("KvLog"), QStringLiteral("nTaskID,sNote"));
  return state;
}

CStd KvSchoolDbTest::AddNode(const QString& code, const QString& name) {
  CStd row(pdb(), code);
  row.SetDefaults(code.size() == CXxDataType::StudentCodeLen());
  row.KNO = code;
  row.NA = name;
  EXPECT_EQ(row.InsertRow(), 1) << code.toStdString();
  return row;
}

void KvSchoolDbTest::AddClass(const QStringList& students) {
  AddNode(QStringLiteral("01"), QStringLiteral("本校"));
  AddNode(QStringLiteral("0102"), QStringLiteral("2024级"));
  AddNode(QStringLiteral("010201"), QStringLiteral("一班"));
  for (qsizetype i = 0; i + 1 < students.size(); i += 2)
    AddNode(students.at(i), students.at(i + 1));
}

void KvSchoolDbTest::AddLine(const QString& student, const QString& item, int term, int kind, double amount,
                             const QString& date, const QString& number, const QString& maker) {
  CPc line;
  line.STD = student;
  line.COST = item;
  line.QC = term;
  line.F = kind;
  line.My = amount;
  line.T = date;
  line.DH = number;
  line.Opr0 = maker;
  EXPECT_TRUE(line.Insert(pdb()));
}

void KvSchoolDbTest::AddItem(const QString& code, const QString& name) {
  EXPECT_TRUE(pdb()->Execute(QStringLiteral("Insert Into COST(KNO,NA,NT) Values('%1','%2','')").arg(code, name)));
}

void KvSchoolDbTest::AddTimetableRows(const QString& code) {
  EXPECT_TRUE(pdb()->Execute(
      QStringLiteral("Insert Into WKJH(Y,QC,T,STD,SBT,NU,CN) Values('2024','0','20240901','%1','0001',4,1)").arg(code)));
  EXPECT_TRUE(pdb()->Execute(
      QStringLiteral("Insert Into SBTTCHR(Y,QC,T,STD,SBT,TCHR) Values('2024','0','20240901','%1','0001','0001')")
          .arg(code)));
  EXPECT_TRUE(pdb()->Execute(
      QStringLiteral("Insert Into PK(Y,QC,T,STD,WK,DT,DN) Values('2024','0','20240901','%1','0','1','1')").arg(code)));
}

int KvSchoolDbTest::ExpectAllOrNothing(const std::function<bool()>& write) {
  // The data file's one SysTab row stays too: a refused statement must not
  // cost the connection its data file.
  return ExpectAllOrNothing(write, [this] { return State() + Column(QStringLiteral("Select Count(*) From SysTab")); });
}
