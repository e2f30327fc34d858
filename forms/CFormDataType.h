#pragma once
// The module descriptor of a module with form documents: a CKvDataType
// that also owns the module's document templates and their document types.
// It looks entries up, opens new and existing documents of a type and runs
// a type's properties sheet, with the enabling rules the template list
// shows: nothing without the entry's right, and "new" also not while the
// entry's creation lock is set.
//
// Entries are numbered across the templates in template order, then entry
// order (GetEntryByIndex, FindEntryIndex).

#include "app/CKvDataType.h"
#include "forms/KvDocTypeEntry.h"

#include <QPointer>
#include <memory>
#include <vector>

class CKvDoc;
class CKvDocTemplate;
class CKvTemplateList;

class CFormDataType : public CKvDataType {
 public:
  CFormDataType();
  ~CFormDataType() override;

  // Takes the template, sets its module number; returns it for AddEntry.
  CKvDocTemplate* AddTemplate(std::unique_ptr<CKvDocTemplate> pTemplate);
  // The module's templates in the order they were added.
  const std::vector<std::unique_ptr<CKvDocTemplate>>& GetTemplates() const { return m_templates; }
  // The template of that number; null when none.
  CKvDocTemplate* FindTemplate(int nFlag) const;

  // A copy of the entry (nFlag, nForm) and its template; false when none.
  bool GetEntry(int nFlag, int nForm, KvDocTypeEntry* pEntry = nullptr,
                CKvDocTemplate** ppTemplate = nullptr) const;
  bool GetEntryByIndex(int nIndex, KvDocTypeEntry* pEntry = nullptr,
                       CKvDocTemplate** ppTemplate = nullptr) const;
  // -1 when absent.
  int FindEntryIndex(int nFlag, int nForm) const;
  int GetEntryCount() const;

  // --- Hooks ---

  // The module's veto over a command of its template list; default TRUE.
  virtual bool IsCommandAllowed(int nId) { (void)nId; return true; }
  // Whether stored copies of the template are listed; default TRUE.
  virtual bool AcceptsCopies(const CKvDocTemplate& docTemplate) {
    (void)docTemplate;
    return true;
  }

  // --- New, open and properties of an entry ---

  bool CanNewDocument(int nFlag, int nForm) const;
  bool CanOpenDocument(int nFlag, int nForm) const;
  bool CanShowProperties(int nFlag, int nForm) const { return CanOpenDocument(nFlag, nForm); }
  // Open a document of the type (logged 12 or 13); null when refused or
  // not opened.
  CKvDoc* NewDocument(int nFlag, int nForm);
  CKvDoc* OpenDocument(int nFlag, int nForm);
  // Opens the type's document and runs its properties sheet (43114).
  bool ShowProperties(int nFlag, int nForm);

  // Sets every entry's right flag from the logged-in operator's rights.
  void UpdateRightFlags();

  // --- The module's page in the template box: its template list ---

  // Makes the module's template list (filled) on the page.
  QWidget* CreateTemplatePage(QWidget* pParent) override;
  // The list; null before the template box made it or after it went.
  CKvTemplateList* GetTemplateList() const;
  // Refills the list and, with a key, selects and shows that row; nothing
  // without a list.
  void RefillTemplateList(int nFlag = -1, int nForm = -1);
  // 57600 and 57601 of the active module: a new or opened document of the
  // type selected in the list, allowed as "新增" and "打开" of the list are.
  void OnFileNew() override;
  void OnFileOpen() override;
  bool CanFileNew() override;
  bool CanFileOpen() override;

 private:
  std::vector<std::unique_ptr<CKvDocTemplate>> m_templates;
  QPointer<CKvTemplateList> m_pTemplateList;
};
