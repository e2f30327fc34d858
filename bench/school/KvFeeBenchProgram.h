#pragma once
// The program the fee module's benchmarks run in: the application object
// with the fee module installed and initialised, operator 101 logged on,
// and message boxes answered with their default button unseen.

#include "app/CKvXxApp.h"
#include "core/KvMessage.h"
#include "school/KvSchoolInstall.h"

class KvFeeBenchProgram {
 public:
  KvFeeBenchProgram() {
    KvSetMessageHandler([](const KvMessage& message) { return message.defaultAnswer(); });
    KvInstallSchool();
    m_app.InitInstance();
    m_app.GetDataFile().SetOperatorCode(QStringLiteral("101"));
    m_app.GetDataFile().SetOperatorName(QStringLiteral("管理员"));
  }
  CKvDataFile& GetDataFile() { return m_app.GetDataFile(); }

 private:
  CKvXxApp m_app;
};
