#include "timetable/KvPkCheckSource.h"

#include "core/CKvQuery.h"
#include "core/KvFormat.h"
#include "school/CStd.h"
#include "school/CXxDataType.h"
#include "timetable/CPkGrid.h"
#include "timetable/CPubRmTable.h"
#include "timetable/CSbtTable.h"
#include "timetable/CTchrTable.h"
#include "timetable/CWkjhRec.h"
#include "timetable/CWktRec.h"

QString KvPkCheckSource::TimeMask(const CWkjhRec& row, const CWktRec& schedule, CWktRec& mask) {
  const int periods[CWktRec::kSegments] = {schedule.PeriodCount(0), schedule.PeriodCount(1), schedule.PeriodCount(2),
                                           schedule.PeriodCount(3)};
  mask.SetPeriodCounts(periods);
  const QString error = row.BuildTimeMask(mask);
  if (error.isEmpty())
    mask.IntersectFlags(schedule);
  return error;
}

bool KvPkDbCheckSource::FindCourse(const QString& code, CSbtRec& rec) {
  return CSbtTable::LoadByCode(rec, code, m_pDb) > 0;
}

QString KvPkDbCheckSource::TeacherName(const QString& code) {
  CTchrRec rec;
  CTchrTable::LoadByCode(rec, code, m_pDb);
  return rec.NA;
}

QString KvPkDbCheckSource::RoomName(const QString& code) {
  CPubRmRec rec;
  CPubRmTable::LoadByCode(rec, code, m_pDb);
  return rec.NA;
}

QString KvPkDbCheckSource::ClassName(const QString& code) {
  QString name;
  FindClass(code, &name);
  return name;
}

bool KvPkDbCheckSource::FindClass(const QString& code, QString* name) {
  CStd node(m_pDb, code);
  if (node.Load(0, -1) <= 0)
    return false;
  *name = node.NA;
  return true;
}

bool KvPkDbCheckSource::LoadBusy(const CPkGrid& version, const QString& teacher, const QString& room,
                                 const QString& exceptClass, const CWktRec& schedule,
                                 QList<KvPkStoredLesson>& lessons) {
  lessons.clear();
  CPkGrid busy(version.Y, version.QC, version.T, QString(), QString(), teacher, teacher.isEmpty() ? room : QString());
  bool read = true;
  busy.LoadBusy(exceptClass, schedule, m_pDb, &read);
  for (int k = 0; k < CPkGrid::kKinds; ++k)
    for (int d = 0; d < 7; ++d)
      for (int s = 0; s < 4; ++s) {
        const int i = CPkGrid::ArrayIndex(k, d, s);
        for (qsizetype p = 0; p < busy.ClassCells[i].size(); ++p)
          if (!busy.ClassCells[i][p].isEmpty())
            lessons.append({busy.ClassCells[i][p], busy.CourseCells[i][p], busy.TeacherCells[i][p],
                            busy.RoomCells[i][p], k, d, s, int(p)});
      }
  return read;
}

bool KvPkLoadedCheckSource::Load() {
  m_courses.clear();
  m_classes.clear();
  m_nodes.clear();
  QList<CSbtRec> courses;
  bool read = false;
  CSbtTable::LoadAll(courses, m_pDb, &read);
  if (!read)
    return false;
  for (const CSbtRec& rec : courses)
    m_courses.insert(rec.KNO, rec);
  // Classes, grades and units: the codes a teacher's or room's cell names.
  // Only the code and name of each are read.
  CKvQuery nodes(0, 0, 2, m_pDb);
  if (!nodes.Open(KvFormat("Select rtrim(KNO),rtrim(NA) From STD Where Len(rtrim(KNO))<=%d Order By KNO",
                           CXxDataType::ClassCodeLen())))
    return false;
  for (; !nodes.IsEOF(); nodes.MoveNext()) {
    m_nodes.append({nodes.GetText(0), nodes.GetText(1)});
    m_classes.insert(m_nodes.last().first, m_nodes.last().second);
  }
  return true;
}

bool KvPkLoadedCheckSource::FindCourse(const QString& code, CSbtRec& rec) {
  const auto found = m_courses.constFind(code);
  if (found == m_courses.constEnd())
    return false;
  rec = *found;
  return true;
}

QString KvPkLoadedCheckSource::ClassName(const QString& code) { return m_classes.value(code); }

bool KvPkLoadedCheckSource::NodePath(const QString& code, QString* path) const {
  const auto self = m_classes.constFind(code);
  if (self == m_classes.constEnd())
    return false;
  const QStringList codes = CStd::SplitAncestors(code);
  QStringList names;
  for (qsizetype i = 0; i + 1 < codes.size(); ++i)
    names.append(m_classes.value(codes.at(i), codes.at(i)));
  names.append(*self);
  *path = names.join(u'/');
  return true;
}

bool KvPkLoadedCheckSource::FindClass(const QString& code, QString* name) {
  const auto found = m_classes.constFind(code);
  if (found == m_classes.constEnd())
    return false;
  *name = *found;
  return true;
}
