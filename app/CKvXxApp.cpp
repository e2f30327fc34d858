#include "app/CKvXxApp.h"

#include "app/CKvDataType.h"
#include "core/KvConst.h"
#include "ui/CKvCommandRouter.h"
#include "ui/KvCommands.h"

namespace {
QHash<int, CKvXxApp::KvDataTypeFactory>& dataTypeFactories() {
  static QHash<int, CKvXxApp::KvDataTypeFactory> factories;
  return factories;
}

bool isSettingsCommand(int id) {
  switch (id) {
    case KV_CMD_SET_SCHOOL_TREE:
    case KV_CMD_SET_FEE_ITEMS:
    case KV_CMD_SET_CLASS_TREE:
    case KV_CMD_SET_TEACHERS:
    case KV_CMD_SET_COURSES:
    case KV_CMD_SET_PUBLIC_ROOMS:
      return true;
    default:
      return false;
  }
}
}  // namespace

void CKvXxApp::SetIdentity() {
  m_nEditionCode = kv::kEditionCode;
  m_strDataFileExt = QString::fromLatin1(kv::kDataFileExt);
  m_strDataFileDescription = QString::fromUtf8(kv::kDataFileDescription);
  m_strProductKey = QString::fromLatin1(kv::kProductKey);
  m_strProductName = QString::fromUtf8(kv::kProductName);
  m_strVersionSuffix.clear();
}

void CKvXxApp::SetDataTypeFactory(int nModule, KvDataTypeFactory factory) {
  if (factory)
    dataTypeFactories().insert(nModule, std::move(factory));
  else
    dataTypeFactories().remove(nModule);
}

void CKvXxApp::CreateDataTypes() {
  // A module whose library installed its factory gets its own descriptor,
  // which sets its fields and registers itself in RegisterTemplates.
  const struct {
    int module;
    int menu;
    const char* label;
  } modules[] = {{18, 325, "收费"}, {19, 326, "排课"}};
  for (const auto& module : modules) {
    if (const KvDataTypeFactory factory = dataTypeFactories().value(module.module)) {
      CKvDataType* pOwn = factory();
      AddDataType(pOwn);
      pOwn->RegisterTemplates();
      continue;
    }
    auto* pType = new CKvDataType;
    pType->m_nModule = module.module;
    pType->m_nMenuId = module.menu;
    pType->m_strCaption = QString::fromUtf8(module.label);
    pType->m_strTabLabel = pType->m_strCaption;
    AddDataType(pType);
    pType->RegisterTemplates();
  }
}

void CKvXxApp::RegisterTemplateGroups() {
  GetTemplateIndex().append(CKvTemplateIndexEntry(QStringLiteral("收费"), QString(), 1, 18, QString()));
  GetTemplateIndex().append(CKvTemplateIndexEntry(QStringLiteral("排课"), QString(), 1, 19, QString()));
}

QString CKvXxApp::GetFirstStartCaption() const { return QStringLiteral("初启学校管理软件"); }

void CKvXxApp::SetSettingsDialog(int nId, KvSettingsDialogFn fn) {
  if (!isSettingsCommand(nId))
    return;
  if (fn)
    m_settingsDialogs.insert(nId, std::move(fn));
  else
    m_settingsDialogs.remove(nId);
  CKvCommandRouter::Instance()->UpdateActions();
}

bool CKvXxApp::HandlesCmd(int id) const { return isSettingsCommand(id) || CKvApp::HandlesCmd(id); }

void CKvXxApp::ExecuteCmd(int id) {
  if (!isSettingsCommand(id)) {
    CKvApp::ExecuteCmd(id);
    return;
  }
  // A copy: the dialog may install another while it runs.
  const KvSettingsDialogFn fn = m_settingsDialogs.value(id);
  if (fn)
    fn(GetDb());
}

bool CKvXxApp::IsCmdEnabled(int id) {
  if (isSettingsCommand(id))
    return m_settingsDialogs.contains(id);
  return CKvApp::IsCmdEnabled(id);
}
