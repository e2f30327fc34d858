// Everything an arrange run reads, read once before placing.

#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvFormat.h"
#include "core/KvNumber.h"
#include "school/CStd.h"
#include "school/CXxDataType.h"
#include "school/KvSchoolSql.h"
#include "timetable/CPkArranger.h"
#include "timetable/CPubRmTable.h"
#include "timetable/CSbtTable.h"
#include "timetable/CTchrTable.h"

#include <algorithm>

void KvPkWeekShape::From(const CWktRec& schedule) {
  perDay = 0;
  for (int s = 0; s < 4; ++s) {
    counts[s] = schedule.PeriodCount(s);
    offsets[s] = perDay;
    perDay += counts[s];
  }
}

KvPkBits KvPkWeekShape::Bits(const CWktRec& mask) const {
  KvPkBits bits(Slots());
  for (int d = 0; d < 7; ++d)
    for (int s = 0; s < 4; ++s) {
      const QList<unsigned>& flags = mask.SBT[d][s];
      for (int p = 0; p < counts[s] && p < flags.size(); ++p)
        if (flags[p])
          bits.Set(Slot(d, s, p));
    }
  return bits;
}

bool CPkArranger::Load() {
  m_classes.clear();
  m_stored.clear();
  m_shortRows.clear();
  m_planned = m_placed = m_classesSaved = 0;
  m_schedule = CWktRec();
  // Before the first read: a write after it moves the mark.
  m_loadMark = m_pDb->GetDataChangeMark();
  if (!m_schedule.LoadForTimetable(m_year, m_term, false, false, m_pDb))
    return false;
  m_blankGrid = CPkGrid(m_year, m_term, m_date);
  m_blankGrid.SetSizes(m_schedule);
  m_shape.From(m_schedule);
  m_slots = m_shape.Slots();
  m_scheduleBits = m_shape.Bits(m_schedule);
  // A read that fails (the connection has shown it) is no empty table: the
  // run stops before anything is placed, stored or logged.
  if (!LoadCatalogue() || !LoadClasses() || !LoadPlans() || !LoadStoredLessons(m_stored))
    return false;
  BuildStoredBusy();
  ResetRun();
  return true;
}

bool CPkArranger::LoadCatalogue() {
  m_catalogue = KvPkCatalogue();
  bool read = false;
  CSbtTable::LoadAll(m_catalogue.courses, m_pDb, &read);
  if (!read)
    return false;
  for (int i = 0; i < m_catalogue.courses.size(); ++i)
    if (!m_catalogue.courseIndex.contains(m_catalogue.courses[i].KNO))
      m_catalogue.courseIndex.insert(m_catalogue.courses[i].KNO, i);
  QList<CTchrRec> teachers;
  CTchrTable::LoadAll(teachers, m_pDb, &read);
  if (!read)
    return false;
  for (const CTchrRec& t : teachers) {
    if (m_catalogue.teacherIndex.contains(t.KNO))
      continue;
    m_catalogue.teacherIndex.insert(t.KNO, int(m_catalogue.teacherCodes.size()));
    m_catalogue.teacherCodes.append(t.KNO);
    m_catalogue.teacherNames.append(t.NA);
  }
  QList<CPubRmRec> rooms;
  CPubRmTable::LoadAll(rooms, m_pDb, &read);
  if (!read)
    return false;
  for (const CPubRmRec& r : rooms) {
    if (m_catalogue.roomIndex.contains(r.KNO))
      continue;
    m_catalogue.roomIndex.insert(r.KNO, int(m_catalogue.roomCodes.size()));
    m_catalogue.roomCodes.append(r.KNO);
    m_catalogue.roomNames.append(r.NA);
  }
  return true;
}

bool CPkArranger::LoadClasses() {
  QString where = KvFormat("Where Len(rtrim(KNO))=%d", CXxDataType::ClassCodeLen());
  if (!m_selection.isEmpty())
    where += KvFormat(" And KNO Like '%s'", KvLikePrefix(m_pDb, m_selection));
  QList<CStd> nodes;
  if (CStd(m_pDb, m_selection).Select(&nodes, 1, -1, where) < 0)
    return false;
  for (const CStd& node : nodes) {
    KvPkClass c;
    c.code = node.KNO;
    c.name = node.NA;
    m_classes.append(c);
  }
  return true;
}

