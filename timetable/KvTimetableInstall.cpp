#include "timetable/KvTimetableInstall.h"

#include "app/CKvXxApp.h"
#include "timetable/CPkDataType.h"

void KvInstallTimetable() {
  CKvXxApp::SetDataTypeFactory(CPkDataType::kModule, [] { return new CPkDataType; });
}
