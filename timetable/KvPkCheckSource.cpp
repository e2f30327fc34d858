#include "timetable/KvPkCheckSource.h"

#include "school/CStd.h"
#include "timetable/CPkGrid.h"
#include "timetable/CPubRmTable.h"
#include "timetable/CSbtTable.h"
#include "timetable/CTchrTable.h"

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
  CStd node(m_pDb, code);
  return node.Load(0, -1) > 0 ? node.NA : QString();
}

bool KvPkDbCheckSource::LoadBusy(CPkGrid& busy, const QString& exceptClass, const CWktRec& schedule) {
  bool read = false;
  busy.LoadBusy(exceptClass, schedule, m_pDb, &read);
  return read;
}
