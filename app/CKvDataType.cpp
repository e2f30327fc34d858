#include "app/CKvDataType.h"

#include "app/CKvApp.h"
#include "core/CKvDb.h"
#include "core/KvRegistry.h"
#include "formula/CKvVarList.h"

void KvCodeRefs::Add(const QString& table, const QString& column, const QString& caption,
                     const QString& jetCondition, const QString& serverCondition) {
  Tables.append(table);
  Columns.append(column);
  Captions.append(caption);
  JetConditions.append(jetCondition);
  ServerConditions.append(serverCondition);
}

CKvDataType::~CKvDataType() = default;

void CKvDataType::RegisterTemplates() {
  QString label;
  if (KvRegReadString(KvRegRoot::CurrentUser, KvGetRegKeyPath(),
                      QStringLiteral("tablabel_%1").arg(m_nModule), &label))
    m_strTabLabel = label;
}

// The defaults: a module that does not override a hook adds nothing to the
// catalogues, has no tables and answers every question with "no objection".

bool CKvDataType::OnAppCommand(int) { return false; }

bool CKvDataType::CreateTables(CKvDb*) { return true; }

void CKvDataType::OpenData(CKvDb*) {}

bool CKvDataType::InsertDefaultRows(CKvDb* pDb, int) {
  CKvVarList vars(m_nModule);
  vars.Reload();
  return vars.Save(pDb);
}

void CKvDataType::GetModuleRights(QStringList&, QStringList&) {}

void CKvDataType::GetSharedRights(QStringList&, QStringList&) {}

void CKvDataType::GetSharedOperationNames(QList<int>&, QStringList&) {}

void CKvDataType::GetModuleOperationNames(QList<int>&, QStringList&) {}

void CKvDataType::GetCodeReferences(const QString&, KvCodeRefs&) {}

void CKvDataType::GetDefaultPrintSet(int, const QString&, CKvPrintSet&) {}

void CKvDataType::GetPrintPosForms(int, CKvPrintFieldDefs&) {}

bool CKvDataType::CarryData(CKvDb*, CKvDb*) { return true; }

void CKvDataType::GetCarryItems(QList<int>&, QStringList&, QStringList&) {}

bool CKvDataType::CarryOver(int, int, CKvDb*, CKvDb*, int) { return true; }

int CKvDataType::CheckCarryOver(int, int, const QString& caption, const QString& tables, CKvDb*,
                                CKvDb* pNewDb, QString& message) {
  if (!pNewDb)
    return 0;
  // A table the new file lacks has nothing to overwrite; one that exists but
  // cannot be counted is taken as holding rows.
  for (const QString& table : tables.split(u' ', Qt::SkipEmptyParts)) {
    if (pNewDb->TableExists(table) && !pNewDb->TablesEmpty(table)) {
      message = QStringLiteral("%1：已有内容，不能结转！").arg(caption);
      return -1;
    }
  }
  return 0;
}

bool CKvDataType::CheckMonthChange(int, const QString&, const QString&) { return true; }

void CKvDataType::OnFirstMonthChanged(int, const QString&, const QString&) {}

int CKvDataType::GetMonthPeriod(QString&) { return -1; }

void CKvDataType::GetDataInfo(const CKvDwRec&, const QString&, const QString&, int&, int&,
                              QString&, QList<KvDataInfoItem>&) {}

bool CKvDataType::RunDataInfoCommand(const CKvDwRec&, const QString&, const QString&,
                                     const KvDataInfoItem&) {
  return false;
}

int CKvDataType::Answer(int, const QString&, const QString&, int, int) { return 0; }

bool CKvDataType::Check(int, const QString&, QString&) { return true; }
