#include "timetable/CWkjhRec.h"

#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "school/CStd.h"
#include "school/CXxDataType.h"
#include "school/KvSchoolSql.h"
#include "timetable/CPubRmTable.h"
#include "timetable/CSbtTable.h"
#include "timetable/CTchrTable.h"

namespace {
QString versionWhere(const QString& year, int term, const QString& date, CKvDb* pDb) {
  return KvFormat("Where Y='%s' And QC='%d' And T='%s'", pDb->QuoteText(year), term, pDb->QuoteText(date));
}

void stop(const QString& text) { KvMessageBox(text, KV_MB_OK | KV_MB_ICONSTOP); }

// A refusal is never shown while the locks are held: it goes to the
// caller, who shows it once its own transaction is rolled back, or, with
// no caller to take it, this transaction is rolled back before it is shown.
void refuse(KvDbTransaction& trans, const QString& text, QString* pRefusal) {
  if (text.isEmpty())
    return;
  if (pRefusal) {
    *pRefusal = text;
    return;
  }
  trans.Rollback();
  stop(text);
}

// Sets *pGone to the refusal of the first course, teacher or room of the
// rows that its catalogue no longer holds; false when one cannot be read.
bool catalogueCodesStored(const QList<CWkjhRec>& rows, CKvDb* pDb, QString* pGone) {
  static const QString kinds[] = {QStringLiteral("课程"), QStringLiteral("教师"), QStringLiteral("公用教室")};
  for (const CWkjhRec& row : rows) {
    CSbtRec course;
    CTchrRec teacher;
    CPubRmRec room;
    const QString codes[] = {row.SBT, row.TCHR, row.PUBRM};
    const int found[] = {CSbtTable::LoadByCode(course, row.SBT, pDb),
                         row.TCHR.isEmpty() ? 1 : CTchrTable::LoadByCode(teacher, row.TCHR, pDb),
                         row.PUBRM.isEmpty() ? 1 : CPubRmTable::LoadByCode(room, row.PUBRM, pDb)};
    for (int i = 0; i < 3; ++i) {
      if (found[i] < 0)
        return false;
      if (found[i] == 0) {
        *pGone = KvFormat("%s<%s>已被其他窗口或工作站删除，不能保存！", kinds[i], codes[i]);
        return true;
      }
    }
  }
  return true;
}

// Deletes the version's rows of table stored under the key's code itself
// (not under the codes below it); with courses, only the rows of those
// courses.
bool deleteOwnRows(const char* table, const CWkjhRec& key, const QStringList* courses, CKvDb* pDb) {
  QString sql = KvFormat("Delete From %s %s And STD='%s'", table, versionWhere(key.Y, key.QC, key.T, pDb),
                         pDb->QuoteText(key.STD));
  if (courses) {
    if (courses->isEmpty())
      return true;
    QStringList quoted;
    for (const QString& course : *courses)
      quoted.append(KvFormat("'%s'", pDb->QuoteText(course)));
    sql += KvFormat(" And SBT In (%s)", quoted.join(u','));
  }
  return pDb->Execute(sql);
}
}  // namespace

CWkjhRec::CWkjhRec(const QString& year, int term, const QString& date, const QString& code) {
  Y = year;
  QC = term;
  T = date;
  STD = code;
}

void CWkjhRec::Clear() { *this = CWkjhRec(); }

QString CWkjhRec::PriorityText(int priority) {
  static const char16_t texts[] = u"优次中常后";
  return priority >= 1 && priority <= 5 ? QString(QChar(texts[priority - 1])) : QString();
}

QString CWkjhRec::WeekKindText(int kind) {
  static const char16_t texts[] = u"全单双";
  return kind >= 0 && kind <= 2 ? QString(QChar(texts[kind])) : QString();
}

QString CWkjhRec::VersionKey() const { return KvFormat("%s%d%s", Y, QC, T); }

