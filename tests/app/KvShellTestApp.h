#pragma once
// The application object the shell tests run against: the school edition
// whose module descriptors a test may replace, with its data file opened on
// a test database of any kind, and a module that adds to every catalogue.

#include "app/CKvDataType.h"
#include "app/CKvXxApp.h"
#include "support/KvTestDb.h"

#include <functional>

// Module 30: rights, operation names, a code place, carry items and a table.
class KvShellTestModule : public CKvDataType {
 public:
  explicit KvShellTestModule(int nModule = 30) {
    m_nModule = nModule;
    m_strCaption = QStringLiteral("测试");
  }
  bool CreateTables(CKvDb* pDb) override {
    ++createCalls;
    if (pDb->TableExists(QStringLiteral("TMOD")))
      return true;
    return pDb->Execute(QStringLiteral("Create Table TMOD(KNO Char(10),OPR Char(3))"));
  }
  void GetModuleRights(QStringList& codes, QStringList& names) override {
    codes << QStringLiteral("01") << QStringLiteral("3");
    names << QStringLiteral("测试甲") << QStringLiteral("测试乙");
  }
  void GetSharedRights(QStringList& codes, QStringList& names) override {
    codes << QStringLiteral("0080") << QStringLiteral("0006");
    names << QStringLiteral("系统参数") << QStringLiteral("重复");
  }
  void GetSharedOperationNames(QList<int>& numbers, QStringList& names) override {
    numbers << 40 << 2;
    names << QStringLiteral("系统参数") << QStringLiteral("重复");
  }
  void GetModuleOperationNames(QList<int>& numbers, QStringList& names) override {
    numbers << 5;
    names << QStringLiteral("排课操作");
  }
  void GetCodeReferences(const QString& kind, KvCodeRefs& refs) override {
    if (kind == u"OPR")
      refs.Add(placeTable, QStringLiteral("OPR"), QStringLiteral("测试表"));
  }
  void GetCarryItems(QList<int>& numbers, QStringList& captions, QStringList& tables) override {
    numbers << 3 << 101 << 201;
    captions << QStringLiteral("三") << QStringLiteral("共享") << QStringLiteral("共享二");
    tables << QStringLiteral("TMOD") << QStringLiteral("A") << QStringLiteral("B");
  }

  QString placeTable = QStringLiteral("TMOD");
  int createCalls = 0;
};

class KvShellTestApp : public CKvXxApp {
 public:
  // Replaces the school modules while the application is initialised.
  std::function<void(KvShellTestApp&)> createModules;

  // Opens the data file's connection on the test database as the operator
  // 101 "管理员" (no tables are made).
  bool OpenOn(const KvTestDb& testDb) {
    CKvDataFile& file = GetDataFile();
    file.SetKind(testDb.kind() == 0 ? 0 : 1);
    if (testDb.kind() != 0)
      file.SetServerBackend(testDb.kind());
    file.SetOperatorCode(QStringLiteral("101"));
    file.SetOperatorName(QStringLiteral("管理员"));
    return GetDb()->Open(testDb.name(), testDb.info());
  }

 protected:
  void CreateDataTypes() override {
    if (createModules)
      createModules(*this);
    else
      CKvXxApp::CreateDataTypes();
  }
};
