#include "app/KvDwMaintenance.h"

#include "app/CKvApp.h"
#include "app/CKvDataType.h"
#include "app/CKvDwRec.h"
#include "app/KvAppQuery.h"
#include "app/KvBackup.h"
#include "app/KvDwRight.h"
#include "core/KvLockOrder.h"
#include "core/CKvDb.h"
#include "core/KvCopyTable.h"
#include "core/KvDbTransaction.h"
#include "core/KvMessage.h"
#include "core/KvSqlTranslator.h"
#include "core/KvText.h"
#include "core/KvWidth.h"

#include <QSet>
#include <QStringList>

#include <algorithm>
#include <functional>

namespace {

// The "any run" wildcard of a Like pattern, as a marker for the translator.
const QString kAnyMarker = QStringLiteral("\x07*\x08");

void showStop(const QString& text) { KvMessageBox(text, KV_MB_OK | KV_MB_ICONSTOP); }

QString quoted(CKvDb* pDb, const QString& text) { return u'\'' + pDb->QuoteText(text) + u'\''; }

// 'code*': the code and every code that begins with it.
QString likeSubtree(CKvDb* pDb, const QString& code) {
  return u'\'' + KvQuoteLikePattern(code, pDb->GetKind()) + kAnyMarker + u'\'';
}

// The places that hold unit codes.
KvCodeRefs unitTables() {
  KvCodeRefs refs;
  if (CKvApp* app = KvGetApp())
    app->GetCodeReferences(QStringLiteral("KVDW"), refs);
  return refs;
}

QString conditionOf(const KvCodeRefs& refs, int i, CKvDb* pDb) {
  const QString& jet = refs.JetConditions.at(i);
  if (pDb->GetKind() == 0)
    return jet;
  const QString& server = refs.ServerConditions.at(i);
  return server.isEmpty() ? jet : server;
}

// " And <condition>" when the place has one.
QString andCondition(const KvCodeRefs& refs, int i, CKvDb* pDb) {
  const QString condition = conditionOf(refs, i, pDb);
  return condition.isEmpty() ? QString() : QStringLiteral(" And ") + condition;
}

// The integer of a count; -1 when it cannot be read.
int countOf(CKvDb* pDb, const QString& sql) {
  int count = 0;
  return KvAppSelectInt(pDb, sql, QString(), &count) ? count : -1;
}

// "Set <column>=<prefix>||Mid(<column>,<from>,<length>)": the part of the code
// from `from` on, behind a new prefix.
QString replacePrefix(const QString& column, const QString& prefixLiteral, int from, int length) {
  return QStringLiteral("%1=%2||Mid(%1,%3,%4)").arg(column, prefixLiteral).arg(from).arg(length);
}

// Runs `make(table, column)` on KVDW, on the visibility rows and on every
// unit-bearing table (with its condition); false at the first failure.
template <typename Make>
bool runOnEveryCodePlace(CKvDb* pDb, Make make) {
  if (!pDb->Execute(make(QStringLiteral("KVDW"), QStringLiteral("KNO"))))
    return false;
  if (!pDb->Execute(make(QStringLiteral("SysCsTab"), QStringLiteral("CsNa")) +
                    QStringLiteral(" And Cs=4000 And CsN=1")))
    return false;
  const KvCodeRefs refs = unitTables();
  for (int i = 0; i < refs.Count(); ++i) {
    if (!pDb->Execute(make(refs.Tables.at(i), refs.Columns.at(i)) + andCondition(refs, i, pDb)))
      return false;
  }
  return true;
}

// Deletes the rows of the unit and its descendants from the unit-bearing
// tables; false at the first failure.
bool deleteUnitData(const QString& code, CKvDb* pDb) {
  const KvCodeRefs refs = unitTables();
  for (int i = 0; i < refs.Count(); ++i) {
    if (!pDb->Execute(QStringLiteral("Delete From %1 Where %2 Like %3")
                          .arg(refs.Tables.at(i), refs.Columns.at(i), likeSubtree(pDb, code)) +
                      andCondition(refs, i, pDb)))
      return false;
  }
  return true;
}

// The operators restricted by a visibility row on a leaf of the units in
// the table (as the connection sees them, inside a running transaction too).
QSet<QString> restrictedOperators(CKvDb* pDb) {
  CKvDwArray units;
  CKvDwRec().KvSelectDw(QString(), QString(), &units, pDb);
  QSet<QString> operators;
  for (qsizetype i = 0; i < units.size(); ++i) {
    if (i + 1 < units.size() && units[i + 1].KNO.startsWith(units[i].KNO))
      continue;
    for (const QString& code : units[i].Operators.split(u';', Qt::SkipEmptyParts))
      operators.insert(code);
  }
  return operators;
}

// The operators restricted before a change who are no longer restricted
// after it (he who loses his last visibility row on a leaf sees every
// unit), sorted.
QStringList freedOperators(CKvDb* pDb, const QSet<QString>& before) {
  QStringList freed = (before - restrictedOperators(pDb)).values();
  std::sort(freed.begin(), freed.end());
  return freed;
}

// Rolls the change back, then shows why; false.
bool refuse(KvDbTransaction& transaction, const QString& message) {
  transaction.Rollback();
  showStop(message);
  return false;
}

// Every table a unit write reads or changes: the units, the unit-bearing
// tables and the visibility rows, locked in the one order.
bool lockUnitTables(CKvDb* pDb) {
  return KvLockTablesInOrder(pDb, QStringList{QStringLiteral("KVDW")} + unitTables().Tables +
                                      QStringList{QStringLiteral("SysCsTab")});
}

// Nobody else may be on the data file when the units change: looked at
// after the last question, right before the commit; a workstation that
// came on meanwhile refuses the change, told after the rollback.
bool stillAlone(CKvDb* pDb, KvDbTransaction& transaction) {
  return pDb->CheckOtherClients(false) ||
         refuse(transaction, QStringLiteral("操作期间别的工作站登录了当前数据文件，核算单位未被改动！"));
}

// Runs a change of the units, write(transaction), under the locks of every
// table it reads. A change that would free operators asks first, with no
// lock held: while any operator is restricted it is tried once and rolled
// back to find them; the write made for good must then free just those,
// and nobody else may have come on. False when refused (told), declined or
// failed.
bool writeUnits(CKvDb* pDb, const std::function<bool(KvDbTransaction&)>& write) {
  QStringList freed;
  if (!restrictedOperators(pDb).isEmpty()) {
    KvDbTransaction trial(*pDb);
    if (!trial.IsActive() || !lockUnitTables(pDb))
      return false;
    const QSet<QString> before = restrictedOperators(pDb);
    if (!write(trial))
      return false;
    freed = freedOperators(pDb, before);
  }
  if (!freed.isEmpty() &&
      KvMessageBox(QStringLiteral("操作员%1将不再受核算单位限制，可以访问全部核算单位，继续吗？")
                       .arg(freed.join(QStringLiteral("、"))),
                   KV_MB_YESNO | KV_MB_ICONQUESTION | KV_MB_DEFBUTTON2) != KV_IDYES)
    return false;
  KvDbTransaction transaction(*pDb);
  if (!transaction.IsActive() || !lockUnitTables(pDb))
    return false;
  const QSet<QString> before = restrictedOperators(pDb);
  if (!write(transaction))
    return false;
  if (freedOperators(pDb, before) != freed)
    return refuse(transaction, QStringLiteral("核算单位的可访问操作员已在其他工作站修改，本次修改未保存！"));
  return stillAlone(pDb, transaction) && transaction.Commit();
}

// What a unit's delete takes with it, decided from the units (pUnits, or
// the application's array when null) and the unit-bearing tables.
struct UnitDeletion {
  QString parentCode;
  bool noData = true;
  // A leaf that is its parent's only child hands its data to the parent.
  bool moveUp = false;
  // The first table that holds its data.
  QString caption;

