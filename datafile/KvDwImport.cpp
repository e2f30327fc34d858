#include "datafile/KvDwImport.h"

#include "app/CKvApp.h"
#include "app/CKvDataType.h"
#include "app/CKvDwRec.h"
#include "app/CKvOperation.h"
#include "app/KvAppQuery.h"
#include "app/KvBackup.h"
#include "app/KvDwMaintenance.h"
#include "app/KvDwRight.h"
#include "app/KvOperatorStore.h"
#include "core/CKvDb.h"
#include "core/CKvDbInfo.h"
#include "core/CKvQuery.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvRegistry.h"
#include "core/KvSqlTranslator.h"
#include "datafile/CKvDwImportDlg.h"
#include "ui/CKvWaitWnd.h"
#include "ui/KvModal.h"

#include <QDir>
#include <QSet>

#include <algorithm>

namespace {
void stop(const QString& text) {
  if (!text.isEmpty())
    KvMessageBox(text, KV_MB_OK | KV_MB_ICONSTOP);
}

// The modules of the ";"-list, in the application's order.
QList<CKvDataType*> chosenModules(const QString& modules) {
  QList<CKvDataType*> chosen;
  const QStringList numbers = modules.split(u';');
  if (CKvApp* app = KvGetApp())
    for (CKvDataType* module : app->GetDataTypes())
      if (numbers.contains(QString::number(module->GetModule())))
        chosen.append(module);
  return chosen;
}

// Asks each module with the operation about one unit; false with the
// module named when one refuses.
bool askModules(const QList<CKvDataType*>& modules, int operation, const QString& text) {
  for (CKvDataType* module : modules) {
    QString message;
    if (!module->Check(operation, text, message)) {
      stop(KvFormat("“%s”模块导入失败：%s", module->GetCaption(), message));
      return false;
    }
  }
  return true;
}

// The largest value of a SysTab column; false when it cannot be read (a
// select of Max gives one row whenever it runs).
bool sysTabText(CKvDb* pDb, const QString& column, QString* pValue) {
  QStringList values[1];
  if (pDb->QueryTexts(QStringLiteral("Select Max(%1) From SysTab").arg(column), values, 1) < 1)
    return false;
  *pValue = values[0].first();
  return true;
}

// 'code*': the code and every code that begins with it.
QString likeSubtree(CKvDb* pDb, const QString& code) {
  return QStringLiteral("'%1\x07*\x08'").arg(KvQuoteLikePattern(code, pDb->GetKind()));
}

// The visibility rows of a unit and of the units under it.
QString rowsWithin(CKvDb* pDb, const QString& code) {
  return QStringLiteral("Where Cs=4000 And CsN=1 And CsNa Like ") + likeSubtree(pDb, code);
}

// The unit replaced by the imported units keeps whoever was kept to it: an
// operator whose visibility rows name the target or a unit under it has
// those rows moved onto the leaves of the new units, so that he sees the
// target's new units and still nothing else. *pMoved lists those operators,
// sorted; false when a read or a statement failed.
bool moveOperatorRows(CKvDb* pDb, const QString& target, const CKvDwArray& units, QStringList* pMoved) {
  QSet<QString> operators;
  {
    CKvQuery query(0, 0, 1, pDb);
    if (!query.Open(QStringLiteral("Select Rtrim(CsVal) From SysCsTab ") + rowsWithin(pDb, target)))
      return false;
    for (; !query.IsEOF(); query.MoveNext())
      operators.insert(query.GetText(0));
  }
  *pMoved = operators.values();
  std::sort(pMoved->begin(), pMoved->end());
  if (pMoved->isEmpty())
    return true;
  if (!pDb->Execute(QStringLiteral("Delete From SysCsTab ") + rowsWithin(pDb, target)))
    return false;
  const QString list = pMoved->join(u';');
  for (const CKvDwRec& unit : units) {
    const bool leaf = std::none_of(units.cbegin(), units.cend(), [&](const CKvDwRec& other) {
      return other.KNO.size() > unit.KNO.size() && other.KNO.startsWith(unit.KNO);
    });
    if (leaf && !KvSetDwOperators(pDb, unit.KNO, list, QString()))
      return false;
  }
  return true;
}
}  // namespace

