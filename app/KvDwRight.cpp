#include "app/KvDwRight.h"

#include "app/CKvApp.h"
#include "app/KvOperatorStore.h"
#include "core/CKvCsRec.h"
#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvDbTransaction.h"
#include "core/KvMessage.h"
#include "core/KvText.h"
#include "ui/CKvTreeCombo.h"
#include "ui/CKvTreeComboTree.h"

#include <QSet>
#include <QTreeWidgetItem>
#include <QWidget>

#include <algorithm>

namespace {

constexpr int kUnitCs = 4000;
const QString kBlanks = QStringLiteral(" \t\r\n");

// The entries of a ";"-separated operator list, trimmed, empty ones skipped.
QStringList operatorEntries(const QString& list) {
  QStringList entries;
  for (const QString& entry : list.split(u';')) {
    const QString code = KvTrimChars(entry, kBlanks);
    if (!code.isEmpty())
      entries.append(code);
  }
  return entries;
}

QString loggedInOperator() {
  CKvApp* app = KvGetApp();
  return app ? app->GetDataFile().GetOperatorCode() : QString();
}

QString operatorOr(const QString& code) { return code.isEmpty() ? loggedInOperator() : code; }

// Every leaf of the application's units.
CKvDwArray allLeaves() {
  CKvDwArray leaves;
  CKvDwRec().KvFindDw(QString(), 4, &leaves);
  return leaves;
}

bool hasDescendants(const QString& code) {
  return CKvDwRec().KvFindDw(code, 3) > 0;
}

bool insertRow(CKvDb* pDb, const QString& unitCode, const QString& operatorCode) {
  CKvCsRec row(pDb);
  row.Set(kUnitCs, 1, unitCode, operatorCode);
  return row.Insert();
}

QString operatorRowsWhere(CKvDb* pDb, const QString& operatorCode) {
  return QStringLiteral("Where Cs=4000 And CsN=1 And CsVal='%1'").arg(pDb->QuoteText(operatorCode));
}

// The path text of the picker's chosen item: its level texts from the top,
// joined by "\n"; empty when nothing is chosen.
QString selectedPath(CKvTreeCombo* pCombo) {
  const QTreeWidgetItem* item = pCombo->Tree()->currentItem();
  if (!item || pCombo->GetSelText().isEmpty())
    return QString();
  QStringList levels;
  for (; item; item = item->parent())
    levels.prepend(item->text(0));
  return levels.join(u'\n');
}

}  // namespace

bool CKvDwRec::KvCheckDwOperators(CKvDb* pDb, QString* pMessage) const {
  QString message;
  for (const QString& code : operatorEntries(Operators)) {
    if (code == u"101") {
      message = QStringLiteral("操作员不能是系统管理员！");
      break;
    }
    KvOperatorStore store;
    if (store.Load(pDb, code) <= 0) {
      message = QStringLiteral("操作员：%1不存在！").arg(code);
      break;
    }
  }
  if (pMessage)
    *pMessage = message;
  return message.isEmpty();
}

int CKvDwRec::KvGetDwOperatorLeaves(CKvDb* pDb, const QString& operatorCode, CKvDwArray* pResult) {
  CKvDwArray local;
  CKvDwArray& result = pResult ? *pResult : local;
  result = allLeaves();
  if (result.isEmpty())
    return 2;
  if (!pDb || !pDb->IsOpen()) {
    result.clear();
    return -1;
  }
  // Read through a query that tells a failed read (reported to the user)
  // from an operator without rows: the first restricts nothing.
  QSet<QString> visible;
  CKvQuery query(0, 0, 1, pDb);
  if (!query.Open(QStringLiteral("Select Rtrim(CsNa) From SysCsTab ") +
                  operatorRowsWhere(pDb, operatorCode))) {
    result.clear();
    return -1;
  }
  for (; !query.IsEOF(); query.MoveNext())
    visible.insert(query.GetText(0));
  if (visible.isEmpty())
    return 2;
  const qsizetype before = result.size();
  result.removeIf([&](const CKvDwRec& leaf) { return !visible.contains(leaf.KNO); });
  if (result.size() == before)
    result.clear();
  return result.isEmpty() ? 2 : 1;
}