  bool operator==(const UnitDeletion& other) const {
    return parentCode == other.parentCode && noData == other.noData && moveUp == other.moveUp;
  }
};

UnitDeletion unitDeletion(const QString& code, CKvDb* pDb, const CKvDwArray* pUnits) {
  UnitDeletion deletion;
  CKvDwRec parent;
  parent.KvFindDwEx(code, nullptr, pUnits);
  deletion.parentCode = parent.KNO;
  const int descendants = CKvDwRec().KvFindDw(code, 3, nullptr, pUnits);
  const int siblings = descendants == 0 ? CKvDwRec().KvFindDw(deletion.parentCode, 2, nullptr, pUnits) : 0;
  deletion.noData = KvDwHasData(code, &deletion.caption, pDb);
  deletion.moveUp = !deletion.noData && descendants == 0 && siblings == 1;
  return deletion;
}

// Under the KVDW lock: whether the unit is stored with every field, its
// operator list included, as the caller read it; refused (rolled back and
// told) when another window or station changed or deleted it meanwhile.
bool unitAsRead(CKvDb* pDb, KvDbTransaction& transaction, const CKvDwRec& read) {
  CKvDwRec stored;
  bool same = stored.KvLoadDw(read.KNO, pDb) == 1;
  for (int i = 0; same && i < CKvDwRec::kFieldCount; ++i)
    same = stored.Field(i) == read.Field(i);
  return same ||
         refuse(transaction, QStringLiteral("%1：已被其他窗口或工作站修改或删除，请重新打开后再修改！").arg(read.KNO));
}

// After the unit's KVDW row was written under the table lock: it must be the
// only row of its code and the unit's operator list must be acceptable;
// otherwise the change is refused with the message that fits.
bool writtenUnitStands(CKvDb* pDb, KvDbTransaction& transaction, const CKvDwRec& unit,
                       const QString& duplicateMessage, const QString& missingMessage) {
  const int count = countOf(pDb, QStringLiteral("Select Count(*) From KVDW Where KNO=%1")
                                     .arg(quoted(pDb, unit.KNO)));
  if (count != 1)
    return refuse(transaction, count >= 2 ? duplicateMessage : missingMessage);
  QString message;
  if (!unit.KvCheckDwOperators(pDb, &message))
    return refuse(transaction, message);
  return true;
}

}  // namespace

