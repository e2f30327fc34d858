#include "timetable/CPkArranger.h"

#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "timetable/CPkGrid.h"

namespace {
bool stop(const QString& text) {
  KvMessageBox(text, KV_MB_OK | KV_MB_ICONSTOP);
  return false;
}

// The order in which the block pass visits the days, from the teacher's
// last busy day.
void dayOrderAfter(int sel, int order[7]) {
  switch (sel) {
    case 1: SetDayOrder(order, 2, 4, 6, 0, 1, 3, 5); break;
    case 2: SetDayOrder(order, 3, 5, 1, 0, 2, 4, 6); break;
    case 3: SetDayOrder(order, 4, 6, 0, 2, 1, 3, 5); break;
    case 4: SetDayOrder(order, 5, 1, 3, 0, 2, 4, 6); break;
    case 5: SetDayOrder(order, 6, 0, 2, 4, 1, 3, 5); break;
    case 6: SetDayOrder(order, 1, 3, 5, 0, 2, 4, 6); break;
    default: SetDayOrder(order, 0, 2, 4, 6, 1, 3, 5); break;
  }
}
}  // namespace

void SetDayOrder(int order[7], int d0, int d1, int d2, int d3, int d4, int d5, int d6) {
  const int days[7] = {d0, d1, d2, d3, d4, d5, d6};
  for (int i = 0; i < 7; ++i)
    order[i] = days[i];
}

CPkArranger::CPkArranger(const QString& year, int term, const QString& date, const QString& selection, CKvDb* pDb)
    : m_pDb(pDb), m_year(year), m_term(term), m_date(date), m_selection(selection) {}

CPkArranger::~CPkArranger() = default;

void CPkArranger::Arrange() {
  if (!Load() || !PlaceAllClasses())
    return;
  if (KvMessageBox(QStringLiteral("要保存此次排课结果吗？"), KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) != KV_IDYES)
    return;
  SaveResult();
}

bool CPkArranger::PlaceAllClasses() {
  ResetRun();
  for (int c = 0; c < m_classes.size(); ++c)
    if (!PlaceClass(c))
      return false;
  return true;
}

bool CPkArranger::PlaceClass(int c) {
  KvPkClass& cls = m_classes[c];
  int need[3] = {0, 0, 0};
  for (const KvPkPlanRow& row : cls.rows) {
    // The sums below are indexed by the week kind: a stored row outside the
    // plan's rules stops here rather than reach out of range.
    if (row.rec.DS < 0 || row.rec.DS > 2 || row.rec.NU < 0) {
      const QString course = row.course >= 0 ? m_catalogue.courses[row.course].NA : row.rec.SBT;
      return stop(KvFormat("(%s)%s，%s：\n教学计划的单双周或课时数不正确，无法排课", cls.code, cls.name, course));
    }
    need[row.rec.DS] += row.rec.NU;
  }
  const int total = need[0] + KvMax(need[1], need[2]);
  const int available = m_scheduleBits.Count();
  if (available < total)
    return stop(KvFormat("(%s)%s：\n作息时间表课时数：%d\n教学计划表课时数：%d\n无法排课", cls.code, cls.name,
                         available, total));
  for (KvPkPlanRow& row : cls.rows)
    if (!PlaceRow(c, row))
      return false;
  return true;
}

