// The save of an arrange run: every class checked first, then one write.

#include "app/CKvApp.h"
#include "app/CKvOperation.h"
#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "school/CStd.h"
#include "timetable/CPkArranger.h"
#include "timetable/CPkGrid.h"
#include "timetable/CWkjhRec.h"
#include "timetable/CWktRec.h"
#include "timetable/KvPkCheckSource.h"
#include "timetable/KvPkDocSupport.h"
#include "timetable/KvPkLessonInsert.h"

#include <QSet>
#include <utility>

namespace {
// The checker's view while the run saves: the catalogue and classes the run
// loaded, the stored lessons outside the selection and the classes accepted
// so far, as the data will stand once they are written.
class KvPkRunCheckSource : public KvPkCheckSource {
 public:
  KvPkRunCheckSource(CKvDb* pDb, const KvPkCatalogue& catalogue, const QList<KvPkClass>& classes,
                     const QList<KvPkStoredLesson>& stored)
      : m_pDb(pDb), m_catalogue(catalogue) {
    for (const KvPkClass& c : classes)
      m_classNames.insert(c.code, c.name);
    for (const KvPkStoredLesson& lesson : stored)
      Add(lesson);
  }

  bool FindCourse(const QString& code, CSbtRec& rec) override {
    const int i = m_catalogue.courseIndex.value(code, -1);
    if (i < 0)
      return false;
    rec = m_catalogue.courses[i];
    return true;
  }
  QString TeacherName(const QString& code) override {
    const int i = m_catalogue.teacherIndex.value(code, -1);
    return i < 0 ? QString() : m_catalogue.teacherNames[i];
  }
  QString RoomName(const QString& code) override {
    const int i = m_catalogue.roomIndex.value(code, -1);
    return i < 0 ? QString() : m_catalogue.roomNames[i];
  }
  QString ClassName(const QString& code) override {
    // A class outside the run is read only for a message.
    auto found = m_classNames.constFind(code);
    if (found == m_classNames.constEnd()) {
      CStd node(m_pDb, code);
      found = m_classNames.insert(code, node.Load(0, -1) > 0 ? node.NA : QString());
    }
    return *found;
  }
  bool LoadBusy(const CPkGrid& version, const QString& teacher, const QString& room, const QString& exceptClass,
                const CWktRec& schedule, QList<KvPkStoredLesson>& lessons) override {
    (void)version, (void)schedule;
    lessons = teacher.isEmpty() ? m_byRoom.value(room) : m_byTeacher.value(teacher);
    if (!exceptClass.isEmpty())
      lessons.removeIf([&](const KvPkStoredLesson& lesson) { return lesson.classCode.startsWith(exceptClass); });
    return true;
  }

  // The run has one schedule: the mask of each pair of time texts is built
  // once and serves every row that has them.
  QString TimeMask(const CWkjhRec& row, const CWktRec& schedule, CWktRec& mask) override {
    const std::pair<QString, QString> key(row.WTN0, row.WTN1);
    auto found = m_masks.constFind(key);
    if (found == m_masks.constEnd()) {
      std::pair<CWktRec, QString> built;
      built.second = KvPkCheckSource::TimeMask(row, schedule, built.first);
      found = m_masks.insert(key, built);
    }
    mask = found->first;
    return found->second;
  }

  // The class's lessons count as stored from now on.
  void Accept(const CPkGrid& grid) {
    for (int k = 0; k < CPkGrid::kKinds; ++k)
      for (int d = 0; d < 7; ++d)
        for (int s = 0; s < 4; ++s) {
          const int i = CPkGrid::ArrayIndex(k, d, s);
          for (qsizetype p = 0; p < grid.CourseCells[i].size(); ++p) {
            if (grid.CourseCells[i][p].isEmpty())
              continue;
            Add({grid.STD, grid.CourseCells[i][p], grid.TeacherCells[i][p], grid.RoomCells[i][p], k, d, s,
                 int(p)});
          }
        }
  }

 private:
  void Add(const KvPkStoredLesson& lesson) {
    if (!lesson.teacher.isEmpty())
      m_byTeacher[lesson.teacher].append(lesson);
    if (!lesson.room.isEmpty())
      m_byRoom[lesson.room].append(lesson);
  }

  CKvDb* m_pDb;
  const KvPkCatalogue& m_catalogue;
  QHash<QString, QString> m_classNames;
  QHash<QString, QList<KvPkStoredLesson>> m_byTeacher;
  QHash<QString, QList<KvPkStoredLesson>> m_byRoom;
  QHash<std::pair<QString, QString>, std::pair<CWktRec, QString>> m_masks;  // by the time texts
};
}  // namespace