bool CKvDwRec::KvInsertDw(CKvDb* pDb, int options) {
  if (!pDb)
    return false;
  QStringList values;
  for (const QString* field : {&KNO, &NA, &JA, &MAR, &MGR, &TEL, &ADR, &NT})
    values.append(quoted(pDb, *field));
  return pDb->Execute(QStringLiteral("Insert Into KvDw(KNO,NA,JA,MAR,MGR,TEL,ADR,NT) Values(%1)")
                          .arg(values.join(u',')),
                      QString(), options);
}

bool CKvDwRec::KvUpdateDw(const QString& oldCode, CKvDb* pDb, int options) {
  if (!pDb)
    return false;
  return pDb->Execute(
      QStringLiteral("Update KVDW Set KNO=%1,NA=%2,JA=%3,MAR=%4,MGR=%5,TEL=%6,ADR=%7,NT=%8 Where KNO=%9")
          .arg(quoted(pDb, KNO), quoted(pDb, NA), quoted(pDb, JA), quoted(pDb, MAR),
               quoted(pDb, MGR), quoted(pDb, TEL), quoted(pDb, ADR), quoted(pDb, NT),
               quoted(pDb, oldCode)),
      QString(), options);
}

bool CKvDwRec::KvChangeDwCodeLength(CKvDb* pDb, const QString& parentCode, QString* pRefCode) {
  if (!pDb)
    return false;
  const int p = int(parentCode.size());
  const QString last = CKvDwRec().KvLastChildDw(parentCode);
  const QString reference = pRefCode ? *pRefCode : last;
  const int oldLength = int(last.size()) - p;
  const int newLength = int(KNO.size()) - p;
  const int refLength = int(reference.size()) - p;
  const int minimum = int(QString::number(last.mid(p).toInt()).size());
  const int depth = CKvDwRec().KvMaxDwFieldLen(parentCode, 0) - p;

  if (oldLength != refLength) {
    showStop(QStringLiteral("代码长度发生了变化（%1-->%2）！").arg(refLength).arg(oldLength));
    return false;
  }
  if (oldLength == 0)
    return true;
  const int maximum = std::min(9, kCodeWidth + oldLength - depth - p);
  if (newLength < minimum || newLength > maximum) {
    showStop(QStringLiteral("代码长度应在%1～%2之间！").arg(minimum).arg(maximum));
    return false;
  }
  if (newLength == oldLength)
    return true;
  const bool shrink = newLength < oldLength;
  if (KvMessageBox(QStringLiteral("是否要将本级代码长度从%1%2至%3？")
                       .arg(oldLength)
                       .arg(shrink ? QStringLiteral("缩小") : QStringLiteral("扩大"))
                       .arg(newLength),
                   KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION | KV_MB_DEFBUTTON2) != KV_IDYES)
    return false;

  const QString zeros(std::max(0, newLength - oldLength), u'0');
  const auto statement = [&](const QString& table, const QString& column) {
    const QString set =
        shrink ? replacePrefix(column, quoted(pDb, parentCode), oldLength - newLength + p + 1,
                               kCodeWidth)
               : replacePrefix(column, quoted(pDb, parentCode) + QStringLiteral("||'") + zeros + u'\'',
                               p + 1, kCodeWidth);
    return QStringLiteral("Update %1 Set %2 Where %3 Like %4 And %3<>%5")
        .arg(table, set, column, likeSubtree(pDb, parentCode), quoted(pDb, parentCode));
  };
  {
    KvDbTransaction transaction(*pDb);
    if (!transaction.IsActive() || !lockUnitTables(pDb) || !runOnEveryCodePlace(pDb, statement) ||
        !stillAlone(pDb, transaction) || !transaction.Commit())
      return false;
  }
  if (pRefCode && !pRefCode->isEmpty()) {
    const QString own = pRefCode->mid(p);
    *pRefCode = parentCode + (shrink ? own.right(newLength) : zeros + own);
  }
  CKvDwRec().KvSelectDw(QString(), QString(), &KvGetDwArray(), pDb);
  return true;
}