bool CPkArranger::PlaceRow(int c, KvPkPlanRow& row) {
  const KvPkClass& cls = m_classes[c];
  CWkjhRec& rec = row.rec;
  if (row.course < 0)
    return stop(KvFormat("<%s>课程不存在！", rec.SBT));
  if (row.unknownTeacher)
    return stop(KvFormat("教师<%s>不存在！", rec.TCHR));
  if (row.unknownRoom)
    return stop(KvFormat("公用教室<%s>不存在！", rec.PUBRM));
  const QString& courseName = m_catalogue.courses[row.course].NA;
  if (!row.timeError.isEmpty())
    return stop(KvFormat("<%s><%s>的%s！", cls.name, courseName, row.timeError));

  KvPkBits allowed = row.timeMask;
  const int count = allowed.Count();
  if (count < rec.NU)
    return stop(KvFormat("(%s)%s，%s：\n允许排课课时数：%d\n教学计划课时数：%d\n无法排课", cls.code, cls.name,
                         courseName, count, rec.NU));
  const KvPkBits timeAllowance = allowed;
  const Cell lesson{row.course, row.teacher, row.room};
  const int ds = rec.DS;
  int placed = 0;
  int lastEnd = -1;
  int sel = 0;

  // Occupancy passes: an every-week row avoids every lesson of its class,
  // teacher and room; an odd- or even-week row avoids their every-week
  // lessons and those of its own kind. The masks keep the last pass's kind,
  // the opposite one for such a row.
  KvPkBits classMask, teacherMask, roomMask;
  for (int k = 0; k < 3; ++k) {
    const int kind = ds == 0 ? k : (k == 0 ? 0 : (k == 1 ? ds : ds % 2 + 1));
    const bool subtract = ds == 0 || k <= 1;
    classMask = m_classOcc[size_t(c) * 3 + kind];
    if (subtract)
      allowed.Subtract(classMask);
    teacherMask = row.teacher >= 0 ? TeacherBusy(row.teacher, kind) : KvPkBits(m_slots);
    if (subtract)
      allowed.Subtract(teacherMask);
    sel = KvMax(sel, LastBusyDay(teacherMask));
    roomMask = row.room >= 0 ? RoomBusy(row.room, kind) : KvPkBits(m_slots);
    if (subtract)
      allowed.Subtract(roomMask);
  }
  if (placed >= rec.NU)
    return true;

  // Pairing: an odd-week lesson goes where the class (and at the first
  // levels its teacher and room too) has an even-week one, and the reverse.
  if (ds > 0) {
    for (int level = 0; level < 3 && placed < rec.NU; ++level)
      for (int d = 0; d < 7 && placed < rec.NU; ++d)
        for (int s = 0; s < 4 && placed < rec.NU; ++s)
          for (int p = 0; p < m_shape.counts[s] && placed < rec.NU; ++p) {
            const int slot = m_shape.Slot(d, s, p);
            if (allowed.Test(slot) && classMask.Test(slot) && (level > 1 || teacherMask.Test(slot)) &&
                (level > 0 || roomMask.Test(slot))) {
              PlaceLessons(d, s, p, 1, lesson, ds, allowed, c);
              ++placed;
            }
          }
    if (placed == rec.NU)
      return true;
  }

  // Blocks of consecutive periods: full run length first, segment by
  // segment, days from the teacher's last busy day on; a block starts where
  // the previous one ended when that lies inside the free run found.
  if (rec.CN <= 0)
    rec.CN = 1;
  if (rec.CN > rec.NU)
    rec.CN = rec.NU;
  int order[7];
  dayOrderAfter(sel, order);
  for (int run = rec.CN; run >= 1; --run)
    for (int s = 0; s < 4; ++s)
      for (int i = 0; i < 7; ++i) {
        const int day = order[i];
        const int n = m_shape.counts[s];
        int best = 0, start = 0;
        for (int p = 0; p < n;) {
          if (!allowed.Test(m_shape.Slot(day, s, p))) {
            ++p;
            continue;
          }
          int q = p;
          while (q < n && allowed.Test(m_shape.Slot(day, s, q)))
            ++q;
          if (q - p > best) {
            best = q - p;
            start = p;
          }
          p = q;
        }
        const int m = KvMin(rec.NU - placed, run);
        if (best > 0 && best >= m) {
          const int blockStart = (lastEnd > 0 && start < lastEnd && lastEnd + m <= start + best) ? lastEnd : start;
          PlaceLessons(day, s, blockStart, m, lesson, ds, allowed, c);
          placed += m;
          lastEnd = blockStart + m;
          if (placed == rec.NU)
            return true;
        }
      }

  // Displacement: move one of the class's own lessons L from a period P the
  // row may take to a free period Q that L may take, then take P.
  for (int s = 3; s >= 0; --s)
    for (int d = 0; d < 7; ++d)
      for (int p = m_shape.counts[s] - 1; p >= 0; --p) {
        const int at = m_shape.Slot(d, s, p);
        int k = 0;
        while (k < 3 && CellAt(c, k, at).course < 0)
          ++k;
        if (k == 3 || !timeAllowance.Test(at))
          continue;
        if (row.teacher >= 0 && TeacherBusyAt(row.teacher, at))
          continue;
        if (row.room >= 0 && RoomBusyAt(row.room, at))
          continue;
        // The row must fit beside the lessons that stay at P.
        bool clash = false;
        for (int k2 = 0; k2 < 3; ++k2)
          if (k2 != k && CellAt(c, k2, at).course >= 0 && (k2 == 0 || ds == 0 || k2 == ds))
            clash = true;
        if (clash)
          continue;
        const Cell moved = CellAt(c, k, at);
        const auto ownRow = cls.rowOfCourse.constFind(moved.course);
        const KvPkPlanRow& movedRow = ownRow != cls.rowOfCourse.constEnd() ? cls.rows[*ownRow] : row;
        QString error;
        const int target = FindMoveTarget(c, moved, movedRow, &error);
        if (!error.isEmpty())
          return stop(KvFormat("<%s><%s>的%s！", cls.name, m_catalogue.courses[moved.course].KNO, error));
        if (target < 0)
          continue;
        // L goes to its new period, the row takes P in its own week kind.
        allowed.Reset(target);
        SetCell(c, k, target, moved);
        SetCell(c, k, at, Cell());
        PlaceLessons(d, s, p, 1, lesson, ds, allowed, c);
        ++placed;
        if (placed == rec.NU)
          return true;
      }

  m_shortRows.append({cls.code, rec.SBT, rec.NU, placed});
  KvMessageBox(KvFormat("(%s)%s，%s：\n应排课时：%d\n只能排课：%d", cls.code, cls.name, courseName, rec.NU, placed),
               KV_MB_OK | KV_MB_ICONQUESTION);
  return true;
}

