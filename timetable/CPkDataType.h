#pragma once
// The descriptor of module 19, timetabling. It creates the seven timetabling
// tables (TCHR, SBT, PUBRM, WKT, and through the fee module's shared
// function WKJH, SBTTCHR, PK) when they are missing, lists the module's
// rights and the common rights it adds, names its operations for the log,
// fills the default page of its forms, and names and carries its
// carry-forward items into a new year's data file (each item in one
// transaction of the new file). It names no code references.

#include "forms/CFormDataType.h"

class CPkDataType : public CFormDataType {
 public:
  static constexpr int kModule = 19;

  // The document templates (270 the period schedule, 273 the load reports)
  // and the Settings menu's catalogues (45005-45007).
  void RegisterTemplates() override;
  // The documents tell their pages by their type: no stored copies.
  bool AcceptsCopies(const CKvDocTemplate& docTemplate) override {
    (void)docTemplate;
    return false;
  }
  bool CreateTables(CKvDb* pDb) override;
  void GetModuleRights(QStringList& codes, QStringList& names) override;
  void GetSharedRights(QStringList& codes, QStringList& names) override;
  void GetDefaultPrintSet(int nFormNo, const QString& formName, CKvPrintSet& set) override;
  void GetCarryItems(QList<int>& numbers, QStringList& captions, QStringList& tables) override;
  bool CarryOver(int nGroup, int nItem, CKvDb* pOldDb, CKvDb* pNewDb, int nFlag) override;
  void GetSharedOperationNames(QList<int>& numbers, QStringList& names) override;
  void GetModuleOperationNames(QList<int>& numbers, QStringList& names) override;

  // One carry item into the new file, all or nothing; false when a copy
  // failed or left a row out (the new file's tables are then as before), or
  // the item is unknown.
  static bool CarryItem(int nGroup, int nItem, CKvDb* pOldDb, CKvDb* pNewDb);
};