bool CPkArranger::ReadPlanRows(KvPkPlanRead& read) {
  const QString version = KvFormat("Where Y='%s' And QC='%d' And T='%s'", m_pDb->QuoteText(m_year), m_term,
                                   m_pDb->QuoteText(m_date));
  bool ok = false;
  CWkjhRec(m_year, m_term, m_date).LoadPlanRows(version, QStringLiteral("Order By STD,SBT"), read.plan, m_pDb, &ok);
  if (!ok)
    return false;
  QString assignmentWhere = version;
  if (!m_selection.isEmpty())
    assignmentWhere += KvFormat(" And STD Like '%s'", KvLikePrefix(m_pDb, m_selection));
  CWkjhRec(m_year, m_term, m_date)
      .LoadAssignments(assignmentWhere, QStringLiteral("Order By STD,SBT,TCHR,PUBRM,DS"), read.assignments, m_pDb,
                       &ok);
  return ok;
}

QList<QList<CWkjhRec>> CPkArranger::ClassPlans(const KvPkPlanRead& read) const {
  QHash<QString, QList<CWkjhRec>> byGrade;
  for (const CWkjhRec& row : read.plan)
    byGrade[row.STD].append(row);
  QHash<QString, QList<CWkjhRec>> byClass;
  for (const CWkjhRec& row : read.assignments)
    byClass[row.STD].append(row);

  QList<QList<CWkjhRec>> plans;
  const int gradeLength = CXxDataType::GradeCodeLen();
  for (const KvPkClass& c : m_classes) {
    const CWkjhRec classKey(m_year, m_term, m_date, c.code);
    // As the class plan reads: the grade's rows in course order, taken
    // over by the class, with its teacher, room and week kind (classes of
    // a run have the class-code length, so assignments always join).
    QList<CWkjhRec> rows = byGrade.value(c.code.left(gradeLength));
    for (CWkjhRec& row : rows) {
      row.PUBRM = classKey.PUBRM;
      row.DS = classKey.DS;
    }
    classKey.JoinAssignments(rows, byClass.value(c.code));
    plans.append(rows);
  }
  return plans;
}

bool CPkArranger::LoadPlans() {
  if (!ReadPlanRows(m_planRead))
    return false;
  const QList<QList<CWkjhRec>> plans = ClassPlans(m_planRead);
  QHash<QString, std::pair<KvPkBits, QString>> masks;  // by the two time texts
  for (qsizetype ci = 0; ci < m_classes.size(); ++ci) {
    KvPkClass& c = m_classes[ci];
    c.checkRows = plans[ci];
    const QList<CWkjhRec>& rows = c.checkRows;
    for (int i = 0; i < rows.size(); ++i) {
      KvPkPlanRow plan;
      plan.rec = rows[i];
      plan.loadIndex = i;
      plan.course = m_catalogue.courseIndex.value(plan.rec.SBT, -1);
      if (!plan.rec.TCHR.isEmpty()) {
        plan.teacher = m_catalogue.teacherIndex.value(plan.rec.TCHR, -1);
        plan.unknownTeacher = plan.teacher < 0;
      }
      if (!plan.rec.PUBRM.isEmpty()) {
        plan.room = m_catalogue.roomIndex.value(plan.rec.PUBRM, -1);
        plan.unknownRoom = plan.room < 0;
      }
      const QString key = plan.rec.WTN0 + u'\x01' + plan.rec.WTN1;
      auto found = masks.constFind(key);
      if (found == masks.constEnd()) {
        CWktRec mask = m_schedule;
        QString error = plan.rec.BuildTimeMask(mask);
        KvPkBits bits;
        if (error.isEmpty())
          bits = m_shape.Bits(mask.IntersectFlags(m_schedule));
        found = masks.insert(key, {bits, error});
      }
      plan.timeMask = found->first;
      plan.timeError = found->second;
      c.rows.append(plan);
      m_planned += qMax(0, plan.rec.NU);
    }
    std::stable_sort(c.rows.begin(), c.rows.end(), [](const KvPkPlanRow& a, const KvPkPlanRow& b) {
      if (a.rec.CL != b.rec.CL)
        return a.rec.CL < b.rec.CL;
      if (a.rec.CN != b.rec.CN)
        return a.rec.CN > b.rec.CN;
      if (a.rec.NU != b.rec.NU)
        return a.rec.NU > b.rec.NU;
      return a.rec.SBT < b.rec.SBT;
    });
    for (int i = 0; i < c.rows.size(); ++i) {
      const KvPkPlanRow& plan = c.rows[i];
      if (plan.course < 0)
        continue;
      const auto it = c.rowOfCourse.constFind(plan.course);
      if (it == c.rowOfCourse.constEnd() || c.rows[*it].loadIndex > plan.loadIndex)
        c.rowOfCourse.insert(plan.course, i);
    }
  }
  return true;
}