int CWkjhRec::LoadPlanRows(const QString& where, const QString& order, QList<CWkjhRec>& rows, CKvDb* pDb,
                           bool* pRead) {
  rows.clear();
  CKvQuery query(2, 0, 9, pDb);
  // Every text comes from the query with its trailing blanks cut.
  const bool read = query.Open(KvFormat("Select NU,CN,Y,QC,T,STD,SBT,CL,WTN0,WTN1,NT From WKJH %s %s", where, order));
  if (pRead)
    *pRead = read;
  if (!read)
    return 0;
  CWkjhRec row = *this;
  for (; !query.IsEOF(); query.MoveNext()) {
    row.NU = query.GetLong(0);
    row.CN = query.GetLong(1);
    row.Y = query.GetText(0);
    row.QC = KvStrToInt(query.GetText(1));
    row.T = query.GetText(2);
    row.STD = query.GetText(3);
    row.SBT = query.GetText(4);
    row.TCHR.clear();
    row.CL = KvStrToInt(query.GetText(5));
    row.WTN0 = query.GetText(6);
    row.WTN1 = query.GetText(7);
    row.NT = query.GetText(8);
    rows.append(row);
  }
  return int(rows.size());
}

int CWkjhRec::LoadClassPlanRows(const QString& order, QList<CWkjhRec>& rows, CKvDb* pDb) {
  const QString where = versionWhere(Y, QC, T, pDb) + KvFormat(" And STD='%s'", pDb->QuoteText(STD));
  bool read = false;
  const int count = LoadPlanRows(where, order.isEmpty() ? QStringLiteral("Order By SBT") : order, rows, pDb, &read);
  return read ? count : -1;
}

int CWkjhRec::LoadAssignments(const QString& where, const QString& order, QList<CWkjhRec>& rows, CKvDb* pDb,
                              bool* pRead) {
  rows.clear();
  CKvQuery query(0, 0, 8, pDb);
  // Every text comes from the query with its trailing blanks cut.
  const bool read = query.Open(KvFormat("Select Y,QC,T,STD,SBT,TCHR,PUBRM,DS From SBTTCHR %s %s",
                                        where, order.isEmpty() ? QStringLiteral("Order By SBT,TCHR,PUBRM,DS") : order));
  if (pRead)
    *pRead = read;
  if (!read)
    return 0;
  CWkjhRec row = *this;
  for (; !query.IsEOF(); query.MoveNext()) {
    row.Y = query.GetText(0);
    row.QC = KvStrToInt(query.GetText(1));
    row.T = query.GetText(2);
    row.STD = query.GetText(3);
    row.SBT = query.GetText(4);
    row.TCHR = query.GetText(5);
    row.PUBRM = query.GetText(6);
    row.DS = KvStrToInt(query.GetText(7));
    rows.append(row);
  }
  return int(rows.size());
}

int CWkjhRec::LoadClassAssignments(QList<CWkjhRec>& rows, CKvDb* pDb) {
  const QString where = versionWhere(Y, QC, T, pDb) + KvFormat(" And STD='%s'", pDb->QuoteText(STD));
  bool read = false;
  const int count = LoadAssignments(where, QString(), rows, pDb, &read);
  return read ? count : -1;
}

int CWkjhRec::JoinAssignments(QList<CWkjhRec>& plan, const QList<CWkjhRec>& assignments) const {
  for (CWkjhRec& row : plan) {
    row.STD = STD;
    for (const CWkjhRec& a : assignments) {
      if (a.SBT == row.SBT) {
        row.TCHR = a.TCHR;
        row.PUBRM = a.PUBRM;
        row.DS = a.DS;
        break;
      }
    }
  }
  return int(plan.size());
}

int CWkjhRec::LoadClassPlan(const QString& order, QList<CWkjhRec>& rows, CKvDb* pDb) {
  CWkjhRec grade = *this;
  grade.STD = STD.left(CXxDataType::GradeCodeLen());
  const int count = grade.LoadClassPlanRows(order, rows, pDb);
  if (count <= 0)
    return count;
  if (CXxDataType::MultiClassRef() == 0 || STD.size() == CXxDataType::ClassCodeLen()) {
    QList<CWkjhRec> assignments;
    if (LoadClassAssignments(assignments, pDb) < 0) {
      rows.clear();
      return -1;
    }
    JoinAssignments(rows, assignments);
  }
  return int(rows.size());
}