int CKvDwRec::KvCheckDwInLeaves(const QString& code, const CKvDwArray* pVisible) {
  if (!pVisible || pVisible->isEmpty())
    return 2;
  int k = 0;
  for (const CKvDwRec& leaf : *pVisible) {
    if (leaf.KNO.startsWith(code))
      ++k;
  }
  if (CKvDwRec().KvFindDw(QString(), 4) <= k)
    return 2;
  if (code.isEmpty())
    return 0;
  const int n = CKvDwRec().KvFindDw(code, 4);
  if (n != 0)
    return n <= k ? 1 : 0;
  return k > 0 ? 1 : 0;
}

int CKvDwRec::KvCheckDwRight(CKvDb* pDb, const QString& code, const QString& operatorCode) {
  CKvDwArray leaves;
  const int restricted = KvGetDwOperatorLeaves(pDb, operatorCode, &leaves);
  if (restricted != 1)
    return restricted;
  return KvCheckDwInLeaves(code, &leaves);
}

int CKvDwRec::KvGetVisibleDwList(CKvDwArray* pResult, const QString& operatorCode, int mode) {
  CKvDwArray local;
  CKvDwArray& result = pResult ? *pResult : local;
  result.clear();
  const QString op = operatorOr(operatorCode);
  const CKvDwArray& units = KvGetDwArray();

  CKvDwArray visible = allLeaves();
  visible.removeIf(
      [&](const CKvDwRec& leaf) { return !operatorEntries(leaf.Operators).contains(op); });

  for (const CKvDwRec& unit : units) {
    const int r = KvCheckDwInLeaves(unit.KNO, &visible);
    if (r == 2)
      break;
    if (hasDescendants(unit.KNO)) {
      if (mode == 1 || (mode != 0 && r == 1))
        result.append(unit);
    } else if (r == 1) {
      result.append(unit);
    }
  }

  if (!visible.isEmpty() && !result.isEmpty()) {
    if (mode == 1)
      result.prepend(CKvDwRec());
  } else if (mode == 0) {
    result = allLeaves();
  } else {
    result = units;
    result.prepend(CKvDwRec());
  }

  // A unit above the leaves stays only while one of its descendants
  // follows it.
  for (qsizetype i = result.size() - 1; i >= 1; --i) {
    if (i + 1 < result.size() && result[i + 1].KNO.startsWith(result[i].KNO))
      continue;
    if (hasDescendants(result[i].KNO))
      result.removeAt(i);
  }
  Clear();
  return int(result.size());
}

QString CKvDwRec::KvGetDwPathText(const QString& rootText) const {
  QString path = u' ' + rootText;
  if (KNO.isEmpty())
    return path;
  CKvDwArray chain;
  CKvDwRec().KvFindDwEx(KNO, &chain);
  chain.append(*this);
  QString previous;
  for (const CKvDwRec& unit : chain) {
    if (unit.KNO.isEmpty())
      continue;
    path += u'\n' + unit.KNO.mid(previous.size()) + u' ' + unit.JA;
    previous = unit.KNO;
  }
  return path;
}

bool CKvDwRec::KvFillDwCombo(CKvTreeCombo* pCombo, int displayFlag, const QString& operatorCode,
                             const QString& rootText) {
  if (!pCombo)
    return false;
  pCombo->DeleteAll();
  CKvDwArray list;
  const int count = KvGetVisibleDwList(&list, operatorCode, 1);
  for (const CKvDwRec& unit : list)
    pCombo->AddPath(unit.KvGetDwPathText(rootText));
  if (!pCombo->SelectText(KvGetCurrentDw().KvGetDwPathText(rootText)))
    KvGetCurrentDw().Clear();
  KvSetCurrentDwFromCombo(pCombo);

  // Flag 2 hides the picker when it offers at most one unit to pick: the
  // leaves of the list (not the root line, nor the units above them).
  int choices = 0;
  for (qsizetype i = 1; i < count; ++i) {
    if (i + 1 == count || !list[i + 1].KNO.startsWith(list[i].KNO))
      ++choices;
  }
  const bool enabled = displayFlag != 0 && !(displayFlag == 2 && choices <= 1);
  pCombo->setEnabled(enabled);
  if (!enabled)
    pCombo->hide();
  return enabled;
}

