#include "formula/CKvVarList.h"

#include "core/CKvDb.h"
#include "core/KvText.h"

#include <QMap>

#include <algorithm>

namespace {

// Built-in variables per module number, filled by the modules at start-up.
QMap<int, QList<CKvVar>>& builtIns() {
  static QMap<int, QList<CKvVar>> registry;
  return registry;
}

}  // namespace

CKvVarList::CKvVarList(int nSoft) : m_nSoft(nSoft) {}

void CKvVarList::RegisterBuiltIn(int nSoft, const CKvVar& var) {
  QList<CKvVar>& vars = builtIns()[nSoft];
  const auto at = std::find_if(vars.begin(), vars.end(),
                               [&](const CKvVar& v) { return v.nNo >= var.nNo; });
  if (at != vars.end() && at->nNo == var.nNo)
    *at = var;
  else
    vars.insert(at, var);
}

QList<CKvVar> CKvVarList::BuiltIns(int nSoft) { return builtIns().value(nSoft); }

void CKvVarList::Reload() { m_vars = BuiltIns(m_nSoft); }

const CKvVar* CKvVarList::Find(const QString& name) const {
  for (const CKvVar& var : m_vars)
    if (KvEqualsIgnoreCase(var.strName, name))
      return &var;
  return nullptr;
}

bool CKvVarList::Save(CKvDb* db) const {
  if (!db)
    return false;
  const QString soft = QString::number(m_nSoft);
  for (const CKvVar& var : m_vars) {
    const QString no = QString::number(var.nNo);
    if (!db->Execute(QStringLiteral("Delete From KVVAR Where nSoft=") + soft +
                     QStringLiteral(" And nNo=") + no))
      return false;
    const QString insert =
        QStringLiteral("Insert Into KVVAR(nSoft,nNo,SVAR,SEXP,SNOTE,NTYPE) Values(") + soft +
        u',' + no + QStringLiteral(",'") + db->QuoteText(var.strName, kNameWidth) +
        QStringLiteral("','") + db->QuoteText(var.strExp, kExpWidth) + QStringLiteral("','") +
        db->QuoteText(var.strNote, kNoteWidth) + QStringLiteral("',") +
        QString::number(var.nType) + u')';
    if (!db->Execute(insert))
      return false;
  }
  return true;
}