bool CWkjhRec::LockPlanAndTimetable(CKvDb* pDb) {
  for (const char* table : {"WKJH", "SBTTCHR", "PK"})
    if (!pDb->LockTable(QString::fromLatin1(table)))
      return false;
  return true;
}

int CWkjhRec::LoadPlanForDocument(QList<CWkjhRec>& rows, CKvDb* pDb) {
  const int own = LoadClassPlan(QString(), rows, pDb);
  if (own != 0)
    return own < 0 ? -1 : 0;
  CWkjhRec latest = *this;
  const int found = latest.GetLatest(pDb);
  if (found <= 0)
    return found;
  latest.STD = STD;
  const int earlier = latest.LoadClassPlan(QString(), rows, pDb);
  return earlier < 0 ? -1 : (earlier > 0 ? 1 : 0);
}

int CWkjhRec::LoadPlanRow(const QString& course, CKvDb* pDb) {
  const QString where = versionWhere(Y, QC, T, pDb) + KvFormat(" And SBT='%s' And STD=", pDb->QuoteText(course));
  const QString code = STD;
  QList<CWkjhRec> rows;
  if (LoadPlanRows(where + KvFormat("'%s'", pDb->QuoteText(code.left(CXxDataType::GradeCodeLen()))),
                   QString(), rows, pDb) == 0)
    return 0;
  *this = rows.first();
  STD = code;
  if (LoadAssignments(where + KvFormat("'%s'", pDb->QuoteText(code)), QString(), rows, pDb) == 0)
    return 1;
  TCHR = rows.first().TCHR;
  PUBRM = rows.first().PUBRM;
  DS = rows.first().DS;
  return 2;
}

int CWkjhRec::GetLatest(CKvDb* pDb) {
  QString sql = QStringLiteral("Select max(rtrim(Y)||rtrim(QC)||rtrim(T)) From WKJH");
  if (!Y.isEmpty())
    sql += KvFormat(" Where Y='%s' And QC='%d' And STD Like '%s'", pDb->QuoteText(Y), QC,
                    KvLikePrefix(pDb, STD.left(CXxDataType::GradeCodeLen())));
  QString last;
  if (!KvSchoolText(pDb, sql, QString(), &last))
    return -1;
  last = last.trimmed();
  if (last.isEmpty())
    return 0;
  Y = last.left(4);
  QC = KvStrToInt(last.mid(4, 1));
  T = last.mid(5);
  return 1;
}

const CWkjhRec* CWkjhRec::FindPlanRow(const QString& course, const QList<CWkjhRec>& rows) {
  for (const CWkjhRec& row : rows)
    if (row.SBT == course)
      return &row;
  return nullptr;
}

bool CWkjhRec::isLatest(CKvDb* pDb, const char* refusal, QString* pText) const {
  CWkjhRec latest;
  const int found = latest.GetLatest(pDb);
  if (found < 0)
    return false;
  if (found > 0 && (latest.T > T || (latest.T == T && (latest.Y != Y || latest.QC != QC)))) {
    *pText = QString::fromUtf8(refusal);
    return false;
  }
  return true;
}

