#include "forms/CFormDataType.h"

#include "app/CKvApp.h"
#include "forms/CKvDoc.h"
#include "forms/CKvDocTemplate.h"
#include "forms/CKvTemplateList.h"
#include "ui/KvCommands.h"

CFormDataType::CFormDataType() = default;

CFormDataType::~CFormDataType() = default;

CKvDocTemplate* CFormDataType::AddTemplate(std::unique_ptr<CKvDocTemplate> pTemplate) {
  if (!pTemplate)
    return nullptr;
  pTemplate->SetModule(GetModule());
  m_templates.push_back(std::move(pTemplate));
  return m_templates.back().get();
}

CKvDocTemplate* CFormDataType::FindTemplate(int nFlag) const {
  for (const auto& pTemplate : m_templates)
    if (pTemplate->GetFlag() == nFlag)
      return pTemplate.get();
  return nullptr;
}

bool CFormDataType::GetEntry(int nFlag, int nForm, KvDocTypeEntry* pEntry,
                             CKvDocTemplate** ppTemplate) const {
  for (const auto& pTemplate : m_templates) {
    if (pTemplate->GetFlag() != nFlag)
      continue;
    const int index = pTemplate->FindEntry(nForm);
    if (index < 0)
      continue;
    if (pEntry)
      *pEntry = pTemplate->Entries().at(index);
    if (ppTemplate)
      *ppTemplate = pTemplate.get();
    return true;
  }
  return false;
}

bool CFormDataType::GetEntryByIndex(int nIndex, KvDocTypeEntry* pEntry,
                                    CKvDocTemplate** ppTemplate) const {
  if (nIndex < 0)
    return false;
  for (const auto& pTemplate : m_templates) {
    const int count = int(pTemplate->Entries().size());
    if (nIndex < count) {
      if (pEntry)
        *pEntry = pTemplate->Entries().at(nIndex);
      if (ppTemplate)
        *ppTemplate = pTemplate.get();
      return true;
    }
    nIndex -= count;
  }
  return false;
}

int CFormDataType::FindEntryIndex(int nFlag, int nForm) const {
  int base = 0;
  for (const auto& pTemplate : m_templates) {
    if (pTemplate->GetFlag() == nFlag) {
      const int index = pTemplate->FindEntry(nForm);
      if (index >= 0)
        return base + index;
    }
    base += int(pTemplate->Entries().size());
  }
  return -1;
}

int CFormDataType::GetEntryCount() const {
  int count = 0;
  for (const auto& pTemplate : m_templates)
    count += int(pTemplate->Entries().size());
  return count;
}

bool CFormDataType::CanNewDocument(int nFlag, int nForm) const {
  KvDocTypeEntry entry;
  return GetEntry(nFlag, nForm, &entry) && entry.nLock == 0 && KvHasRightCode(entry.sRight);
}

bool CFormDataType::CanOpenDocument(int nFlag, int nForm) const {
  KvDocTypeEntry entry;
  return GetEntry(nFlag, nForm, &entry) && KvHasRightCode(entry.sRight);
}

CKvDoc* CFormDataType::NewDocument(int nFlag, int nForm) {
  CKvDocTemplate* pTemplate = nullptr;
  if (!CanNewDocument(nFlag, nForm) || !GetEntry(nFlag, nForm, nullptr, &pTemplate))
    return nullptr;
  return pTemplate->OpenDocument(nForm, true);
}

CKvDoc* CFormDataType::OpenDocument(int nFlag, int nForm) {
  CKvDocTemplate* pTemplate = nullptr;
  if (!CanOpenDocument(nFlag, nForm) || !GetEntry(nFlag, nForm, nullptr, &pTemplate))
    return nullptr;
  return pTemplate->OpenDocument(nForm, false);
}

bool CFormDataType::ShowProperties(int nFlag, int nForm) {
  if (!CanShowProperties(nFlag, nForm))
    return false;
  CKvDoc* pDoc = OpenDocument(nFlag, nForm);
  if (!pDoc || !KvCmdEnabled(pDoc, KV_CMD_DOC_PROPERTIES))
    return false;
  pDoc->ExecuteCmd(KV_CMD_DOC_PROPERTIES);
  return true;
}

void CFormDataType::UpdateRightFlags() {
  for (const auto& pTemplate : m_templates)
    for (KvDocTypeEntry& entry : pTemplate->Entries())
      entry.bRight = KvHasRightCode(entry.sRight) ? 1 : 0;
}

QWidget* CFormDataType::CreateTemplatePage(QWidget* pParent) {
  m_pTemplateList = new CKvTemplateList(pParent, GetModule());
  m_pTemplateList->Refill();
  return m_pTemplateList;
}

CKvTemplateList* CFormDataType::GetTemplateList() const { return m_pTemplateList.data(); }

void CFormDataType::RefillTemplateList(int nFlag, int nForm) {
  if (!m_pTemplateList)
    return;
  m_pTemplateList->Refill();
  if (nFlag >= 0)
    m_pTemplateList->SelectRow(m_pTemplateList->FindRow(nFlag, nForm));
}

void CFormDataType::OnFileNew() {
  int nFlag = 0, nForm = 0;
  if (m_pTemplateList && m_pTemplateList->GetSelectedKey(&nFlag, &nForm))
    NewDocument(nFlag, nForm);
}

void CFormDataType::OnFileOpen() {
  int nFlag = 0, nForm = 0;
  if (m_pTemplateList && m_pTemplateList->GetSelectedKey(&nFlag, &nForm))
    OpenDocument(nFlag, nForm);
}

bool CFormDataType::CanFileNew() {
  int nFlag = 0, nForm = 0;
  return m_pTemplateList && m_pTemplateList->GetSelectedKey(&nFlag, &nForm) &&
         IsCommandAllowed(KV_CMD_NEW) && CanNewDocument(nFlag, nForm);
}

bool CFormDataType::CanFileOpen() {
  int nFlag = 0, nForm = 0;
  return m_pTemplateList && m_pTemplateList->GetSelectedKey(&nFlag, &nForm) &&
         IsCommandAllowed(KV_CMD_OPEN) && CanOpenDocument(nFlag, nForm);
}
