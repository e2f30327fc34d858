#pragma once
// The template list of a module: the list (control 1301) on the module's
// tab of the template box that shows every document type of the module,
// the built-in ones and the stored copies operators made ("复件"), with the
// columns "文档模板", "模板号", "序号" and "功能说明" (names and descriptions
// without the unit-name placeholder "#co_name"). Each row's check shows
// whether the operator holds the type's right; clicking it changes nothing.
//
// From it the operator opens and creates documents (through the module
// descriptor), adds a copy of a type, deletes copies, copies and pastes
// types through the row clipboard (between data files too), opens a type's
// properties sheet, and writes or reads a templ file.
//
// What callers may rely on:
// - Refill rebuilds the stored-copy entries of the module's document
//   templates from the KvFormList rows of the open data file, then every
//   row; the checks follow the rights of the logged-in operator.
// - Every write of a template (a copy, a paste, each imported template) runs
//   in one transaction: a template is written whole or not at all, its
//   layout rows and its print settings of the current printer together.
// - A new copy's number is taken from the data file under its lock, and a
//   template is never written over one stored there unless the operator
//   chose to replace that type: several workstations may add copies at
//   once. The list is refilled after each write.
//   Deleting a copy also forgets how its documents were last opened.
// - A copied row's clipboard text is "<template number> <sequence number>".

#include "core/CKvDbInfo.h"
#include "ui/CKvListCtrl.h"

#include <QList>
#include <QString>

class CFormDataType;
class CKvDb;
class CKvDocTemplate;
struct KvDocTypeEntry;

class CKvTemplateList : public CKvListCtrl {
  Q_OBJECT
 public:
  // The list of module nModule's types, in icon view with check boxes; the
  // view the operator last chose for the module ("ListStyle_<module>") is
  // restored.
  CKvTemplateList(QWidget* pParent, int nModule);
  ~CKvTemplateList() override;

  int GetModule() const { return m_nModule; }
  // The module's descriptor; null when it is not a form module.
  CFormDataType* GetDataType() const;

  // Rebuilds the stored-copy entries and every row.
  void Refill();
  // The row of (nFlag, nForm); -1 when none.
  int FindRow(int nFlag, int nForm) const;
  // Selects the row (adding it to the selection when bAdd), makes it
  // current, shows it and gives the list the focus.
  void SelectRow(int nRow, bool bAdd = false);
  // The template and sequence numbers of a row; false for no such row.
  bool GetRowKey(int nRow, int* pnFlag, int* pnForm) const;
  // The one selected row's key; false unless exactly one row is selected.
  bool GetSelectedKey(int* pnFlag, int* pnForm) const;
  // The selected rows' "%d %d" texts (template number, sequence number).
  int GetSelectedKeys(QStringList* keys) const;

  // Copies the template (nFlag, nForm) of the source data file into the
  // open data file: from the same data file as a new copy ("复件_...")
  // under the next free number, from another one under its own numbers
  // (replacing, after asking, a type the module has). *pnResult gets the
  // number it was written under. False when nothing was written.
  bool PasteTemplate(int nFlag, int nForm, int* pnResult, CKvDb* pSource);

  // --- Commands ---

  // 43407 "增加文档模板": a copy of the selected type under the next free
  // sequence number of its document template, named "复件_..." (logged 14).
  void OnAddTemplate();
  // 43410 and 43411: ask for a templ file (export: in the folder of the
  // last one, else the home folder; import: the last one), then
  // ExportStructure or ImportStructure. The path is remembered.
  void OnExportStructure();
  void OnImportStructure();
  // Writes the selected templates to the templ file at path, through a
  // temporary data file; the outcome is shown.
  void ExportStructure(const QString& path);
  // Reads the templ file at path whole into a temporary data file, then
  // imports its templates; a file that is not sound, in any part, shows
  // "文件“%s”不是有效的文档结构文件！" and changes nothing.
  void ImportStructure(const QString& path);
  void OnNew() override;
  void OnOpen() override;
  // Deletes the selected stored copies after asking (nothing is asked
  // without a selection); other rows stay selected.
  void OnDelete() override;

  // The templates of the selected rows, from pSource into pTarget; true
  // when at least one was written ("没有卸出文档结构！" otherwise).
  bool ExportTemplates(CKvDb* pSource, CKvDb* pTarget);
  // Every template of pSource into pTarget, asking about each one that the
  // module already has; the list is refilled. True when at least one
  // template was written.
  bool ImportTemplates(CKvDb* pSource, CKvDb* pTarget);

  int GetCopyTexts(QStringList* texts) const override { return GetSelectedKeys(texts); }
  int ReadClipboard(QStringList* texts, bool* bCut, bool* bSameFile, CKvDbInfo* from) override;
  void PasteItems(const QStringList& texts, bool bCut, bool bSameFile, const CKvDbInfo& from) override;
  void GetIconIds(QList<int>* ids) const override;

  bool HandlesCmd(int id) const override;
  void ExecuteCmd(int id) override;
  bool IsCmdEnabled(int id) override;

 protected:
  // Menu 300 without "修改" and "剪切", with the template commands before
  // where "剪切" stood.
  QMenu* BuildContextMenu() override;

 private:
  // The lowest number a copy of the document template may take: one above
  // its built-in types, which keep their numbers whether stored or not.
  static int FirstCopyNumber(const CKvDocTemplate& docTemplate);
  // A type's name as the list shows it: without the unit-name placeholder.
  static QString ShownName(const KvDocTypeEntry& entry);
  // The entry and template of a row; false when the module has none.
  bool rowEntry(int nRow, KvDocTypeEntry* pEntry, CKvDocTemplate** ppTemplate = nullptr) const;
  // Puts every row's check back to its type's right (a click changed it).
  void restoreChecks();
  // Keeps the view type the operator chose for the module.
  void saveViewStyle() const;

  int m_nModule;
  // The template and sequence number of each row.
  QList<int> m_rowFlags;
  QList<int> m_rowForms;
  QList<bool> m_rowRights;
  bool m_bRefilling = false;
  // Where the rows of the last clipboard read come from.
  int m_nPasteKind = 0;
  QString m_pasteName;
};