void CWkjhRec::CopyPreviousVersion(CKvDb* pDb) {
  const QString countRows = KvFormat("Select Count(*) From Wkjh %s", versionWhere(Y, QC, T, pDb));
  if (KvSchoolCount(pDb, countRows) != 0)
    return;
  CWkjhRec latest;
  if (latest.GetLatest(pDb) <= 0 || VersionKey() <= latest.VersionKey())
    return;
  if (KvMessageBox(QStringLiteral("可以拷贝上期计划，然后在此基础上再作修改，拷贝吗？"),
                   KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) != KV_IDYES)
    return;
  const QString where = versionWhere(latest.Y, latest.QC, latest.T, pDb);
  KvDbTransaction trans(*pDb);
  if (!trans.IsActive() || !pDb->LockTable(QStringLiteral("WKJH")) || !pDb->LockTable(QStringLiteral("SBTTCHR")))
    return;
  // Another workstation may have set the version up while the question was
  // open: then nothing is copied over it. The previous plan offered must
  // still be the latest stored: one set up, moved or deleted meanwhile is
  // not what the operator agreed to copy.
  const int count = KvSchoolCount(pDb, countRows);
  CWkjhRec source;
  const int found = count == 0 ? source.GetLatest(pDb) : 0;
  if (count != 0 || found <= 0 || source.VersionKey() != latest.VersionKey()) {
    trans.Rollback();
    if (count > 0)
      stop(QStringLiteral("本期计划已在其他工作站建立，没有拷贝上期计划！"));
    else if (count == 0 && found >= 0)
      stop(QStringLiteral("上期计划已在其他工作站改变，没有拷贝上期计划！"));
    return;
  }
  // The plan rows, then the assignments, each re-keyed to this version.
  auto copy = [&](bool plan) {
    QList<CWkjhRec> rows;
    bool read = false;
    if (plan)
      latest.LoadPlanRows(where, QString(), rows, pDb, &read);
    else
      latest.LoadAssignments(where, QString(), rows, pDb, &read);
    for (CWkjhRec& row : rows) {
      row.Y = Y;
      row.QC = QC;
      row.T = T;
      if (!(plan ? row.InsertPlanRow(pDb) : row.InsertAssignment(pDb)))
        return false;
    }
    return read;
  };
  if (!copy(true) || !copy(false))
    return;
  trans.Commit();
}

bool CWkjhRec::WritesPlanRows() const { return STD.size() == CXxDataType::GradeCodeLen(); }

bool CWkjhRec::WritesAssignments() const {
  return CXxDataType::MultiClassRef() == 0 || STD.size() == CXxDataType::ClassCodeLen();
}

bool CWkjhRec::LoadReplacedRows(KvPkPlanRead& read, CKvDb* pDb) const {
  // Read through a record of the key alone, so that the fields a table
  // does not hold are the same in every reading.
  CWkjhRec key(Y, QC, T, STD);
  const QString where = KvFormat("%s And STD='%s'", versionWhere(Y, QC, T, pDb), pDb->QuoteText(STD));
  bool ok = true;
  read.plan.clear();
  read.assignments.clear();
  if (WritesPlanRows())
    key.LoadPlanRows(where, QStringLiteral("Order By STD,SBT,NU,CN,CL,WTN0,WTN1,NT"), read.plan, pDb, &ok);
  if (ok && WritesAssignments())
    key.LoadAssignments(where, QStringLiteral("Order By STD,SBT,TCHR,PUBRM,DS"), read.assignments, pDb, &ok);
  return ok;
}