bool CKvDwRec::KvAddDw(CKvDb* pDb) {
  if (!pDb)
    return false;
  if (KvTextWidth(KNO) > kCodeWidth) {
    showStop(QStringLiteral("代码超长！"));
    return false;
  }
  CKvDwRec parent;
  parent.KvFindDwEx(KNO);
  const QString parentCode = parent.KNO;
  if (!KvChangeDwCodeLength(pDb, parentCode, nullptr))
    return false;

  return writeUnits(pDb, [&](KvDbTransaction& transaction) {
    if (!KvInsertDw(pDb, 1))
      return false;
    if (!writtenUnitStands(pDb, transaction, *this, QStringLiteral("%1：代码重复，插入记录失败！").arg(KNO),
                           QStringLiteral("%1：插入记录失败！").arg(KNO)))
      return false;
    // A file without the stock-account table has no stock accounts.
    if (pDb->TableExists(QStringLiteral("CH")) &&
        countOf(pDb, QStringLiteral("Select Count(*) From CH")) > 0)
      return refuse(transaction, QStringLiteral("已设置了存货科目，不能再设置集团核算模式！"));
    QString siblingsSql = QStringLiteral("Select Count(*) From KvDw");
    if (!parentCode.isEmpty())
      siblingsSql += QStringLiteral(" Where KNO Like %1 And KNO<>%2")
                         .arg(likeSubtree(pDb, parentCode), quoted(pDb, parentCode));
    const int siblings = countOf(pDb, siblingsSql);

    // The parent loses its own visibility rows once a unit is below it.
    if (!KvSetDwOperators(pDb, KNO, Operators, parentCode))
      return false;
    if (siblings == 1) {
      // The first unit below a parent takes over the parent's rows; the first
      // unit of the file takes every row (group accounting starts).
      const KvCodeRefs refs = unitTables();
      for (int i = 0; i < refs.Count(); ++i) {
        if (parentCode.isEmpty() && refs.Captions.at(i).startsWith(u'0'))
          continue;
        QString sql = QStringLiteral("Update %1 Set %2=%3")
                          .arg(refs.Tables.at(i), refs.Columns.at(i), quoted(pDb, KNO));
        if (!parentCode.isEmpty())
          sql += QStringLiteral(" Where %1=%2").arg(refs.Columns.at(i), quoted(pDb, parentCode));
        const QString condition = conditionOf(refs, i, pDb);
        if (!condition.isEmpty())
          sql += (parentCode.isEmpty() ? QStringLiteral(" Where ") : QStringLiteral(" And ")) + condition;
        if (!pDb->Execute(sql))
          return false;
      }
    }
    return true;
  });
}