bool CPkArranger::SaveResult() {
  m_classesSaved = 0;
  // Every check and its question come first, so none waits inside the
  // transaction. A class that is refused loses its stored rows all the same.
  KvPkRunCheckSource source(m_pDb, m_catalogue, m_classes, m_stored);
  QList<CPkGrid> accepted;
  QList<int> acceptedClasses;
  accepted.reserve(m_classes.size());
  for (int c = 0; c < m_classes.size(); ++c) {
    CPkGrid grid = GetClassGrid(c);
    if (!grid.CheckAgainstPlan(m_schedule, m_classes[c].checkRows, source))
      continue;
    source.Accept(grid);
    accepted.append(std::move(grid));
    acceptedClasses.append(c);
  }

  KvDbTransaction trans(*m_pDb);
  if (!trans.IsActive() || !CWkjhRec::LockPlanAndTimetable(m_pDb))
    return false;
  // A later plan version set up while the questions were open makes this
  // one history: its lessons would be stored where every window opens them
  // read-only. Asked before the shortcut on the data file's change mark:
  // a version set up before the run's first read leaves the mark unmoved.
  if (!KvPkStillLatestPlan(m_year, m_term, m_date, m_pDb, trans, "非最后一次计划，不能保存！"))
    return false;
  // A class deleted or given another code meanwhile would leave its
  // lessons under a code no class has. The tree's delete and recode lock
  // the timetable too: one in flight has been waited for and is seen here,
  // a later one sees these lessons.
  QString gone;
  if (!FindClassGone(acceptedClasses, &gone))
    return false;
  if (!gone.isEmpty()) {
    trans.Rollback();
    KvMessageBox(KvFormat("“%s”已不存在，请重新排课！", gone), KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  // On a data file whose mark has not moved since the run's first read
  // nothing has been written to it since: the plan rows, the schedule and
  // the stored lessons are those the run loaded and checked against.
  if (!m_loadMark.isEmpty() && m_pDb->GetDataChangeMark() == m_loadMark)
    return StoreAccepted(trans, accepted);
  // The lessons take their teachers and rooms from the plans the run
  // loaded and their periods from its schedule: under the locks on the
  // plan and the timetable, taken once, the plan rows are read again in one
  // pass, and an accepted class whose plan another window or workstation
  // changed meanwhile refuses the save, as does a changed schedule.
  KvPkPlanRead planNow;
  if (!ReadPlanRows(planNow))
    return false;
  const int scheduleSame = m_schedule.StoredAsLoaded(m_pDb);
  if (scheduleSame < 0)
    return false;
  if (scheduleSame == 0) {
    trans.Rollback();
    KvMessageBox(QStringLiteral("作息时间表已被其他窗口或工作站修改，请重新排课！"), KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  // The rows as the run read them give the plans it loaded; only rows
  // changed since need the plans built again.
  if (planNow != m_planRead) {
    const QList<QList<CWkjhRec>> plansNow = ClassPlans(planNow);
    for (const int c : acceptedClasses) {
      if (plansNow[c] == m_classes[c].checkRows)
        continue;
      trans.Rollback();
      KvMessageBox(KvFormat("%s的教学计划已被其他窗口或工作站修改，请重新排课！", m_classes[c].name),
                   KV_MB_OK | KV_MB_ICONSTOP);
      return false;
    }
  }
  // While the questions were open another workstation may have stored
  // lessons outside the selection: when the lessons stored now are not
  // those the classes were checked against, the accepted classes are
  // checked again against them. A class that no longer passes saves
  // nothing; its refusal is shown once the lock is let go.
  QList<KvPkStoredLesson> storedNow;
  if (!LoadStoredLessons(storedNow))
    return false;
  if (storedNow != m_stored) {
    KvPkRunCheckSource now(m_pDb, m_catalogue, m_classes, storedNow);
    for (qsizetype i = 0; i < accepted.size(); ++i) {
      QString refusal;
      if (!accepted[i].CheckAgainstPlan(m_schedule, m_classes[acceptedClasses[i]].checkRows, now, &refusal)) {
        trans.Rollback();
        if (!refusal.isEmpty())
          KvMessageBox(refusal, KV_MB_OK | KV_MB_ICONSTOP);
        return false;
      }
      now.Accept(accepted[i]);
    }
  }
  return StoreAccepted(trans, accepted);
}

bool CPkArranger::FindClassGone(const QList<int>& classes, QString* gone) {
  gone->clear();
  if (classes.isEmpty())
    return true;
  QStringList codes;
  for (const int c : classes)
    codes.append(KvFormat("'%s'", m_pDb->QuoteText(m_classes[c].code)));
  CKvQuery query(0, 0, 1, m_pDb);
  if (!query.Open(KvFormat("Select rtrim(KNO) From STD Where KNO In (%s)", codes.join(u','))))
    return false;
  QSet<QString> stored;
  for (; !query.IsEOF(); query.MoveNext())
    stored.insert(query.GetText(0));
  for (const int c : classes)
    if (!stored.contains(m_classes[c].code)) {
      *gone = m_classes[c].code;
      break;
    }
  return true;
}

bool CPkArranger::StoreAccepted(KvDbTransaction& trans, const QList<CPkGrid>& accepted) {
  CPkGrid selection(m_year, m_term, m_date, m_selection);
  if (!selection.DeleteVersionRows(m_pDb))
    return false;
  // One prepared insert serves every lesson of the run.
  KvPkLessonInsert insert(m_pDb);
  for (const CPkGrid& grid : accepted)
    if (!insert.Insert(grid))
      return false;
  // The log entry goes with the rows, on the same connection, whether or
  // not a class was accepted: the selection's stored rows were deleted.
  CKvApp* app = KvGetApp();
  if (app && app->GetDataFile().IsLogOn() &&
      !CKvOperation::InsertLogRow(
          app->GetTask().nTask, CKvOperation::OperatorLabel(), CKvOperation::NowText(), 19 * 100 + 4,
          KvFormat("保存<%s>%s年%s季学期(%s)课表", m_selection, m_year, m_term == 0 ? "春" : "秋", m_date), m_pDb))
    return false;
  if (!trans.Commit())
    return false;
  m_classesSaved = int(accepted.size());
  return true;
}
