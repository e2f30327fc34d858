// The main of the timetabling benchmarks: an offscreen application with
// modules 18 and 19, every question answered Yes, then the benchmarks.

#include "app/CKvXxApp.h"
#include "core/KvMessage.h"
#include "school/KvSchoolInstall.h"
#include "timetable/KvTimetableInstall.h"

#include "bench/KvBenchMain.h"

#include <QApplication>

int main(int argc, char** argv) {
  KvBenchEnvironment environment;
  QApplication qapp(argc, argv);
  KvSetMessageHandler([](const KvMessage& message) {
    return message.answers().contains(KV_IDYES) ? int(KV_IDYES) : message.defaultAnswer();
  });
  KvInstallSchool();
  KvInstallTimetable();
  CKvXxApp app;
  if (!app.InitInstance())
    return 1;
  return KvRunBenchmarks(argc, argv);
}