bool CKvDwRec::KvModifyDw(const QString& oldCode, CKvDb* pDb, const CKvDwRec* pRead) {
  if (!pDb || oldCode.isEmpty())
    return false;
  const QString newCode = KNO;
  if (CKvDwRec().KvMaxDwFieldLen(oldCode, 0) - KvTextWidth(oldCode) + KvTextWidth(newCode) >
      kCodeWidth) {
    showStop(QStringLiteral("代码超长！"));
    return false;
  }
  // The descendants are renamed by their old prefix: a new code under the
  // old one would be renamed a second time.
  if (newCode != oldCode && newCode.startsWith(oldCode)) {
    showStop(QStringLiteral("%1～%2：新代码不能以原代码开头！").arg(oldCode, newCode));
    return false;
  }
  CKvDwRec newParent;
  newParent.KvFindDwEx(newCode);
  CKvDwRec oldParent;
  oldParent.KvFindDwEx(oldCode);
  QString old = oldCode;
  if (!KvChangeDwCodeLength(pDb, newParent.KNO, newParent.KNO == oldParent.KNO ? &old : nullptr))
    return false;

  // The unit as read, under the code a longer level gave it just now.
  CKvDwRec read;
  if (pRead) {
    read = *pRead;
    if (read.KNO == oldCode)
      read.KNO = old;
  }
  return writeUnits(pDb, [&](KvDbTransaction& transaction) {
    if ((pRead && !unitAsRead(pDb, transaction, read)) || !KvUpdateDw(old, pDb, 1))
      return false;
    if (!writtenUnitStands(pDb, transaction, *this,
                           QStringLiteral("%1～%2：代码重复，修改失败！").arg(old, newCode),
                           QStringLiteral("%1～%2：修改失败！").arg(old, newCode)) ||
        !KvSetDwOperators(pDb, newCode, Operators, old))
      return false;
    if (newCode != old) {
      // The descendants, their visibility rows and the unit's data follow.
      const auto rename = [&](const QString& table, const QString& column) {
        return QStringLiteral("Update %1 Set %2 Where %3 Like %4")
            .arg(table, replacePrefix(column, quoted(pDb, newCode), int(old.size()) + 1, 20), column,
                 likeSubtree(pDb, old));
      };
      if (!runOnEveryCodePlace(pDb, rename))
        return false;
    }
    return true;
  });
}

bool CKvDwRec::KvDeleteDw(const QString& code, CKvDb* pDb) {
  if (!pDb || code.isEmpty())
    return false;
  const UnitDeletion decided = unitDeletion(code, pDb, nullptr);
  if (!decided.noData && !decided.moveUp) {
    if (KvMessageBox(decided.caption + QStringLiteral("\n若执意要删除，此单位所属所有数据") +
                         QStringLiteral("一起被删除，还要删除吗？"),
                     KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) != KV_IDYES)
      return false;
    // The data goes only once it is backed up.
    if (!KvScheduledBackup(false))
      return false;
  }

  const QString& parentCode = decided.parentCode;
  const bool deleted = writeUnits(pDb, [&](KvDbTransaction& transaction) {
    // The units and the data decided what goes with the unit: read again
    // under the locks.
    CKvDwArray stored;
    CKvDwRec().KvSelectDw(QString(), QString(), &stored, pDb);
    if (CKvDwRec().KvFindDw(code, 0, nullptr, &stored) != 1 || !(unitDeletion(code, pDb, &stored) == decided))
      return refuse(transaction,
                    QStringLiteral("核算单位%1或其数据已在其他工作站修改，本次删除未执行！").arg(code));
    if (!pDb->Execute(QStringLiteral("Delete From KVDW Where KNO Like %1").arg(likeSubtree(pDb, code)),
                      QString(), 1))
      return false;
    if (decided.moveUp) {
      const KvCodeRefs refs = unitTables();
      for (int i = 0; i < refs.Count(); ++i) {
        if (!pDb->Execute(QStringLiteral("Update %1 Set %2=%3 Where %2 Like %4")
                              .arg(refs.Tables.at(i), refs.Columns.at(i), quoted(pDb, parentCode),
                                   likeSubtree(pDb, code)) +
                          andCondition(refs, i, pDb)))
          return false;
      }
      if (!parentCode.isEmpty() && !KvSetDwOperators(pDb, parentCode, Operators, code))
        return false;
    } else if (!decided.noData && !deleteUnitData(code, pDb)) {
      return false;
    }
    // The visibility rows of the unit and of its descendants go with them.
    return pDb->Execute(QStringLiteral("Delete From SysCsTab Where Cs=4000 And CsN=1 And CsNa Like %1")
                            .arg(likeSubtree(pDb, code)));
  });
  if (!deleted)
    return false;
  if (decided.moveUp)
    KvMessageBox(parentCode.isEmpty() ? QStringLiteral("您已取消了集团核算模式！")
                                      : QStringLiteral("此单位已有数据，它被删除后，由其父单位取代之！"),
                 KV_MB_OK | KV_MB_ICONINFORMATION);
  return true;
}