bool CKvDwRec::KvCheckDwAccess(QWidget* pFocus, int mode) {
  if (mode < 0 || mode == 1)
    return true;
  CKvDwArray list;
  const int count = KvGetVisibleDwList(&list, QString(), 2);
  CKvDwRec& current = KvGetCurrentDw();
  if (count == 0) {
    current.Clear();
    return true;
  }
  if (count == 1) {
    current = list.first();
    return true;
  }
  QString message;
  const bool listed = std::any_of(list.cbegin(), list.cend(),
                                  [&](const CKvDwRec& unit) { return unit.KNO == current.KNO; });
  if (!listed)
    message = QStringLiteral("你无此单位数据访问权！");
  else if (mode == 0 && hasDescendants(current.KNO))
    message = QStringLiteral("这不是一个末级单位！");
  if (message.isEmpty())
    return true;
  KvMessageBox(message, KV_MB_OK | KV_MB_ICONSTOP);
  if (pFocus)
    pFocus->setFocus();
  return false;
}

bool KvSetDwOperators(CKvDb* pDb, const QString& unitCode, const QString& operators,
                      const QString& removeCode) {
  if (!pDb)
    return false;
  KvDbTransaction transaction(*pDb);
  if (!removeCode.isEmpty() &&
      !CKvCsRec(pDb).DeleteWhere(QStringLiteral("Where Cs=4000 And CsN=1 And CsNa='%1'")
                                     .arg(pDb->QuoteText(removeCode))))
    return false;
  for (const QString& code : operatorEntries(operators)) {
    if (!insertRow(pDb, unitCode, code))
      return false;
  }
  return transaction.Commit();
}

bool KvSetDwRight(CKvDb* pDb, bool bGrant, const QString& unitCode, const QString& operatorCode, bool* pChanged) {
  if (pChanged)
    *pChanged = false;
  if (!pDb || unitCode.isEmpty() || operatorCode.isEmpty())
    return false;
  // Every read below is part of the write: one that fails refuses it, so an
  // unreadable list is never taken for an unrestricted operator.
  KvDbTransaction transaction(*pDb);
  if (!transaction.IsActive())
    return false;
  CKvDwRec scratch;
  const int right = scratch.KvCheckDwRight(pDb, unitCode, operatorCode);
  if (right < 0)
    return false;
  if (bGrant) {
    // A unit he sees already needs no row: a row would restrict an
    // unrestricted operator to that one unit.
    if (right != 0)
      return true;
    if (!insertRow(pDb, unitCode, operatorCode))
      return false;
    const int after = scratch.KvCheckDwRight(pDb, unitCode, operatorCode);
    if (after < 0 || (after == 2 && !CKvCsRec(pDb).DeleteWhere(operatorRowsWhere(pDb, operatorCode))))
      return false;
  } else if (right == 0) {
    // Out of his reach already: nothing to write.
  } else if (right == 1) {
    if (!CKvCsRec(pDb).DeleteWhere(
            QStringLiteral("Where Cs=4000 And CsN=1 And CsNa='%1' And CsVal='%2'")
                .arg(pDb->QuoteText(unitCode), pDb->QuoteText(operatorCode))))
      return false;
  } else {
    // Unrestricted, without rows or named on every leaf: his rows are
    // replaced by those of every leaf but the unit's own.
    if (!CKvCsRec(pDb).DeleteWhere(operatorRowsWhere(pDb, operatorCode)))
      return false;
    for (const CKvDwRec& leaf : allLeaves()) {
      if (!leaf.KNO.startsWith(unitCode) && !insertRow(pDb, leaf.KNO, operatorCode))
        return false;
    }
  }
  if (!transaction.Commit())
    return false;
  if (pChanged)
    *pChanged = bGrant || right != 0;
  return true;
}

bool KvCheckAllSubDwRight(bool bShowMessage) {
  CKvDwArray visible;
  const int count = CKvDwRec().KvGetVisibleDwList(&visible, QString(), 0);
  if (count == CKvDwRec().KvFindDw(QString(), 4))
    return true;
  if (bShowMessage)
    KvMessageBox(QStringLiteral("当前操作员没有全部子单位数据访问权！"), KV_MB_OK | KV_MB_ICONSTOP);
  return false;
}

void KvSetCurrentDwFromCombo(CKvTreeCombo* pCombo) {
  KvGetCurrentDw().Clear();
  if (!pCombo)
    return;
  QString code;
  for (const QString& line : selectedPath(pCombo).split(u'\n'))
    code += KvFirstWord(line);
  if (!code.isEmpty())
    KvSetCurrentDw(code);
}