bool KvImportDwFrom(const QString& target, CKvDb* pDb, const QString& sourcePath, const QString& modules,
                    const QString& sourceUnit) {
  if (!pDb || target.isEmpty())
    return false;
  CKvDwRec targetUnit;
  if (targetUnit.KvFindDw(target, 0) <= 0)
    return false;

  // The units to import, under their new codes, and the source's operators.
  CKvDwArray units;
  QList<KvOperator> operators;
  {
    CKvDb source(0);
    if (!source.Open(sourcePath, CKvDbInfo(0)))
      return false;
    if (!sourceUnit.isEmpty()) {
      if (CKvDwRec().KvCountDw(sourceUnit, &units, &source) <= 0)
        return false;
    } else {
      // A file without units: T keeps its code, short name, telephone,
      // address, note and operators and takes the file's names.
      // A name that cannot be read stops the import before anything is
      // written.
      CKvDwRec unit = targetUnit;
      if (!sysTabText(&source, QStringLiteral("NA"), &unit.NA) ||
          !sysTabText(&source, QStringLiteral("T1"), &unit.MAR) ||
          !sysTabText(&source, QStringLiteral("KJ"), &unit.MGR))
        return false;
      units.append(unit);
    }
    if (KvOperatorStore::Fill(&operators, &source, false) < 0)
      return false;
  }
  QStringList oldCodes;
  for (CKvDwRec& unit : units) {
    oldCodes.append(unit.KNO);
    unit.KNO = sourceUnit.isEmpty() ? target : target + unit.KNO.mid(sourceUnit.size());
  }
  const int subUnits = int(units.size()) - 1;
  const auto moduleText = [&](int i) {
    return KvFormat("%s\n%s\n%s\n%d", oldCodes.at(i), units.at(i).KNO, sourcePath, subUnits);
  };

  const QList<CKvDataType*> chosen = chosenModules(modules);
  for (int i = 0; i < units.size(); ++i)
    if (!askModules(chosen, 8, moduleText(i)))
      return false;
  if (targetUnit.KvFindDw(target, 0) <= 0)
    return false;
  QString caption;
  const bool targetEmpty = KvDwHasData(target, &caption, pDb);
  if (!targetEmpty && KvMessageBox(QStringLiteral("目标单位已有数据，要删除它吗？"),
                                   KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) != KV_IDYES)
    return false;
  if (!pDb->LockExclusive(true)) {
    stop(QStringLiteral("目标数据文件还有别的人在使用！"));
    return false;
  }
  bool imported = false;
  QStringList moved;
  // The backup shares the file again when it is done: it is taken back.
  if (KvBackupBeforeRiskyOp() && pDb->LockExclusive(true)) {
    CKvWaitWnd wait;
    wait.Show();
    QList<KvOperator> own;
    KvDbTransaction transaction(*pDb);
    imported = transaction.IsActive() && KvOperatorStore::Fill(&own, pDb, true) >= 0 &&
               (targetEmpty || KvDeleteDwRows(target, pDb));
    QSet<QString> known;
    for (const KvOperator& op : own)
      known.insert(op.strCode);
    for (const KvOperator& op : operators) {
      if (!imported || known.contains(op.strCode))
        continue;
      imported = pDb->Execute(QStringLiteral("Insert Into OPR(OPNO,NA,PSD) Values('%1','%2','%3')")
                                  .arg(pDb->QuoteText(op.strCode), pDb->QuoteText(op.strName),
                                       pDb->QuoteText(op.strPassword)));
    }
    imported = imported && pDb->Execute(QStringLiteral("Delete From KVDW Where KNO Like ") + likeSubtree(pDb, target));
    for (int i = 0; imported && i < units.size(); ++i) {
      CKvDwRec unit = units.at(i);
      imported = unit.KvInsertDw(pDb, 1) && askModules(chosen, 9, moduleText(i));
    }
    imported = imported && moveOperatorRows(pDb, target, units, &moved);
    // On a server the check before was a look at one moment: a workstation
    // that logged in since may have saved into the unit.
    if (imported && !pDb->CheckOtherClients(false)) {
      transaction.Rollback();
      stop(QStringLiteral("导入期间别的工作站登录了目标数据文件，导入已取消，数据未被改动！"));
      imported = false;
    }
    imported = imported && transaction.Commit();
  }
  pDb->LockExclusive(false);
  CKvDwRec().KvSelectDw(QString(), QStringLiteral("Order By KNO"), &KvGetDwArray(), pDb);
  if (!imported)
    return false;
  QString note = KvFormat("导入单位%s的数据", target);
  if (!moved.isEmpty())
    note += KvFormat("，操作员%s的可访问单位移至其新单位", moved.join(QStringLiteral("、")));
  CKvOperation(27, note);
  KvMessageBox(QStringLiteral("数据导入完毕！"), KV_MB_OK | KV_MB_ICONINFORMATION);
  return true;
}

bool KvImportDw(const QString& target, CKvDb* pDb, QWidget* parent) {
  const QString current = QDir::currentPath();
  CKvDwImportDlg dialog(pDb, parent);
  const bool chosen = KvExecDialog(&dialog) == QDialog::Accepted;
  QDir::setCurrent(current);
  if (!chosen)
    return false;
  KvRegWriteString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), QStringLiteral("KVDW_Import"), dialog.SourcePath());
  return KvImportDwFrom(target, pDb, dialog.SourcePath(), dialog.Modules(), dialog.SourceUnit());
}
