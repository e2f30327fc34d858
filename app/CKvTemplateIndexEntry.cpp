#include "app/CKvTemplateIndexEntry.h"

#include "core/KvNumber.h"
#include "core/KvText.h"

CKvTemplateIndexEntry::CKvTemplateIndexEntry(const QString& caption, const QString& text2,
                                             int bEnabled, int nModule, const QString& members)
    : m_strCaption(caption),
      m_strText2(text2),
      m_bEnabled(bEnabled),
      m_nModule(nModule),
      m_strMembers(members) {}

CKvTemplateIndexEntry::~CKvTemplateIndexEntry() = default;

bool CKvTemplateIndexEntry::IsModuleShown(int nModule, const QList<CKvTemplateIndexEntry>& entries) {
  if (nModule == 3 || entries.isEmpty())
    return true;
  auto hasOwnEntry = [&](int module) {
    for (const CKvTemplateIndexEntry& entry : entries)
      if (entry.m_bEnabled && entry.m_nModule == module)
        return true;
    return false;
  };
  if (hasOwnEntry(nModule))
    return true;
  const QString mark = QStringLiteral(" %1 ").arg(nModule);
  for (const CKvTemplateIndexEntry& group : entries) {
    if (!group.m_bEnabled || group.m_nModule >= 0 || !group.m_strMembers.contains(mark))
      continue;
    const QStringList fields =
        KvTrimChars(group.m_strMembers, QStringLiteral(" \t\r\n")).split(u' ');
    // A group none of whose members has an entry of its own shows its
    // leading module.
    bool memberListed = false;
    for (const QString& field : fields)
      if (hasOwnEntry(KvStrToInt(field)))
        memberListed = true;
    if (memberListed)
      return false;
    if (KvStrToInt(fields.value(0)) == nModule)
      return true;
  }
  return false;
}
