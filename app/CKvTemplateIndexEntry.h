#pragma once
// One entry of the template index: which registered modules get a tab in
// the template box. An entry stands for one module, or (module number -1)
// for a group whose members are written " %d " one after the other, the
// first being the group's leading module. Only enabled entries count.

#include <QList>
#include <QString>

class CKvTemplateIndexEntry {
 public:
  CKvTemplateIndexEntry() = default;
  CKvTemplateIndexEntry(const QString& caption, const QString& text2, int bEnabled, int nModule,
                        const QString& members);
  virtual ~CKvTemplateIndexEntry();
  CKvTemplateIndexEntry(const CKvTemplateIndexEntry&) = default;
  CKvTemplateIndexEntry& operator=(const CKvTemplateIndexEntry&) = default;

  // True when the module gets a tab under these entries: module 3 always,
  // every module when there are no entries, a module with an enabled entry
  // of its own, and the leading module of an enabled group none of whose
  // members has an enabled entry of its own.
  static bool IsModuleShown(int nModule, const QList<CKvTemplateIndexEntry>& entries);

  QString m_strCaption;
  QString m_strText2;
  int m_bEnabled = 0;
  int m_nModule = -1;
  QString m_strMembers;
};
