// The period schedule's card page.

#include "timetable/CWktRec.h"

#include "core/KvDate.h"

namespace {
enum Align { kLeft = 0, kCentre = 6 };

void addBox(KvTextBoxArray& boxes, const QString& text, int left, int top, int right, int bottom,
            const int frames[4], int align = kCentre) {
  KvTextBox box;
  box.Set(text, left, top, right, bottom, frames[0], frames[1], frames[2], frames[3], 1, 1, 0, 2, 2, 1, align, 1);
  boxes.append(box);
}

// "0800" as "08:00".
QString timeText(const QString& hhmm) { return hhmm.left(2) + u':' + hhmm.mid(2); }
}  // namespace

void CWktRec::BuildCardLayout(KvTextBoxArray& boxes, const QString& entityName) const {
  boxes.clear();
  const int under[4] = {0, 0, 0, 2};
  addBox(boxes, QStringLiteral("学校：%1").arg(entityName), 0, 0, 40, 1, under, kLeft);
  addBox(boxes, QStringLiteral("%1年  %2季学期").arg(Y, QC == 0 ? QStringLiteral("春") : QStringLiteral("秋")), 40, 0,
         60, 1, under);
  const int headLeft[4] = {2, 2, 1, 1};
  const int head[4] = {1, 2, 1, 1};
  addBox(boxes, QStringLiteral("节次"), 0, 1, 10, 2, headLeft);
  addBox(boxes, QStringLiteral("时间"), 10, 1, 30, 2, head);
  for (int d = 0; d < kDays; ++d) {
    const int frames[4] = {1, 2, d == kDays - 1 ? 2 : 1, 1};
    addBox(boxes, KvWeekdayName(d), 30 + 10 * d, 1, 40 + 10 * d, 2, frames);
  }

  // The periods over all segments: (segment, period) in running order.
  QList<std::pair<int, int>> periods;
  int lastSegment = -1;
  for (int s = 0; s < kSegments; ++s) {
    for (int p = 0; p < PeriodCount(s); ++p)
      periods.append({s, p});
    if (PeriodCount(s) > 0)
      lastSegment = s;
  }
  const int total = int(periods.size());

  int first = 0;
  for (int s = 0; s < kSegments; ++s) {
    const int count = PeriodCount(s);
    if (count == 0)
      continue;
    const int frames[4] = {2, 1, 1, s == lastSegment ? 2 : 1};
    addBox(boxes, GetSegmentName(s), 0, 2 + first, 5, 2 + first + count, frames);
    first += count;
  }
  const auto bottomOf = [&](int i) { return i == total - 1 ? 2 : 1; };
  for (int i = 0; i < total; ++i) {
    const int frames[4] = {1, 1, 1, bottomOf(i)};
    addBox(boxes, QString::number(periods[i].second + 1), 5, 2 + i, 10, 3 + i, frames);
  }
  for (int i = 0; i < total; ++i) {
    const auto [s, p] = periods[i];
    const int frames[4] = {1, 1, 1, bottomOf(i)};
    addBox(boxes, timeText(HM0[s].value(p)), 10, 2 + i, 20, 3 + i, frames);
    addBox(boxes, timeText(HM1[s].value(p)), 20, 2 + i, 30, 3 + i, frames);
  }
  for (int i = 0; i < total; ++i) {
    const auto [s, p] = periods[i];
    for (int d = 0; d < kDays; ++d) {
      const int frames[4] = {1, 1, d == kDays - 1 ? 2 : 1, bottomOf(i)};
      addBox(boxes, SBT[d][s].value(p) != 0 ? QStringLiteral("排课") : QString(), 30 + 10 * d, 2 + i, 40 + 10 * d,
             3 + i, frames);
    }
  }
}
