// The check a class timetable passes before it is stored.

#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "timetable/CPkGrid.h"
#include "timetable/CSbtRec.h"
#include "timetable/CWkjhRec.h"
#include "timetable/CWktRec.h"
#include "timetable/KvPkCheckSource.h"

#include <QHash>

#include <array>

namespace {
// Week kinds overlap when either is every week or both are the same.
bool kindsOverlap(int a, int b) { return a == 0 || b == 0 || a == b; }

// The first period (by day, segment, period, then the class's week kind and
// the other's) where the class has `key` (a teacher or a room, by `cells`)
// while another class has it in an overlapping week kind; false when there
// is none.
bool findClash(const CPkGrid& grid, const QStringList* cells, const QList<KvPkStoredLesson>& busy,
               const QString& key, int* pDay, int* pSeg, int* pPeriod, QString* otherClass) {
  std::array<int, 5> first{};
  bool found = false;
  for (const KvPkStoredLesson& lesson : busy) {
    if (lesson.classCode == grid.STD)
      continue;
    for (int k = 0; k < CPkGrid::kKinds; ++k) {
      if (!kindsOverlap(k, lesson.kind) || cells[CPkGrid::ArrayIndex(k, lesson.day, lesson.s)].value(lesson.p) != key)
        continue;
      const std::array<int, 5> at{lesson.day, lesson.s, lesson.p, k, lesson.kind};
      if (!found || at < first) {
        first = at;
        *otherClass = lesson.classCode;
        found = true;
      }
    }
  }
  *pDay = first[0];
  *pSeg = first[1];
  *pPeriod = first[2];
  return found;
}
}  // namespace

bool CPkGrid::CheckAgainstPlan(const CWktRec& schedule, const QList<CWkjhRec>& rows, CKvDb* pDb) const {
  KvPkDbCheckSource source(pDb);
  return CheckAgainstPlan(schedule, rows, source);
}

bool CPkGrid::CheckAgainstPlan(const CWktRec& schedule, const QList<CWkjhRec>& rows, KvPkCheckSource& source,
                               QString* refusal) const {
  // A refusal is shown, or handed back when the caller shows it itself.
  const auto stop = [refusal](const QString& text) {
    if (refusal)
      *refusal = text;
    else
      KvMessageBox(text, KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  };
  // The periods of each course per week kind, in the order of day, segment
  // and period, gathered in the one pass over the cells (within the periods
  // of the schedule's shape, as OccupiedMask counts them).
  int counts[4];
  GetPeriodCounts(counts);
  QHash<QString, QList<std::array<int, 3>>> placedAt[kKinds];

  // Every lesson belongs to the plan with its week kind; an every-week
  // lesson has its period to itself.
  for (int d = 0; d < 7; ++d)
    for (int s = 0; s < 4; ++s) {
      const qsizetype n = CourseCells[ArrayIndex(0, d, s)].size();
      for (qsizetype p = 0; p < n; ++p) {
        auto label = [&] { return schedule.GetPeriodLabel(d, s, int(p)); };
        for (int k = 0; k < kKinds; ++k) {
          const QString& course = CourseCells[ArrayIndex(k, d, s)].value(p);
          if (course.isEmpty())
            continue;
          if (p < counts[s])
            placedAt[k][course].append({d, s, int(p)});
          const CWkjhRec* row = CWkjhRec::FindPlanRow(course, rows);
          if (!row)
            return stop(KvFormat("%s<%s>课程不存在、或不是本班计划内课程！", label(), course));
          if (row->DS != k) {
            CSbtRec rec;
            source.FindCourse(course, rec);
            return stop(KvFormat("%s<%s>单双周排课要求与计划不一致！", label(), rec.NA));
          }
        }
        const QString& everyWeek = CourseCells[ArrayIndex(0, d, s)].value(p);
        if (!everyWeek.isEmpty() && (!CourseCells[ArrayIndex(1, d, s)].value(p).isEmpty() ||
                                     !CourseCells[ArrayIndex(2, d, s)].value(p).isEmpty())) {
          CSbtRec rec;
          source.FindCourse(everyWeek, rec);
          return stop(KvFormat("%s<%s>不符合单双周排课要求！", label(), rec.NA));
        }
      }
    }

  QString wrongCounts;
  // The time mask serves every row in turn, keeping its room.
  CWktRec timeMask;
  for (const CWkjhRec& row : rows) {
    CSbtRec course;
    if (!source.FindCourse(row.SBT, course))
      return stop(KvFormat("在计划中的课程<%s>不存在！", row.SBT));
    const QList<std::array<int, 3>> placedPeriods =
        row.DS >= 0 && row.DS < kKinds ? placedAt[row.DS].value(row.SBT) : QList<std::array<int, 3>>();
    const int placed = int(placedPeriods.size());
    if (placed != row.NU)
      wrongCounts += KvFormat("\n%s ---> 应排：%d节 --- 已排：%d节", course.NA, row.NU, placed);

    // Without fixed or barred times a row may lie wherever the schedule
    // allows lessons.
    const CWktRec* allowed = &schedule;
    if (!row.WTN0.isEmpty() || !row.WTN1.isEmpty()) {
      const QString error = source.TimeMask(row, schedule, timeMask);
      if (!error.isEmpty())
        return stop(KvFormat("<%s>的%s！", course.NA, error));
      allowed = &timeMask;
    }
    QString outside;
    for (const auto& [d, s, p] : placedPeriods) {
      const QList<unsigned>& ok = allowed->SBT[d][s];
      if (!(p < ok.size() && ok[p]))
        outside += KvFormat("\n%s", schedule.GetPeriodLabel(d, s, p));
    }
    if (!outside.isEmpty())
      return stop(KvFormat("<%s>不能排在下列位置：%s！", course.NA, outside));

    int d = 0, s = 0, p = 0;
    QString other;
    QList<KvPkStoredLesson> busy;
    if (!row.TCHR.isEmpty()) {
      if (!source.LoadBusy(*this, row.TCHR, QString(), STD, schedule, busy))
        return false;
      if (findClash(*this, TeacherCells, busy, row.TCHR, &d, &s, &p, &other))
        return stop(KvFormat("<%s>不能排在：%s！任课教师%s此时在<(%s)%s>有课", course.NA,
                             schedule.GetPeriodLabel(d, s, p), source.TeacherName(row.TCHR), other,
                             source.ClassName(other)));
    }
    if (!row.PUBRM.isEmpty()) {
      if (!source.LoadBusy(*this, QString(), row.PUBRM, STD, schedule, busy))
        return false;
      if (findClash(*this, RoomCells, busy, row.PUBRM, &d, &s, &p, &other))
        return stop(KvFormat("<%s>不能排在：%s！公用教室<%s>此时<(%s)%s>有课", course.NA,
                             schedule.GetPeriodLabel(d, s, p), source.RoomName(row.PUBRM), other,
                             source.ClassName(other)));
    }
  }

  // The counts were put to the operator already when the check is run again.
  if (wrongCounts.isEmpty() || refusal)
    return true;
  const QString question = KvFormat("(%s)%s下列课程排课数与计划不符：%s\n保存吗？", STD,
                                    source.ClassName(STD), wrongCounts);
  return KvMessageBox(question, KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) == KV_IDYES;
}
