#include "KvSchoolTestSupport.h"

#include "core/CKvDb.h"
#include "core/KvMessage.h"
#include "school/CXxDataType.h"
#include "school/KvSchoolInstall.h"
#include "support/school/KvSchoolGen.h"

#include <algorithm>

KvSchoolTestApp::KvSchoolTestApp() {
  KvInstallSchool();
  InitInstance();
}

bool KvSchoolTestApp::OpenOn(const KvTestDb& testDb, const QString& operatorCode) {
  CKvDataFile& file = GetDataFile();
  file.SetKind(testDb.kind() == 0 ? 0 : 1);
  if (testDb.kind() != 0)
    file.SetServerBackend(testDb.kind());
  file.SetOperatorCode(operatorCode);
  file.SetOperatorName(operatorCode == u"101" ? QStringLiteral("管理员") : QStringLiteral("×××"));
  return GetDb()->Open(testDb.name(), testDb.info());
}

KvYesToQuestions::KvYesToQuestions() {
  m_previous = KvSetMessageHandler([this](const KvMessage& message) {
    texts.append(message.text);
    const unsigned buttons = message.buttons();
    if (buttons == KV_MB_YESNO || buttons == KV_MB_YESNOCANCEL)
      return int(KV_IDYES);
    return message.defaultAnswer();
  });
}

KvYesToQuestions::~KvYesToQuestions() { KvSetMessageHandler(m_previous); }

void KvSchoolDbTest::SetUp() {
  KvDbKindTest::SetUp();
  if (IsSkipped() || HasFatalFailure())
    return;
  m_app = std::make_unique<KvSchoolTestApp>();
  ASSERT_TRUE(m_app->OpenOn(testDb()));
  ASSERT_TRUE(m_app->CreateAllTables(pdb()));
  ASSERT_TRUE(m_app->InsertDefaultRows(pdb(), 2024));
  ASSERT_EQ(CXxDataType::Get(), KvFindDataType(18));
  ASSERT_TRUE(KvSetGeneratedSchoolParams(pdb()));
}

void KvSchoolDbTest::TearDown() {
  if (m_app)
    m_app->GetDb()->Close();
  m_app.reset();
  KvDbKindTest::TearDown();
}

QStringList KvSchoolDbTest::Column(const QString& sql) {
  QStringList values;
  pdb()->QueryTexts(sql, &values, 1);
  return values;
}

QStringList KvSchoolDbTest::Rows(const QString& table, const QString& columns, const QString& where) {
  const QStringList names = columns.split(u',');
  QList<QStringList> values(names.size());
  pdb()->QueryTexts(QStringLiteral("Select ") + columns + QStringLiteral(" From ") + table + u' ' + where,
                    values.data(), int(names.size()));
  QStringList rows;
  for (qsizetype r = 0; r < values.first().size(); ++r) {
    QStringList cells;
    for (const QStringList& column : values)
      cells.append(column.at(r));
    rows.append(cells.join(u'|'));
  }
  std::sort(rows.begin(), rows.end());
  return rows;
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
  const QStringList before = State();
  for (int n = 1; n < 2000; ++n) {
    pdb()->FailNthStatement(n);
    const bool ok = write();
    const int sent = pdb()->GetStatementsSent();
    pdb()->FailNthStatement(0);
    if (sent < n) {
      EXPECT_TRUE(ok) << "the clean run failed";
      return sent;
    }
    EXPECT_FALSE(ok) << "statement " << n << " was refused, yet the write reports success";
    EXPECT_EQ(State(), before) << "statement " << n << " was refused and the tables changed";
    EXPECT_EQ(Column(QStringLiteral("Select Count(*) From SysTab")), QStringList{"1"});
    if (HasFailure())
      return -1;
  }
  ADD_FAILURE() << "the write never ran clean";
  return -1;
}
