#pragma once
// The school edition of the application: its identity (edition 22, data
// files "*.xxd"), its two modules (18 fees and school structure, 19
// timetabling), their template-box groups "收费" and "排课", and the
// commands of its Settings menus (45000-45007). A Settings command runs the
// dialog its module installed (SetSettingsDialog) on the application's
// connection; until a module installs one the command stays disabled.
//
// The module libraries sit above this one: each installs the factory of its
// descriptor (SetDataTypeFactory) before the application is initialised; a
// module without one gets a plain descriptor with its number, menu and tab.

#include "app/CKvApp.h"

#include <QHash>
#include <functional>

class CKvXxApp : public CKvApp {
 public:
  using KvSettingsDialogFn = std::function<void(CKvDb* pDb)>;
  using KvDataTypeFactory = std::function<CKvDataType*()>;

  // Installs (or, with an empty function, removes) the factory of module
  // 18's or 19's descriptor, used by every later CreateDataTypes.
  static void SetDataTypeFactory(int nModule, KvDataTypeFactory factory);

  // Installs (or, with an empty function, removes) the dialog of a Settings
  // command.
  void SetSettingsDialog(int nId, KvSettingsDialogFn fn);

  void RegisterTemplateGroups() override;
  QString GetFirstStartCaption() const override;
  int GetRevision() const override { return 9; }

  bool HandlesCmd(int id) const override;
  void ExecuteCmd(int id) override;
  bool IsCmdEnabled(int id) override;

 protected:
  void SetIdentity() override;
  // Registers the descriptors of modules 18 and 19, in this order.
  void CreateDataTypes() override;

 private:
  QHash<int, KvSettingsDialogFn> m_settingsDialogs;
};