bool CPkArranger::LoadStoredLessons(QList<KvPkStoredLesson>& lessons) {
  lessons.clear();
  // With an empty selection every stored lesson of the version is replaced,
  // so none of them is busy.
  if (m_selection.isEmpty())
    return true;
  CKvQuery query(0, 0, 8, m_pDb);
  if (!query.Open(KvFormat("Select rtrim(STD),rtrim(WK),rtrim(DT),rtrim(DN),rtrim(DS),"
                           "rtrim(SBT),rtrim(TCHR),rtrim(PUBRM) From PK Where Y='%s' And QC='%d' And T='%s'"
                           " And STD Not Like '%s' Order By STD,WK,DT,DN,DS",
                           m_pDb->QuoteText(m_year), m_term, m_pDb->QuoteText(m_date),
                           KvLikePrefix(m_pDb, m_selection))))
    return false;
  for (; !query.IsEOF(); query.MoveNext()) {
    KvPkStoredLesson lesson;
    lesson.day = KvStrToInt(query.GetText(1), -1);
    const QString& dt = query.GetText(2);
    lesson.s = dt.size() == 1 && dt[0] >= u'A' && dt[0] <= u'D' ? dt[0].unicode() - u'A' : -1;
    lesson.kind = KvStrToInt(query.GetText(4), -1);
    if (lesson.day < 0 || lesson.day > 6 || lesson.s < 0 || lesson.kind < 0 || lesson.kind > 2)
      continue;
    lesson.p = KvStrToInt(query.GetText(3)) - 1;
    if (lesson.p < 0 || lesson.p >= m_shape.counts[lesson.s])
      continue;
    lesson.classCode = query.GetText(0);
    lesson.course = query.GetText(5);
    lesson.teacher = query.GetText(6);
    lesson.room = query.GetText(7);
    lessons.append(lesson);
  }
  return true;
}

void CPkArranger::ResetRun() {
  const size_t classes = size_t(m_classes.size());
  const size_t teachers = size_t(m_catalogue.teacherCodes.size());
  const size_t rooms = size_t(m_catalogue.roomCodes.size());
  m_cells.assign(classes * 3 * size_t(m_slots), Cell());
  m_classOcc.assign(classes * 3, KvPkBits(m_slots));
  m_teacherRun.assign(teachers * 3, KvPkBits(m_slots));
  m_teacherCount.assign(teachers * 3 * size_t(m_slots), 0);
  m_roomRun.assign(rooms * 3, KvPkBits(m_slots));
  m_roomCount.assign(rooms * 3 * size_t(m_slots), 0);
  m_shortRows.clear();
  m_placed = 0;
}

void CPkArranger::BuildStoredBusy() {
  const size_t teachers = size_t(m_catalogue.teacherCodes.size());
  const size_t rooms = size_t(m_catalogue.roomCodes.size());
  // A stored cell holds a lesson when its course is set.
  m_teacherStored.assign(teachers * 3, KvPkBits(m_slots));
  m_roomStored.assign(rooms * 3, KvPkBits(m_slots));
  for (const KvPkStoredLesson& lesson : m_stored) {
    if (lesson.course.isEmpty())
      continue;
    const int slot = m_shape.Slot(lesson.day, lesson.s, lesson.p);
    if (!lesson.teacher.isEmpty()) {
      const int t = m_catalogue.teacherIndex.value(lesson.teacher, -1);
      if (t >= 0)
        m_teacherStored[size_t(t) * 3 + lesson.kind].Set(slot);
    }
    if (!lesson.room.isEmpty()) {
      const int r = m_catalogue.roomIndex.value(lesson.room, -1);
      if (r >= 0)
        m_roomStored[size_t(r) * 3 + lesson.kind].Set(slot);
    }
  }
}
