#pragma once
// Which accounting units an operator may see. The limits are rows of the
// parameter table SysCsTab (Cs 4000, CsN 1, CsNa the unit code, CsVal the
// operator code, LPO empty), mirrored after loading in the operator list of
// each unit record. The computing and checking functions are members of
// CKvDwRec (CKvDwRec.h); the writers and the picker helpers are here.
//
// An operator named in no unit's list, or in the list of every leaf, is not
// restricted. The administrator "101" is never listed.

#include "app/CKvDwRec.h"

#include <QString>

class CKvDb;
class CKvTreeCombo;

// When removeCode is not empty, the visibility rows of that unit code are
// deleted; then a row (unitCode, entry) is inserted for each non-empty entry
// of the ";"-separated operator list (trimmed). False when a statement
// failed (reported by the connection).
bool KvSetDwOperators(CKvDb* pDb, const QString& unitCode, const QString& operators,
                      const QString& removeCode);

// Grants or revokes one operator's access to one unit, from the table's
// rows, in one transaction. Granting the last missing leaf deletes all the
// operator's rows (he becomes unrestricted); revoking from an unrestricted
// operator (one without rows, or one named on every leaf) replaces his rows
// by those of every other leaf. True only when the access is as asked and
// written, *pChanged telling whether a row was written (access he already
// had, or never had, writes nothing); false, with the rows as they were,
// when the transaction cannot begin or a read or statement fails.
bool KvSetDwRight(CKvDb* pDb, bool bGrant, const QString& unitCode, const QString& operatorCode,
                  bool* pChanged = nullptr);

// True when the operator logged in may see every leaf; otherwise false,
// after "当前操作员没有全部子单位数据访问权！" (stop icon) when bShowMessage.
bool KvCheckAllSubDwRight(bool bShowMessage);

// The current unit becomes the unit whose path text is selected in the
// picker (cleared when the root line or nothing is selected).
void KvSetCurrentDwFromCombo(CKvTreeCombo* pCombo);
