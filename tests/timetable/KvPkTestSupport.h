#pragma once
// What the timetabling tests share: the program's application with modules
// 18 and 19, its data file opened on a test database of each kind with every
// table, the default rows and the tree parameters of a small school (unit
// 01, grades 0101.., classes 010101..), helpers that write a school by hand
// (tree, schedule, catalogue, plan, stored lessons), read tables back, show a
// class timetable as text, and run a write with each statement refused in
// turn.

#include "support/module/KvModuleTestDb.h"
#include "timetable/CPkGrid.h"
#include "timetable/CWktRec.h"

#include <QString>
#include <QStringList>
#include <memory>

// The school edition with both modules, as the program makes it.
class KvPkTestApp : public KvModuleTestApp {
 public:
  KvPkTestApp();
};

// The version every hand-written school uses.
inline const QString kYear = QStringLiteral("2024");
inline const QString kDate = QStringLiteral("20240901");
constexpr int kTerm = 1;
// A later plan version of the grade (the plan editor's insert), and its removal.
constexpr char kLaterPlan[] = "Insert Into WKJH(Y,QC,T,STD,SBT,NU,CN,CL,WTN0,WTN1,NT) Values('2024','1','20241101','0101','0001',1,1,'1','','','')";
constexpr char kLaterPlanGone[] = "Delete From WKJH Where T='20241101'";

class KvPkDbTest : public KvModuleDbTest {
 protected:
  std::unique_ptr<KvModuleTestApp> MakeApp() override;
  bool SetTreeParams(CKvDb* pDb) override;

  // --- A school by hand ---

  void AddNode(const QString& code, const QString& name);
  // Unit 01, grade 0101 and the classes 010101 .. 0101nn ("1班" ..).
  void AddClasses(int count);
  // Monday to Friday with the given periods of segments B and C.
  CWktRec SaveSchedule(int morning, int afternoon);
  void AddCourse(const QString& code, const QString& name);
  void AddTeacher(const QString& code, const QString& name);
  void AddRoom(const QString& code, const QString& name);
  void AddPlan(const QString& grade, const QString& course, int nu, int cn, int cl = 1,
               const QString& fixed = QString(), const QString& barred = QString());
  void Assign(const QString& klass, const QString& course, const QString& teacher,
              const QString& room = QString(), int ds = 0);
  // A stored lesson of the version (kind 0 unless given), on the test's
  // connection or the one given.
  void AddLesson(const QString& klass, int day, char segment, int period, const QString& course,
                 const QString& teacher, const QString& room = QString(), int kind = 0, CKvDb* pDb = nullptr);

  // The stored timetable of a class, loaded as the document would.
  CPkGrid LoadClass(const QString& klass);
  // One line per weekday 1..5 of a week kind: the course codes of the
  // periods (segments B and C, "|" between), "." for an empty period.
  static QStringList GridText(const CPkGrid& grid, int kind = 0);

  CWktRec m_schedule;
};