int CWkjhRec::SavePlan(QList<CWkjhRec>& rows, CKvDb* pDb, KvPkPlanRead* pRead, QString* pRefusal) {
  const bool writePlan = WritesPlanRows();
  const bool writeAssignments = WritesAssignments();
  KvDbTransaction trans(*pDb);
  if (!trans.IsActive())
    return 0;
  // What the save deletes unread must be as the window read it; the class
  // assignments a grade save reads again under the locks and writes back
  // need no check.
  if (pRead && (!pDb->LockTable(QStringLiteral("WKJH")) || !pDb->LockTable(QStringLiteral("SBTTCHR"))))
    return 0;
  // A later plan, set up at another workstation since the window opened,
  // makes this one history.
  QString refusal;
  if (!isLatest(pDb, "非最后一次计划，不能保存！", &refusal)) {
    refuse(trans, refusal, pRefusal);
    return 0;
  }
  KvPkPlanRead stored;
  if (!LoadReplacedRows(stored, pDb))
    return 0;
  if (pRead && !(stored == *pRead)) {
    refuse(trans, QStringLiteral("教学计划已被其他窗口或工作站修改，请刷新后重新输入！"), pRefusal);
    return 0;
  }
  // The window checked its node, and the rows' courses, teachers and
  // rooms, before the locks. A tree or catalogue delete counts the plan's
  // rows under them: one made meanwhile is seen here, one made later sees
  // these rows.
  if (pRead) {
    const int nodes = CStd(pDb, STD).Count(0, -1);
    if (nodes <= 0) {
      if (nodes == 0)
        refuse(trans, KvFormat("“%s”已不存在，不能保存！", STD), pRefusal);
      return 0;
    }
    QString gone;
    if (!catalogueCodesStored(rows, pDb, &gone))
      return 0;
    if (!gone.isEmpty()) {
      refuse(trans, gone, pRefusal);
      return 0;
    }
  }
  // A save replaces what the plan shows: the code's own plan rows, and its
  // assignments of the courses it shows or showed (the rows it writes and
  // the plan rows it replaces). Rows under the codes below it, and an
  // assignment to a course of no plan row, are shown by no row and stay.
  QStringList courses;
  for (const QList<CWkjhRec>* list : {&rows, &stored.plan})
    for (const CWkjhRec& row : *list)
      if (!courses.contains(row.SBT))
        courses.append(row.SBT);
  if (writePlan && !deleteOwnRows("WKJH", *this, nullptr, pDb))
    return 0;
  if (writeAssignments && !deleteOwnRows("SBTTCHR", *this, &courses, pDb))
    return 0;
  for (CWkjhRec& row : rows) {
    row.Y = Y;
    row.QC = QC;
    row.T = T;
    row.STD = STD;
    if (writePlan && !row.InsertPlanRow(pDb))
      return 0;
    if (writeAssignments && !row.InsertAssignment(pDb))
      return 0;
  }
  if (writePlan && !writeAssignments) {
    // Each class of the grade gets one assignment per course of the grade:
    // its own first assignment of that course, or an empty one. The
    // class's earlier assignments of the courses the plan has or had are
    // replaced. A read that fails stops the save.
    CStd grade(pDb, STD);
    const int count = grade.Count(2, -1);
    QList<CStd> classes;
    if (count < 0 || grade.Select(&classes, 2, -1) != count)
      return 0;
    QList<CWkjhRec> plan = rows;
    for (CWkjhRec& row : plan) {
      row.TCHR.clear();
      row.PUBRM.clear();
      row.DS = 0;
    }
    for (const CStd& node : classes) {
      CWkjhRec child(Y, QC, T, node.KNO);
      QList<CWkjhRec> own;
      bool read = false;
      child.LoadAssignments(versionWhere(Y, QC, T, pDb) + KvFormat(" And STD='%s'", pDb->QuoteText(node.KNO)),
                            QString(), own, pDb, &read);
      if (!read || !deleteOwnRows("SBTTCHR", child, &courses, pDb))
        return 0;
      QList<CWkjhRec> joined = plan;
      child.JoinAssignments(joined, own);
      for (const CWkjhRec& row : joined)
        if (!row.InsertAssignment(pDb))
          return 0;
    }
  }
  KvPkPlanRead saved;
  if ((pRead && !LoadReplacedRows(saved, pDb)) || !trans.Commit())
    return 0;
  if (pRead)
    *pRead = saved;
  return 1;
}

bool CWkjhRec::DeletePlanRows(CKvDb* pDb) {
  return pDb->Execute(KvFormat("Delete From WKJH %s And STD Like '%s'", versionWhere(Y, QC, T, pDb),
                               KvLikePrefix(pDb, STD)));
}

bool CWkjhRec::DeleteAssignmentRows(CKvDb* pDb) {
  return pDb->Execute(KvFormat("Delete From SBTTCHR %s And STD Like '%s'", versionWhere(Y, QC, T, pDb),
                               KvLikePrefix(pDb, STD)));
}

bool CWkjhRec::DeleteClassRows(CKvDb* pDb, QString* pRefusal) {
  // Only the latest plan is deleted, as the window allows: checked again
  // under the locks after the operator's answer.
  KvDbTransaction trans(*pDb);
  if (!trans.IsActive() || !pDb->LockTable(QStringLiteral("WKJH")) || !pDb->LockTable(QStringLiteral("SBTTCHR")))
    return false;
  QString refusal;
  if (!isLatest(pDb, "非最后一次计划，不能删除！", &refusal)) {
    refuse(trans, refusal, pRefusal);
    return false;
  }
  if (!DeleteAssignmentRows(pDb))
    return false;
  if (STD.size() == CXxDataType::GradeCodeLen() && !DeletePlanRows(pDb))
    return false;
  return trans.Commit();
}

