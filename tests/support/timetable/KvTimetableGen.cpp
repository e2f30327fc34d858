#include "support/timetable/KvTimetableGen.h"

#include "app/CKvApp.h"
#include "app/CKvDataFile.h"
#include "core/CKvDb.h"
#include "core/KvConst.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvNumber.h"
#include "core/KvText.h"
#include "school/CStd.h"
#include "school/CXxDataType.h"
#include "timetable/CPkGrid.h"
#include "timetable/CPubRmTable.h"
#include "timetable/CSbtTable.h"
#include "timetable/CTchrTable.h"
#include "timetable/CWkjhRec.h"
#include "timetable/CWktRec.h"

#include <QFileInfo>
#include <QList>
#include <QSet>

#include <cmath>
#include <random>

namespace {
struct CourseTemplate {
  const char* name;
  const char* fullName;
  int nu;
  int cn;
  int cl;
  int room;  // 0 none, 1 music room, 2 art room
  const char* fixed;
  const char* barred;
};

// A week of 40 periods: 33 planned.
const CourseTemplate kCourses[] = {
    {"语文", "语文", 6, 2, 1, 0, "", ""},
    {"数学", "数学", 6, 2, 1, 0, "", ""},
    {"英语", "英语", 5, 1, 2, 0, "", ""},
    {"物理", "物理", 3, 1, 2, 0, "", ""},
    {"化学", "化学", 2, 1, 3, 0, "", ""},
    {"生物", "生物", 2, 1, 3, 0, "", ""},
    {"历史", "历史", 2, 1, 4, 0, "", ""},
    {"地理", "地理", 2, 1, 4, 0, "", ""},
    {"体育", "体育与健康", 2, 1, 4, 0, "", "1B1;2B1;3B1;4B1;5B1"},
    {"音乐", "音乐", 1, 1, 5, 1, "", ""},
    {"美术", "美术", 1, 1, 5, 2, "", "1;5"},
    {"班会", "班会", 1, 1, 1, 0, "5C", ""},
};
constexpr int kCourseCount = int(sizeof(kCourses) / sizeof(kCourses[0]));
constexpr int kChinese = 0;
constexpr int kMeeting = 11;
constexpr int kMusic = 9;
constexpr int kArt = 10;

const char* const kSurnames[] = {"张", "王", "李", "赵", "刘", "陈", "杨", "黄", "周", "吴", "徐", "孙"};
const char* const kGiven[] = {"伟", "芳", "娜", "敏", "静", "磊", "洋", "勇", "艳", "杰", "涛", "明"};

bool addNode(CKvDb* pDb, const QString& code, const QString& name) {
  CStd node(pDb, code);
  node.NA = name;
  return node.InsertRow() == 1;
}
}  // namespace

bool KvSetTimetableTreeParams(CKvDb* pDb) {
  CXxDataType* type = CXxDataType::Get();
  type->SetDefaultParams();
  type->m_params.nMgmtLevels = 1;
  type->m_params.nMultiClass = 1;
  const int lengths[] = {2, 2, 2, 3};
  for (int i = 0; i < 4; ++i)
    type->m_params.nCodeLen[i] = lengths[i];
  return type->SaveParams(pDb);
}

KvTimetableGenOptions KvSmallTimetableOptions(unsigned seed) {
  KvTimetableGenOptions options;
  options.seed = seed;
  options.nGrades = 1 + int(seed % 2);
  options.nClassesPerGrade = 2 + int(seed / 2 % 3);
  options.nMorning = 3 + int(seed / 6 % 2);
  options.nAfternoon = 2 + int(seed / 12 % 3);
  options.nTeacherLoad = 8 + int(seed % 5);
  options.bWeekKinds = seed % 3 == 0;
  options.nOtherClasses = 1 + int(seed % 2);
  return options;
}

bool KvTimetableGenVersionFromFile(const QString& path, KvTimetableGenOptions* options) {
  const CKvDataFile check;
  if (!KvEqualsIgnoreCase(QFileInfo(path).suffix(), QString::fromLatin1(kv::kDataFileExt)))
    return check.ShowError(CKvDataFile::kNotDataFile, true);
  const int year = CKvDataFile::YearOfTitle(path);
  if (year == 0)
    return check.ShowError(CKvDataFile::kBadYearName, true);
  options->year = QString::number(year);
  options->date = options->year + QStringLiteral("0901");
  return true;
}