void CPkArranger::PlaceLessons(int day, int s, int first, int count, const Cell& lesson, int kind,
                               KvPkBits& allowed, int c) {
  for (int i = 0; i < count; ++i) {
    const int slot = m_shape.Slot(day, s, first + i);
    allowed.Reset(slot);
    SetCell(c, kind, slot, lesson);
  }
}

void CPkArranger::SetCell(int c, int kind, int slot, const Cell& cell) {
  Cell& old = CellAt(c, kind, slot);
  auto count = [&](std::vector<quint16>& counts, std::vector<KvPkBits>& bits, int who, int delta) {
    const size_t set = size_t(who) * 3 + kind;
    quint16& n = counts[set * m_slots + slot];
    n = quint16(n + delta);
    if (n)
      bits[set].Set(slot);
    else
      bits[set].Reset(slot);
  };
  if (old.course >= 0) {
    --m_placed;
    m_classOcc[size_t(c) * 3 + kind].Reset(slot);
    if (old.teacher >= 0)
      count(m_teacherCount, m_teacherRun, old.teacher, -1);
    if (old.room >= 0)
      count(m_roomCount, m_roomRun, old.room, -1);
  }
  old = cell;
  if (cell.course >= 0) {
    ++m_placed;
    m_classOcc[size_t(c) * 3 + kind].Set(slot);
    if (cell.teacher >= 0)
      count(m_teacherCount, m_teacherRun, cell.teacher, 1);
    if (cell.room >= 0)
      count(m_roomCount, m_roomRun, cell.room, 1);
  }
}

int CPkArranger::FindMoveTarget(int c, const Cell& moved, const KvPkPlanRow& movedRow, QString* error) const {
  for (int s = 3; s >= 0; --s)
    for (int d = 0; d < 7; ++d)
      for (int p = m_shape.counts[s] - 1; p >= 0; --p) {
        const int to = m_shape.Slot(d, s, p);
        if (CellAt(c, 0, to).course >= 0 || CellAt(c, 1, to).course >= 0 || CellAt(c, 2, to).course >= 0)
          continue;
        if (!movedRow.timeError.isEmpty()) {
          *error = movedRow.timeError;
          return -1;
        }
        if (!movedRow.timeMask.Test(to))
          continue;
        if (moved.teacher >= 0 && TeacherBusyAt(moved.teacher, to))
          continue;
        if (moved.room >= 0 && RoomBusyAt(moved.room, to))
          continue;
        return to;
      }
  return -1;
}

KvPkBits CPkArranger::TeacherBusy(int t, int kind) const {
  KvPkBits bits = m_teacherStored[size_t(t) * 3 + kind];
  bits.Unite(m_teacherRun[size_t(t) * 3 + kind]);
  return bits;
}

KvPkBits CPkArranger::RoomBusy(int r, int kind) const {
  KvPkBits bits = m_roomStored[size_t(r) * 3 + kind];
  bits.Unite(m_roomRun[size_t(r) * 3 + kind]);
  return bits;
}

bool CPkArranger::TeacherBusyAt(int t, int slot) const {
  for (int k = 0; k < 3; ++k)
    if (m_teacherStored[size_t(t) * 3 + k].Test(slot) || m_teacherRun[size_t(t) * 3 + k].Test(slot))
      return true;
  return false;
}

bool CPkArranger::RoomBusyAt(int r, int slot) const {
  for (int k = 0; k < 3; ++k)
    if (m_roomStored[size_t(r) * 3 + k].Test(slot) || m_roomRun[size_t(r) * 3 + k].Test(slot))
      return true;
  return false;
}

int CPkArranger::LastBusyDay(const KvPkBits& bits) const {
  for (int d = 6; d > 0; --d)
    if (bits.AnyIn(d * m_shape.perDay, m_shape.perDay))
      return d;
  return 0;
}

CPkGrid CPkArranger::GetClassGrid(int i) const {
  CPkGrid grid = m_blankGrid;
  grid.STD = m_classes[i].code;
  for (int k = 0; k < 3; ++k)
    for (int d = 0; d < 7; ++d)
      for (int s = 0; s < 4; ++s)
        for (int p = 0; p < m_shape.counts[s]; ++p) {
          const Cell& cell = CellAt(i, k, m_shape.Slot(d, s, p));
          if (cell.course < 0)
            continue;
          const int at = CPkGrid::ArrayIndex(k, d, s);
          grid.ClassCells[at][p] = m_classes[i].code;
          grid.CourseCells[at][p] = m_catalogue.courses[cell.course].KNO;
          grid.TeacherCells[at][p] = cell.teacher >= 0 ? m_catalogue.teacherCodes[cell.teacher] : QString();
          grid.RoomCells[at][p] = cell.room >= 0 ? m_catalogue.roomCodes[cell.room] : QString();
        }
  return grid;
}