bool CWkjhRec::InsertPlanRow(CKvDb* pDb) const {
  return pDb->Execute(KvFormat("Insert Into WKJH(Y,QC,T,STD,SBT,NU,CN,CL,WTN0,WTN1,NT) "
                               "Values('%s','%d','%s','%s','%s',%d,%d,'%d','%s','%s','%s')",
                               pDb->QuoteText(Y, 4), QC, pDb->QuoteText(T, 8), pDb->QuoteText(STD, 15),
                               pDb->QuoteText(SBT, 4), NU, CN, CL, pDb->QuoteText(WTN0, 30),
                               pDb->QuoteText(WTN1, 30), pDb->QuoteText(NT, 60)));
}

bool CWkjhRec::InsertAssignment(CKvDb* pDb) const {
  return pDb->Execute(KvFormat("Insert Into SBTTCHR(Y,QC,T,STD,SBT,TCHR,PUBRM,DS) "
                               "Values('%s','%d','%s','%s','%s','%s','%s','%d')",
                               pDb->QuoteText(Y, 4), QC, pDb->QuoteText(T, 8), pDb->QuoteText(STD, 15),
                               pDb->QuoteText(SBT, 4), pDb->QuoteText(TCHR, 4), pDb->QuoteText(PUBRM, 3), DS));
}

int CWkjhRec::ListVersions(const QString& year, int term, QStringList& dates, CKvDb* pDb) {
  dates.clear();
  CKvQuery query(0, 0, 1, pDb);
  if (!query.Open(KvFormat("Select distinct rtrim(T) From WKJH Where Y='%s' And QC='%d' Order By rtrim(T)",
                           pDb->QuoteText(year), term)))
    return 0;
  for (; !query.IsEOF(); query.MoveNext())
    dates.append(query.GetText(0));
  return int(dates.size());
}

int CWkjhRec::ChangeVersionDate(const QString& year, int term, const QString& oldDate, const QString& newDate,
                                CKvDb* pDb, QString* pRefusal) {
  Clear();
  // The checks and the move under the locks of the three tables it moves:
  // a plan set up at another workstation meanwhile is seen.
  KvDbTransaction trans(*pDb);
  if (!trans.IsActive())
    return 0;
  for (const char* table : {"WKJH", "SBTTCHR", "PK"})
    if (!pDb->LockTable(QString::fromLatin1(table)))
      return 0;
  const int found = GetLatest(pDb);
  if (found < 0)
    return 0;
  if (found > 0 && T != oldDate) {
    refuse(trans, QStringLiteral("非最后一次计划，不能修改计划执行时间！"), pRefusal);
    return 0;
  }
  QString later;
  if (!KvSchoolText(pDb,
                    KvFormat("Select max(rtrim(T)) From WKJH Where T<>'%s' And T>='%s'", pDb->QuoteText(oldDate),
                             pDb->QuoteText(newDate)),
                    QString(), &later))
    return 0;
  if (!later.trimmed().isEmpty()) {
    refuse(trans, QStringLiteral("修改的时间应晚于上一个计划的执行时间！"), pRefusal);
    return 0;
  }
  for (const char* table : {"WKJH", "SBTTCHR", "PK"}) {
    if (!pDb->Execute(KvFormat("Update %s Set T='%s' Where Y='%s' And QC='%d' And T='%s'", table,
                               pDb->QuoteText(newDate, 8), pDb->QuoteText(year), term, pDb->QuoteText(oldDate))))
      return 0;
  }
  return trans.Commit() ? 1 : 0;
}

int CWkjhRec::DeleteVersion(const QString& year, int term, const QString& date, CKvDb* pDb) {
  KvDbTransaction trans(*pDb);
  if (!trans.IsActive())
    return 0;
  for (const char* table : {"WKJH", "SBTTCHR", "PK"}) {
    if (!pDb->Execute(KvFormat("Delete From %s %s", table, versionWhere(year, term, date, pDb))))
      return 0;
  }
  return trans.Commit() ? 1 : 0;
}
