#pragma once
// What the fee module's tests share: the program's application with the fee
// module registered, its data file opened on a test database of each kind
// with every table and the default rows (operators 101 and 102, the year
// 2024), the tree parameters of a small school (one management level,
// classes below grades, code lengths 2, 2, 2, 3: unit 01, grade 0102, class
// 010201, student 010201001), and helpers to add rows, read tables back and
// run a write with each of its statements refused in turn.

#include "school/CPc.h"
#include "school/CStd.h"
#include "support/module/KvModuleTestDb.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// The school edition with the fee module, as the program makes it.
class KvSchoolTestApp : public KvModuleTestApp {
 public:
  KvSchoolTestApp();
};

class KvSchoolDbTest : public KvModuleDbTest {
 protected:
  std::unique_ptr<KvModuleTestApp> MakeApp() override;
  bool SetTreeParams(CKvDb* pDb) override;

  // Column 0 of a select, one entry per row.
  QStringList Column(const QString& sql);
  // Everything the fee module writes: STD, COST, PC, the tree references in
  // WKJH, SBTTCHR and PK, the parameters and the log.
  QStringList State();

  // A node with the defaults of its kind (student when the code is a
  // student's), stored without checks.
  CStd AddNode(const QString& code, const QString& name);
  // Unit 01 "本校", grade 0102 "2024级", class 010201 "一班" and the
  // students given as (code, name) pairs.
  void AddClass(const QStringList& students);
  void AddLine(const QString& student, const QString& item, int term, int kind, double amount,
               const QString& date = QStringLiteral("20240910"), const QString& number = QStringLiteral("00001"),
               const QString& maker = QStringLiteral("101"));
  void AddItem(const QString& code, const QString& name);
  // A row of WKJH, SBTTCHR and PK each under the code.
  void AddTimetableRows(const QString& code);

  // Runs `write` with its 1st, 2nd, ... statement refused until a run sends
  // fewer statements than the one to refuse; that run must succeed. Every
  // refused run must answer false and leave State() as it was, and the
  // connection must still answer afterwards. Returns the number of
  // statements of the clean run.
  int ExpectAllOrNothing(const std::function<bool()>& write);
  using KvModuleDbTest::ExpectAllOrNothing;
};
