#include "KvPkTestSupport.h"

#include "core/CKvDb.h"
#include "school/CStd.h"
#include "school/CXxDataType.h"
#include "school/KvSchoolInstall.h"
#include "support/timetable/KvTimetableGen.h"
#include "timetable/CPubRmTable.h"
#include "timetable/CSbtTable.h"
#include "timetable/CTchrTable.h"
#include "timetable/CWkjhRec.h"
#include "timetable/KvTimetableInstall.h"


KvPkTestApp::KvPkTestApp() {
  KvInstallSchool();
  KvInstallTimetable();
  InitInstance();
}

std::unique_ptr<KvModuleTestApp> KvPkDbTest::MakeApp() { return std::make_unique<KvPkTestApp>(); }

bool KvPkDbTest::SetTreeParams(CKvDb* pDb) { return KvSetTimetableTreeParams(pDb); }

void KvPkDbTest::AddNode(const QString& code, const QString& name) {
  CStd node(pdb(), code);
  node.NA = name;
  ASSERT_EQ(node.InsertRow(), 1) << code.toStdString();
}

void KvPkDbTest::AddClasses(int count) {
  AddNode(QStringLiteral("01"), QStringLiteral("本校"));
  AddNode(QStringLiteral("0101"), QStringLiteral("一年级"));
  for (int c = 1; c <= count; ++c)
    AddNode(QStringLiteral("0101%1").arg(c, 2, 10, QLatin1Char('0')), QStringLiteral("%1班").arg(c));
}

CWktRec KvPkDbTest::SaveSchedule(int morning, int afternoon) {
  CWktRec schedule(kYear, kTerm);
  const int counts[4] = {0, morning, afternoon, 0};
  schedule.ResizePeriods(counts);
  for (int d = 1; d <= 5; ++d)
    for (int s = 1; s <= 2; ++s)
      schedule.SBT[d][s].fill(1);
  EXPECT_TRUE(schedule.Save(pdb()));
  m_schedule = schedule;
  return schedule;
}

void KvPkDbTest::AddCourse(const QString& code, const QString& name) {
  CSbtRec rec;
  rec.KNO = code;
  rec.NA = name;
  rec.NAA = name;
  ASSERT_TRUE(CSbtTable::Insert(rec, pdb()));
}

void KvPkDbTest::AddTeacher(const QString& code, const QString& name) {
  CTchrRec rec;
  rec.KNO = code;
  rec.NA = name;
  ASSERT_TRUE(CTchrTable::Insert(rec, pdb()));
}

void KvPkDbTest::AddRoom(const QString& code, const QString& name) {
  CPubRmRec rec;
  rec.KNO = code;
  rec.NA = name;
  ASSERT_TRUE(CPubRmTable::Insert(rec, pdb()));
}

void KvPkDbTest::AddPlan(const QString& grade, const QString& course, int nu, int cn, int cl, const QString& fixed,
                         const QString& barred) {
  CWkjhRec row(kYear, kTerm, kDate, grade);
  row.SBT = course;
  row.NU = nu;
  row.CN = cn;
  row.CL = cl;
  row.WTN0 = fixed;
  row.WTN1 = barred;
  ASSERT_TRUE(row.InsertPlanRow(pdb()));
}

void KvPkDbTest::Assign(const QString& klass, const QString& course, const QString& teacher, const QString& room,
                        int ds) {
  CWkjhRec row(kYear, kTerm, kDate, klass);
  row.SBT = course;
  row.TCHR = teacher;
  row.PUBRM = room;
  row.DS = ds;
  ASSERT_TRUE(row.InsertAssignment(pdb()));
}

void KvPkDbTest::AddLesson(const QString& klass, int day, char segment, int period, const QString& course,
                           const QString& teacher, const QString& room, int kind, CKvDb* pDb) {
  ASSERT_TRUE((pDb ? pDb : pdb())->Execute(
      QStringLiteral("Insert Into PK(Y,QC,T,STD,WK,DT,DN,DS,SBT,TCHR,PUBRM) Values('%1','%2','%3','%4','%5','%6','%7','%8','%9','%10','%11')")
          .arg(kYear)
          .arg(kTerm)
          .arg(kDate, klass)
          .arg(day)
          .arg(QChar::fromLatin1(segment))
          .arg(period)
          .arg(kind)
          .arg(course, teacher, room)));
}

CPkGrid KvPkDbTest::LoadClass(const QString& klass) {
  CPkGrid grid(kYear, kTerm, kDate, klass);
  grid.LoadByKeys(m_schedule, pdb());
  return grid;
}

QStringList KvPkDbTest::GridText(const CPkGrid& grid, int kind) {
  QStringList lines;
  for (int d = 1; d <= 5; ++d) {
    QStringList segments;
    for (int s = 1; s <= 2; ++s) {
      QStringList cells;
      for (const QString& course : grid.CourseCells[CPkGrid::ArrayIndex(kind, d, s)])
        cells.append(course.isEmpty() ? QStringLiteral(".") : course);
      segments.append(cells.join(u' '));
    }
    lines.append(QStringLiteral("%1: %2").arg(d).arg(segments.join(QStringLiteral(" | "))));
  }
  return lines;
}

