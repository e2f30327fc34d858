#include "school/KvSchoolInstall.h"

#include "app/CKvXxApp.h"
#include "school/CXxDataType.h"

void KvInstallSchool() {
  CKvXxApp::SetDataTypeFactory(CXxDataType::kModule, [] { return new CXxDataType; });
}