bool KvGenerateTimetableSchool(CKvDb* pDb, const KvTimetableGenOptions& options, KvTimetableGenSummary* pSummary) {
  CKvApp* app = KvGetApp();
  return app && pDb && app->CreateAllTables(pDb) && app->InsertDefaultRows(pDb, KvStrToInt(options.year)) &&
         KvWriteTimetableSchool(pDb, options, pSummary);
}

bool KvWriteTimetableSchool(CKvDb* pDb, const KvTimetableGenOptions& o, KvTimetableGenSummary* pSummary) {
  if (!pDb)
    return false;
  std::mt19937 random(o.seed);
  auto pick = [&random](int n) { return n > 0 ? int(random() % unsigned(n)) : 0; };
  KvTimetableGenSummary summary;
  summary.selection = QStringLiteral("01");

  KvDbTransaction transaction(*pDb);
  if (!transaction.IsActive() || !KvSetTimetableTreeParams(pDb))
    return false;

  // The tree: the selection's unit with its grades and classes, and a
  // second unit whose stored lessons make teachers unavailable.
  QStringList classes;
  if (!addNode(pDb, QStringLiteral("01"), QStringLiteral("本校")))
    return false;
  for (int g = 1; g <= o.nGrades; ++g) {
    const QString grade = KvFormat("01%02d", g);
    if (!addNode(pDb, grade, KvFormat("%d年级", g)))
      return false;
    for (int c = 1; c <= o.nClassesPerGrade; ++c) {
      classes.append(KvFormat("%s%02d", grade, c));
      if (!addNode(pDb, classes.last(), KvFormat("%d年级%d班", g, c)))
        return false;
    }
  }
  QStringList others;
  if (!addNode(pDb, QStringLiteral("02"), QStringLiteral("分校")) ||
      !addNode(pDb, QStringLiteral("0201"), QStringLiteral("分校1年级")))
    return false;
  for (int c = 1; c <= o.nOtherClasses; ++c) {
    others.append(KvFormat("0201%02d", c));
    if (!addNode(pDb, others.last(), KvFormat("分校%d班", c)))
      return false;
  }

  // Monday to Friday, mornings and afternoons.
  CWktRec schedule(o.year, o.term);
  const int counts[4] = {0, o.nMorning, o.nAfternoon, 0};
  schedule.ResizePeriods(counts);
  for (int p = 0; p < o.nMorning; ++p) {
    schedule.HM0[1][p] = KvFormat("%02d%02d", 8 + p, 0);
    schedule.HM1[1][p] = KvFormat("%02d%02d", 8 + p, 45);
  }
  for (int p = 0; p < o.nAfternoon; ++p) {
    schedule.HM0[2][p] = KvFormat("%02d%02d", 14 + p, 0);
    schedule.HM1[2][p] = KvFormat("%02d%02d", 14 + p, 45);
  }
  for (int d = 1; d <= 5; ++d)
    for (int s = 1; s <= 2; ++s)
      schedule.SBT[d][s].fill(1);
  if (!schedule.Save(pDb))
    return false;
  const int weekSlots = schedule.CountFlags();

  // Courses, their weekly periods scaled to the week.
  const double scale = weekSlots / 40.0;
  int nu[kCourseCount];
  for (int i = 0; i < kCourseCount; ++i) {
    nu[i] = qMax(1, int(std::lround(kCourses[i].nu * scale)));
    CSbtRec course;
    course.KNO = KvIntToText(i + 1, 4);
    course.NA = QString::fromUtf8(kCourses[i].name);
    course.NAA = QString::fromUtf8(kCourses[i].fullName);
    if (!CSbtTable::Insert(course, pDb))
      return false;
  }

  // Shared rooms, so that each keeps some periods free.
  const int classCount = int(classes.size());
  const int musicRooms = qMax(1, int(std::ceil(classCount * nu[kMusic] / (0.6 * weekSlots))));
  const int artRooms = qMax(1, int(std::ceil(classCount * nu[kArt] / (0.36 * weekSlots))));
  QStringList roomCodes[3];
  for (int i = 0; i < musicRooms + artRooms; ++i) {
    CPubRmRec room;
    room.KNO = KvIntToText(i + 1, 3);
    const bool music = i < musicRooms;
    room.NA = KvFormat(music ? "音乐室%d" : "美术室%d", music ? i + 1 : i - musicRooms + 1);
    room.NAA = room.NA;
    if (!CPubRmTable::Insert(room, pDb))
      return false;
    roomCodes[music ? 1 : 2].append(room.KNO);
  }

  // Teachers: each course's classes in order, in groups a teacher can
  // take; the class meeting goes to the class's Chinese teacher.
  QList<QStringList> teacherOf(classCount, QStringList(kCourseCount));
  QStringList teacherCourse;
  for (int i = 0; i < kCourseCount; ++i) {
    if (i == kMeeting)
      continue;
    for (int c = 0; c < classCount;) {
      const int load = o.nTeacherLoad + pick(7);
      const int group = qMax(1, load / nu[i]);
      CTchrRec teacher;
      teacher.KNO = KvIntToText(int(teacherCourse.size()) + 1, 4);
      teacher.NA = QString::fromUtf8(kSurnames[pick(12)]) + QString::fromUtf8(kGiven[pick(12)]);
      teacher.SEX = pick(2);
      teacher.NTN = QStringLiteral("汉");
      if (!CTchrTable::Insert(teacher, pDb))
        return false;
      teacherCourse.append(KvIntToText(i + 1, 4));
      for (int k = 0; k < group && c < classCount; ++k, ++c)
        teacherOf[c][i] = teacher.KNO;
    }
  }
  for (int c = 0; c < classCount; ++c)
    teacherOf[c][kMeeting] = teacherOf[c][kChinese];

  // Grade plans, with now and then a day barred for a further course.
  for (int g = 1; g <= o.nGrades; ++g) {
    const int extraBar = pick(3) == 0 ? 2 + pick(6) : -1;
    const QString barredDay = QString::number(1 + pick(5));
    for (int i = 0; i < kCourseCount; ++i) {
      CWkjhRec row(o.year, o.term, o.date, KvFormat("01%02d", g));
      row.SBT = KvIntToText(i + 1, 4);
      row.NU = nu[i];
      row.CN = qMin(kCourses[i].cn, nu[i]);
      row.CL = kCourses[i].cl;
      row.WTN0 = QString::fromUtf8(kCourses[i].fixed);
      row.WTN1 = i == extraBar ? barredDay : QString::fromUtf8(kCourses[i].barred);
      if (!row.InsertPlanRow(pDb))
        return false;
    }
  }
  // Class assignments: teacher, room, week kind.
  for (int c = 0; c < classCount; ++c) {
    for (int i = 0; i < kCourseCount; ++i) {
      CWkjhRec row(o.year, o.term, o.date, classes[c]);
      row.SBT = KvIntToText(i + 1, 4);
      row.TCHR = teacherOf[c][i];
      const QStringList& rooms = roomCodes[kCourses[i].room];
      if (!rooms.isEmpty())
        row.PUBRM = rooms[c % rooms.size()];
      if (o.bWeekKinds && c % 2 == 1 && (i == kMusic || i == kArt))
        row.DS = i == kMusic ? 1 : 2;
      if (!row.InsertAssignment(pDb))
        return false;
    }
    for (int i = 0; i < kCourseCount; ++i)
      summary.nLessons += nu[i];
  }

  // Lessons stored in the other unit: about one teacher in five is taken
  // there for a few periods.
  CWktRec scheduleShape = schedule;
  QList<CPkGrid> stored;
  for (const QString& code : others) {
    stored.append(CPkGrid(o.year, o.term, o.date, code));
    stored.last().SetSizes(scheduleShape);
  }
  QSet<QString> teacherBusy;
  for (int t = 0; t < teacherCourse.size(); ++t) {
    if (pick(5) != 0)
      continue;
    const QString teacher = KvIntToText(t + 1, 4);
    const int lessons = 2 + pick(3);
    for (int n = 0; n < lessons; ++n) {
      const int day = 1 + pick(5);
      const int s = 1 + pick(2);
      const int p = pick(counts[s]);
      CPkGrid& grid = stored[pick(int(stored.size()))];
      const int at = CPkGrid::ArrayIndex(0, day, s);
      const QString key = KvFormat("%s %d %d %d", teacher, day, s, p);
      if (!grid.CourseCells[at][p].isEmpty() || teacherBusy.contains(key))
        continue;
      teacherBusy.insert(key);
      grid.ClassCells[at][p] = grid.STD;
      grid.CourseCells[at][p] = teacherCourse[t];
      grid.TeacherCells[at][p] = teacher;
      ++summary.nStoredLessons;
    }
  }
  for (CPkGrid& grid : stored)
    if (!grid.Save(pDb))
      return false;

  if (!transaction.Commit())
    return false;
  summary.nClasses = classCount;
  summary.nTeachers = int(teacherCourse.size());
  summary.nRooms = musicRooms + artRooms;
  if (pSummary)
    *pSummary = summary;
  return true;
}
