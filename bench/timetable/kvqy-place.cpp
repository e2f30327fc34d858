// kvqy-place: writes a generated school into a data file, or runs a full
// arrange of one on it (every question answered Yes, messages on stderr)
// and prints one line: load, place and save time in ms, lessons planned
// and placed, short rows, and whether the run stopped.
//
//   kvqy-place generate <year>.xxd [--seed N] [--grades G] [--classes C] [--week-kinds]
//   kvqy-place place <year>.xxd [--selection CODE] [--year Y] [--term QC] [--date T]
//
// The file is named after the school year, as the program requires of a
// data file (2024.xxd): the school is generated for that year, so the
// program opens it, and the arrange takes that year's version unless told
// otherwise. Another name is refused with the program's reason.

#include "app/CKvXxApp.h"
#include "core/CKvDb.h"
#include "core/CKvDbInfo.h"
#include "core/KvMessage.h"
#include "school/CXxDataType.h"
#include "school/KvSchoolInstall.h"
#include "support/timetable/KvTimetableGen.h"
#include "timetable/CPkArranger.h"
#include "timetable/KvTimetableInstall.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>

#include <cstdio>

namespace {
int usage() {
  std::fprintf(stderr,
               "usage: kvqy-place generate <year>.xxd [--seed N] [--grades G] [--classes C] [--week-kinds]\n"
               "       kvqy-place place <year>.xxd [--selection CODE] [--year Y] [--term QC] [--date T]\n");
  return 2;
}

QString option(const QStringList& args, const QString& name, const QString& fallback) {
  const qsizetype i = args.indexOf(name);
  return i >= 0 && i + 1 < args.size() ? args[i + 1] : fallback;
}

// The version the file's name stands for; false (the reason shown) for a
// name the program would not open.
bool versionOfFile(const QString& file, KvTimetableGenOptions* options) {
  if (KvTimetableGenVersionFromFile(file, options))
    return true;
  std::fprintf(stderr, "kvqy-place: %s: name the data file after the school year, as 2024.xxd\n",
               qPrintable(file));
  return false;
}

int generate(const QString& file, const QStringList& args) {
  KvTimetableGenOptions options;
  if (!versionOfFile(file, &options))
    return 1;
  options.seed = option(args, QStringLiteral("--seed"), QString::number(options.seed)).toUInt();
  options.nGrades = option(args, QStringLiteral("--grades"), QString::number(options.nGrades)).toInt();
  options.nClassesPerGrade = option(args, QStringLiteral("--classes"), QString::number(options.nClassesPerGrade)).toInt();
  options.bWeekKinds = args.contains(QStringLiteral("--week-kinds"));
  QFile::remove(file);
  CKvDb* pDb = KvGetApp()->GetDb();
  KvTimetableGenSummary summary;
  if (!pDb->CreateDatabase(file, CKvDbInfo(0)) || !KvGenerateTimetableSchool(pDb, options, &summary)) {
    std::fprintf(stderr, "kvqy-place: cannot write %s\n", qPrintable(file));
    return 1;
  }
  std::printf("classes %d, teachers %d, rooms %d, lessons %d, stored lessons outside the selection %d\n",
              summary.nClasses, summary.nTeachers, summary.nRooms, summary.nLessons, summary.nStoredLessons);
  return 0;
}

int place(const QString& file, const QStringList& args) {
  KvTimetableGenOptions version;
  if (!versionOfFile(file, &version))
    return 1;
  CKvDb* pDb = KvGetApp()->GetDb();
  if (!pDb->Open(file, CKvDbInfo(0)) || !CXxDataType::Get()->ReloadParams(pDb)) {
    std::fprintf(stderr, "kvqy-place: cannot open %s\n", qPrintable(file));
    return 1;
  }
  CPkArranger arranger(option(args, QStringLiteral("--year"), version.year),
                       option(args, QStringLiteral("--term"), QString::number(version.term)).toInt(),
                       option(args, QStringLiteral("--date"), version.date),
                       option(args, QStringLiteral("--selection"), QStringLiteral("01")), pDb);
  QElapsedTimer timer;
  timer.start();
  if (!arranger.Load()) {
    std::fprintf(stderr, "kvqy-place: no period schedule for the term, or a read failed\n");
    return 1;
  }
  const double load = timer.nsecsElapsed() / 1e6;
  timer.restart();
  const bool placed = arranger.PlaceAllClasses();
  const double placing = timer.nsecsElapsed() / 1e6;
  timer.restart();
  const bool saved = placed && arranger.SaveResult();
  const double save = placed ? timer.nsecsElapsed() / 1e6 : 0.0;
  std::printf("load %.1f ms, place %.1f ms, save %.1f ms; lessons planned %d, placed %d; short rows %d; %s\n",
              load, placing, save,
              arranger.GetLessonsPlanned(), arranger.GetLessonsPlaced(), int(arranger.GetShortRows().size()),
              placed ? (saved ? "not stopped, saved" : "not stopped, not saved") : "stopped");
  return placed && saved ? 0 : 1;
}
}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication qapp(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  if (args.size() < 3)
    return usage();
  KvSetMessageHandler([](const KvMessage& message) {
    std::fprintf(stderr, "%s\n", qPrintable(message.text));
    return message.answers().contains(KV_IDYES) ? int(KV_IDYES) : message.defaultAnswer();
  });
  KvInstallSchool();
  KvInstallTimetable();
  CKvXxApp app;
  if (!app.InitInstance())
    return 1;
  if (args[1] == u"generate")
    return generate(args[2], args);
  if (args[1] == u"place")
    return place(args[2], args);
  return usage();
}