bool KvDwHasData(const QString& code, QString* pCaption, CKvDb* pDb) {
  if (!pDb)
    return false;
  const KvCodeRefs refs = unitTables();
  for (int i = 0; i < refs.Count(); ++i) {
    QString sql = QStringLiteral("Select Count(*) From %1").arg(refs.Tables.at(i));
    if (!code.isEmpty())
      sql += QStringLiteral(" Where %1 Like %2").arg(refs.Columns.at(i), likeSubtree(pDb, code));
    const QString condition = conditionOf(refs, i, pDb);
    if (!condition.isEmpty())
      sql += (code.isEmpty() ? QStringLiteral(" Where ") : QStringLiteral(" And ")) + condition;
    if (countOf(pDb, sql) == 0)
      continue;
    const QString caption = refs.Captions.at(i).mid(1);
    if (pCaption)
      *pCaption = caption;
    else
      showStop(QStringLiteral("此单位下列表中已有数据：\n%1").arg(caption));
    return false;
  }
  return true;
}

bool KvDeleteDwData(const QString& code, CKvDb* pDb) {
  if (!pDb || code.isEmpty() || !KvScheduledBackup(false))
    return false;
  KvDbTransaction transaction(*pDb);
  return transaction.IsActive() && deleteUnitData(code, pDb) && transaction.Commit();
}

bool KvDeleteDwRows(const QString& code, CKvDb* pDb) { return pDb && deleteUnitData(code, pDb); }

bool KvExtractDwData(const QString& unitCode, CKvDb* pSource, CKvDb* pTarget, QStringList* pSkipped) {
  if (!pSource || !pTarget || !pTarget->Reopen())
    return false;
  // A list or a column set that cannot be read is not an empty one: the
  // file would lack tables, or carry other units' rows.
  QStringList tables;
  QStringList made;
  if (pSource->ListUserTables(&tables) <= 0 || pTarget->ListUserTables(&made) <= 0)
    return false;
  CKvDwRec unit;
  unit.KNO = unitCode;
  bool ok = true;
  for (const QString& table : tables) {
    const QString upper = KvUpper(table);
    if (upper == u"KVDW" || upper == u"KVTASK" || upper == u"KVLOG" || upper == u"KVLOGOP")
      continue;
    if (!made.contains(table, Qt::CaseInsensitive)) {
      if (pSkipped)
        pSkipped->append(table);
      continue;
    }
    QStringList columns[4];
    if (pSource->GetColumns(table, columns, nullptr) <= 0)
      return false;
    const bool hasHdo = std::any_of(columns[2].cbegin(), columns[2].cend(),
                                    [](const QString& column) { return KvUpper(column) == u"HDO"; });
    const QString where = hasHdo ? KvHdoUnitFilter(1, &unit, pSource) : QString();
    // Every row of the unit or none: a table copied in part would make a
    // unit file that looks whole.
    if (!KvCopyTableStrict(pSource, pTarget, table, nullptr, where))
      return false;
    if (!hasHdo)
      continue;
    // The unit's rows become the common rows of the target.
    KvDbTransaction transaction(*pTarget);
    const bool keepCommon = upper == u"BBINFO6";
    ok &= transaction.IsActive() &&
          (keepCommon || pTarget->Execute(QStringLiteral("Delete From %1 Where HDO=''").arg(table))) &&
          pTarget->Execute(QStringLiteral("Update %1 Set HDO=''").arg(table)) && transaction.Commit();
  }
  if (unitCode.isEmpty())
    return ok;
  // The file names the unit; a unit that cannot be read makes no file.
  return ok && unit.KvLoadDw(unitCode, pSource) > 0 &&
         pTarget->Execute(QStringLiteral("Update SysTab Set NA=%1,KJ=%2,T1=%3")
                               .arg(quoted(pTarget, unit.NA), quoted(pTarget, unit.MGR),
                                    quoted(pTarget, unit.MAR)));
}
