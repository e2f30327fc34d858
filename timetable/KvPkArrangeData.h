#pragma once
// What one arrange run reads before it places anything: the slot geometry
// of the schedule, the catalogue, every class of the selection with its
// plan rows (in placement order, with their time masks already built), and
// the stored lessons of the version in classes outside the selection. The
// placement loop then runs on this data and on occupancy bit sets alone,
// without a statement to the database.

#include "timetable/CSbtRec.h"
#include "timetable/CWkjhRec.h"
#include "timetable/KvPkBits.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class CWktRec;

// Slots of the week: day by day, the segments' periods in order.
struct KvPkWeekShape {
  int counts[4] = {0, 0, 0, 0};
  int offsets[4] = {0, 0, 0, 0};
  int perDay = 0;

  void From(const CWktRec& schedule);
  int Slots() const { return 7 * perDay; }
  int Slot(int day, int s, int p) const { return day * perDay + offsets[s] + p; }
  // The mask of a schedule-shaped record.
  KvPkBits Bits(const CWktRec& mask) const;
};

// One row of a class's plan as the run uses it.
struct KvPkPlanRow {
  CWkjhRec rec;
  int loadIndex = 0;  // position in the class plan in course order
  int course = -1;   // catalogue index; -1 when the catalogue lacks it
  int teacher = -1;  // catalogue index; -1 when empty or unknown
  int room = -1;
  bool unknownTeacher = false;
  bool unknownRoom = false;
  KvPkBits timeMask;  // fixed and barred times, within the schedule
  QString timeError;  // BuildTimeMask's text when the times are invalid
};

struct KvPkClass {
  QString code;
  QString name;
  // Placement order: priority, run length and weekly periods descending,
  // then course.
  QList<KvPkPlanRow> rows;
  // The same rows in course order, as the checker reads a class plan.
  QList<CWkjhRec> checkRows;
  // Index in rows of the plan row that describes each course's lessons
  // (the course's first row in course order).
  QHash<int, int> rowOfCourse;
};

// A stored lesson of the version in a class outside the selection.
struct KvPkStoredLesson {
  QString classCode;
  QString course;
  QString teacher;
  QString room;
  int kind = 0;
  int day = 0;
  int s = 0;
  int p = 0;

  bool operator==(const KvPkStoredLesson&) const = default;
};

struct KvPkCatalogue {
  QList<CSbtRec> courses;
  QHash<QString, int> courseIndex;
  QStringList teacherCodes;
  QStringList teacherNames;
  QHash<QString, int> teacherIndex;
  QStringList roomCodes;
  QStringList roomNames;
  QHash<QString, int> roomIndex;
};
